#include "app/MenuTree.h"
#include "app/TextPane.h"
#include "app/frmEdit.h"
#include "host/EditBuffer.h"
#include "host/TextFile.h"
#include "support/FifoGuard.h"
#include "support/TestApp.h"
#include "tags/HtmlMenu.h"
#include "usertags/UserTagMenu.h"
#include "usertags/UserTagStore.h"
#include "usertags/frmTAG.h"
#include "usertags/frmTAGDEL.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

class TstUserTags : public QObject {
    Q_OBJECT
private slots:
    void firstLoadCreatesAnEmptyStore();
    void loadRules_data();
    void loadRules();
    void loadNeverClearsRows();
    void unreadableStoreIsKept_data();
    void unreadableStoreIsKept();
    void uncreatableStoreIsReportedOnce();
    void appendWritesOneRecord_data();
    void appendWritesOneRecord();
    void damagedCharacterIsNeverRegistered_data();
    void damagedCharacterIsNeverRegistered();
    void deleteRemovesIdenticalRecordsOnly();
    void deletionKeepsOtherRecordsBytes_data();
    void deletionKeepsOtherRecordsBytes();
    void failedDeletionKeepsTheStore();
    void itemClickWrapsTheSelection_data();
    void itemClickWrapsTheSelection();

    void registration_data();
    void registration();
    void registrationStopsAtTheLimit();
    void acceleratorSuffix();
    void noEndTagBoxAndExplanation();

    void deletionStatus_data();
    void deletionStatus();
    void selectedTagPreview_data();
    void selectedTagPreview();
    void deletionRemovesIdenticalTags();
    void deletingTheLastTag();
    void deletionRemovesTheChosenLine_data();
    void deletionRemovesTheChosenLine();
    void deletionOfAChangedLineIsRefused();
    void onlyASelectionShowsATag();
    void cautionBox();

    void startUpLoadsTheStore();
    void shiftF1ThenAcceleratorInsertsTheTag();
    void settingsMenuOpensTheDialogs();
};

namespace {

QByteArray cp932(const QString& text) {
    return *encodeText(text, TextEncoding::Cp932);
}

// The store over a real HTML menu, a text box and a fake host in a temporary folder (or in a
// missing folder `under` it).
struct StoreBench {
    explicit StoreBench(const QString& under = {})
        : buffer(&edit), host(under.isEmpty() ? dir.path() : dir.filePath(under)) {
        buildHtmlMenu(&html);
        menu = html.findChild<QMenu*>(u"mnuUserTAGS"_s);
        store = std::make_unique<UserTagStore>(table, host, buffer, menu);
    }
    QString file(const QString& name = u"tags.dat"_s) const { return dir.filePath(name); }
    void writeStore(const QString& text) { writeBytes(file(), cp932(text)); }
    void load(const QString& text) {
        writeStore(text);
        store->LoadUserTags();
    }
    // Captions of the visible items, and whether every one of them is enabled.
    QStringList captions() const {
        QStringList out;
        for (QAction* a : menu->actions())
            if (a->isVisible())
                out << a->text();
        return out;
    }
    bool allEnabled() const {
        for (QAction* a : menu->actions())
            if (a->isVisible() && !a->isEnabled())
                return false;
        return true;
    }
    static QString tagLines(int n) {
        QString text;
        for (int k = 1; k <= n; ++k)
            text += u"<T%1>,</T%1>,N%1\r\n"_s.arg(k);
        return text;
    }

    QTemporaryDir dir;
    QPlainTextEdit edit;
    EditBuffer buffer;
    FakeHost host;
    UserTagTable table{};
    QMenu html;
    QMenu* menu = nullptr;
    std::unique_ptr<UserTagStore> store;
};

const QString kNoTags = u"タグが登録されていません"_s;

} // namespace

// --- the store ---

void TstUserTags::firstLoadCreatesAnEmptyStore() {
    StoreBench b;
    b.store->LoadUserTags();
    QCOMPARE(b.host.kinds(), QStringList{u"beep"_s});
    QVERIFY(QFile::exists(b.file()));
    QCOMPARE(readBytes(b.file()), QByteArray());
    QCOMPARE(b.captions(), QStringList{kNoTags});
    QVERIFY(!userTagItem(b.menu, 0)->isEnabled());
    // Once it exists, loading is silent.
    b.store->LoadUserTags();
    QCOMPARE(b.host.count(u"beep"_s), 1);
}

void TstUserTags::loadRules_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<int>("count");

    QStringList hundred;
    for (int k = 1; k <= 100; ++k)
        hundred << u"N%1"_s.arg(k);
    QTest::newRow("101 lines: the 101st is ignored")
        << cp932(StoreBench::tagLines(101)) << hundred << 100;
    QTest::newRow("a line without commas counts, with an empty caption")
        << cp932(u"<A>,</A>,A\r\n<HR>\r\n<B>,</B>,B\r\n"_s) << QStringList{u"A"_s, ""_L1, u"B"_s}
        << 3;
    QTest::newRow("an empty line ends the count")
        << cp932(u"<A>,</A>,A\r\n\r\n<B>,</B>,B\r\n"_s) << QStringList{u"A"_s} << 1;
    QTest::newRow("fields after the third are ignored")
        << cp932(u"<A>,</A>,A,x,y\r\n"_s) << QStringList{u"A"_s} << 1;
    QTest::newRow("CP932") << cp932(u"<B>,</B>,太字（&B）\r\n"_s) << QStringList{u"太字（&B）"_s}
                           << 1;
    QTest::newRow("UTF-8 with its mark")
        << QByteArray("\xEF\xBB\xBF") + u"<B>,</B>,太字😀\r\n"_s.toUtf8() << QStringList{u"太字😀"_s}
        << 1;
    QTest::newRow("CR and LF line ends, no final break")
        << QByteArray("<A>,</A>,A\r<B>,</B>,B\n<C>,,C") << QStringList{u"A"_s, u"B"_s, u"C"_s} << 3;
    QTest::newRow("empty file") << QByteArray() << QStringList{kNoTags} << 0;
}

void TstUserTags::loadRules() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, captions);
    QFETCH(int, count);
    StoreBench b;
    writeBytes(b.file(), bytes);
    b.store->LoadUserTags();
    QCOMPARE(b.captions(), captions);
    QCOMPARE(b.store->tagCount(), count);
    QCOMPARE(b.allEnabled(), count > 0);
    QCOMPARE(b.host.count(u"beep"_s), 0);
    QCOMPARE(b.host.count(u"msgbox"_s), 0);
    QCOMPARE(readBytes(b.file()), bytes);
}

void TstUserTags::loadNeverClearsRows() {
    StoreBench b;
    b.table[1] = {u"<OLD>"_s, u"</OLD>"_s, u"old"_s};
    b.table[2] = {u"<X>"_s, u"</X>"_s, u"x"_s};
    b.load(u"<A>,</A>,A\r\n<HR>\r\n"_s);
    // Only the fields read are assigned: row 2 keeps its old end tag and name.
    QCOMPARE(b.table[1].StartTag, u"<HR>"_s);
    QCOMPARE(b.table[1].EndTag, u"</OLD>"_s);
    QCOMPARE(b.captions(), (QStringList{u"A"_s, u"old"_s, u"x"_s}));
    b.store->clearTable();
    b.store->LoadUserTags();
    QCOMPARE(b.captions(), (QStringList{u"A"_s, ""_L1}));
}

void TstUserTags::unreadableStoreIsKept_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("cannot be opened")
        << u"folder"_s << u"通常のファイルではないため読み込めません（フォルダ）"_s;
    QTest::newRow("cannot be decoded") << u"file"_s << u"読めない文字が含まれています"_s;
    QTest::newRow("a named pipe, never waited on")
        << u"pipe"_s << u"通常のファイルではないため読み込めません（名前付きパイプ）"_s;
}

void TstUserTags::unreadableStoreIsKept() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    StoreBench b;
    const QByteArray garbage("<A>,</A>,\x81\x20\xFF\r\n", 13);
    std::optional<FifoGuard> pipe;
    if (kind == u"folder"_s)
        QVERIFY(QDir(b.dir.path()).mkdir(u"tags.dat"_s));
    else if (kind == u"pipe"_s)
        QVERIFY(pipe.emplace(b.file()).made());
    else
        writeBytes(b.file(), garbage);
    b.store->LoadUserTags();
    b.store->LoadUserTags();
    QCOMPARE(b.host.kinds(), QStringList{u"msgbox"_s});
    QCOMPARE(b.host.calls[0].text,
             u"%1 を読み込めませんでした。ファイルはそのまま残してあります。\r\n%2"_s.arg(b.file(),
                                                                                          reason));
    QCOMPARE(b.host.calls[0].title, u"エラー"_s);
    QCOMPARE(b.captions(), QStringList{kNoTags});
    // Registering into it does not replace it either.
    QVERIFY(!b.store->AppendUserTag(u"<B>"_s, u"</B>"_s, true, u"B"_s));
    if (kind == u"folder"_s) {
        QVERIFY(QFileInfo(b.file()).isDir());
    } else if (pipe) {
        QVERIFY(!pipe->released());
        QVERIFY(QFileInfo(b.file()).exists() && !QFileInfo(b.file()).isFile());
    } else {
        QCOMPARE(readBytes(b.file()), garbage);
    }
}

void TstUserTags::uncreatableStoreIsReportedOnce() {
    StoreBench b(u"gone"_s);
    b.store->LoadUserTags();
    b.store->LoadUserTags();
    QCOMPARE(b.host.kinds(), (QStringList{u"beep"_s, u"msgbox"_s, u"beep"_s}));
    QVERIFY(b.host.calls[1].text.contains(u"tags.dat"_s));
    QCOMPARE(userTagItem(b.menu, 0)->text(), kNoTags);
}

void TstUserTags::appendWritesOneRecord_data() {
    QTest::addColumn<QByteArray>("before"); // empty: no file
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("hasEnd");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file, CP932")
        << QByteArray() << u"<B>"_s << u"</B>"_s << true << u"太字（&Q）"_s
        << QByteArray("<B>,</B>,\x91\xBE\x8E\x9A\x81\x69\x26Q\x81\x6A\r\n");
    QTest::newRow("no end tag: the end field is left out")
        << QByteArray("<A>,</A>,A\r\n") << u"<HR>"_s << u"</HR>"_s << false << u"横線"_s
        << QByteArray("<A>,</A>,A\r\n") + cp932(u"<HR>,,横線\r\n"_s);
    QTest::newRow("a last line without its break keeps its record")
        << QByteArray("<A>,</A>,A") << u"<I>"_s << u"</I>"_s << true << u"I"_s
        << QByteArray("<A>,</A>,A\r\n<I>,</I>,I\r\n");
    QTest::newRow("earlier records keep their bytes")
        << QByteArray("<A>,</A>,\xFA\x4A\xED\x40\r\n") << u"<I>"_s << u"</I>"_s << true << u"I"_s
        << QByteArray("<A>,</A>,\xFA\x4A\xED\x40\r\n<I>,</I>,I\r\n");
    QTest::newRow("a UTF-8 file stays UTF-8")
        << QByteArray("\xEF\xBB\xBF<A>,</A>,A\r\n") << u"<B>"_s << u"</B>"_s << true << u"太"_s
        << QByteArray("\xEF\xBB\xBF<A>,</A>,A\r\n<B>,</B>,\xE5\xA4\xAA\r\n");
    QTest::newRow("a character CP932 lacks turns the file into UTF-8")
        << cp932(u"<B>,</B>,太字\r\n"_s) << u"<S>"_s << u"</S>"_s << true << u"絵😀"_s
        << QByteArray("\xEF\xBB\xBF") + u"<B>,</B>,太字\r\n<S>,</S>,絵😀\r\n"_s.toUtf8();
}

void TstUserTags::appendWritesOneRecord() {
    QFETCH(QByteArray, before);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(bool, hasEnd);
    QFETCH(QString, name);
    QFETCH(QByteArray, after);
    StoreBench b;
    if (!before.isEmpty())
        writeBytes(b.file(), before);
    QVERIFY(b.store->AppendUserTag(start, end, hasEnd, name));
    QCOMPARE(readBytes(b.file()), after);
    // It neither reloads nor tells the user anything.
    QCOMPARE(b.store->tagCount(), 0);
    QVERIFY(b.host.calls.isEmpty());
}

void TstUserTags::damagedCharacterIsNeverRegistered_data() {
    QTest::addColumn<QByteArray>("before"); // empty: no file
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message"); // %1: the store's path
    const QString damagedName = u"太"_s + QChar(0xD800);
    const QString refused = u"登録するタグに壊れた文字（対になっていないサロゲート U+D800）が含まれ"
                            u"ているため、タグを登録できませんでした。"_s;
    QTest::newRow("no store yet") << QByteArray() << damagedName << refused;
    QTest::newRow("CP932 store") << cp932(u"<A>,</A>,甲\r\n"_s) << damagedName << refused;
    QTest::newRow("UTF-8 store") << QByteArray("\xEF\xBB\xBF<A>,</A>,A\r\n") << damagedName
                                 << refused;
    // UTF-8, which a UTF-16 store moves to, could not hold the damaged record already there.
    QTest::newRow("UTF-16 store holding one")
        << encodeText(u"<A>,</A>,"_s + QChar(0xDC00) + u"\r\n"_s, TextEncoding::Utf16LeBom).value()
        << u"B"_s << u"%1 を読み込めないため、タグを登録できませんでした。"_s;
}

void TstUserTags::damagedCharacterIsNeverRegistered() {
    QFETCH(QByteArray, before);
    QFETCH(QString, name);
    QFETCH(QString, message);
    StoreBench b;
    if (!before.isEmpty())
        writeBytes(b.file(), before);
    QVERIFY(!b.store->AppendUserTag(u"<B>"_s, u"</B>"_s, true, name));
    QCOMPARE(b.host.kinds(), QStringList{u"msgbox"_s});
    QCOMPARE(b.host.calls[0].text, QString(message).replace(u"%1"_s, b.file()));
    QCOMPARE(b.host.calls[0].title, u"エラー"_s);
    if (before.isEmpty())
        QVERIFY(!QFile::exists(b.file()));
    else
        QCOMPARE(readBytes(b.file()), before);
}

void TstUserTags::deleteRemovesIdenticalRecordsOnly() {
    StoreBench b;
    b.load(u"<B>,</B>,B\r\n<I>,</I>,I\r\n<B>,</B>,B\r\n<B>,</B>,Bold\r\n<b>,</b>,B\r\n"
           u"<B>,</B>,Ｂ\r\n<HR>,,B\r\n"_s);
    QVERIFY(b.store->DeleteUserTag(3));
    QCOMPARE(readBytes(b.file()),
             cp932(u"<I>,</I>,I\r\n<B>,</B>,Bold\r\n<b>,</b>,B\r\n<B>,</B>,Ｂ\r\n<HR>,,B\r\n"_s));
    QVERIFY(!QFile::exists(b.file(u"tagtemp.dat"_s)));
    QVERIFY(b.host.calls.isEmpty());
    // The reload alone leaves the old last rows behind: the dialog clears first.
    QCOMPARE(b.store->tagCount(), 7);
    // A record without end tag is matched by its two commas.
    b.store->clearTable();
    b.store->LoadUserTags();
    QVERIFY(b.store->DeleteUserTag(5));
    QCOMPARE(readBytes(b.file()),
             cp932(u"<I>,</I>,I\r\n<B>,</B>,Bold\r\n<b>,</b>,B\r\n<B>,</B>,Ｂ\r\n"_s));
}

void TstUserTags::deletionKeepsOtherRecordsBytes_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    // Characters with two CP932 codes (ⅰ and 纊 here) must come back as the codes they were.
    QTest::newRow("CP932 duplicate codes")
        << QByteArray("<B>,</B>,B\r\n<A>,</A>,\xFA\x4A\xED\x40\r\n")
        << QByteArray("<A>,</A>,\xFA\x4A\xED\x40\r\n");
    QTest::newRow("UTF-8 with its mark stays so")
        << QByteArray("\xEF\xBB\xBF<B>,</B>,B\r\n<A>,</A>,\xE5\xA4\xAA\r\n")
        << QByteArray("\xEF\xBB\xBF<A>,</A>,\xE5\xA4\xAA\r\n");
    // What is left would read as CP932 (強調 as mojibake) without the mark.
    QTest::newRow("UTF-8 without its mark gains one")
        << QByteArray("<X>,,\xEF\xBC\xA1\r\n<A>,</A>,\xE5\xBC\xB7\xE8\xAA\xBF\r\n")
        << QByteArray("\xEF\xBB\xBF<A>,</A>,\xE5\xBC\xB7\xE8\xAA\xBF\r\n");
    QTest::newRow("LF line ends become CR LF") << QByteArray("<B>,</B>,B\n<A>,</A>,A\n<C>,</C>,C")
                                               << QByteArray("<A>,</A>,A\r\n<C>,</C>,C\r\n");
}

void TstUserTags::deletionKeepsOtherRecordsBytes() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    StoreBench b;
    writeBytes(b.file(), before);
    b.store->LoadUserTags();
    QVERIFY(b.store->DeleteUserTag(1)); // the first record, B
    QCOMPARE(readBytes(b.file()), after);
}

void TstUserTags::failedDeletionKeepsTheStore() {
    StoreBench b;
    const QByteArray bytes = cp932(u"<B>,</B>,B\r\n<I>,</I>,I\r\n"_s);
    writeBytes(b.file(), bytes);
    b.store->LoadUserTags();
    QVERIFY(QDir(b.dir.path()).mkdir(u"tagtemp.dat"_s)); // the scratch file cannot be written
    QVERIFY(!b.store->DeleteUserTag(1));
    QCOMPARE(readBytes(b.file()), bytes);
    QCOMPARE(b.host.kinds(), QStringList{u"msgbox"_s});
    QVERIFY(b.host.calls[0].text.startsWith(b.file(u"tagtemp.dat"_s)));
    QCOMPARE(b.host.calls[0].icon, Icon::Exclamation);
}

void TstUserTags::itemClickWrapsTheSelection_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::newRow("with end tag") << u"<B>"_s << u"</B>"_s << u"x\r\n<B>sel</B> y"_s << 9;
    QTest::newRow("without end tag") << u"<HR>"_s << QString() << u"x\r\n<HR>sel y"_s << 10;
}

void TstUserTags::itemClickWrapsTheSelection() {
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, text);
    QFETCH(int, caret);
    StoreBench b;
    b.load(u"<A>,</A>,A\r\n"_s + start + u',' + end + u",Mine\r\n"_s);
    b.buffer.setText(u"x\r\nsel y"_s);
    b.buffer.setSelection(3, 3);
    userTagItem(b.menu, 1)->trigger();
    QCOMPARE(b.buffer.text(), text);
    QCOMPARE(b.buffer.selectionStart(), caret);
}

// --- registration ---

namespace {

void type(frmTAG& f, const QString& name, const QString& start, const QString& end, bool noEnd) {
    f.txtTAGname->setText(name);
    f.txtST->setText(start);
    f.txtET->setText(end);
    if (f.chkET->isChecked() != noEnd)
        f.chkET->click();
}

} // namespace

void TstUserTags::registration_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("noEnd");
    QTest::addColumn<QString>("line"); // the record written, or empty
    QTest::addColumn<QString>("refusal");

    const QString incomplete = u"入力が不十分です|エラー"_s;
    const QString comma = u"カンマが含まれています。カンマは使用しないでください。|カンマ検出"_s;
    QTest::newRow("with end tag") << u"太字（&Q）"_s << u"<B>"_s << u"</B>"_s << false
                                  << u"<B>,</B>,太字（&Q）"_s << QString();
    QTest::newRow("no end tag, empty end field")
        << u"横線"_s << u"<HR>"_s << QString() << true << u"<HR>,,横線"_s << QString();
    QTest::newRow("end tag wanted but empty")
        << u"横線"_s << u"<HR>"_s << QString() << false << QString() << incomplete;
    QTest::newRow("no name") << QString() << u"<B>"_s << u"</B>"_s << false << QString()
                             << incomplete;
    QTest::newRow("no start tag, no end tag")
        << u"x"_s << QString() << u"</B>"_s << true << QString() << incomplete;
    QTest::newRow("comma in the end tag")
        << u"B"_s << u"<B>"_s << u"</B>,"_s << false << QString() << comma;
    QTest::newRow("comma in an unused end tag")
        << u"B"_s << u"<B>"_s << u"</B>,"_s << true << u"<B>,,B"_s << QString();
    QTest::newRow("comma in the start tag")
        << u"B"_s << u"<FONT A=1,2>"_s << u"</FONT>"_s << true << QString() << comma;
    QTest::newRow("line break in the name")
        << u"B\nC"_s << u"<B>"_s << u"</B>"_s << false << QString() << comma;
    QTest::newRow("CR in the start tag")
        << u"B"_s << u"<B\r>"_s << u"</B>"_s << false << QString() << comma;
    QTest::newRow("blanks count as filled")
        << u" "_s << u"<B>"_s << u"　"_s << false << u"<B>,　, "_s << QString();
    QTest::newRow("a name that is only a suffix")
        << u"（&Q）"_s << u"<B>"_s << u"</B>"_s << false << u"<B>,</B>,（&Q）"_s << QString();
}

void TstUserTags::registration() {
    QFETCH(QString, name);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(bool, noEnd);
    QFETCH(QString, line);
    QFETCH(QString, refusal);
    StoreBench b;
    b.load(u"<A>,</A>,A\r\n"_s);
    frmTAG f(*b.store, b.host);
    QVERIFY(b.host.calls.isEmpty());
    type(f, name, start, end, noEnd);
    f.cmdTAGset->click();
    if (refusal.isEmpty()) {
        QCOMPARE(readBytes(b.file()), cp932(u"<A>,</A>,A\r\n"_s + line + u"\r\n"_s));
        QCOMPARE(b.host.kinds(), QStringList{u"beep"_s});
        QCOMPARE(b.captions(), (QStringList{u"A"_s, name}));
        QVERIFY(f.txtTAGname->text().isEmpty() && f.txtST->text().isEmpty() &&
                f.txtET->text().isEmpty());
        QCOMPARE(f.chkET->isChecked(), noEnd);
        QVERIFY(f.cmdTAGset->isEnabled());
    } else {
        QCOMPARE(readBytes(b.file()), cp932(u"<A>,</A>,A\r\n"_s));
        QCOMPARE(b.host.kinds(), (QStringList{u"beep"_s, u"msgbox"_s}));
        const HostCall box = b.host.calls[1];
        QCOMPARE(box.text + u'|' + box.title, refusal);
        QCOMPARE(box.icon, Icon::Exclamation);
        QCOMPARE(f.txtTAGname->text(), name);
        QCOMPARE(f.txtST->text(), start);
        QCOMPARE(f.txtET->text(), end);
    }
}

void TstUserTags::registrationStopsAtTheLimit() {
    StoreBench b;
    b.load(StoreBench::tagLines(99));
    frmTAG f(*b.store, b.host);
    type(f, u"last"_s, u"<L>"_s, u"</L>"_s, false);
    f.cmdTAGset->click();
    QCOMPARE(b.store->tagCount(), 100);
    QCOMPARE(b.host.kinds(), QStringList{u"beep"_s});
    QCOMPARE(userTagItem(b.menu, 99)->text(), u"last"_s);
    type(f, u"more"_s, u"<M>"_s, u"</M>"_s, false);
    f.cmdTAGset->click();
    QCOMPARE(b.host.kinds(), (QStringList{u"beep"_s, u"beep"_s, u"msgbox"_s}));
    QCOMPARE(
        b.host.calls[2].text,
        u"タグ登録数が100以上です。　これ以上登録できません。いらないタグを削除してください。"_s);
    QCOMPARE(b.host.calls[2].title, u"エラー"_s);
    QVERIFY(!f.cmdTAGset->isEnabled());
    QCOMPARE(readBytes(b.file()), cp932(StoreBench::tagLines(99) + u"<L>,</L>,last\r\n"_s));
    // Opened on a full store, it warns at once.
    b.host.clear();
    frmTAG full(*b.store, b.host);
    QCOMPARE(b.host.kinds(), (QStringList{u"beep"_s, u"msgbox"_s}));
    QVERIFY(!full.cmdTAGset->isEnabled());
}

void TstUserTags::acceleratorSuffix() {
    StoreBench b;
    frmTAG f(*b.store, b.host);
    f.txtTAGname->setText(u"見出し"_s);
    b.host.inputs = {u"K"_s, u"L"_s, std::nullopt};
    f.Label3_Click();
    f.Label3_Click();
    QCOMPARE(f.txtTAGname->text(), u"見出し（&K）（&L）"_s);
    f.Label3_Click();
    QCOMPARE(f.txtTAGname->text(), u"見出し（&K）（&L）（&）"_s);
    const HostCall input = b.host.callsOf(u"input"_s).first();
    QCOMPARE(input.text, u"shift+F1を押し、次に[アルファベット]でこのタグを利用できる\r\n"
                         u"半角アルファベットを入力してください。"_s);
    QCOMPARE(input.title, u"ショートカットキー"_s);
    QCOMPARE(input.detail, QString()); // no default text
    QCOMPARE(b.host.kinds().mid(0, 2), (QStringList{u"beep"_s, u"input"_s}));
}

void TstUserTags::noEndTagBoxAndExplanation() {
    StoreBench b;
    frmTAG f(*b.store, b.host);
    QCOMPARE(f.windowTitle(), u"タグ登録"_s);
    f.txtET->setText(u"</B>"_s);
    f.chkET->click();
    QVERIFY(!f.txtET->isEnabled() && !f.lblET->isEnabled());
    f.chkET->click();
    QVERIFY(f.txtET->isEnabled() && f.lblET->isEnabled());
    QCOMPARE(f.txtET->text(), u"</B>"_s);
    f.Label4_Click();
    const HostCall box = b.host.calls.last();
    QCOMPARE(box.text, u"タグに終了タグが無い場合は「今から登録するタグは終了タグが無い」を\r\n"
                       u"チェックしてください。　ショートカットキーの割り当てもできます。"_s);
    QCOMPARE(box.title, u"タグ登録について"_s);
    QCOMPARE(box.icon, Icon::Information);
}

// --- deletion ---

void TstUserTags::deletionStatus_data() {
    QTest::addColumn<int>("tags");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("room");
    QTest::newRow("none") << 0 << u"タグ登録数：　0"_s << u"あと100個登録可能"_s;
    QTest::newRow("three") << 3 << u"タグ登録数：　3"_s << u"あと97個登録可能"_s;
    QTest::newRow("ninety-nine") << 99 << u"タグ登録数：　99"_s << u"あと1個登録可能"_s;
    QTest::newRow("full") << 100 << u"タグ登録数：　100"_s << u"登録できません。"_s;
}

void TstUserTags::deletionStatus() {
    QFETCH(int, tags);
    QFETCH(QString, count);
    QFETCH(QString, room);
    StoreBench b;
    b.writeStore(StoreBench::tagLines(tags));
    frmTAGDEL f(*b.store, b.host);
    QCOMPARE(f.windowTitle(), u"タグ削除"_s);
    QCOMPARE(f.lblTAGc->text(), count);
    QCOMPARE(f.lblTAGc2->text(), room);
    QCOMPARE(f.lstTAG->count(), tags);
    if (tags)
        QCOMPARE(f.lstTAG->item(tags - 1)->text(), u"N%1"_s.arg(tags));
    QCOMPARE(f.cmdDEL->isEnabled(), tags > 0);
    QCOMPARE(b.host.kinds(), QStringList{u"beep"_s});
}

void TstUserTags::selectedTagPreview_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("preview");
    QTest::newRow("with end tag") << 0 << u"太字"_s << u"<B>テスト</B>"_s;
    QTest::newRow("without end tag") << 1 << u"横線"_s << u"<HR>　（終了タグはありません）"_s;
}

void TstUserTags::selectedTagPreview() {
    QFETCH(int, row);
    QFETCH(QString, frame);
    QFETCH(QString, preview);
    StoreBench b;
    b.writeStore(u"<B>,</B>,太字\r\n<HR>,,横線\r\n"_s);
    frmTAGDEL f(*b.store, b.host);
    QCOMPARE(f.fraTAG->title(), u"選択されたタグ"_s);
    QCOMPARE(f.lblSeleTAG->text(), u"-"_s);
    f.lstTAG->setCurrentRow(row);
    QCOMPARE(f.fraTAG->title(), frame);
    QCOMPARE(f.lblSeleTAG->text(), preview);
}

void TstUserTags::deletionRemovesIdenticalTags() {
    StoreBench b;
    b.writeStore(u"<B>,</B>,B\r\n<B>,</B>,Bold\r\n<B>,</B>,B\r\n<I>,</I>,I\r\n"_s);
    frmTAGDEL f(*b.store, b.host);
    b.host.clear();
    f.cmdDEL->click();
    QCOMPARE(b.host.kinds(), (QStringList{u"beep"_s, u"msgbox"_s}));
    QCOMPARE(b.host.calls[1].text, u"削除したいタグを選択してください"_s);
    f.lstTAG->setCurrentRow(2);
    // Answering no keeps everything.
    const QByteArray bytes = readBytes(b.file());
    b.host.clear();
    b.host.answers = {Answer::No};
    f.cmdDEL->click();
    QCOMPARE(b.host.kinds(), QStringList{u"msgbox"_s});
    QCOMPARE(readBytes(b.file()), bytes);
    QCOMPARE(f.lstTAG->count(), 4);
    QCOMPARE(b.captions(), (QStringList{u"B"_s, u"Bold"_s, u"B"_s, u"I"_s}));
    b.host.clear();
    b.host.answers = {Answer::Yes};
    f.cmdDEL->click();
    const HostCall ask = b.host.calls[0];
    QCOMPARE(ask.text, u"「B」\r\nこのタグを削除しますか？"_s);
    QCOMPARE(ask.title, u"削除確認"_s);
    QCOMPARE(ask.buttons, Buttons::YesNo);
    QCOMPARE(ask.icon, Icon::Information);
    QCOMPARE(b.host.kinds(), (QStringList{u"msgbox"_s, u"beep"_s}));
    QCOMPARE(readBytes(b.file()), cp932(u"<B>,</B>,Bold\r\n<I>,</I>,I\r\n"_s));
    QCOMPARE(f.lstTAG->count(), 2);
    QCOMPARE(f.lstTAG->item(0)->text(), u"Bold"_s);
    QCOMPARE(f.lblTAGc->text(), u"タグ登録数：　2"_s);
    QCOMPARE(f.lblTAGc2->text(), u"あと98個登録可能"_s);
    QCOMPARE(f.lblSeleTAG->text(), QString());
    QCOMPARE(f.fraTAG->title(), u"タグが選択されていません"_s);
    QCOMPARE(b.captions(), (QStringList{u"Bold"_s, u"I"_s}));
    QVERIFY(b.table[2].StartTag.isEmpty() && b.table[3].Name.isEmpty());
    QVERIFY(f.cmdDEL->isEnabled());
}

void TstUserTags::deletingTheLastTag() {
    StoreBench b;
    b.writeStore(u"<B>,</B>,B\r\n"_s);
    frmTAGDEL f(*b.store, b.host);
    f.lstTAG->setCurrentRow(0);
    b.host.answers = {Answer::Yes};
    f.cmdDEL->click();
    QCOMPARE(readBytes(b.file()), QByteArray());
    QCOMPARE(f.lstTAG->count(), 0);
    QVERIFY(!f.cmdDEL->isEnabled());
    QCOMPARE(f.lblTAGc2->text(), u"あと100個登録可能"_s);
    QCOMPARE(b.captions(), QStringList{kNoTags});
    QVERIFY(!userTagItem(b.menu, 0)->isEnabled());
}

void TstUserTags::deletionRemovesTheChosenLine_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("after");
    QTest::newRow("a line without commas")
        << u"<A>,</A>,A\r\n<HR>\r\n<B>,</B>,B\r\n"_s << 1 << u"<A>,</A>,A\r\n<B>,</B>,B\r\n"_s;
    QTest::newRow("a line with one comma")
        << u"<A>,</A>\r\n<B>,</B>,B\r\n"_s << 0 << u"<B>,</B>,B\r\n"_s;
    QTest::newRow("a line with five fields") << u"<B>,</B>,B\r\n<A>,</A>,A,x,y\r\n<A>,</A>,A\r\n"_s
                                             << 1 << u"<B>,</B>,B\r\n<A>,</A>,A\r\n"_s;
    QTest::newRow("identical odd lines go together")
        << u"<HR>\r\n<A>,</A>,A\r\n<HR>\r\n<HR>,,\r\n"_s << 2 << u"<A>,</A>,A\r\n<HR>,,\r\n"_s;
}

void TstUserTags::deletionRemovesTheChosenLine() {
    QFETCH(QString, before);
    QFETCH(int, position);
    QFETCH(QString, after);
    StoreBench b;
    b.writeStore(before);
    frmTAGDEL f(*b.store, b.host);
    const int listed = f.lstTAG->count();
    f.lstTAG->setCurrentRow(position);
    b.host.clear();
    b.host.answers = {Answer::Yes};
    f.cmdDEL->click();
    QCOMPARE(readBytes(b.file()), cp932(after));
    QCOMPARE(b.host.kinds(), (QStringList{u"msgbox"_s, u"beep"_s}));
    QCOMPARE(f.lstTAG->count(), int(splitStoreLines(after).size()));
    QVERIFY(f.lstTAG->count() < listed);
}

void TstUserTags::deletionOfAChangedLineIsRefused() {
    StoreBench b;
    b.writeStore(u"<A>,</A>,A\r\n<B>,</B>,B\r\n"_s);
    frmTAGDEL f(*b.store, b.host);
    // Another copy of the program rewrites the store while the list shows the old one.
    const QByteArray changed = cp932(u"<B>,</B>,B\r\n<C>,</C>,C\r\n"_s);
    writeBytes(b.file(), changed);
    f.lstTAG->setCurrentRow(0);
    b.host.clear();
    b.host.answers = {Answer::Yes};
    f.cmdDEL->click();
    QCOMPARE(readBytes(b.file()), changed);
    QCOMPARE(b.host.kinds(), (QStringList{u"msgbox"_s, u"msgbox"_s, u"beep"_s}));
    const HostCall refusal = b.host.calls[1];
    QCOMPARE(refusal.text,
             b.file() + u" は一覧を読み込んだ後に変更されていたため、「A」を削除できませんでした。"
                        u"一覧を読み込み直します。"_s);
    QCOMPARE(refusal.icon, Icon::Exclamation);
    QCOMPARE(refusal.title, u"エラー"_s);
    // The list now shows the file as it is.
    QCOMPARE(f.lstTAG->count(), 2);
    QCOMPARE(f.lstTAG->item(0)->text(), u"B"_s);
    QVERIFY(!QFile::exists(b.file(u"tagtemp.dat"_s)));
}

void TstUserTags::onlyASelectionShowsATag() {
    StoreBench b;
    b.writeStore(u"<B>,</B>,太字\r\n<HR>,,横線\r\n<I>,</I>,斜体\r\n"_s);
    frmTAGDEL f(*b.store, b.host);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QApplication::setActiveWindow(&f);
    // Focus in the list gives it a current row, but nothing is chosen yet.
    QTRY_COMPARE(QApplication::focusWidget(), f.lstTAG);
    QCOMPARE(f.lstTAG->currentRow(), 0);
    QVERIFY(f.lstTAG->selectedItems().isEmpty());
    QCOMPARE(f.fraTAG->title(), u"選択されたタグ"_s);
    QCOMPARE(f.lblSeleTAG->text(), u"-"_s);
    // A click picks one.
    QListWidgetItem* second = f.lstTAG->item(1);
    QTest::mouseClick(f.lstTAG->viewport(), Qt::LeftButton, {},
                      f.lstTAG->visualItemRect(second).center());
    QCOMPARE(f.fraTAG->title(), u"横線"_s);
    QCOMPARE(f.lblSeleTAG->text(), u"<HR>　（終了タグはありません）"_s);
    b.host.answers = {Answer::Yes};
    QTest::mouseClick(f.cmdDEL, Qt::LeftButton);
    QCOMPARE(readBytes(b.file()), cp932(u"<B>,</B>,太字\r\n<I>,</I>,斜体\r\n"_s));
    QCOMPARE(QApplication::focusWidget(), f.cmdDEL);
    // Back in the list by the keyboard: still nothing chosen, nothing shown.
    for (int i = 0; i < 5 && QApplication::focusWidget() != f.lstTAG; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.lstTAG);
    QVERIFY(f.lstTAG->selectedItems().isEmpty());
    QCOMPARE(f.fraTAG->title(), u"タグが選択されていません"_s);
    QCOMPARE(f.lblSeleTAG->text(), QString());
    // The arrow keys choose as they move.
    QTest::keyClick(f.lstTAG, Qt::Key_Down);
    QCOMPARE(f.fraTAG->title(), u"斜体"_s);
    QCOMPARE(f.lblSeleTAG->text(), u"<I>テスト</I>"_s);
}

void TstUserTags::cautionBox() {
    StoreBench b;
    frmTAGDEL f(*b.store, b.host);
    b.host.clear();
    f.Label3_Click();
    QCOMPARE(b.host.kinds(), (QStringList{u"beep"_s, u"msgbox"_s}));
    QCOMPARE(b.host.calls[1].text,
             u"この機能では、消そうとしているものとまったく同じタグがほかにもある場合、\r\n"
             u"まとめて削除します。"_s);
    QCOMPARE(b.host.calls[1].title, u"注意"_s);
    QCOMPARE(b.host.calls[1].icon, Icon::Information);
}

// --- the main window ---

void TstUserTags::startUpLoadsTheStore() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    QMenu* menu = w.menus().menu(u"mnuUserTAGS"_s);
    QCOMPARE(userTagItem(menu, 0)->text(), kNoTags);
    QVERIFY(!userTagItem(menu, 0)->isEnabled());
    QVERIFY(!userTagItem(menu, 1)->isVisible());
    QVERIFY(w.menus().item(u"mnuTag"_s)->isEnabled());
    QVERIFY(w.menus().item(u"mnuTagDel"_s)->isEnabled());
}

void TstUserTags::shiftF1ThenAcceleratorInsertsTheTag() {
    EditorFixture fx;
    writeBytes(fx.appFile(u"tags.dat"_s),
               cp932(u"<I>,</I>,斜体（&K）\r\n<B>,</B>,太字（&Q）\r\n"_s));
    frmEdit& w = fx.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.buffer().setText(u"abc"_s);
    w.buffer().setSelection(0, 3);
    w.txtEdit()->setFocus();
    QString popped;
    fx.host.popupScript = [&popped](QMenu* menu) {
        popped = menu->objectName();
        QTimer::singleShot(200, [] {
            if (QWidget* popup = QApplication::activePopupWidget())
                QTest::keyClick(popup, Qt::Key_Q);
        });
        menu->exec(QPoint(100, 100));
    };
    QTest::keyClick(w.txtEdit(), Qt::Key_F1, Qt::ShiftModifier);
    QCOMPARE(popped, u"mnuUserTAGS"_s);
    QCOMPARE(w.buffer().text(), u"<B>abc</B>"_s);
    QCOMPARE(w.buffer().selectionStart(), 6);
}

void TstUserTags::settingsMenuOpensTheDialogs() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    fx.host.clear();
    fx.host.dialogScripts.push_back([](QDialog* d) {
        auto* f = qobject_cast<frmTAG*>(d);
        type(*f, u"太字（&Q）"_s, u"<B>"_s, u"</B>"_s, false);
        f->cmdTAGset->click();
        f->Command1->click();
        return f->result();
    });
    w.menus().item(u"mnuTag"_s)->trigger();
    QCOMPARE(fx.host.kinds(), (QStringList{u"modal"_s, u"beep"_s, u"beep"_s}));
    QCOMPARE(fx.host.calls[0].title, u"タグ登録"_s);
    QCOMPARE(readBytes(fx.appFile(u"tags.dat"_s)),
             QByteArray("<B>,</B>,\x91\xBE\x8E\x9A\x81\x69\x26Q\x81\x6A\r\n"));
    QCOMPARE(userTagItem(w.menus().menu(u"mnuUserTAGS"_s), 0)->text(), u"太字（&Q）"_s);

    fx.host.clear();
    fx.host.dialogScripts.push_back([](QDialog* d) {
        auto* f = qobject_cast<frmTAGDEL*>(d);
        f->Command2->click();
        return f->result();
    });
    w.menus().item(u"mnuTagDel"_s)->trigger();
    QCOMPARE(fx.host.kinds(), (QStringList{u"beep"_s, u"modal"_s, u"beep"_s}));
    QCOMPARE(fx.host.calls[1].title, u"タグ削除"_s);
}

TAGLOOM_TEST_MAIN(TstUserTags)
#include "tst_usertags.moc"
