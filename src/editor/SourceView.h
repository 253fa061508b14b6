#pragma once

#include "FullWidthSpaceMarks.h"
#include "HighlightColors.h"
#include "TagMatcher.h"

#include <QObject>
#include <QRect>
#include <functional>

class QTextBlock;

class HtmlHighlighter;
class LineNumberGutter;
class QPlainTextEdit;
class QTimer;

// What the source pane shows beyond its text: HTML colours, line numbers, the current line, the
// tag around the caret with its partner, and the full-width spaces. All of it is drawn over the
// text and none of it changes the text, the caret, the selection or the undo step.
class SourceView : public QObject {
    Q_OBJECT
public:
    // `setLeftMargin` gives the pane's left viewport margin to the line numbers.
    SourceView(QPlainTextEdit* edit, std::function<void(int)> setLeftMargin);
    ~SourceView() override;

    // Derives every colour afresh from the pane's background. A palette change of the pane
    // does this by itself.
    void setBackground(const QColor& background);
    const HighlightColors& colors() const { return m_colors; }

    HtmlHighlighter& highlighter() const { return *m_highlighter; }
    LineNumberGutter& gutter() const { return *m_gutter; }
    // The tag marks for the caret's place now (they otherwise follow it a moment later).
    void updateTagMarks();
    const TagMatch& tagMatch() const { return m_match; }
    // What is drawn over the text, called by the pane just after it has painted `area` of its
    // viewport from `first` and `offset` (its first visible block and content offset).
    void paintOverText(const QRect& area, const QTextBlock& first, const QPointF& offset) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateSelections();
    QRect currentLineBand() const;
    void paintCurrentLineBand(const QRect& area);

    QPlainTextEdit* m_edit;
    // Compared with what the filter sees; never asked of the pane, which may be half destroyed
    // by the time its last events reach the filter.
    QObject* m_viewport;
    HtmlHighlighter* m_highlighter;
    LineNumberGutter* m_gutter;
    FullWidthSpaceMarks m_fullWidthSpaces;
    QTimer* m_matchDelay;
    HighlightColors m_colors;
    TagMatch m_match;
    bool m_applying = false;
    // Where the current-line band was last painted.
    QRect m_band;
};
