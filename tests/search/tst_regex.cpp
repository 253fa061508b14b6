// The search dialog with regular expressions: the walk over hits (empty ones included), line
// breaks, faults and their positions, the engine's limits, the replacement's groups, Replace and
// Replace all, and the count and marks while the dialog is open.
#include "SearchBench.h"
#include "app/EditorWiring.h"
#include "app/SearchWiring.h"
#include "app/TextPane.h"
#include "app/frmEdit.h"
#include "editor/HtmlHighlighter.h"
#include "editor/SourceView.h"
#include "search/HitMarks.h"
#include "search/PaneEdits.h"
#include "search/PaneRegex.h"
#include "search/RegexEngine.h"
#include "search/SearchTool.h"
#include "support/TestApp.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextDocument>

using Spans = QList<QPair<int, int>>;

class TstRegex : public QObject {
    Q_OBJECT
private slots:
    void walk_data();
    void walk();
    void faults_data();
    void faults();
    void watchStopsALongSearch();

    void findNextWalksTheHits_data();
    void findNextWalksTheHits();
    void replaceAll_data();
    void replaceAll();
    void editsInPlace();
    void replaceStepByStep_data();
    void replaceStepByStep();
    void faultChangesNothing_data();
    void faultChangesNothing();
    void catastrophicPatternIsReported();
    void checkBox();

    void countFollowsTheTarget_data();
    void countFollowsTheTarget();
    void countFollowsTyping();
    void marksOnPaintedLines();
};

namespace {

// Every hit of `pattern` in `text` as the global walk finds them, one search at a time.
Spans walkOf(const QString& text, const QString& pattern, bool ignoreCase) {
    Spans spans;
    qsizetype from = 0;
    bool notEmpty = false;
    for (int guard = 0; guard < 100; ++guard) {
        const RegexFind hit = findRegex(text, pattern, ignoreCase, from, notEmpty);
        if (hit.status != RegexFind::Hit)
            break;
        spans.append({int(hit.start), int(hit.length)});
        from = hit.start + hit.length;
        notEmpty = hit.length == 0;
    }
    return spans;
}

QString box(const FakeHost& host) {
    return host.calls.isEmpty() ? QString() : host.calls.constLast().text;
}

} // namespace

void TstRegex::walk_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<Spans>("hits");
    // What Perl and QRegularExpression::globalMatch find.
    QTest::newRow("a* on baaac") << "baaac"
                                 << "a*" << false << Spans{{0, 0}, {1, 3}, {4, 0}, {5, 0}};
    QTest::newRow("groups") << "x12 y345"
                            << R"(([a-z])(\d+))" << false << Spans{{0, 3}, {4, 4}};
    QTest::newRow("dot stops at a line break")
        << "ab\ncd"
        << "." << false << Spans{{0, 1}, {1, 1}, {3, 1}, {4, 1}};
    QTest::newRow("line starts") << "ab\ncd\n"
                                 << "^." << false << Spans{{0, 1}, {3, 1}};
    QTest::newRow("line ends") << "ab\ncd"
                               << "$" << false << Spans{{2, 0}, {5, 0}};
    QTest::newRow("\\n") << "a\nb\n"
                         << R"(\n)" << false << Spans{{1, 1}, {3, 1}};
    QTest::newRow("\\r\\n") << "a\nb"
                            << R"(a\r\nb)" << false << Spans{{0, 3}};
    QTest::newRow("typed line break") << "a\nb"
                                      << "a\r\nb" << false << Spans{{0, 3}};
    QTest::newRow("escaped backslash") << R"(x\r\ny)"
                                       << R"(\\r\\n)" << false << Spans{{1, 4}};
    QTest::newRow("quoted") << R"(a\r\nb)"
                            << R"(\Q\r\n\E)" << false << Spans{{1, 4}};
    QTest::newRow("case folded") << "ABC abc ＡＢＣ"
                                 << "abc|ａｂｃ" << true << Spans{{0, 3}, {4, 3}, {8, 3}};
    QTest::newRow("case kept") << "ABC abc"
                               << "abc" << false << Spans{{4, 3}};
    QTest::newRow("lookbehind") << "ab ab cb"
                                << "(?<=a)b" << false << Spans{{1, 1}, {4, 1}};
    QTest::newRow("leading option stays first") << "日本 語"
                                                << R"((*UCP)\w+)" << false << Spans{{0, 2}, {3, 1}};
    QTest::newRow("surrogate pair is one character") << "a\U00020BB7b"
                                                     << "a.b" << false << Spans{{0, 4}};
    // A lone surrogate is read as U+FFFD: a character, though a damaged one.
    QTest::newRow("damaged character") << QString::fromUtf16(u"a\xD800"
                                                             "b")
                                       << "a.b" << false << Spans{{0, 3}};
    QTest::newRow("line separator is no line break")
        << QString::fromUtf16(u"a\u2028b") << "^b" << false << Spans{};
}

void TstRegex::walk() {
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, ignoreCase);
    QFETCH(Spans, hits);
    QCOMPARE(walkOf(text, pattern, ignoreCase), hits);
}

void TstRegex::faults_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("message");
    QTest::newRow("open parenthesis")
        << "("
        << "正規表現に誤りがあります。\r\n末尾：「(」を閉じる「)」がありません";
    QTest::newRow("close parenthesis")
        << "ab)"
        << "正規表現に誤りがあります。\r\n3文字目：対になる「(」のない「)」があります";
    // A line break and a surrogate pair are one character of the field each.
    QTest::newRow("after a line break and a pair")
        << "a\r\n\U00020BB7)"
        << "正規表現に誤りがあります。\r\n4文字目：対になる「(」のない「)」があります";
    QTest::newRow("after \\r\\n")
        << R"(\r\n*+?)"
        << "正規表現に誤りがあります。\r\n7文字目：繰り返しの記号の前に、繰り返すものがありません";
    QTest::newRow("bracket")
        << "[a"
        << "正規表現に誤りがあります。\r\n末尾：「[」を閉じる「]」がありません";
    QTest::newRow("after a leading option")
        << "(*UCP)a{3,2}"
        << "正規表現に誤りがあります。\r\n12文字目：{ } の中の数が大きい順になっています";
}

void TstRegex::faults() {
    QFETCH(QString, pattern);
    QFETCH(QString, message);
    const RegexPattern compiled(pattern, false);
    QVERIFY(!compiled.isValid());
    QCOMPARE(badPatternMessage(compiled), message);
    QCOMPARE(findRegex(u"abc", pattern, false, 0).status, RegexFind::BadPattern);
}

void TstRegex::watchStopsALongSearch() {
    // Each start costs a million steps, under the engine's limit, and there are thousands of
    // them: only the watch on the deadline stops it, at an attempt it names.
    const QString text = QStringLiteral("aaaaaaaaaaaaaaaaaaaa b\n").repeated(3000);
    const RegexPattern pattern(u"(a+)+$", false);
    RegexMatcher matcher(pattern);
    QElapsedTimer clock;
    clock.start();
    const MatchStatus status =
        matcher.find(text, 0, false, SteadyClock::now() + std::chrono::milliseconds(100));
    QCOMPARE(status, MatchStatus::Stopped);
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(matcher.stoppedAt() >= 0 && matcher.stoppedAt() < text.size());
    QCOMPARE(matcher.resumeFrom(), matcher.stoppedAt());
}

void TstRegex::findNextWalksTheHits_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<Spans>("hits");
    QTest::newRow("a* on baaac") << "baaac" << 0 << "a*" << Spans{{0, 0}, {1, 3}, {4, 0}, {5, 0}};
    // Positions in CR LF units: a line break counts two.
    QTest::newRow("over line breaks") << "ab\r\ncd\r\nce" << 0 << "^c." << Spans{{4, 2}, {8, 2}};
    QTest::newRow("a line break") << "a\r\nb\r\n" << 0 << R"(b\n)" << Spans{{3, 3}};
    QTest::newRow("from the caret") << "ab ab ab" << 4 << "a." << Spans{{6, 2}};
    // Near the end only the rest is read: the lookbehind still sees before the caret, and the
    // caret's place in the middle of a line is no line start.
    const QString lines = QStringLiteral("a\r\n").repeated(40000);
    QTest::newRow("near the end, lookbehind")
        << lines + "xy xy" << 120001 << "(?<=x)y" << Spans{{120001, 1}, {120004, 1}};
    QTest::newRow("near the end, line start")
        << lines + "zy\r\ny" << 120001 << "^y" << Spans{{120004, 1}};
}

void TstRegex::findNextWalksTheHits() {
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, pattern);
    QFETCH(Spans, hits);
    Bench b;
    b.set(text, caret);
    b.pattern(pattern);
    for (const auto& hit : hits) {
        b.dialog.cmdSearch_Click();
        QCOMPARE(b.selection(), hit);
        QCOMPARE(b.host.count(QStringLiteral("msgbox")), 0);
    }
    b.dialog.cmdSearch_Click();
    verifyMiss(b.host);
    QCOMPARE(b.selection(), hits.constLast());
    // A miss is no wrap: another press misses again.
    b.host.clear();
    b.dialog.cmdSearch_Click();
    verifyMiss(b.host);
}

void TstRegex::replaceAll_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QString>("result");
    QTest::newRow("\\2\\1") << "x12 y345"
                            << R"(([a-z])(\d+))"
                            << R"(\2\1)" << false << "12x 345y";
    QTest::newRow("$2$1") << "x12 y345"
                          << R"(([a-z])(\d+))"
                          << "$2$1" << false << "12x 345y";
    QTest::newRow("whole hit") << "ab"
                               << "."
                               << R"([\0$0])" << false << "[aa][bb]";
    // As Perl: every empty hit is replaced once.
    QTest::newRow("a* on baaac") << "baaac"
                                 << "a*"
                                 << "-" << false << "-b--c-";
    QTest::newRow("^<li> only where it starts a line")
        << "<li>a\r\n <li>b\r\n<li>c"
        << "^<li>"
        << "<LI>" << false << "<LI>a\r\n <li>b\r\n<LI>c";
    QTest::newRow("every line start") << "a\r\n\r\nb"
                                      << "^"
                                      << "> " << false << "> a\r\n> \r\n> b";
    QTest::newRow("every line end") << "a\r\nb"
                                    << "$"
                                    << ";" << false << "a;\r\nb;";
    QTest::newRow("dot leaves line breaks") << "ab\r\nc"
                                            << "."
                                            << "x" << false << "xx\r\nx";
    QTest::newRow("\\n in the target") << "a\r\nb\r\nc"
                                       << R"(\n)"
                                       << "<BR>" << false << "a<BR>b<BR>c";
    QTest::newRow("\\r\\n in the target") << "a\r\nb"
                                          << R"(\r\n)"
                                          << " " << false << "a b";
    QTest::newRow("\\n in the replacement") << "a,b"
                                            << ","
                                            << R"(\n)" << false << "a\r\nb";
    QTest::newRow("typed line break") << "a,b"
                                      << ","
                                      << "\r\n"
                                      << false << "a\r\nb";
    QTest::newRow("the characters themselves") << "a"
                                               << "a"
                                               << R"(\\ $$ \t $ \)" << false << R"(\ $ \t $ \)";
    QTest::newRow("$10 is group 1 and a 0") << "ab"
                                            << "(a)(b)"
                                            << "$10" << false << "a0";
    QTest::newRow("a group the pattern lacks") << "ab"
                                               << "(a)"
                                               << R"([\9])" << false << "[]b";
    QTest::newRow("a group that took no part") << "ab"
                                               << "(x)?a"
                                               << "[$1]" << false << "[]b";
    QTest::newRow("font to span, any case")
        << "<FONT color=red>x</FONT> <font>y</font>"
        << "<font[^>]*>(.*?)</font>"
        << R"(<SPAN class="c">\1</SPAN>)" << true
        << R"(<SPAN class="c">x</SPAN> <SPAN class="c">y</SPAN>)";
    QTest::newRow("no hit") << "abc"
                            << "x+"
                            << "y" << false << "abc";
    // The groups are kept before the text they come from is rewritten.
    QTest::newRow("a group before the hit") << "abab"
                                            << "(?<=(a))b"
                                            << R"(\1\1)" << false << "aaaaaa";
    QTest::newRow("a group after the hit") << "bccbc"
                                           << "b(?=(c+))"
                                           << R"([\1])" << false << "[cc]cc[c]c";
    QTest::newRow("some grow, some shrink") << "aab b aaa\r\nbab"
                                            << "(a+)|b"
                                            << "$1$1" << false << "aaaa  aaaaaa\r\naa";
    // A damaged character copied by a group stays what it was.
    QTest::newRow("damaged character kept") << QString::fromUtf16(u"<\xD800>") << "<(.)>"
                                            << "[$1]" << false << QString::fromUtf16(u"[\xD800]");
}

void TstRegex::replaceAll() {
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QString, replacement);
    QFETCH(bool, ignoreCase);
    QFETCH(QString, result);
    Bench b;
    b.set(text, 1);
    b.pattern(pattern, replacement, ignoreCase);
    b.dialog.SearchPos = 2;
    b.dialog.cmdAllRe_Click();
    QCOMPARE(b.buffer.text(), result);
    QCOMPARE(b.selection(), qMakePair(0, 0));
    QCOMPARE(b.dialog.SearchPos, 2);
    verifyDone(b.host);
}

// The new text made in the old one's memory equals the one made in a buffer of its own, whatever
// the edits: empty ones, at either end, side by side, growing and shrinking in any order.
void TstRegex::editsInPlace() {
    QRandomGenerator random(7);
    for (int round = 0; round < 400; ++round) {
        QString text;
        const int size = int(random.bounded(0, 60));
        for (int i = 0; i < size; ++i)
            text += QChar(u'a' + random.bounded(26));
        std::vector<HitEdit> edits;
        QString replacements;
        qsizetype grown = 0;
        for (int at = 0; at <= size; ++at) {
            if (random.bounded(4) != 0)
                continue;
            const int length = int(random.bounded(0, std::min(4, size - at) + 1));
            const int withLength = int(random.bounded(0, 6));
            edits.push_back({at, length, int(at + grown), withLength});
            for (int k = 0; k < withLength; ++k)
                replacements += QChar(u'0' + random.bounded(10));
            grown += withLength - length;
            at += std::max(length, 1) - 1;
        }
        // There, each edit's replacement is found at its `with` in `replacements`.
        std::vector<HitEdit> fromBuffer = edits;
        qsizetype offset = 0;
        for (HitEdit& e : fromBuffer) {
            e.with = int(offset);
            offset += e.withLength;
        }
        const QString expected = withEditsMade(text, fromBuffer, replacements);
        QString inPlace = text;
        qsizetype read = 0;
        makeEditsInPlace(inPlace, edits, [&](const HitEdit& e, QChar* out) {
            std::copy_n(replacements.constData() + read, e.withLength, out);
            read += e.withLength;
        });
        QCOMPARE(inPlace, expected);
    }
}

void TstRegex::replaceStepByStep_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("replacement");
    // The document after each press of Replace; the first press only finds.
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("groups") << "x12 y345"
                            << R"(([a-z])(\d+))"
                            << R"(\2\1)" << QStringList{"x12 y345", "12x y345", "12x 345y"};
    QTest::newRow("hit after the first line")
        << "<B>\r\n<FONT color=\"red\">1</FONT>"
        << R"re(<FONT color="([a-z]+)">(.*?)</FONT>)re"
        << R"re(<SPAN style="color:$1">$2</SPAN>)re"
        << QStringList{"<B>\r\n<FONT color=\"red\">1</FONT>",
                       "<B>\r\n<SPAN style=\"color:red\">1</SPAN>"};
    QTest::newRow("empty hits") << "a\r\nb"
                                << "^"
                                << "> " << QStringList{"a\r\nb", "> a\r\nb", "> a\r\n> b"};
    QTest::newRow("a* on baaac") << "baaac"
                                 << "a*"
                                 << "-"
                                 << QStringList{"baaac", "-baaac", "-b-c", "-b--c", "-b--c-"};
}

void TstRegex::replaceStepByStep() {
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QString, replacement);
    QFETCH(QStringList, texts);
    Bench b;
    b.set(text);
    b.pattern(pattern, replacement);
    for (const QString& after : texts) {
        QCOMPARE(b.host.count(QStringLiteral("msgbox")), 0);
        b.dialog.cmdRe_Click();
        QCOMPARE(b.buffer.text(), after);
    }
    // The last replacement is followed by the search that misses; each replacement beeps.
    QCOMPARE(b.host.count(QStringLiteral("msgbox")), 1);
    QCOMPARE(box(b.host), QStringLiteral("見つかりませんでした"));
    QCOMPARE(b.host.count(QStringLiteral("beep")), texts.size());
}

void TstRegex::faultChangesNothing_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("does not compile")
        << "(" << QString() << "正規表現に誤りがあります。\r\n末尾：「(」を閉じる「)」がありません";
    QTest::newRow("too long") << "(a+)+$" << QString(30000, u'a') + "b"
                              << "正規表現の照合が長くなりすぎるため、中止しました。\r\n"
                                 "2行目の1文字目から照合していたところです。"
                                 "繰り返しの入れ子（例：(a+)+）などを見直してください。";
}

void TstRegex::faultChangesNothing() {
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(QString, message);
    EditorFixture fx;
    frmEdit& w = fx.open();
    QVERIFY(showActive(w));
    EditBuffer& buffer = w.buffer();
    const QString before = "<P>見出し</P>\r\n" + text;
    buffer.setText(before);
    buffer.setSelection(3, 3);
    settle();
    w.txtEdit()->setFocus();
    QTest::keyClicks(w.txtEdit(), QStringLiteral("T"));
    settle();
    const QString typed = "<P>T</P>\r\n" + text;
    QCOMPARE(buffer.text(), typed);
    SearchTool& tool = w.searchWiring().searchTool();
    tool.mnuReSe_Click();
    frmRe* dialog = tool.window();
    dialog->setTargetText(pattern);
    dialog->txtA->setPlainText(QStringLiteral("x"));
    dialog->chkRegex->setChecked(true);
    buffer.setSelection(0);
    // The count shows the fault without a box.
    dialog->hitMarks().countNow();
    QCOMPARE(dialog->lblCount->text(), QStringLiteral("正規表現に誤りがあります"));
    QCOMPARE(dialog->lblCount->toolTip(), message);
    QCOMPARE(fx.host.count(QStringLiteral("msgbox")), 0);
    for (QPushButton* button : {dialog->cmdSearch, dialog->cmdRe, dialog->cmdAllRe}) {
        fx.host.clear();
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(fx.host.kinds(), (QStringList{"beep", "msgbox"}));
        const HostCall& call = fx.host.calls.constLast();
        QCOMPARE(call.text, message);
        QCOMPARE(call.title, QStringLiteral("正規表現の誤り"));
        QCOMPARE(call.icon, Icon::Exclamation);
        QCOMPARE(buffer.text(), typed);
        QCOMPARE(buffer.selectionStart(), 0);
        QCOMPARE(dialog->targetText(), pattern);
    }
    // Ctrl+Z still undoes the typing: nothing took its place as the step to undo.
    w.activateWindow();
    w.txtEdit()->setFocus();
    QTest::keyClick(w.txtEdit(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    QCOMPARE(buffer.text(), before);
}

void TstRegex::catastrophicPatternIsReported() {
    // The count stops at the engine's limit too, and says so within a second.
    Bench b;
    b.set(QString(30000, u'a') + "b");
    b.pattern(QStringLiteral("(a+)+$"));
    QElapsedTimer clock;
    clock.start();
    b.dialog.hitMarks().countNow();
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(b.dialog.lblCount->text(), QStringLiteral("正規表現に誤りがあります"));
    QVERIFY(b.dialog.lblCount->toolTip().startsWith(
        QStringLiteral("正規表現の照合が長くなりすぎるため、中止しました。")));
    QVERIFY(b.dialog.hitMarks().hits().empty());
}

void TstRegex::checkBox() {
    Bench b;
    QCheckBox* box = b.dialog.chkRegex;
    QCOMPARE(box->text(), QStringLiteral("正規表現を使う(&R)"));
    QVERIFY(!box->isChecked());
    QCOMPARE(b.dialog.lblCount->text(), QString());
    // Under the case box, and the count under the buttons.
    QVERIFY(box->y() > b.dialog.chkSmBi->y());
    QVERIFY(box->y() < b.dialog.cmdSearch->y());
    QVERIFY(b.dialog.lblCount->y() > b.dialog.cmdSearch->y() + b.dialog.cmdSearch->height() - 1);
    QVERIFY(b.dialog.lblCount->y() + b.dialog.lblCount->height() <= b.dialog.height());
    b.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&b.dialog));
    QApplication::setActiveWindow(&b.dialog);
    b.dialog.txtT->setFocus();
    // The mnemonic clicks the box a moment later, as a click shown on screen.
    QTest::keyClick(b.dialog.txtT, Qt::Key_R, Qt::AltModifier);
    QTRY_VERIFY(box->isChecked());
    QCOMPARE(b.dialog.txtT->toPlainText(), QString());
    QTest::keyClick(box, Qt::Key_R, Qt::AltModifier);
    QTRY_VERIFY(!box->isChecked());
}

void TstRegex::countFollowsTheTarget_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("regex");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QString>("label");
    QTest::newRow("literal") << "ab" << false << false << "該当：3件";
    QTest::newRow("literal, dot is itself") << "a." << false << false << "該当なし";
    QTest::newRow("pattern") << "a." << true << false << "該当：3件";
    QTest::newRow("pattern, case folded") << "a." << true << true << "該当：4件";
    QTest::newRow("line starts, case folded") << "^a" << true << true << "該当：2件";
    QTest::newRow("line break") << R"(\n)" << true << false << "該当：1件";
    QTest::newRow("empty target") << "" << true << false << "";
}

void TstRegex::countFollowsTheTarget() {
    QFETCH(QString, pattern);
    QFETCH(bool, regex);
    QFETCH(bool, ignoreCase);
    QFETCH(QString, label);
    Bench b;
    b.set(QStringLiteral("ab ab ab\r\nAc"));
    b.fields(pattern, {}, ignoreCase);
    b.dialog.chkRegex->setChecked(regex);
    QVERIFY(b.dialog.hitMarks().pending() || pattern.isEmpty());
    b.dialog.hitMarks().countNow();
    QCOMPARE(b.dialog.lblCount->text(), label);
}

void TstRegex::countFollowsTyping() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    QVERIFY(showActive(w));
    EditBuffer& buffer = w.buffer();
    buffer.setText(QStringLiteral("ab ab ab"));
    buffer.setSelection(0, 2);
    SearchTool& tool = w.searchWiring().searchTool();
    tool.mnuReSe_Click();
    frmRe* dialog = tool.window();
    HitMarks& marks = dialog->hitMarks();
    QTRY_COMPARE(dialog->lblCount->text(), QStringLiteral("該当：3件"));
    const int passes = marks.passes();
    // Three keys in a row: one count, after the pause.
    w.activateWindow();
    w.txtEdit()->setFocus();
    buffer.setSelection(buffer.length());
    QTest::keyClicks(w.txtEdit(), QStringLiteral(" ab"));
    QCOMPARE(dialog->lblCount->text(), QStringLiteral("該当：3件"));
    QVERIFY(marks.pending());
    QTRY_COMPARE(dialog->lblCount->text(), QStringLiteral("該当：4件"));
    QCOMPARE(marks.passes(), passes + 1);
    // Then nothing runs until something changes.
    QTest::qWait(500);
    QVERIFY(!marks.pending());
    QCOMPARE(marks.passes(), passes + 1);
    // Typing into the target counts again.
    dialog->txtT->moveCursor(QTextCursor::End);
    QTest::keyClicks(dialog->txtT, QStringLiteral(" "));
    QTRY_COMPARE(dialog->lblCount->text(), QStringLiteral("該当：3件"));
}

void TstRegex::marksOnPaintedLines() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    QVERIFY(showActive(w));
    EditBuffer& buffer = w.buffer();
    buffer.setText(QStringLiteral("<P>ab</P>\r\nx ab ab"));
    SearchTool& tool = w.searchWiring().searchTool();
    tool.mnuReSe_Click();
    frmRe* dialog = tool.window();
    dialog->setTargetText(QStringLiteral("a."));
    dialog->chkRegex->setChecked(true);
    dialog->hitMarks().countNow();
    QCOMPARE(dialog->lblCount->text(), QStringLiteral("該当：3件"));
    const QColor hit = w.editorWiring().view().colors().searchHit;
    QTextDocument* doc = w.txtEdit()->document();
    // The spans marked with the hit colour on each line once it is laid for painting.
    const auto marked = [&](int line) {
        w.editorWiring().view().highlighter().formatBlocks(line, line);
        Spans spans;
        for (const auto& range : doc->findBlockByNumber(line).layout()->formats())
            if (range.format.background().color() == hit)
                spans.append({range.start, range.length});
        return spans;
    };
    QCOMPARE(marked(0), (Spans{{3, 2}}));
    QCOMPARE(marked(1), (Spans{{2, 2}, {5, 2}}));
    // Until the next count the marks move with the text; a hit the edit went through loses its
    // mark.
    QTextCursor cursor(doc);
    cursor.setPosition(doc->findBlockByNumber(1).position());
    cursor.insertText(QStringLiteral("yy"));
    cursor.insertText(QStringLiteral("z"));
    cursor.setPosition(doc->findBlockByNumber(1).position() + 9);
    cursor.insertText(QStringLiteral("-"));
    QVERIFY(dialog->hitMarks().pending());
    QCOMPARE(marked(1), (Spans{{5, 2}}));
    QCOMPARE(marked(0), (Spans{{3, 2}}));
    // Closing the dialog takes every mark away.
    dialog->close();
    QTRY_VERIFY(!tool.window());
    QCOMPARE(marked(0), Spans{});
    QCOMPARE(marked(1), Spans{});
}

TAGLOOM_TEST_MAIN(TstRegex)
#include "tst_regex.moc"
