#pragma once

#include "PageCheck.h"
#include "editor/LineMarks.h"

#include <vector>

class SourceView;

// The page check's problems as wavy underlines in the source pane, red for an error and amber for
// a warning, in the pane's own colours. They are laid on a line only when it is painted, and move
// with the text as it is edited until the next check replaces them.
class ProblemMarks : public LineMarkLayer {
public:
    explicit ProblemMarks(const SourceView& view) : m_view(view) {}

    // One mark per problem, in the problems' order (by position).
    void setProblems(const QList<PageProblem>& problems);
    void clear() { m_marks.clear(); }
    int count() const { return int(m_marks.size()); }
    // Where mark `index` starts now, in the pane's positions.
    int start(int index) const { return m_marks[size_t(index)].start; }
    int end(int index) const { return m_marks[size_t(index)].end; }

    // Follows an edit of the pane: `removed` characters at `position` replaced by `added`.
    void followEdit(int position, int removed, int added);

    void marksForLine(const QTextBlock& block, QList<QTextLayout::FormatRange>& out) override;

private:
    struct Mark {
        int start;
        int end;
        bool error;
    };
    const SourceView& m_view;
    std::vector<Mark> m_marks;
    // The longest mark, so a line finds the marks that began on lines above it.
    int m_longest = 0;
};
