#pragma once

#include <QString>

// Where the program keeps setting.dat, tags.dat and its scratch files, and where it finds its
// help page.
//
// A program run from its own writable folder (the build folder, a copied folder) keeps its
// files beside itself. An installed copy (its help page in share/tagloom/, none beside it) and
// a program whose folder this user cannot write use the user's own data folder instead, so
// that two users of one copy keep their own files and nothing is written into bin/.
namespace AppFolder {

// The installed data folder (…/share/tagloom) seen from the program's folder.
QString installedDataFolder(const QString& programFolder);
// True when the program is an installed copy: its help page lies in the installed data folder
// and not beside it.
bool isInstalledCopy(const QString& programFolder);
// True when this user (by their real ids, as access(2) decides) may create files in `folder`.
bool isWritable(const QString& folder);

// The program's folder when the program runs from there (or no per-user folder is known), else
// `perUserFolder`, created.
QString choose(const QString& programFolder, const QString& perUserFolder);
// help.html in the application folder when present, else the installed one; when neither
// exists, the application folder's (so that the page that says so names a sensible file).
QString helpFile(const QString& applicationFolder, const QString& programFolder);

// The running program's application folder (decided once) and help file.
QString current();
QString currentHelpFile();

} // namespace AppFolder
