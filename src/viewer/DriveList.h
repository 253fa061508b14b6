#pragma once

#include <QList>
#include <QString>

// The machine's "drives": its mounted volumes, named by mount point and volume name.
struct DriveEntry {
    QString rootPath;
    QString caption;
};

QList<DriveEntry> mountedDrives();
// The index of the drive holding `folder` (the longest mount point above it), or -1.
int driveIndexOf(const QList<DriveEntry>& drives, const QString& folder);
// Whether `path` is `folder` itself or lies somewhere below it.
bool isInsideFolder(const QString& path, const QString& folder);
