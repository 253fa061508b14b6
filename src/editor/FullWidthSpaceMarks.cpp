#include "FullWidthSpaceMarks.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <cmath>
#include <optional>

namespace {

constexpr char16_t kFullWidthSpace = u'\u3000';
// A line longer than this is read only where it is painted, and its spaces are not kept.
constexpr int kKeptLineChars = 4096;
// Kept lines beyond this many are forgotten.
constexpr int kKeptLines = 1024;

// The text of `block` from `from` to `to`.
QString blockText(const QTextBlock& block, int from, int to) {
    // A copy of a whole line is much cheaper than a cursor's selection, so long as the line is
    // not very long.
    if (block.length() <= kKeptLineChars)
        return block.text().mid(from, to - from);
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + from);
    cursor.setPosition(block.position() + to, QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

// The height the pane gives a block. A block already laid out measures as its lines do: the
// document layout's own measure reads the document's margin, a format look-up, for each block.
qreal blockHeight(const QAbstractTextDocumentLayout& documentLayout, const QTextBlock& block) {
    const QTextLayout* layout = block.layout();
    if (!block.isVisible())
        return 0;
    if (layout->lineCount() == 0 || !block.next().isValid())
        return documentLayout.blockBoundingRect(block).height();
    return layout->boundingRect().bottom();
}

} // namespace

FullWidthSpaceMarks::FullWidthSpaceMarks(QPlainTextEdit* edit) : m_edit(edit) {
    m_blockCount = edit->document()->blockCount();
    m_changes = QObject::connect(edit->document(), &QTextDocument::contentsChange, edit,
                                 [this](int position, int removed, int added) {
                                     onContentsChange(position, removed, added);
                                 });
}

FullWidthSpaceMarks::~FullWidthSpaceMarks() {
    QObject::disconnect(m_changes);
}

void FullWidthSpaceMarks::onContentsChange(int position, int removed, int added) {
    (void)removed;
    const QTextDocument* doc = m_edit->document();
    const int count = doc->blockCount();
    const int delta = count - m_blockCount;
    m_blockCount = count;
    if (m_lines.isEmpty())
        return;
    const int length = doc->characterCount();
    if (added >= length - 1) {
        m_lines.clear();
        return;
    }
    // The changed lines are read again; the lines after them move by the lines added.
    const int first = doc->findBlock(std::clamp(position, 0, length - 1)).blockNumber();
    const int last = doc->findBlock(std::min(position + added, length - 1)).blockNumber();
    const int lastBefore = last - delta;
    if (delta == 0) {
        for (int n = first; n <= last; ++n)
            m_lines.remove(n);
        return;
    }
    QHash<int, Line> kept;
    for (auto it = m_lines.cbegin(); it != m_lines.cend(); ++it) {
        if (it.key() < first)
            kept.insert(it.key(), it.value());
        else if (it.key() > lastBefore)
            kept.insert(it.key() + delta, it.value());
    }
    m_lines = std::move(kept);
}

void FullWidthSpaceMarks::paint(const QRect& area, QTextBlock block, QPointF offset) const {
    if (!m_color.isValid() || !block.isValid())
        return;
    const qreal tabStop = m_edit->document()->defaultTextOption().tabStopDistance();
    if (m_edit->font() != m_font || tabStop != m_tabStop || m_lines.size() > kKeptLines) {
        m_lines.clear();
        m_font = m_edit->font();
        m_tabStop = tabStop;
    }
    const QAbstractTextDocumentLayout* documentLayout = m_edit->document()->documentLayout();
    std::optional<QPainter> painter;
    for (int number = block.blockNumber(); block.isValid(); block = block.next(), ++number) {
        const QTextLayout* layout = block.layout();
        const QPointF top = offset;
        offset.ry() += blockHeight(*documentLayout, block);
        if (top.y() > area.bottom())
            break;
        if (!block.isVisible() || offset.y() < area.top() || layout->lineCount() == 0)
            continue;
        // Where the pane drew the block's lines from.
        const QPointF origin = top + layout->position();
        // The lines of the block inside the area.
        int firstLine = -1;
        int lastLine = -1;
        for (int k = 0; k < layout->lineCount(); ++k) {
            const QTextLine line = layout->lineAt(k);
            const qreal lineTop = origin.y() + line.y();
            if (lineTop > area.bottom())
                break;
            if (lineTop + line.height() < area.top())
                continue;
            if (firstLine < 0)
                firstLine = k;
            lastLine = k;
        }
        if (firstLine < 0)
            continue;

        // The layout's positions count an input method's composition in, the document's not.
        const int preedit = layout->preeditAreaPosition();
        const int preeditLength = preedit < 0 ? 0 : int(layout->preeditAreaText().size());
        const auto find = [&](int from, int to) {
            const auto toDocument = [&](int at) {
                return preeditLength == 0 || at <= preedit ? at
                                                           : std::max(preedit, at - preeditLength);
            };
            QList<Space> found;
            const int docFrom = toDocument(from);
            const QString text = blockText(block, docFrom, toDocument(to));
            for (qsizetype i = text.indexOf(QChar(kFullWidthSpace)); i >= 0;
                 i = text.indexOf(QChar(kFullWidthSpace), i + 1)) {
                int at = docFrom + int(i);
                if (preeditLength > 0 && at >= preedit)
                    at += preeditLength;
                const QTextLine line = layout->lineForTextPosition(at);
                if (!line.isValid())
                    continue;
                const qreal x1 = line.cursorToX(at);
                const qreal x2 = line.cursorToX(at + 1);
                found.append({at, line.lineNumber(), std::min(x1, x2), std::max(x1, x2)});
            }
            return found;
        };
        QList<Space> spaces;
        const qreal width = layout->lineAt(0).width();
        if (preeditLength == 0 && block.length() <= kKeptLineChars) {
            auto kept = m_lines.find(number);
            if (kept == m_lines.end() || kept->lineCount != layout->lineCount() ||
                kept->width != width)
                kept = m_lines.insert(number,
                                      {layout->lineCount(), width, find(0, block.length() - 1)});
            spaces = kept->spaces;
        } else {
            const QTextLine from = layout->lineAt(firstLine);
            const QTextLine to = layout->lineAt(lastLine);
            spaces = find(from.textStart(), to.textStart() + to.textLength());
        }

        for (const Space& space : std::as_const(spaces)) {
            if (space.line < firstLine || space.line > lastLine)
                continue;
            const QTextLine line = layout->lineAt(space.line);
            const QRectF cell(origin.x() + space.left, origin.y() + line.y(),
                              space.right - space.left, line.height());
            // A square a pixel inside the room the space takes, centred on its line.
            const int left = int(std::floor(cell.left())) + 1;
            const int side =
                std::min(int(std::ceil(cell.right())) - 2 - left, int(cell.height()) - 3);
            if (side < 2)
                continue;
            const int squareTop = int(std::round(cell.center().y())) - side / 2;
            if (!painter)
                painter.emplace(m_edit->viewport());
            // Four one-pixel edges: solid fills are the raster engine's quickest drawing.
            const int right = left + side;
            const int bottom = squareTop + side;
            painter->fillRect(QRect(left, squareTop, side, 1), m_color);
            painter->fillRect(QRect(left, bottom, side + 1, 1), m_color);
            painter->fillRect(QRect(left, squareTop + 1, 1, side - 1), m_color);
            painter->fillRect(QRect(right, squareTop, 1, side), m_color);
        }
    }
}
