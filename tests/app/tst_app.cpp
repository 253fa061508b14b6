#include "app/PaneLayout.h"
#include "app/StartPages.h"
#include "app/TextPane.h"
#include "app/frmEdit.h"
#include "document/Documents.h"
#include "document/Preview.h"
#include "host/BrowserPane.h"
#include "host/EditBuffer.h"
#include "support/FifoGuard.h"
#include "support/TestApp.h"

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>

class TstApp : public QObject {
    Q_OBJECT
private slots:
    void paneLayout_data();
    void paneLayout();
    void windowLaysOutItsPanesInTwips();
    void startPage_data();
    void startPage();
    void firstAndSecondStart();
    void startUpAppliesColorsAndFont();
    void recoveryYesRestoresTextAndOffersSave();
    void recoveryNoRewritesTheCopy();
    void recoveryFromAPipeIsNotWaitedOn();
    void badPaneSplitResetsSettings();
    void closeWithUnsavedChanges_data();
    void closeWithUnsavedChanges();
    void exitCommandEndsOnlyAfterASave();
    void sessionEndClosesWithoutPromptOrDeletion();
    void browserModeEndsWithEveryLayout();
};

namespace {

const char* const kScratch[] = {"HTML-TGLM-temp.html", "Table.dat", "HTML-TGLM-error.html"};

void placeScratchFiles(EditorFixture& fx) {
    for (const char* name : kScratch)
        writeBytes(fx.appFile(QString::fromLatin1(name)), "x");
}

int scratchFilesLeft(EditorFixture& fx) {
    int n = 0;
    for (const char* name : kScratch)
        n += QFile::exists(fx.appFile(QString::fromLatin1(name))) ? 1 : 0;
    return n;
}

} // namespace

void TstApp::paneLayout_data() {
    QTest::addColumn<int>("W");
    QTest::addColumn<int>("H");
    QTest::addColumn<int>("split");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("textWidth");
    QTest::addColumn<int>("browserLeft");
    QTest::addColumn<int>("browserWidth");
    QTest::addColumn<int>("height");
    QTest::newRow("free 25%") << 12000 << 9000 << 3 << 25 << 3000 << 3000 << 8900 << 7475;
    QTest::newRow("same size") << 12001 << 9000 << 0 << 50 << 6000 << 6000 << 5901 << 7475;
    QTest::newRow("larger text") << 12000 << 9000 << 1 << 50 << 8000 << 8000 << 3900 << 7475;
    QTest::newRow("larger preview") << 12000 << 9000 << 2 << 50 << 4000 << 4000 << 7900 << 7475;
    QTest::newRow("free 33%") << 10000 << 9000 << 3 << 33 << 3300 << 3300 << 6600 << 7475;
    // A failed division leaves the old width, here 5000, and the preview follows it.
    QTest::newRow("free 0%") << 12000 << 9000 << 3 << 0 << -1 << 5000 << 6900 << 7475;
    // A percent from an edited setting.dat that makes a width no int holds is left out too.
    QTest::newRow("free 2147483647%")
        << 12000 << 9000 << 3 << 2147483647 << -1 << 5000 << 6900 << 7475;
}

void TstApp::paneLayout() {
    QFETCH(int, W);
    QFETCH(int, H);
    QFETCH(int, split);
    QFETCH(int, percent);
    QFETCH(int, textWidth);
    QFETCH(int, browserLeft);
    QFETCH(int, browserWidth);
    QFETCH(int, height);
    const PaneLayout l = computePaneLayout(W, H, 825, 825, 5000, split, percent);
    QVERIFY(!l.resetSettings);
    QCOMPARE(l.textWidth.value_or(-1), textWidth);
    QCOMPARE(l.browserLeft.value_or(-1), browserLeft);
    QCOMPARE(l.browserWidth.value_or(-1), browserWidth);
    QCOMPARE(l.textHeight.value_or(-1), height);
    QCOMPARE(l.browserHeight.value_or(-1), height);

    QVERIFY(computePaneLayout(W, H, 825, 825, 0, 4, 50).resetSettings);
    QVERIFY(computePaneLayout(W, H, 825, 825, 0, -1, 50).resetSettings);
    // Sizes that cannot be applied are left out; the rest still is.
    const PaneLayout tiny = computePaneLayout(60, 900, 825, 825, 30, 0, 50);
    QVERIFY(!tiny.textHeight && !tiny.browserWidth);
    QCOMPARE(tiny.textWidth.value_or(-1), 30);
}

void TstApp::windowLaysOutItsPanesInTwips() {
    EditorFixture fx;
    fx.writeSettings({{10, QStringLiteral("3")}, {11, QStringLiteral("25")}});
    frmEdit& w = fx.open();
    w.resize(800, 600); // 12000 twips wide at 96 DPI
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.Form_Resize();
    const int outer = w.toTwips(w.frameGeometry().width());
    QCOMPARE(w.toTwips(w.txtEdit()->width()), outer / 4);
    QCOMPARE(w.toTwips(w.WB()->x()), outer / 4);
    // Pixels hold whole numbers only: within one pixel of the twips asked for.
    QVERIFY(qAbs(w.toTwips(w.WB()->width()) - (outer - outer / 4 - 100)) < w.twipsPerPixel());
    QCOMPARE(w.toTwips(w.txtEdit()->y()), 825);
}

void TstApp::startPage_data() {
    QTest::addColumn<QString>("startPage");
    QTest::addColumn<bool>("firstRun");
    QTest::addColumn<QString>("address");
    const QString about = QStringLiteral("about:<h2><FONT SIZE=\"\" COLOR=\"#0000FF\">Tagloom");
    QTest::newRow("first run") << "help" << true << "about:<HTML>\r\n<BODY BGCOLOR=\"#FFFFFF\">";
    QTest::newRow("help") << "help" << false << "file:///app/help.html";
    QTest::newRow("HELP is an address") << "HELP" << false << "HELP";
    QTest::newRow("address") << "http://example.test/" << false << "http://example.test/";
    QTest::newRow("about page") << "" << false << QString(about);
}

void TstApp::startPage() {
    QFETCH(QString, startPage);
    QFETCH(bool, firstRun);
    QFETCH(QString, address);
    Settings s;
    s.StartPage = startPage;
    const QString got = StartPages::startAddress(s, firstRun, QStringLiteral("/app/help.html"));
    QVERIFY2(got.startsWith(address), qPrintable(got));
    if (address == u"HELP" || address.startsWith(u"file") || address.startsWith(u"http"))
        QCOMPARE(got, address);
}

void TstApp::firstAndSecondStart() {
    {
        EditorFixture fx;
        fx.open();
        QVERIFY(fx.state.FirstRun);
        QVERIFY(QFile::exists(fx.appFile(QStringLiteral("setting.dat"))));
        QCOMPARE(fx.host.navigations().size(), 1);
        QCOMPARE(fx.host.navigations().first(),
                 QStringLiteral("about:") + StartPages::firstRunPage().left(1000));
        QVERIFY(fx.host.navigations().first().contains(u"初回起動のようですね？"));
        QCOMPARE(fx.window->windowTitle(), QStringLiteral("Tagloom -"));
        QCOMPARE(fx.state.QuoteChar, QStringLiteral("\""));
        QVERIFY(fx.state.document.DocumentSaved);
        QVERIFY(fx.host.unscripted.isEmpty());

        // The second start finds the default settings, whose start page is the about page.
        fx.window.reset();
        fx.host.clear();
        fx.open();
        QVERIFY(!fx.state.FirstRun);
        QVERIFY(fx.host.navigations().first().startsWith(QStringLiteral("about:<h2>")));
        QVERIFY(!fx.host.navigations().first().contains(u"初回起動"));
    }
}

void TstApp::startUpAppliesColorsAndFont() {
    EditorFixture fx;
    fx.writeSettings({{2, QStringLiteral("255")},
                      {3, QStringLiteral("16711680")},
                      {12, QStringLiteral("IPAGothic")},
                      {13, QStringLiteral("14")}});
    frmEdit& w = fx.open();
    const QPalette p = w.txtEdit()->palette();
    QCOMPARE(p.color(QPalette::Text), QColor(255, 0, 0));
    QCOMPARE(p.color(QPalette::Base), QColor(0, 0, 255));
    QCOMPARE(w.txtEdit()->font().families().value(0), QStringLiteral("IPAGothic"));
    QCOMPARE(w.txtEdit()->font().pointSize(), 14);
}

void TstApp::recoveryYesRestoresTextAndOffersSave() {
    EditorFixture fx;
    fx.writeSettings({});
    // What the last run previewed, in UTF-8 with a mark and LF line ends.
    writeBytes(fx.appFile(QStringLiteral("HTML-TGLM-temp.html")),
               QByteArray("\xEF\xBB\xBF") + QStringLiteral("<p>途中😀</p>\n<b>x</b>").toUtf8());
    fx.host.answers = {Answer::Yes};
    fx.host.fileChoices = {std::nullopt}; // the user cancels the save dialog
    frmEdit& w = fx.open();

    const QList<HostCall> boxes = fx.host.callsOf(QStringLiteral("msgbox"));
    QCOMPARE(boxes.size(), 3);
    QCOMPARE(boxes[0].title, QStringLiteral("ドキュメントの復元"));
    QCOMPARE(boxes[0].text, QStringLiteral("前回起動したときに正常に終了されなかったようです。\r\n"
                                           "そのときに編集中だったドキュメントを復元できます。\r\n"
                                           "復元しますか？"));
    QCOMPARE(boxes[0].icon, Icon::Exclamation);
    QCOMPARE(boxes[0].buttons, Buttons::YesNo);
    QCOMPARE(boxes[1].title, QStringLiteral("復元完了"));
    QVERIFY(boxes[1].text.endsWith(
        QStringLiteral("\r\n「復元されたドキュメント.html」として保存される予定です。")));
    QCOMPARE(boxes[2].text, QStringLiteral("キャンセルになりました"));
    QCOMPARE(fx.host.kinds().mid(0, 3), (QStringList{"navigate", "beep", "msgbox"}));

    const QString restored = fx.appFile(QStringLiteral("復元されたドキュメント.html"));
    QCOMPARE(w.buffer().text(), QStringLiteral("<p>途中😀</p>\r\n<b>x</b>\r\n"));
    QCOMPARE(fx.state.document.DocumentPath, restored);
    QCOMPARE(w.windowTitle(), QStringLiteral("Tagloom -") + restored);
    QVERIFY(!fx.state.document.DocumentSaved);
    QCOMPARE(fx.host.fileDialogName(), restored);
    QCOMPARE(fx.host.count(QStringLiteral("save")), 1);
    // The copy was rewritten from the restored text, and is still there.
    QVERIFY(QString::fromUtf8(readBytes(fx.appFile(QStringLiteral("HTML-TGLM-temp.html"))))
                .contains(QStringLiteral("<p>途中😀</p>\r\n<b>x</b>\r\n")));
}

void TstApp::recoveryNoRewritesTheCopy() {
    EditorFixture fx;
    fx.writeSettings({});
    writeBytes(fx.appFile(QStringLiteral("HTML-TGLM-temp.html")), "<p>lost</p>\r\n");
    fx.host.answers = {Answer::No};
    frmEdit& w = fx.open();
    QCOMPARE(w.buffer().text(), QString());
    // The copy now holds the empty text.
    QCOMPARE(Preview::recoveredText(readBytes(fx.appFile(QStringLiteral("HTML-TGLM-temp.html")))),
             std::optional(QString()));
    const QList<HostCall> boxes = fx.host.callsOf(QStringLiteral("msgbox"));
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[1].title, QStringLiteral("復元放棄"));
    QCOMPARE(boxes[1].text, QStringLiteral("復元可能だったデータは完全に削除されました。"));
    QCOMPARE(boxes[1].icon, Icon::Information);
    // The last beep is the user tag store's: tags.dat is created after the recovery.
    QCOMPARE(fx.host.kinds(),
             (QStringList{"navigate", "beep", "msgbox", "navigate", "beep", "msgbox", "beep"}));
}

void TstApp::recoveryFromAPipeIsNotWaitedOn() {
    EditorFixture fx;
    fx.writeSettings({});
    FifoGuard pipe(fx.appFile(QStringLiteral("HTML-TGLM-temp.html")));
    QVERIFY(pipe.made());
    fx.host.answers = {Answer::Yes};
    frmEdit& w = fx.open();
    QVERIFY(!pipe.released());
    const QList<HostCall> boxes = fx.host.callsOf(QStringLiteral("msgbox"));
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[1].text, QStringLiteral("前回のドキュメントを読み込めませんでした。\r\n"
                                           "通常のファイルではないため読み込めません（名前付き"
                                           "パイプ）"));
    QCOMPARE(w.buffer().text(), QString());
    QCOMPARE(fx.state.document.DocumentPath, QString());
}

void TstApp::badPaneSplitResetsSettings() {
    EditorFixture fx;
    fx.writeSettings({{10, QStringLiteral("7")}});
    placeScratchFiles(fx);
    fx.host.answers = {Answer::No}; // the recovery question
    frmEdit& w = fx.open();
    fx.host.clear();
    w.Form_Resize();
    const QList<HostCall> boxes = fx.host.callsOf(QStringLiteral("msgbox"));
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0].title, QStringLiteral("設定ファイル（セクタ：10内）"));
    QCOMPARE(boxes[0].icon, Icon::Error);
    QCOMPARE(boxes[1].title, QStringLiteral("エラー修復"));
    QCOMPARE(boxes[1].icon, Icon::Exclamation);
    QVERIFY(boxes[1].text.startsWith(
        QStringLiteral("設定はリセットされました。Tagloomを再起動してください。\r\n")));
    QCOMPARE(fx.host.kinds(), (QStringList{"beep", "msgbox", "msgbox", "end"}));
    QVERIFY(!QFile::exists(fx.appFile(QStringLiteral("setting.dat"))));
    // The preview file stays for the next start's recovery.
    QVERIFY(QFile::exists(fx.appFile(QStringLiteral("HTML-TGLM-temp.html"))));
}

void TstApp::closeWithUnsavedChanges_data() {
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<bool>("saveChosen");
    QTest::addColumn<bool>("closes");
    QTest::newRow("cancel keeps the window") << QList<Answer>{Answer::Cancel} << false << false;
    QTest::newRow("no closes and deletes") << QList<Answer>{Answer::No} << false << true;
    QTest::newRow("yes, save cancelled, stays") << QList<Answer>{Answer::Yes} << false << false;
    QTest::newRow("yes, saved, closes") << QList<Answer>{Answer::Yes} << true << true;
}

void TstApp::closeWithUnsavedChanges() {
    QFETCH(QList<Answer>, answers);
    QFETCH(bool, saveChosen);
    QFETCH(bool, closes);
    EditorFixture fx;
    frmEdit& w = fx.open();
    w.buffer().setText(QStringLiteral("<p>unsaved</p>"));
    placeScratchFiles(fx);
    fx.host.clear();
    fx.host.answers.assign(answers.begin(), answers.end());
    const QString target = fx.appFile(QStringLiteral("saved.html"));
    fx.host.fileChoices = {saveChosen ? std::optional<QString>(target) : std::nullopt};
    int cancel = 0;
    w.Form_QueryUnload(cancel, 0);
    QCOMPARE(cancel == 0, closes);
    QCOMPARE(scratchFilesLeft(fx), closes ? 0 : 3);
    const HostCall prompt = fx.host.callsOf(QStringLiteral("msgbox")).first();
    QCOMPARE(prompt.title, QStringLiteral("終了確認"));
    QCOMPARE(prompt.text,
             QStringLiteral("編集中だったファイルへの変更が保存されていません。\r\n\r\n"
                            "変更を保存しますか？"));
    QCOMPARE(prompt.buttons, Buttons::YesNoCancel);
    QCOMPARE(prompt.icon, Icon::Information);
    if (saveChosen)
        QCOMPARE(readBytes(target), QByteArray("<p>unsaved</p>\r\n"));
}

void TstApp::exitCommandEndsOnlyAfterASave() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    w.buffer().setText(QStringLiteral("x"));
    placeScratchFiles(fx);
    fx.host.answers = {Answer::Yes};
    fx.host.fileChoices = {std::nullopt};
    w.mnuEnd_Click();
    QVERIFY(!fx.host.ended);
    QCOMPARE(scratchFilesLeft(fx), 3);
    fx.host.answers = {Answer::Cancel};
    w.mnuEnd_Click();
    QVERIFY(!fx.host.ended);
    fx.host.answers = {Answer::No};
    w.mnuEnd_Click();
    QVERIFY(fx.host.ended);
    QCOMPARE(scratchFilesLeft(fx), 0);
}

void TstApp::sessionEndClosesWithoutPromptOrDeletion() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    w.buffer().setText(QStringLiteral("x"));
    placeScratchFiles(fx);
    fx.host.clear();
    int cancel = 0;
    w.Form_QueryUnload(cancel, 1);
    QCOMPARE(cancel, 0);
    QCOMPARE(fx.host.count(QStringLiteral("msgbox")), 0);
    QCOMPARE(scratchFilesLeft(fx), 3);
}

void TstApp::browserModeEndsWithEveryLayout() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    w.resize(800, 600);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QAction* item = w.findChild<QAction*>(QStringLiteral("mnuWBTool"));
    w.mnuWBTool_Click();
    QVERIFY(fx.state.BrowserMode);
    QCOMPARE(item->text(), QStringLiteral("（ブラウザ）画面を通常に元に戻す(&B)"));
    QCOMPARE(w.WB()->x(), 0);
    w.resize(820, 600);
    QTRY_VERIFY(!fx.state.BrowserMode);
    QCOMPARE(item->text(), QStringLiteral("ブラウザ(&B)"));
    QCOMPARE(w.WB()->x(), w.txtEdit()->width());
    w.mnuWBTool_Click();
    w.mnuWBTool_Click();
    QVERIFY(!fx.state.BrowserMode);
    QCOMPARE(item->text(), QStringLiteral("ブラウザモード(&B)"));
}

TAGLOOM_TEST_MAIN(TstApp)
#include "tst_app.moc"
