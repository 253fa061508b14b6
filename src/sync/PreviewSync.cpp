#include "PreviewSync.h"

#include "PageScript.h"
#include "host/BrowserPane.h"
#include "host/EditBuffer.h"

#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextDocument>
#include <QTimer>
#include <QWebEnginePage>

using namespace HtmlNames;

PreviewSync::PreviewSync(EditBuffer& buffer, BrowserPane& pane, Hooks hooks, QObject* parent)
    : QObject(parent), m_buffer(buffer), m_pane(pane), m_hooks(std::move(hooks)),
      m_overlay(new FrameOverlay(&pane)), m_restTimer(new QTimer(this)) {
    m_restTimer->setSingleShot(true);
    m_restTimer->setInterval(kRestMs);
    connect(m_restTimer, &QTimer::timeout, this, &PreviewSync::caretRested);
    QPlainTextEdit* edit = m_buffer.widget();
    connect(edit->document(), &QTextDocument::contentsChange, this, &PreviewSync::onTextChanged);
    connect(edit, &QPlainTextEdit::cursorPositionChanged, this, &PreviewSync::onCaretMoved);
    connect(&m_pane, &BrowserPane::navigationShown, this, &PreviewSync::onPageShown);
    connect(m_pane.page(), &QWebEnginePage::scrollPositionChanged, this,
            &PreviewSync::refreshFramePosition);
    connect(m_pane.page(), &QWebEnginePage::contentsSizeChanged, this, [this] {
        if (m_overlay->isShown() && !m_pane.isLoading())
            requestFrame(false);
    });
    m_pane.installEventFilter(this);
    watchViewWidgets();
}

PreviewSync::~PreviewSync() = default;

void PreviewSync::setFollowCaret(bool on) {
    m_follow = on;
    updateVisibility();
}

bool PreviewSync::restPending() const {
    return m_restTimer->isActive();
}

// --- What the editor does -------------------------------------------------------------------

void PreviewSync::onTextChanged(int position, int removed, int added) {
    if (removed == 0 && added == 0)
        return;
    m_parse.noteChange(*m_buffer.widget()->document(), position, removed, added);
    ++m_textGeneration;
    if (frameWanted())
        m_restTimer->start();
}

void PreviewSync::onCaretMoved() {
    if (frameWanted())
        m_restTimer->start();
}

bool PreviewSync::frameWanted() const {
    return m_follow && !(m_hooks.outlineHidden && m_hooks.outlineHidden());
}

void PreviewSync::caretRested() {
    m_restTimer->stop();
    if (!frameWanted() || !showsPreview()) {
        m_overlay->hide();
        m_framedElement = -1;
        emit frameUpdated();
        return;
    }
    if (m_pane.isLoading()) {
        m_frameAfterLoad = true;
        return;
    }
    requestFrame(true);
}

void PreviewSync::updateVisibility() {
    if (!frameWanted()) {
        m_restTimer->stop();
        m_frameAfterLoad = false;
        m_overlay->hide();
        m_framedElement = -1;
        emit frameUpdated();
        return;
    }
    if (!m_overlay->isShown())
        caretRested();
}

// --- The parse ------------------------------------------------------------------------------

void PreviewSync::ensureParsed() {
    if (m_parsedGeneration == m_textGeneration)
        return;
    m_parse.update(*m_buffer.widget()->document(),
                   m_hooks.baseElement ? m_hooks.baseElement() : QString(), m_pageQuirks);
    m_parsedGeneration = m_textGeneration;
    m_aligned = false;
}

const SourceTree& PreviewSync::currentTree() {
    ensureParsed();
    return m_tree;
}

const PreviewText& PreviewSync::currentText() {
    ensureParsed();
    return m_text;
}

int PreviewSync::outlinedElementAt(int editorPosition) {
    ensureParsed();
    const int element = m_tree.elementAt(m_text.fromEditor(editorPosition));
    if (element < 0)
        return -1;
    const SourceTree::Element& e = m_tree.elements[size_t(element)];
    if (e.domIndex < 0 || e.parent < 0)
        return -1;
    if (e.ns == HtmlNs && (e.name == Body || e.name == Script || e.name == Style))
        return -1;
    for (int a = element; a >= 0; a = m_tree.elements[size_t(a)].parent)
        if (m_tree.elements[size_t(a)].ns == HtmlNs && m_tree.elements[size_t(a)].name == Head)
            return -1;
    return element;
}

int PreviewSync::sourceElementOf(int element) {
    ensureParsed();
    for (int e = element; e >= 0; e = m_tree.elements[size_t(e)].parent) {
        const SourceTree::Element& x = m_tree.elements[size_t(e)];
        if (x.tagStart >= 0 && !m_text.isAdded(x.tagStart))
            return e;
    }
    return -1;
}

// --- The page -------------------------------------------------------------------------------

bool PreviewSync::showsPreview() const {
    return m_hooks.previewAddress && m_pane.url() == BrowserPane::toUrl(m_hooks.previewAddress());
}

void PreviewSync::run(const QString& script, std::function<void(const QVariantMap&)> done) {
    // A page that goes away answers every call still waiting with nothing, from its destructor,
    // and may outlive the sync (the main window's panes go after its wiring objects).
    m_pane.page()->runJavaScript(
        script, PageScript::kWorld,
        [alive = QPointer<PreviewSync>(this), done = std::move(done)](const QVariant& v) {
            if (alive && v.isValid())
                done(v.toMap());
        });
}

bool PreviewSync::adoptPageQuirks(const QVariantMap& answer) {
    ensureParsed();
    const bool pageQuirks = answer.value(QStringLiteral("q")).toBool();
    if (!m_tree.quirksDecided || pageQuirks == m_tree.quirks)
        return false;
    // The doctype's mode as the page has it decides how a <table> inside a <p> is read.
    m_pageQuirks = pageQuirks;
    m_parse.invalidate();
    m_parsedGeneration = 0;
    ensureParsed();
    return true;
}

bool PreviewSync::matchesParse(int pageIndex, int count, const QString& chain) {
    ensureParsed();
    return !(m_aligned && !m_alignment.isIdentity()) && count == int(m_tree.domElements.size()) &&
           pageIndex >= 0 && pageIndex < count &&
           chain == chainOf(m_tree.domElements[size_t(pageIndex)]);
}

QString PreviewSync::chainOf(int element) const {
    QString chain;
    for (int e = element; e >= 0; e = m_tree.elements[size_t(e)].parent) {
        if (e != element)
            chain += u'/';
        const uint8_t ns = m_tree.elements[size_t(e)].ns;
        chain += QString::number(ns <= MathNs ? ns : 3) + u' ' + m_tree.localName(e);
    }
    return chain;
}

void PreviewSync::withAlignment(const QVariantMap& answer, std::function<void()> then,
                                bool describeAnew) {
    adoptPageQuirks(answer);
    const int count = answer.value(QStringLiteral("n")).toInt();
    const auto hash = quint32(answer.value(QStringLiteral("h")).toLongLong());
    if (describeAnew) {
        // The page's elements are not the parse's as they stand: listed afresh below.
    } else if (m_aligned && count == m_alignedCount && hash == m_alignedHash) {
        then();
        return;
    } else if (count == int(m_tree.domElements.size()) && hash == m_tree.domHash) {
        m_alignment.setIdentity(count);
        m_aligned = true;
        m_alignedCount = count;
        m_alignedHash = hash;
        then();
        return;
    }
    run(PageScript::describe(), [this, then](const QVariantMap& page) {
        ensureParsed();
        const int n = page.value(QStringLiteral("n")).toInt();
        if (n == int(m_tree.domElements.size()) &&
            quint32(page.value(QStringLiteral("h")).toLongLong()) == m_tree.domHash)
            m_alignment.setIdentity(n);
        else
            m_alignment.align(m_tree, page.value(QStringLiteral("list")).toString());
        m_aligned = true;
        m_alignedCount = page.value(QStringLiteral("n")).toInt();
        m_alignedHash = quint32(page.value(QStringLiteral("h")).toLongLong());
        then();
    });
}

void PreviewSync::requestFrame(bool mayScroll, int attempt) {
    const int request = ++m_frameRequest;
    const int caret = m_buffer.widget()->textCursor().position();
    const int element = outlinedElementAt(caret);
    const int page = element < 0 ? -1
                     : m_aligned ? m_alignment.pageIndexOf(m_tree, element)
                                 : m_tree.elements[size_t(element)].domIndex;
    if (page < 0) {
        m_overlay->hide();
        m_framedElement = -1;
        emit frameUpdated();
        return;
    }
    // A page that holds the parse's elements is asked about the one element alone; one whose
    // scripts changed them, through the snapshot matched with the parse.
    const bool quick = !m_aligned || m_alignment.isIdentity();
    const QString script = quick
                               ? PageScript::quickFrame(page, int(m_tree.domElements.size()),
                                                        chainOf(element), mayScroll)
                               : PageScript::frame(page, m_alignedCount, m_alignedHash, mayScroll);
    run(script, [this, request, element, page, mayScroll, attempt,
                 quick](const QVariantMap& answer) {
        if (request != m_frameRequest)
            return;
        const bool quirksChanged = quick && adoptPageQuirks(answer);
        if (quirksChanged || answer.value(QStringLiteral("stale")).toBool()) {
            // Another page than the one expected: match it first, then ask again.
            if (attempt < 2)
                withAlignment(
                    answer, [this, mayScroll, attempt] { requestFrame(mayScroll, attempt + 1); },
                    quick && !quirksChanged);
            return;
        }
        m_framedElement = element;
        m_framedPage = page;
        placeFrame(answer);
    });
}

void PreviewSync::placeFrame(const QVariantMap& answer) {
    const QVariantList rect = answer.value(QStringLiteral("rect")).toList();
    const QVariantList scroll = answer.value(QStringLiteral("scroll")).toList();
    if (rect.size() != 4 || scroll.size() != 2 || !frameWanted() || !showsPreview()) {
        m_overlay->hide();
        m_framedElement = -1;
    } else {
        // Where the page says the element is now: the pane may not have heard yet of a scroll
        // the page has just made.
        const QRectF inView(rect[0].toDouble(), rect[1].toDouble(), rect[2].toDouble(),
                            rect[3].toDouble());
        m_framedInPage = inView.translated(scroll[0].toDouble(), scroll[1].toDouble());
        m_overlay->show(toPane(inView));
    }
    emit frameUpdated();
}

QRect PreviewSync::toPane(const QRectF& inView) const {
    const double zoom = m_pane.zoomFactor();
    return QRectF(inView.topLeft() * zoom, inView.size() * zoom).toAlignedRect();
}

void PreviewSync::refreshFramePosition(const QPointF& scroll) {
    // The page scrolled: the frame follows without asking the page anything.
    if (m_overlay->isShown())
        m_overlay->show(toPane(m_framedInPage.translated(-scroll)));
}

void PreviewSync::onPageShown() {
    if (!showsPreview()) {
        m_overlay->hide();
        m_framedElement = -1;
        m_frameAfterLoad = false;
        m_clickAfterLoad.reset();
        return;
    }
    // Once per load, never while idle: the page readies its answers before the first question.
    run(PageScript::prime(), [](const QVariantMap&) {});
    if (const std::optional<QPointF> click = std::exchange(m_clickAfterLoad, std::nullopt))
        selectElementAt(*click);
    // The page was loaded afresh: the frame goes onto its element again, unless the caret is
    // about to rest anyway.
    const bool wanted = std::exchange(m_frameAfterLoad, false) || m_overlay->isShown();
    if (wanted && frameWanted() && !m_restTimer->isActive())
        requestFrame(true);
}

// --- Ctrl+click -----------------------------------------------------------------------------

void PreviewSync::selectElementAt(const QPointF& panePoint) {
    if (!showsPreview())
        return;
    if (m_pane.isLoading()) {
        m_clickAfterLoad = panePoint;
        return;
    }
    const double zoom = m_pane.zoomFactor();
    const double x = panePoint.x() / zoom;
    const double y = panePoint.y() / zoom;
    if (!m_aligned || m_alignment.isIdentity()) {
        run(PageScript::quickHit(x, y), [this, x, y](const QVariantMap& answer) {
            const int page = answer.value(QStringLiteral("index")).toInt();
            if (!adoptPageQuirks(answer) &&
                matchesParse(page, answer.value(QStringLiteral("count")).toInt(),
                             answer.value(QStringLiteral("chain")).toString())) {
                selectStartTag(sourceElementOf(m_tree.domElements[size_t(page)]));
                emit clickHandled();
            } else {
                hitThroughSnapshot(x, y);
            }
        });
        return;
    }
    hitThroughSnapshot(x, y);
}

void PreviewSync::hitThroughSnapshot(double x, double y) {
    run(PageScript::hit(x, y), [this](const QVariantMap& answer) {
        const int page = answer.value(QStringLiteral("index")).toInt();
        withAlignment(answer, [this, page] {
            selectStartTag(sourceElementOf(m_alignment.elementOf(m_tree, page)));
            emit clickHandled();
        });
    });
}

void PreviewSync::selectStartTag(int element) {
    if (element < 0)
        return;
    const SourceTree::Element& e = m_tree.elements[size_t(element)];
    const int start = m_buffer.fromWidgetPosition(m_text.toEditor(e.tagStart));
    const int end = m_buffer.fromWidgetPosition(m_text.toEditor(e.tagEnd));
    QPlainTextEdit* edit = m_buffer.widget();
    // The start of the tag into view first, then the whole tag selected.
    m_buffer.setSelection(start, 0);
    edit->ensureCursorVisible();
    m_buffer.setSelection(start, end - start);
    edit->ensureCursorVisible();
    m_buffer.focus();
}

void PreviewSync::watchViewWidgets() {
    for (QObject* child : m_pane.children())
        if (child->isWidgetType())
            child->installEventFilter(this);
}

bool PreviewSync::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_pane) {
        if (event->type() == QEvent::ChildAdded)
            QTimer::singleShot(0, this, &PreviewSync::watchViewWidgets);
        return false;
    }
    // Ctrl+click reaches neither the page nor its links and form controls: the press, the
    // moves and the release are the preview sync's.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !(mouse->modifiers() & Qt::ControlModifier))
            return m_swallowingClick;
        m_swallowingClick = true;
        if (event->type() == QEvent::MouseButtonPress) {
            const QWidget* view = static_cast<QWidget*>(watched);
            selectElementAt(view->mapTo(&m_pane, mouse->position()));
        }
        return true;
    }
    case QEvent::MouseMove:
        return m_swallowingClick;
    case QEvent::MouseButtonRelease:
        if (!m_swallowingClick)
            return false;
        if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
            m_swallowingClick = false;
        return true;
    default:
        return false;
    }
}
