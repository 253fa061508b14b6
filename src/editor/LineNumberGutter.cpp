#include "LineNumberGutter.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>

LineNumberGutter::LineNumberGutter(QPlainTextEdit* edit, std::function<void(int)> setLeftMargin)
    : QWidget(edit), m_edit(edit), m_setLeftMargin(std::move(setLeftMargin)) {
    setObjectName(QStringLiteral("lineNumbers"));
    // Every paint fills what it repaints, so nothing beneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(edit, &QPlainTextEdit::blockCountChanged, this, &LineNumberGutter::refit);
    // The numbers move only when the pane scrolls or the layout moves its lines, which it
    // repaints whole. A request for part of the pane (the caret's blink, an edit within a
    // line, the colours laid on a line) leaves every number where it was.
    connect(edit, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (dy != 0)
            scroll(0, dy);
        else if (rect.top() <= 0 && rect.bottom() >= m_edit->viewport()->height() - 1)
            update();
    });
    // The current line's band moves only when the caret changes lines.
    connect(edit, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        const int line = m_edit->textCursor().blockNumber();
        if (line != m_currentLine) {
            m_currentLine = line;
            update();
        }
    });
    refit();
}

void LineNumberGutter::setColors(const QColor& background, const QColor& numbers,
                                 const QColor& currentLine) {
    m_background = background;
    m_numbers = numbers;
    m_currentBand = currentLine;
    update();
}

int LineNumberGutter::preferredWidth() const {
    int digits = 1;
    for (int n = std::max(1, m_edit->document()->blockCount()); n >= 10; n /= 10)
        ++digits;
    digits = std::max(digits, 3);
    const QFontMetrics metrics(m_edit->font());
    return metrics.horizontalAdvance(QLatin1Char('9')) * digits + 10;
}

void LineNumberGutter::refit() {
    setFont(m_edit->font());
    const int w = preferredWidth();
    if (w != m_width) {
        m_width = w;
        if (m_setLeftMargin)
            m_setLeftMargin(w);
    }
    const QRect area = m_edit->contentsRect();
    setGeometry(QRect(area.left(), area.top(), m_width, area.height()));
    update();
}

void LineNumberGutter::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), m_background);
    const QTextDocument* doc = m_edit->document();
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    const int viewportTop = m_edit->viewport()->y() - y();
    const int bottom = event->rect().bottom();
    const int current = m_edit->textCursor().blockNumber();
    const int lineHeight = QFontMetrics(font()).height();

    QTextBlock block = m_edit->cursorForPosition(QPoint(0, 0)).block();
    // The first line of the topmost block may lie above the viewport.
    int top = viewportTop + m_edit->cursorRect(QTextCursor(block)).top();
    while (block.isValid() && top <= bottom) {
        const int height = int(layout->blockBoundingRect(block).height());
        if (block.isVisible()) {
            const QRect line(0, top, m_width - 5, std::max(lineHeight, 1));
            if (block.blockNumber() == current)
                painter.fillRect(QRect(0, top, m_width, height), m_currentBand);
            painter.setPen(m_numbers);
            painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                             QString::number(block.blockNumber() + 1));
        }
        top += height;
        block = block.next();
    }
    painter.setPen(m_numbers);
    painter.drawLine(m_width - 1, event->rect().top(), m_width - 1, bottom);
}
