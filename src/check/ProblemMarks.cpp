#include "ProblemMarks.h"

#include "editor/SourceView.h"

#include <QTextBlock>
#include <algorithm>

void ProblemMarks::setProblems(const QList<PageProblem>& problems) {
    m_marks.clear();
    m_marks.reserve(size_t(problems.size()));
    m_longest = 0;
    for (const PageProblem& p : problems) {
        m_marks.push_back({p.start, p.end, p.severity == PageProblem::Severity::Error});
        m_longest = std::max(m_longest, p.end - p.start);
    }
}

void ProblemMarks::followEdit(int position, int removed, int added) {
    const int delta = added - removed;
    const auto moved = [&](int at) {
        if (at <= position)
            return at;
        if (at >= position + removed)
            return at + delta;
        return position;
    };
    m_longest = 0;
    for (Mark& m : m_marks) {
        m.start = moved(m.start);
        m.end = moved(m.end);
        m_longest = std::max(m_longest, m.end - m.start);
    }
}

void ProblemMarks::marksForLine(const QTextBlock& block, QList<QTextLayout::FormatRange>& out) {
    if (m_marks.empty())
        return;
    const int lineStart = block.position();
    const int lineEnd = lineStart + block.length() - 1;
    const HighlightColors& colors = m_view.colors();
    // Marks are in order of their start; one that reaches this line began at most the longest
    // mark's length before it.
    auto it = std::lower_bound(m_marks.begin(), m_marks.end(), lineStart - m_longest,
                               [](const Mark& m, int at) { return m.start < at; });
    for (; it != m_marks.end() && it->start <= lineEnd; ++it) {
        const int from = std::max(it->start, lineStart);
        const int to = std::min(it->end, lineEnd);
        if (to <= from)
            continue;
        QTextLayout::FormatRange r{from - lineStart, to - from, {}};
        r.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        r.format.setUnderlineColor(it->error ? colors.problemError : colors.problemWarning);
        out.append(r);
    }
}
