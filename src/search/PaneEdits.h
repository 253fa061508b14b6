#pragma once

#include <QString>
#include <QStringView>
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

// Makes `edits` in the pane, whose own text is `raw` (U+2029 or LF between lines, positions the
// pane's), as one change of the pane: one step to undo, never a load. `whole`, when given, is
// `raw` with every edit made already, each edit's replacement at its `with` (so `replacements` is
// `whole`): the pane takes it, or a stretch of it, as it is.
void replaceHits(EditBuffer& buffer, QStringView raw, const std::vector<HitEdit>& edits,
                 QStringView replacements, const QString* whole = nullptr);
