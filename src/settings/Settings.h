#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// The fourteen fields of setting.dat, in memory. Colors stay decimal text until applied.
struct Settings {
    QString StartPage;
    int16_t PreviewUpdate = 0;
    QString EditorForeColor;
    QString EditorBackColor;
    bool StartPageOnWeb = false;
    int16_t BrOnEnter = 0;
    int32_t PreviewInterval = 0;
    int16_t StartMaximized = 0;
    int16_t OpenLastFolder = 0;
    QString LastDocumentPath;
    int32_t PaneSplit = 0;
    int32_t PaneSplitPercent = 0;
    QString EditorFontName;
    int32_t EditorFontSize = 0;
};

inline constexpr int kSettingsFieldCount = 14;
inline constexpr char kSettingsSeparator[] = "[]";
