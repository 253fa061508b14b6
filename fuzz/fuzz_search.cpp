// Search and replace. On any text and any target, literal and case-folded Find next select what a
// plain search of the document's CR LF text finds from the search position (or beep and say
// nothing was found, leaving the selection), and Replace all gives the text a plain left-to-right
// replacement gives; the search functions agree with the same plain search on any text.
//
// The same target is then taken as a regular expression, over the first few thousand characters
// of the text:
// - the engine's walk of the pane's text (Perl's global match) gives exactly the hits, and every
//   group's span, of QRegularExpression's globalMatch with the same options, whenever the target
//   is one QRegularExpression reads as it is (no line break in it, no \r\n), both accept it and
//   neither reports a limit;
// - Replace all with the pattern gives the text a plain rebuilding from those hits gives, the
//   replacement expanded by its own reading of \0-\9, $0-$9, \n, \\ and $$, in CR LF units;
//   a pattern that does not compile, or that the engine's limits stop, changes nothing and says
//   why;
// - Find next with the pattern, pressed again and again from the start, selects those hits in
//   turn (in CR LF units), then beeps and says nothing was found.
#include "FuzzSupport.h"
#include "host/EditBuffer.h"
#include "host/TextFile.h"
#include "search/PaneRegex.h"
#include "search/RegexEngine.h"
#include "search/TextSearch.h"
#include "search/frmRe.h"
#include "support/FakeHost.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <chrono>
#include <limits>
#include <optional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// Simple case folding of each character (a surrogate pair as one), within the text alone. A lone
// surrogate stays itself: QString::toCaseFolded turns one into U+FFFD once it has folded anything
// before it, which would make two different lone surrogates look alike.
QString folded(QStringView text) {
    QString out;
    for (qsizetype lone = firstLoneSurrogate(text); lone >= 0; lone = firstLoneSurrogate(text)) {
        out += text.left(lone).toString().toCaseFolded() + text[lone];
        text = text.mid(lone + 1);
    }
    return out + text.toString().toCaseFolded();
}

bool sameAt(QStringView text, qsizetype at, QStringView target, Comparison mode) {
    const QStringView window = text.mid(at, target.size());
    return mode == Comparison::Exact ? window == target : folded(window) == folded(target);
}

qsizetype plainFind(QStringView text, QStringView target, qsizetype from, Comparison mode) {
    if (target.isEmpty())
        return -1;
    for (qsizetype at = std::max<qsizetype>(from, 0); at + target.size() <= text.size(); ++at)
        if (sameAt(text, at, target, mode))
            return at;
    return -1;
}

std::vector<qsizetype> plainFindEvery(QStringView text, QStringView target, Comparison mode) {
    std::vector<qsizetype> hits;
    for (qsizetype at = plainFind(text, target, 0, mode); at >= 0;
         at = plainFind(text, target, at + target.size(), mode))
        hits.push_back(at);
    return hits;
}

QString plainReplaceEvery(QStringView text, QStringView target, QStringView replacement,
                          Comparison mode) {
    QString out;
    qsizetype from = 0;
    for (const qsizetype hit : plainFindEvery(text, target, mode)) {
        out += text.mid(from, hit - from);
        out += replacement;
        from = hit + target.size();
    }
    out += text.mid(from);
    return out;
}

QString described(QStringView text, QStringView target, Comparison mode) {
    return QStringLiteral("mode %1\ntext:   ").arg(int(mode)) + fuzz::shown(text) +
           u"\ntarget: "_s + fuzz::shown(target);
}

void functionsAgree(const QString& text, const QString& target, qsizetype from, Comparison mode) {
    const qsizetype hit = findText(text, target, from, mode);
    const qsizetype plain = plainFind(text, target, from, mode);
    FUZZ_CHECK(hit == plain,
               QStringLiteral("from %1: found %2, plainly %3\n").arg(from).arg(hit).arg(plain) +
                   described(text, target, mode));
    FUZZ_CHECK(findEvery(text, target, mode) == plainFindEvery(text, target, mode),
               described(text, target, mode));
}

struct Bench {
    Bench() : buffer(&edit), host(fuzz::scratchFolder()), dialog(host, buffer, nullptr) {}
    QPlainTextEdit edit;
    EditBuffer buffer;
    FakeHost host;
    frmRe dialog;
};

Bench& bench() {
    static Bench* b = new Bench; // lives as long as the process
    return *b;
}

// Find next pressed a few times, the caret moved between presses, against the plain search.
void findNextAgrees(fuzz::Input& in, const QString& document, const QString& target,
                    Comparison mode) {
    Bench& b = bench();
    b.host.clear();
    b.buffer.setText(document);
    const QString text = b.buffer.text();
    b.dialog.chkSmBi->setChecked(mode == Comparison::IgnoreCase);
    b.dialog.setTargetText(target);
    const QString t = b.dialog.targetText();
    b.dialog.SearchPos = int(in.number(uint32_t(text.size()) + 4));
    for (int press = int(in.number(3)); press >= 0; --press) {
        if (in.flag())
            b.buffer.setSelection(int(in.number(uint32_t(text.size()))),
                                  int(in.number(uint32_t(t.size()) + 2)));
        const int caret = b.buffer.selectionStart();
        const int length = b.buffer.selectionLength();
        int searchPos = b.dialog.SearchPos;
        if (caret + t.size() != searchPos)
            searchPos = caret;
        const qsizetype hit = plainFind(text, t, searchPos, mode);
        const int beeps = b.host.count(QStringLiteral("beep"));
        b.dialog.cmdSearch_Click();
        // Spelled out only when a check fails: the text runs to kilobytes.
        const auto state = [&] {
            return QStringLiteral("caret %1, search position %2: selection %3+%4, "
                                  "plain hit %5\n")
                       .arg(caret)
                       .arg(searchPos)
                       .arg(b.buffer.selectionStart())
                       .arg(b.buffer.selectionLength())
                       .arg(hit) +
                   described(text, t, mode);
        };
        if (hit < 0) {
            FUZZ_CHECK(b.host.count(QStringLiteral("beep")) == beeps + 1, state());
            FUZZ_CHECK(b.buffer.selectionStart() == caret && b.buffer.selectionLength() == length,
                       state());
            FUZZ_CHECK(b.dialog.SearchPos == searchPos, state());
        } else {
            FUZZ_CHECK(b.buffer.selectionStart() == hit && b.buffer.selectionLength() == t.size(),
                       state());
            FUZZ_CHECK(b.buffer.selectedText() == text.mid(hit, t.size()), state());
            FUZZ_CHECK(b.dialog.SearchPos == hit + t.size(), state());
        }
    }
}

void replaceAllAgrees(const QString& target, const QString& replacement, Comparison mode) {
    Bench& b = bench();
    b.dialog.chkSmBi->setChecked(mode == Comparison::IgnoreCase);
    b.dialog.setTargetText(target);
    b.dialog.txtA->setPlainText(replacement);
    const QString text = b.buffer.text();
    const QString expected =
        plainReplaceEvery(text, b.dialog.targetText(), b.dialog.replacementText(), mode);
    b.dialog.cmdAllRe_Click();
    FUZZ_CHECK(b.buffer.text() == expected, u"replaced: "_s + fuzz::shown(b.buffer.text()) +
                                                u"\nexpected: "_s + fuzz::shown(expected) + u'\n' +
                                                described(text, b.dialog.targetText(), mode));
}

// --- Regular expressions ---

// How much of the text the pattern part reads, and how long a reference walk may take before
// the input is let go as one the engine stops at its deadline anyway.
constexpr qsizetype kPatternText = 4096;
constexpr auto kWalkPatience = std::chrono::milliseconds(250);
// Find next is pressed for at most this many hits (each press compiles the pattern afresh).
constexpr size_t kPresses = 12;

// The span of each group of one hit, group 0 the whole hit; -1, -1 for a group that took no part.
using Spans = std::vector<std::pair<qsizetype, qsizetype>>;

struct Walk {
    enum { Whole, TooLong, Stopped } outcome = Whole;
    std::vector<Spans> hits;
};

Walk engineWalk(const RegexPattern& pattern, QStringView subject) {
    RegexMatcher matcher(pattern);
    RegexWalk walk;
    const auto deadline = SteadyClock::now() + kWalkPatience;
    Walk w;
    for (;;) {
        const MatchStatus status = walk.next(matcher, subject, deadline);
        if (status == MatchStatus::Miss)
            return w;
        if (status != MatchStatus::Hit) {
            w.outcome = status == MatchStatus::TooLong ? Walk::TooLong : Walk::Stopped;
            return w;
        }
        Spans spans;
        for (int g = 0; g <= pattern.groupCount(); ++g)
            spans.push_back(matcher.group(g));
        const Spans& last = w.hits.empty() ? spans : w.hits.back();
        FUZZ_CHECK(spans[0].first <= spans[0].second && spans[0].second <= subject.size() &&
                       (w.hits.empty() || spans[0].first >= last[0].second),
                   QStringLiteral("hit %1: %2-%3 after one ending at %4")
                       .arg(w.hits.size())
                       .arg(spans[0].first)
                       .arg(spans[0].second)
                       .arg(w.hits.empty() ? -1 : last[0].second));
        // At most one empty hit a place: the walk ends.
        FUZZ_CHECK(qsizetype(w.hits.size()) <= 2 * subject.size() + 1);
        w.hits.push_back(std::move(spans));
    }
}

QRegularExpression::PatternOptions qtOptions(bool ignoreCase) {
    return QRegularExpression::MultilineOption |
           (ignoreCase ? QRegularExpression::CaseInsensitiveOption
                       : QRegularExpression::NoPatternOption);
}

// QRegularExpression's global match, or nothing when it refuses the pattern or stopped at a
// limit. A limit ends its iterator as a miss would; the result it ended on tells them apart (a
// miss is a valid result, a failure is not), and peekNext() hands that result out, with a warning,
// once the iterator is at its end. After an empty hit at the very end the iterator's next try
// starts past the end, which fails too: that is the end, not a limit.
std::optional<std::vector<Spans>> qtWalk(const QString& pattern, bool ignoreCase,
                                         const QString& subject) {
    const QRegularExpression re(pattern, qtOptions(ignoreCase));
    if (!re.isValid())
        return std::nullopt;
    std::vector<Spans> hits;
    QRegularExpressionMatchIterator it = re.globalMatch(subject);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        Spans spans;
        for (int g = 0; g <= re.captureCount(); ++g)
            spans.push_back({m.capturedStart(g), m.capturedEnd(g)});
        hits.push_back(std::move(spans));
    }
    const bool emptyAtEnd = !hits.empty() && hits.back()[0].first == subject.size() &&
                            hits.back()[0].second == subject.size();
    if (!it.peekNext().isValid() && !emptyAtEnd)
        return std::nullopt;
    return hits;
}

QString shownHits(const std::vector<Spans>& hits) {
    QString out;
    for (const Spans& spans : hits) {
        out += u'[';
        for (const auto& [first, second] : spans)
            out += QStringLiteral(" %1-%2").arg(first).arg(second);
        out += u" ]"_s;
    }
    return out;
}

// The two engines must be built alike for the comparison to mean anything: the same UTF-16
// reading, LF alone as the line break, ASCII classes, case folding.
void sameOptionsProbed() {
    static bool probed = false;
    if (probed)
        return;
    probed = true;
    struct Probe {
        QString pattern;
        bool ignoreCase;
        QString subject;
    };
    const QList<Probe> probes = {
        {u"^b"_s, false, u"a\rb\nb\u2028b\u0085b"_s}, // LF alone breaks a line
        {u"a$"_s, false, u"a\r\na\na"_s},
        {u"\\w+|\\d"_s, false, u"\u00e9\u0660x_9"_s}, // no Unicode properties
        {u"."_s, false, u"\U0001F600a"_s},            // a surrogate pair is one character
        {u"k|\u00df"_s, true, u"K\u212a\u1e9e"_s},
        {u"(a)|b"_s, false, u"ba"_s},
        {u"x*"_s, false, u"\U0001F600x"_s},
    };
    for (const Probe& p : probes) {
        QString subject = p.subject;
        const RegexPattern pattern(p.pattern, p.ignoreCase);
        FUZZ_CHECK(pattern.isValid(), p.pattern);
        const Walk w = engineWalk(pattern, subject);
        const auto qt = qtWalk(p.pattern, p.ignoreCase, subject);
        FUZZ_CHECK(w.outcome == Walk::Whole && qt && *qt == w.hits,
                   u"the engine and QRegularExpression are built differently: "_s + p.pattern +
                       u"\nengine: "_s + shownHits(w.hits) + u"\nQRegularExpression: "_s +
                       (qt ? shownHits(*qt) : u"failed"_s));
    }
    // A limit is told from a miss, else the comparison would never be skipped when it must be.
    FUZZ_CHECK(!qtWalk(u"(a+)+$"_s, false, QString(40, u'a') + u'b'), "a limit reads as a miss");
    FUZZ_CHECK(qtWalk(u"x"_s, false, u"abc"_s).has_value(), "a miss reads as a limit");
}

// QRegularExpression reads the target as the engine does unless the engine rewrites it: a line
// break in it, or `\r\n`, becomes the subject's LF.
bool readAlike(QStringView target) {
    return !target.contains(u'\r') && !target.contains(u"\\r\\n");
}

void engineAgreesWithQt(const QString& target, bool ignoreCase, const RegexPattern& pattern,
                        const QString& subject, const Walk& walk) {
    if (walk.outcome != Walk::Whole || !readAlike(target))
        return;
    const auto qt = qtWalk(target, ignoreCase, subject);
    if (!qt)
        return;
    FUZZ_CHECK(*qt == walk.hits, QStringLiteral("groups %1, ignore case %2\npattern: ")
                                         .arg(pattern.groupCount())
                                         .arg(ignoreCase) +
                                     fuzz::shown(target) + u"\nsubject: "_s + fuzz::shown(subject) +
                                     u"\nengine: "_s + shownHits(walk.hits) +
                                     u"\nQRegularExpression: "_s + shownHits(*qt));
}

// Positions of the pane's raw text (one U+2029 a line break) in the buffer's CR LF units.
std::vector<int> crLfPositions(QStringView raw) {
    std::vector<int> at(size_t(raw.size()) + 1);
    int breaks = 0;
    for (qsizetype i = 0; i <= raw.size(); ++i) {
        at[size_t(i)] = int(i) + breaks;
        if (i < raw.size() && raw[i] == QChar::ParagraphSeparator)
            ++breaks;
    }
    return at;
}

QString crLfOf(QStringView raw) {
    QString out;
    for (const QChar c : raw) {
        if (c == QChar::ParagraphSeparator)
            out += u"\r\n"_s;
        else
            out += c;
    }
    return out;
}

// The replacement of one hit, read afresh: \0-\9 and $0-$9 a group (nothing when it took no part
// or there is none such), \n a line break, \\ and $$ the character, every other one itself; every
// line break as CR LF.
QString expandedReplacement(QStringView with, const Spans& hit, QStringView raw) {
    QString out;
    for (qsizetype i = 0; i < with.size(); ++i) {
        const QChar c = with[i];
        const QChar next = i + 1 < with.size() ? with[i + 1] : QChar();
        const bool escape = c == u'\\' || c == u'$';
        if (c == u'\r' || c == u'\n') {
            out += u"\r\n"_s;
            if (c == u'\r' && next == u'\n')
                ++i;
        } else if (escape && next >= u'0' && next <= u'9') {
            const size_t g = size_t(next.unicode() - u'0');
            if (g < hit.size() && hit[g].first >= 0)
                out += crLfOf(raw.mid(hit[g].first, hit[g].second - hit[g].first));
            ++i;
        } else if (c == u'\\' && next == u'n') {
            out += u"\r\n"_s;
            ++i;
        } else if (escape && next == c) {
            out += c;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

QString replacedEvery(QStringView raw, const std::vector<Spans>& hits, QStringView with) {
    QString out;
    qsizetype from = 0;
    for (const Spans& hit : hits) {
        out += crLfOf(raw.mid(from, hit[0].first - from));
        out += expandedReplacement(with, hit, raw);
        from = hit[0].second;
    }
    out += crLfOf(raw.mid(from));
    return out;
}

bool saidOnce(const FakeHost& host, const QString& title, const QString& textStart) {
    const QList<HostCall> boxes = host.callsOf(u"msgbox"_s);
    return host.count(u"beep"_s) == 1 && boxes.size() == 1 && boxes[0].title == title &&
           boxes[0].text.startsWith(textStart);
}

void replaceAllWithPatternAgrees(const QString& raw, const RegexPattern& pattern,
                                 const Walk& walk) {
    Bench& b = bench();
    const QString before = b.buffer.text();
    const QString with = b.dialog.replacementText();
    b.host.clear();
    b.dialog.cmdAllRe_Click();
    const auto detail = [&] {
        return u"pattern: "_s + fuzz::shown(b.dialog.targetText()) + u"\nreplacement: "_s +
               fuzz::shown(with) + u"\ntext: "_s + fuzz::shown(before) + u"\nreplaced: "_s +
               fuzz::shown(b.buffer.text());
    };
    if (!pattern.isValid()) {
        FUZZ_CHECK(b.buffer.text() == before, detail());
        FUZZ_CHECK(saidOnce(b.host, regexFaultTitle(), u"正規表現に誤りがあります。"_s), detail());
        return;
    }
    if (walk.outcome == Walk::TooLong) {
        FUZZ_CHECK(b.buffer.text() == before, detail());
        FUZZ_CHECK(saidOnce(b.host, regexFaultTitle(), u"正規表現の照合が長くなりすぎるため"_s),
                   detail());
        return;
    }
    const QString expected = replacedEvery(raw, walk.hits, with);
    FUZZ_CHECK(b.buffer.text() == expected, detail() + u"\nexpected: "_s + fuzz::shown(expected) +
                                                u"\nhits: "_s + shownHits(walk.hits));
    FUZZ_CHECK(saidOnce(b.host, u"該当する部分を全て置き換えました"_s, u"完了"_s), detail());
}

void findNextWithPatternAgrees(const QString& raw, const RegexPattern& pattern, const Walk& walk) {
    Bench& b = bench();
    const std::vector<int> crLf = crLfPositions(raw);
    b.buffer.setSelection(0);
    // No hit ends there, so the first press searches from the caret.
    b.dialog.SearchPos = std::numeric_limits<int>::min();
    // Every hit and then the miss; past kPresses hits, only the first of them.
    const size_t presses = walk.hits.size() < kPresses ? walk.hits.size() + 1 : kPresses;
    for (size_t press = 0; press < presses; ++press) {
        const int start = b.buffer.selectionStart();
        const int length = b.buffer.selectionLength();
        b.host.clear();
        b.dialog.cmdSearch_Click();
        const auto state = [&] {
            return QStringLiteral("press %1: selection %2+%3\npattern: ")
                       .arg(press)
                       .arg(b.buffer.selectionStart())
                       .arg(b.buffer.selectionLength()) +
                   fuzz::shown(b.dialog.targetText()) + u"\ntext: "_s +
                   fuzz::shown(b.buffer.text()) + u"\nhits: "_s + shownHits(walk.hits);
        };
        if (!pattern.isValid()) {
            FUZZ_CHECK(saidOnce(b.host, regexFaultTitle(), u"正規表現に誤りがあります。"_s),
                       state());
            FUZZ_CHECK(b.buffer.selectionStart() == start && b.buffer.selectionLength() == length,
                       state());
            return;
        }
        if (press == walk.hits.size()) {
            FUZZ_CHECK(saidOnce(b.host, u"検索位置からの検索失敗"_s, u"見つかりませんでした"_s),
                       state());
            FUZZ_CHECK(b.buffer.selectionStart() == start && b.buffer.selectionLength() == length,
                       state());
            return;
        }
        const auto [first, second] = walk.hits[press][0];
        const int hitStart = crLf[size_t(first)];
        const int hitEnd = crLf[size_t(second)];
        FUZZ_CHECK(b.host.calls.isEmpty(), state());
        FUZZ_CHECK(b.buffer.selectionStart() == hitStart &&
                       b.buffer.selectionLength() == hitEnd - hitStart,
                   state() +
                       QStringLiteral("\nexpected %1+%2").arg(hitStart).arg(hitEnd - hitStart));
        FUZZ_CHECK(b.dialog.SearchPos == hitEnd, state());
    }
}

void patternAgrees(const QString& text, const QString& target, const QString& replacement,
                   bool ignoreCase) {
    if (target.isEmpty())
        return;
    sameOptionsProbed();
    Bench& b = bench();
    const QString document = text.left(kPatternText);
    b.buffer.setText(document);
    b.dialog.chkSmBi->setChecked(ignoreCase);
    b.dialog.chkRegex->setChecked(true);
    b.dialog.setTargetText(target);
    b.dialog.txtA->setPlainText(replacement);
    const QString pattern = b.dialog.targetText();
    const RegexPattern compiled(pattern, ignoreCase);
    const QString raw = b.buffer.rawText();
    QString subject = raw;
    toRegexSubject(subject);
    Walk walk;
    if (compiled.isValid()) {
        walk = engineWalk(compiled, subject);
        engineAgreesWithQt(pattern, ignoreCase, compiled, subject, walk);
    }
    // An input the reference walk could not finish in time is one the pane's would stop at its
    // own deadline, or not, by the clock: nothing to compare.
    if (walk.outcome != Walk::Stopped) {
        if (walk.outcome == Walk::Whole)
            findNextWithPatternAgrees(raw, compiled, walk);
        if (!replacement.isEmpty())
            replaceAllWithPatternAgrees(raw, compiled, walk);
    }
    b.dialog.chkRegex->setChecked(false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const Comparison mode = in.flag() ? Comparison::IgnoreCase : Comparison::Exact;
    const qsizetype from = qsizetype(in.number(1 << 12));
    const QString target = fuzz::textOf(in.until('\0'));
    const QString replacement = fuzz::textOf(in.until('\0'));
    const QString text = fuzz::textOf(in.until('\0'));
    functionsAgree(text, target, from, mode);
    findNextAgrees(in, text, target, mode);
    if (!target.isEmpty() && !replacement.isEmpty())
        replaceAllAgrees(target, replacement, mode);
    patternAgrees(text, target, replacement, mode == Comparison::IgnoreCase);
    // What a run made goes with it, so libFuzzer's leak check has nothing to look into.
    Bench& b = bench();
    b.host.clear();
    b.buffer.setText(QString());
    b.dialog.setTargetText(QString());
    b.dialog.txtA->clear();
    fuzz::deliverPostedEvents();
    return 0;
}
