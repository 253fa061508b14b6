#pragma once

#include "RegexEngine.h"

#include <QString>

class EditBuffer;
class ReplaceTemplate;

// A stretch of the pane's text, from `offset` to its end, as patterns see it (toRegexSubject).
struct PaneSubject {
    QString text;
    // The stretch with its damaged characters as they were, when `text` had to replace one:
    // replacements copy from it, so the character is kept.
    QString raw;
    int offset = 0;
    QStringView source() const { return raw.isNull() ? QStringView(text) : QStringView(raw); }
};

// The pane's text from at least `from` (a pane position) on. A stretch near the end is read
// alone; it starts far enough before `from` for the pattern's lookbehind, and one character more,
// so no attempt sees the stretch's start as the text's start.
PaneSubject paneSubject(const EditBuffer& buffer, int from, qsizetype lookbehind);
PaneSubject wholePaneSubject(const EditBuffer& buffer);

// A regular-expression search in the pane, positions in the edit buffer's CR LF units.
struct PaneHit {
    MatchStatus status = MatchStatus::Miss;
    int start = -1;
    int length = 0;
    // TooLong: where the attempt the engine stopped had begun.
    int stoppedAt = -1;
};

// The first hit at `from` or later (an empty one at `from` left out when `notEmptyAtFrom`).
PaneHit findInPane(const EditBuffer& buffer, const RegexPattern& pattern, int from,
                   bool notEmptyAtFrom, SteadyClock::time_point deadline);

// Whether the selection is a hit of the pattern in its place (an empty selection only when
// `emptyCounts`); if so, `replacement` gets what replaces it.
PaneHit selectionHit(const EditBuffer& buffer, const RegexPattern& pattern,
                     const ReplaceTemplate& with, bool emptyCounts,
                     SteadyClock::time_point deadline, QString& replacement);

// Replaces every hit from the start of the text as one change of the pane. Nothing is changed
// unless the whole text was searched; `hits` is how many were replaced.
PaneHit replaceAllInPane(EditBuffer& buffer, const RegexPattern& pattern,
                         const ReplaceTemplate& with, SteadyClock::time_point deadline,
                         qsizetype& hits);

// The messages of a pattern that does not compile and of a search stopped as too long (where the
// stopped attempt had begun, in CR LF units), and their box's title.
QString regexFaultTitle();
QString badPatternMessage(const RegexPattern& pattern);
QString tooLongMessage(const EditBuffer& buffer, int stoppedAt);
