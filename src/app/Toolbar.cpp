#include "Toolbar.h"

#include "EditCommands.h"
#include "MenuTree.h"
#include "document/Documents.h"
#include "document/Preview.h"
#include "host/Host.h"
#include "state/ProgramState.h"

#include <QAction>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolBar>

namespace {

struct Button {
    const char* key;
    const char* caption;
    const char* tooltip;
    const char* themeIcon;
};

const Button kButtons[] = {
    {"boOpen", "開く", "HTMLファイルを開きます", "document-open"},
    {"boUpdate", "上書き保存", "開いているファイルに上書きします", "document-save"},
    {"boSave", "保存", "新規に名前を付けて保存します", "document-save-as"},
    {"boBack", "元に戻す", "ソースの変更を一段階前の状態に戻します", "edit-undo"},
    {"boUpdateB", "表示更新", "ブラウザプレビューを最新のソースに更新します", "view-refresh"},
    {"boTAG", "<TAG>", "HTMLタグのメニューを表示します", "text-html"},
    {"boBback", "ブラウザ戻る", "ブラウザの戻るボタンと同じです", "go-previous"},
    {"boBforward", "ブラウザ進む", "ブラウザの進むボタンと同じです", "go-next"},
};

constexpr int kIconSize = 32;

const QColor kInk(0x2b, 0x4a, 0x7a);
const QColor kPaper(0xf4, 0xf4, 0xf0);
const QColor kFolder(0xe8, 0xb8, 0x4a);
const QColor kArrow(0x2f, 0x8a, 0x3c);

void drawPage(QPainter& p) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kPaper);
    QPainterPath page;
    page.moveTo(8, 3);
    page.lineTo(20, 3);
    page.lineTo(26, 9);
    page.lineTo(26, 29);
    page.lineTo(8, 29);
    page.closeSubpath();
    p.drawPath(page);
    p.drawLine(QPointF(20, 3), QPointF(20, 9));
    p.drawLine(QPointF(20, 9), QPointF(26, 9));
}

void drawFloppy(QPainter& p) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(0x4f, 0x78, 0xb8));
    p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 4, 14, 9));
    p.setBrush(QColor(0xdd, 0xdd, 0xdd));
    p.drawRect(QRectF(8, 18, 16, 10));
}

void drawArrow(QPainter& p, bool left) {
    p.setPen(QPen(kArrow.darker(130), 1.5));
    p.setBrush(kArrow);
    QPolygonF arrow;
    arrow << QPointF(4, 16) << QPointF(15, 5) << QPointF(15, 11) << QPointF(28, 11)
          << QPointF(28, 21) << QPointF(15, 21) << QPointF(15, 27);
    if (!left) {
        for (QPointF& point : arrow)
            point.setX(kIconSize - point.x());
    }
    p.drawPolygon(arrow);
}

void drawCurvedArrow(QPainter& p, bool fullCircle) {
    p.setPen(QPen(kArrow, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QRectF ring(6, 6, 20, 20);
    if (fullCircle)
        p.drawArc(ring, 60 * 16, 280 * 16);
    else
        p.drawArc(ring, 90 * 16, -220 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kArrow);
    QPolygonF head;
    if (fullCircle)
        head << QPointF(16, 1) << QPointF(25, 6) << QPointF(17, 12);
    else
        head << QPointF(16, 1) << QPointF(8, 6) << QPointF(16, 12);
    p.drawPolygon(head);
}

} // namespace

QStringList Toolbar::keys() {
    QStringList out;
    for (const Button& b : kButtons)
        out << QString::fromLatin1(b.key);
    return out;
}

QIcon Toolbar::drawnIcon(const QString& key) {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (key == u"boOpen") {
        p.setPen(QPen(kFolder.darker(150), 1.5));
        p.setBrush(kFolder.darker(110));
        p.drawRect(QRectF(3, 7, 12, 6));
        p.drawRect(QRectF(3, 10, 26, 18));
        p.setBrush(kFolder);
        QPolygonF front;
        front << QPointF(7, 14) << QPointF(30, 14) << QPointF(26, 28) << QPointF(3, 28);
        p.drawPolygon(front);
    } else if (key == u"boUpdate") {
        drawFloppy(p);
    } else if (key == u"boSave") {
        drawFloppy(p);
        p.setPen(QPen(QColor(0xc0, 0x39, 0x2b), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(18, 26), QPointF(29, 15));
    } else if (key == u"boBack") {
        drawCurvedArrow(p, false);
    } else if (key == u"boUpdateB") {
        drawCurvedArrow(p, true);
    } else if (key == u"boTAG") {
        drawPage(p);
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(10);
        p.setFont(font);
        p.setPen(QColor(0xc0, 0x39, 0x2b));
        p.drawText(QRectF(6, 10, 22, 16), Qt::AlignCenter, QStringLiteral("</>"));
    } else if (key == u"boBback") {
        drawArrow(p, true);
    } else if (key == u"boBforward") {
        drawArrow(p, false);
    } else {
        p.setPen(QPen(kInk, 2));
        p.drawRect(QRectF(4, 4, 24, 24));
    }
    p.end();
    return QIcon(pixmap);
}

QIcon Toolbar::iconFor(const QString& key) {
    for (const Button& b : kButtons) {
        if (key != QLatin1String(b.key))
            continue;
        const QIcon themed = QIcon::fromTheme(QString::fromLatin1(b.themeIcon));
        // A theme may name an icon it cannot draw; only one that gives a picture will do.
        if (!themed.isNull() && !themed.pixmap(QSize(24, 24)).isNull())
            return themed;
        break;
    }
    return drawnIcon(key);
}

Toolbar::Toolbar(QToolBar* bar, Host& host, Actions actions)
    : QObject(bar), m_host(host), m_actions(std::move(actions)) {
    setObjectName(QStringLiteral("Toolbar1Buttons"));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(24, 24));
    for (const Button& b : kButtons) {
        const QString key = QString::fromLatin1(b.key);
        auto* action = new QAction(iconFor(key), QString::fromUtf8(b.caption), bar);
        action->setObjectName(key);
        action->setToolTip(QString::fromUtf8(b.tooltip));
        // "<TAG>" is a caption, not a mnemonic or markup.
        action->setIconText(QString::fromUtf8(b.caption));
        bar->addAction(action);
        connect(action, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
    }
}

void Toolbar::Toolbar1_ButtonClick(const QString& key) {
    const auto it = m_actions.find(key);
    if (it != m_actions.end() && it->second)
        it->second();
    m_host.beep();
}

Toolbar::Actions toolbarActions(ProgramState& state, Host& host, Documents& documents,
                                Preview& preview, MenuTree& menus, EditCommands& commands) {
    Toolbar::Actions actions;
    actions[QStringLiteral("boOpen")] = [&documents] { documents.OpenDocument(1); };
    actions[QStringLiteral("boUpdate")] = [&state, &host, &documents] {
        if (!state.document.DocumentPath.isEmpty()) {
            documents.SaveDocument(state.document.DocumentPath);
            return;
        }
        host.messageBox(QStringLiteral("ファイルが保存されていません｡"), Buttons::Ok,
                        Icon::Exclamation, QStringLiteral("セーブエラー"));
    };
    actions[QStringLiteral("boSave")] = [&documents] { documents.SaveDocument(QString()); };
    actions[QStringLiteral("boBack")] = [&commands] { commands.sendUndoKey(); };
    actions[QStringLiteral("boUpdateB")] = [&preview] { preview.RefreshPreview(); };
    actions[QStringLiteral("boTAG")] = [&host, &menus] {
        if (QMenu* menu = menus.menu(QStringLiteral("mnuHTML")))
            host.popupMenu(menu);
    };
    actions[QStringLiteral("boBback")] = [&host] { host.browserBack(); };
    actions[QStringLiteral("boBforward")] = [&host] { host.browserForward(); };
    return actions;
}
