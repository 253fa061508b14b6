#pragma once

#include <QString>
#include <QStringView>
#include <vector>

// Literal search and replacement in the document text. Letters compare either by their exact
// codes or case-insensitively by Unicode simple case folding, which takes in full-width Latin
// letters and leaves kana alone; a folded letter keeps its length, so a hit is always as long
// as the target.
enum class Comparison { Exact = 0, IgnoreCase = 1 };

// The first occurrence of `target` that begins at `from` or later, or -1. An empty target is
// never found.
qsizetype findText(QStringView text, QStringView target, qsizetype from, Comparison mode);

// Where every occurrence of `target` begins, in one pass from left to right; occurrences never
// overlap.
std::vector<qsizetype> findEvery(QStringView text, QStringView target, Comparison mode);

// `text` with `replacement` in place of the `targetLength` characters at each of `hits`
// (ascending, not overlapping).
QString withHitsReplaced(QStringView text, const std::vector<qsizetype>& hits,
                         qsizetype targetLength, QStringView replacement);

// Every occurrence replaced in one pass from left to right: occurrences never overlap and the
// inserted replacements are not scanned again.
QString replaceEvery(QStringView text, QStringView target, QStringView replacement,
                     Comparison mode);

// Every line break of `text` (CR LF, CR, LF or the pane's own separator) written as CR LF.
QString withCrLfBreaks(QStringView text);
// Every line break of `text` written as the pane's own separator (U+2029), as in the raw text
// of the text pane.
QString withPaneBreaks(QStringView text);
