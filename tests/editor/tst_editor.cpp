// The source pane's highlighting, colours, line numbers and tag marks, and that none of it
// touches the text, its positions, the undo step or the preview's bytes.
#include "app/EditorWiring.h"
#include "app/TagWiring.h"
#include "app/TextPane.h"
#include "app/frmEdit.h"
#include "color/ColorTool.h"
#include "color/frmColor.h"
#include "document/Preview.h"
#include "editor/HighlightColors.h"
#include "editor/HtmlHighlighter.h"
#include "editor/HtmlLexer.h"
#include "editor/LineMarks.h"
#include "editor/LineNumberGutter.h"
#include "editor/SourceView.h"
#include "editor/TagMatcher.h"
#include "host/CaretBlink.h"
#include "host/EditBuffer.h"
#include "support/TestApp.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QSlider>
#include <QStyleHints>
#include <QTextBlock>
#include <QTextLayout>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

// Tokens as "kind(text)", kinds lettered in HtmlToken's order, adjacent pieces of one kind
// joined, lines separated by " / ".
class Recorder : public HtmlTokenSink {
public:
    void token(int start, int length, HtmlToken kind) override {
        const QString piece = line.mid(start, length).toString();
        if (!out.isEmpty() && kind == lastKind && start == end)
            out.last().insert(out.last().size() - 1, piece);
        else
            out << QChar(u"DNAVCETSYQM"[int(kind)]) + (u'(' + piece + u')');
        lastKind = kind;
        end = start + length;
    }
    QString take() { return std::exchange(out, {}).join(u'|'); }
    QStringView line;
    QStringList out;
    HtmlToken lastKind{};
    int end = -1;
};

QString lexLines(const QString& text, int* finalState = nullptr) {
    Recorder r;
    QStringList lines;
    int state = HtmlLexer::kInitialState;
    const QStringList source = text.split(u'\n');
    for (const QString& line : source) {
        r.line = line;
        state = HtmlLexer::lexLine(line, state, &r);
        lines << r.take();
    }
    if (finalState)
        *finalState = state;
    return lines.join(QStringLiteral(" / "));
}

// Text with "|" at the caret and "{...}" around the expected partner.
struct Marked {
    QString text;
    int caret = -1;
    TagSpan partner;
};

Marked unmark(QString s) {
    Marked m;
    m.caret = int(s.indexOf(u'|'));
    s.remove(m.caret, 1);
    const int open = int(s.indexOf(u'{'));
    if (open >= 0) {
        s.remove(open, 1);
        const int close = int(s.indexOf(u'}'));
        s.remove(close, 1);
        m.partner = {open, close};
    }
    m.text = s;
    return m;
}

const QString kPage = QStringLiteral(
    "<!DOCTYPE html>\r\n<HTML>\r\n<HEAD>\r\n<STYLE>\r\np { color: \"red\" } /* note */\r\n"
    "</STYLE>\r\n<SCRIPT>\r\nvar s = '</b>'; // x\r\n</SCRIPT>\r\n</HEAD>\r\n<BODY>\r\n"
    "<!-- a comment -->\r\n<TABLE BORDER=1><TR><TD>&amp;&#12354;</TD></TR></TABLE>\r\n"
    "</BODY>\r\n</HTML>\r\n");

// The paints and timer events of the text pane and everything in it. The filter sees every
// object's events, the browser engine's own too, whose classes carry no type information: it
// only compares their addresses, and touches none but the pane's own objects.
class PaneActivity : public QObject {
public:
    explicit PaneActivity(QWidget* pane) {
        const QList<QObject*> inside = pane->findChildren<QObject*>();
        m_pane = QSet<QObject*>(inside.begin(), inside.end());
        m_pane.insert(pane);
        qApp->installEventFilter(this);
    }
    QList<std::pair<QObject*, QRect>> paints;
    QStringList timers;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_pane.contains(watched))
            return false;
        // What the pane makes from now on belongs to it as well.
        if (event->type() == QEvent::ChildAdded)
            m_pane.insert(static_cast<QChildEvent*>(event)->child());
        if (event->type() == QEvent::ChildRemoved)
            m_pane.remove(static_cast<QChildEvent*>(event)->child());
        if (event->type() == QEvent::Paint)
            paints.append({watched, static_cast<QPaintEvent*>(event)->rect()});
        if (event->type() == QEvent::Timer)
            timers << QString::fromLatin1(watched->metaObject()->className());
        return false;
    }

private:
    QSet<QObject*> m_pane;
};

} // namespace

class TstEditor : public QObject {
    Q_OBJECT
private slots:
    void lexesTrickySource_data();
    void lexesTrickySource();
    void lexesAMegabyteLineInOnePass();
    void derivedColorsReadOnTheBackground_data();
    void derivedColorsReadOnTheBackground();
    void matchesTags_data();
    void matchesTags();
    void matchingStopsAtItsBudget();
    void openElementStopsAtItsBudget();
    void highlighterColoursOnlyLayoutsAndCatchesUp();
    void editsRecolourTheLinesBelow();
    void statesAfterEditsEqualAFreshReading();
    void paneKeepsTextPositionsUndoAndPreviewBytes();
    void paneMarksTheTagAndItsPartner();
    void markLayersColourPaintedLinesBeneathTheText();
    void gutterNumbersDocumentLinesInsideThePane();
    void backgroundChangeRederivesColours();
    void idlePaneRepaintsOnlyTheCaretThenNothing();
    void gutterRepaintsNumbersTheLayoutMoves_data();
    void gutterRepaintsNumbersTheLayoutMoves();
};

void TstEditor::lexesTrickySource_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("tokens");
    QTest::newRow("unquoted attributes") << "<td width=50% nowrap>x"
                                         << "D(<)|N(td)|A(width)|V(=50%)|A(nowrap)|D(>)";
    QTest::newRow("> inside a quoted value")
        << "<a title=\"a>b\" alt='c>d' href=x>t"
        << "D(<)|N(a)|A(title)|V(=\"a>b\")|A(alt)|V(='c>d')|A(href)|V(=x)|D(>)";
    QTest::newRow("capital tag names") << "<IMG SRC=\"a.gif\"/>"
                                       << "D(<)|N(IMG)|A(SRC)|V(=\"a.gif\")|D(/>)";
    QTest::newRow("-- inside a comment") << "<!-- -- -->x<b>"
                                         << "C(<!-- -- -->)|D(<)|N(b)|D(>)";
    QTest::newRow("-- > does not end a comment") << "<!-- a -- > b -->c"
                                                 << "C(<!-- a -- > b -->)";
    QTest::newRow("empty comments") << "<!---->a<!-->b"
                                    << "C(<!---->)|C(<!-->)";
    QTest::newRow("doctype") << "<!DOCTYPE html>x"
                             << "T(<!DOCTYPE html>)";
    QTest::newRow("entities") << "a&amp;b&#12354;c&#x3042;d &nope & &#; &lt"
                              << "E(&amp;)|E(&#12354;)|E(&#x3042;)";
    QTest::newRow("</script> inside a string ends the script")
        << "<script>var s = \"</script>\";</script>"
        << "D(<)|N(script)|D(>)|S(var s = )|Q(\")|D(</)|N(script)|D(>)|D(</)|N(script)|D(>)";
    QTest::newRow("script strings and comments")
        << "<SCRIPT type=x>a='<b>'; // c</SCRIPT>"
        << "D(<)|N(SCRIPT)|A(type)|V(=x)|D(>)|S(a=)|Q('<b>')|S(; )|M(// c)|D(</)|N(SCRIPT)|D(>)";
    QTest::newRow("style") << "<style>p{font:\"x\"}/* c */</style>"
                           << "D(<)|N(style)|D(>)|Y(p{font:)|Q(\"x\")|Y(})|M(/* c */)|D(</)|"
                              "N(style)|D(>)";
    QTest::newRow("</scripts> does not end the script")
        << "<script>a</scripts>b</script>"
        << "D(<)|N(script)|D(>)|S(a</scripts>b)|D(</)|N(script)|D(>)";
    QTest::newRow("a tag across lines") << "<a\n href=\"x\n y\">z"
                                        << "D(<)|N(a) / A(href)|V(=\"x) / V( y\")|D(>)";
    QTest::newRow("a script comment across lines")
        << "<script>/* a\n<b> */ x</script>"
        << "D(<)|N(script)|D(>)|M(/* a) / M(<b> */)|S( x)|D(</)|N(script)|D(>)";
    QTest::newRow("a template string across lines")
        << "<script>`a\n</b>`;</script>"
        << "D(<)|N(script)|D(>)|Q(`a) / Q(</b>`)|S(;)|D(</)|N(script)|D(>)";
    QTest::newRow("an unterminated comment at the end")
        << "<p>a\n<!-- never\nclosed <b>"
        << "D(<)|N(p)|D(>) / C(<!-- never) / C(closed <b>)";
    QTest::newRow("an unterminated quote stops at the next one")
        << "<a href=\"x>\n<b>\">c<i>"
        << "D(<)|N(a)|A(href)|V(=\"x>) / V(<b>\")|D(>)|D(<)|N(i)|D(>)";
    QTest::newRow("a lone < is text") << "a < b <3 </ >"
                                      << "C(</ >)";
}

void TstEditor::lexesTrickySource() {
    QFETCH(QString, source);
    QFETCH(QString, tokens);
    QCOMPARE(lexLines(source), tokens);
}

void TstEditor::lexesAMegabyteLineInOnePass() {
    QString line;
    while (line.size() < (1 << 20))
        line += QStringLiteral("<td class=c>&amp;x</td>");
    const int cells = int(line.size() / 23);
    line += QStringLiteral("<!-- never closed");
    struct Counter : HtmlTokenSink {
        int names = 0;
        int entities = 0;
        HtmlToken lastKind{};
        void token(int, int, HtmlToken kind) override {
            names += kind == HtmlToken::TagName;
            entities += kind == HtmlToken::Entity;
            lastKind = kind;
        }
    } counter;
    const int state = HtmlLexer::lexLine(line, HtmlLexer::kInitialState, &counter);
    QCOMPARE(counter.names, 2 * cells);
    QCOMPARE(counter.entities, cells);
    QCOMPARE(counter.lastKind, HtmlToken::Comment);
    // The comment carries on to the next line and ends there.
    QCOMPARE(lexLines(QStringLiteral("-->ok")), QStringLiteral(""));
    Recorder r;
    const QString next = QStringLiteral("x --> <b>");
    r.line = next;
    HtmlLexer::lexLine(next, state, &r);
    QCOMPARE(r.take(), QStringLiteral("C(x -->)|D(<)|N(b)|D(>)"));

    // A megabyte of openers and of an unclosed quote is read in one pass as well.
    const QString openers(1 << 20, u'<');
    QCOMPARE(HtmlLexer::lexLine(openers, HtmlLexer::kInitialState, nullptr),
             HtmlLexer::kInitialState);
    const QString quote = QStringLiteral("<a href=\"") + QString(1 << 20, u'>');
    QVERIFY(HtmlLexer::lexLine(quote, HtmlLexer::kInitialState, nullptr) !=
            HtmlLexer::kInitialState);
}

void TstEditor::derivedColorsReadOnTheBackground_data() {
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("light");
    QTest::newRow("white") << QColor(255, 255, 255) << true;
    QTest::newRow("black") << QColor(0, 0, 0) << false;
    QTest::newRow("mid grey") << QColor(0x77, 0x77, 0x77) << true;
    QTest::newRow("navy") << QColor(0, 0, 0x80) << false;
    QTest::newRow("pale yellow") << QColor(0xff, 0xff, 0xc0) << true;
    QTest::newRow("saturated red") << QColor(0xff, 0, 0) << true;
}

void TstEditor::derivedColorsReadOnTheBackground() {
    QFETCH(QColor, background);
    QFETCH(bool, light);
    const HighlightColors c = deriveHighlightColors(background);
    QCOMPARE(c.background, background);
    const QList<QColor> texts = {
        c.tag,        c.attributeName,   c.attributeValue, c.comment,
        c.entity,     c.doctype,         c.embedded,       c.embeddedString,
        c.lineNumber, c.unmatchedMarker, c.fullWidthSpace};
    const QList<QColor> grounds = {c.background, c.currentLine, c.matchedTag, c.unmatchedTag};
    for (const QColor& text : texts) {
        for (const QColor& ground : grounds) {
            const double ratio = contrastRatio(text, ground);
            if (ratio < 4.5)
                QFAIL(qPrintable(
                    QStringLiteral("%1 on %2: %3").arg(text.name(), ground.name()).arg(ratio)));
        }
        // Dark accents on a light background, light ones on a dark one.
        QCOMPARE(text.lightnessF() < background.lightnessF(), light);
    }
    // The kinds stay apart from each other.
    QVERIFY(c.tag != c.attributeName);
    QVERIFY(c.attributeName != c.attributeValue);
    QVERIFY(c.comment != c.tag);
    QVERIFY(c.entity != c.attributeValue);
    // The current line is marked, however faintly, where the background leaves room.
    if (contrastRatio(QColor(light ? Qt::black : Qt::white), background) > 5)
        QVERIFY(c.currentLine != c.background);
    // Black on white is 21:1.
    QCOMPARE(qRound(contrastRatio(Qt::black, Qt::white) * 10), 210);
}

void TstEditor::matchesTags_data() {
    QTest::addColumn<QString>("marked");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<bool>("isVoid");
    QTest::addColumn<bool>("unmatched");
    QTest::newRow("outer start tag, any case, across lines")
        << "<D|IV>\n<div class=\"a\">\n<BR>\n<p>x</p>\n</div>\n{</DIV>}"
        << "<DIV>" << false << false;
    QTest::newRow("inner end tag back to its start")
        << "<DIV>\n{<div class=\"a\">}\n<BR>\n<p>x</p>\n</d|iv>\n</DIV>"
        << "</div>" << false << false;
    QTest::newRow("caret on the attribute")
        << "<DIV>\n<div cl|ass=\"a\">\n<BR>\n<p>x</p>\n{</div>}\n</DIV>"
        << "<div class=\"a\">" << false << false;
    QTest::newRow("caret just before a tag") << "{<p>}x|</p>"
                                             << "</p>" << false << false;
    QTest::newRow("void element") << "<DIV>\n<B|R>\n</DIV>"
                                  << "<BR>" << true << false;
    QTest::newRow("self-closing") << "<DIV><spa|n/></span></DIV>"
                                  << "<span/>" << true << false;
    QTest::newRow("nested same name") << "<u|l><li><ul><li>a</ul></li>{</ul>}"
                                      << "<ul>" << false << false;
    QTest::newRow("no partner") << "<DIV>\n<sp|an>\n</DIV>"
                                << "<span>" << false << true;
    QTest::newRow("end tag without start") << "<p>a</p>\n</|b>"
                                           << "</b>" << false << true;
    QTest::newRow("end tag of a void element") << "<br></b|r>"
                                               << "</br>" << false << true;
    QTest::newRow("commented-out tag skipped") << "<di|v><!-- </div> -->{</div>}</div>"
                                               << "<div>" << false << false;
    QTest::newRow("tag inside a script string skipped")
        << "<d|iv>\n<script>x = \"</div>\";</script>\n{</div>}"
        << "<div>" << false << false;
    QTest::newRow("tag across lines") << "<a\n hr|ef=\"x\">link{</a>}"
                                      << "<a\n href=\"x\">" << false << false;
    QTest::newRow("a tag across lines on the way to the partner")
        << "<di|v>\n<span\nclass=\"x\">y</span>\n{</div>}"
        << "<div>" << false << false;
    QTest::newRow("caret in text") << "<p>a|b</p>"
                                   << "" << false << false;
    // Names pair exactly when they are equal, case ignored: two different lone surrogates after
    // a capital are two names, and a capital whose small letter is longer pairs with itself on
    // the lines below as beside it.
    const QChar lone20(0xDC20), lone01(0xDC01);
    QTest::newRow("different lone surrogates in names")
        << u"<A"_s + lone20 + u"|>x</A"_s + lone01 + u">"_s << u"<A"_s + lone20 + u">"_s << false
        << true;
    QTest::newRow("the same lone surrogate, case ignored")
        << u"<A"_s + lone20 + u"|>x{</a"_s + lone20 + u">}"_s << u"<A"_s + lone20 + u">"_s << false
        << false;
    QTest::newRow("a capital whose small letter is longer, on the next line")
        << u"<A\u0130|>\nx\n{</A\u0130>}"_s << u"<A\u0130>"_s << false << false;
}

void TstEditor::matchesTags() {
    QFETCH(QString, marked);
    QFETCH(QString, tag);
    QFETCH(bool, isVoid);
    QFETCH(bool, unmatched);
    const Marked m = unmark(marked);
    QTextDocument doc(m.text);
    const TagMatch match = matchTagAt(doc, m.caret, {});
    if (tag.isEmpty()) {
        QVERIFY(!match.tag.isValid());
        return;
    }
    QVERIFY(match.tag.isValid());
    QCOMPARE(m.text.mid(match.tag.start, match.tag.end - match.tag.start), tag);
    QCOMPARE(match.isVoid, isVoid);
    QCOMPARE(match.unmatched, unmatched);
    QCOMPARE(match.partner.start, m.partner.start);
    QCOMPARE(match.partner.end, m.partner.end);
}

void TstEditor::matchingStopsAtItsBudget() {
    QString text = QStringLiteral("<html>\n");
    for (int i = 0; i < 20000; ++i)
        text += QStringLiteral("<p>line %1</p>\n").arg(i);
    text += QStringLiteral("</html>");
    QTextDocument doc(text);
    const int caret = int(text.size()) - 3;
    const TagMatch near = matchTagAt(doc, caret, {}, 4096);
    QVERIFY(near.tag.isValid());
    QVERIFY(!near.partner.isValid());
    QVERIFY(!near.unmatched); // not known, so not called unmatched
    const TagMatch far = matchTagAt(doc, caret, {}, 1 << 20);
    QCOMPARE(far.partner.start, 0);
    QCOMPARE(far.partner.end, 6);
}

void TstEditor::openElementStopsAtItsBudget() {
    QString text = QStringLiteral("<Body>\n");
    for (int i = 0; i < 20000; ++i)
        text += QStringLiteral("<p>line %1</p><br>\n").arg(i);
    QTextDocument doc(text);
    const int end = int(text.size());
    QCOMPARE(openElementAt(doc, end, {}, 4096).name, QString());
    const OpenElement far = openElementAt(doc, end, {}, 1 << 20);
    QCOMPARE(far.name, QStringLiteral("Body"));
    QCOMPARE(far.start, 0);
    // Inside the last paragraph, before its end tag.
    const OpenElement near = openElementAt(doc, end - 10, {}, 4096);
    QCOMPARE(near.name, QStringLiteral("p"));
    QCOMPARE(near.start, int(text.lastIndexOf(u"<p>")));

    // By default it looks back as far as the tag marks do: an element they pair is open, one
    // they cannot reach is not.
    for (const int lines : {2400, 2700}) {
        QString page = QStringLiteral("<Body>\n");
        for (int i = 0; i < lines; ++i)
            page += QString(99, u'x') + u'\n';
        QTextDocument far(page + QStringLiteral("</Body>"));
        const bool reached = matchTagAt(far, int(page.size()) + 1, {}).partner.isValid();
        QCOMPARE(reached, lines * 100 < (256 << 10));
        QCOMPARE(openElementAt(far, int(page.size()), {}).name,
                 reached ? QStringLiteral("Body") : QString());
    }
}

void TstEditor::highlighterColoursOnlyLayoutsAndCatchesUp() {
    QPlainTextEdit edit;
    edit.resize(500, 300);
    QString text = kPage;
    for (int i = 0; i < 3000; ++i)
        text += QStringLiteral("<P CLASS=x>段落%1 &amp;</P>\n").arg(i);
    edit.setPlainText(text);
    auto* highlighter = new HtmlHighlighter(&edit);
    QSignalSpy changed(edit.document(), &QTextDocument::contentsChanged);
    QSignalSpy change(edit.document(), &QTextDocument::contentsChange);
    const QString before = edit.document()->toRawText();
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    highlighter->formatVisible();

    // The screen is coloured; what lies below is not, though its states follow in idle slices.
    const QTextBlock table = edit.document()->findBlockByNumber(12);
    QVERIFY(table.text().startsWith(u"<TABLE"));
    const QList<QTextLayout::FormatRange> formats = table.layout()->formats();
    QVERIFY(!formats.isEmpty());
    QCOMPARE(formats.first().start, 0);
    QCOMPARE(formats.first().format.foreground().color(), deriveHighlightColors(Qt::white).tag);
    QVERIFY(edit.document()->lastBlock().layout()->formats().isEmpty());
    QTRY_VERIFY(highlighter->statesComplete());
    QVERIFY(edit.document()->lastBlock().layout()->formats().isEmpty());

    // Colours are not text: no change was reported and the text is the same.
    QCOMPARE(changed.count(), 0);
    QCOMPARE(change.count(), 0);
    QCOMPARE(edit.document()->toRawText(), before);
}

void TstEditor::editsRecolourTheLinesBelow() {
    QPlainTextEdit edit;
    edit.resize(500, 300);
    edit.setPlainText(QStringLiteral("<p>a</p>\n<b>x</b>\n<i>y</i>\nend"));
    auto* highlighter = new HtmlHighlighter(&edit);
    highlighter->completeStates();
    highlighter->formatBlocks(0, 3);
    const auto firstKind = [&](int block) {
        const auto f = edit.document()->findBlockByNumber(block).layout()->formats();
        return f.isEmpty() ? QColor() : f.first().format.foreground().color();
    };
    const HighlightColors colors = deriveHighlightColors(Qt::white);
    QCOMPARE(firstKind(1), colors.tag);

    // Opening a comment on the first line turns the lines below into comment.
    QTextCursor c(edit.document());
    c.setPosition(0);
    c.insertText(QStringLiteral("<!--"));
    highlighter->formatBlocks(0, 3);
    QCOMPARE(firstKind(1), colors.comment);
    QCOMPARE(firstKind(3), colors.comment);
    QVERIFY(highlighter->stateAtStart(edit.document()->findBlockByNumber(3)) != 0);

    // Closing it on the second line gives the third its tags back.
    c.setPosition(edit.document()->findBlockByNumber(1).position() + 8);
    c.insertText(QStringLiteral("-->"));
    highlighter->formatBlocks(0, 3);
    QCOMPARE(firstKind(2), colors.tag);
    QCOMPARE(firstKind(3), QColor());

    // Lines edited far below the last known state are lexed from the right one.
    highlighter->completeStates();
    QVERIFY(highlighter->statesComplete());
    c.setPosition(0);
    c.deleteChar();
    QVERIFY(!highlighter->statesComplete());
    highlighter->completeStates();
    QCOMPARE(highlighter->stateAtStart(edit.document()->findBlockByNumber(3)), 0);
}

void TstEditor::statesAfterEditsEqualAFreshReading() {
    // Edits that open and close comments, scripts and quotes above lines already read, with
    // the states worked out sometimes only part of the way: every state must end up as a
    // reading from the top gives it.
    QPlainTextEdit edit;
    QString text;
    for (int i = 0; i < 60; ++i)
        text += QStringLiteral("<p class=\"c%1\">a</p>\n").arg(i);
    edit.setPlainText(text);
    auto* highlighter = new HtmlHighlighter(&edit);
    highlighter->completeStates();
    const QStringList pieces = {
        QStringLiteral("<!--"),      QStringLiteral("-->"),       QStringLiteral("<script>"),
        QStringLiteral("</script>"), QStringLiteral("\""),        QStringLiteral("\n"),
        QStringLiteral("x"),         QStringLiteral("<style>/*"), QStringLiteral("*/</style>")};
    quint32 seed = 12345;
    const auto next = [&seed](int bound) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % quint32(bound));
    };
    for (int step = 0; step < 300; ++step) {
        QTextCursor c(edit.document());
        const int length = edit.document()->characterCount() - 1;
        c.setPosition(next(length + 1));
        if (next(3) == 0 && c.position() < length) {
            c.setPosition(std::min(length, c.position() + 1 + next(12)), QTextCursor::KeepAnchor);
            c.removeSelectedText();
        } else {
            c.insertText(pieces[next(int(pieces.size()))]);
        }
        const int blocks = edit.document()->blockCount();
        if (step % 3 == 0)
            highlighter->formatBlocks(0, next(blocks));
        else if (step % 3 == 1)
            highlighter->completeStates();
        if (step % 3 == 2)
            continue;
        int state = HtmlLexer::kInitialState;
        const int known = step % 3 == 1 ? blocks : 1;
        for (QTextBlock b = edit.document()->firstBlock(); b.isValid() && b.blockNumber() < known;
             b = b.next()) {
            QCOMPARE(highlighter->stateAtStart(b), state);
            state = HtmlLexer::lexLine(b.text(), state, nullptr);
        }
    }
}

void TstEditor::paneMarksTheTagAndItsPartner() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    EditBuffer& buffer = w.buffer();
    buffer.setText(QStringLiteral("<DIV>\r\n<P>a</P>\r\n</DIV>\r\n<SPAN>"));
    SourceView& view = w.editorWiring().view();
    const auto markedTexts = [&] {
        QStringList texts;
        for (const QTextEdit::ExtraSelection& s : w.txtEdit()->extraSelections())
            texts << s.cursor.selectedText();
        return texts;
    };
    buffer.setSelection(2, 0); // in <DIV>
    view.updateTagMarks();
    // The tag, its partner three lines down.
    QCOMPARE(markedTexts(), (QStringList{"<DIV>", "</DIV>"}));
    QCOMPARE(w.txtEdit()->extraSelections().at(0).format.background().color(),
             view.colors().matchedTag);
    buffer.setSelection(25, 0); // in <SPAN>
    view.updateTagMarks();
    QCOMPARE(markedTexts(), (QStringList{"<SPAN>"}));
    QCOMPARE(w.txtEdit()->extraSelections().at(0).format.background().color(),
             view.colors().unmatchedTag);
    // The marks follow the caret by themselves, a moment after it rests.
    buffer.setSelection(12, 0); // in </P>
    QTRY_COMPARE(markedTexts(), (QStringList{"</P>", "<P>"}));
    QCOMPARE(buffer.text(), QStringLiteral("<DIV>\r\n<P>a</P>\r\n</DIV>\r\n<SPAN>"));
}

namespace {

// Marks every "mark" of a line with a search-hit background.
class WordMarks : public LineMarkLayer {
public:
    void marksForLine(const QTextBlock& block, QList<QTextLayout::FormatRange>& out) override {
        ++asked;
        for (qsizetype at = block.text().indexOf(u"mark"); at >= 0;
             at = block.text().indexOf(u"mark", at + 1)) {
            QTextLayout::FormatRange r{int(at), 4, {}};
            r.format.setBackground(color);
            out.append(r);
        }
    }
    QColor color;
    int asked = 0;
};

} // namespace

void TstEditor::markLayersColourPaintedLinesBeneathTheText() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    SourceView& view = w.editorWiring().view();
    w.buffer().setText(QStringLiteral("<B>mark</B>\r\nplain mark\r\n") +
                       QStringLiteral("filler\r\n").repeated(5000) + QStringLiteral("mark"));
    w.buffer().setSelection(0, 0);
    WordMarks marks;
    marks.color = view.colors().searchHit;
    view.highlighter().addMarkLayer(&marks);
    QCoreApplication::processEvents();
    const auto markColourAt = [&](int blockNumber, int column) {
        const QTextBlock block = w.txtEdit()->document()->findBlockByNumber(blockNumber);
        QTextCursor c(block);
        c.setPosition(block.position() + column);
        const QRect caret = w.txtEdit()->cursorRect(c);
        // Just right of the caret's place, at the middle of the line: the mark's background.
        const QImage image = w.txtEdit()->viewport()->grab().toImage();
        return image.pixel(caret.left() + 2, caret.top() + 1);
    };
    // On another line and on the caret's own line (beneath the current-line band), with the
    // tag's colours kept.
    const QRgb hit = view.colors().searchHit.rgb();
    QCOMPARE(markColourAt(1, 6), hit);
    QCOMPARE(markColourAt(0, 3), hit);
    const auto rightEdgeOf = [&](int blockNumber) {
        const QTextBlock block = w.txtEdit()->document()->findBlockByNumber(blockNumber);
        const QRect line = w.txtEdit()->cursorRect(QTextCursor(block));
        const QImage image = w.txtEdit()->viewport()->grab().toImage();
        return image.pixel(image.width() - 3, line.center().y());
    };
    // The band spans the caret's line and moves with it.
    QCOMPARE(rightEdgeOf(0), view.colors().currentLine.rgb());
    QCOMPARE(rightEdgeOf(1), view.colors().background.rgb());
    w.buffer().setSelection(15, 0);
    QCOMPARE(rightEdgeOf(1), view.colors().currentLine.rgb());
    QCOMPARE(rightEdgeOf(0), view.colors().background.rgb());
    const QList<QTextLayout::FormatRange> formats =
        w.txtEdit()->document()->firstBlock().layout()->formats();
    QCOMPARE(formats.first().format.foreground().color(), view.colors().tag);
    // Only painted lines were asked; the last line is not on screen.
    QVERIFY(marks.asked > 0 && marks.asked < 100);
    QVERIFY(w.txtEdit()->document()->lastBlock().layout()->formats().isEmpty());
    // Removed, the marks are gone from what is painted next; the text never changed.
    view.highlighter().removeMarkLayer(&marks);
    QCoreApplication::processEvents();
    QVERIFY(markColourAt(1, 6) != hit);
    QCOMPARE(w.buffer().text().left(13), QStringLiteral("<B>mark</B>\r\n"));
}

void TstEditor::paneKeepsTextPositionsUndoAndPreviewBytes() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    EditBuffer& buffer = w.buffer();
    TextPane* pane = w.txtEdit();
    buffer.loadText(kPage);
    QCoreApplication::processEvents();
    // A load, coloured or not, leaves nothing to undo.
    QVERIFY(!pane->canUndo());
    fx.state.document.DocumentSaved = true;
    w.editorWiring().view().highlighter().formatVisible();
    w.editorWiring().view().updateTagMarks();
    QCOMPARE(fx.state.document.DocumentSaved, true);
    QVERIFY(!pane->document()->firstBlock().next().layout()->formats().isEmpty());

    // Positions in CR LF units: "<HTML>" starts after the doctype's line and its CR LF.
    buffer.setSelection(17, 6);
    QCOMPARE(buffer.selectedText(), QStringLiteral("<HTML>"));
    QCOMPARE(buffer.selectionStart(), 17);
    QCOMPARE(buffer.text(), kPage);

    // Typing and one undo give back the same text.
    pane->setFocus();
    buffer.setSelection(int(kPage.indexOf(u"</BODY>")), 0);
    QTest::keyClicks(pane, QStringLiteral("<B>x"));
    QCOMPARE(buffer.text(), QString(kPage).insert(kPage.indexOf(u"</BODY>"), u"<B>x"));
    pane->undoLastStep();
    QCOMPARE(buffer.text(), kPage);

    // The preview file holds the text's own bytes: UTF-8 with its mark, CR LF, no colours.
    w.preview().RefreshPreview();
    const QByteArray bytes = readBytes(w.preview().previewFile());
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(bytes.contains(kPage.mid(kPage.indexOf(u"<BODY>")).toUtf8()));
    QVERIFY(!bytes.contains("color:#"));
}

void TstEditor::gutterNumbersDocumentLinesInsideThePane() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    TextPane* pane = w.txtEdit();
    const QRect paneBefore = pane->geometry();
    w.buffer().setText(
        QString(QStringLiteral("<P>") + QString(400, u'x') + QStringLiteral("</P>\r\n"))
            .repeated(1200));
    QCoreApplication::processEvents();
    auto* gutter = pane->findChild<LineNumberGutter*>(QStringLiteral("lineNumbers"));
    QVERIFY(gutter);
    QVERIFY(gutter->isVisible());
    // The gutter is inside the pane, the text starts right of it, the pane did not move.
    QCOMPARE(pane->geometry(), paneBefore);
    QVERIFY(pane->rect().contains(gutter->geometry()));
    QCOMPARE(pane->viewport()->geometry().left(), gutter->geometry().right() + 1);
    // Four digits fit: lines are counted, not wrapped display rows (1,200 lines, wrapped).
    QCOMPARE(w.buffer().text().count(QStringLiteral("\r\n")), 1200);
    const int nine = QFontMetrics(pane->font()).horizontalAdvance(u'9');
    QCOMPARE(gutter->preferredWidth(), nine * 4 + 10);
}

void TstEditor::backgroundChangeRederivesColours() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    SourceView& view = w.editorWiring().view();
    QCOMPARE(view.colors().background, QColor(Qt::white));
    QCOMPARE(view.colors().tag, deriveHighlightColors(Qt::white).tag);
    // The color tool's txtBack mode sets the pane's background: the colours follow at once.
    fx.host.dialogScripts.push_back([](QDialog* d) {
        auto* f = qobject_cast<frmColor*>(d);
        if (!f)
            return -1;
        f->S1->setValue(0);
        f->S2->setValue(0);
        f->S3->setValue(0x30);
        f->Command1->click();
        return f->result();
    });
    w.tagWiring().colorTool().open(QStringLiteral("txtBack"), &w);
    QCOMPARE(fx.state.settings.EditorBackColor, QString::number(0x30 << 16));
    const HighlightColors dark = deriveHighlightColors(QColor(0, 0, 0x30));
    QCOMPARE(view.colors().background, QColor(0, 0, 0x30));
    QCOMPARE(view.colors().tag, dark.tag);
    QVERIFY(view.colors().tag.lightnessF() > 0.5);
    // The highlight colour of a visible line is the new one, and the line numbers' too.
    w.editorWiring().view().highlighter().formatBlocks(0, 0);
    w.buffer().setText(QStringLiteral("<B>x</B>"));
    w.editorWiring().view().highlighter().formatBlocks(0, 0);
    const auto formats = w.txtEdit()->document()->firstBlock().layout()->formats();
    QVERIFY(!formats.isEmpty());
    QCOMPARE(formats.first().format.foreground().color(), dark.tag);
}

void TstEditor::idlePaneRepaintsOnlyTheCaretThenNothing() {
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (flash < 2)
        QSKIP("this desktop does not blink the caret");
    EditorFixture fx;
    frmEdit& w = fx.open();
    CaretBlinkTimeout blink(std::chrono::milliseconds(2 * flash + 500));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QApplication::setActiveWindow(&w);
    w.buffer().loadText(kPage);
    TextPane* pane = w.txtEdit();
    pane->setFocus();
    QTRY_VERIFY(pane->hasFocus());
    // The caret in <TD>, the states known, the tag marks placed, everything painted.
    w.buffer().setSelection(int(kPage.indexOf(u"<TD>")) + 2, 0);
    QTRY_VERIFY(w.editorWiring().view().highlighter().statesComplete());
    QTRY_COMPARE(w.editorWiring().view().tagMatch().name, QStringLiteral("td"));
    QTest::qWait(200);
    QSignalSpy recoloured(pane->document()->documentLayout(),
                          &QAbstractTextDocumentLayout::updateBlock);
    PaneActivity blinking(pane);
    QTest::qWait(flash + flash / 2);
    qApp->removeEventFilter(&blinking);

    // The caret blinked, and each blink painted its own rectangle in the text and nothing else:
    // not the line numbers, not the pane around them, no colours laid on a line again.
    QVERIFY(blinking.paints.size() >= 2);
    const QRect caret = pane->cursorRect().adjusted(-6, -2, 6, 2);
    for (const auto& [widget, rect] : std::as_const(blinking.paints)) {
        QCOMPARE(widget, pane->viewport());
        QVERIFY(caret.contains(rect));
    }
    QCOMPARE(recoloured.count(), 0);

    // Then the caret rests, and nothing in the pane runs: no blink, no idle slice, no tag
    // search, no repaint of the text, the line band or the numbers.
    QTRY_VERIFY(blink.isPaused());
    QTest::qWait(100);
    PaneActivity resting(pane);
    QTest::qWait(1200);
    QCOMPARE(resting.timers, QStringList());
    QCOMPARE(resting.paints.size(), 0);
    QVERIFY(!w.Timer1()->isActive());
}

void TstEditor::gutterRepaintsNumbersTheLayoutMoves_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QString>("added");
    QTest::newRow("the first line wraps") << 0 << 0 << QString(400, u'x');
    QTest::newRow("a line ends") << 1 << 0 << "\r\n";
    QTest::newRow("a line goes") << 3 << 3 << QString();
    QTest::newRow("a line added at the end") << 9 << 0 << "\r\nd";
}

void TstEditor::gutterRepaintsNumbersTheLayoutMoves() {
    QFETCH(int, position);
    QFETCH(int, removed);
    QFETCH(QString, added);
    EditorFixture fx;
    frmEdit& w = fx.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.buffer().loadText(QStringLiteral("a\r\nb\r\nc\r\n"));
    QTest::qWait(100);
    TextPane* pane = w.txtEdit();
    auto* gutter = pane->findChild<LineNumberGutter*>(QStringLiteral("lineNumbers"));
    w.buffer().setSelection(position, removed);
    const QTextBlock changed = pane->textCursor().block();
    const int top =
        pane->viewport()->y() - gutter->y() + pane->cursorRect(QTextCursor(changed)).top();
    PaneActivity activity(pane);
    w.buffer().replaceSelection(added);
    QTRY_VERIFY(!activity.paints.isEmpty());
    QTest::qWait(50);

    // Every number from the changed line down may have moved, appeared or gone.
    QRegion painted;
    for (const auto& [widget, rect] : activity.paints)
        if (widget == gutter)
            painted += rect;
    QVERIFY((QRegion(0, top, gutter->width(), gutter->height() - top) - painted).isEmpty());
}

TAGLOOM_TEST_MAIN(TstEditor)
#include "tst_editor.moc"
