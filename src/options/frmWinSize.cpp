#include "frmWinSize.h"

#include "host/Host.h"
#include "settings/Settings.h"

#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QToolTip>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kDragTip = u"このつまみの位置が画面の境界線になります。"_s;

} // namespace

frmWinSize::frmWinSize(Settings& settings, Host& host, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_settings(settings), m_host(host) {
    setObjectName(u"frmWinSize"_s);
    setWindowTitle(u"画面サイズ比率　自由指定"_s);
    setModal(true);

    Frame1 = new QGroupBox(u"つまみで大きさを指定してください。"_s, this);
    Frame1->setObjectName(u"Frame1"_s);
    sldWinSize = new QSlider(Qt::Horizontal, Frame1);
    sldWinSize->setObjectName(u"sldWinSize"_s);
    sldWinSize->setRange(0, 100);
    sldWinSize->setSingleStep(1);
    sldWinSize->setPageStep(10);
    sldWinSize->setTickPosition(QSlider::TicksBelow);
    sldWinSize->setTickInterval(10);
    sldWinSize->setMinimumWidth(320);
    lblTxt = new QLabel(Frame1);
    lblTxt->setObjectName(u"lblTxt"_s);
    lblP = new QLabel(Frame1);
    lblP->setObjectName(u"lblP"_s);
    auto* shares = new QHBoxLayout;
    shares->addWidget(lblTxt);
    shares->addStretch(1);
    shares->addWidget(lblP);
    auto* frame = new QVBoxLayout(Frame1);
    frame->addWidget(sldWinSize);
    frame->addLayout(shares);

    Command1 = new QPushButton(u"OK"_s, this);
    Command1->setObjectName(u"Command1"_s);
    Command1->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Command1, 0, Qt::AlignRight);

    connect(sldWinSize, &QSlider::valueChanged, this, &frmWinSize::sldWinSize_Scroll);
    // The tip follows the knob while it is dragged.
    connect(sldWinSize, &QSlider::sliderMoved, this,
            [this] { QToolTip::showText(QCursor::pos(), kDragTip, sldWinSize); });
    connect(sldWinSize, &QSlider::sliderReleased, this, [] { QToolTip::hideText(); });
    connect(Command1, &QPushButton::clicked, this, &frmWinSize::Command1_Click);
    Form_Load();
}

void frmWinSize::Form_Load() {
    sldWinSize->setValue(m_settings.PaneSplitPercent);
    sldWinSize_Scroll();
}

void frmWinSize::sldWinSize_Scroll() {
    const int value = sldWinSize->value();
    lblTxt->setText(u"テキスト欄比率："_s + QString::number(value));
    lblP->setText(u"プレビュー欄比率："_s + QString::number(100 - value));
}

void frmWinSize::Command1_Click() {
    m_host.beep();
    m_settings.PaneSplitPercent = sldWinSize->value();
    accept();
}
