#include "frmVersion.h"

#include "host/Host.h"
#include "host/LinkLabel.h"
#include "host/NamedWidgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>

using namespace Qt::Literals::StringLiterals;

namespace {

// The program's icon, tagloom.svg, built into the program, drawn at the box's 32 × 32 pixels
// (sharp on a high-density screen too).
QPixmap programIcon(qreal devicePixelRatio) {
    const QSize size(32, 32);
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer svg(u":/tagloom/tagloom.svg"_s);
    QPainter p(&pixmap);
    svg.render(&p, QRectF(QPointF(0, 0), size));
    return pixmap;
}

} // namespace

frmVersion::frmVersion(Host& host, QWidget* owner, const AppVersion& version)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_host(host),
      m_version(version) {
    setObjectName(u"frmVersion"_s);
    setWindowTitle(u"バージョン情報"_s);
    setModal(true);
    setMouseTracking(true);

    imgIcon = namedLabel(u"imgIcon"_s, {}, this);
    imgIcon->setPixmap(programIcon(devicePixelRatioF()));
    imgIcon->setFixedSize(32, 32);
    imgIcon->setMouseTracking(true);
    imgIcon->installEventFilter(this);
    lblVer = namedLabel(u"lblVer"_s, u"バージョン："_s + QChar(0x3000), this);
    QFont big = lblVer->font();
    big.setBold(true);
    lblVer->setFont(big);

    credits << namedLabel(u"Label1"_s, u"作者：Tagloom 開発チーム"_s, this)
            << namedLabel(u"Label2"_s, u"開発ツール：C++20、Qt 6、CMake"_s, this)
            << namedLabel(u"Label3"_s, u"協力してくださった方々："_s, this)
            << namedLabel(u"Label4"_s, u"Tagloom 開発チームのテスター一同"_s, this)
            << namedLabel(u"Label4"_s, u"Tagloom 開発チームの文書担当一同"_s, this)
            << namedLabel(u"Label4"_s, u"バグを報告してくださった皆さま"_s, this)
            << namedLabel(u"Label5"_s, u"（順不同）"_s, this);
    Label6 = namedLabel(u"Label6"_s, u"ホームページ："_s, this);
    Label7 = new LinkLabel(homePageAddress(), this);
    Label7->setObjectName(u"Label7"_s);
    Label8 = namedLabel(u"Label8"_s, u"バグ報告や感想・要望は、ヘルプメニューよりどうぞ。"_s, this);
    Command1 = new QPushButton(u"OK"_s, this);
    Command1->setObjectName(u"Command1"_s);
    Command1->setDefault(true);

    connect(Label7, &LinkLabel::hovered, this, &frmVersion::Label7_MouseMove);
    connect(Label7, &LinkLabel::clicked, this, &frmVersion::Label7_Click);
    connect(Command1, &QPushButton::clicked, this, &frmVersion::Command1_Click);
    placeControls();
    Form_Load();
}

QString frmVersion::versionCaption(const AppVersion& v) {
    const QChar wide(0x3000);
    return u"バージョン："_s + wide + QString::number(v.major) + u'.' + QString::number(v.minor) +
           wide + u"（更新回数："_s + QString::number(v.revision) + u"）"_s;
}

QString frmVersion::homePageAddress() {
    return u"https://tagloom.example/"_s;
}

// Placed by hand, not by a layout: the icon moves about freely and each opening starts from
// this design.
void frmVersion::placeControls() {
    const int margin = 16;
    const int textLeft = margin + 32 + 16;
    imgIcon->move(margin, margin);
    const auto place = [](QWidget* w, int x, int y) {
        w->adjustSize();
        w->move(x, y);
        return y + w->height();
    };
    int y = place(lblVer, textLeft, margin + 8) + 14;
    for (int i = 0; i < credits.size(); ++i) {
        const bool entry = credits[i]->objectName() == u"Label4";
        y = place(credits[i], textLeft + (entry ? 16 : 0), y) + 4;
    }
    y += 10;
    place(Label6, textLeft, y);
    y = place(Label7, textLeft + Label6->width() + 4, y) + 14;
    y = place(Label8, textLeft, y) + 16;
    Command1->adjustSize();
    int width = textLeft;
    for (QWidget* w : findChildren<QWidget*>())
        width = std::max(width, w->x() + w->width());
    width += margin;
    Command1->move(width - margin - Command1->width(), y);
    setFixedSize(width, y + Command1->height() + margin);
}

void frmVersion::Form_Load() {
    lblVer->setText(versionCaption(m_version));
    lblVer->adjustSize();
}

void frmVersion::Label7_MouseMove() {
    Label7->setFrameShape(QFrame::Box);
}

void frmVersion::Form_MouseMove() {
    Label7->setFrameShape(QFrame::NoFrame);
}

void frmVersion::Label7_Click() {
    m_host.beep();
    m_host.openWithAssociatedProgram(Label7->text());
}

void frmVersion::imgIcon_MouseMove(const QPoint& position) {
    imgIcon->move(position);
}

void frmVersion::mouseMoveEvent(QMouseEvent* event) {
    // Moves over other controls reach here too; only the bare background unframes the link.
    if (!childAt(event->position().toPoint()))
        Form_MouseMove();
    QDialog::mouseMoveEvent(event);
}

bool frmVersion::eventFilter(QObject* watched, QEvent* event) {
    if (watched == imgIcon && event->type() == QEvent::MouseMove) {
        imgIcon_MouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
