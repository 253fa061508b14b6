#pragma once

#include <QString>
#include <QStringView>
#include <cstring>
#include <vector>

class EditBuffer;

// One hit of Replace all: the `length` characters at `start` of the pane's text give way to the
// `withLength` characters at `with` of a buffer that holds every hit's replacement. The pane
// counts in int; so does this, which keeps a crowd of hits small.
struct HitEdit {
    int start = 0;
    int length = 0;
    int with = 0;
    int withLength = 0;
};

// `text` with every edit made (ascending, not overlapping).
QString withEditsMade(QStringView text, const std::vector<HitEdit>& edits,
                      QStringView replacements);

// Makes every edit in `text` itself, each edit's `with` being where its replacement begins in the
// new text. The text between the hits moves to its new place first; then `write(edit, at)` fills
// the edit's `withLength` characters at `at`, from anything but `text`, whose hits are gone by
// then. A text of tens of megabytes is so rewritten without a second buffer as large, whose first
// touch costs more than the copying.
template <typename Write>
void makeEditsInPlace(QString& text, const std::vector<HitEdit>& edits, Write write);

// Makes `edits` in the pane, whose own text is `raw` (U+2029 or LF between lines, positions the
// pane's), as one change of the pane: one step to undo, never a load. `whole`, when given, is
// `raw` with every edit made already, each edit's replacement at its `with` (so `replacements` is
// `whole`): the pane takes it, or a stretch of it, as it is, and `raw` is not read.
void replaceHits(EditBuffer& buffer, QStringView raw, const std::vector<HitEdit>& edits,
                 QStringView replacements, const QString* whole = nullptr);

template <typename Write>
void makeEditsInPlace(QString& text, const std::vector<HitEdit>& edits, Write write) {
    if (edits.empty())
        return;
    const qsizetype oldSize = text.size();
    const qsizetype newSize = edits.back().with + edits.back().withLength +
                              (oldSize - edits.back().start - edits.back().length);
    if (newSize > oldSize)
        text.resize(newSize);
    QChar* p = text.data();
    // Stretch i lies before edit i (the last one after every edit) and moves by `shift`.
    const size_t stretches = edits.size() + 1;
    auto from = [&](size_t i) {
        return i == 0 ? 0 : qsizetype(edits[i - 1].start) + edits[i - 1].length;
    };
    auto to = [&](size_t i) { return i < edits.size() ? qsizetype(edits[i].start) : oldSize; };
    auto shift = [&](size_t i) {
        return i == 0 ? 0 : qsizetype(edits[i - 1].with) + edits[i - 1].withLength - from(i);
    };
    auto move = [&](size_t i) {
        if (to(i) > from(i))
            std::memmove(p + from(i) + shift(i), p + from(i),
                         size_t(to(i) - from(i)) * sizeof(QChar));
    };
    // Those moving on go from the last, those moving back from the first: no stretch lands on
    // one that has not moved yet.
    for (size_t i = stretches; i-- > 0;)
        if (shift(i) > 0)
            move(i);
    for (size_t i = 0; i < stretches; ++i)
        if (shift(i) < 0)
            move(i);
    for (const HitEdit& e : edits)
        write(e, p + e.with);
    if (newSize < oldSize)
        text.truncate(newSize);
}
