#include "support/TestApp.h"
#include "sync/IncrementalParse.h"

#include <QPlainTextDocumentLayout>

#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

// The parse kept up to date through the edits of a document against a parse of the whole text
// after each of them: the same elements, pieces, attributes, document order and fingerprint, the
// same preview text and positions, on pages of every structure the tree builder knows, under
// seeded random edits that touch tags, references, raw text and surrogates as well as plain text.
class TstSyncEdits : public QObject {
    Q_OBJECT
private slots:
    void randomEditsMatchAWholeParse_data();
    void randomEditsMatchAWholeParse();
    void typingInTextMovesPositionsOnly_data();
    void typingInTextMovesPositionsOnly();
    void editsThatChangeTheTreeParseAfresh_data();
    void editsThatChangeTheTreeParseAfresh();
    void aChangeOfFormatsLeavesTheParse();
    void aWholeDocumentLoadParsesAfresh();
};

namespace {

const QString kBase = QStringLiteral("<base href=\"file:///srv/サイト/\">");

// A document whose changes reach the parse, as the text pane's reach the preview sync.
struct Tracked {
    QTextDocument document;
    IncrementalParse parse;
    QString baseElement = kBase;

    explicit Tracked(const QString& text) {
        // A document reports its changes once it is laid out, as the text pane's is.
        document.setDocumentLayout(new QPlainTextDocumentLayout(&document));
        QTextCursor(&document).insertText(text);
        QObject::connect(&document, &QTextDocument::contentsChange, &document,
                         [this](int position, int removed, int added) {
                             parse.noteChange(document, position, removed, added);
                         });
        parse.update(document, baseElement, std::nullopt);
    }
    void replace(int position, int removed, const QString& inserted) {
        QTextCursor c(&document);
        c.setPosition(position);
        c.setPosition(position + removed, QTextCursor::KeepAnchor);
        c.insertText(inserted);
    }
    void update() { parse.update(document, baseElement, std::nullopt); }
};

// Where the incremental parse differs from a parse of the whole text, or empty.
QString differenceFromWholeParse(const IncrementalParse& parse, const QString& raw,
                                 const QString& baseElement) {
    PreviewText text;
    text.build(raw, baseElement);
    SourceTree tree;
    tree.parse(text.data(), text.length());
    const PreviewText& t = parse.text();
    const SourceTree& s = parse.tree();
    if (!(t == text))
        return QStringLiteral("preview text");
    for (int at = 0; at <= text.length(); ++at)
        if (t.toEditor(at) != text.toEditor(at) || t.isAdded(at) != text.isAdded(at))
            return QStringLiteral("editor position of %1").arg(at);
    for (int at = 0; at <= int(raw.size()) + 1; ++at)
        if (t.fromEditor(at) != text.fromEditor(at))
            return QStringLiteral("position of editor %1").arg(at);
    if (s.elements.size() != tree.elements.size())
        return QStringLiteral("element count %1, not %2")
            .arg(s.elements.size())
            .arg(tree.elements.size());
    for (size_t i = 0; i < tree.elements.size(); ++i) {
        const SourceTree::Element& a = s.elements[i];
        const SourceTree::Element& b = tree.elements[i];
        if (a.parent != b.parent || a.tagStart != b.tagStart || a.tagEnd != b.tagEnd ||
            a.name != b.name || a.ns != b.ns || a.inTemplate != b.inTemplate ||
            a.attrFirst != b.attrFirst || a.attrCount != b.attrCount || a.domIndex != b.domIndex ||
            s.localName(int(i)) != tree.localName(int(i)))
            return QStringLiteral("element %1 (%2 at %3, not %4 at %5)")
                .arg(i)
                .arg(s.localName(int(i)))
                .arg(a.tagStart)
                .arg(tree.localName(int(i)))
                .arg(b.tagStart);
    }
    if (s.pieces.size() != tree.pieces.size())
        return QStringLiteral("piece count");
    for (size_t i = 0; i < tree.pieces.size(); ++i) {
        const SourceTree::Piece& a = s.pieces[i];
        const SourceTree::Piece& b = tree.pieces[i];
        if (a.start != b.start || a.end != b.end || a.kind != b.kind || a.element != b.element ||
            a.after != b.after)
            return QStringLiteral("piece %1 [%2, %3), not [%4, %5)")
                .arg(i)
                .arg(a.start)
                .arg(a.end)
                .arg(b.start)
                .arg(b.end);
    }
    if (s.attributes.size() != tree.attributes.size())
        return QStringLiteral("attribute count");
    for (size_t i = 0; i < tree.attributes.size(); ++i) {
        const TagAttribute& a = s.attributes[i];
        const TagAttribute& b = tree.attributes[i];
        if (a.nameStart != b.nameStart || a.nameEnd != b.nameEnd || a.valueStart != b.valueStart ||
            a.valueEnd != b.valueEnd)
            return QStringLiteral("attribute %1").arg(i);
    }
    if (s.domElements != tree.domElements || s.domHash != tree.domHash)
        return QStringLiteral("document order");
    if (s.quirks != tree.quirks || s.quirksDecided != tree.quirksDecided)
        return QStringLiteral("quirks");
    return {};
}

// Pages of the structures that land apart: implied and misnested elements, table text, template,
// noscript, foreign content with CDATA, references, raw text, frameset, surrogates, heads.
QStringList pages() {
    const QString sep(QChar::ParagraphSeparator);
    const QString high(QChar(0xD83D));
    const QString low(QChar(0xDE00));
    return {
        QStringLiteral("<!DOCTYPE html>\r\n<html><head><title>見本 &amp; 題</title>\r\n"
                       "<style>p { color: navy } /* <b> */</style></head>\r\n<body>\r\n"
                       "<table border=1>stray text<tr><td>cell one</td>more<td>二</td></tr>"
                       "</table>\r\n<b class=x><p>misnested</b> after</p>\r\n"
                       "<p>refs &#32; here&Tab;and &NewLine; &#x41;&#65 &amp &lt;x&gt; &#0; "
                       "&#xD800; &#3 &#x2 end</p>\r\n<ul><li>one<li>two<ol><li>three</ol></ul>\r\n"
                       "<div>plain text in a div, a < b, c > d, x</> y, q? r/s</div>\r\n"
                       "</body></html>\r\n"),
        QStringLiteral("<html><head><template><p>in the head</p></template>"
                       "<noscript><link rel=stylesheet href=x.css></noscript></head>\n<body>\n"
                       "<noscript><p>no script</p></noscript>\n<p>text <i>italic</i> more</p>\n"
                       "<template><td>cell</td> words</template>\n<textarea>\nfirst line\n"
                       "</textarea><script>var s = '<p>' + \"</b>\";</script>\n"
                       "<xmp>raw <b> text</xmp><iframe>frame text</iframe>\n"
                       "<select><option>one<option>two</select><p>after select</p>\n"),
        QStringLiteral("<p>before svg</p><svg viewBox='0 0 9 9'><title>svg title</title>"
                       "<foreignObject x=1><div>html inside</div></foreignObject>"
                       "<text>svg text <![CDATA[ a <b> & c ]]> tail</text>"
                       "<rect width=5 /></svg><math><mi>x</mi><mtext>text</mtext>"
                       "<annotation-xml encoding=\"text/html\"><p>ann</p></annotation-xml>"
                       "</math><p>after math</p>"),
        QStringLiteral("<pre>\r\nfirst line of pre\r\n  indented</pre>\r\n<listing>\nlisting "
                       "text</listing>\r\n<pre>no break</pre><textarea>\r\ntext area</textarea>"
                       "\r\n<p>para one\r\n<p>para two") +
            sep + QStringLiteral("after a separator") + sep,
        QStringLiteral("<html><head><title>frames</title></head><frameset cols=\"50%,50%\">"
                       "<frame src=a.html> text in frameset <frame src=b.html>"
                       "<noframes><p>no frames</p></noframes></frameset> after </html> tail"),
        QStringLiteral("<p>lone ") + high + QStringLiteral(" high and ") + low +
            QStringLiteral(" low, a pair ") + high + low + QStringLiteral(" 日本語　全角") +
            QStringLiteral("</p><p title=\"") + high + QStringLiteral("\">") + high +
            QStringLiteral("x") + low + QStringLiteral("</p>"),
        QStringLiteral("<html><HEAD><meta charset=utf-8></HEAD><body><p>first</p><head>"
                       "<p>second head</p><Head >not a head tag</body>"),
        QStringLiteral("<html><head><base href=\"x/\"><title>t</title></head><body><p>own base"
                       " element</p><head><p>head</p></body>"),
        QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">"
                       "<p>quirks <table><tr><td>in a p</td></tr></table> text</p>"
                       "<!-- a comment with <p> and text --><p>x</p><![bogus]>y<?pi?>z"),
        QStringLiteral("<div><p>text then plaintext</p><plaintext>all <b> of this & is text"),
    };
}

// The characters of a random edit: markup, references, white space of both kinds, surrogates.
QString randomChars(QRandomGenerator& random, int count) {
    static const QString alphabet =
        QStringLiteral("<>&#;029azAZ \t") + QChar(QChar::ParagraphSeparator) + QChar(0x3000) +
        QStringLiteral("/]!-=\"'?字。x") + QChar(0xD83D) + QChar(0xDE00) + QChar(0xFFFD);
    QString out;
    for (int i = 0; i < count; ++i)
        out += alphabet[random.bounded(int(alphabet.size()))];
    return out;
}

// A position right after a character that is neither markup nor white space, where typing
// mostly happens; any position when there is none.
int typingPosition(QRandomGenerator& random, const QString& raw) {
    for (int tries = 0; tries < 20; ++tries) {
        const int at = 1 + random.bounded(int(raw.size()));
        const QChar c = raw[at - 1];
        if (c.isLetterOrNumber() && c.unicode() < 0xD800)
            return at;
    }
    return random.bounded(int(raw.size()) + 1);
}

} // namespace

void TstSyncEdits::randomEditsMatchAWholeParse_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<quint32>("seed");
    const int count = int(pages().size());
    for (int page = 0; page < count; ++page)
        for (quint32 seed : {1u, 2u})
            QTest::addRow("page %d seed %u", page, seed) << page << (seed * 7919u + quint32(page));
}

void TstSyncEdits::randomEditsMatchAWholeParse() {
    QFETCH(int, page);
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    Tracked t(pages()[page]);
    for (int step = 0; step < 250; ++step) {
        // One to three edits between two updates, as typing between two rests.
        QString edits;
        const int count = 1 + random.bounded(3);
        for (int k = 0; k < count; ++k) {
            const QString raw = t.document.toRawText();
            const int kind = random.bounded(10);
            int position;
            int removed = 0;
            QString inserted;
            if (kind < 4) { // ordinary typing
                position = typingPosition(random, raw);
                inserted = QStringLiteral("字a。 b")[random.bounded(5)];
            } else if (kind < 6) { // deleting
                position = typingPosition(random, raw);
                removed = std::min(1 + random.bounded(3), int(raw.size()) - position);
            } else { // anything
                position = random.bounded(int(raw.size()) + 1);
                removed = std::min(random.bounded(3), int(raw.size()) - position);
                inserted = randomChars(random, random.bounded(kind == 9 ? 6 : 3));
            }
            if (removed == 0 && inserted.isEmpty())
                inserted = randomChars(random, 1);
            edits += QStringLiteral(" (%1, -%2, +\"%3\")").arg(position).arg(removed).arg(inserted);
            t.replace(position, removed, inserted);
        }
        t.update();
        const QString raw = t.document.toRawText();
        const QString difference = differenceFromWholeParse(t.parse, raw, t.baseElement);
        QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("step %1,%2: %3 differs in \"%4\"")
                                                      .arg(step)
                                                      .arg(edits, difference, raw)));
    }
    // Both ways were taken: not every edit fell back to a whole parse, not every one was let by.
    QVERIFY2(t.parse.editsApplied() >= 30, qPrintable(QString::number(t.parse.editsApplied())));
    QVERIFY2(t.parse.fullParses() >= 20, qPrintable(QString::number(t.parse.fullParses())));
}

void TstSyncEdits::typingInTextMovesPositionsOnly_data() {
    // "‸" is where the typing goes, right after a character of the paragraph.
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("typed");
    QTest::newRow("Japanese in a paragraph")
        << QStringLiteral("<html><head><title>t</title></head><body><p>段落の文‸章</p>"
                          "<p class=a>next</p></body>")
        << QStringLiteral("を書き足す");
    QTest::newRow("words and spaces in a list item")
        << "<ul><li>one‸<li>two</ul><table><tr><td>x</td></tr></table>"
        << " more words here";
    QTest::newRow("a new line in a div")
        << "<div>line‸</div><p>after</p>" << QString(QChar(QChar::ParagraphSeparator)) + "next";
    QTest::newRow("stray text of a table") << "<table>stray‸<tr><td>c</td></tr></table><p>p</p>"
                                           << "text";
    QTest::newRow("after a reference and a space") << "<p>a &amp; b‸</p><p>c</p>"
                                                   << "; not a reference";
    QTest::newRow("in a foreignObject")
        << "<svg><foreignObject><div>html‸</div></foreignObject></svg><b>x</b>"
        << "abc";
    QTest::newRow("at the end of the text") << "<p>last paragraph‸"
                                            << "! more, and then some";
}

void TstSyncEdits::typingInTextMovesPositionsOnly() {
    QFETCH(QString, source);
    QFETCH(QString, typed);
    const int caret = int(source.indexOf(QChar(0x2038)));
    source.remove(caret, 1);
    Tracked t(source);
    for (int i = 0; i < typed.size(); ++i) {
        t.replace(caret + i, 0, typed.mid(i, 1));
        t.update();
        const QString difference =
            differenceFromWholeParse(t.parse, t.document.toRawText(), t.baseElement);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
    // And taken back with Backspace, one by one.
    for (int i = int(typed.size()); i > 0; --i)
        t.replace(caret + i - 1, 1, QString());
    t.update();
    QCOMPARE(t.document.toRawText(), source);
    QCOMPARE(differenceFromWholeParse(t.parse, source, t.baseElement), QString());
    QCOMPARE(t.parse.fullParses(), 1);
    QCOMPARE(t.parse.editsApplied(), int(typed.size()) * 2);
}

void TstSyncEdits::editsThatChangeTheTreeParseAfresh_data() {
    // "‸" is where the edit goes: next to markup or a reference, in raw text or foreign content,
    // where a lone surrogate may pair, or too long. Most would change the tree or the preview's
    // text beyond its positions; none is applied where it stands.
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QString>("inserted");
    QTest::newRow("a tag begun") << "<p>ab‸</p>" << 0 << "<b";
    QTest::newRow("a tag name lengthened") << "<p>a<b‸>x</b></p>" << 0 << "r";
    QTest::newRow("a reference ended") << "<p>a&amp‸ b</p>" << 0 << ";";
    QTest::newRow("a numeric reference lengthened") << "<table>&#3‸<tr><td>x</table>" << 0 << "2";
    QTest::newRow("text in a title") << "<title>ti‸tle</title><p>x</p>" << 0 << "z";
    QTest::newRow("text in a script") << "<script>var a‸;</script>" << 0 << "b";
    QTest::newRow("text of a textarea") << "<textarea>ab‸</textarea>" << 0 << "c";
    QTest::newRow("CDATA text") << "<svg><![CDATA[ab‸]]></svg>" << 0 << "c";
    QTest::newRow("white space before a text") << "<table> ‸<tr><td>x</table>" << 0 << "a";
    QTest::newRow("a lone surrogate paired")
        << QStringLiteral("<p>a") + QChar(0xD83D) + QStringLiteral("‸b") + QChar(0xDE00) +
               QStringLiteral("</p>")
        << 1 << QString();
    QTest::newRow("an edit longer than a few words")
        << "<p>a‸</p>" << 0 << QString(IncrementalParse::kMaxEdit + 1, u'x');
}

void TstSyncEdits::editsThatChangeTheTreeParseAfresh() {
    QFETCH(QString, source);
    QFETCH(int, removed);
    QFETCH(QString, inserted);
    const int caret = int(source.indexOf(QChar(0x2038)));
    source.remove(caret, 1);
    Tracked t(source);
    t.replace(caret, removed, inserted);
    t.update();
    QCOMPARE(differenceFromWholeParse(t.parse, t.document.toRawText(), t.baseElement), QString());
    QCOMPARE(t.parse.fullParses(), 2);
    QCOMPARE(t.parse.editsApplied(), 0);
}

void TstSyncEdits::aChangeOfFormatsLeavesTheParse() {
    // The highlighter marks each line it colours as changed, as many characters removed as
    // added; that is no edit, not even over the last line, whose range takes in the document's
    // final separator.
    Tracked t(QStringLiteral("<p>one <b>line</b></p>") + QChar(QChar::ParagraphSeparator) +
              QStringLiteral("<p>a long second line of text") + QString(200, u'x'));
    t.replace(5, 0, QStringLiteral("字"));
    for (QTextBlock block = t.document.begin(); block.isValid(); block = block.next())
        t.document.markContentsDirty(block.position(), block.length());
    t.update();
    QCOMPARE(differenceFromWholeParse(t.parse, t.document.toRawText(), t.baseElement), QString());
    QCOMPARE(t.parse.fullParses(), 1);
    QCOMPARE(t.parse.editsApplied(), 1);
}

void TstSyncEdits::aWholeDocumentLoadParsesAfresh() {
    Tracked t(QStringLiteral("<p>first text</p>"));
    // As long as the old text, the counts of a reset still do not fit an edit.
    t.document.setPlainText(QStringLiteral("<b>other text</b>"));
    t.update();
    QCOMPARE(differenceFromWholeParse(t.parse, t.document.toRawText(), t.baseElement), QString());
    QCOMPARE(t.parse.fullParses(), 2);
    // A changed base element (another working folder) parses afresh too.
    t.replace(8, 0, QStringLiteral("x"));
    t.baseElement = QStringLiteral("<base href=\"file:///elsewhere/\">");
    t.update();
    QCOMPARE(differenceFromWholeParse(t.parse, t.document.toRawText(), t.baseElement), QString());
    QCOMPARE(t.parse.fullParses(), 3);
}

TAGLOOM_TEST_MAIN(TstSyncEdits)
#include "tst_syncedits.moc"
