#include "frmColor.h"

#include "host/EditBuffer.h"
#include "host/Host.h"
#include "host/NamedWidgets.h"
#include "settings/ColorNumber.h"
#include "state/ProgramState.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

QSlider* colorSlider(const QString& name, QWidget* parent) {
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(name);
    s->setRange(0, 255);
    s->setMinimumWidth(256);
    return s;
}

} // namespace

frmColor::frmColor(ColorToolState& color, Settings& settings, Host& host, EditBuffer& buffer,
                   QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_color(color),
      m_settings(settings), m_host(host), m_buffer(buffer) {
    setObjectName(u"frmColor"_s);
    setWindowTitle(u"ColorCode"_s);
    setModal(true);

    auto* frame2 = new QGroupBox(u"設定"_s, this);
    frame2->setObjectName(u"Frame2"_s);
    auto* grid = new QGridLayout(frame2);
    S1 = colorSlider(u"S1"_s, frame2);
    S2 = colorSlider(u"S2"_s, frame2);
    S3 = colorSlider(u"S3"_s, frame2);
    grid->addWidget(namedLabel(u"Label1"_s, u"赤（RED）："_s, frame2), 0, 0);
    grid->addWidget(S1, 0, 1);
    grid->addWidget(namedLabel(u"Label2"_s, u"緑（Green）："_s, frame2), 1, 0);
    grid->addWidget(S2, 1, 1);
    grid->addWidget(namedLabel(u"Label3"_s, u"青（Blue）："_s, frame2), 2, 0);
    grid->addWidget(S3, 2, 1);

    auto* frame1 = new QGroupBox(u"プレビュー"_s, this);
    frame1->setObjectName(u"Frame1"_s);
    auto* preview = new QHBoxLayout(frame1);
    Pic = new QFrame(frame1);
    Pic->setFrameShape(QFrame::Box);
    Pic->setObjectName(u"Pic"_s);
    Pic->setAutoFillBackground(true);
    Pic->setFixedSize(96, 48);
    lblCC = namedLabel(u"lblCC"_s, u"Color Code"_s, frame1);
    QFont code = lblCC->font();
    code.setPointSizeF(code.pointSizeF() * 1.5);
    code.setBold(true);
    lblCC->setFont(code);
    preview->addWidget(Pic);
    preview->addWidget(lblCC, 1);

    Command1 = new QPushButton(u"OK"_s, this);
    Command1->setObjectName(u"Command1"_s);
    Command1->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame2);
    layout->addWidget(frame1);
    layout->addWidget(Command1, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // A move by mouse, keyboard or code refreshes the preview, as scrolling does.
    connect(S1, &QSlider::valueChanged, this, [this] { S1_Scroll(); });
    connect(S2, &QSlider::valueChanged, this, [this] { S2_Scroll(); });
    connect(S3, &QSlider::valueChanged, this, [this] { S3_Scroll(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    Form_Load();
}

void frmColor::Form_Load() {
    S1->setValue(m_color.LastRed);
    S2->setValue(m_color.LastGreen);
    S3->setValue(m_color.LastBlue);
    refreshPreview();
}

void frmColor::refreshPreview() {
    const int r = S1->value();
    const int g = S2->value();
    const int b = S3->value();
    QPalette p = Pic->palette();
    p.setColor(QPalette::Window, colorFromNumber(colorNumber(r, g, b)));
    Pic->setPalette(p);
    lblCC->setText(colorCode(r, g, b));
}

void frmColor::Command1_Click() {
    m_color.LastRed = S1->value();
    m_color.LastGreen = S2->value();
    m_color.LastBlue = S3->value();
    deliver();
    m_host.beep();
    accept();
}

void frmColor::deliver() {
    const int number = colorNumber(S1->value(), S2->value(), S3->value());
    QPlainTextEdit* txtEdit = m_buffer.widget();
    if (m_color.ColorToolMode == u"txtBack" || m_color.ColorToolMode == u"txtColor") {
        const bool back = m_color.ColorToolMode == u"txtBack";
        QPalette p = txtEdit->palette();
        p.setColor(back ? QPalette::Base : QPalette::Text, colorFromNumber(number));
        txtEdit->setPalette(p);
        (back ? m_settings.EditorBackColor : m_settings.EditorForeColor) = QString::number(number);
        return;
    }
    m_buffer.replaceSelection(colorCode(S1->value(), S2->value(), S3->value()));
}
