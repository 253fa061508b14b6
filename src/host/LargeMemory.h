#pragma once

#include <QByteArray>
#include <QString>

// Large text buffers are touched once, end to end, right after they are taken. Backed by 4 KB
// pages, a buffer of a few hundred megabytes costs tens of thousands of page faults, which on a
// virtual machine take longer than writing the text; huge pages cut that to a few hundred.

// Reserves room for `capacity` characters in the empty `text`. When that is large, the system is
// asked to back it with huge pages, where it offers them.
void reserveLargeText(QString& text, qsizetype capacity);

// The same for bytes.
void reserveLargeBytes(QByteArray& bytes, qsizetype capacity);
