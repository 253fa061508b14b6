#include "app/MenuTree.h"
#include "app/SyncWiring.h"
#include "app/frmEdit.h"
#include "document/Preview.h"
#include "host/BrowserPane.h"
#include "host/EditBuffer.h"
#include "support/TestApp.h"
#include "sync/CaretPreviewSetting.h"
#include "sync/PreviewSync.h"

#include <QAction>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>

// The preview and the source following each other, in a real browser pane: for each element
// written in the source, the caret in its start tag frames the page's element of that tag name
// and those attributes, and Ctrl+click on that element selects exactly the start tag. The
// expected start tag of an element is found in the source by its data-k mark alone.
class TstSync : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void bothDirections_data();
    void bothDirections();
    void documentTree_data();
    void documentTree();
    void elementAtTheCaret_data();
    void elementAtTheCaret();
    void aLongPageScrollsToTheCaretAndBack();
    void typingInAParagraphKeepsItFramed();
    void thePageCannotTellTheFeatureIsThere();
    void parsedTextIsThePreviewFile_data();
    void parsedTextIsThePreviewFile();
    void theSwitchAndBrowserModeInTheMainWindow();

private:
    struct BrowserHost : FakeHost {
        using FakeHost::FakeHost;
        BrowserPane* pane = nullptr;
        void navigate(const QString& address) override {
            FakeHost::navigate(address);
            if (pane)
                pane->navigate(address);
        }
    };

    QVariant evaluate(const QString& script, quint32 world = kTestWorld);
    void load(const QString& text);
    void restAt(int editorPosition);
    bool ctrlClickAt(const QPointF& point);
    QString markedStartTag(const QString& source, const QString& mark) const;

    static constexpr quint32 kTestWorld = QWebEngineScript::UserWorld + 7;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<BrowserHost> m_host;
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<BrowserPane> m_pane;
    std::unique_ptr<QPlainTextEdit> m_edit;
    std::unique_ptr<EditBuffer> m_buffer;
    std::unique_ptr<QTimer> m_timer;
    std::unique_ptr<Preview> m_preview;
    std::unique_ptr<PreviewSync> m_sync;
    ProgramState m_state;
    bool m_browserMode = false;
};

void TstSync::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_host = std::make_unique<BrowserHost>(m_dir->path());
    // The two panes side by side in one window, as in the program.
    m_window = std::make_unique<QWidget>();
    m_window->resize(1200, 520);
    m_edit = std::make_unique<QPlainTextEdit>(m_window.get());
    m_edit->setGeometry(0, 0, 480, 500);
    m_pane = std::make_unique<BrowserPane>(m_window.get());
    m_pane->setGeometry(490, 0, 700, 500);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_host->pane = m_pane.get();
    m_buffer = std::make_unique<EditBuffer>(m_edit.get());
    m_timer = std::make_unique<QTimer>();
    m_state = ProgramState();
    m_state.settings.PreviewUpdate = 0;
    m_state.QuoteChar = QStringLiteral("\"");
    m_preview = std::make_unique<Preview>(m_state, *m_host, *m_buffer, m_timer.get());
    connect(m_buffer.get(), &EditBuffer::changed, m_preview.get(), &Preview::txtEdit_Change);
    PreviewSync::Hooks hooks;
    hooks.previewAddress = [this] { return Preview::ToFileUrl(m_preview->previewFile()); };
    hooks.baseElement = [this] {
        return QStringLiteral("<base href=\"") + Preview::ToFileUrl(m_host->workingFolder()) +
               QStringLiteral("/\">");
    };
    hooks.outlineHidden = [this] { return m_browserMode; };
    m_sync = std::make_unique<PreviewSync>(*m_buffer, *m_pane, hooks);
    m_browserMode = false;
}

void TstSync::cleanup() {
    m_sync.reset();
    m_preview.reset();
    m_buffer.reset();
    m_edit.reset();
    m_pane.reset();
    m_window.reset();
    m_host.reset();
}

QVariant TstSync::evaluate(const QString& script, quint32 world) {
    QVariant result;
    bool done = false;
    m_pane->page()->runJavaScript(script, world, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        qWarning("script did not answer: %s", qPrintable(script.left(200)));
    return result;
}

void TstSync::load(const QString& text) {
    QSignalSpy shown(m_pane.get(), &BrowserPane::navigationShown);
    m_buffer->setText(EditBuffer::normalizeLineBreaks(text));
    QVERIFY(shown.wait(20000));
    QTRY_VERIFY(!m_pane->isLoading());
}

void TstSync::restAt(int editorPosition) {
    QSignalSpy updated(m_sync.get(), &PreviewSync::frameUpdated);
    QTextCursor c = m_edit->textCursor();
    c.setPosition(editorPosition);
    m_edit->setTextCursor(c);
    m_sync->caretRested();
    if (updated.isEmpty())
        QVERIFY(updated.wait(10000));
}

bool TstSync::ctrlClickAt(const QPointF& point) {
    QSignalSpy handled(m_sync.get(), &PreviewSync::clickHandled);
    QTest::mouseClick(m_pane->focusProxy(), Qt::LeftButton, Qt::ControlModifier, point.toPoint());
    return handled.wait(10000);
}

// The start tag holding "data-k=N", from its "<" to its ">", found in the source text alone.
QString TstSync::markedStartTag(const QString& source, const QString& mark) const {
    const QRegularExpression re(QStringLiteral("data-k=%1[\\s>]").arg(mark));
    const qsizetype at = source.indexOf(re);
    if (at < 0)
        return {};
    const qsizetype open = source.lastIndexOf(u'<', at);
    return source.mid(open, source.indexOf(u'>', at) - open + 1);
}

// moc's reader loses its way in the scripts' raw strings; the compiler alone needs them.
#ifndef Q_MOC_RUN
namespace {

// Finds each marked element and each element of the body with a point of its own on screen.
const char kElementsScript[] = R"JS((() => {
  const all = Array.from(document.querySelectorAll('*'));
  const marked = {};
  for (const e of all) {
    const k = e.getAttribute('data-k');
    if (k !== null && !(k in marked))
      marked[k] = { index: all.indexOf(e), name: e.localName,
                    attrs: Array.from(e.attributes).map(a => a.name + '=' + a.value) };
  }
  return { marked, clickable: all.filter(e => e.closest('body') && e !== document.body)
                                 .map(e => all.indexOf(e)) };
})())JS";

const char kPointScript[] = R"JS(((i) => {
  const e = document.querySelectorAll('*')[i];
  e.scrollIntoView({ block: 'center', inline: 'nearest', behavior: 'instant' });
  for (const r of e.getClientRects())
    for (let y = 1; y < 6; y++) for (let x = 1; x < 6; x++) {
      const px = r.left + r.width * x / 6, py = r.top + r.height * y / 6;
      if (document.elementFromPoint(px, py) === e) {
        const m = e.closest('[data-k]');
        return [px, py, m ? m.getAttribute('data-k') : ''];
      }
    }
  return null;
})(%1))JS";

// The attributes of a start tag as "name=value", names in small letters.
QStringList attributesOf(const QString& startTag) {
    static const QRegularExpression re(
        QStringLiteral(R"re(\s([^\s=>/]+)(?:\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))?)re"));
    QStringList out;
    const QString inside =
        startTag.mid(startTag.indexOf(QRegularExpression(QStringLiteral("\\s"))));
    for (auto it = re.globalMatch(inside); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out << m.captured(1).toLower() + u'=' + m.captured(2) + m.captured(3) + m.captured(4);
    }
    out.sort();
    return out;
}

} // namespace
#endif

void TstSync::bothDirections_data() {
    QTest::addColumn<QString>("source");
    const QString farText = QString(36000, QChar(0x3042)); // 72 KB of text before the end
    QTest::newRow("implied tbody")
        << "<table data-k=1><tr data-k=2><td data-k=3>a</td><td data-k=4>b</td></tr></table>"
           "<p data-k=5>after</p>";
    QTest::newRow("p closed by a div")
        << "<p data-k=1>one<div data-k=2>two</div>three</p><p data-k=3>x</p>";
    QTest::newRow("misnested formatting")
        << "<b data-k=1><p data-k=2>x</b>y</p><i data-k=3>z<p data-k=4>w</i></p>";
    QTest::newRow("table with stray text")
        << "<table data-k=1>stray<tr data-k=2><td data-k=3>cell</td>more</tr></table>"
           "<p data-k=4>x</p>";
    QTest::newRow("template")
        << "<html><head><title>t</title><template data-k=1><p data-k=2>in</p></template>"
           "</head><body><p data-k=3>out</p><template data-k=4><td data-k=5>x</td></template>"
           "<p data-k=6>after</p></body></html>";
    QTest::newRow("noscript")
        << "<html><head><noscript><link data-k=1 rel=stylesheet href=x.css></noscript></head>"
           "<body><noscript><p data-k=2>no</p></noscript><p data-k=3>yes</p></body></html>";
    QTest::newRow("svg with foreignObject")
        << "<p data-k=1>a</p><svg data-k=2 width=300 height=120><rect data-k=3 width=50 "
           "height=50 fill=red></rect><foreignObject data-k=4 x=60 y=0 width=200 height=100>"
           "<div data-k=5>html in svg</div></foreignObject></svg><p data-k=6>b</p>";
    QTest::newRow("nested lists")
        << "<ul data-k=1><li data-k=2>a<ul data-k=3><li data-k=4>b</li><li data-k=5>c</li>"
           "</ul></li><li data-k=6>d</li></ul>";
    QTest::newRow("unclosed li")
        << "<ol data-k=1><li data-k=2>one<li data-k=3>two<li data-k=4>three</ol><p data-k=5>x";
    QTest::newRow("script inserts elements")
        << "<div data-k=1><p data-k=2>a</p><script>const s = document.createElement('span');"
           "s.textContent = 'made'; document.currentScript.parentNode.append(s);</script>"
           "</div><p data-k=3>after <b data-k=4>bold</b></p>";
    QTest::newRow("script swaps an element for another")
        << "<div data-k=1><i id=r>x</i><script>const b = document.createElement('b');"
           "b.textContent = 'made'; document.getElementById('r').replaceWith(b);</script>"
           "<p data-k=2>after</p></div><p data-k=3>end</p>";
    QTest::newRow("CR LF text")
        << "<p data-k=1\r\n class=\"a b\"\r\n title=x>para</p>\r\n<div data-k=2>\r\n<span "
           "data-k=3>s</span>\r\n</div>";
    QTest::newRow("LF text")
        << "<p data-k=1\n class=\"a b\"\n title=x>para</p>\n<div data-k=2>\n<span "
           "data-k=3>s</span>\n</div>";
    QTest::newRow("Japanese text")
        << QStringLiteral("<h2 data-k=1>見出し</h2><p data-k=2 title=\"日本語の題\">本文です。"
                          "<a data-k=3 href=\"次.html\">次へ</a></p><ul data-k=4><li data-k=5>"
                          "項目</li></ul>");
    QTest::newRow("text beyond 64 KB") << "<p data-k=1>start</p><p data-k=2>" + farText +
                                              "</p><div data-k=3><b data-k=4>far</b></div>";
    QTest::newRow("table inside p, quirks")
        << "<p data-k=1>a<table data-k=2><tr><td data-k=3>x</td></tr></table>b";
    QTest::newRow("table after p, standard")
        << "<!DOCTYPE html><p data-k=1>a<table data-k=2><tr><td data-k=3>x</td></tr></table>b";
}

void TstSync::bothDirections() {
    QFETCH(QString, source);
    load(source);
    const QString text = EditBuffer::normalizeLineBreaks(source);
    const QVariantMap page = evaluate(QString::fromUtf8(kElementsScript)).toMap();
    const QVariantMap marked = page.value(QStringLiteral("marked")).toMap();

    // Caret to page: in each marked start tag, the frame goes to that element of the page.
    for (int k = 1; !markedStartTag(text, QString::number(k)).isEmpty(); ++k) {
        const QString mark = QString::number(k);
        const QString tag = markedStartTag(text, mark);
        restAt(m_buffer->toWidgetPosition(int(text.indexOf(tag))) + 1);
        if (!marked.contains(mark)) {
            // Not an element of the document (raw text, template contents): nothing framed.
            QVERIFY2(m_sync->framedPageIndex() < 0, qPrintable(tag));
            continue;
        }
        const QVariantMap element = marked.value(mark).toMap();
        const QString name = tag.mid(1).section(QRegularExpression(QStringLiteral("[\\s>]")), 0, 0);
        QCOMPARE(element.value(QStringLiteral("name")).toString().toLower(), name.toLower());
        QStringList attrs = element.value(QStringLiteral("attrs")).toStringList();
        for (QString& a : attrs)
            a = a.section(u'=', 0, 0).toLower() + u'=' + a.section(u'=', 1);
        attrs.sort();
        QCOMPARE(attrs, attributesOf(tag));
        const bool hasBox =
            evaluate(QStringLiteral("document.querySelectorAll('*')[%1].getClientRects().length")
                         .arg(element.value(QStringLiteral("index")).toInt()))
                .toInt() > 0;
        QCOMPARE(m_sync->framedPageIndex(),
                 hasBox ? element.value(QStringLiteral("index")).toInt() : -1);
    }

    // Page to source: Ctrl+click on any element with a point of its own selects the start tag
    // of the nearest marked element around it (itself, the original of a copy, the element that
    // holds what a script made).
    int clicked = 0;
    for (const QVariant& index : page.value(QStringLiteral("clickable")).toList()) {
        const QVariantList at =
            evaluate(QString::fromUtf8(kPointScript).arg(index.toInt())).toList();
        if (at.size() != 3 || at[2].toString().isEmpty())
            continue;
        m_buffer->setSelection(0, 0);
        QVERIFY(ctrlClickAt(QPointF(at[0].toDouble(), at[1].toDouble())));
        QCOMPARE(m_buffer->selectedText(), markedStartTag(text, at[2].toString()));
        QCOMPARE(m_window->focusWidget(), m_edit.get());
        ++clicked;
    }
    QVERIFY(clicked >= 1);
}

void TstSync::documentTree_data() {
    // The document's elements in tree order as "depth name", as the parsing algorithm builds
    // them; the page's own list is the same (bothDirections).
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("tree");
    const QString top = QStringLiteral("0 html|1 head|1 body|");
    QTest::newRow("misnested b and p") << "<b><p>x</b>y</p>" << top + "2 b|2 p|3 b";
    QTest::newRow("a around a div") << "<a>1<div>2</a>3</div>" << top + "2 a|2 div|3 a";
    QTest::newRow("table with stray text")
        << "<table>stray<tr><td>x</td>more</tr></table>" << top + "2 table|3 tbody|4 tr|5 td";
    QTest::newRow("p closed by a div") << "<p>one<div>two</div>three</p>" << top + "2 p|2 div|2 p";
    QTest::newRow("unclosed li") << "<ul><li>a<li>b<ul><li>c</ul></ul>"
                                 << top + "2 ul|3 li|3 li|4 ul|5 li";
    QTest::newRow("template after title") << "<title>t</title><template><p>in</p></template><p>out"
                                          << "0 html|1 head|2 title|2 template|1 body|2 p";
    QTest::newRow("noscript is raw text")
        << "<i>y</i><noscript><p>x</p></noscript>" << top + "2 i|2 noscript";
    QTest::newRow("svg and foreignObject")
        << "<svg><foreignobject><div>x</div></foreignobject><rect/></svg><p>"
        << top + "2 svg|3 foreignObject|4 div|3 rect|2 p";
    QTest::newRow("select options")
        << "<select><option>a<option>b</select><p>" << top + "2 select|3 option|3 option|2 p";
    QTest::newRow("table in p, quirks")
        << "<p><table><td>x</table>" << top + "2 p|3 table|4 tbody|5 tr|6 td";
    QTest::newRow("table after p, standard")
        << "<!DOCTYPE html><p><table><td>x</table>" << top + "2 p|2 table|3 tbody|4 tr|5 td";
    QTest::newRow("stray end tags and body text")
        << "text</p></div><h1>a<h2>b</h1>" << top + "2 p|2 h1|2 h2";
}

void TstSync::documentTree() {
    QFETCH(QString, source);
    QFETCH(QString, tree);
    SourceTree parsed;
    parsed.parse(reinterpret_cast<const char16_t*>(source.utf16()), int(source.size()));
    QStringList got;
    for (const int element : parsed.domElements) {
        int depth = 0;
        for (int a = parsed.elements[size_t(element)].parent; a >= 0;
             a = parsed.elements[size_t(a)].parent)
            ++depth;
        got << QString::number(depth) + u' ' + parsed.localName(element);
    }
    QCOMPARE(got.join(u'|'), tree);
}

void TstSync::elementAtTheCaret_data() {
    // "‸" stands for the caret; the element framed is the one marked data-k=want, or none.
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("framed");
    const QString page = QStringLiteral("<html><head><title>t</title>%1</head><body>%2</body>");
    QTest::newRow("start tag") << "<div><p data-k=want cla‸ss=a>x</p></div>" << true;
    QTest::newRow("end tag") << "<div><p data-k=want>x</‸p></div>" << true;
    QTest::newRow("content") << "<div><p data-k=want>x‸y</p></div>" << true;
    QTest::newRow("innermost") << "<div><p>a<b data-k=want>b‸</b>c</p></div>" << true;
    QTest::newRow("after an inner element") << "<div data-k=want><p>a</p>‸ tail</div>" << true;
    QTest::newRow("implied element") << "<table><tr data-k=want><td>x</td>‸</tr></table>" << true;
    QTest::newRow("text in the body")
        << page.arg(QString(), QStringLiteral("plain ‸text<p>x</p>")) << false;
    QTest::newRow("head") << page.arg(QStringLiteral("<meta charset=u‸tf-8>"), QString()) << false;
    QTest::newRow("title") << page.arg(QStringLiteral("<title>ti‸tle</title>"), QString()) << false;
    QTest::newRow("comment") << "<div><!-- a ‸comment --></div>" << false;
    QTest::newRow("script") << "<div><script>var a = '<p>‸';</script></div>" << false;
    QTest::newRow("script tag") << "<div><scr‸ipt>var a;</script></div>" << false;
    QTest::newRow("style") << "<div><style>p { co‸lor: red }</style></div>" << false;
    QTest::newRow("body tag") << page.arg(QString(), QStringLiteral("<p>x</p>"))
                                     .replace(QStringLiteral("<body>"), QStringLiteral("<bo‸dy>"))
                              << false;
    QTest::newRow("template contents") << "<div><template><p>in‸</p></template></div>" << false;
    QTest::newRow("noscript contents")
        << "<div><noscript data-k=want><p>no‸</p></noscript></div>" << true;
}

void TstSync::elementAtTheCaret() {
    QFETCH(QString, source);
    QFETCH(bool, framed);
    const int caret = int(source.indexOf(QChar(0x2038)));
    QVERIFY(caret >= 0);
    source.remove(caret, 1);
    m_buffer->setText(source);
    const int element = m_sync->outlinedElementAt(caret);
    if (!framed) {
        QCOMPARE(element, -1);
        return;
    }
    QVERIFY(element >= 0);
    const int tagStart = m_sync->currentTree().elements[size_t(element)].tagStart;
    QCOMPARE(m_sync->currentText().toEditor(tagStart),
             int(source.lastIndexOf(u'<', source.indexOf(QStringLiteral("data-k=want")))));
}

void TstSync::aLongPageScrollsToTheCaretAndBack() {
    QString page;
    for (int i = 0; i < 300; ++i)
        page += QStringLiteral("<p id=p%1>段落 %1</p>\r\n").arg(i);
    load(page);
    const QString text = m_buffer->text();
    const auto top = [this](const QString& id) {
        return evaluate(QStringLiteral("document.getElementById('%1').getBoundingClientRect().top")
                            .arg(id))
            .toDouble();
    };
    const double viewHeight = evaluate(QStringLiteral("innerHeight")).toDouble();
    // The real rest: the caret moves and, a moment later, the frame is drawn.
    QSignalSpy updated(m_sync.get(), &PreviewSync::frameUpdated);
    m_buffer->setSelection(int(text.indexOf(QStringLiteral("段落 299"))), 0);
    QVERIFY(m_sync->restPending());
    QVERIFY(updated.wait(5000));
    QVERIFY(!m_sync->restPending());
    QTRY_VERIFY(m_pane->page()->scrollPosition().y() > 1000);
    QVERIFY(top(QStringLiteral("p299")) >= 0 && top(QStringLiteral("p299")) < viewHeight);
    QVERIFY(qAbs(m_sync->frame().box().top() - top(QStringLiteral("p299"))) <= 1);

    m_buffer->setSelection(int(text.indexOf(QStringLiteral("段落 0"))), 0);
    QVERIFY(updated.wait(5000));
    QTRY_COMPARE(m_pane->page()->scrollPosition().y(), 0.0);
    QVERIFY(qAbs(m_sync->frame().box().top() - top(QStringLiteral("p0"))) <= 1);

    // An element already in view keeps the reader's place.
    evaluate(QStringLiteral("window.scrollTo(0, 40)"), 0);
    QTRY_COMPARE(m_pane->page()->scrollPosition().y(), 40.0);
    restAt(m_buffer->toWidgetPosition(int(text.indexOf(QStringLiteral("段落 3<")))));
    QTest::qWait(100);
    QCOMPARE(m_pane->page()->scrollPosition().y(), 40.0);
    QVERIFY(qAbs(m_sync->frame().box().top() - top(QStringLiteral("p3"))) <= 1);
    const int framed = m_sync->framedPageIndex();

    // Typing reloads the page; the frame comes back onto the element being edited.
    QSignalSpy shown(m_pane.get(), &BrowserPane::navigationShown);
    QTest::keyClicks(m_edit.get(), QStringLiteral("xy"));
    QVERIFY(shown.wait(10000));
    QTRY_VERIFY_WITH_TIMEOUT(!m_sync->restPending() && !m_pane->isLoading(), 10000);
    QTRY_COMPARE(m_sync->framedPageIndex(), framed);
    QTRY_VERIFY(qAbs(m_sync->frame().box().top() - top(QStringLiteral("p3"))) <= 1);
    QCOMPARE(evaluate(QStringLiteral("document.getElementById('p3').textContent")).toString(),
             QStringLiteral("xy段落 3"));
}

void TstSync::typingInAParagraphKeepsItFramed() {
    QString page;
    for (int i = 0; i < 40; ++i)
        page += QStringLiteral("<p id=p%1>段落の文章 %1 です</p>\r\n").arg(i);
    load(page);
    const auto framedId = [this] {
        return evaluate(QStringLiteral("document.querySelectorAll('*')[%1].id")
                            .arg(m_sync->framedPageIndex()))
            .toString();
    };
    const QString text = m_buffer->text();
    restAt(m_buffer->toWidgetPosition(int(text.indexOf(QStringLiteral("文章 20"))) + 1));
    QCOMPARE(framedId(), QStringLiteral("p20"));
    const int parses = m_sync->parse().fullParses();
    const int applied = m_sync->parse().editsApplied();

    // Typed inside the paragraph's text: the page reloads, the frame comes back onto it, and
    // the parse followed the keystrokes without parsing the text again.
    QSignalSpy shown(m_pane.get(), &BrowserPane::navigationShown);
    QTest::keyClicks(m_edit.get(), QStringLiteral("ab cd"));
    QVERIFY(shown.wait(10000));
    QTRY_VERIFY_WITH_TIMEOUT(!m_sync->restPending() && !m_pane->isLoading(), 10000);
    QTRY_COMPARE(framedId(), QStringLiteral("p20"));
    QCOMPARE(m_sync->parse().fullParses(), parses);
    QCOMPARE(m_sync->parse().editsApplied(), applied + 5);
    QCOMPARE(evaluate(QStringLiteral("document.getElementById('p20').textContent")).toString(),
             QStringLiteral("段落の文ab cd章 20 です"));
    // Ctrl+click on the paragraph after it still selects its own start tag.
    const QVariantList at =
        evaluate(QString::fromUtf8(kPointScript).arg(m_sync->framedPageIndex() + 1)).toList();
    QCOMPARE(at.size(), 3);
    QVERIFY(ctrlClickAt(QPointF(at[0].toDouble(), at[1].toDouble())));
    QCOMPARE(m_buffer->selectedText(), QStringLiteral("<p id=p21>"));
}

void TstSync::thePageCannotTellTheFeatureIsThere() {
    // The page lists its elements, their attributes and styles, its style sheets, the events it
    // saw and any trace of us in its globals.
    const QString page = QStringLiteral(
        "<html><head><style>p { color: navy } .x { border: 1px solid red }</style><script>"
        "var seen = { events: 0, mutations: 0 };"
        "for (const t of ['mousedown', 'mouseup', 'click', 'pointerdown', 'focusin'])"
        "  window.addEventListener(t, () => seen.events++, true);"
        "new MutationObserver(m => seen.mutations += m.length).observe(document,"
        "  { subtree: true, childList: true, attributes: true, characterData: true });"
        "function report() { const all = Array.from(document.querySelectorAll('*'));"
        "  return JSON.stringify({ all: all.map(e => e.tagName + '[' + e.getAttributeNames() +"
        "  ']'), styles: all.map(e => { const s = getComputedStyle(e); return s.outlineStyle +"
        "  s.borderTopStyle + s.boxShadow + s.color; }), sheets: Array.from(document.styleSheets"
        "  ).map(s => s.cssRules.length), seen, checked: cb.checked, url: location.href,"
        "  globals: Object.keys(window).filter(k => /tagloom|sync/i.test(k)) }); }"
        "</script></head><body><p id=a class=x>text</p><a id=link href=\"other.html\">link</a>"
        " <input type=checkbox id=cb><p id=b>more</p></body></html>");
    QString answers[2];
    for (const bool on : {true, false}) {
        m_sync->setFollowCaret(on);
        load(page + (on ? QString() : QStringLiteral(" ")));
        const QString text = m_buffer->text();
        for (const char* where : {"text</p>", "link</a>", "more"})
            restAt(m_buffer->toWidgetPosition(int(text.indexOf(QLatin1String(where)))));
        QCOMPARE(m_sync->frame().isShown(), on);
        for (const char* id : {"link", "cb", "a"}) {
            const QVariantList r =
                evaluate(QStringLiteral("(r => [r.left + 3, r.top + r.height / 2])(document."
                                        "getElementById('%1').getBoundingClientRect())")
                             .arg(QLatin1String(id)))
                    .toList();
            QVERIFY(ctrlClickAt(QPointF(r[0].toDouble(), r[1].toDouble())));
        }
        QTest::qWait(300);
        answers[on] = evaluate(QStringLiteral("report()"), 0).toString();
        const QVariantMap seen = QJsonDocument::fromJson(answers[on].toUtf8())
                                     .object()
                                     .value(QStringLiteral("seen"))
                                     .toObject()
                                     .toVariantMap();
        QCOMPARE(seen.value(QStringLiteral("events")).toInt(), 0);
        QVERIFY(answers[on].contains(QStringLiteral("\"checked\":false")));
        QVERIFY(answers[on].contains(QStringLiteral("HTML-TGLM-temp.html")));
    }
    QCOMPARE(answers[true], answers[false]);
}

void TstSync::parsedTextIsThePreviewFile_data() {
    QTest::addColumn<QString>("raw");
    const QChar br = QChar::ParagraphSeparator;
    QTest::newRow("no head") << QStringLiteral("<p>x</p>");
    QTest::newRow("heads in any case")
        << QString(QStringLiteral("<HTML><HeAd>") + br + QStringLiteral("</HEAD><head>x"));
    QTest::newRow("a base element of its own")
        << QStringLiteral("<head><base href=\"http://example.org/\">");
    QTest::newRow("lone surrogate") << QString(QStringLiteral("<head><") + QChar(0xD800) +
                                               QStringLiteral("p>") + QChar(0xDC00));
    QTest::newRow("empty") << QString();
}

void TstSync::parsedTextIsThePreviewFile() {
    QFETCH(QString, raw);
    const QString base = QStringLiteral("<base href=\"file:///srv/サイト/\">");
    PreviewText text;
    text.build(raw, base);
    QString expected = QString::fromUtf8(
        Preview::previewBytes(raw, QStringLiteral("file:///srv/サイト/"), QStringLiteral("\""))
            .mid(3));
    QCOMPARE(QString(text.text()).replace(QChar::ParagraphSeparator, QStringLiteral("\r\n")),
             expected);
    // Every editor position comes back from the parsed text.
    for (int p = 0; p <= raw.size(); ++p)
        QCOMPARE(text.toEditor(text.fromEditor(p)), p);
}

void TstSync::theSwitchAndBrowserModeInTheMainWindow() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    const QString settingFile = fx.appFile(QStringLiteral("setting.dat"));
    const QByteArray settingBytes = readBytes(settingFile);
    QAction* item = w.menus().item(QStringLiteral("mnuCaretPreview"));
    QVERIFY(item->isCheckable() && item->isChecked() && item->isEnabled());
    PreviewSync& sync = w.syncWiring().sync();
    QVERIFY(sync.followsCaret());
    // Shown in the real pane: the preview written, the pane pointed at it.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QSignalSpy shown(w.WB(), &BrowserPane::navigationShown);
    w.buffer().setText(QStringLiteral("<ul><li>一</li><li>二</li></ul>"));
    w.preview().RefreshPreview();
    w.WB()->navigate(Preview::ToFileUrl(w.preview().previewFile()));
    QVERIFY(shown.wait(20000));
    QTRY_VERIFY(!w.WB()->isLoading());
    QSignalSpy updated(&sync, &PreviewSync::frameUpdated);
    w.buffer().setSelection(9, 0);
    QVERIFY(updated.wait(5000));
    QVERIFY(sync.frame().isShown());

    w.mnuWBTool_Click(); // browser mode hides the frame
    QVERIFY(!sync.frame().isShown());
    w.mnuWBTool_Click();
    QTRY_VERIFY(sync.frame().isShown());

    item->trigger(); // off: remembered in its own file, setting.dat untouched
    QVERIFY(!sync.followsCaret() && !sync.frame().isShown());
    QCOMPARE(readBytes(CaretPreviewSetting::fileName(fx.dir.path())), QByteArray("0\r\n"));
    w.buffer().setSelection(3, 0);
    QVERIFY(!sync.restPending());
    QCOMPARE(readBytes(settingFile), settingBytes);
    fx.window.reset();
    frmEdit& again = fx.open();
    QVERIFY(!again.menus().item(QStringLiteral("mnuCaretPreview"))->isChecked());
    QVERIFY(!again.syncWiring().sync().followsCaret());
    again.menus().item(QStringLiteral("mnuCaretPreview"))->trigger();
    QCOMPARE(readBytes(CaretPreviewSetting::fileName(fx.dir.path())), QByteArray("1\r\n"));
}

TAGLOOM_TEST_MAIN(TstSync)
#include "tst_sync.moc"
