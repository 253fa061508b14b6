#include "frmEdit.h"

#include "AboutWiring.h"
#include "CheckWiring.h"
#include "EditCommands.h"
#include "EditorWiring.h"
#include "MenuTree.h"
#include "OptionWiring.h"
#include "PaneLayout.h"
#include "SearchWiring.h"
#include "StartPages.h"
#include "SyncWiring.h"
#include "TableWiring.h"
#include "TagWiring.h"
#include "TextPane.h"
#include "Toolbar.h"
#include "UserTagWiring.h"
#include "ViewerWiring.h"
#include "check/ProblemsPanel.h"
#include "document/Documents.h"
#include "document/Preview.h"
#include "host/BrowserPane.h"
#include "host/EditBuffer.h"
#include "host/Host.h"
#include "host/RegularFile.h"
#include "host/TextFile.h"
#include "settings/ColorNumber.h"
#include "settings/SettingsFile.h"
#include "state/ProgramState.h"
#include "usertags/UserTagStore.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QToolBar>

namespace {

const QString kRestoredName = QStringLiteral("復元されたドキュメント.html");

// The text the preview file was written from, exactly as typed. A file without the recovery
// note (left by an older build) is taken as it stands.
std::optional<QString> recoverPreviewFile(const QString& path, QString* error) {
    QFile file;
    if (!openRegularFile(file, path, error))
        return std::nullopt;
    if (std::optional<QString> exact = Preview::recoveredText(file.readAll()))
        return exact;
    const std::optional<DecodedText> read = readTextFile(path, error);
    if (!read)
        return std::nullopt;
    return linesToCrLf(read->text);
}

} // namespace

frmEdit::frmEdit(ProgramState& state, Host& host, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_host(host) {
    setObjectName(QStringLiteral("frmEdit"));
    setCaption(Documents::caption(QString()));

    m_menus = std::make_unique<MenuTree>(this);

    // The client area is laid out by hand, in twips, as Form_Resize says.
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);
    m_toolbar = new QToolBar(m_client);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_txtEdit = new TextPane(m_client);
    m_editorWiring = std::make_unique<EditorWiring>(*m_txtEdit);
    m_wb = new BrowserPane(m_client);
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));

    m_buffer = std::make_unique<EditBuffer>(m_txtEdit);
    m_preview = std::make_unique<Preview>(m_state, m_host, *m_buffer, m_timer);
    m_documents = std::make_unique<Documents>(m_state, m_host, *m_buffer, *m_preview,
                                              [this](const QString& c) { setCaption(c); });

    connect(m_buffer.get(), &EditBuffer::changed, m_preview.get(), &Preview::txtEdit_Change);
    connect(m_buffer.get(), &EditBuffer::loaded, m_txtEdit, &TextPane::forgetUndo);
    connect(m_txtEdit, &TextPane::gotFocus, m_preview.get(), &Preview::txtEdit_GotFocus);
    connect(m_txtEdit, &TextPane::lostFocus, m_preview.get(), &Preview::txtEdit_LostFocus);
    connect(m_timer, &QTimer::timeout, m_preview.get(), &Preview::Timer1_Timer);

    // Log-off or shutdown closes the window without the prompt and leaves every file.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this] {
        m_sessionEnding = true;
        close();
    });

    wireCommands();
}

frmEdit::~frmEdit() = default;

void frmEdit::wireCommands() {
    MenuTree& m = *m_menus;
    Documents& d = *m_documents;
    m.wire(QStringLiteral("mnuOpenFile"), [&d] { d.mnuOpenFile_Click(); });
    m.wire(QStringLiteral("mnuNewFile"), [&d] { d.mnuNewFile_Click(); });
    m.wire(QStringLiteral("mnuUpdateFile"), [&d] { d.mnuUpdateFile_Click(); });
    m.wire(QStringLiteral("mnuSaveFile"), [&d] { d.mnuSaveFile_Click(); });
    m.wire(QStringLiteral("mnuEnd"), [this] { mnuEnd_Click(); });
    m.wire(QStringLiteral("mnuWBTool"), [this] { mnuWBTool_Click(); });
    m.wire(QStringLiteral("mnuHelpDoc"), [this] { m_preview->mnuHelpDoc_Click(); });

    m_editCommands =
        std::make_unique<EditCommands>(m_state, m_host, *m_buffer, *m_txtEdit, *this, *m_wb, m);
    m_editCommands->wire();
    m_toolbarButtons = new Toolbar(
        m_toolbar, m_host, toolbarActions(m_state, m_host, d, *m_preview, m, *m_editCommands));
    m_tagWiring = std::make_unique<TagWiring>(m_state, m_host, *m_buffer, m, this);
    m_tableWiring = std::make_unique<TableWiring>(m_state, m_host, *m_buffer, m, this);
    m_optionWiring = std::make_unique<OptionWiring>(m_state, m_host, *this);
    m_aboutWiring = std::make_unique<AboutWiring>(m_state, m_host, *this);
    m_viewerWiring = std::make_unique<ViewerWiring>(m_state, m_host, *m_buffer, m, this);
    // After the HTML menu exists: the user tags fill its last submenu.
    m_userTagWiring = std::make_unique<UserTagWiring>(m_state, m_host, *m_buffer, m, this);
    m_searchWiring =
        std::make_unique<SearchWiring>(m_host, *m_buffer, m, this, m_editorWiring->view());
    m_checkWiring = std::make_unique<CheckWiring>(*m_buffer, m_editorWiring->view(), m, m_client,
                                                  [this] { layoutTextPane(); });
    m_syncWiring = std::make_unique<SyncWiring>(m_state, m_host, *m_buffer, *m_wb, *m_preview, m);
}

void frmEdit::setCaption(const QString& caption) {
    setWindowTitle(caption);
}

double frmEdit::twipsPerPixel() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const double dpi = s ? s->logicalDotsPerInchX() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

int frmEdit::toPixels(int twips) const {
    return qRound(twips / twipsPerPixel());
}

int frmEdit::toTwips(int pixels) const {
    return qRound(pixels * twipsPerPixel());
}

void frmEdit::placeWindow() {
    const QRect area = m_host.workArea();
    // The right and bottom coordinates themselves, as the original placement did.
    const int right = area.x() + area.width();
    const int bottom = area.y() + area.height();
    m_placedOuterSize = QSize(std::max(right - 30, 200), std::max(bottom - 30, 150));
    move(area.x() + 15, area.y() + 15);
    resize(m_placedOuterSize);
    raise();
}

void frmEdit::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_firstShow)
        return;
    m_firstShow = false;
    if (fitPlacedOuterSize())
        return;
    // On X11 the window manager tells the frame's extents only after the window is mapped:
    // look again as the window is moved into its frame, and for a short while after.
    auto* poll = new QTimer(this);
    poll->setInterval(50);
    connect(poll, &QTimer::timeout, this, [this, poll, tries = 0]() mutable {
        if (fitPlacedOuterSize() || ++tries >= 60)
            poll->deleteLater();
    });
    poll->start();
}

bool frmEdit::fitPlacedOuterSize() {
    if (m_outerSizeFitted || !m_placedOuterSize.isValid() || isMaximized())
        return m_outerSizeFitted;
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame.width() <= 0 && frame.height() <= 0)
        return false;
    // The placement is of the outer frame; now that the frame is known, take it off the client.
    m_outerSizeFitted = true;
    resize(m_placedOuterSize - frame);
    return true;
}

void frmEdit::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (!m_firstShow)
        fitPlacedOuterSize();
}

void frmEdit::applyEditorColors() {
    QPalette p = m_txtEdit->palette();
    p.setColor(QPalette::Text, colorFromNumber(m_state.settings.EditorForeColor.toLongLong()));
    p.setColor(QPalette::Base, colorFromNumber(m_state.settings.EditorBackColor.toLongLong()));
    m_txtEdit->setPalette(p);
    m_editorWiring->applyBackground(p.color(QPalette::Base));
}

void frmEdit::applyEditorFont() {
    QFont font;
    if (m_state.settings.EditorFontName != u"初期設定") {
        font.setFamilies({m_state.settings.EditorFontName});
        if (m_state.settings.EditorFontSize > 0)
            font.setPointSize(m_state.settings.EditorFontSize);
    } else {
        // The built-in font, with the Japanese faces a Linux desktop has in its place.
        font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                          QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")});
        font.setPointSizeF(11.25);
    }
    font.setWeight(QFont::Normal);
    m_txtEdit->setFont(font);
}

void frmEdit::Form_Load() {
    placeWindow();
    const QString appFolder = m_host.applicationFolder();
    LoadSettings(QString(), m_state.settings, m_state.FirstRun, appFolder);
    m_host.navigate(
        StartPages::startAddress(m_state.settings, m_state.FirstRun, m_host.helpFile()));
    applyEditorColors();
    m_preview->applyTimerSetting();
    if (m_state.settings.StartMaximized == 1)
        setWindowState(windowState() | Qt::WindowMaximized);
    m_state.QuoteChar = StartPages::quoteAndAboutPage().left(1);
    m_state.document.DocumentSaved = true;
    m_state.document.DocumentPath.clear();
    m_state.BrowserMode = false;
    if (QFile::exists(m_preview->previewFile()))
        offerRecovery();
    m_userTagWiring->store().LoadUserTags();
    applyEditorFont();
}

void frmEdit::offerRecovery() {
    m_host.beep();
    const Answer answer =
        m_host.messageBox(QStringLiteral("前回起動したときに正常に終了されなかったようです。\r\n"
                                         "そのときに編集中だったドキュメントを復元できます。\r\n"
                                         "復元しますか？"),
                          Buttons::YesNo, Icon::Exclamation, QStringLiteral("ドキュメントの復元"));
    if (answer != Answer::Yes) {
        m_preview->RefreshPreview();
        m_host.beep();
        m_host.messageBox(QStringLiteral("復元可能だったデータは完全に削除されました。"),
                          Buttons::Ok, Icon::Information, QStringLiteral("復元放棄"));
        return;
    }
    DocumentState& doc = m_state.document;
    doc.DocumentPath = m_preview->previewFile();
    m_buffer->setText(QString());
    QString error;
    const std::optional<QString> text = recoverPreviewFile(m_preview->previewFile(), &error);
    if (!text) {
        // Nothing is touched: the preview file stays until the first refresh rewrites it.
        doc.DocumentPath.clear();
        m_host.messageBox(QStringLiteral("前回のドキュメントを読み込めませんでした。\r\n") + error,
                          Buttons::Ok, Icon::Exclamation, QStringLiteral("ドキュメントの復元"));
        return;
    }
    m_buffer->setTag(QStringLiteral("no"));
    m_buffer->loadText(*text);
    m_buffer->setTag(QString());
    doc.DocumentPath = m_host.appFile(kRestoredName);
    setCaption(Documents::caption(doc.DocumentPath));
    doc.DocumentSaved = false;
    m_preview->RefreshPreview();
    m_host.beep();
    m_host.messageBox(QStringLiteral("復元しました。\r\n"
                                     "特に指定しない場合、復元したドキュメントはこのソフトがインス"
                                     "トールされているフォルダに\r\n"
                                     "「") +
                          kRestoredName + QStringLiteral("」として保存される予定です。"),
                      Buttons::Ok, Icon::Information, QStringLiteral("復元完了"));
    m_host.setFileDialogName(doc.DocumentPath);
    m_documents->SaveDocument(QString());
}

void frmEdit::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

namespace {

constexpr int kPaneTop = 825;

} // namespace

PaneLayout frmEdit::currentLayout() const {
    const QSize outer = frameGeometry().size();
    const int W = toTwips(outer.width());
    const int H = toTwips(outer.height());
    // An open problems panel takes its height from the text pane, at most half of it.
    int problems = m_checkWiring ? m_checkWiring->panelHeight() : 0;
    problems = std::min(problems, std::max(0, (H - 700 - kPaneTop) / 2));
    return computePaneLayout(W, H, kPaneTop, kPaneTop, toTwips(m_txtEdit->width()),
                             m_state.settings.PaneSplit, m_state.settings.PaneSplitPercent,
                             problems);
}

void frmEdit::placeTextPaneAndProblems(const PaneLayout& layout) {
    QRect text = m_txtEdit->geometry();
    text.moveTo(0, toPixels(kPaneTop));
    if (layout.textHeight)
        text.setHeight(toPixels(*layout.textHeight));
    if (layout.textWidth)
        text.setWidth(toPixels(*layout.textWidth));
    m_txtEdit->setGeometry(text);
    if (!m_checkWiring)
        return;
    if (layout.problemsTop) {
        const int top = toPixels(*layout.problemsTop);
        const int bottom = toPixels(*layout.problemsTop + layout.problemsHeight);
        m_checkWiring->panel().setGeometry(0, top, text.width(), bottom - top);
    }
}

void frmEdit::layoutTextPane() {
    const PaneLayout layout = currentLayout();
    if (!layout.resetSettings)
        placeTextPaneAndProblems(layout);
}

void frmEdit::Form_Resize() {
    m_toolbar->setGeometry(0, 0, m_client->width(), toPixels(kPaneTop));
    const PaneLayout layout = currentLayout();
    if (layout.resetSettings) {
        resetSettings();
        return;
    }
    placeTextPaneAndProblems(layout);
    QRect wb = m_wb->geometry();
    wb.moveTop(toPixels(kPaneTop));
    if (layout.browserHeight)
        wb.setHeight(toPixels(*layout.browserHeight));
    if (layout.browserLeft)
        wb.moveLeft(toPixels(*layout.browserLeft));
    if (layout.browserWidth)
        wb.setWidth(toPixels(*layout.browserWidth));
    m_wb->setGeometry(wb);
    m_state.BrowserMode = false;
    if (QAction* item = m_menus->item(QStringLiteral("mnuWBTool")))
        item->setText(QStringLiteral("ブラウザ(&B)"));
}

void frmEdit::resetSettings() {
    m_host.beep();
    m_host.messageBox(QStringLiteral("ウィンドウサイズの設定値が異常です。設定ファイルが書き換え"
                                     "られた可能性があります。設定をリセットします"),
                      Buttons::Ok, Icon::Error, QStringLiteral("設定ファイル（セクタ：10内）"));
    QFile::remove(SettingsFile::fileName(m_host.applicationFolder()));
    m_host.messageBox(QStringLiteral("設定はリセットされました。Tagloomを再起動してください。\r\n"
                                     "編集中のドキュメントについては、再起動後、ドキュメントの"
                                     "復元が実行できますので、ご安心ください。"),
                      Buttons::Ok, Icon::Exclamation, QStringLiteral("エラー修復"));
    // Ends without the close request, so the preview file stays for the next start's recovery.
    m_host.endProgram();
}

void frmEdit::mnuWBTool_Click() {
    QAction* item = m_menus->item(QStringLiteral("mnuWBTool"));
    if (m_state.BrowserMode) {
        m_state.BrowserMode = false;
        Form_Resize();
        item->setText(QStringLiteral("ブラウザモード(&B)"));
        return;
    }
    QRect wb = m_wb->geometry();
    wb.moveLeft(0);
    const int width = toTwips(frameGeometry().width()) - 100;
    if (width >= 0)
        wb.setWidth(toPixels(width));
    m_wb->setGeometry(wb);
    m_wb->raise();
    m_state.BrowserMode = true;
    item->setText(QStringLiteral("（ブラウザ）画面を通常に元に戻す(&B)"));
}

bool frmEdit::askToSaveAndClean() {
    DocumentState& doc = m_state.document;
    if (!doc.DocumentSaved) {
        m_host.beep();
        const Answer answer = m_host.messageBox(
            QStringLiteral("編集中だったファイルへの変更が保存されていません。\r\n\r\n"
                           "変更を保存しますか？"),
            Buttons::YesNoCancel, Icon::Information, QStringLiteral("終了確認"));
        if (answer == Answer::Cancel)
            return false;
        if (answer == Answer::Yes) {
            m_documents->SaveDocument(doc.DocumentPath);
            m_host.beep();
            // The preview file is the only other copy: never end while the text is unsaved.
            if (!doc.DocumentSaved)
                return false;
        }
    }
    deleteScratchFiles();
    return true;
}

void frmEdit::deleteScratchFiles() {
    for (const char* name : {"HTML-TGLM-temp.html", "Table.dat", "HTML-TGLM-error.html"})
        QFile::remove(m_host.appFile(QString::fromLatin1(name)));
}

void frmEdit::Form_QueryUnload(int& cancel, int unloadMode) {
    if (unloadMode != 0)
        return;
    if (!askToSaveAndClean())
        cancel = -1;
}

void frmEdit::closeEvent(QCloseEvent* event) {
    int cancel = 0;
    Form_QueryUnload(cancel, m_sessionEnding ? 1 : 0);
    if (cancel != 0) {
        event->ignore();
        return;
    }
    event->accept();
    // Form_Unload: the program ends with its main window.
    qApp->quit();
}

void frmEdit::mnuEnd_Click() {
    if (!askToSaveAndClean())
        return;
    m_host.endProgram();
}
