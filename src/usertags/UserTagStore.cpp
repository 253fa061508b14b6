#include "UserTagStore.h"

#include "UserTagMenu.h"
#include "host/Host.h"
#include "host/RegularFile.h"
#include "host/TextFile.h"
#include "tags/InsertTag.h"

#include <QAction>
#include <QFile>
#include <QMenu>

using namespace Qt::Literals::StringLiterals;

int userTagCount(const UserTagTable& table) {
    int n = 0;
    while (n < kUserTagRows && !table[n].StartTag.isEmpty())
        ++n;
    return n;
}

QString userTagRecord(const QString& start, const QString& end, bool hasEnd, const QString& name) {
    return start + u',' + (hasEnd ? end : QString()) + u',' + name;
}

QStringList splitStoreLines(const QString& text) {
    QStringList lines;
    qsizetype begin = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(begin, i - begin);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        begin = i + 1;
    }
    if (begin < text.size())
        lines << text.mid(begin);
    return lines;
}

namespace {

// tags.dat as bytes: the byte order mark, the encoding of the rest and its lines without their
// breaks. Records are kept as the bytes they were, so rewriting the file changes no other line.
struct StoreBytes {
    QByteArray bom;
    TextEncoding encoding = TextEncoding::Cp932;
    QList<QByteArray> lines;
    bool endsWithBreak = true;
};

QList<QByteArray> splitByteLines(const QByteArray& bytes) {
    // CR and LF never occur inside a CP932 or UTF-8 character, so the bytes split safely.
    QList<QByteArray> lines;
    qsizetype begin = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines << bytes.mid(begin, i - begin);
        if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            ++i;
        begin = i + 1;
    }
    if (begin < bytes.size())
        lines << bytes.mid(begin);
    return lines;
}

// Reads the store as readInternalFile would decode it; nullopt when it cannot be read or decoded.
std::optional<StoreBytes> readStoreBytes(const QString& path) {
    QFile file;
    if (!openRegularFile(file, path))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    StoreBytes store;
    const QByteArray utf8Bom("\xEF\xBB\xBF");
    if (bytes.startsWith(utf8Bom)) {
        store.bom = utf8Bom;
        store.encoding = TextEncoding::Utf8;
        bytes = bytes.mid(utf8Bom.size());
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        // UTF-16 is read but never written: its records carry on in UTF-8, which cannot hold a
        // damaged character, so such a store is left as it is.
        std::optional<QString> text = readInternalFile(path);
        if (!text || firstLoneSurrogate(*text) >= 0)
            return std::nullopt;
        store.bom = utf8Bom;
        store.encoding = TextEncoding::Utf8;
        bytes = text->toUtf8();
    } else if (!decodeText(bytes, TextEncoding::Cp932)) {
        // UTF-8 without its mark: rewritten with it, or the lines left after a deletion could
        // happen to be valid CP932 and read as that.
        store.bom = utf8Bom;
        store.encoding = TextEncoding::Utf8;
    }
    if (!decodeText(bytes, store.encoding))
        return std::nullopt;
    store.lines = splitByteLines(bytes);
    store.endsWithBreak = bytes.isEmpty() || bytes.endsWith('\r') || bytes.endsWith('\n');
    return store;
}

// Whether a line of the file loads as `tag`: its fields, as many as it has of the three, are the
// row's columns.
bool lineReadsAs(const QString& line, const UserTag& tag) {
    const QStringList fields = line.split(u',');
    return fields[0] == tag.StartTag && (fields.size() < 2 || fields[1] == tag.EndTag) &&
           (fields.size() < 3 || fields[2] == tag.Name);
}

QByteArray joinStoreBytes(const StoreBytes& store) {
    QByteArray out = store.bom;
    for (const QByteArray& line : store.lines)
        out += line + "\r\n";
    return out;
}

} // namespace

UserTagStore::UserTagStore(UserTagTable& table, Host& host, EditBuffer& buffer, QMenu* mnuUserTAGS)
    : m_table(table), m_host(host), m_buffer(buffer), m_menu(mnuUserTAGS) {
    // Items 0 and 1 come with the menu; the rebuild creates and connects the rest.
    for (int index : {0, 1})
        if (QAction* item = userTagItem(m_menu, index))
            QObject::connect(item, &QAction::triggered, m_menu,
                             [this, index] { mnuUserTAGmnu_Click(index); });
}

QString UserTagStore::storeFile() const {
    return m_host.appFile(u"tags.dat"_s);
}

QString UserTagStore::scratchFile() const {
    return m_host.appFile(u"tagtemp.dat"_s);
}

bool UserTagStore::AppendUserTag(const QString& start, const QString& end, bool hasEnd,
                                 const QString& name) {
    const QString path = storeFile();
    const QString record = userTagRecord(start, end, hasEnd, name);
    // Neither encoding of the store can hold a damaged character; any other text fits one.
    const std::optional<QByteArray> asNewFile = encodeInternal(record + u"\r\n"_s);
    if (!asNewFile) {
        report(u"登録するタグに%1が含まれているため、タグを登録できませんでした。"_s.arg(
            describeDamagedCharacter(record, firstLoneSurrogate(record))));
        return false;
    }
    QByteArray bytes;
    if (!QFile::exists(path)) {
        bytes = *asNewFile;
    } else {
        // The file is replaced whole and atomically, its records byte for byte; an unreadable
        // file is never overwritten.
        std::optional<StoreBytes> store = readStoreBytes(path);
        if (!store) {
            report(u"%1 を読み込めないため、タグを登録できませんでした。"_s.arg(path));
            return false;
        }
        std::optional<QByteArray> encoded = encodeText(record, store->encoding);
        if (!encoded) {
            // A character CP932 cannot hold: the whole file moves to UTF-8 with its mark.
            for (QByteArray& line : store->lines) {
                const std::optional<QString> text = decodeText(line, store->encoding);
                if (!text) {
                    report(u"%1 を読み込めないため、タグを登録できませんでした。"_s.arg(path));
                    return false;
                }
                line = text->toUtf8();
            }
            store->bom = QByteArray("\xEF\xBB\xBF");
            store->encoding = TextEncoding::Utf8;
            encoded = record.toUtf8();
        }
        store->lines << *encoded;
        bytes = joinStoreBytes(*store);
    }
    QString error;
    if (!writeFileAtomic(path, bytes, &error)) {
        report(u"%1 に書き込めなかったため、タグを登録できませんでした。\r\n%2"_s.arg(path, error));
        return false;
    }
    return true;
}

void UserTagStore::LoadUserTags() {
    const QString path = storeFile();
    // A missing file is created once; a file that exists is only ever read.
    if (!QFile::exists(path)) {
        m_host.beep();
        QFile created(path);
        if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly) && !QFile::exists(path)) {
            reportOnce(m_toldUncreatable,
                       u"%1 を作成できませんでした。登録したタグは使用できません。\r\n%2"_s.arg(
                           path, created.errorString()));
            rebuildMenu();
            return;
        }
        created.close();
    }
    QString reason;
    std::optional<QString> text = readInternalFile(path, &reason);
    if (!text) {
        reportOnce(m_toldUnreadable,
                   u"%1 を読み込めませんでした。ファイルはそのまま残してあります。\r\n%2"_s.arg(
                       path, reason));
        rebuildMenu();
        return;
    }
    const QStringList lines = splitStoreLines(*text);
    const int rows = int(std::min<qsizetype>(lines.size(), kUserTagRows));
    for (int k = 0; k < rows; ++k) {
        if (lines[k].isEmpty())
            continue;
        const QStringList fields = lines[k].split(u',');
        UserTag& row = m_table[k];
        row.StartTag = fields[0];
        if (fields.size() > 1)
            row.EndTag = fields[1];
        if (fields.size() > 2)
            row.Name = fields[2];
    }
    rebuildMenu();
}

bool UserTagStore::DeleteUserTag(int row) {
    if (row < 1 || row > kUserTagRows)
        return false;
    const UserTag& tag = m_table[row - 1];
    const QString path = storeFile();
    const QString scratch = scratchFile();

    std::optional<StoreBytes> store = readStoreBytes(path);
    if (!store) {
        report(u"%1 を読み込めなかったため、タグを削除できませんでした。"_s.arg(path));
        return false;
    }
    // Row `row` was read from line `row`, so that line is the record chosen, whatever its shape
    // (no comma, or fields past the third). If it no longer reads as the row, the file has
    // changed since the table was loaded and nothing is deleted.
    const qsizetype index = row - 1;
    const std::optional<QString> chosen = index < store->lines.size()
                                              ? decodeText(store->lines[index], store->encoding)
                                              : std::nullopt;
    if (!chosen || !lineReadsAs(*chosen, tag)) {
        report(u"%1 は一覧を読み込んだ後に変更されていたため、「%2」を削除できませんでした。"
               u"一覧を読み込み直します。"_s.arg(path, tag.Name));
        return false;
    }
    // Every line equal to the chosen one goes with it, character for character: letter case
    // and full-width forms count, and a longer line that starts with it stays.
    store->lines.removeIf(
        [&](const QByteArray& line) { return decodeText(line, store->encoding) == chosen; });

    QString error;
    if (!writeFileAtomic(scratch, joinStoreBytes(*store), &error)) {
        report(
            u"%1 に書き込めなかったため、タグを削除できませんでした。\r\n%2"_s.arg(scratch, error));
        return false;
    }
    // tags.dat is replaced in one step from the scratch file's bytes; until that has worked the
    // scratch file is the only copy of the remaining records, so it stays.
    QFile scratchFile(scratch);
    const bool readBack = scratchFile.open(QIODevice::ReadOnly);
    const QByteArray bytes = readBack ? scratchFile.readAll() : QByteArray();
    scratchFile.close();
    if (!readBack || !writeFileAtomic(path, bytes, &error)) {
        report(u"%1 を書き換えられませんでした。残りのタグは %2 に保存してあります。\r\n%3"_s.arg(
            path, scratch, readBack ? error : scratchFile.errorString()));
        return false;
    }
    QFile::remove(scratch);
    LoadUserTags();
    return true;
}

void UserTagStore::clearTable() {
    m_table.fill(UserTag{});
}

void UserTagStore::mnuUserTAGmnu_Click(int Index) {
    if (Index < 0 || Index >= kUserTagRows)
        return;
    const UserTag& tag = m_table[Index];
    InsertTag(m_buffer, tag.StartTag, tag.EndTag, true, 0);
}

void UserTagStore::rebuildMenu() {
    rebuildUserTagMenu(m_menu, m_table, tagCount(),
                       [this](int index) { mnuUserTAGmnu_Click(index); });
}

void UserTagStore::reportOnce(bool& told, const QString& message) {
    if (told)
        return;
    told = true;
    report(message);
}

void UserTagStore::report(const QString& message) {
    m_host.messageBox(message, Buttons::Ok, Icon::Exclamation, u"エラー"_s);
}
