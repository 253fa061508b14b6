#pragma once

#include <QString>
#include <QStringView>

// The rows of an HTML table built from comma-separated lines. A line ends at CR LF, CR or LF;
// every comma separates two fields (no quoting); a field that begins with "[]" is a header cell
// without those two characters; cell texts are copied as they are. The first field opens
// "<TR>", the last of two or more closes "</TR>" and CR LF, and an empty line adds nothing.

// The most text, in characters, that a table may have: 256 MiB of UTF-16. A bigger table would
// leave the text pane unusable for minutes and the machine short of memory.
inline constexpr qsizetype kMaxTableChars = qsizetype(128) * 1024 * 1024;

// The length of the rows `csv` gives, counted without building them.
qsizetype tableRowsLength(QStringView csv);

// Builds the rows of `csv` into `rows` in one allocation, with `spare` characters of room before
// and after them for the table's frame. False, with `rows` left empty, when the rows would be
// longer than `limit` characters. A failed allocation throws std::bad_alloc.
bool buildTableRows(QStringView csv, qsizetype limit, QString& rows, qsizetype spare = 64);

// The rows as text, with no limit.
QString tableRows(QStringView csv);

// "<TABLE border=" quote border quote ">" CR LF, then the rows, then "</TABLE>" with no line
// break after it.
qsizetype tableFrameLength(const QString& border, const QString& quote);
void frameTable(QString& rows, const QString& border, const QString& quote);
