#include "host/EditBuffer.h"
#include "support/TestApp.h"
#include "sync/DomAlignment.h"
#include "sync/PreviewText.h"
#include "sync/SourceTree.h"

#include <QRegularExpression>

// The correspondence between source and page without a browser: the text parsed as the preview's
// engine reads it (the preview file's text, base element and all), each element of the document
// with its depth and local name, and each element written in the source with exactly its start
// tag and attributes, found by its data-k mark alone. The browser pane's own lists are checked
// against the same sources in tst_sync.
class TstSyncTree : public QObject {
    Q_OBJECT
private slots:
    void startTagsAndAttributes_data();
    void startTagsAndAttributes();
    void elementHoldingTheCaret_data();
    void elementHoldingTheCaret();
    void scriptAddedElements_data();
    void scriptAddedElements();
};

// moc's reader loses its way in the raw strings; the compiler alone needs them.
#ifndef Q_MOC_RUN
namespace {

const QString kBase = QStringLiteral("<base href=\"file:///srv/サイト/\">");

// What the text pane holds for a source: line breaks as U+2029.
QString editorTextOf(const QString& source) {
    return EditBuffer::normalizeLineBreaks(source).replace(QStringLiteral("\r\n"),
                                                           QString(QChar::ParagraphSeparator));
}

// The start tag holding "data-k=N", from its "<" to its ">", found in the text alone.
QString markedStartTag(const QString& text, const QString& mark) {
    const QRegularExpression re(QStringLiteral("data-k=%1[\\s>\\x{2029}]").arg(mark));
    const qsizetype at = text.indexOf(re);
    if (at < 0)
        return {};
    const qsizetype open = text.lastIndexOf(u'<', at);
    return text.mid(open, text.indexOf(u'>', at) - open + 1);
}

// The attributes of a start tag as "name=value", names in small letters, sorted.
QStringList attributesOf(const QString& startTag) {
    static const QRegularExpression re(QStringLiteral(
        R"re([\s\x{2029}]([^\s\x{2029}=>/]+)(?:\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s\x{2029}>]+)))?)re"));
    QStringList out;
    for (auto it = re.globalMatch(startTag); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out << m.captured(1).toLower() + u'=' + m.captured(2) + m.captured(3) + m.captured(4);
    }
    out.sort();
    return out;
}

struct Parsed {
    QString editor;
    PreviewText text;
    SourceTree tree;

    explicit Parsed(const QString& source) : editor(editorTextOf(source)) {
        text.build(editor, kBase);
        tree.parse(text.data(), text.length());
    }
    QString at(int from, int to) const { return text.text().mid(from, to - from); }
    // The parse's attributes of an element as "name=value", sorted.
    QStringList attributes(int element) const {
        const SourceTree::Element& e = tree.elements[size_t(element)];
        QStringList out;
        for (int a = e.attrFirst; a < e.attrFirst + e.attrCount; ++a) {
            const TagAttribute& t = tree.attributes[size_t(a)];
            out << at(t.nameStart, t.nameEnd).toLower() + u'=' +
                       (t.valueStart >= 0 ? at(t.valueStart, t.valueEnd) : QString());
        }
        out.sort();
        return out;
    }
    QString mark(int element) const {
        for (const QString& a : attributes(element))
            if (a.startsWith(QLatin1String("data-k=")))
                return a.mid(7);
        return {};
    }
    int depth(int element) const {
        int d = 0;
        for (int a = tree.elements[size_t(element)].parent; a >= 0;
             a = tree.elements[size_t(a)].parent)
            ++d;
        return d;
    }
};

} // namespace
#endif

void TstSyncTree::startTagsAndAttributes_data() {
    // The document's elements in tree order as "depth name", with "#k" for an element made by
    // the start tag marked data-k=k (a copy of a formatting element is made by the original's),
    // "#-" for one made by an unmarked tag. Marks not listed are no elements of the document.
    // The preview writes its base element after a plain "<head>" only.
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("tree");
    const QString top = QStringLiteral("0 html|1 head|1 body|");
    QTest::newRow("implied tbody")
        << "<table data-k=1 border=1><tr data-k=2><td data-k=3 colspan=2>a</td></tr></table>"
        << top + "2 table#1|3 tbody|4 tr#2|5 td#3";
    QTest::newRow("tbody written, second one implied")
        << "<table data-k=1><tbody data-k=2><tr data-k=3><td>a</td></tr></tbody><tr data-k=4>"
           "<td data-k=5>b</table>"
        << top + "2 table#1|3 tbody#2|4 tr#3|5 td#-|3 tbody|4 tr#4|5 td#5";
    QTest::newRow("p closed by a div")
        << "<p data-k=1 class=a>one<div data-k=2 id=d>two</div>three</p><p data-k=3>x</p>"
        << top + "2 p#1|2 div#2|2 p#-|2 p#3";
    QTest::newRow("misnested b and p")
        << "<b data-k=1 class=bold><p data-k=2>x</b>y</p>" << top + "2 b#1|2 p#2|3 b#1";
    QTest::newRow("table with stray text")
        << "<table data-k=1>stray<tr data-k=2><td data-k=3>cell</td>more</tr></table>"
           "<p data-k=4>x</p>"
        << top + "2 table#1|3 tbody|4 tr#2|5 td#3|2 p#4";
    QTest::newRow("template in head and body")
        << "<html data-k=1 lang=ja><head data-k=2><title data-k=3>t</title><template data-k=4>"
           "<p data-k=5>in</p></template></head><body data-k=6><p data-k=7>out</p>"
           "<template data-k=8><td data-k=9>x</td></template><p data-k=10>after</p></body></html>"
        << "0 html#1|1 head#2|2 title#3|2 template#4|1 body#6|2 p#7|2 template#8|2 p#10";
    QTest::newRow("noscript in head and body")
        << "<html><head><noscript data-k=1><link data-k=2 rel=stylesheet href=x.css></noscript>"
           "</head><body><noscript data-k=3><p data-k=4>no</p></noscript><p data-k=5>yes</p>"
        << "0 html#-|1 head#-|2 base|2 noscript#1|1 body#-|2 noscript#3|2 p#5";
    QTest::newRow("svg with foreignObject")
        << "<svg data-k=1 viewBox='0 0 9 9'><foreignObject data-k=2 x=1><div data-k=3>h</div>"
           "</foreignObject><rect data-k=4 width=5 /></svg><p data-k=5>b"
        << top + "2 svg#1|3 foreignObject#2|4 div#3|3 rect#4|2 p#5";
    QTest::newRow("nested lists")
        << "<ul data-k=1><li data-k=2>a<ol data-k=3 start=3><li data-k=4>b</li><li data-k=5>c"
           "</li></ol></li><li data-k=6>d</li></ul>"
        << top + "2 ul#1|3 li#2|4 ol#3|5 li#4|5 li#5|3 li#6";
    QTest::newRow("unclosed li and p")
        << "<ol data-k=1><li data-k=2>one<li data-k=3>two<p data-k=4>para<li data-k=5>three"
           "</ol><p data-k=6>x"
        << top + "2 ol#1|3 li#2|3 li#3|4 p#4|3 li#5|2 p#6";
    QTest::newRow("script's text makes no elements")
        << "<div data-k=1><script data-k=2>document.write('<p>x</p>'); var s = '<b>';</script>"
           "<span data-k=3>a</span></div>"
        << top + "2 div#1|3 script#2|3 span#3";
    QTest::newRow("CR LF text")
        << "<p data-k=1\r\n class=\"a b\"\r\n title=x>para</p>\r\n<div data-k=2>\r\n<span\r\n"
           "data-k=3>s</span>\r\n</div>"
        << top + "2 p#1|2 div#2|3 span#3";
    QTest::newRow("LF text")
        << "<p data-k=1\n class=\"a b\"\n title=x>para</p>\n<div data-k=2>\n<span\n"
           "data-k=3>s</span>\n</div>"
        << top + "2 p#1|2 div#2|3 span#3";
    QTest::newRow("Japanese text")
        << QStringLiteral("<h2 data-k=1>見出し</h2><p data-k=2 title=\"日本語の題\">本文です。"
                          "<a data-k=3 href=\"次.html\">次へ</a></p><ul data-k=4><li data-k=5>"
                          "項目</li></ul>")
        << top + "2 h2#1|2 p#2|3 a#3|2 ul#4|3 li#5";
    const QString far = QString(40000, QChar(0x3042)); // the tags after it lie beyond 64 KB
    QTest::newRow("text beyond 64 KB")
        << "<p data-k=1>start</p><p data-k=2>" + far + "</p><div data-k=3 title=" + far.left(3) +
               "><b data-k=4>far</b></div><!-- " + far + " --><i data-k=5>end</i>"
        << top + "2 p#1|2 p#2|2 div#3|3 b#4|2 i#5";
}

void TstSyncTree::startTagsAndAttributes() {
    QFETCH(QString, source);
    QFETCH(QString, tree);
    const Parsed p(source);
    const QString crlf = EditBuffer::normalizeLineBreaks(source);
    QStringList got;
    for (const int element : p.tree.domElements) {
        const SourceTree::Element& e = p.tree.elements[size_t(element)];
        QString entry = QString::number(p.depth(element)) + u' ' + p.tree.localName(element);
        if (e.tagStart >= 0 && !p.text.isAdded(e.tagStart)) {
            const QString mark = p.mark(element);
            entry += u'#' + (mark.isEmpty() ? QStringLiteral("-") : mark);
            // Ctrl+click selects this stretch: exactly the marked start tag, in the editor's
            // positions and in the buffer's CR LF units alike.
            const int from = p.text.toEditor(e.tagStart);
            const int to = p.text.toEditor(e.tagEnd);
            const QString tag = p.editor.mid(from, to - from);
            QVERIFY2(tag.startsWith(u'<') && tag.endsWith(u'>'), qPrintable(tag));
            QCOMPARE(p.attributes(element), attributesOf(tag));
            if (mark.isEmpty()) {
                got << entry;
                continue;
            }
            QCOMPARE(tag, markedStartTag(p.editor, mark));
            const int breaks = int(p.editor.left(from).count(QChar::ParagraphSeparator));
            const int inside = int(tag.count(QChar::ParagraphSeparator));
            QCOMPARE(crlf.mid(from + breaks, to - from + inside), markedStartTag(crlf, mark));
        }
        got << entry;
    }
    QCOMPARE(got.join(u'|'), tree);
}

void TstSyncTree::elementHoldingTheCaret_data() {
    // "‸" stands for the caret; the element its place belongs to, as "depth name#k" (the tag
    // that made it, "-" for an implied one), or "none" in a comment. The frame leaves out the
    // head, scripts and the body itself (tst_sync); this is the parse's own answer.
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("element");
    QTest::newRow("text after a misnested end tag") << "<b data-k=1><p data-k=2>x</b>y‸z</p>"
                                                    << "2 p#2";
    QTest::newRow("text in the copy of a formatting element")
        << "<b data-k=1><p data-k=2>x</b>y<i data-k=3>a</p>b‸</i>"
        << "2 i#3";
    QTest::newRow("stray text of a table goes before it")
        << "<table data-k=1>st‸ray<tr data-k=2><td data-k=3>x</td></tr></table>"
        << "1 body#-";
    QTest::newRow("cell of an implied tbody")
        << "<table data-k=1><tr data-k=2><td data-k=3>c‸ell</td></tr></table>"
        << "5 td#3";
    QTest::newRow("between the rows of an implied tbody")
        << "<table data-k=1><tr data-k=2><td>a</td></tr>‸\n<tr data-k=3></table>"
        << "3 tbody#-";
    QTest::newRow("end tag of a p a div closed")
        << "<p data-k=1>one<div data-k=2>two</div>three</‸p>"
        << "2 p#-";
    QTest::newRow("an unclosed li up to the next")
        << "<ul data-k=1><li data-k=2>one ‸<li data-k=3>two</ul>"
        << "3 li#2";
    QTest::newRow("inner list item")
        << "<ul data-k=1><li data-k=2>a<ul data-k=3><li data-k=4>b‸</ul></ul>"
        << "5 li#4";
    QTest::newRow("noscript holds raw text") << "<noscript data-k=1><p data-k=2>n‸o</p></noscript>"
                                             << "2 noscript#1";
    QTest::newRow("html in a foreignObject")
        << "<svg data-k=1><foreignObject data-k=2><div data-k=3>h‸</div></foreignObject></svg>"
        << "4 div#3";
    QTest::newRow("svg attribute") << "<svg data-k=1><rect data-k=2 wid‸th=4 /></svg>"
                                   << "3 rect#2";
    QTest::newRow("comment") << "<div data-k=1><!-- a‸ --></div>"
                             << "none";
    QTest::newRow("Japanese text after CR LF")
        << QStringLiteral("<div data-k=1>\r\n<p data-k=2\r\n title=題>本‸文</p>\r\n</div>")
        << "3 p#2";
    QTest::newRow("attribute after CR LF") << "<p data-k=1\r\n\r\n cla‸ss=x>t</p>"
                                           << "2 p#1";
    QTest::newRow("beyond 64 KB") << "<p data-k=1>" + QString(40000, QChar(0x3042)) +
                                         "</p><div data-k=2><b data-k=3>f‸ar</b></div>"
                                  << "3 b#3";
}

void TstSyncTree::elementHoldingTheCaret() {
    QFETCH(QString, source);
    QFETCH(QString, element);
    const QString editor = editorTextOf(source);
    const int caret = int(editor.indexOf(QChar(0x2038)));
    QVERIFY(caret >= 0);
    const Parsed p(QString(source).remove(QChar(0x2038)));
    const int at = p.tree.elementAt(p.text.fromEditor(caret));
    QString got = QStringLiteral("none");
    if (at >= 0) {
        const QString mark = p.tree.elements[size_t(at)].tagStart >= 0 ? p.mark(at) : QString();
        got = QString::number(p.depth(at)) + u' ' + p.tree.localName(at) + u'#' +
              (mark.isEmpty() ? QStringLiteral("-") : mark);
    }
    QCOMPARE(got, element);
}

void TstSyncTree::scriptAddedElements_data() {
    // The page's elements after its scripts ran, as the page describes them ("depth namespace
    // name"); for each the mark of the start tag Ctrl+click selects ("-" for none: the
    // page's own html, head and body are implied). An element a script made leads to the
    // nearest enclosing element written in the source. Then for each marked element in mark
    // order the page element its frame goes to (-1: the page has none).
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("marks");
    QTest::addColumn<QString>("frames");
    const QString top = QStringLiteral("0 0 html|1 0 head|2 0 base|1 0 body|");
    QTest::newRow("a span appended")
        << "<div data-k=1><p data-k=2>a</p><script data-k=3>/* appends */</script></div>"
           "<p data-k=4>after</p>"
        << top + "2 0 div|3 0 p|3 0 script|3 0 span|2 0 p"
        << "-|-|-|-|1|2|3|1|4"
        << "4|5|6|8";
    QTest::newRow("a list built inside an element")
        << "<section data-k=1><ul data-k=2></ul></section><p data-k=3>x</p>"
        << top + "2 0 section|3 0 ul|4 0 li|5 0 a|4 0 li|2 0 p"
        << "-|-|-|-|1|2|2|2|2|3"
        << "4|5|9";
    QTest::newRow("an element put before the first")
        << "<p data-k=1>a</p><p data-k=2>b</p>" << top + "2 0 nav|3 0 a|2 0 p|2 0 p"
        << "-|-|-|-|-|-|1|2"
        << "6|7";
    QTest::newRow("an element taken out")
        << "<p data-k=1>a</p><i data-k=2>b</i><p data-k=3>c</p>" << top + "2 0 p|2 0 p"
        << "-|-|-|-|1|3"
        << "4|-1|5";
    QTest::newRow("an svg drawn by a script") << "<div data-k=1 id=chart></div><p data-k=2>x</p>"
                                              << top + "2 0 div|3 1 svg|4 1 rect|2 0 p"
                                              << "-|-|-|-|1|1|1|2"
                                              << "4|7";
}

void TstSyncTree::scriptAddedElements() {
    QFETCH(QString, source);
    QFETCH(QString, page);
    QFETCH(QString, marks);
    const Parsed p(source);
    DomAlignment alignment;
    alignment.align(p.tree, QString(page).replace(u'|', u'\n'));
    QStringList got;
    const int count = int(page.count(u'|')) + 1;
    for (int i = 0; i < count; ++i) {
        int element = alignment.elementOf(p.tree, i);
        // As Ctrl+click: the element itself, or its nearest ancestor written in the source.
        while (element >= 0 && (p.tree.elements[size_t(element)].tagStart < 0 ||
                                p.text.isAdded(p.tree.elements[size_t(element)].tagStart)))
            element = p.tree.elements[size_t(element)].parent;
        const QString mark = element >= 0 ? p.mark(element) : QString();
        got << (mark.isEmpty() ? QStringLiteral("-") : mark);
    }
    QCOMPARE(got.join(u'|'), marks);
    QFETCH(QString, frames);
    QStringList framed;
    for (int k = 1; k <= int(frames.count(u'|')) + 1; ++k) {
        int element = -1;
        for (const int e : p.tree.domElements)
            if (p.mark(e) == QString::number(k))
                element = e;
        framed << QString::number(alignment.pageIndexOf(p.tree, element));
    }
    QCOMPARE(framed.join(u'|'), frames);
}

TAGLOOM_TEST_MAIN(TstSyncTree)
#include "tst_synctree.moc"
