// The page check. HTML Tidy over any text never crashes and always finishes; every row it gives
// lies inside the text, on the line it names, with its column counted from that line's start,
// and the rows come in the order of their positions.
#include "FuzzSupport.h"
#include "check/PageCheck.h"

#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// Where each line starts, a line ending at U+2029, LF, CR LF or a lone CR.
std::vector<int> lineStarts(const QString& raw) {
    std::vector<int> starts{0};
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c == QChar::ParagraphSeparator || c == u'\n' ||
            (c == u'\r' && (i + 1 >= raw.size() || raw.at(i + 1) != u'\n')))
            starts.push_back(int(i + 1));
    }
    return starts;
}

QString describe(const PageProblem& p) {
    return u"%1 at line %2 column %3, %4..%5"_s.arg(p.key)
        .arg(p.line)
        .arg(p.column)
        .arg(p.start)
        .arg(p.end);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    // The pane gives its lines apart with U+2029; a pasted text may still hold LF and CR.
    const bool paneBreaks = in.flag();
    QString raw = fuzz::textOf(in.rest());
    if (paneBreaks)
        raw.replace(u'\n', QChar::ParagraphSeparator);

    const PageCheckResult result = checkPage(raw);
    FUZZ_CHECK(!result.cancelled);
    FUZZ_CHECK(result.problems.size() <= kMaxProblems);
    FUZZ_CHECK(result.reported >= result.problems.size());
    if (result.problems.size() == 1 && result.problems[0].key == QLatin1String(kCheckFailedKey))
        return 0;

    const std::vector<int> starts = lineStarts(raw);
    const int n = int(raw.size());
    int previous = 0;
    for (const PageProblem& p : result.problems) {
        // Spelled out only when a check fails: the text runs to kilobytes and a page to many rows.
        const auto where = [&] { return describe(p) + u" in "_s + fuzz::shown(raw); };
        FUZZ_CHECK(p.line >= 1 && p.line <= int(starts.size()), where());
        const int lineStart = starts[size_t(p.line - 1)];
        const int lineEnd = p.line < int(starts.size()) ? starts[size_t(p.line)] - 1 : n;
        FUZZ_CHECK(0 <= p.start && p.start <= p.end && p.end <= n, where());
        FUZZ_CHECK(lineStart <= p.start && p.start <= lineEnd, where());
        // At a line's end the row marks the character before: its column is one further on.
        const int offset = p.column - 1 - (p.start - lineStart);
        FUZZ_CHECK(offset == 0 || offset == 1, where());
        FUZZ_CHECK(p.start >= previous, where());
        FUZZ_CHECK(!p.key.isEmpty() && !p.text.isEmpty(), where());
        previous = p.start;
    }
    return 0;
}
