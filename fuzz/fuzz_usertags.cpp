// tags.dat. Whatever bytes the store holds, loading it fills at most the table's 100 rows by the
// store's rules, clears no row it has no line for, leaves the file as it was and builds a menu
// of exactly the counted names; a record appended to the store comes back on the next load,
// every earlier line kept; a deletion removes the chosen row's own line and every line equal
// to it, and nothing else.
#include "FuzzSupport.h"
#include "host/EditBuffer.h"
#include "host/TextFile.h"
#include "support/FakeHost.h"
#include "tags/HtmlMenu.h"
#include "usertags/UserTagMenu.h"
#include "usertags/UserTagStore.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Bench {
    Bench() : buffer(&edit), host(fuzz::scratchFolder()) {
        buildHtmlMenu(&html);
        menu = html.findChild<QMenu*>(QStringLiteral("mnuUserTAGS"));
        store = std::make_unique<UserTagStore>(table, host, buffer, menu);
    }
    QString file(const QString& name = QStringLiteral("tags.dat")) const {
        return fuzz::scratchFolder() + u'/' + name;
    }

    QPlainTextEdit edit;
    EditBuffer buffer;
    FakeHost host;
    UserTagTable table{};
    QMenu html;
    QMenu* menu = nullptr;
    std::unique_ptr<UserTagStore> store;
};

Bench& bench() {
    static Bench* b = new Bench; // lives as long as the process
    return *b;
}

// The store's lines as the store's rules read them: a line ends at CR LF, CR or LF, and a final
// break opens no further line. nullopt when the bytes cannot be read as the store's encodings.
std::optional<QStringList> storeLines(const QString& path) {
    const std::optional<QString> text = readInternalFile(path);
    if (!text)
        return std::nullopt;
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text->size(); ++i) {
        const QChar c = text->at(i);
        if (c == u'\r' || c == u'\n') {
            lines << line;
            line.clear();
            if (c == u'\r' && i + 1 < text->size() && text->at(i + 1) == u'\n')
                ++i;
        } else {
            line.append(c);
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

// The table after loading `lines` over `before`: the k-th line sets the columns its fields reach.
UserTagTable loadedOver(const UserTagTable& before, const QStringList& lines) {
    UserTagTable table = before;
    for (int k = 0; k < std::min<int>(int(lines.size()), kUserTagRows); ++k) {
        if (lines[k].isEmpty())
            continue;
        const QStringList fields = lines[k].split(u',');
        table[k].StartTag = fields[0];
        if (fields.size() > 1)
            table[k].EndTag = fields[1];
        if (fields.size() > 2)
            table[k].Name = fields[2];
    }
    return table;
}

QString described(const UserTagTable& table) {
    QString out;
    for (int k = 0; k < kUserTagRows; ++k)
        if (!table[k].StartTag.isEmpty() || !table[k].EndTag.isEmpty() || !table[k].Name.isEmpty())
            out += QStringLiteral("%1: %2,%3,%4\n")
                       .arg(k + 1)
                       .arg(fuzz::shown(table[k].StartTag), fuzz::shown(table[k].EndTag),
                            fuzz::shown(table[k].Name));
    return out;
}

bool sameTable(const UserTagTable& a, const UserTagTable& b) {
    for (int k = 0; k < kUserTagRows; ++k)
        if (a[k].StartTag != b[k].StartTag || a[k].EndTag != b[k].EndTag || a[k].Name != b[k].Name)
            return false;
    return true;
}

// The menu shows the counted rows' names, enabled, or the one greyed "no tags" item.
void menuShowsTheTable(Bench& b) {
    QStringList captions;
    int items = 0;
    bool enabled = true;
    for (QAction* action : b.menu->actions()) {
        if (action->objectName() != QStringLiteral("mnuUserTAGmnu"))
            continue;
        ++items;
        if (action->isVisible()) {
            captions << action->text();
            enabled = enabled && action->isEnabled();
        }
    }
    const int count = userTagCount(b.table);
    FUZZ_CHECK(items <= std::max(count, 2));
    if (count == 0) {
        FUZZ_CHECK(captions == QStringList{QStringLiteral("タグが登録されていません")});
        return;
    }
    QStringList names;
    for (int k = 0; k < count; ++k)
        names << b.table[k].Name;
    FUZZ_CHECK(captions == names && enabled, fuzz::shown(captions.join(u'|')));
}

// Loads the store over the table as it stands and checks the outcome.
void loadChecked(Bench& b) {
    const UserTagTable before = b.table;
    const QByteArray bytes = fuzz::readFile(b.file());
    const std::optional<QStringList> lines = storeLines(b.file());
    b.store->LoadUserTags();
    FUZZ_CHECK(fuzz::readFile(b.file()) == bytes, fuzz::shown(bytes));
    const UserTagTable expected = lines ? loadedOver(before, *lines) : before;
    FUZZ_CHECK(sameTable(b.table, expected),
               u"loaded:\n"_s + described(b.table) + u"expected:\n"_s + described(expected));
    menuShowsTheTable(b);
}

bool writable(const QString& field) {
    return !field.contains(u',') && !field.contains(u'\r') && !field.contains(u'\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bench& b = bench();
    b.host.clear();
    fuzz::Input in(data, size);

    // A table that already holds rows, as after earlier loads.
    const uint32_t filled = in.number(kUserTagRows);
    b.store->clearTable();
    for (uint32_t k = 0; k < filled; ++k)
        b.table[k] = {QStringLiteral("<P%1>").arg(k), QStringLiteral("</P%1>").arg(k),
                      QStringLiteral("前%1").arg(k)};
    const bool hasEnd = in.flag();
    const int deleteRow = int(in.number(kUserTagRows - 1)) + 1;
    const QString start = fuzz::textOf(in.until('\0'));
    const QString end = fuzz::textOf(in.until('\0'));
    const QString name = fuzz::textOf(in.until('\0'));
    fuzz::writeFile(b.file(), in.rest());

    loadChecked(b);

    // Appending, as the registration dialog does with what it accepts, then loading afresh.
    if (writable(start) && writable(end) && writable(name)) {
        const QByteArray before = fuzz::readFile(b.file());
        const std::optional<QStringList> lines = storeLines(b.file());
        if (b.store->AppendUserTag(start, end, hasEnd, name)) {
            const std::optional<QStringList> after = storeLines(b.file());
            FUZZ_CHECK(lines && after);
            const QString record = userTagRecord(start, end, hasEnd, name);
            FUZZ_CHECK(*after == *lines + QStringList{record},
                       u"before: "_s + fuzz::shown(lines->join(u'|')) + u"\nbytes: "_s +
                           fuzz::shown(before) + u"\nafter: "_s + fuzz::shown(after->join(u'|')) +
                           u"\nbytes: "_s + fuzz::shown(fuzz::readFile(b.file())) +
                           u"\nrecord: "_s + fuzz::shown(record));
            b.store->clearTable();
            loadChecked(b);
            if (lines->size() < kUserTagRows) {
                const UserTag& row = b.table[size_t(lines->size())];
                FUZZ_CHECK(row.StartTag == start && row.EndTag == (hasEnd ? end : QString()) &&
                               row.Name == name,
                           described(b.table));
            }
        } else {
            FUZZ_CHECK(fuzz::readFile(b.file()) == before);
            FUZZ_CHECK(b.host.count(QStringLiteral("msgbox")) > 0);
        }
    }

    // Deleting a row: its line and every line equal to it go, every other stays in its order.
    const std::optional<QStringList> lines = storeLines(b.file());
    const UserTag tag = b.table[size_t(deleteRow - 1)];
    const QByteArray before = fuzz::readFile(b.file());
    if (b.store->DeleteUserTag(deleteRow)) {
        // Row N was read from line N: that line is the one chosen, whatever its shape.
        FUZZ_CHECK(lines.has_value() && deleteRow <= lines->size());
        QStringList kept = *lines;
        const QString key = kept[deleteRow - 1];
        const QStringList fields = key.split(u',');
        FUZZ_CHECK(fields[0] == tag.StartTag && (fields.size() < 2 || fields[1] == tag.EndTag) &&
                       (fields.size() < 3 || fields[2] == tag.Name),
                   u"line: "_s + fuzz::shown(key));
        kept.removeAll(key);
        const std::optional<QStringList> after = storeLines(b.file());
        FUZZ_CHECK(after == kept, u"kept: "_s + fuzz::shown(kept.join(u'|')) + u"\nafter: "_s +
                                      fuzz::shown(after.value_or(QStringList()).join(u'|')) +
                                      u"\nrow: "_s + fuzz::shown(key));
        FUZZ_CHECK(!QFile::exists(b.file(QStringLiteral("tagtemp.dat"))));
    } else {
        FUZZ_CHECK(fuzz::readFile(b.file()) == before);
    }
    QFile::remove(b.file());
    // What a run made goes with it, so libFuzzer's leak check has nothing to look into.
    b.host.clear();
    b.store->clearTable();
    rebuildUserTagMenu(b.menu, b.table, 0, [](int) {});
    fuzz::deliverPostedEvents();
    return 0;
}
