#pragma once

#include <QString>
#include <QStringView>
#include <chrono>
#include <memory>
#include <utility>
#include <vector>

// Regular expressions in the syntax QRegularExpression reads (PCRE2, UTF-16, no Unicode
// properties unless the pattern asks with (*UCP)), run by PCRE2 itself so that its match limits
// can be set and their failures told apart from a miss.
//
// A pattern runs over the document text as a "subject": one LF per line break (the pane's own
// separator is U+2029), so `.` does not match a line break, `^` and `$` match at the start and
// end of every line, and a line break in the pattern (typed, `\n` or `\r\n`) matches one.
// Positions in a subject are the pane's own positions.

using SteadyClock = std::chrono::steady_clock;

// Turns a copy of the pane's raw text into a subject in place: each U+2029 becomes LF and a lone
// surrogate (a damaged character the engine cannot read) U+FFFD. The length never changes, so
// positions hold. The damaged characters replaced, with their places, go to `damaged` if given.
struct DamagedCharacter {
    qsizetype at;
    char16_t unit;
};
void toRegexSubject(QString& text, std::vector<DamagedCharacter>* damaged = nullptr);

class RegexPattern {
public:
    // `target` as the field holds it, line breaks as CR LF.
    RegexPattern(QStringView target, bool ignoreCase);
    ~RegexPattern();
    RegexPattern(RegexPattern&&) noexcept;
    RegexPattern& operator=(RegexPattern&&) noexcept;

    bool isValid() const;
    // Where a pattern that does not compile goes wrong, counted in the field's characters (a
    // line break or a surrogate pair is one) from 0; the target's length when it is its end.
    qsizetype faultPosition() const { return m_faultPosition; }
    bool faultAtEnd() const { return m_faultAtEnd; }
    // Why, in Japanese.
    const QString& faultReason() const { return m_faultReason; }
    int groupCount() const { return m_groups; }
    // The longest lookbehind, \b and \B counting one: how far before its start a match looks.
    qsizetype maxLookbehind() const { return m_lookbehind; }

private:
    friend class RegexMatcher;
    struct Code;
    std::unique_ptr<Code> m_code;
    qsizetype m_faultPosition = -1;
    bool m_faultAtEnd = false;
    QString m_faultReason;
    int m_groups = 0;
    qsizetype m_lookbehind = 0;
};

enum class MatchStatus {
    Hit,
    Miss,
    // The deadline passed; the search can go on from resumeFrom().
    Stopped,
    // The engine's own limits (backtracking, depth, memory) stopped it.
    TooLong,
};

// Runs one pattern over subjects. Each attempt is watched: past its deadline a search stops
// within one attempt, whose cost the engine's match limit bounds, so no pattern can hold the
// window for long.
class RegexMatcher {
public:
    explicit RegexMatcher(const RegexPattern& pattern);
    ~RegexMatcher();
    RegexMatcher(const RegexMatcher&) = delete;
    RegexMatcher& operator=(const RegexMatcher&) = delete;

    // The first hit that begins at `from` or later; an empty hit at `from` is left out when
    // `notEmptyAtFrom`. `anchored`: only a hit that begins at `from`.
    MatchStatus find(QStringView subject, qsizetype from, bool notEmptyAtFrom,
                     SteadyClock::time_point deadline, bool anchored = false);

    qsizetype start() const { return group(0).first; }
    qsizetype end() const { return group(0).second; }
    // Group `n` of the last hit (0 the whole hit) as [first, second); -1, -1 when the group took
    // no part or the pattern has none such.
    std::pair<qsizetype, qsizetype> group(int n) const;
    // Where the attempt that stopped had begun (Stopped, TooLong).
    qsizetype stoppedAt() const { return m_stoppedAt; }
    // Where a Stopped search goes on, and whether an empty hit there is still to be left out.
    qsizetype resumeFrom() const { return m_resumeFrom; }
    bool resumeNotEmpty() const { return m_resumeNotEmpty; }

private:
    int run(QStringView subject, qsizetype from, unsigned options);

    struct State;
    std::unique_ptr<State> m_state;
    int m_groups = 0;
    qsizetype m_stoppedAt = -1;
    qsizetype m_resumeFrom = -1;
    bool m_resumeNotEmpty = false;
};

// Walks every hit of a subject from left to right as Perl's global match does: hits never
// overlap, and after an empty hit the next one may not be empty at the same place, so an empty
// hit moves the search on by one character.
struct RegexWalk {
    qsizetype from = 0;
    bool notEmptyAtFrom = false;

    MatchStatus next(RegexMatcher& matcher, QStringView subject, SteadyClock::time_point deadline);
};

// One search, whole, with no state: `text` with LF line breaks (other characters as they are),
// the first hit at `from` or later. For tests and fuzzing.
struct RegexFind {
    enum Status { Hit, Miss, BadPattern, TooLong } status = Miss;
    qsizetype start = -1;
    qsizetype length = 0;
    // BadPattern: faultPosition() of the pattern.
    qsizetype faultPosition = -1;
};
RegexFind findRegex(QStringView text, QStringView target, bool ignoreCase, qsizetype from,
                    bool notEmptyAtFrom = false);
