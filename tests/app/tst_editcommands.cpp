// The menu tree, the edit commands against the fake host, printing and the toolbar.
#include "app/EditCommands.h"
#include "app/MenuTree.h"
#include "app/TextPane.h"
#include "app/Toolbar.h"
#include "app/frmEdit.h"
#include "host/BrowserPane.h"
#include "host/EditBuffer.h"
#include "host/PagePrinter.h"
#include "support/TestApp.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>
#include <QWebEngineHistory>

class TstEditCommands : public QObject {
    Q_OBJECT
private slots:
    void topLevelMenus();
    void menuItems_data();
    void menuItems();
    void formsBranchCannotBeChosen();

    void clipboardCommands_data();
    void clipboardCommands();
    void selectAll_data();
    void selectAll();
    void characterCount_data();
    void characterCount();

    void printNo_data();
    void printNo();
    void printYes_data();
    void printYes();
    void printYesWindowDuringThePrint();
    void pagePrinterWritesAPdfWithoutAPrinter();

    void toolbarButtons_data();
    void toolbarButtons();
    void drawnIconsAreDistinctAndNotBlank();
    void eachButtonRunsItsActionThenBeeps_data();
    void eachButtonRunsItsActionThenBeeps();
    void updateButtonOverwritesTheDocument();
    void unknownKeyOnlyBeeps();
    void browserBackAndForwardAtTheEndsChangeNothing();
};

namespace {

QAction* item(frmEdit& w, const QString& name) {
    return w.menus().item(name);
}

// Non-transparent pixels of an icon at 24 pixels.
int inkedPixels(const QIcon& icon) {
    const QImage image = icon.pixmap(QSize(24, 24)).toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return n;
}

const QString kPrintPrompt =
    QStringLiteral("この機能は簡易印刷なので、プリンターや用紙の設定はできません。\r\n\r\n"
                   "印刷を実行しますか？");

} // namespace

void TstEditCommands::topLevelMenus() {
    EditorFixture fx;
    frmEdit& w = fx.open(false);
    QStringList names;
    QStringList captions;
    for (QAction* action : w.menuBar()->actions()) {
        names << action->menu()->objectName();
        captions << action->text();
    }
    QCOMPARE(names,
             (QStringList{"mnuFile", "mnuEdit", "mnuTools", "mnuHTML", "mnuSetting", "mnuHelp"}));
    QCOMPARE(captions, (QStringList{"ファイル(&F)", "編集(&E)", "ツール(&T)", "HTMLタグ(&H)",
                                    "設定(&S)", "ヘルプ(&H)"}));
}

void TstEditCommands::menuItems_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("items"); // name|caption|shortcut; a separator has no caption
    QTest::newRow("mnuFile") << "mnuFile"
                             << QStringList{"mnuOpenFile|開く(&O)...|Ctrl+O",
                                            "mnuNewFile|新規作成ウィザード(&N)...|",
                                            "mnuUpdateFile|上書き保存(&U)|Ctrl+U",
                                            "mnuSaveFile|名前を付けて保存(&S)...|Ctrl+S",
                                            "mnuPrint|プレビューされているものを印刷(&P)|Ctrl+P",
                                            "mnuSep1||",
                                            "mnuEnd|終了(&X)|"};
    QTest::newRow("mnuEdit") << "mnuEdit"
                             << QStringList{"mnuBack|元に戻す(&B)|Ctrl+Z",
                                            "mnuAllSelect|全て選択(&A)|Ctrl+A",
                                            "mnuSep2||",
                                            "mnuCopy|コピー(&C)|",
                                            "mnuPaste|貼り付け(&P)|",
                                            "mnuCutDel|切り取り(&K)|",
                                            "mnuClear|クリップボードのクリア(&D)|Ctrl+C",
                                            "mnuSep||",
                                            "mnuReSe|検索/置き換え(&S)|Ctrl+F"};
    QTest::newRow("mnuTools") << "mnuTools"
                              << QStringList{"mnuColorTool|カラーコード(&C)...|F2",
                                             "mnuSelCSVTool|表（テーブル）を作成する(&S)...|F3",
                                             "mnuTableTool|CSVファイルを表（テーブル）に変換(&T)..."
                                             "|Ctrl+F3",
                                             "mnuSep4||",
                                             "mnuImageV|画像ビューアー(&V)|F6",
                                             "mnuWBTool|ブラウザモード(&B)|F7",
                                             "SepLast||",
                                             "mnuStringReport|文字数報告(&R)|",
                                             "mnuCheck|HTMLの検査(&K)|F8",
                                             "mnuSep6||",
                                             "mnuCaretPreview|カーソル位置をプレビューで示す|F9"};
    QTest::newRow("mnuSetting") << "mnuSetting"
                                << QStringList{"mnuTag|タグ登録(&T)...|Ctrl+T",
                                               "mnuTagDel|タグ削除(&D)...|Ctrl+D",
                                               "mnuOption|オプション(&O)...|F4"};
    QTest::newRow("mnuHelp") << "mnuHelp"
                             << QStringList{"mnuHelpDoc|ヘルプドキュメントの表示(&D)|F11",
                                            "mnuHelpInfo|バグ報告/感想/要望を書く(&B)|Ctrl+H",
                                            "mnuSep5||", "mnuVersion|バージョン情報(&V)...|F12"};
}

void TstEditCommands::menuItems() {
    QFETCH(QString, menu);
    QFETCH(QStringList, items);
    EditorFixture fx;
    frmEdit& w = fx.open(false);
    const QList<QAction*> actions = w.menus().menu(menu)->actions();
    QCOMPARE(actions.size(), items.size());
    for (int i = 0; i < items.size(); ++i) {
        const QStringList expected = items[i].split(u'|');
        QAction* action = actions[i];
        QCOMPARE(action->objectName(), expected[0]);
        QCOMPARE(action->isSeparator(), expected[1].isEmpty());
        if (action->isSeparator())
            continue;
        QCOMPARE(action->text(), expected[1]);
        QCOMPARE(action->shortcut().toString(QKeySequence::PortableText), expected[2]);
        QCOMPARE(action->shortcuts().size(), expected[2].isEmpty() ? 0 : 1);
    }
}

void TstEditCommands::formsBranchCannotBeChosen() {
    EditorFixture fx;
    frmEdit& w = fx.open(false);
    QMenu* forms = w.menus().menu(QStringLiteral("mnuformHTML"));
    if (!forms)
        QSKIP("the HTML menu has no forms branch yet");
    QCOMPARE(forms->title(), QStringLiteral("フォーム(&F)"));
    QVERIFY(!forms->menuAction()->isEnabled());
}

void TstEditCommands::clipboardCommands_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("clipboardBefore");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QStringList>("kinds");
    const QStringList setAndBeep{"clipboard", "beep"};
    QTest::newRow("copy") << "mnuCopy"
                          << "abc" << 1 << 1 << "x"
                          << "abc" << 1 << "b" << setAndBeep;
    QTest::newRow("copy nothing") << "mnuCopy"
                                  << "abc" << 2 << 0 << "x"
                                  << "abc" << 2 << "" << setAndBeep;
    QTest::newRow("copy lines") << "mnuCopy"
                                << "a\r\nb" << 0 << 4 << "x"
                                << "a\r\nb" << 0 << "a\r\nb" << setAndBeep;
    QTest::newRow("cut") << "mnuCutDel"
                         << "abc" << 1 << 1 << "x"
                         << "ac" << 1 << "b" << setAndBeep;
    QTest::newRow("cut a line break") << "mnuCutDel"
                                      << "a\r\nb" << 1 << 2 << "x"
                                      << "ab" << 1 << "\r\n"
                                      << setAndBeep;
    QTest::newRow("paste") << "mnuPaste"
                           << "abc" << 1 << 1 << "X\r\nY"
                           << "aX\r\nYc" << 5 << "X\r\nY" << QStringList();
    QTest::newRow("paste nothing") << "mnuPaste"
                                   << "abc" << 1 << 1 << ""
                                   << "ac" << 1 << "" << QStringList();
    QTest::newRow("clear") << "mnuClear"
                           << "abc" << 1 << 1 << "zz"
                           << "abc" << 1 << "" << QStringList{"clipboard", "beep", "msgbox"};
}

void TstEditCommands::clipboardCommands() {
    QFETCH(QString, command);
    QFETCH(QString, start);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(QString, clipboardBefore);
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, clipboard);
    QFETCH(QStringList, kinds);
    EditorFixture fx;
    frmEdit& w = fx.open();
    w.buffer().setText(start);
    w.buffer().setSelection(selStart, selLength);
    fx.host.clipboard = clipboardBefore;
    fx.host.clear();
    QAction* action = item(w, command);
    QVERIFY(action->isEnabled());
    action->trigger();
    QCOMPARE(w.buffer().text(), text);
    QCOMPARE(w.buffer().selectionStart(), caret);
    QCOMPARE(fx.host.clipboard, clipboard);
    QCOMPARE(fx.host.kinds(), kinds);
    if (command == u"mnuClear") {
        const HostCall box = fx.host.calls.last();
        QCOMPARE(box.title, QStringLiteral("クリップボードのクリア"));
        QCOMPARE(box.text, QStringLiteral("クリップボードにコピーされている文字をクリアしました"));
        QCOMPARE(box.icon, Icon::Information);
    }
}

void TstEditCommands::selectAll_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("length");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("one line") << "abc" << 3;
    QTest::newRow("two lines") << "a\r\nb" << 4;
}

void TstEditCommands::selectAll() {
    QFETCH(QString, text);
    QFETCH(int, length);
    EditorFixture fx;
    frmEdit& w = fx.open();
    w.buffer().setText(text);
    w.buffer().setSelection(w.buffer().length());
    fx.host.clear();
    item(w, QStringLiteral("mnuAllSelect"))->trigger();
    QCOMPARE(w.buffer().selectionStart(), 0);
    QCOMPARE(w.buffer().selectionLength(), length);
    QCOMPARE(w.buffer().selectedText(), text);
    QCOMPARE(fx.host.kinds(), QStringList());
}

void TstEditCommands::characterCount_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("one letter") << "a" << 1;
    QTest::newRow("two one-letter lines") << "a\r\nb" << 3;
    QTest::newRow("empty line between") << "a\r\n\r\nb" << 4;
    QTest::newRow("trailing line break") << "ab\r\n" << 3;
    QTest::newRow("Japanese") << "日本語です" << 5;
    QTest::newRow("surrogate pair") << QStringLiteral("\U00020BB7x") << 2;
}

void TstEditCommands::characterCount() {
    QFETCH(QString, text);
    QFETCH(int, count);
    EditorFixture fx;
    frmEdit& w = fx.open();
    w.buffer().setText(text);
    fx.host.clear();
    item(w, QStringLiteral("mnuStringReport"))->trigger();
    QCOMPARE(fx.host.kinds(), (QStringList{"beep", "msgbox"}));
    const HostCall box = fx.host.calls.last();
    QCOMPARE(box.title, QStringLiteral("現在編集中のドキュメントの文章"));
    QCOMPARE(box.text, QStringLiteral("現在編集中の文章の文字数は、\r\n%1文字です").arg(count));
    QCOMPARE(box.icon, Icon::Information);
    QCOMPARE(box.buttons, Buttons::Ok);
}

void TstEditCommands::printNo_data() {
    QTest::addColumn<Answer>("answer");
    QTest::newRow("No") << Answer::No;
    QTest::newRow("closed") << Answer::Cancel;
}

void TstEditCommands::printNo() {
    QFETCH(Answer, answer);
    EditorFixture fx;
    frmEdit& w = fx.open();
    fx.host.clear();
    fx.host.answers = {answer};
    item(w, QStringLiteral("mnuPrint"))->trigger();
    QCOMPARE(fx.host.kinds(), (QStringList{"beep", "msgbox", "beep"}));
    const HostCall box = fx.host.calls[1];
    QCOMPARE(box.title, QStringLiteral("印刷確認"));
    QCOMPARE(box.text, kPrintPrompt);
    QCOMPARE(box.icon, Icon::Exclamation);
    QCOMPARE(box.buttons, Buttons::YesNo);
    QVERIFY(!(w.windowState() & Qt::WindowMaximized));
}

void TstEditCommands::printYes_data() {
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("pdf"); // relative names are in the application folder
    QTest::newRow("no document") << ""
                                 << "HTML-TGLM-print.pdf";
    QTest::newRow("a document") << "/home/user/site/index.html"
                                << "/home/user/site/index.pdf";
    QTest::newRow("dots in the name") << "/w/a.b/page.v2.htm"
                                      << "/w/a.b/page.v2.pdf";
}

void TstEditCommands::printYes() {
    QFETCH(QString, document);
    QFETCH(QString, pdf);
    EditorFixture fx;
    frmEdit& w = fx.open();
    fx.state.document.DocumentPath = document;
    const Qt::WindowStates before = w.windowState();
    fx.host.clear();
    fx.host.answers = {Answer::Yes};
    item(w, QStringLiteral("mnuPrint"))->trigger();
    QCOMPARE(fx.host.kinds(), (QStringList{"beep", "msgbox", "beep", "print"}));
    QCOMPARE(fx.host.calls[1].text, kPrintPrompt);
    QVERIFY(w.isEnabled());
    QCOMPARE(w.windowState(), before);
    // Enabling the window again leaves the greyed-out submenus grey.
    if (QMenu* forms = w.menus().menu(QStringLiteral("mnuformHTML")))
        QVERIFY(!forms->menuAction()->isEnabled());
    QVERIFY(w.menus().menu(QStringLiteral("mnuPageHTML"))->menuAction()->isEnabled());
    const QString expected = pdf.startsWith(u'/') ? pdf : fx.appFile(pdf);
    QCOMPARE(PagePrinter::forView(w.WB())->pdfFallbackPath(), expected);
}

void TstEditCommands::printYesWindowDuringThePrint() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const int wbTop = w.WB()->y();
    const int wbHeight = w.WB()->height();
    QVERIFY(w.WB()->x() > 0);
    fx.host.holdPrints = true;
    fx.host.answers = {Answer::Yes};
    w.menus().item(QStringLiteral("mnuPrint"))->trigger();
    // The print goes on after the command has returned: the window waits for it.
    QVERIFY(fx.host.finishPrint);
    QCoreApplication::processEvents();
    QVERIFY(!w.isEnabled());
    QVERIFY(w.windowState().testFlag(Qt::WindowMaximized));
    QCOMPARE(w.WB()->x(), 0);
    QCOMPARE(w.WB()->y(), wbTop);
    QCOMPARE(w.WB()->height(), wbHeight);

    fx.host.finishPrint();
    QVERIFY(w.isEnabled());
    QVERIFY(!w.windowState().testFlag(Qt::WindowMaximized));
}

void TstEditCommands::pagePrinterWritesAPdfWithoutAPrinter() {
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("this system has a default printer; the PDF path is for systems without one");
    QTemporaryDir dir;
    BrowserPane pane;
    pane.resize(600, 400);
    pane.show();
    QSignalSpy loaded(&pane, &QWebEngineView::loadFinished);
    pane.navigate(QStringLiteral("about:<html><body><h1>印刷の見本</h1></body></html>"));
    QVERIFY(loaded.wait(20000));

    PagePrinter* printer = PagePrinter::forView(&pane);
    QCOMPARE(PagePrinter::forView(&pane), printer);
    const QString path = dir.filePath(QStringLiteral("page.pdf"));
    printer->setPdfFallbackPath(path);
    QStringList messages;
    printer->setReporter([&messages](const QString& m) { messages << m; });
    QSignalSpy finished(printer, &PagePrinter::finished);

    bool done = false;
    pane.printPage([&done] { done = true; });
    QVERIFY(printer->isBusy());
    pane.printPage(); // ignored while the first runs
    // A refresh during the print waits for it; the page being printed stays.
    const QUrl printed = pane.url();
    pane.navigate(QStringLiteral("about:<html><body>first</body></html>"));
    pane.navigate(QStringLiteral("about:<html><body><p id=t>newest</p></body></html>"));
    QCOMPARE(pane.url(), printed);
    QVERIFY(!done);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
    QVERIFY(done);
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QVERIFY(readBytes(path).startsWith("%PDF"));
    QCOMPARE(messages,
             QStringList{QStringLiteral("プリンターが見つからないため、PDFファイルに保存しました。"
                                        "\r\n\r\n") +
                         QDir::toNativeSeparators(path)});

    // The newest page is loaded once the print is out (the load may already have ended).
    QTRY_VERIFY_WITH_TIMEOUT(loaded.count() >= 2, 20000);
    bool shown = false;
    pane.page()->runJavaScript(QStringLiteral("document.getElementById('t') ? 1 : 0"),
                               [&shown](const QVariant& v) { shown = v.toInt() == 1; });
    QTRY_VERIFY(shown);

    // A second print keeps the first file.
    pane.printPage();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 30000);
    const QString second = dir.filePath(QStringLiteral("page (2).pdf"));
    QVERIFY(readBytes(second).startsWith("%PDF"));
    QVERIFY(messages.last().endsWith(QDir::toNativeSeparators(second)));
    QTest::qWait(200);
    QCOMPARE(finished.count(), 2);
}

void TstEditCommands::toolbarButtons_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("boOpen") << 0 << "boOpen"
                            << "開く"
                            << "HTMLファイルを開きます";
    QTest::newRow("boUpdate") << 1 << "boUpdate"
                              << "上書き保存"
                              << "開いているファイルに上書きします";
    QTest::newRow("boSave") << 2 << "boSave"
                            << "保存"
                            << "新規に名前を付けて保存します";
    QTest::newRow("boBack") << 3 << "boBack"
                            << "元に戻す"
                            << "ソースの変更を一段階前の状態に戻します";
    QTest::newRow("boUpdateB") << 4 << "boUpdateB"
                               << "表示更新"
                               << "ブラウザプレビューを最新のソースに更新します";
    QTest::newRow("boTAG") << 5 << "boTAG"
                           << "<TAG>"
                           << "HTMLタグのメニューを表示します";
    QTest::newRow("boBback") << 6 << "boBback"
                             << "ブラウザ戻る"
                             << "ブラウザの戻るボタンと同じです";
    QTest::newRow("boBforward") << 7 << "boBforward"
                                << "ブラウザ進む"
                                << "ブラウザの進むボタンと同じです";
}

void TstEditCommands::toolbarButtons() {
    QFETCH(int, index);
    QFETCH(QString, key);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    EditorFixture fx;
    frmEdit& w = fx.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QToolBar* bar = w.Toolbar1();
    QCOMPARE(bar->actions().size(), 8);
    QCOMPARE(bar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    QAction* action = bar->actions().at(index);
    QCOMPARE(action->objectName(), key);
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->toolTip(), tooltip);
    QVERIFY(inkedPixels(action->icon()) > 20);
    auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
    QVERIFY(button);
    QVERIFY(button->isVisible());
    QCOMPARE(button->text(), caption);
    // Caption and icon both fit in the band above the panes.
    QVERIFY(button->sizeHint().height() <= bar->height());
}

void TstEditCommands::drawnIconsAreDistinctAndNotBlank() {
    QList<QImage> images;
    for (const QString& key : Toolbar::keys()) {
        const QIcon icon = Toolbar::drawnIcon(key);
        QVERIFY2(inkedPixels(icon) > 40, qPrintable(key));
        const QImage image = icon.pixmap(QSize(32, 32)).toImage();
        for (const QImage& other : images)
            QVERIFY2(image != other, qPrintable(key));
        images << image;
    }
    QCOMPARE(images.size(), 8);
}

void TstEditCommands::eachButtonRunsItsActionThenBeeps_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("previewUpdate");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("boOpen") << "boOpen" << 0 << "open"
                            << "";
    QTest::newRow("boUpdate, no document") << "boUpdate" << 0 << "msgbox"
                                           << "ファイルが保存されていません｡";
    QTest::newRow("boSave") << "boSave" << 0 << "save"
                            << "";
    QTest::newRow("boBack") << "boBack" << 0 << "inject"
                            << "^Z";
    QTest::newRow("boUpdateB, on change") << "boUpdateB" << 0 << "navigate"
                                          << "";
    QTest::newRow("boUpdateB, on request") << "boUpdateB" << 1 << "navigate"
                                           << "";
    QTest::newRow("boUpdateB, on a timer") << "boUpdateB" << 2 << "navigate"
                                           << "";
    QTest::newRow("boTAG") << "boTAG" << 0 << "popup"
                           << "mnuHTML";
    QTest::newRow("boBback") << "boBback" << 0 << "back"
                             << "";
    QTest::newRow("boBforward") << "boBforward" << 0 << "forward"
                                << "";
}

void TstEditCommands::eachButtonRunsItsActionThenBeeps() {
    QFETCH(QString, key);
    QFETCH(int, previewUpdate);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    EditorFixture fx;
    fx.writeSettings({{1, QString::number(previewUpdate)}});
    frmEdit& w = fx.open();
    fx.host.deliverKeysTo = nullptr;
    w.buffer().setText(QStringLiteral("<P>x</P>"));
    fx.state.document.DocumentSaved = true;
    fx.host.clear();
    QAction* button = w.Toolbar1()->findChild<QAction*>(key);
    QVERIFY(button);
    button->trigger();
    const QStringList kinds = fx.host.kinds();
    QVERIFY(kinds.size() >= 2);
    // The action's own call (the document commands may beep before their dialogs), and the
    // button's beep after everything.
    const qsizetype at = kinds.indexOf(kind);
    QVERIFY2(at >= 0, qPrintable(kinds.join(u' ')));
    QCOMPARE(kinds.last(), QStringLiteral("beep"));
    if (!text.isEmpty())
        QCOMPARE(fx.host.calls.at(at).text, text);
    if (key == u"boUpdate") {
        QCOMPARE(kinds, (QStringList{"msgbox", "beep"}));
        QCOMPARE(fx.host.calls.first().title, QStringLiteral("セーブエラー"));
        QCOMPARE(fx.host.calls.first().icon, Icon::Exclamation);
    }
    if (key == u"boUpdateB") {
        QCOMPARE(kinds, (QStringList{"navigate", "beep"}));
        QVERIFY(readBytes(fx.appFile(QStringLiteral("HTML-TGLM-temp.html"))).contains("<P>x</P>"));
    }
    if (key == u"boBack" || key == u"boTAG" || key == u"boBback" || key == u"boBforward")
        QCOMPARE(kinds.size(), 2);
}

void TstEditCommands::updateButtonOverwritesTheDocument() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    const QString path = fx.appFile(QStringLiteral("page.html"));
    fx.state.document.DocumentPath = path;
    w.buffer().setText(QStringLiteral("<B>saved</B>"));
    fx.host.clear();
    w.Toolbar1()->findChild<QAction*>(QStringLiteral("boUpdate"))->trigger();
    QVERIFY(readBytes(path).contains("<B>saved</B>"));
    QCOMPARE(fx.host.kinds().last(), QStringLiteral("beep"));
    QCOMPARE(fx.host.count(QStringLiteral("save")), 0);
}

void TstEditCommands::unknownKeyOnlyBeeps() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    fx.host.clear();
    w.toolbarButtons()->Toolbar1_ButtonClick(QStringLiteral("boNothing"));
    QCOMPARE(fx.host.kinds(), QStringList{QStringLiteral("beep")});
}

void TstEditCommands::browserBackAndForwardAtTheEndsChangeNothing() {
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("one.html"));
    const QString second = dir.filePath(QStringLiteral("two.html"));
    writeBytes(first, "<p>one</p>");
    writeBytes(second, "<p>two</p>");
    BrowserPane pane;
    pane.resize(400, 300);
    pane.show();
    QSignalSpy shown(&pane, &BrowserPane::navigationShown);
    pane.navigate(QUrl::fromLocalFile(first).toString());
    QVERIFY(shown.wait(20000));
    const QUrl one = pane.url();
    pane.goBack();
    QTest::qWait(300);
    QCOMPARE(pane.url(), one);
    pane.goForward();
    QTest::qWait(300);
    QCOMPARE(pane.url(), one);

    pane.navigate(QUrl::fromLocalFile(second).toString());
    QVERIFY(shown.wait(20000));
    const QUrl two = pane.url();
    pane.goForward();
    QTest::qWait(300);
    QCOMPARE(pane.url(), two);
    QCOMPARE(pane.history()->count(), 2);
}

TAGLOOM_TEST_MAIN(TstEditCommands)
#include "tst_editcommands.moc"
