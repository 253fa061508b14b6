#pragma once

#include <QList>
#include <QString>
#include <atomic>

// One problem the checker found in a page.
struct PageProblem {
    enum class Severity { Error, Warning };

    Severity severity = Severity::Warning;
    // Where it is, as the list shows it: the line and the column (both from 1; the column in the
    // pane's characters from the start of the line).
    int line = 1;
    int column = 1;
    // The same place in the pane's own positions (one character per line break), and the end of
    // the tag it concerns, exclusive. The marks and the caret take these.
    int start = 0;
    int end = 0;
    // The checker's message key ("MISSING_ENDTAG_BEFORE"), and the text shown: Japanese where we
    // have a wording, the checker's English otherwise.
    QString key;
    QString text;
};

struct PageCheckResult {
    // Sorted by position.
    QList<PageProblem> problems;
    // How many the checker reported in all; more than problems.size() when the list was cut.
    int reported = 0;
    // The check was called off before it finished: nothing in it is worth showing.
    bool cancelled = false;
};

// The key of the one row a page gets when it cannot be checked.
inline constexpr char kCheckFailedKey[] = "TAGLOOM_CHECK_FAILED";
// At most this many problems are kept; a page with more reports the rest only as a number.
inline constexpr int kMaxProblems = 5000;
// Pages nested deeper than this are not given to the checker, whose work grows with the square of
// the depth and whose stack it could exhaust.
inline constexpr int kMaxCheckedDepth = 4000;

// Checks the page held by `rawText`, the pane's raw text (U+2029 between lines), with HTML Tidy
// under a configuration fixed here (no configuration file is read). The text is only read; Tidy's
// cleaned document is never written out. Safe to call on any thread, one check at a time. A page
// the checker cannot read, or that would take it past its memory or time, gives one error row
// saying so. Setting `*cancel` stops a running check soon after.
PageCheckResult checkPage(const QString& rawText, const std::atomic<bool>* cancel = nullptr);

// How deeply the page's elements nest, as far as a quick reading of its tags tells: end tags pop
// to their start tag, elements whose end tag may be left out and empty elements do not count.
int estimatedNestingDepth(const QString& rawText);
