#include "PaneRegex.h"

#include "PaneEdits.h"
#include "ReplaceTemplate.h"
#include "host/EditBuffer.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// A stretch this short is read alone; a longer one costs as much as the whole raw text, which the
// document hands out far faster than a selection.
constexpr int kStretchLimit = 1 << 16;

// Written in place: the text read from the pane is copied again only when it holds a damaged
// character, which the copy keeps.
PaneSubject subjectOf(QString text, int offset) {
    PaneSubject s;
    s.offset = offset;
    s.text = std::move(text);
    std::vector<DamagedCharacter> damaged;
    toRegexSubject(s.text, &damaged);
    if (!damaged.empty()) {
        s.raw = s.text;
        for (const DamagedCharacter& d : damaged)
            s.raw[d.at] = QChar(d.unit);
    }
    return s;
}

int toBuffer(const EditBuffer& buffer, const PaneSubject& s, qsizetype position) {
    return buffer.fromWidgetPosition(s.offset + int(position));
}

PaneHit stopped(const EditBuffer& buffer, const PaneSubject& s, const RegexMatcher& m,
                MatchStatus status) {
    PaneHit hit;
    // A search stopped at its deadline is as much too long as one the engine stopped.
    hit.status = status == MatchStatus::Stopped ? MatchStatus::TooLong : status;
    hit.stoppedAt = toBuffer(buffer, s, std::max<qsizetype>(0, m.stoppedAt()));
    return hit;
}

PaneHit hitOf(const EditBuffer& buffer, const PaneSubject& s, const RegexMatcher& m) {
    PaneHit hit;
    hit.status = MatchStatus::Hit;
    hit.start = toBuffer(buffer, s, m.start());
    hit.length = toBuffer(buffer, s, m.end()) - hit.start;
    return hit;
}

} // namespace

PaneSubject wholePaneSubject(const EditBuffer& buffer) {
    return subjectOf(buffer.rawText(), 0);
}

PaneSubject paneSubject(const EditBuffer& buffer, int from, qsizetype lookbehind) {
    QTextDocument* doc = buffer.widget()->document();
    const int end = doc->characterCount() - 1;
    const int start = int(std::max<qsizetype>(0, from - lookbehind - 1));
    if (start == 0 || end - start > kStretchLimit)
        return wholePaneSubject(buffer);
    QTextCursor cursor(doc);
    cursor.setPosition(start);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    return subjectOf(cursor.selectedText(), start);
}

PaneHit findInPane(const EditBuffer& buffer, const RegexPattern& pattern, int from,
                   bool notEmptyAtFrom, SteadyClock::time_point deadline) {
    const int widgetFrom = buffer.toWidgetPosition(from);
    const PaneSubject s = paneSubject(buffer, widgetFrom, pattern.maxLookbehind());
    RegexMatcher matcher(pattern);
    qsizetype at = widgetFrom - s.offset;
    bool notEmpty = notEmptyAtFrom;
    for (;;) {
        const MatchStatus status = matcher.find(s.text, at, notEmpty, deadline);
        if (status != MatchStatus::Hit)
            return status == MatchStatus::Miss ? PaneHit{} : stopped(buffer, s, matcher, status);
        // A hit that begins at the line break `from` stands inside begins before it.
        if (toBuffer(buffer, s, matcher.start()) >= from)
            return hitOf(buffer, s, matcher);
        at = matcher.end();
        notEmpty = matcher.end() == matcher.start();
    }
}

PaneHit selectionHit(const EditBuffer& buffer, const RegexPattern& pattern,
                     const ReplaceTemplate& with, bool emptyCounts,
                     SteadyClock::time_point deadline, QString& replacement) {
    const QTextCursor cursor = buffer.widget()->textCursor();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    if (start == end && !emptyCounts)
        return {};
    const PaneSubject s = paneSubject(buffer, start, pattern.maxLookbehind());
    RegexMatcher matcher(pattern);
    // The hit Find next gives here: the first one, or after an empty one a longer one.
    for (const bool notEmpty : {false, true}) {
        const MatchStatus status = matcher.find(s.text, start - s.offset, notEmpty, deadline, true);
        if (status == MatchStatus::Stopped || status == MatchStatus::TooLong)
            return stopped(buffer, s, matcher, status);
        if (status == MatchStatus::Hit && matcher.end() == end - s.offset) {
            replacement = with.expanded(matcher, s.source());
            return hitOf(buffer, s, matcher);
        }
        if (start == end)
            break;
    }
    return {};
}

PaneHit replaceAllInPane(EditBuffer& buffer, const RegexPattern& pattern,
                         const ReplaceTemplate& with, SteadyClock::time_point deadline,
                         qsizetype& hits) {
    PaneSubject s = wholePaneSubject(buffer);
    const QStringView source = s.source();
    RegexMatcher matcher(pattern);
    RegexWalk walk;
    std::vector<HitEdit> edits;
    // Room for many hits, taken once: what stays unused is never touched.
    edits.reserve(size_t(source.size() / 16 + 16));
    // Only what the replacements copy is kept aside; the new text is then made in the subject's
    // own memory, which the read of the pane has just touched.
    ReplaceTemplate::Saved saved;
    qsizetype grown = 0;
    for (;;) {
        const MatchStatus status = walk.next(matcher, s.text, deadline);
        if (status == MatchStatus::Miss)
            break;
        if (status != MatchStatus::Hit)
            return stopped(buffer, s, matcher, status);
        const qsizetype start = matcher.start();
        const qsizetype length = matcher.end() - start;
        const qsizetype withLength = with.save(matcher, source, saved);
        edits.push_back({int(start), int(length), int(start + grown), int(withLength)});
        grown += withLength - length;
    }
    hits = qsizetype(edits.size());
    if (edits.empty())
        return {};
    // The copy with the damaged characters kept, when there is one, is the pane's own text.
    QString& whole = s.raw.isNull() ? s.text : s.raw;
    makeEditsInPlace(whole, edits, [&](const HitEdit&, QChar* at) { with.writeSaved(saved, at); });
    replaceHits(buffer, {}, edits, whole, &whole);
    return {};
}

QString regexFaultTitle() {
    return QStringLiteral("正規表現の誤り");
}

QString badPatternMessage(const RegexPattern& pattern) {
    return QStringLiteral("正規表現に誤りがあります。\r\n%1：%2")
        .arg(pattern.faultAtEnd() ? QStringLiteral("末尾")
                                  : QStringLiteral("%1文字目").arg(pattern.faultPosition() + 1),
             pattern.faultReason());
}

QString tooLongMessage(const EditBuffer& buffer, int stoppedAt) {
    const QTextDocument* doc = buffer.widget()->document();
    const int at = buffer.toWidgetPosition(stoppedAt);
    const QTextBlock block = doc->findBlock(at);
    return QStringLiteral("正規表現の照合が長くなりすぎるため、中止しました。\r\n"
                          "%1行目の%2文字目から照合していたところです。"
                          "繰り返しの入れ子（例：(a+)+）などを見直してください。")
        .arg(block.blockNumber() + 1)
        .arg(at - block.position() + 1);
}
