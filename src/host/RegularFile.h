#pragma once

#include <QFile>
#include <QString>

// Opens `path` for reading only when it is a regular file, links followed. A named pipe would
// hold the window until something wrote to it, and a device or a socket need never end; such a
// file is refused at once, without waiting for a writer. False with `error` saying why: the
// system's reason, or the kind of file it is.
bool openRegularFile(QFile& file, const QString& path, QString* error = nullptr);
