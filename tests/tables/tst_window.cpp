#include "TableTests.h"
#include "app/MenuTree.h"
#include "app/TableWiring.h"
#include "app/frmEdit.h"
#include "document/Documents.h"
#include "host/TextFile.h"
#include "support/TestApp.h"
#include "tables/frmTable.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

// The two menu items in the real main window, and the table window driven by real key and
// mouse events.

namespace {

const QString kQuestion = u"選択されている文字をテーブル（表）にしますか？"_s;

// The document with a selection "[]a,[]b" CR LF "1,2" between two lines.
const QString kBefore = u"<P>\r\n"_s;
const QString kSelected = u"[]a,[]b\r\n1,2"_s;
const QString kAfter = u"\r\n</P>"_s;
const QString kTable = u"<TABLE border=\"2\">\r\n<TR><TH>a</TH><TH>b</TH></TR>\r\n"
                       u"<TR><TD>1</TD><TD>2</TD></TR>\r\n</TABLE>"_s;

frmEdit& openWithSelection(EditorFixture& fx) {
    frmEdit& w = fx.open();
    w.buffer().setText(kBefore + kSelected + kAfter);
    w.buffer().setSelection(int(kBefore.size()), int(kSelected.size()));
    QCoreApplication::processEvents();
    fx.host.clear();
    return w;
}

void triggerF3(frmEdit& w) {
    QAction* item = w.menus().item(u"mnuSelCSVTool"_s);
    QVERIFY(item && item->isEnabled());
    item->trigger();
}

// Shows the window and makes it the active one, as a modal window is.
bool showActive(QDialog* d) {
    d->show();
    d->activateWindow();
    return QTest::qWaitForWindowActive(d);
}

QString navigatedFile(const FakeHost& host) {
    const QStringList to = host.navigations();
    return to.isEmpty() ? QString() : QUrl(to.last()).toLocalFile();
}

} // namespace

void TstTables::menuItems() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    QAction* sel = w.menus().item(u"mnuSelCSVTool"_s);
    QAction* csv = w.menus().item(u"mnuTableTool"_s);
    QVERIFY(sel && sel->isEnabled());
    QVERIFY(csv && csv->isEnabled());
    QCOMPARE(sel->shortcut(), QKeySequence(Qt::Key_F3));
    QCOMPARE(csv->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F3));
    fx.host.clear();
    fx.host.fileChoices.push_back(std::nullopt);
    csv->trigger();
    QCOMPARE(callKinds(fx.host), QStringList({"beep", "disable", "open", "msgbox", "enable"}));
    QCOMPARE(fx.host.callsOf(u"open"_s).first().title, u"CSVファイルを開く"_s);
    QVERIFY(w.isEnabled());
}

void TstTables::directConversionReplacesTheSelection() {
    EditorFixture fx;
    frmEdit& w = openWithSelection(fx);
    fx.host.answers.push_back(Answer::Yes);
    fx.host.inputs.push_back(u"2"_s);
    triggerF3(w);
    QCOMPARE(callKinds(fx.host),
             QStringList({"beep", "msgbox", "beep", "disable", "input", "enable", "beep"}));
    const HostCall box = fx.host.callsOf(u"msgbox"_s).first();
    QCOMPARE(box.text, kQuestion);
    QCOMPARE(box.title, u"ダイレクトにテーブルを作成"_s);
    QCOMPARE(box.icon, Icon::Information);
    QCOMPARE(box.buttons, Buttons::YesNo);
    QCOMPARE(readBytes(fx.appFile(u"Table.dat"_s)), QByteArray("[]a,[]b\r\n1,2\r\n"));
    QCOMPARE(w.buffer().text(), kBefore + kTable + kAfter);
    QCOMPARE(w.buffer().selectionStart(), int(kBefore.size() + kTable.size()));
}

void TstTables::questionClosedWithoutAnswer() {
    EditorFixture fx;
    frmEdit& w = openWithSelection(fx);
    fx.host.answers.push_back(Answer::Cancel);
    triggerF3(w);
    QCOMPARE(callKinds(fx.host), QStringList({"beep", "msgbox"}));
    QCOMPARE(w.buffer().text(), kBefore + kSelected + kAfter);
    QCOMPARE(w.buffer().selectedText(), kSelected);
    QVERIFY(!QFile::exists(fx.appFile(u"Table.dat"_s)));
}

void TstTables::windowTakesTheSelectionAndGivesItBack() {
    EditorFixture fx;
    frmEdit& w = openWithSelection(fx);
    fx.host.answers.push_back(Answer::No);
    QString shown;
    QString documentMeanwhile;
    fx.host.dialogScripts.push_back([&](QDialog* d) {
        auto* f = qobject_cast<frmTable*>(d);
        if (!f || !showActive(f))
            return -1;
        shown = f->table().text();
        documentMeanwhile = w.buffer().text();
        // At the end of the text: F1, "x", F2, "y", Shift+Enter, Enter, "z".
        QTest::keyClick(f->txtTable, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(f->txtTable, Qt::Key_F1);
        QTest::keyClick(f->txtTable, Qt::Key_X);
        QTest::keyClick(f->txtTable, Qt::Key_F2);
        QTest::keyClick(f->txtTable, Qt::Key_Y);
        QTest::keyClick(f->txtTable, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClick(f->txtTable, Qt::Key_Return);
        QTest::keyClick(f->txtTable, Qt::Key_Z);
        f->close();
        return f->result();
    });
    triggerF3(w);
    QCOMPARE(shown, kSelected);
    QCOMPARE(documentMeanwhile, kBefore + kAfter);
    const QString edited = kSelected + u"[]x,y<BR>\r\nz"_s;
    QCOMPARE(w.buffer().text(), kBefore + edited + kAfter);
    QCOMPARE(w.buffer().selectionStart(), int(kBefore.size() + edited.size()));
    // F2 typed into the window is the window's comma, not the color tool.
    QCOMPARE(callKinds(fx.host), QStringList({"beep", "msgbox", "modal"}));
    QVERIFY(fx.host.unscripted.isEmpty());

    // Emptied and closed by Escape: the former selection stays deleted.
    fx.host.clear();
    w.buffer().setSelection(int(kBefore.size()), int(edited.size()));
    fx.host.answers.push_back(Answer::No);
    fx.host.dialogScripts.push_back([&](QDialog* d) {
        auto* f = qobject_cast<frmTable*>(d);
        if (!f || !showActive(f))
            return -1;
        f->txtTable->selectAll();
        QTest::keyClick(f->txtTable, Qt::Key_Delete);
        QTest::keyClick(f->txtTable, Qt::Key_Escape);
        return f->isVisible() ? -1 : f->result();
    });
    triggerF3(w);
    QCOMPARE(w.buffer().text(), kBefore + kAfter);
}

void TstTables::windowWithoutSelection() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    w.buffer().setText(u"ab"_s);
    w.buffer().setSelection(1, 0);
    fx.host.clear();
    QString title;
    fx.host.dialogScripts.push_back([&](QDialog* d) {
        title = d->windowTitle();
        auto* f = qobject_cast<frmTable*>(d);
        if (!f || !showActive(f))
            return -1;
        QTest::keyClicks(f->txtTable, u"1,2"_s);
        f->close();
        return f->result();
    });
    triggerF3(w);
    QCOMPARE(callKinds(fx.host), QStringList({"beep", "modal"}));
    QCOMPARE(title, u"表（テーブル）を作るのに必要なCSV(カンマ区切り文章の作成)"_s);
    QCOMPARE(w.buffer().text(), u"a1,2b"_s);
}

void TstTables::createTableFromWindow() {
    EditorFixture fx;
    frmEdit& w = openWithSelection(fx);
    fx.host.answers.push_back(Answer::No);
    fx.host.inputs.push_back(u"2"_s);
    bool hiddenWhenAsked = false;
    int result = -2;
    fx.host.dialogScripts.push_back([&](QDialog* d) {
        auto* f = qobject_cast<frmTable*>(d);
        if (!f || !showActive(f))
            return -1;
        QTest::mouseClick(f->Command4, Qt::LeftButton);
        hiddenWhenAsked = !f->isVisible();
        result = f->result();
        return result;
    });
    triggerF3(w);
    QVERIFY(hiddenWhenAsked);
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(readBytes(fx.appFile(u"Table.dat"_s)), QByteArray("[]a,[]b\r\n1,2\r\n"));
    QCOMPARE(w.buffer().text(), kBefore + kTable + kAfter);
    QCOMPARE(callKinds(fx.host), QStringList({"beep", "msgbox", "modal", "beep", "disable", "input",
                                              "enable", "beep"}));
}

void TstTables::createWithNothingEntered() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    w.buffer().setText(u"ab"_s);
    fx.host.clear();
    bool stayedOpen = false;
    bool focused = false;
    fx.host.dialogScripts.push_back([&](QDialog* d) {
        auto* f = qobject_cast<frmTable*>(d);
        if (!f || !showActive(f))
            return -1;
        f->Command5->setFocus();
        QTest::mouseClick(f->Command4, Qt::LeftButton);
        stayedOpen = f->isVisible();
        focused = f->focusWidget() == f->txtTable;
        f->close();
        return f->result();
    });
    triggerF3(w);
    QVERIFY(stayedOpen);
    QVERIFY(focused);
    QCOMPARE(callKinds(fx.host), QStringList({"beep", "modal", "beep", "msgbox"}));
    const HostCall box = fx.host.callsOf(u"msgbox"_s).first();
    QCOMPARE(box.text, u"入力されていません"_s);
    QCOMPARE(box.title, u"入力されていない"_s);
    QCOMPARE(box.icon, Icon::Information);
    QCOMPARE(w.buffer().text(), u"ab"_s);
    QVERIFY(!QFile::exists(fx.appFile(u"Table.dat"_s)));
}

void TstTables::failedConversionPutsTheTextBack() {
    EditorFixture fx;
    frmEdit& w = openWithSelection(fx);
    fx.host.answers.push_back(Answer::No);
    w.tableWiring().tools().converter().setLimit(10);
    fx.host.dialogScripts.push_back([&](QDialog* d) {
        auto* f = qobject_cast<frmTable*>(d);
        if (!f || !showActive(f))
            return -1;
        QTest::keyClick(f->txtTable, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(f->txtTable, Qt::Key_F2);
        QTest::mouseClick(f->Command4, Qt::LeftButton);
        return f->result();
    });
    triggerF3(w);
    QCOMPARE(callKinds(fx.host),
             QStringList({"beep", "msgbox", "modal", "beep", "disable", "msgbox", "enable"}));
    QCOMPARE(fx.host.callsOf(u"msgbox"_s).last().title, u"メモリ不足"_s);
    // The window's text, as edited, is back where it was cut out.
    QCOMPARE(w.buffer().text(), kBefore + kSelected + u","_s + kAfter);
    // The error page stays in the preview pane.
    QTest::qWait(50);
    QCOMPARE(navigatedFile(fx.host), fx.appFile(u"HTML-TGLM-error.html"_s));
    QVERIFY(readBytes(fx.appFile(u"HTML-TGLM-error.html"_s)).contains("Error:"));
    QVERIFY(!fx.state.document.DocumentSaved);
}

void TstTables::damagedCharacterIsNeverConverted_data() {
    QTest::addColumn<bool>("throughWindow");
    QTest::newRow("F3, Yes") << false;
    QTest::newRow("F3, No, the window's button") << true;
}

// A UTF-16 page "a,b" CR LF "c", a lone U+D800, "d,e": no internal file can hold its text, so it
// is refused with a message and the document keeps every character.
void TstTables::damagedCharacterIsNeverConverted() {
    QFETCH(bool, throughWindow);
    EditorFixture fx;
    frmEdit& w = fx.open();
    const QString page = u"a,b\r\nc"_s + QChar(0xD800) + u"d,e"_s;
    const QString path = fx.appFile(u"damaged.html"_s);
    writeBytes(path, encodeText(page, TextEncoding::Utf16LeBom).value());
    fx.host.fileChoices.push_back(path);
    w.documents().OpenDocument(1);
    const QString opened = page + u"\r\n"_s;
    QCOMPARE(w.buffer().text(), opened);
    writeBytes(fx.appFile(u"Table.dat"_s), "old,table\r\n");
    w.menus().item(u"mnuAllSelect"_s)->trigger();
    QCOMPARE(w.buffer().selectedText(), opened);
    fx.host.clear();

    fx.host.answers.push_back(throughWindow ? Answer::No : Answer::Yes);
    fx.host.inputs.push_back(u"1"_s);
    bool windowStayedOpen = false;
    if (throughWindow)
        fx.host.dialogScripts.push_back([&](QDialog* d) {
            auto* f = qobject_cast<frmTable*>(d);
            if (!f || !showActive(f))
                return -1;
            QTest::mouseClick(f->Command4, Qt::LeftButton);
            windowStayedOpen = f->isVisible();
            f->close(); // its text goes back into the document
            return f->result();
        });
    triggerF3(w);

    QCOMPARE(w.buffer().text(), opened);
    const HostCall refusal = fx.host.callsOf(u"msgbox"_s).last();
    QCOMPARE(refusal.text,
             u"表（テーブル）にする文字列に壊れた文字（対になっていないサロゲート "
             u"U+D800、2 行目）が含まれているため、表（テーブル）を作成できません。"_s);
    QCOMPARE(refusal.title, u"壊れた文字"_s);
    QCOMPARE(refusal.icon, Icon::Exclamation);
    QCOMPARE(fx.host.count(u"input"_s), 0);
    QVERIFY(fx.host.mainWindowEnabled);
    QCOMPARE(windowStayedOpen, throughWindow);
    // No older table is left behind to be converted in its place.
    QVERIFY(!QFile::exists(fx.appFile(u"Table.dat"_s)));
}

void TstTables::typingAids_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<bool>("suppressed");
    // Each on "ab" CR LF "cdef" with "de" selected.
    QTest::newRow("Shift+Enter") << int(Qt::Key_Return) << int(Qt::ShiftModifier)
                                 << "ab\r\nc<BR>def" << 9 << true;
    QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << int(Qt::ControlModifier)
                                << "ab\r\nc<BR>def" << 9 << true;
    QTest::newRow("Alt+Enter") << int(Qt::Key_Return) << int(Qt::AltModifier) << "ab\r\nc<BR>def"
                               << 9 << true;
    QTest::newRow("Shift+keypad Enter")
        << int(Qt::Key_Enter) << int(Qt::ShiftModifier | Qt::KeypadModifier) << "ab\r\nc<BR>def"
        << 9 << true;
    QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << "ab\r\nc\r\nf" << 7 << false;
    QTest::newRow("F1") << int(Qt::Key_F1) << 0 << "ab\r\nc[]f" << 7 << false;
    QTest::newRow("F2") << int(Qt::Key_F2) << 0 << "ab\r\nc,f" << 6 << false;
}

void TstTables::typingAids() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(bool, suppressed);
    TableBench b;
    frmTable f(b.host, b.buffer, b.converter());
    QVERIFY(showActive(&f));
    f.table().setText(u"ab\r\ncdef"_s);
    f.table().setSelection(5, 2);
    QTest::keyClick(f.txtTable, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(f.table().text(), text);
    QCOMPARE(f.table().selectionStart(), caret);
    QCOMPARE(f.table().selectionLength(), 0);
    QCOMPARE(f.SuppressKeyPress, suppressed);
    // A backward selection collapses to its start as well.
    if (suppressed) {
        f.table().setText(u"wxyz"_s);
        QTextCursor c = f.txtTable->textCursor();
        c.setPosition(3);
        c.setPosition(1, QTextCursor::KeepAnchor);
        f.txtTable->setTextCursor(c);
        QTest::keyClick(f.txtTable, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(f.table().text(), u"w<BR>xyz"_s);
    }
    f.close();
}

void TstTables::windowTexts() {
    TableBench b;
    frmTable f(b.host, b.buffer, b.converter());
    QVERIFY(showActive(&f));
    QCOMPARE(f.objectName(), u"frmTable"_s);
    QCOMPARE(f.Label1->text(), u"[]をセルの先頭につけると、そのセルは強調セルになります。"
                               u"（ つまり[]test = <TH>test</TH> ）"_s);
    QCOMPARE(f.Label1->textFormat(), Qt::PlainText);
    QCOMPARE(f.Frame1->title(), u"ツール"_s);
    QCOMPARE(f.Command5->text(), u"[]　挿入"_s);
    QCOMPARE(f.Label3->text(), u"（F1キー）"_s);
    QCOMPARE(f.Command1->text(), u"カンマ挿入"_s);
    QCOMPARE(f.Label4->text(), u"（F2キー）"_s);
    QCOMPARE(f.Label2->text(), u"シフト＋エンターで、改行しないで<BR>を挿入できます。"_s);
    QCOMPARE(f.Label2->textFormat(), Qt::PlainText);
    QCOMPARE(f.Label5->text(), u"全文表示..."_s);
    QCOMPARE(f.Command4->text(), u"表（テーブル）を作成"_s);
    QCOMPARE(f.focusWidget(), f.txtTable);

    QTest::mouseClick(f.Label5, Qt::LeftButton);
    QCOMPARE(callKinds(b.host), QStringList({"beep", "msgbox"}));
    const HostCall box = b.host.calls.last();
    QCOMPARE(box.text, u"このウィンドウでの改行は表の改行になります。文字列を改行したい場合は、"
                       u"<BR>を挿入しなければなりません。\r\nシフト＋エンターで改行なし、"
                       u"<BR>挿入が出来ます。"_s);
    QCOMPARE(box.title, u"このウィンドウ内の仕様"_s);
    QCOMPARE(box.icon, Icon::Information);

    // The buttons insert at the caret of the text box and give it the focus.
    f.table().setText(u"ab"_s);
    f.table().setSelection(1, 1);
    QTest::mouseClick(f.Command5, Qt::LeftButton);
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    QCOMPARE(f.table().text(), u"a[],"_s);
    QCOMPARE(f.focusWidget(), f.txtTable);
    f.close();
}

void TstTables::resizeRule() {
    TableBench b;
    frmTable f(b.host, b.buffer, b.converter());
    QVERIFY(showActive(&f));
    if (f.logicalDpiX() != 96)
        QSKIP("the pixel figures below are for 96 dots per inch");
    // At 96 dots per inch a pixel is 15 twips: 150 twips are 10 pixels, 400 twips 26.7.
    f.resize(800, 600);
    QTRY_COMPARE(f.frameGeometry().width(), 800 + f.frameGeometry().width() - f.width());
    const QSize outer = f.frameGeometry().size();
    const int top = f.txtTable->y();
    QVERIFY(top >= f.Command4->geometry().bottom());
    QVERIFY(top >= f.Frame1->mapTo(&f, QPoint(0, f.Frame1->height())).y());
    QCOMPARE(f.txtTable->width(), outer.width() - 10);
    QVERIFY(qAbs(f.txtTable->height() - (outer.height() - top - 26.67)) <= 1);
    // Too small for the rule: the text box keeps its height.
    const int height = f.txtTable->height();
    f.resize(400, top / 2);
    QTRY_COMPARE(f.height(), top / 2);
    QCOMPARE(f.txtTable->height(), height);
    QCOMPARE(f.txtTable->width(), f.frameGeometry().width() - 10);
}

TAGLOOM_TEST_MAIN(TstTables)
