#include "HitMarks.h"

#include "PaneRegex.h"
#include "RegexEngine.h"
#include "TextSearch.h"
#include "editor/HtmlHighlighter.h"
#include "editor/SourceView.h"
#include "host/EditBuffer.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>

namespace {

// The pause after the last change before the count runs.
constexpr int kPauseMs = 300;
// One slice of a regular-expression count, and the work a whole count may take.
constexpr auto kSlice = std::chrono::milliseconds(40);
constexpr auto kCountPatience = std::chrono::seconds(3);
// How many edits the marks are carried through before they wait for the next count.
constexpr size_t kMaxEdits = 64;

QString countLabel(size_t hits) {
    return hits == 0 ? QStringLiteral("該当なし") : QStringLiteral("該当：%1件").arg(hits);
}

QString faultLabel() {
    return QStringLiteral("正規表現に誤りがあります");
}

} // namespace

struct HitMarks::Run {
    Run(const Query& query, QString text)
        : subject(std::move(text)), pattern(query.target, query.ignoreCase), matcher(pattern) {}
    QString subject;
    RegexPattern pattern;
    RegexMatcher matcher;
    RegexWalk walk;
    std::vector<Span> hits;
    SteadyClock::duration spent{};
};

HitMarks::HitMarks(EditBuffer& buffer, SourceView* view, QObject* parent)
    : QObject(parent), m_buffer(buffer), m_view(view), m_pause(new QTimer(this)),
      m_slice(new QTimer(this)) {
    m_pause->setSingleShot(true);
    m_pause->setInterval(kPauseMs);
    connect(m_pause, &QTimer::timeout, this, &HitMarks::begin);
    m_slice->setSingleShot(true);
    m_slice->setInterval(0);
    connect(m_slice, &QTimer::timeout, this, &HitMarks::slice);
    connect(buffer.widget()->document(), &QTextDocument::contentsChange, this,
            &HitMarks::onContentsChange);
    if (view) {
        m_highlighter = &view->highlighter();
        m_highlighter->addMarkLayer(this);
    }
}

HitMarks::~HitMarks() {
    if (m_view && m_highlighter)
        m_highlighter->removeMarkLayer(this);
}

void HitMarks::setQuery(const Query& query) {
    if (query == m_query)
        return;
    m_query = query;
    m_run.reset();
    m_slice->stop();
    m_pause->start();
}

bool HitMarks::pending() const {
    return m_pause->isActive() || m_run != nullptr;
}

void HitMarks::countNow() {
    if (m_pause->isActive()) {
        m_pause->stop();
        begin();
    }
    while (m_run)
        slice();
    m_slice->stop();
}

void HitMarks::onContentsChange(int position, int removed, int added) {
    recordEdit({position, removed, added});
    // A count under way reads a text that is no more; the next one waits for the typing to rest.
    m_run.reset();
    m_slice->stop();
    if (!m_query.target.isEmpty())
        m_pause->start();
}

void HitMarks::recordEdit(const Edit& edit) {
    if (m_hits.empty())
        return;
    // A run of typed characters, or of backspaces over them, is one edit.
    if (!m_edits.empty()) {
        Edit& last = m_edits.back();
        if (edit.removed == 0 && edit.position == last.position + last.added) {
            last.added += edit.added;
            return;
        }
        if (edit.added == 0 && last.added >= edit.removed &&
            edit.position + edit.removed == last.position + last.added) {
            last.added -= edit.removed;
            return;
        }
    }
    m_edits.push_back(edit);
    // Edits scattered all over: the marks are dropped until the count that follows the pause.
    if (m_edits.size() > kMaxEdits) {
        m_hits.clear();
        m_edits.clear();
        if (m_highlighter)
            m_highlighter->marksChanged();
    }
}

void HitMarks::begin() {
    ++m_passes;
    m_run.reset();
    if (m_query.target.isEmpty()) {
        publish({}, {}, {});
        return;
    }
    if (!m_query.regex) {
        // Literal hits are found fast enough in one go.
        const QString target = withPaneBreaks(m_query.target);
        const QString raw = m_buffer.rawText();
        const Comparison mode = m_query.ignoreCase ? Comparison::IgnoreCase : Comparison::Exact;
        const std::vector<qsizetype> found = findEvery(raw, target, mode);
        std::vector<Span> hits;
        hits.reserve(found.size());
        for (const qsizetype at : found)
            hits.push_back({int(at), int(at + target.size())});
        const QString label = countLabel(hits.size());
        publish(std::move(hits), label, {});
        return;
    }
    QString subject = m_buffer.rawText();
    toRegexSubject(subject);
    m_run = std::make_unique<Run>(m_query, std::move(subject));
    if (!m_run->pattern.isValid()) {
        const QString detail = badPatternMessage(m_run->pattern);
        m_run.reset();
        publish({}, faultLabel(), detail);
        return;
    }
    slice();
}

void HitMarks::slice() {
    if (!m_run)
        return;
    Run& run = *m_run;
    const auto started = SteadyClock::now();
    const auto deadline =
        started + std::min<SteadyClock::duration>(kSlice, kCountPatience - run.spent);
    MatchStatus status = MatchStatus::Hit;
    while ((status = run.walk.next(run.matcher, run.subject, deadline)) == MatchStatus::Hit)
        run.hits.push_back({int(run.matcher.start()), int(run.matcher.end())});
    run.spent += SteadyClock::now() - started;
    if (status == MatchStatus::Stopped && run.spent < kCountPatience) {
        m_slice->start();
        return;
    }
    const std::unique_ptr<Run> done = std::move(m_run);
    if (status == MatchStatus::Miss) {
        const QString label = countLabel(done->hits.size());
        publish(std::move(done->hits), label, {});
        return;
    }
    const int at = m_buffer.fromWidgetPosition(int(done->matcher.stoppedAt()));
    publish({}, faultLabel(), tooLongMessage(m_buffer, at));
}

void HitMarks::publish(std::vector<Span> hits, const QString& label, const QString& detail) {
    m_hits = std::move(hits);
    m_edits.clear();
    m_label = label;
    m_detail = detail;
    if (m_highlighter)
        m_highlighter->marksChanged();
    emit counted();
}

int HitMarks::toCounted(int position, bool high) const {
    for (auto e = m_edits.rbegin(); e != m_edits.rend(); ++e) {
        if (position >= e->position + e->added)
            position += e->removed - e->added;
        else if (position > e->position)
            position = high ? e->position + e->removed : e->position;
    }
    return position;
}

bool HitMarks::toCurrent(Span& span) const {
    for (const Edit& e : m_edits) {
        if (span.end <= e.position)
            continue;
        if (span.start < e.position + e.removed)
            return false; // the edit went through the hit
        span.start += e.added - e.removed;
        span.end += e.added - e.removed;
    }
    return true;
}

void HitMarks::marksForLine(const QTextBlock& block, QList<QTextLayout::FormatRange>& out) {
    if (m_hits.empty() || !m_view)
        return;
    const int lineStart = block.position();
    const int lineEnd = lineStart + block.length() - 1;
    const int from = toCounted(lineStart, false);
    const int to = toCounted(lineEnd, true);
    // Hits never overlap, so their ends rise with their starts.
    auto hit = std::lower_bound(m_hits.begin(), m_hits.end(), from,
                                [](const Span& s, int at) { return s.end < at; });
    QTextCharFormat mark;
    mark.setBackground(m_view->colors().searchHit);
    for (; hit != m_hits.end() && hit->start <= to; ++hit) {
        Span span = *hit;
        if (!toCurrent(span))
            continue;
        const int start = std::max(span.start, lineStart);
        const int end = std::min(span.end, lineEnd);
        if (end > start)
            out.append({start - lineStart, end - start, mark});
    }
}
