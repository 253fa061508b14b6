#include "SettingsFile.h"

#include "host/TextFile.h"
#include "settings/WholeNumber.h"

#include <QFileInfo>
#include <cstdint>
#include <limits>

namespace {

bool isColorNumber(const QString& text) {
    if (text.isEmpty() || text.size() > 8)
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return text.toLongLong() <= 16777215;
}

template <typename T> T readWhole(const QStringList& fields, int index, T fallback) {
    if (index >= fields.size())
        return fallback;
    const auto value =
        wholeNumber(fields[index], std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
    return value ? static_cast<T>(*value) : fallback;
}

QString readText(const QStringList& fields, int index, const QString& fallback) {
    return index < fields.size() ? fields[index] : fallback;
}

QString readColor(const QStringList& fields, int index, const QString& fallback) {
    const QString text = readText(fields, index, fallback);
    return isColorNumber(text) ? text : fallback;
}

QString firstLine(const QString& text) {
    qsizetype end = 0;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
        ++end;
    return text.left(end);
}

} // namespace

namespace SettingsFile {

QString fileName(const QString& applicationFolder) {
    return applicationFolder + QStringLiteral("/setting.dat");
}

bool fitsOneField(const QString& value) {
    return !value.contains(QLatin1String(kSettingsSeparator)) && !value.contains(u'\r') &&
           !value.contains(u'\n');
}

QString defaultLine(const QString& applicationFolder) {
    // A folder that cannot be one field is left out, as if none had been remembered; written in,
    // it would shift every later field for good.
    const QString lastPath = fitsOneField(applicationFolder) ? applicationFolder : QString();
    return QStringLiteral("[]0[]0[]16777215[]0[]0[]0[]0[]0[]") + lastPath +
           QStringLiteral("[]0[]50") + QStringLiteral("[]初期設定[]0");
}

Settings parseLine(const QString& line, const QString& applicationFolder) {
    const QStringList f = line.split(QLatin1String(kSettingsSeparator));
    Settings s;
    s.StartPage = readText(f, 0, QString());
    s.PreviewUpdate = readWhole<int16_t>(f, 1, 0);
    s.EditorForeColor = readColor(f, 2, QStringLiteral("0"));
    s.EditorBackColor = readColor(f, 3, QStringLiteral("16777215"));
    s.StartPageOnWeb = f.size() > 4 && leadingNumber(f[4]) != 0;
    s.BrOnEnter = readWhole<int16_t>(f, 5, 0);
    s.PreviewInterval = readWhole<int32_t>(f, 6, 0);
    s.StartMaximized = readWhole<int16_t>(f, 7, 0);
    s.OpenLastFolder = readWhole<int16_t>(f, 8, 0);
    s.LastDocumentPath = readText(f, 9, applicationFolder);
    s.PaneSplit = readWhole<int32_t>(f, 10, 0);
    s.PaneSplitPercent = readWhole<int32_t>(f, 11, 50);
    s.EditorFontName = readText(f, 12, QStringLiteral("初期設定"));
    s.EditorFontSize = readWhole<int32_t>(f, 13, 0);
    return s;
}

std::optional<QString> composeLine(const QStringList& fields) {
    if (fields.size() != kSettingsFieldCount)
        return std::nullopt;
    for (const QString& field : fields)
        if (!fitsOneField(field))
            return std::nullopt;
    return fields.join(QLatin1String(kSettingsSeparator));
}

QStringList fieldsOf(const Settings& s) {
    return {s.StartPage,
            QString::number(s.PreviewUpdate),
            s.EditorForeColor,
            s.EditorBackColor,
            s.StartPageOnWeb ? QStringLiteral("-1") : QStringLiteral("0"),
            QString::number(s.BrOnEnter),
            QString::number(s.PreviewInterval),
            QString::number(s.StartMaximized),
            QString::number(s.OpenLastFolder),
            s.LastDocumentPath,
            QString::number(s.PaneSplit),
            QString::number(s.PaneSplitPercent),
            s.EditorFontName,
            QString::number(s.EditorFontSize)};
}

} // namespace SettingsFile

bool LoadSettings(const QString& line, Settings& settings, bool& firstRun,
                  const QString& applicationFolder) {
    const QString path = SettingsFile::fileName(applicationFolder);
    if (!line.isEmpty()) {
        // A line that does not split back into fourteen fields would corrupt every later field.
        if (line.split(QLatin1String(kSettingsSeparator)).size() != kSettingsFieldCount ||
            line.contains(u'\r') || line.contains(u'\n'))
            return false;
        return writeInternalFile(path, line + QStringLiteral("\r\n"));
    }
    firstRun = false;
    if (!QFileInfo::exists(path)) {
        writeInternalFile(path,
                          SettingsFile::defaultLine(applicationFolder) + QStringLiteral("\r\n"));
        firstRun = true;
    }
    const std::optional<QString> text = readInternalFile(path);
    settings = SettingsFile::parseLine(firstLine(text.value_or(QString())), applicationFolder);
    return true;
}
