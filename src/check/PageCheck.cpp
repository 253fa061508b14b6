#include "PageCheck.h"

#include "ProblemTexts.h"
#include "TidyArena.h"

#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>

#include <QByteArray>
#include <algorithm>
#include <mutex>
#include <new>
#include <vector>

namespace {

// A run may use this much memory beyond a multiple of the page's bytes, and this long.
constexpr std::size_t kBudgetBase = 256u << 20;
constexpr std::size_t kBudgetPerByte = 48;
constexpr std::int64_t kBudgetNs = 60'000'000'000;
// How far a mark looks for the end of the tag it starts on.
constexpr int kMaxTagLength = 2000;

struct Message {
    int line;
    int column;
    bool error;
    QString key;
    QString text;
};

struct Collector {
    TidyArena* arena;
    std::vector<Message> messages;
    int reported = 0;
};

QString argumentText(TidyMessage m, TidyMessageArgument* arg) {
    switch (tidyGetArgType(m, arg)) {
    case tidyFormatType_STRING:
        return QString::fromUtf8(tidyGetArgValueString(m, arg));
    case tidyFormatType_UINT:
        return QString::number(tidyGetArgValueUInt(m, arg));
    case tidyFormatType_INT:
        return QString::number(tidyGetArgValueInt(m, arg));
    case tidyFormatType_DOUBLE:
        return QString::number(tidyGetArgValueDouble(m, arg));
    default:
        return QString();
    }
}

Bool TIDY_CALL onMessage(TidyMessage m) {
    auto* c = static_cast<Collector*>(tidyGetAppData(tidyGetMessageDoc(m)));
    const TidyReportLevel level = tidyGetMessageLevel(m);
    const bool error = level == TidyError || level == TidyBadDocument || level == TidyFatal;
    const bool warning = level == TidyWarning || level == TidyAccess;
    if (!error && !warning)
        return no;
    ++c->reported;
    if (int(c->messages.size()) >= kMaxProblems)
        return no;
    c->arena->holdEscape = true;
    try {
        QStringList args;
        for (TidyIterator it = tidyGetMessageArguments(m); it;) {
            TidyMessageArgument arg = tidyGetNextMessageArgument(m, &it);
            args.append(argumentText(m, &arg));
        }
        const QString key = QString::fromLatin1(tidyGetMessageKey(m));
        const QString english = QString::fromUtf8(tidyGetMessageDefault(m));
        c->messages.push_back({tidyGetMessageLine(m), tidyGetMessageColumn(m), error, key,
                               ProblemTexts::text(key, args, english)});
    } catch (const std::bad_alloc&) {
        // The row is lost; the count still says it was there.
    }
    c->arena->holdEscape = false;
    return no; // nothing goes to Tidy's own report
}

void TIDY_CALL discardByte(void*, byte) {}

// Tidy's settings, all of them here: the page's own doctype decides what is allowed.
void configure(TidyDoc doc, Collector& collector, TidyOutputSink& nowhere) {
    tidySetAppData(doc, &collector);
    tidySetMessageCallback(doc, onMessage);
    tidyInitSink(&nowhere, nullptr, discardByte);
    tidySetErrorSink(doc, &nowhere);
    tidySetInCharEncoding(doc, "utf8");
    tidyOptSetValue(doc, TidyDoctype, "auto");
    tidyOptSetBool(doc, TidyShowWarnings, yes);
    tidyOptSetBool(doc, TidyShowInfo, no);
    tidyOptSetBool(doc, TidyQuiet, yes);
    tidyOptSetBool(doc, TidyWarnPropAttrs, yes);
    tidyOptSetInt(doc, TidyShowErrors, 1u << 30);
    tidyOptSetInt(doc, TidyAccessibilityCheckLevel, 0);
    tidyOptSetValue(doc, TidyUseCustomTags, "no");
    // A tab counts one column, as it does in the pane.
    tidyOptSetInt(doc, TidyTabSize, 1);
}

// Runs Tidy over `bytes`; 0 or more when it ran, below 0 when Tidy refused the page, and the
// arena's reason set when the run was left half-way.
int runTidy(TidyArena& arena, const QByteArray& bytes, Collector& collector) {
    TidyOutputSink nowhere;
    TidyBuffer input;
    if (setjmp(arena.escape) != 0)
        return -1;
    TidyDoc doc = tidyCreateWithAllocator(arena.allocator());
    configure(doc, collector, nowhere);
    tidyBufInitWithAllocator(&input, arena.allocator());
    tidyBufAttach(&input, reinterpret_cast<byte*>(const_cast<char*>(bytes.constData())),
                  uint(bytes.size()));
    int rc = tidyParseBuffer(doc, &input);
    // Some problems (elements and attributes the doctype does not have) are found only when
    // Tidy goes over the tree it built; its cleaned document is never written out.
    if (rc >= 0) {
        const int cleaned = tidyCleanAndRepair(doc);
        rc = cleaned < 0 ? cleaned : std::max(rc, cleaned);
    }
    tidyBufDetach(&input);
    tidyRelease(doc);
    return rc;
}

// The pane's raw text in UTF-8 with LF between lines. A lone surrogate becomes U+FFFD, so
// every character still counts one column.
QByteArray utf8ForChecker(const QString& raw) {
    QByteArray out;
    out.reserve(raw.size() + raw.size() / 2 + 16);
    const char16_t* p = reinterpret_cast<const char16_t*>(raw.constData());
    const qsizetype n = raw.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = p[i];
        if (c == 0x2029) {
            out.append('\n');
            continue;
        }
        if (c < 0x80) {
            out.append(char(c));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (p[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x800) {
            out.append(char(0xC0 | (c >> 6)));
        } else if (c < 0x10000) {
            out.append(char(0xE0 | (c >> 12)));
            out.append(char(0x80 | ((c >> 6) & 0x3F)));
        } else {
            out.append(char(0xF0 | (c >> 18)));
            out.append(char(0x80 | ((c >> 12) & 0x3F)));
            out.append(char(0x80 | ((c >> 6) & 0x3F)));
        }
        out.append(char(0x80 | (c & 0x3F)));
    }
    return out;
}

// Characters Tidy's reader drops without counting a column: the controls other than tab and
// escape.
bool droppedByChecker(QChar c) {
    return c.unicode() < 0x20 && c != u'\t' && c.unicode() != 0x1B;
}

bool isLineBreak(QChar c) {
    return c == QChar::ParagraphSeparator || c == u'\n' || c == u'\r';
}

// Where each line starts, counted as Tidy counts lines (CR LF, CR and LF each end one).
std::vector<int> lineStarts(const QString& raw) {
    std::vector<int> starts{0};
    const qsizetype n = raw.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = raw.at(i);
        if (c == QChar::ParagraphSeparator || c == u'\n' ||
            (c == u'\r' && (i + 1 >= n || raw.at(i + 1) != u'\n')))
            starts.push_back(int(i + 1));
    }
    return starts;
}

// The end of what a problem at `start` is about: through the '>' of a tag that starts there,
// else to the end of the word (an entity ends at its ';').
int extentEnd(const QString& raw, int start, int lineEnd) {
    const int n = int(raw.size());
    if (start >= n)
        return start;
    if (raw.at(start) == u'<') {
        const int limit = std::min(n, start + kMaxTagLength);
        for (int i = start + 1; i < limit; ++i)
            if (raw.at(i) == u'>')
                return i + 1;
        return std::max(lineEnd, start + 1);
    }
    int i = start;
    while (i < lineEnd) {
        const QChar c = raw.at(i);
        if (c.isSpace() || (c == u'<' && i > start))
            break;
        ++i;
        if (c == u';')
            break;
    }
    return std::max(i, std::min(start + 1, lineEnd));
}

PageProblem failureRow(const QString& why) {
    PageProblem p;
    p.severity = PageProblem::Severity::Error;
    p.key = QString::fromLatin1(kCheckFailedKey);
    p.text = QStringLiteral("このページは検査できませんでした（%1）").arg(why);
    return p;
}

PageCheckResult failed(const QString& why) {
    PageCheckResult r;
    r.problems.append(failureRow(why));
    r.reported = 1;
    return r;
}

// Places the messages, in Tidy's line and column, in the raw text.
QList<PageProblem> placeMessages(const QString& raw, std::vector<Message>& messages) {
    std::stable_sort(messages.begin(), messages.end(), [](const Message& a, const Message& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    const std::vector<int> starts = lineStarts(raw);
    const int n = int(raw.size());
    QList<PageProblem> out;
    out.reserve(qsizetype(messages.size()));
    // Messages on one line are walked to in one pass along it.
    int walkLine = -1, walkPos = 0, walkColumn = 1;
    for (const Message& m : messages) {
        const int line = std::clamp(m.line, 1, int(starts.size()));
        const int lineStart = starts[size_t(line - 1)];
        int lineEnd = line < int(starts.size()) ? starts[size_t(line)] - 1 : n;
        if (lineEnd > lineStart && raw.at(lineEnd - 1) == u'\r')
            --lineEnd;
        const int column = std::max(m.line < 1 ? 1 : m.column, 1);
        if (line != walkLine || column < walkColumn) {
            walkLine = line;
            walkPos = lineStart;
            walkColumn = 1;
            // A byte order mark at the very start is read past, not counted.
            if (walkPos == 0 && n > 0 && raw.at(0) == QChar(0xFEFF))
                walkPos = 1;
        }
        while (walkColumn < column && walkPos < lineEnd) {
            const QChar c = raw.at(walkPos);
            if (droppedByChecker(c)) {
                ++walkPos;
                continue;
            }
            walkPos += (c.isHighSurrogate() && walkPos + 1 < lineEnd &&
                        raw.at(walkPos + 1).isLowSurrogate())
                           ? 2
                           : 1;
            ++walkColumn;
        }
        int pos = walkPos;
        while (pos < lineEnd && droppedByChecker(raw.at(pos)))
            ++pos;
        PageProblem p;
        p.severity = m.error ? PageProblem::Severity::Error : PageProblem::Severity::Warning;
        p.line = line;
        p.column = pos - lineStart + 1;
        p.start = pos;
        p.end = extentEnd(raw, pos, lineEnd);
        if (p.end == p.start && pos > lineStart && !isLineBreak(raw.at(pos - 1)))
            p.start = pos - 1; // at the end of a line: mark its last character
        p.key = m.key;
        p.text = m.text;
        out.append(std::move(p));
    }
    return out;
}

} // namespace

PageCheckResult checkPage(const QString& rawText, const std::atomic<bool>* cancel) {
    // Naming the language keeps Tidy from reading the environment and setting the process's
    // locale when a document is created; its English texts are the fallback either way.
    static std::once_flag language;
    std::call_once(language, [] { tidySetLanguage("en"); });
    try {
        const int depth = estimatedNestingDepth(rawText);
        if (depth > kMaxCheckedDepth)
            return failed(QStringLiteral("要素の入れ子が深すぎます：%1 段").arg(depth));
        const QByteArray bytes = utf8ForChecker(rawText);
        if (bytes.size() > (1 << 30))
            return failed(QStringLiteral("ページが大きすぎます"));
        TidyArena arena(kBudgetBase + kBudgetPerByte * std::size_t(bytes.size()), kBudgetNs,
                        cancel);
        Collector collector{&arena, {}, 0};
        const int rc = runTidy(arena, bytes, collector);
        arena.releaseAll();
        switch (arena.reason) {
        case TidyArena::Escape::Cancelled: {
            PageCheckResult r;
            r.cancelled = true;
            return r;
        }
        case TidyArena::Escape::OutOfBudget:
        case TidyArena::Escape::TidyPanic:
            return failed(QStringLiteral("検査に使えるメモリを超えました"));
        case TidyArena::Escape::OutOfTime:
            return failed(QStringLiteral("検査に時間がかかりすぎます"));
        case TidyArena::Escape::None:
            break;
        }
        if (rc < 0)
            return failed(QStringLiteral("HTML Tidy が %1 を返しました").arg(rc));
        PageCheckResult r;
        r.problems = placeMessages(rawText, collector.messages);
        r.reported = collector.reported;
        return r;
    } catch (const std::bad_alloc&) {
        return failed(QStringLiteral("検査に使えるメモリを超えました"));
    }
}
