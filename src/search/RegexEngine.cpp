#include "RegexEngine.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <ctime>
#include <vector>

namespace {

// The engine's own limits, per attempt: the backtracking steps (PCRE2's default; about 30 ms of
// a catastrophic pattern under JIT), the interpreter's memory and the JIT's stack.
constexpr uint32_t kMatchLimit = 10'000'000;
constexpr uint32_t kHeapLimitKiB = 64 * 1024;
constexpr size_t kJitStackStart = 32 * 1024;
constexpr size_t kJitStackMax = 8 * 1024 * 1024;
// How long a search on its own (findRegex) may take.
constexpr auto kFindPatience = std::chrono::seconds(2);

// The watch put at the start of every pattern: a callout the engine makes at each attempt.
const QString kWatch = QStringLiteral("(?C)");

PCRE2_SPTR16 units(QStringView text) {
    return reinterpret_cast<PCRE2_SPTR16>(text.utf16());
}

// The length of the options a pattern may open with, such as (*UCP) or (*LIMIT_MATCH=1000):
// they must stay first, so the watch goes after them.
qsizetype leadingOptions(QStringView p) {
    qsizetype at = 0;
    while (p.mid(at).startsWith(u"(*")) {
        qsizetype i = at + 2;
        while (i < p.size() && (p[i].isLetterOrNumber() || p[i] == u'_' || p[i] == u'='))
            ++i;
        if (i >= p.size() || p[i] != u')' || i == at + 2)
            break;
        at = i + 1;
    }
    return at;
}

// The pattern the engine compiles: the watch inserted, a line break (typed, or written `\r\n`)
// as the subject's LF. `origin[i]` is the target's position of each unit of it.
QString enginePattern(QStringView target, std::vector<qsizetype>& origin) {
    QString out;
    out.reserve(target.size() + kWatch.size());
    origin.clear();
    origin.reserve(target.size() + kWatch.size() + 1);
    const auto put = [&](QChar c, qsizetype from) {
        out.append(c);
        origin.push_back(from);
    };
    const qsizetype lead = leadingOptions(target);
    for (qsizetype i = 0; i < lead; ++i)
        put(target[i], i);
    for (const QChar c : kWatch)
        put(c, lead);
    bool quoted = false; // inside \Q...\E every character is itself
    for (qsizetype i = lead; i < target.size(); ++i) {
        const QChar c = target[i];
        if (c == u'\r') {
            put(u'\n', i);
            if (i + 1 < target.size() && target[i + 1] == u'\n')
                ++i;
            continue;
        }
        if (c != u'\\' || i + 1 >= target.size()) {
            put(c, i);
            continue;
        }
        const QChar next = target[i + 1];
        if (quoted) {
            if (next == u'E')
                quoted = false;
            put(c, i);
            continue;
        }
        if (next == u'Q')
            quoted = true;
        if (target.mid(i).startsWith(u"\\r\\n")) {
            put(u'\\', i);
            put(u'n', i + 1);
            i += 3;
            continue;
        }
        // An escape and the character it escapes, so that `\\r` stays a backslash and an r.
        put(c, i);
        put(next, i + 1);
        ++i;
    }
    origin.push_back(target.size());
    return out;
}

// The field's characters before `position` of the target: a line break (CR LF) and a surrogate
// pair count one.
qsizetype fieldCharacters(QStringView target, qsizetype position) {
    qsizetype n = 0;
    for (qsizetype i = 0; i < position && i < target.size(); ++i) {
        const bool pairEnd =
            (target[i] == u'\n' && i > 0 && target[i - 1] == u'\r') ||
            (target[i].isLowSurrogate() && i > 0 && target[i - 1].isHighSurrogate());
        if (!pairEnd)
            ++n;
    }
    return n;
}

QString reasonFor(int code) {
    switch (code) {
    case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS:
        return QStringLiteral("「(」を閉じる「)」がありません");
    case PCRE2_ERROR_UNMATCHED_CLOSING_PARENTHESIS:
        return QStringLiteral("対になる「(」のない「)」があります");
    case PCRE2_ERROR_MISSING_SQUARE_BRACKET:
        return QStringLiteral("「[」を閉じる「]」がありません");
    case PCRE2_ERROR_QUANTIFIER_INVALID:
        return QStringLiteral("繰り返しの記号の前に、繰り返すものがありません");
    case PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER:
        return QStringLiteral("{ } の中の数が大きい順になっています");
    case PCRE2_ERROR_QUANTIFIER_TOO_BIG:
        return QStringLiteral("{ } の中の数が大きすぎます");
    case PCRE2_ERROR_CLASS_RANGE_ORDER:
        return QStringLiteral("[ ] の中の範囲が逆になっています");
    case PCRE2_ERROR_END_BACKSLASH:
        return QStringLiteral("最後の「\\」の後に文字がありません");
    case PCRE2_ERROR_UNKNOWN_ESCAPE:
        return QStringLiteral("「\\」の後の文字が使えません");
    case PCRE2_ERROR_INVALID_AFTER_PARENS_QUERY:
        return QStringLiteral("「(?」の後の書き方が分かりません");
    case PCRE2_ERROR_BAD_SUBPATTERN_REFERENCE:
        return QStringLiteral("ないグループを参照しています");
    case PCRE2_ERROR_LOOKBEHIND_NOT_FIXED_LENGTH:
        return QStringLiteral("後読みの長さが一つに決まりません");
    case PCRE2_ERROR_MISSING_COMMENT_CLOSING:
        return QStringLiteral("注釈「(?#」を閉じる「)」がありません");
    case PCRE2_ERROR_UTF16_ERR1:
    case PCRE2_ERROR_UTF16_ERR2:
    case PCRE2_ERROR_UTF16_ERR3:
        return QStringLiteral("壊れた文字（対になっていないサロゲート）があります");
    default:
        break;
    }
    PCRE2_UCHAR16 buffer[256];
    const int n = pcre2_get_error_message(code, buffer, 256);
    const QString detail = n > 0 ? QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer), n)
                                 : QString::number(code);
    return QStringLiteral("この書き方は使えません（%1）").arg(detail);
}

// The watch reads the clock at every attempt, so it reads the coarse one where there is one: a
// few nanoseconds a reading, a few milliseconds' grain. It runs on the steady clock's base.
qint64 watchNowNs() {
#ifdef CLOCK_MONOTONIC_COARSE
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
#else
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               SteadyClock::now().time_since_epoch())
        .count();
#endif
}

// The engine's failures that mean "too much work", as against a plain miss.
bool isLimit(int rc) {
    switch (rc) {
    case PCRE2_ERROR_MATCHLIMIT:
    case PCRE2_ERROR_DEPTHLIMIT:
    case PCRE2_ERROR_HEAPLIMIT:
    case PCRE2_ERROR_JIT_STACKLIMIT:
    case PCRE2_ERROR_NOMEMORY:
        return true;
    default:
        return false;
    }
}

} // namespace

void toRegexSubject(QString& text, std::vector<DamagedCharacter>* damaged) {
    const qsizetype n = text.size();
    char16_t* p = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c != QChar::ParagraphSeparator && !QChar::isSurrogate(c))
            continue;
        if (c == QChar::ParagraphSeparator) {
            p[i] = u'\n';
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            ++i;
        } else {
            p[i] = 0xFFFD;
            if (damaged)
                damaged->push_back({i, c});
        }
    }
}

struct RegexPattern::Code {
    ~Code() { pcre2_code_free(code); }
    pcre2_code* code = nullptr;
};

RegexPattern::RegexPattern(QStringView target, bool ignoreCase) {
    std::vector<qsizetype> origin;
    const QString pattern = enginePattern(target, origin);
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(context, PCRE2_NEWLINE_LF);
    const uint32_t options = PCRE2_UTF | PCRE2_MULTILINE | (ignoreCase ? PCRE2_CASELESS : 0);
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(units(pattern), PCRE2_SIZE(pattern.size()), options, &error,
                                     &offset, context);
    pcre2_compile_context_free(context);
    if (!code) {
        const qsizetype at = qsizetype(std::min<PCRE2_SIZE>(offset, origin.size() - 1));
        m_faultPosition = fieldCharacters(target, origin[size_t(at)]);
        m_faultAtEnd = origin[size_t(at)] >= target.size();
        m_faultReason = reasonFor(error);
        return;
    }
    // Without JIT (a platform that lacks it) the interpreter runs the same pattern.
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
    uint32_t groups = 0;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &groups);
    uint32_t lookbehind = 0;
    pcre2_pattern_info(code, PCRE2_INFO_MAXLOOKBEHIND, &lookbehind);
    m_groups = int(groups);
    m_lookbehind = qsizetype(lookbehind);
    m_code = std::make_unique<Code>();
    m_code->code = code;
}

RegexPattern::~RegexPattern() = default;
RegexPattern::RegexPattern(RegexPattern&&) noexcept = default;
RegexPattern& RegexPattern::operator=(RegexPattern&&) noexcept = default;

bool RegexPattern::isValid() const {
    return m_code != nullptr;
}

struct RegexMatcher::State {
    ~State() {
        pcre2_match_data_free(data);
        pcre2_match_context_free(context);
        pcre2_jit_stack_free(stack);
    }
    const pcre2_code* code = nullptr;
    pcre2_match_data* data = nullptr;
    pcre2_match_context* context = nullptr;
    pcre2_jit_stack* stack = nullptr;
    qint64 deadlineNs = 0;
    PCRE2_SIZE attempt = 0;
    bool hit = false;
};

RegexMatcher::RegexMatcher(const RegexPattern& pattern) : m_state(std::make_unique<State>()) {
    State& s = *m_state;
    if (!pattern.isValid())
        return;
    s.data = pcre2_match_data_create_from_pattern(pattern.m_code->code, nullptr);
    s.context = pcre2_match_context_create(nullptr);
    // Without memory for them nothing is found.
    if (!s.data || !s.context)
        return;
    s.code = pattern.m_code->code;
    m_groups = pattern.groupCount();
    pcre2_set_match_limit(s.context, kMatchLimit);
    pcre2_set_heap_limit(s.context, kHeapLimitKiB);
    s.stack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
    if (s.stack)
        pcre2_jit_stack_assign(s.context, nullptr, s.stack);
    pcre2_set_callout(
        s.context,
        [](pcre2_callout_block* block, void* data) -> int {
            auto* state = static_cast<State*>(data);
            state->attempt = block->start_match;
            return watchNowNs() > state->deadlineNs ? PCRE2_ERROR_CALLOUT : 0;
        },
        &s);
}

RegexMatcher::~RegexMatcher() = default;

int RegexMatcher::run(QStringView subject, qsizetype from, unsigned options) {
    State& s = *m_state;
    s.attempt = PCRE2_SIZE(from);
    // A subject is valid UTF-16 (toRegexSubject), so the engine need not check it at each call,
    // which would cost the whole rest of the text every time.
    return pcre2_match(s.code, units(subject), PCRE2_SIZE(subject.size()), PCRE2_SIZE(from),
                       options | PCRE2_NO_UTF_CHECK, s.data, s.context);
}

MatchStatus RegexMatcher::find(QStringView subject, qsizetype from, bool notEmptyAtFrom,
                               SteadyClock::time_point deadline, bool anchored) {
    State& s = *m_state;
    s.hit = false;
    m_stoppedAt = m_resumeFrom = -1;
    m_resumeNotEmpty = false;
    if (!s.code || from < 0 || from > subject.size())
        return MatchStatus::Miss;
    s.deadlineNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch()).count();
    const auto failed = [&](int rc, qsizetype resume, bool resumeNotEmpty) {
        m_stoppedAt = qsizetype(s.attempt);
        if (rc != PCRE2_ERROR_CALLOUT)
            return isLimit(rc) ? MatchStatus::TooLong : MatchStatus::Miss;
        m_resumeFrom = resume;
        m_resumeNotEmpty = resumeNotEmpty;
        return MatchStatus::Stopped;
    };
    const unsigned anchor = anchored ? PCRE2_ANCHORED : 0;
    if (notEmptyAtFrom) {
        // Perl's way after an empty hit: a longer one at the same place, else one character on.
        const int rc = run(subject, from, PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED);
        if (rc >= 0) {
            s.hit = true;
            return MatchStatus::Hit;
        }
        if (rc != PCRE2_ERROR_NOMATCH)
            return failed(rc, from, true);
        if (anchored || from >= subject.size())
            return MatchStatus::Miss;
        const bool pair = subject[from].isHighSurrogate() && from + 1 < subject.size() &&
                          subject[from + 1].isLowSurrogate();
        from += pair ? 2 : 1;
    }
    const int rc = run(subject, from, anchor);
    if (rc >= 0) {
        s.hit = true;
        return MatchStatus::Hit;
    }
    if (rc == PCRE2_ERROR_NOMATCH)
        return MatchStatus::Miss;
    // An attempt stopped by the watch had not yet failed: the search goes on from there.
    return failed(rc, std::max(from, qsizetype(s.attempt)), false);
}

std::pair<qsizetype, qsizetype> RegexMatcher::group(int n) const {
    const State& s = *m_state;
    if (!s.hit || n < 0 || n > m_groups)
        return {-1, -1};
    const PCRE2_SIZE* v = pcre2_get_ovector_pointer(s.data);
    if (v[2 * n] == PCRE2_UNSET)
        return {-1, -1};
    return {qsizetype(v[2 * n]), qsizetype(v[2 * n + 1])};
}

MatchStatus RegexWalk::next(RegexMatcher& matcher, QStringView subject,
                            SteadyClock::time_point deadline) {
    const MatchStatus status = matcher.find(subject, from, notEmptyAtFrom, deadline);
    if (status == MatchStatus::Hit) {
        from = matcher.end();
        notEmptyAtFrom = matcher.end() == matcher.start();
    } else if (status == MatchStatus::Stopped) {
        from = matcher.resumeFrom();
        notEmptyAtFrom = matcher.resumeNotEmpty();
    }
    return status;
}

RegexFind findRegex(QStringView text, QStringView target, bool ignoreCase, qsizetype from,
                    bool notEmptyAtFrom) {
    RegexFind result;
    const RegexPattern pattern(target, ignoreCase);
    if (!pattern.isValid()) {
        result.status = RegexFind::BadPattern;
        result.faultPosition = pattern.faultPosition();
        return result;
    }
    QString subject = text.toString();
    toRegexSubject(subject);
    RegexMatcher matcher(pattern);
    switch (matcher.find(subject, from, notEmptyAtFrom, SteadyClock::now() + kFindPatience)) {
    case MatchStatus::Hit:
        result.status = RegexFind::Hit;
        result.start = matcher.start();
        result.length = matcher.end() - matcher.start();
        break;
    case MatchStatus::Miss:
        break;
    case MatchStatus::Stopped:
    case MatchStatus::TooLong:
        result.status = RegexFind::TooLong;
        break;
    }
    return result;
}
