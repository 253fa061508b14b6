#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Large text buffers are touched once, end to end, right after they are taken. Backed by 4 KB
// pages, a buffer of a few hundred megabytes costs tens of thousands of page faults, which on a
// virtual machine take longer than writing the text; huge pages cut that to a few hundred.

// Asks the system to back the untouched memory of `bytes` bytes at `data` with huge pages. Does
// nothing for small buffers or where the system offers no such pages.
void adviseHugePages(void* data, qsizetype bytes);

// Reserves room for `capacity` characters in the empty `text`, backed by huge pages when it is
// large.
void reserveLargeText(QString& text, qsizetype capacity);

// The same for bytes.
void reserveLargeBytes(QByteArray& bytes, qsizetype capacity);

// `text` in UTF-8, built in memory reserved as above.
QByteArray toUtf8Large(QStringView text);
