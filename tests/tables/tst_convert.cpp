#include "TableTests.h"
#include "host/TextFile.h"
#include "support/FifoGuard.h"
#include "support/TestApp.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

// The converter command against the fake host: what the user is asked and shown, the document
// afterwards, and the error page.

namespace {

const QString kExampleTable = u"<TABLE border=\"1\">\r\n<TR><TH>名前</TH><TH>点数</TH></TR>\r\n"
                              u"<TR><TD>山田</TD><TD>80</TD></TR>\r\n</TABLE>"_s;
const QString kCsvMessage = u"ファイルが開かれませんでした。無効なファイルです"_s;
const QString kCsvHeading = u"<HR><b>Error:CSV不正</b><br>（この処理は不正確なCSVでも処理を完了"
                            u"できるように作ってあるので、ファイルが開かれなかった可能性が高い"
                            u"です）<br>"_s;
const QString kMemoryMessage = u"メモリが不足しているため、処理を完了できませんでした。"_s;
const QString kMemoryHeading = u"<HR><b>Error:メモリ不足</b><br>（使用していないプログラムなどを"
                               u"終了してから、再度実行してください。また、あまりに膨大なデータは"
                               u"処理できませんので分割してから再度実行する方法もあります）<br>"_s;
const QByteArray kBom("\xEF\xBB\xBF");

QString errorPageText(const TableBench& b) {
    const QByteArray bytes = readBytes(b.appFile(u"HTML-TGLM-error.html"_s));
    if (!bytes.startsWith(kBom))
        return u"(no byte order mark) "_s + QString::fromUtf8(bytes);
    return QString::fromUtf8(bytes.mid(3));
}

QString navigatedFile(const FakeHost& host) {
    const QStringList to = host.navigations();
    return to.isEmpty() ? QString() : QUrl(to.last()).toLocalFile();
}

} // namespace

QStringList callKinds(const FakeHost& host, bool withNavigation) {
    QStringList out = host.kinds();
    if (!withNavigation)
        out.removeAll(u"navigate"_s);
    return out;
}

void TstTables::chosenFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QString example = u"[]名前,[]点数\r\n山田,80\r\n"_s;
    QTest::newRow("CP932") << encodeText(example, TextEncoding::Cp932).value();
    QTest::newRow("UTF-8, LF") << QString(example).replace(u"\r\n"_s, u"\n"_s).toUtf8();
    QTest::newRow("UTF-8 with mark") << kBom + example.toUtf8();
    QTest::newRow("UTF-16LE") << encodeText(example, TextEncoding::Utf16LeBom).value();
}

void TstTables::chosenFile() {
    QFETCH(QByteArray, bytes);
    TableBench b;
    QDir(b.dir.path()).mkdir(u"data"_s);
    const QString csv = b.appFile(u"data/点数.csv"_s);
    writeBytes(csv, bytes);
    b.buffer.setText(u"前\r\n[選択]後"_s);
    b.buffer.setSelection(3, 4);
    b.host.fileChoices.push_back(csv);
    b.host.inputs.push_back(u"1"_s);

    QCOMPARE(b.converter().CsvToTable(true), TableOutcome::Inserted);

    QCOMPARE(b.buffer.text(), u"前\r\n"_s + kExampleTable + u"後"_s);
    QCOMPARE(b.buffer.selectionStart(), 3 + int(kExampleTable.size()));
    QCOMPARE(b.buffer.selectionLength(), 0);
    QCOMPARE(callKinds(b.host, true),
             QStringList({"beep", "disable", "open", "input", "enable", "beep"}));
    const HostCall open = b.host.callsOf(u"open"_s).first();
    QCOMPARE(open.title, u"CSVファイルを開く"_s);
    QCOMPARE(open.detail, u"CSVファイル(*.csv,*.txt)|*.csv;*.txt"_s);
    QCOMPARE(open.text, b.dir.path());
    const HostCall input = b.host.callsOf(u"input"_s).first();
    QCOMPARE(input.text, u"枠の幅を指定してください（数値、半角）つけない場合は0を入力。"_s);
    QCOMPARE(input.title, u"ボーダーの付加"_s);
    QCOMPARE(input.detail, u"1"_s);
    // The dialog moved the working folder to the file's; the converter moves it back.
    QCOMPARE(b.host.workingFolder(), b.dir.path());
    QVERIFY(b.host.mainWindowEnabled);
    QVERIFY(!QFileInfo::exists(b.appFile(u"HTML-TGLM-error.html"_s)));
}

void TstTables::cancelledDialogShowsTheErrorPage() {
    TableBench b;
    b.buffer.setText(u"ab<P>c"_s);
    b.buffer.setSelection(1, 5);
    b.host.setFileDialogName(u"/前回/old.csv"_s);
    b.host.fileChoices.push_back(std::nullopt);

    QCOMPARE(b.converter().CsvToTable(true), TableOutcome::CsvFailure);

    QCOMPARE(callKinds(b.host, true),
             QStringList({"beep", "disable", "open", "msgbox", "navigate", "enable"}));
    const HostCall box = b.host.callsOf(u"msgbox"_s).first();
    QCOMPARE(box.text, kCsvMessage);
    QCOMPARE(box.title, u"エラー"_s);
    QCOMPARE(box.icon, Icon::Information);
    QCOMPARE(box.buttons, Buttons::Ok);
    QCOMPARE(errorPageText(b), kCsvHeading + u"\r\n/前回/old.csv<HR>b<P>c\r\n"_s);
    QCOMPARE(navigatedFile(b.host), b.appFile(u"HTML-TGLM-error.html"_s));
    // Nothing inserted, the selection still in place.
    QCOMPARE(b.buffer.text(), u"ab<P>c"_s);
    QCOMPARE(b.buffer.selectedText(), u"b<P>c"_s);
    QVERIFY(b.host.mainWindowEnabled);
}

void TstTables::missingTableData() {
    TableBench b;
    QCOMPARE(b.converter().CsvToTable(false), TableOutcome::CsvFailure);
    QCOMPARE(callKinds(b.host), QStringList({"beep", "disable", "msgbox", "enable"}));
    QCOMPARE(b.host.callsOf(u"msgbox"_s).first().text, kCsvMessage);
    QCOMPARE(b.host.fileDialogName(), b.appFile(u"Table.dat"_s));
    QCOMPARE(errorPageText(b), kCsvHeading + u"\r\n"_s + b.appFile(u"Table.dat"_s) + u"<HR>\r\n"_s);
    QCOMPARE(navigatedFile(b.host), b.appFile(u"HTML-TGLM-error.html"_s));
}

void TstTables::emptyBorderAnswer() {
    TableBench b;
    QVERIFY(b.converter().writeTableData(u"a,b\r\n[]c"_s));
    b.host.inputs.push_back(std::nullopt); // cancelled: the empty answer, the table goes in
    QCOMPARE(b.converter().CsvToTable(false), TableOutcome::Inserted);
    QCOMPARE(b.buffer.text(), u"<TABLE border=\"\">\r\n<TR><TD>a</TD><TD>b</TD></TR>\r\n"
                              u"<TR><TH>c</TH></TABLE>"_s);
    QCOMPARE(callKinds(b.host), QStringList({"beep", "disable", "input", "enable", "beep"}));
}

void TstTables::tooLargeTable_data() {
    QTest::addColumn<int>("spare"); // characters of limit beyond the rows
    QTest::addColumn<QStringList>("kinds");
    QTest::addColumn<QString>("rowsOnPage");
    const QString rows = u"<TR><TD>a</TD><TD>b</TD></TR>\r\n"_s;
    // The rows alone pass the limit: they are not built, and no border is asked for.
    QTest::newRow("rows") << -1 << QStringList({"beep", "disable", "msgbox", "enable"})
                          << QString();
    // The rows fit, the framed table does not: the rows built are on the page.
    QTest::newRow("frame") << int(tableFrameLength(u"12"_s, u"\""_s)) - 1
                           << QStringList({"beep", "disable", "input", "msgbox", "enable"}) << rows;
}

void TstTables::tooLargeTable() {
    QFETCH(int, spare);
    QFETCH(QStringList, kinds);
    QFETCH(QString, rowsOnPage);
    TableBench b;
    b.buffer.setText(u"xyz"_s);
    b.buffer.setSelection(1, 1);
    QVERIFY(b.converter().writeTableData(u"a,b"_s));
    b.converter().setLimit(tableRowsLength(u"a,b"_s) + spare);
    b.host.inputs.push_back(u"12"_s);

    QCOMPARE(b.converter().CsvToTable(false), TableOutcome::MemoryFailure);

    QCOMPARE(callKinds(b.host), kinds);
    const HostCall box = b.host.callsOf(u"msgbox"_s).first();
    QCOMPARE(box.text, kMemoryMessage);
    QCOMPARE(box.title, u"メモリ不足"_s);
    QCOMPARE(box.icon, Icon::Exclamation);
    QCOMPARE(errorPageText(b), kMemoryHeading + u"\r\n"_s + b.appFile(u"Table.dat"_s) + u"<HR>y"_s +
                                   rowsOnPage + u"\r\n"_s);
    QCOMPARE(navigatedFile(b.host), b.appFile(u"HTML-TGLM-error.html"_s));
    QCOMPARE(b.buffer.text(), u"xyz"_s);
    QVERIFY(b.host.mainWindowEnabled);
}

void TstTables::tooLargeFileIsNotRead() {
    TableBench b;
    // Bytes that read as neither CP932 nor UTF-8: read, they would be a CSV failure.
    const QByteArray bytes("\x81\x20,\xFF\xFE\x81");
    writeBytes(b.appFile(u"big.csv"_s), bytes);
    b.host.fileChoices.push_back(b.appFile(u"big.csv"_s));
    b.converter().setLimit(bytes.size() / 2 - 1);
    QCOMPARE(b.converter().CsvToTable(true), TableOutcome::MemoryFailure);
    QCOMPARE(callKinds(b.host), QStringList({"beep", "disable", "open", "msgbox", "enable"}));
    // Within the limit the same file is read, and fails as a CSV file.
    b.host.clear();
    b.host.fileChoices.push_back(b.appFile(u"big.csv"_s));
    b.converter().setLimit(bytes.size() / 2);
    QCOMPARE(b.converter().CsvToTable(true), TableOutcome::CsvFailure);
}

void TstTables::damagedCsvIsToldAfterTheTable() {
    TableBench b;
    const QString csv = b.appFile(u"broken.csv"_s);
    writeBytes(
        csv,
        encodeText(u"a,b\r\nc"_s + QChar(0xDFFF) + u"\r\n"_s, TextEncoding::Utf16BeBom).value());
    b.host.fileChoices.push_back(csv);
    b.host.inputs.push_back(u"1"_s);
    QCOMPARE(b.converter().CsvToTable(true), TableOutcome::Inserted);
    QCOMPARE(b.buffer.text(),
             u"<TABLE border=\"1\">\r\n<TR><TD>a</TD><TD>b</TD></TR>\r\n<TR><TD>c"_s +
                 QChar(0xDFFF) + u"</TD></TABLE>"_s);
    QCOMPARE(callKinds(b.host),
             QStringList({"beep", "disable", "open", "input", "enable", "beep", "msgbox"}));
    const HostCall notice = b.host.callsOf(u"msgbox"_s).first();
    QCOMPARE(notice.text, u"このファイルには壊れた文字（対になっていないサロゲート U+DFFF、2 行目）"
                          u"が含まれています。表（テーブル）にはそのまま入れてあります。"_s);
    QCOMPARE(notice.title, u"壊れた文字"_s);
}

void TstTables::specialFileIsACsvFailure_data() {
    QTest::addColumn<QString>("target"); // what the chosen file links to; empty: the pipe
    QTest::addColumn<QString>("kind");
    QTest::newRow("a named pipe") << QString() << u"名前付きパイプ"_s;
    QTest::newRow("a link to a device") << u"/dev/null"_s << u"デバイス"_s;
}

void TstTables::specialFileIsACsvFailure() {
    QFETCH(QString, target);
    QFETCH(QString, kind);
    TableBench b;
    FifoGuard pipe(b.appFile(u"pipe.csv"_s));
    QVERIFY(pipe.made());
    const QString chosen = target.isEmpty() ? b.appFile(u"pipe.csv"_s) : b.appFile(u"chosen.csv"_s);
    if (!target.isEmpty())
        QVERIFY(QFile::link(target, chosen));
    b.buffer.setText(u"xyz"_s);
    b.buffer.setSelection(1, 1);
    b.host.fileChoices.push_back(chosen);
    b.host.inputs.push_back(u"1"_s);

    QCOMPARE(b.converter().CsvToTable(true), TableOutcome::CsvFailure);

    QVERIFY(!pipe.released());
    QCOMPARE(callKinds(b.host), QStringList({"beep", "disable", "open", "msgbox", "enable"}));
    QCOMPARE(b.host.callsOf(u"msgbox"_s).first().text,
             kCsvMessage + u"\r\n通常のファイルではないため読み込めません（%1）"_s.arg(kind));
    QCOMPARE(errorPageText(b), kCsvHeading + u"\r\n"_s + chosen + u"<HR>y\r\n"_s);
    QCOMPARE(b.buffer.text(), u"xyz"_s);
}

void TstTables::tableDataBytes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CP932") << u"山田,80\r\n[]名前"_s
                           << QByteArray("\x8E\x52\x93\x63,80\r\n[]\x96\xBC\x91\x4F\r\n");
    QTest::newRow("beyond CP932") << u"😀,x"_s << kBom + u"😀,x\r\n"_s.toUtf8();
    QTest::newRow("empty") << QString() << QByteArray("\r\n");
}

void TstTables::tableDataBytes() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    TableBench b;
    writeBytes(b.appFile(u"Table.dat"_s), "old,text\r\n");
    QVERIFY(b.converter().writeTableData(text));
    QCOMPARE(readBytes(b.appFile(u"Table.dat"_s)), bytes);
    // Read back by the converter, the characters are the ones written.
    b.host.inputs.push_back(u"0"_s);
    QCOMPARE(b.converter().CsvToTable(false), TableOutcome::Inserted);
    QCOMPARE(b.buffer.text(), u"<TABLE border=\"0\">\r\n"_s + tableRows(text) + u"</TABLE>"_s);
}
