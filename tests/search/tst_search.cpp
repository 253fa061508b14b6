// The search/replace dialog: the search rule over CR LF positions, Replace and Replace all, the
// button table, the help toggle, its opening from the main window, and Replace all as one step
// to undo.
#include "SearchBench.h"
#include "app/MenuTree.h"
#include "app/SearchWiring.h"
#include "app/TextPane.h"
#include "app/frmEdit.h"
#include "host/EditBuffer.h"
#include "search/SearchTool.h"
#include "search/TextSearch.h"
#include "search/frmRe.h"
#include "support/TestApp.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using Hits = std::vector<qsizetype>;
Q_DECLARE_METATYPE(Hits)

class TstSearch : public QObject {
    Q_OBJECT
private slots:
    void findEvery_data();
    void findEvery();
    void lineBreakForms();

    void findNextWalksTheHits_data();
    void findNextWalksTheHits();
    void findNextStartsAtTheMovedCaret();
    void missLeavesTheSelection();
    void replaceComparesExactly();
    void replaceThenFindsNext();
    void replaceAll_data();
    void replaceAll();
    void replaceAllSparseAndDenseAgree_data();
    void replaceAllSparseAndDenseAgree();
    void buttonTable_data();
    void buttonTable();
    void enterPressesFindNext();
    void helpToggle();
    void texts();
    void fieldsKeepTheDocumentsCharacters_data();
    void fieldsKeepTheDocumentsCharacters();

    void ctrlFOpensAndRefills();
    void closingStartsAfresh();
    void replaceAllIsOneUndoStep_data();
    void replaceAllIsOneUndoStep();
};

void TstSearch::findEvery_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<Hits>("hits");
    QTest::newRow("two hits") << "xabcabc"
                              << "abc" << false << Hits{1, 4};
    QTest::newRow("never overlapping") << "aaaa"
                                       << "aa" << false << Hits{0, 2};
    QTest::newRow("odd run") << "aaa"
                             << "aa" << false << Hits{0};
    QTest::newRow("exact keeps case") << "ABCabc"
                                      << "abc" << false << Hits{3};
    QTest::newRow("folded") << "ABCabcAbC"
                            << "abc" << true << Hits{0, 3, 6};
    QTest::newRow("full-width folded") << "ＡＢＣ ａｂｃ"
                                       << "ａｂｃ" << true << Hits{0, 4};
    QTest::newRow("full-width exact") << "ＡＢＣ ａｂｃ"
                                      << "ａｂｃ" << false << Hits{4};
    QTest::newRow("final sigma folds") << "ΣΑΣ"
                                       << "σας" << true << Hits{0};
    QTest::newRow("kana untouched") << "カタカナ"
                                    << "かたかな" << true << Hits{};
    QTest::newRow("small kana untouched") << "ぁあ"
                                          << "あ" << true << Hits{1};
    QTest::newRow("half and full width differ") << "ABC"
                                                << "ＡＢＣ" << true << Hits{};
    QTest::newRow("surrogate pair") << "a\U00020BB7b\U00020BB7"
                                    << "\U00020BB7" << false << Hits{1, 4};
    // Case folding leaves a lone surrogate as it is, so it matches only itself, also after a
    // letter that folds.
    QTest::newRow("lone surrogates folded")
        << QString::fromUtf16(u">\U00010400\xdc20 \U00010428\xdc01")
        << QString::fromUtf16(u"\U00010400\xdc01") << true << Hits{5};
    QTest::newRow("empty target") << "abc"
                                  << "" << false << Hits{};
}

void TstSearch::findEvery() {
    QFETCH(QString, text);
    QFETCH(QString, target);
    QFETCH(bool, ignoreCase);
    QFETCH(Hits, hits);
    const Comparison mode = ignoreCase ? Comparison::IgnoreCase : Comparison::Exact;
    QCOMPARE(::findEvery(text, target, mode), hits);
    // One at a time from each hit's end gives the same hits.
    Hits walked;
    for (qsizetype at = findText(text, target, 0, mode); at >= 0;
         at = findText(text, target, at + target.size(), mode))
        walked.push_back(at);
    QCOMPARE(walked, hits);
}

void TstSearch::lineBreakForms() {
    const QString mixed = QStringLiteral("a\r\nb\nc\rd") + QChar(QChar::ParagraphSeparator) + "e";
    QCOMPARE(withCrLfBreaks(mixed), QStringLiteral("a\r\nb\r\nc\r\nd\r\ne"));
    const QString p(QChar::ParagraphSeparator);
    QCOMPARE(withPaneBreaks(mixed), "a" + p + "b" + p + "c" + p + "d" + p + "e");
    QCOMPARE(withCrLfBreaks(u"\r\r\n\n"), QStringLiteral("\r\n\r\n\r\n"));
}

void TstSearch::findNextWalksTheHits_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QList<int>>("starts");
    QTest::newRow("xabcabc") << "xabcabc" << 0 << "abc" << false << QList<int>{1, 4};
    QTest::newRow("aaaa") << "aaaa" << 0 << "aa" << false << QList<int>{0, 2};
    QTest::newRow("caret on a hit") << "abcabc" << 3 << "abc" << false << QList<int>{3};
    QTest::newRow("after line breaks")
        << "one\r\ntwo\r\none" << 0 << "one" << false << QList<int>{0, 10};
    QTest::newRow("across a line break")
        << "ab\r\ncd\r\nab\ncd" << 1 << "b\ncd" << false << QList<int>{1, 9};
    QTest::newRow("line break alone") << "a\r\n\r\nb" << 0 << "\n" << false << QList<int>{1, 3};
    QTest::newRow("case folded") << "ABC abc" << 0 << "abc" << true << QList<int>{0, 4};
    QTest::newRow("full-width folded") << "ａＢｃ" << 0 << "ＡＢＣ" << true << QList<int>{0};
    // With the regular-expression box unchecked every character is itself.
    QTest::newRow("dot is itself") << "abc.a.c" << 0 << "a.c" << false << QList<int>{4};
    QTest::newRow("parenthesis is itself") << "(a)(" << 0 << "(" << false << QList<int>{0, 3};
    // A long search reads the whole text rather than the rest of it.
    QTest::newRow("long, many lines") << QStringLiteral("a\r\n").repeated(40000) + "abc\r\nabc" << 5
                                      << "abc" << false << QList<int>{120000, 120005};
    QTest::newRow("long, from the middle")
        << "abc" + QStringLiteral("x\r\n").repeated(40000) + "ABC" << 3 << "abc" << true
        << QList<int>{120003};
}

void TstSearch::findNextWalksTheHits() {
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, target);
    QFETCH(bool, ignoreCase);
    QFETCH(QList<int>, starts);
    Bench b;
    b.set(text, caret);
    b.fields(target, {}, ignoreCase);
    const int length = int(withCrLfBreaks(target).size());
    for (const int start : starts) {
        b.dialog.cmdSearch_Click();
        QCOMPARE(b.selection(), qMakePair(start, length));
        QCOMPARE(b.dialog.SearchPos, start + length);
        QCOMPARE(b.buffer.selectedText().size(), length);
    }
    QCOMPARE(b.host.count(QStringLiteral("beep")), 0);
    b.dialog.cmdSearch_Click();
    verifyMiss(b.host);
    QCOMPARE(b.selection(), qMakePair(starts.last(), length));
}

void TstSearch::findNextStartsAtTheMovedCaret() {
    Bench b;
    b.set(QStringLiteral("abc abc abc"));
    b.fields(QStringLiteral("abc"));
    b.dialog.cmdSearch_Click();
    QCOMPARE(b.selection(), qMakePair(0, 3));
    // A caret at the last hit's start (0) goes on after that hit; a caret anywhere else searches
    // from there, and finds a hit that begins at it.
    const std::pair<int, int> caretToHit[] = {{0, 4}, {1, 4}, {8, 8}, {5, 8}};
    for (const auto& [caret, hit] : caretToHit) {
        b.buffer.setSelection(caret);
        b.dialog.cmdSearch_Click();
        QCOMPARE(b.selection(), qMakePair(hit, 3));
    }
    QCOMPARE(b.dialog.SearchPos, 11);
}

void TstSearch::missLeavesTheSelection() {
    Bench b;
    b.set(QStringLiteral("xyz\r\nabc"));
    b.buffer.setSelection(1, 4);
    b.fields(QStringLiteral("nothing"));
    b.dialog.cmdSearch_Click();
    verifyMiss(b.host);
    QCOMPARE(b.selection(), qMakePair(1, 4));
    // Step 2 set the search position to the caret, and the miss kept it.
    QCOMPARE(b.dialog.SearchPos, 1);
}

void TstSearch::replaceComparesExactly() {
    Bench b;
    b.set(QStringLiteral("ABC"));
    b.fields(QStringLiteral("abc"), QStringLiteral("x"), true);
    b.dialog.cmdSearch_Click();
    QCOMPARE(b.selection(), qMakePair(0, 3));
    b.host.clear();
    // The hit differs in case from the target: nothing is replaced and the search goes on.
    b.dialog.cmdRe_Click();
    QCOMPARE(b.buffer.text(), QStringLiteral("ABC"));
    verifyMiss(b.host);
    b.host.clear();
    b.dialog.cmdAllRe_Click();
    QCOMPARE(b.buffer.text(), QStringLiteral("x"));
    verifyDone(b.host);
}

void TstSearch::replaceThenFindsNext() {
    Bench b;
    b.set(QStringLiteral("abc\r\nabc abc"));
    b.fields(QStringLiteral("abc"), QStringLiteral("1\n2"));
    // Nothing selected yet: Replace acts as Find next alone.
    b.dialog.cmdRe_Click();
    QCOMPARE(b.buffer.text(), QStringLiteral("abc\r\nabc abc"));
    QCOMPARE(b.selection(), qMakePair(0, 3));
    QCOMPARE(b.host.kinds(), QStringList{});
    b.dialog.cmdRe_Click();
    QCOMPARE(b.buffer.text(), QStringLiteral("1\r\n2\r\nabc abc"));
    QCOMPARE(b.selection(), qMakePair(6, 3));
    QCOMPARE(b.host.kinds(), QStringList{"beep"});
    b.dialog.cmdRe_Click();
    QCOMPARE(b.buffer.text(), QStringLiteral("1\r\n2\r\n1\r\n2 abc"));
    QCOMPARE(b.selection(), qMakePair(11, 3));
    b.host.clear();
    b.dialog.cmdRe_Click();
    QCOMPARE(b.buffer.text(), QStringLiteral("1\r\n2\r\n1\r\n2 1\r\n2"));
    // The replacement is not searched again; the caret stays after it.
    QCOMPARE(b.host.kinds(), (QStringList{"beep", "beep", "msgbox"}));
    QCOMPARE(b.selection(), qMakePair(b.buffer.length(), 0));
}

void TstSearch::replaceAll_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QString>("result");
    QTest::newRow("xabcabc") << "xabcabc"
                             << "abc"
                             << "Z" << false << "xZZ";
    QTest::newRow("aaaaa") << "aaaaa"
                           << "aa"
                           << "b" << false << "bba";
    QTest::newRow("not rescanned") << "abab"
                                   << "ab"
                                   << "abab" << false << "abababab";
    QTest::newRow("grows into the target") << "aXa"
                                           << "X"
                                           << "aXa" << false << "aaXaa";
    QTest::newRow("exact") << "xABCabc"
                           << "abc"
                           << "Z" << false << "xABCZ";
    QTest::newRow("japanese") << "見出しと見出し"
                              << "見出し"
                              << "表題の文字" << false << "表題の文字と表題の文字";
    QTest::newRow("case folded") << "ABC abc"
                                 << "abc"
                                 << "x" << true << "x x";
    QTest::newRow("full-width") << "ＡＢＣ"
                                << "ａｂｃ"
                                << "x" << true << "x";
    QTest::newRow("across lines") << "a\r\nb\r\na\r\nb"
                                  << "a\nb"
                                  << "X" << false << "X\r\nX";
    QTest::newRow("into lines") << "a-b-c"
                                << "-"
                                << "\n"
                                << false << "a\r\nb\r\nc";
    QTest::newRow("no match") << "abc\r\ndef"
                              << "xyz"
                              << "Q" << false << "abc\r\ndef";
}

void TstSearch::replaceAll() {
    QFETCH(QString, text);
    QFETCH(QString, target);
    QFETCH(QString, replacement);
    QFETCH(bool, ignoreCase);
    QFETCH(QString, result);
    const Comparison mode = ignoreCase ? Comparison::IgnoreCase : Comparison::Exact;
    QCOMPARE(::replaceEvery(text, withCrLfBreaks(target), withCrLfBreaks(replacement), mode),
             result);
    Bench b;
    b.set(text, 2);
    b.buffer.setSelection(2, 1);
    b.dialog.SearchPos = 7;
    b.fields(target, replacement, ignoreCase);
    b.dialog.cmdAllRe_Click();
    QCOMPARE(b.buffer.text(), result);
    QCOMPARE(b.selection(), qMakePair(0, 0));
    QCOMPARE(b.dialog.SearchPos, 7);
    verifyDone(b.host);
}

void TstSearch::replaceAllSparseAndDenseAgree_data() {
    QTest::addColumn<int>("every");
    QTest::addColumn<int>("from");
    // Hits all over the text set it whole; a crowd of hits in part of it sets that stretch; a
    // hit in every tenth line edits each hit.
    QTest::newRow("whole") << 1 << 0;
    QTest::newRow("stretch") << 1 << 700;
    QTest::newRow("sparse") << 10 << 0;
    QTest::newRow("first and last only") << 1000 << 0;
}

void TstSearch::replaceAllSparseAndDenseAgree() {
    QFETCH(int, every);
    QFETCH(int, from);
    QString text;
    for (int i = 0; i < 1000; ++i)
        text += QStringLiteral("行%1 ").arg(i) +
                ((i >= from && i % every == 0) || i == 999 ? "見出し" : "本文") +
                QStringLiteral(" 終\r\n");
    Bench b;
    b.set(text);
    b.fields(QStringLiteral("見出し\n"), QStringLiteral("表題\n"));
    b.dialog.cmdAllRe_Click();
    QString expected = text;
    expected.replace(QStringLiteral("見出し\r\n"), QStringLiteral("表題\r\n"));
    QCOMPARE(b.buffer.text(), expected);
    QCOMPARE(b.buffer.length(), expected.size());
}

void TstSearch::buttonTable_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<bool>("search");
    QTest::addColumn<bool>("replace");
    QTest::newRow("both empty") << ""
                                << "" << false << false;
    QTest::newRow("replacement only") << ""
                                      << "x" << false << false;
    QTest::newRow("target only") << "a"
                                 << "" << true << false;
    QTest::newRow("both") << "a"
                          << "x" << true << true;
    QTest::newRow("line breaks only") << "\n"
                                      << "\n"
                                      << true << true;
}

void TstSearch::buttonTable() {
    QFETCH(QString, target);
    QFETCH(QString, replacement);
    QFETCH(bool, search);
    QFETCH(bool, replace);
    Bench b;
    const frmRe& d = b.dialog;
    const auto enabled = [&] {
        return QList<bool>{d.cmdSearch->isEnabled(), d.cmdRe->isEnabled(), d.cmdAllRe->isEnabled()};
    };
    const QList<bool> none{false, false, false};
    QCOMPARE(enabled(), none);
    // Typed into the real fields.
    type(b.dialog.txtA, replacement);
    type(b.dialog.txtT, target);
    QCOMPARE(enabled(), (QList<bool>{search, replace, replace}));
    // Emptying the target disables all three.
    b.dialog.txtT->clear();
    QCOMPARE(enabled(), none);
}

void TstSearch::enterPressesFindNext() {
    Bench b;
    b.set(QStringLiteral("ab\r\nab"));
    QTest::keyClicks(b.dialog.txtT, QStringLiteral("b"));
    QTest::keyClick(b.dialog.txtT, Qt::Key_Return);
    QCOMPARE(b.dialog.txtT->toPlainText(), QStringLiteral("b"));
    QCOMPARE(b.selection(), qMakePair(1, 1));
    // Ctrl+Enter and Shift+Enter type the line break of a target across lines.
    QTest::keyClick(b.dialog.txtT, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(b.dialog.txtT, QStringLiteral("a"));
    QCOMPARE(b.dialog.targetText(), QStringLiteral("b\r\na"));
    b.buffer.setSelection(0);
    QTest::keyClick(b.dialog.txtA, Qt::Key_Return);
    QCOMPARE(b.selection(), qMakePair(1, 4));
    QTest::keyClick(b.dialog.txtA, Qt::Key_Enter, Qt::ShiftModifier);
    QCOMPARE(b.dialog.replacementText(), QStringLiteral("\r\n"));
    // With the target empty the default button is disabled and Enter does nothing.
    b.dialog.txtT->clear();
    b.host.clear();
    QTest::keyClick(b.dialog.txtT, Qt::Key_Return);
    QCOMPARE(b.dialog.txtT->toPlainText(), QString());
    QCOMPARE(b.host.kinds(), QStringList{});
}

void TstSearch::helpToggle() {
    Bench b;
    b.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&b.dialog));
    const int compact = b.dialog.CompactHeight;
    QCOMPARE(b.dialog.heightTwips(), compact);
    QVERIFY(!b.dialog.lblHelp->isVisible());
    // The help text waits below the collapsed dialog.
    QVERIFY(b.dialog.lblHelp->y() >= b.dialog.height());
    QTest::mouseClick(b.dialog.cmdHelp, Qt::LeftButton);
    QVERIFY(b.dialog.lblHelp->isVisible());
    QCOMPARE(b.dialog.cmdHelp->text(), QStringLiteral("戻す"));
    QCOMPARE(b.dialog.heightTwips(),
             b.dialog.toTwips(b.dialog.lblHelp->y() + b.dialog.lblHelp->height()) + 450);
    QTest::mouseClick(b.dialog.cmdHelp, Qt::LeftButton);
    QVERIFY(!b.dialog.lblHelp->isVisible());
    QCOMPARE(b.dialog.cmdHelp->text(), QStringLiteral("詳しい使い方"));
    QCOMPARE(b.dialog.heightTwips(), compact);
}

void TstSearch::texts() {
    Bench b;
    frmRe& d = b.dialog;
    QCOMPARE(d.windowTitle(), QStringLiteral("文字列の置き換え/検索"));
    QCOMPARE(d.lblT->text(), QStringLiteral("対象の文字列："));
    QCOMPARE(d.lblAfter->text(), QStringLiteral("置き換え後の文字列："));
    QCOMPARE(d.chkSmBi->text(), QStringLiteral("大文字小文字を区別しない"));
    QVERIFY(!d.chkSmBi->isChecked());
    QCOMPARE(d.cmdSearch->text(), QStringLiteral("次を検索"));
    QVERIFY(d.cmdSearch->isDefault());
    QCOMPARE(d.cmdRe->text(), QStringLiteral("置き換える"));
    QCOMPARE(d.cmdAllRe->text(), QStringLiteral("全て置き換える"));
    QCOMPARE(d.cmdHelp->text(), QStringLiteral("詳しい使い方"));
    QCOMPARE(d.lblHelp->text(),
             QStringLiteral("何か入力すると、ボタンが有効になります。（文字を選択した状態ならそれ"
                            "が自動で入力されます）\r\n検索の開始位置はカーソル位置からです。\r\n"
                            "（カーソル位置を変えれば任意の位置から検索できるわけです）\r\n"
                            "検索する度にカーソルは自動的に移動するので次へ次へ検索できます、"
                            "見つからなかったときはカーソル位置は変更されません。"));
    QCOMPARE(d.SearchPos, 0);
    QVERIFY(!d.isModal());
}

void TstSearch::fieldsKeepTheDocumentsCharacters_data() {
    QTest::addColumn<QString>("character");
    QTest::addColumn<bool>("typed");
    // A line separator has no key; it comes into the field pasted.
    QTest::newRow("no-break space") << QString(QChar(0x00A0)) << true;
    QTest::newRow("line separator") << QString(QChar(QChar::LineSeparator)) << false;
}

void TstSearch::fieldsKeepTheDocumentsCharacters() {
    QFETCH(QString, character);
    QFETCH(bool, typed);
    Bench b;
    const QString hit = "a" + character + "b";
    b.set("a b\r\n" + hit + " end");
    // The selection becomes the target, as the menu item takes it; a blank or a line break in its
    // place would find "a b" or nothing.
    b.buffer.setSelection(5, 3);
    b.dialog.setTargetText(b.buffer.selectedText());
    QCOMPARE(b.dialog.targetText(), hit);
    QTest::keyClicks(b.dialog.txtA, QStringLiteral("x"));
    if (typed)
        QTest::keyClicks(b.dialog.txtA, character);
    else
        b.dialog.txtA->insertPlainText(character);
    QTest::keyClicks(b.dialog.txtA, QStringLiteral("y"));
    QCOMPARE(b.dialog.replacementText(), "x" + character + "y");
    b.buffer.setSelection(0);
    b.dialog.cmdSearch_Click();
    QCOMPARE(b.selection(), qMakePair(5, 3));
    b.dialog.cmdRe_Click();
    QCOMPARE(b.buffer.text(), "a b\r\nx" + character + "y end");
}

void TstSearch::ctrlFOpensAndRefills() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    QVERIFY(showActive(w));
    QAction* item = w.menus().item(QStringLiteral("mnuReSe"));
    QVERIFY(item->isEnabled());
    EditBuffer& buffer = w.buffer();
    buffer.setText(QStringLiteral("first\r\nsecond"));
    buffer.setSelection(3, 5);
    w.txtEdit()->setFocus();
    QTest::keyClick(w.txtEdit(), Qt::Key_F, Qt::ControlModifier);
    frmRe* dialog = w.searchWiring().searchTool().window();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QCOMPARE(dialog->parentWidget(), &w);
    QCOMPARE(dialog->targetText(), QStringLiteral("st\r\ns"));
    QVERIFY(dialog->cmdSearch->isEnabled());
    // The first Find next selects that same selection again.
    QTest::mouseClick(dialog->cmdSearch, Qt::LeftButton);
    QCOMPARE(buffer.selectionStart(), 3);
    QCOMPARE(buffer.selectionLength(), 5);
    // A second opening refills the same dialog; nothing selected empties the target.
    buffer.setSelection(1);
    item->trigger();
    QCOMPARE(w.searchWiring().searchTool().window(), dialog);
    QCOMPARE(dialog->targetText(), QString());
    QVERIFY(!dialog->cmdSearch->isEnabled());
}

void TstSearch::closingStartsAfresh() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    SearchTool& tool = w.searchWiring().searchTool();
    w.buffer().setText(QStringLiteral("abcabc"));
    w.buffer().setSelection(0, 3);
    tool.mnuReSe_Click();
    QPointer<frmRe> first = tool.window();
    first->cmdSearch->click();
    QCOMPARE(first->SearchPos, 3);
    first->close();
    QTRY_VERIFY(!first);
    QVERIFY(!tool.window());
    tool.mnuReSe_Click();
    QVERIFY(tool.window());
    QCOMPARE(tool.window()->SearchPos, 0);
    // Escape closes it as the close box does.
    QPointer<frmRe> second = tool.window();
    QTest::keyClick(second, Qt::Key_Escape);
    QTRY_VERIFY(!second);
}

void TstSearch::replaceAllIsOneUndoStep_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("regex");
    // One hit in a text of three lines sets it whole; two hits twenty lines apart are edited
    // alone. A pattern's Replace all is one step too.
    QTest::newRow("whole") << 0 << "</P>\n" << false;
    QTest::newRow("hits alone") << 20 << "</P>\n" << false;
    QTest::newRow("pattern, whole") << 0 << "</[P]>$\\n" << true;
    QTest::newRow("pattern, hits alone") << 20 << "</[P]>$\\n" << true;
}

void TstSearch::replaceAllIsOneUndoStep() {
    QFETCH(int, lines);
    QFETCH(QString, target);
    QFETCH(bool, regex);
    EditorFixture fx;
    frmEdit& w = fx.open();
    QVERIFY(showActive(w));
    EditBuffer& buffer = w.buffer();
    const QString middle = QStringLiteral("本文\r\n").repeated(lines);
    const QString before = "<P>見出し</P>\r\n" + middle + "<P>ABC 見出し</P>\r\n";
    buffer.setText(before);
    buffer.setSelection(3, 3);
    settle();
    w.txtEdit()->setFocus();
    QTest::keyClicks(w.txtEdit(), QStringLiteral("T"));
    settle();
    const QString typed = "<P>T</P>\r\n" + middle + "<P>ABC 見出し</P>\r\n";
    QCOMPARE(buffer.text(), typed);
    SearchTool& tool = w.searchWiring().searchTool();
    tool.mnuReSe_Click();
    frmRe* dialog = tool.window();
    dialog->setTargetText(target);
    dialog->chkRegex->setChecked(regex);
    dialog->txtA->setPlainText(QStringLiteral("<BR>"));
    QTest::mouseClick(dialog->cmdAllRe, Qt::LeftButton);
    settle();
    const QString replaced = "<P>T<BR>" + middle + "<P>ABC 見出し<BR>";
    QCOMPARE(buffer.text(), replaced);
    QVERIFY(!fx.state.document.DocumentSaved);
    // Back in the editor, Ctrl+Z gives the text as it was before Replace all, and again the
    // replaced text: the typing before it is not part of the step.
    w.activateWindow();
    w.txtEdit()->setFocus();
    QTest::keyClick(w.txtEdit(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    QCOMPARE(buffer.text(), typed);
    QTest::keyClick(w.txtEdit(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    QCOMPARE(buffer.text(), replaced);
}

TAGLOOM_TEST_MAIN(TstSearch)
#include "tst_search.moc"
