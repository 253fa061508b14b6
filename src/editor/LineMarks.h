#pragma once

#include <QList>
#include <QTextLayout>

class QTextBlock;

// Marks laid on a line of the source pane together with its HTML colours, and only when the line
// is about to be painted: search hits, the page check's problems. A layer gives format ranges
// within the line's own text (a background, a wavy underline); the layout merges them over the
// colours, so a mark never hides the text's colour and never touches the text.
class LineMarkLayer {
public:
    virtual ~LineMarkLayer() = default;
    // Appends the marks of `block` to `out`, positions counted from the start of the block.
    virtual void marksForLine(const QTextBlock& block, QList<QTextLayout::FormatRange>& out) = 0;
};
