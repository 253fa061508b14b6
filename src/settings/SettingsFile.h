#pragma once

#include "Settings.h"

class Host;

// setting.dat: one line of fourteen fields joined by "[]", in the application folder.
namespace SettingsFile {

QString fileName(const QString& applicationFolder);
// True when `value` holds neither the separator nor a line break, which would cut the line.
bool fitsOneField(const QString& value);
// The line written when the file is missing. An application folder that is not fitsOneField is
// left out of field 9, which is then empty.
QString defaultLine(const QString& applicationFolder);

// Fills every field from the line. A field that is missing, a number outside its range or a
// color that is not a color number takes that field's default; nothing is reported.
Settings parseLine(const QString& line, const QString& applicationFolder);

// Joins fourteen field values. nullopt when there are not fourteen or a value holds the
// separator, which would shift every later field.
std::optional<QString> composeLine(const QStringList& fields);

// The fields of a settings record, in file order.
QStringList fieldsOf(const Settings& settings);

} // namespace SettingsFile

// LoadSettings with a line writes it as the whole file (atomically) and reads nothing; it
// refuses, returning false, a line that is not fourteen fields. LoadSettings("") reads the file
// into `settings`, first creating it with the default line when it is missing; `firstRun` tells
// whether it was created by this call.
bool LoadSettings(const QString& line, Settings& settings, bool& firstRun,
                  const QString& applicationFolder);
