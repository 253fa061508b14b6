#include "HtmlHighlighter.h"

#include "HtmlLexer.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

namespace {

// A block's user state: its end state in the low byte, the state it was lexed from above it.
constexpr int kStateBits = 8;
constexpr int kStateMask = (1 << kStateBits) - 1;

int endState(int userState) {
    return userState < 0 ? -1 : userState & kStateMask;
}

int lexedFrom(int userState) {
    return userState < 0 ? -1 : userState >> kStateBits;
}

// What a block was last coloured with: the state above it and the colour set.
class FormattedMark : public QTextBlockUserData {
public:
    int fromState = -1;
    int generation = -1;
};

class FormatCollector : public HtmlTokenSink {
public:
    FormatCollector(const std::array<QTextCharFormat, 11>& formats) : m_formats(formats) {}
    void token(int start, int length, HtmlToken kind) override {
        ranges.append({start, length, m_formats[size_t(kind)]});
    }
    QList<QTextLayout::FormatRange> ranges;

private:
    const std::array<QTextCharFormat, 11>& m_formats;
};

// How long one idle slice may run before the event loop gets the thread back.
constexpr qint64 kSliceNs = 4'000'000;

} // namespace

HtmlHighlighter::HtmlHighlighter(QPlainTextEdit* edit)
    : QObject(edit), m_edit(edit), m_idle(new QTimer(this)) {
    m_idle->setSingleShot(true);
    m_idle->setInterval(0);
    connect(m_idle, &QTimer::timeout, this, &HtmlHighlighter::idleSlice);
    m_blockCount = edit->document()->blockCount();
    connect(edit->document(), &QTextDocument::contentsChange, this,
            &HtmlHighlighter::onContentsChange);
    edit->viewport()->installEventFilter(this);
    setColors(deriveHighlightColors(edit->palette().color(QPalette::Base)));
    scheduleIdle();
}

HtmlHighlighter::~HtmlHighlighter() = default;

void HtmlHighlighter::setColors(const HighlightColors& colors) {
    m_colors = colors;
    const auto set = [this](HtmlToken kind, const QColor& color) {
        QTextCharFormat f;
        f.setForeground(color);
        m_formats[size_t(kind)] = f;
    };
    set(HtmlToken::TagDelimiter, colors.tag);
    set(HtmlToken::TagName, colors.tag);
    set(HtmlToken::AttributeName, colors.attributeName);
    set(HtmlToken::AttributeValue, colors.attributeValue);
    set(HtmlToken::Comment, colors.comment);
    set(HtmlToken::Entity, colors.entity);
    set(HtmlToken::Doctype, colors.doctype);
    set(HtmlToken::ScriptText, colors.embedded);
    set(HtmlToken::StyleText, colors.embedded);
    set(HtmlToken::EmbeddedString, colors.embeddedString);
    set(HtmlToken::EmbeddedComment, colors.comment);
    ++m_generation;
    m_edit->viewport()->update();
}

void HtmlHighlighter::addMarkLayer(LineMarkLayer* layer) {
    if (!m_layers.contains(layer))
        m_layers.append(layer);
    marksChanged();
}

void HtmlHighlighter::removeMarkLayer(LineMarkLayer* layer) {
    if (m_layers.removeAll(layer) > 0)
        marksChanged();
}

void HtmlHighlighter::marksChanged() {
    ++m_generation;
    m_edit->viewport()->update();
}

int HtmlHighlighter::stateAtStart(const QTextBlock& block) const {
    const int number = block.blockNumber();
    if (number == 0)
        return HtmlLexer::kInitialState;
    if (number > m_validBlocks)
        return -1;
    return endState(block.previous().userState());
}

bool HtmlHighlighter::statesComplete() const {
    return m_validBlocks >= m_edit->document()->blockCount();
}

void HtmlHighlighter::completeStates() {
    lexUpTo(m_edit->document()->blockCount() - 1);
}

void HtmlHighlighter::scheduleIdle() {
    if (!statesComplete() && !m_idle->isActive())
        m_idle->start();
}

void HtmlHighlighter::idleSlice() {
    lexUpTo(m_edit->document()->blockCount() - 1, kSliceNs);
    scheduleIdle();
}

void HtmlHighlighter::onContentsChange(int position, int removed, int added) {
    QTextDocument* doc = m_edit->document();
    const int count = doc->blockCount();
    const int delta = count - m_blockCount;
    m_blockCount = count;
    const int length = doc->characterCount();
    position = std::clamp(position, 0, length - 1);
    const QTextBlock first = doc->findBlock(position);
    const int firstNumber = first.blockNumber();

    if (added >= length - 1) {
        // The whole text was replaced: every block is new, or coloured afresh.
        ++m_generation;
        m_validBlocks = 0;
        m_resumeFrom = m_resumeTo = -1;
        scheduleIdle();
        return;
    }

    const QTextBlock last = doc->findBlock(std::min(position + added, length - 1));
    const int lastNumber = last.blockNumber();
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        if (auto* mark = static_cast<FormattedMark*>(b.userData()))
            mark->generation = -1;
        if (b == last)
            break;
    }
    (void)removed;

    // The blocks after the change keep the states an unbroken pass gave them.
    const int lastOld = lastNumber - delta;
    if (m_validBlocks > lastOld + 1) {
        m_resumeFrom = lastNumber + 1;
        m_resumeTo = m_validBlocks + delta;
    } else if (m_resumeFrom > lastOld) {
        m_resumeFrom = std::max(lastNumber + 1, m_resumeFrom + delta);
        m_resumeTo += delta;
    } else {
        m_resumeFrom = m_resumeTo = -1;
    }
    if (m_resumeFrom >= m_resumeTo)
        m_resumeFrom = m_resumeTo = -1;
    m_validBlocks = std::min(m_validBlocks, firstNumber);
    scheduleIdle();
}

void HtmlHighlighter::lexUpTo(int last, qint64 deadlineNs) {
    if (m_validBlocks > last)
        return;
    QElapsedTimer clock;
    if (deadlineNs >= 0)
        clock.start();
    QTextDocument* doc = m_edit->document();
    QTextBlock block = doc->findBlockByNumber(m_validBlocks);
    int state =
        m_validBlocks == 0 ? HtmlLexer::kInitialState : endState(block.previous().userState());
    int done = 0;
    while (block.isValid() && m_validBlocks <= last) {
        if (m_resumeFrom >= 0 && m_validBlocks >= m_resumeFrom) {
            const bool same =
                m_validBlocks == m_resumeFrom && lexedFrom(block.userState()) == state;
            const int to = m_resumeTo;
            m_resumeFrom = m_resumeTo = -1;
            if (same && to > m_validBlocks) {
                m_validBlocks = std::min(to, doc->blockCount());
                block = doc->findBlockByNumber(m_validBlocks);
                if (block.isValid())
                    state = endState(block.previous().userState());
                continue;
            }
        }
        const int end = HtmlLexer::lexLine(block.text(), state, nullptr);
        block.setUserState(end | (state << kStateBits));
        state = end;
        block = block.next();
        ++m_validBlocks;
        if (deadlineNs >= 0 && (++done & 63) == 0 && clock.nsecsElapsed() > deadlineNs)
            break;
    }
}

void HtmlHighlighter::formatBlock(const QTextBlock& block) {
    const int from = stateAtStart(block);
    auto* mark = static_cast<FormattedMark*>(block.userData());
    if (mark && mark->fromState == from && mark->generation == m_generation)
        return;
    FormatCollector collector(m_formats);
    HtmlLexer::lexLine(block.text(), from, &collector);
    // Marks come after the colours: the layout merges overlapping ranges in order.
    for (LineMarkLayer* layer : std::as_const(m_layers))
        layer->marksForLine(block, collector.ranges);
    block.layout()->setFormats(collector.ranges);
    if (!mark) {
        mark = new FormattedMark;
        QTextBlock(block).setUserData(mark);
    }
    mark->fromState = from;
    mark->generation = m_generation;
    m_edit->document()->markContentsDirty(block.position(), block.length());
}

void HtmlHighlighter::formatBlocks(int first, int last) {
    if (m_formatting)
        return;
    m_formatting = true;
    lexUpTo(last);
    QTextBlock block = m_edit->document()->findBlockByNumber(first);
    for (; block.isValid() && block.blockNumber() <= last; block = block.next())
        formatBlock(block);
    m_formatting = false;
    scheduleIdle();
}

void HtmlHighlighter::formatVisible() {
    const QRect area = m_edit->viewport()->rect();
    const int first = m_edit->cursorForPosition(area.topLeft()).blockNumber();
    const int last = m_edit->cursorForPosition(area.bottomRight()).blockNumber();
    formatBlocks(first, last);
}

bool HtmlHighlighter::eventFilter(QObject* watched, QEvent* event) {
    // Colour what is about to be painted, before the pane paints it.
    if (event->type() == QEvent::Paint && watched == m_edit->viewport())
        formatVisible();
    return QObject::eventFilter(watched, event);
}
