#pragma once

#include "state/ProgramState.h"

#include <QString>
#include <QStringList>

class EditBuffer;
class Host;
class QMenu;

using UserTagTable = std::array<UserTag, kUserTagRows>;

// The rows before the first empty start tag: rows after it are never counted, whatever they hold.
int userTagCount(const UserTagTable& table);

// One line of tags.dat: start tag, end tag (left out when the tag has none) and name, joined by
// commas. There is no quoting, so a field must hold neither a comma nor a line break.
QString userTagRecord(const QString& start, const QString& end, bool hasEnd, const QString& name);

// The lines of a text, each ended by CR LF, CR or LF; a final line break opens no extra line.
QStringList splitStoreLines(const QString& text);

// The user tag store: tags.dat in the application folder, the table it is read into and the
// registered-tags menu built from the table. Every failure is reported, and the file is never
// replaced by less than it held.
class UserTagStore {
public:
    UserTagStore(UserTagTable& table, Host& host, EditBuffer& buffer, QMenu* mnuUserTAGS);

    UserTagTable& table() const { return m_table; }
    int tagCount() const { return userTagCount(m_table); }
    QString storeFile() const;
    QString scratchFile() const;

    // Appends one record. False (the user has been told) when tags.dat could not be written.
    bool AppendUserTag(const QString& start, const QString& end, bool hasEnd, const QString& name);
    // Reads tags.dat over the table (rows it has no line for keep their text) and rebuilds the
    // menu. A missing file is created empty, with a beep; an unreadable one is left alone.
    void LoadUserTags();
    // Removes line `row` (1 to 100), the record row `row` was read from, with every line equal
    // to it, and reloads. False (the user has been told) when nothing was deleted, for instance
    // because that line no longer reads as the row. The survivors go to tagtemp.dat first,
    // which stays until tags.dat has been replaced from it.
    bool DeleteUserTag(int row);
    // Empties all three columns of every row.
    void clearTable();

    // The click of the registered-tags item `Index`: wraps the selection in the row's tag.
    void mnuUserTAGmnu_Click(int Index);

private:
    void rebuildMenu();
    void reportOnce(bool& told, const QString& message);
    void report(const QString& message);

    UserTagTable& m_table;
    Host& m_host;
    EditBuffer& m_buffer;
    QMenu* m_menu;
    bool m_toldUnreadable = false;
    bool m_toldUncreatable = false;
};
