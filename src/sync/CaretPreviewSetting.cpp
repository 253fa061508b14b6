#include "CaretPreviewSetting.h"

#include <QFile>
#include <QSaveFile>

namespace CaretPreviewSetting {

QString fileName(const QString& applicationFolder) {
    return applicationFolder + QStringLiteral("/caretpreview.dat");
}

bool load(const QString& applicationFolder) {
    QFile file(fileName(applicationFolder));
    if (!file.open(QIODevice::ReadOnly))
        return true;
    return file.readLine(16).trimmed() != "0";
}

bool save(const QString& applicationFolder, bool on) {
    QSaveFile file(fileName(applicationFolder));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(on ? "1\r\n" : "0\r\n");
    return file.commit();
}

} // namespace CaretPreviewSetting
