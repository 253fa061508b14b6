#include "AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <unistd.h>

#ifndef TAGLOOM_BIN_TO_DATA
#define TAGLOOM_BIN_TO_DATA "../share/tagloom"
#endif

namespace {
const QString kHelpName = QStringLiteral("help.html");
} // namespace

namespace AppFolder {

QString installedDataFolder(const QString& programFolder) {
    return QDir::cleanPath(programFolder + u'/' + QStringLiteral(TAGLOOM_BIN_TO_DATA));
}

bool isInstalledCopy(const QString& programFolder) {
    return !QFileInfo::exists(programFolder + u'/' + kHelpName) &&
           QFileInfo::exists(installedDataFolder(programFolder) + u'/' + kHelpName);
}

bool isWritable(const QString& folder) {
    // access(2) asks for this user exactly: permissions, read-only mounts and root included.
    return !folder.isEmpty() && ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

QString choose(const QString& programFolder, const QString& perUserFolder) {
    if (perUserFolder.isEmpty() || (!isInstalledCopy(programFolder) && isWritable(programFolder)))
        return programFolder;
    // When it cannot be made the writes that follow fail, and each says so as it would anywhere.
    QDir().mkpath(perUserFolder);
    return perUserFolder;
}

QString helpFile(const QString& applicationFolder, const QString& programFolder) {
    const QString beside = applicationFolder + u'/' + kHelpName;
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = installedDataFolder(programFolder) + u'/' + kHelpName;
    return QFileInfo::exists(installed) ? installed : beside;
}

QString current() {
    static const QString folder =
        choose(QCoreApplication::applicationDirPath(),
               QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    return folder;
}

QString currentHelpFile() {
    return helpFile(current(), QCoreApplication::applicationDirPath());
}

} // namespace AppFolder
