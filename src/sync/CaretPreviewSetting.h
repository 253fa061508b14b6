#pragma once

#include <QString>

// Whether the caret is shown in the preview, remembered between runs in a small file of its own
// in the application folder ("1" or "0" and a line break), so setting.dat keeps its fields.
namespace CaretPreviewSetting {

QString fileName(const QString& applicationFolder);
// On unless the file says "0"; a missing or unreadable file leaves it on.
bool load(const QString& applicationFolder);
// False when the file could not be written.
bool save(const QString& applicationFolder, bool on);

} // namespace CaretPreviewSetting
