#include "SourceView.h"

#include "HtmlHighlighter.h"
#include "LineNumberGutter.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>

namespace {

// The tag marks wait for the caret to rest, so a run of keys pays for one search.
constexpr int kMatchDelayMs = 60;

} // namespace

SourceView::SourceView(QPlainTextEdit* edit, std::function<void(int)> setLeftMargin)
    : QObject(edit), m_edit(edit), m_viewport(edit->viewport()),
      m_highlighter(new HtmlHighlighter(edit)),
      m_gutter(new LineNumberGutter(edit, std::move(setLeftMargin))), m_fullWidthSpaces(edit),
      m_matchDelay(new QTimer(this)) {
    m_matchDelay->setSingleShot(true);
    m_matchDelay->setInterval(kMatchDelayMs);
    connect(m_matchDelay, &QTimer::timeout, this, &SourceView::updateTagMarks);
    connect(edit, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        // The line band follows the caret to another line at once; the tag marks, which move
        // with the text, follow a moment later.
        const QRect band = currentLineBand();
        if (band != m_band) {
            m_edit->viewport()->update(m_band);
            m_edit->viewport()->update(band);
            m_band = band;
        }
        m_matchDelay->start();
    });
    edit->installEventFilter(this);
    edit->viewport()->installEventFilter(this);
    setBackground(edit->palette().color(QPalette::Base));
    m_gutter->show();
}

SourceView::~SourceView() = default;

void SourceView::setBackground(const QColor& background) {
    m_colors = deriveHighlightColors(background);
    m_highlighter->setColors(m_colors);
    m_gutter->setColors(m_colors.background, m_colors.lineNumber, m_colors.currentLine);
    m_fullWidthSpaces.setColor(m_colors.fullWidthSpace);
    updateSelections();
}

void SourceView::updateTagMarks() {
    const int position = m_edit->textCursor().position();
    m_match = matchTagAt(*m_edit->document(), position,
                         [this](const QTextBlock& b) { return m_highlighter->stateAtStart(b); });
    updateSelections();
}

void SourceView::updateSelections() {
    QList<QTextEdit::ExtraSelection> marks;

    const auto mark = [&](const TagSpan& span, bool bad) {
        QTextEdit::ExtraSelection s;
        s.cursor = QTextCursor(m_edit->document());
        s.cursor.setPosition(span.start);
        s.cursor.setPosition(span.end, QTextCursor::KeepAnchor);
        s.format.setBackground(bad ? m_colors.unmatchedTag : m_colors.matchedTag);
        if (bad) {
            s.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            s.format.setUnderlineColor(m_colors.unmatchedMarker);
        }
        marks.append(s);
    };
    if (m_match.tag.isValid()) {
        mark(m_match.tag, m_match.unmatched);
        if (m_match.partner.isValid())
            mark(m_match.partner, false);
    }
    m_edit->setExtraSelections(marks);
    m_edit->viewport()->update(m_band);
}

void SourceView::paintOverText(const QRect& area, const QTextBlock& first,
                               const QPointF& offset) const {
    m_fullWidthSpaces.paint(area, first, offset);
}

QRect SourceView::currentLineBand() const {
    // The caret's visual line across the whole pane.
    const QRect caret = m_edit->cursorRect();
    return QRect(0, caret.top(), m_edit->viewport()->width(), caret.height());
}

void SourceView::paintCurrentLineBand(const QRect& area) {
    // Painted beneath the text rather than as a selection over it, so marks laid on the line
    // with its colours (search hits, problems) show on the caret's line too.
    m_band = currentLineBand();
    const QRect band = m_band.intersected(area);
    if (band.isEmpty())
        return;
    QPainter painter(m_edit->viewport());
    painter.fillRect(band, m_colors.currentLine);
}

bool SourceView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_viewport && event->type() == QEvent::Paint)
        paintCurrentLineBand(static_cast<QPaintEvent*>(event)->rect());
    if (watched == m_edit) {
        switch (event->type()) {
        case QEvent::PaletteChange:
            // The color tool and the options set the pane's palette: follow its background.
            if (!m_applying) {
                m_applying = true;
                setBackground(m_edit->palette().color(QPalette::Base));
                m_applying = false;
            }
            break;
        case QEvent::FontChange:
        case QEvent::Resize:
            m_gutter->refit();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
