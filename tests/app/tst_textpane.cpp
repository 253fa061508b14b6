// The text pane's keys in a shown, active main window: which keys the menus take, the
// single-step undo, Enter and Shift+Enter, and the F1 popups.
#include "app/EditCommands.h"
#include "app/MenuTree.h"
#include "app/TextPane.h"
#include "app/frmEdit.h"
#include "document/Documents.h"
#include "host/EditBuffer.h"
#include "support/TestApp.h"
#include "tags/InsertTag.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QTextBlock>
#include <QToolBar>

class TstTextPane : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void ctrlCClearsTheClipboardInsteadOfCopying();
    void ctrlZTwiceRestoresTheText();
    void menuKeysRunTheirItems_data();
    void menuKeysRunTheirItems();
    void paneKeysKeepTheirMeaning_data();
    void paneKeysKeepTheirMeaning();
    void undoIsOneStep_data();
    void undoIsOneStep();
    void enterKeys_data();
    void enterKeys();
    void f1Popups_data();
    void f1Popups();
    void shiftF1WithoutRegisteredTagsDoesNothing();
    void aLoadedDocumentIsNotUndone_data();
    void aLoadedDocumentIsNotUndone();
    void tabMovesTheFocusAndCtrlTabTypesATab();

private:
    TextPane* pane() const { return fx->window->txtEdit(); }
    EditBuffer& buffer() const { return fx->window->buffer(); }
    // Lets queued work run: injected keys and the end of a command's step.
    static void settle() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    QStringList triggeredItems() const { return m_triggered; }

    std::unique_ptr<EditorFixture> fx;
    QStringList m_triggered;
};

void TstTextPane::initTestCase() {
    fx = std::make_unique<EditorFixture>();
    frmEdit& w = fx->open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // Without a window manager the focus is given, not negotiated.
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w, 2000))
        QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    for (QAction* action : w.findChildren<QAction*>()) {
        if (!action->objectName().startsWith(u"mnu") || action->isSeparator() || action->menu())
            continue;
        connect(action, &QAction::triggered, this,
                [this, action] { m_triggered << action->objectName(); });
    }
}

void TstTextPane::cleanupTestCase() {
    fx.reset();
}

void TstTextPane::init() {
    fx->state.settings.BrOnEnter = 0;
    fx->state.document.DocumentPath.clear();
    buffer().setText(QString());
    pane()->setFocus();
    settle();
    QVERIFY(pane()->hasFocus());
    fx->host.clear();
    fx->host.answers.clear();
    m_triggered.clear();
}

void TstTextPane::ctrlCClearsTheClipboardInsteadOfCopying() {
    QGuiApplication::clipboard()->setText(QStringLiteral("keep"));
    fx->host.clipboard = QStringLiteral("old");
    buffer().setText(QStringLiteral("abc"));
    buffer().setSelection(0, 3);
    settle();
    fx->host.clear();
    QTest::keyClick(pane(), Qt::Key_C, Qt::ControlModifier);
    settle();
    QCOMPARE(triggeredItems(), QStringList{QStringLiteral("mnuClear")});
    QCOMPARE(fx->host.kinds(), (QStringList{"clipboard", "beep", "msgbox"}));
    QCOMPARE(fx->host.clipboard, QString());
    const HostCall box = fx->host.callsOf(QStringLiteral("msgbox")).constFirst();
    QCOMPARE(box.text, QStringLiteral("クリップボードにコピーされている文字をクリアしました"));
    QCOMPARE(box.title, QStringLiteral("クリップボードのクリア"));
    QCOMPARE(box.icon, Icon::Information);
    QCOMPARE(box.buttons, Buttons::Ok);
    // The pane's own copy did not run.
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("keep"));
    QCOMPARE(buffer().text(), QStringLiteral("abc"));
}

void TstTextPane::ctrlZTwiceRestoresTheText() {
    QTest::keyClicks(pane(), QStringLiteral("abc"));
    settle();
    fx->host.clear();
    QTest::keyClick(pane(), Qt::Key_Z, Qt::ControlModifier);
    // The undo key arrives after the command has returned.
    QCOMPARE(buffer().text(), QStringLiteral("abc"));
    settle();
    QCOMPARE(buffer().text(), QString());
    QCOMPARE(triggeredItems(), QStringList{QStringLiteral("mnuBack")});
    // The undone text is a change like any other: the preview follows it.
    QCOMPARE(fx->host.kinds(), (QStringList{"inject", "beep", "navigate"}));
    QCOMPARE(fx->host.calls.constFirst().text, QStringLiteral("^Z"));
    QTest::keyClick(pane(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    QCOMPARE(buffer().text(), QStringLiteral("abc"));
    QCOMPARE(triggeredItems().size(), 2);
}

void TstTextPane::menuKeysRunTheirItems_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("item");
    QTest::newRow("Ctrl+A") << int(Qt::Key_A) << int(Qt::ControlModifier) << "mnuAllSelect";
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << int(Qt::ControlModifier) << "mnuClear";
    QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << int(Qt::ControlModifier) << "mnuBack";
    QTest::newRow("Ctrl+P") << int(Qt::Key_P) << int(Qt::ControlModifier) << "mnuPrint";
    QTest::newRow("Ctrl+U") << int(Qt::Key_U) << int(Qt::ControlModifier) << "mnuUpdateFile";
    QTest::newRow("F7") << int(Qt::Key_F7) << 0 << "mnuWBTool";
    QTest::newRow("F11") << int(Qt::Key_F11) << 0 << "mnuHelpDoc";
}

void TstTextPane::menuKeysRunTheirItems() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, item);
    buffer().setText(QStringLiteral("one\r\ntwo"));
    buffer().setSelection(5, 0);
    settle();
    fx->host.answers = {Answer::No};
    QTest::keyClick(pane(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    settle();
    QCOMPARE(triggeredItems(), QStringList{item});
    if (item == u"mnuAllSelect") {
        // The item's selection, in CR LF units; the pane's own select-all would give the same,
        // so the trigger above is what tells them apart.
        QCOMPARE(buffer().selectionStart(), 0);
        QCOMPARE(buffer().selectionLength(), 8);
    }
    if (item == u"mnuWBTool")
        QTest::keyClick(pane(), Qt::Key_F7); // back to the normal layout
}

void TstTextPane::paneKeysKeepTheirMeaning_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("systemClipboard");
    const int ctrl = int(Qt::ControlModifier);
    QTest::newRow("Ctrl+V pastes")
        << int(Qt::Key_V) << ctrl << "abc" << 1 << 1 << "aQQc" << 3 << "QQ";
    QTest::newRow("Ctrl+X cuts") << int(Qt::Key_X) << ctrl << "abc" << 1 << 1 << "ac" << 1 << "b";
    QTest::newRow("Left") << int(Qt::Key_Left) << 0 << "abc" << 2 << 0 << "abc" << 1 << "QQ";
    QTest::newRow("Home") << int(Qt::Key_Home) << 0 << "ab\r\ncd" << 6 << 0 << "ab\r\ncd" << 4
                          << "QQ";
    QTest::newRow("End") << int(Qt::Key_End) << 0 << "ab\r\ncd" << 0 << 0 << "ab\r\ncd" << 2
                         << "QQ";
}

void TstTextPane::paneKeysKeepTheirMeaning() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, start);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, systemClipboard);
    QGuiApplication::clipboard()->setText(QStringLiteral("QQ"));
    buffer().setText(start);
    buffer().setSelection(selStart, selLength);
    settle();
    QTest::keyClick(pane(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    settle();
    QCOMPARE(triggeredItems(), QStringList());
    QCOMPARE(buffer().text(), text);
    QCOMPARE(buffer().selectionStart(), caret);
    QCOMPARE(QGuiApplication::clipboard()->text(), systemClipboard);
}

void TstTextPane::undoIsOneStep_data() {
    QTest::addColumn<QString>("start");
    // Steps, one per entry: "type:TEXT", "key:Left", "key:Backspace", "key:Enter",
    // "select:S,L", "ctrlV:TEXT", "ctrlX", "paste:TEXT" (the paste command), "tag" (a tag
    // around the selection).
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("brOnEnter");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("undone");
    QTest::newRow("typed run") << "" << QStringList{"type:abc"} << false << "abc"
                               << "";
    QTest::newRow("run goes on over a line break")
        << "" << QStringList{"type:ab", "key:Enter", "type:cd"} << false << "ab\r\ncd"
        << "";
    QTest::newRow("run goes on over backspace")
        << "" << QStringList{"type:abc", "key:Backspace"} << false << "ab"
        << "";
    QTest::newRow("caret move starts a run")
        << "" << QStringList{"type:ab", "key:Left", "type:X"} << false << "aXb"
        << "ab";
    QTest::newRow("typing over a selection starts a run")
        << "" << QStringList{"type:abc", "select:1,1", "type:Z"} << false << "aZc"
        << "abc";
    QTest::newRow("paste key") << "" << QStringList{"type:ab", "ctrlV:zz"} << false << "abzz"
                               << "ab";
    QTest::newRow("typing after a paste")
        << "" << QStringList{"ctrlV:zz", "type:q"} << false << "zzq"
        << "zz";
    QTest::newRow("cut key") << "abc" << QStringList{"select:1,1", "ctrlX"} << false << "ac"
                             << "abc";
    QTest::newRow("paste command") << "" << QStringList{"type:ab", "paste:Q"} << false << "abQ"
                                   << "ab";
    QTest::newRow("tag around a selection is one step")
        << "abc" << QStringList{"select:1,1", "tag"} << false << "a<B>b</B>c"
        << "abc";
    QTest::newRow("BR on Enter is typing")
        << "" << QStringList{"type:a", "key:Enter"} << true << "a<BR>\r\n"
        << "";
    QTest::newRow("lines come back")
        << "one\r\ntwo\r\nthree" << QStringList{"select:0,15", "type:x"} << false << "x"
        << "one\r\ntwo\r\nthree";
    // Qt's document would make each of these two noncharacters a line break.
    QTest::newRow("frame bounds pasted are one character each")
        << "" << QStringList{"type:a", QStringLiteral("ctrlV:x\uFDD0y\uFDD1")} << false
        << QStringLiteral("ax\uFFFDy\uFFFD") << "a";
    QTest::newRow("surrogate pairs")
        << QStringLiteral("a\U00020BB7b") << QStringList{"select:1,2", "paste:\U00020BB8"} << false
        << QStringLiteral("a\U00020BB8b") << QStringLiteral("a\U00020BB7b");
}

void TstTextPane::undoIsOneStep() {
    QFETCH(QString, start);
    QFETCH(QStringList, steps);
    QFETCH(bool, brOnEnter);
    QFETCH(QString, before);
    QFETCH(QString, undone);
    fx->state.settings.BrOnEnter = brOnEnter ? 1 : 0;
    buffer().setText(start);
    buffer().setSelection(buffer().length());
    settle();
    for (const QString& step : steps) {
        const QString arg = step.section(u':', 1);
        if (step.startsWith(u"type:")) {
            QTest::keyClicks(pane(), arg);
        } else if (step == u"key:Left") {
            QTest::keyClick(pane(), Qt::Key_Left);
        } else if (step == u"key:Backspace") {
            QTest::keyClick(pane(), Qt::Key_Backspace);
        } else if (step == u"key:Enter") {
            QTest::keyClick(pane(), Qt::Key_Return);
        } else if (step.startsWith(u"select:")) {
            buffer().setSelection(arg.section(u',', 0, 0).toInt(), arg.section(u',', 1).toInt());
        } else if (step.startsWith(u"ctrlV:")) {
            QGuiApplication::clipboard()->setText(arg);
            QTest::keyClick(pane(), Qt::Key_V, Qt::ControlModifier);
        } else if (step == u"ctrlX") {
            QTest::keyClick(pane(), Qt::Key_X, Qt::ControlModifier);
        } else if (step.startsWith(u"paste:")) {
            fx->host.clipboard = arg;
            fx->window->editCommands().mnuPaste_Click();
        } else if (step == u"tag") {
            InsertTag(buffer(), QStringLiteral("<B>"), QStringLiteral("</B>"), false, 0);
        } else {
            QFAIL(qPrintable(step));
        }
        settle();
    }
    QCOMPARE(buffer().text(), before);
    QTest::keyClick(pane(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    QCOMPARE(buffer().text(), undone);
    QTest::keyClick(pane(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    QCOMPARE(buffer().text(), before);
}

void TstTextPane::enterKeys_data() {
    QTest::addColumn<int>("brOnEnter");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("text");
    const int ret = int(Qt::Key_Return);
    const int shift = int(Qt::ShiftModifier);
    QTest::newRow("off, Enter") << 0 << ret << 0 << "ab" << 0 << "a\r\nb";
    QTest::newRow("off, Shift+Enter") << 0 << ret << shift << "ab" << 0 << "a<BR>\r\nb";
    QTest::newRow("on, Enter") << 1 << ret << 0 << "ab" << 0 << "a<BR>\r\nb";
    QTest::newRow("on, Shift+Enter") << 1 << ret << shift << "ab" << 0 << "a<BR><BR>\r\nb";
    QTest::newRow("on, keypad Enter")
        << 1 << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "ab" << 0 << "a<BR>\r\nb";
    QTest::newRow("off, keypad Shift+Enter")
        << 0 << int(Qt::Key_Enter) << int(Qt::ShiftModifier | Qt::KeypadModifier) << "ab" << 0
        << "a<BR>\r\nb";
    QTest::newRow("on, Enter over a selection") << 1 << ret << 0 << "axb" << 1 << "a<BR>\r\nb";
    QTest::newRow("off, Ctrl+Enter")
        << 0 << ret << int(Qt::ControlModifier) << "ab" << 0 << "a\r\nb";
    QTest::newRow("on, Ctrl+Shift+Enter")
        << 1 << ret << int(Qt::ControlModifier | Qt::ShiftModifier) << "ab" << 0 << "a<BR>\r\nb";
    QTest::newRow("setting 2 is off") << 2 << ret << 0 << "ab" << 0 << "a\r\nb";
}

void TstTextPane::enterKeys() {
    QFETCH(int, brOnEnter);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, start);
    QFETCH(int, selLength);
    QFETCH(QString, text);
    fx->state.settings.BrOnEnter = int16_t(brOnEnter);
    buffer().setText(start);
    buffer().setSelection(1, selLength);
    QTest::keyClick(pane(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(buffer().text(), text);
    // A real new line of the document, never a soft break inside one.
    QCOMPARE(pane()->document()->blockCount(), 2);
    QVERIFY(!pane()->document()->toRawText().contains(QChar::LineSeparator));
    QCOMPARE(buffer().selectionStart(), text.indexOf(u'\n') + 1);
}

void TstTextPane::f1Popups_data() {
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("menu");
    QTest::newRow("F1") << 0 << "mnuHTML";
    QTest::newRow("Shift+F1") << int(Qt::ShiftModifier) << "mnuUserTAGS";
    QTest::newRow("Ctrl+F1") << int(Qt::ControlModifier) << "mnuHTML";
    QTest::newRow("Alt+F1") << int(Qt::AltModifier) << "mnuHTML";
    QTest::newRow("Ctrl+Shift+F1") << int(Qt::ControlModifier | Qt::ShiftModifier) << "mnuHTML";
}

void TstTextPane::f1Popups() {
    QFETCH(int, modifiers);
    QFETCH(QString, menu);
    QMenu* registered = fx->window->menus().menu(QStringLiteral("mnuUserTAGS"));
    std::unique_ptr<QMenu> stand;
    if (!registered) {
        // The registered-tags menu as the user tags will build it.
        stand = std::make_unique<QMenu>(fx->window->menus().menu(QStringLiteral("mnuHTML")));
        stand->setObjectName(QStringLiteral("mnuUserTAGS"));
    }
    buffer().setText(QStringLiteral("ab"));
    QTest::keyClick(pane(), Qt::Key_F1, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(fx->host.kinds(), QStringList{QStringLiteral("popup")});
    QCOMPARE(fx->host.calls.constFirst().text, menu);
    QCOMPARE(buffer().text(), QStringLiteral("ab"));
}

void TstTextPane::shiftF1WithoutRegisteredTagsDoesNothing() {
    QMenu* registered = fx->window->menus().menu(QStringLiteral("mnuUserTAGS"));
    if (registered)
        registered->setObjectName(QStringLiteral("hidden"));
    QTest::keyClick(pane(), Qt::Key_F1, Qt::ShiftModifier);
    if (registered)
        registered->setObjectName(QStringLiteral("mnuUserTAGS"));
    QCOMPARE(fx->host.kinds(), QStringList());
}

void TstTextPane::aLoadedDocumentIsNotUndone_data() {
    QTest::addColumn<QString>("load");
    QTest::addColumn<QString>("undo");
    for (const char* undo : {"ctrl+z", "mnuBack", "boBack"}) {
        QTest::newRow(qPrintable(QStringLiteral("open, %1").arg(QLatin1String(undo))))
            << "open" << undo;
        QTest::newRow(qPrintable(QStringLiteral("wizard, %1").arg(QLatin1String(undo))))
            << "wizard" << undo;
    }
}

void TstTextPane::aLoadedDocumentIsNotUndone() {
    QFETCH(QString, load);
    QFETCH(QString, undo);
    const QString opened = fx->appFile(QStringLiteral("opened.html"));
    writeBytes(opened, "<p>opened</p>\r\n");
    QTest::keyClicks(pane(), QStringLiteral("old doc"));
    settle();
    fx->host.answers = {Answer::No}; // do not save "old doc"
    if (load == u"open") {
        fx->host.fileChoices = {opened};
        fx->window->documents().mnuOpenFile_Click();
    } else {
        fx->host.inputs = {QStringLiteral("t")};
        fx->host.fileChoices = {fx->appFile(QStringLiteral("new.html"))};
        fx->window->documents().mnuNewFile_Click();
    }
    settle();
    const QString loaded = buffer().text();
    QVERIFY(!loaded.contains(QStringLiteral("old doc")));

    auto pressUndo = [&] {
        if (undo == u"ctrl+z")
            QTest::keyClick(pane(), Qt::Key_Z, Qt::ControlModifier);
        else if (undo == u"mnuBack")
            fx->window->menus().item(undo)->trigger();
        else
            fx->window->Toolbar1()->findChild<QAction*>(undo)->trigger();
        settle();
    };
    pressUndo();
    QCOMPARE(buffer().text(), loaded);
    QVERIFY(fx->state.document.DocumentSaved);

    // The next edit is undoable again, back to the loaded text and never beyond it.
    QTest::keyClicks(pane(), QStringLiteral("x"));
    settle();
    pressUndo();
    QCOMPARE(buffer().text(), loaded);
}

void TstTextPane::tabMovesTheFocusAndCtrlTabTypesATab() {
    QTest::keyClicks(pane(), QStringLiteral("ab"));
    QTest::keyClick(pane(), Qt::Key_Tab, Qt::ControlModifier);
    settle();
    QCOMPARE(buffer().text(), QStringLiteral("ab\t"));
    QVERIFY(pane()->hasFocus());
    QTest::keyClick(pane(), Qt::Key_Tab);
    settle();
    QVERIFY(!pane()->hasFocus());
    pane()->setFocus();
    settle();
    QTest::keyClick(pane(), Qt::Key_Backtab, Qt::ShiftModifier);
    settle();
    QVERIFY(!pane()->hasFocus());
    QCOMPARE(buffer().text(), QStringLiteral("ab\t"));
}

TAGLOOM_TEST_MAIN(TstTextPane)
#include "tst_textpane.moc"
