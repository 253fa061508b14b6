#include "DriveList.h"

#include <QStorageInfo>

QList<DriveEntry> mountedDrives() {
    QList<DriveEntry> drives;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid())
            continue;
        const QString name = v.name();
        const QString caption =
            name.isEmpty() ? v.rootPath() : v.rootPath() + QStringLiteral("  [") + name + ']';
        drives.push_back({v.rootPath(), caption});
    }
    std::sort(drives.begin(), drives.end(),
              [](const DriveEntry& a, const DriveEntry& b) { return a.rootPath < b.rootPath; });
    return drives;
}

bool isInsideFolder(const QString& path, const QString& folder) {
    if (path == folder)
        return true;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.startsWith(prefix);
}

int driveIndexOf(const QList<DriveEntry>& drives, const QString& folder) {
    int best = -1;
    for (int i = 0; i < drives.size(); ++i) {
        if (isInsideFolder(folder, drives[i].rootPath) &&
            (best < 0 || drives[i].rootPath.size() > drives[best].rootPath.size()))
            best = i;
    }
    return best;
}
