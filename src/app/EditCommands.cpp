#include "EditCommands.h"

#include "MenuTree.h"
#include "TextPane.h"
#include "host/EditBuffer.h"
#include "host/Host.h"
#include "host/PagePrinter.h"
#include "host/WindowInput.h"
#include "state/ProgramState.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QWebEngineView>
#include <memory>

EditCommands::EditCommands(ProgramState& state, Host& host, EditBuffer& buffer, TextPane& txtEdit,
                           QMainWindow& window, QWidget& WB, MenuTree& menus)
    : m_state(state), m_host(host), m_buffer(buffer), m_txtEdit(txtEdit), m_window(window),
      m_wb(WB), m_menus(menus) {}

void EditCommands::wire() {
    MenuTree& m = m_menus;
    m.wire(QStringLiteral("mnuBack"), [this] { mnuBack_Click(); });
    m.wire(QStringLiteral("mnuAllSelect"), [this] { mnuAllSelect_Click(); });
    m.wire(QStringLiteral("mnuCopy"), [this] { mnuCopy_Click(); });
    m.wire(QStringLiteral("mnuCutDel"), [this] { mnuCutDel_Click(); });
    m.wire(QStringLiteral("mnuPaste"), [this] { mnuPaste_Click(); });
    m.wire(QStringLiteral("mnuClear"), [this] { mnuClear_Click(); });
    m.wire(QStringLiteral("mnuStringReport"), [this] { mnuStringReport_Click(); });
    m.wire(QStringLiteral("mnuPrint"), [this] { mnuPrint_Click(); });

    TextPane::KeyHooks hooks;
    hooks.brOnEnter = [this] { return m_state.settings.BrOnEnter == 1; };
    hooks.popupMenu = [this](const QString& name) {
        // The registered-tags menu exists only once the user tags are built.
        if (QMenu* menu = m_menus.menu(name))
            m_host.popupMenu(menu);
    };
    m_txtEdit.setKeyHooks(std::move(hooks));
}

void EditCommands::sendUndoKey() {
    m_buffer.focus();
    m_txtEdit.expectUndoKey();
    m_host.injectKeys(QStringLiteral("^Z"));
}

void EditCommands::mnuBack_Click() {
    sendUndoKey();
    m_host.beep();
}

void EditCommands::mnuAllSelect_Click() {
    m_buffer.setSelection(0, m_buffer.length());
}

void EditCommands::mnuCopy_Click() {
    m_host.setClipboardText(m_buffer.selectedText());
    m_host.beep();
}

void EditCommands::mnuCutDel_Click() {
    m_host.setClipboardText(m_buffer.selectedText());
    m_buffer.replaceSelection(QString());
    m_host.beep();
}

void EditCommands::mnuPaste_Click() {
    m_buffer.replaceSelection(m_host.clipboardText());
}

void EditCommands::mnuClear_Click() {
    m_host.setClipboardText(QString());
    m_host.beep();
    m_host.messageBox(QStringLiteral("クリップボードにコピーされている文字をクリアしました"),
                      Buttons::Ok, Icon::Information, QStringLiteral("クリップボードのクリア"));
}

int EditCommands::characterCount(const QString& text) {
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        ++count;
    }
    return count;
}

void EditCommands::mnuStringReport_Click() {
    m_host.beep();
    const int count = characterCount(m_buffer.text());
    m_host.messageBox(QStringLiteral("現在編集中の文章の文字数は、\r\n") + QString::number(count) +
                          QStringLiteral("文字です"),
                      Buttons::Ok, Icon::Information,
                      QStringLiteral("現在編集中のドキュメントの文章"));
}

QString EditCommands::pdfPathFor(const QString& documentPath, const QString& applicationFolder) {
    if (documentPath.isEmpty())
        return applicationFolder + QStringLiteral("/HTML-TGLM-print.pdf");
    const QFileInfo document(documentPath);
    return document.dir().filePath(document.completeBaseName() + QStringLiteral(".pdf"));
}

void EditCommands::mnuPrint_Click() {
    m_host.beep();
    const Answer answer = m_host.messageBox(
        QStringLiteral("この機能は簡易印刷なので、プリンターや用紙の設定はできません。\r\n\r\n"
                       "印刷を実行しますか？"),
        Buttons::YesNo, Icon::Exclamation, QStringLiteral("印刷確認"));
    if (answer != Answer::Yes) {
        m_host.beep();
        return;
    }
    m_host.beep();
    const Qt::WindowStates before = m_window.windowState();
    m_window.setWindowState((before & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    // The preview across the whole window until the next pane layout.
    QRect wb = m_wb.geometry();
    wb.moveLeft(0);
    wb.setWidth(m_window.frameGeometry().width());
    m_wb.setGeometry(wb);
    if (auto* view = qobject_cast<QWebEngineView*>(&m_wb))
        PagePrinter::forView(view)->setPdfFallbackPath(
            pdfPathFor(m_state.document.DocumentPath, m_host.applicationFolder()));

    // The window stays disabled, and the preview as it is, until the page is out.
    auto disabled = std::make_shared<DisabledWindow>(&m_window);
    QPointer<QWidget> window(&m_window);
    m_host.printPage([window, disabled, before] {
        if (!window)
            return;
        disabled->restore();
        window->setWindowState(before);
    });
}
