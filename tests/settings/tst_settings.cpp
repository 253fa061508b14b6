#include "host/TextFile.h"
#include "settings/SettingsFile.h"
#include "settings/WholeNumber.h"
#include "support/FifoGuard.h"
#include "support/TestApp.h"

#include <QDir>
#include <QFileInfo>

class TstSettings : public QObject {
    Q_OBJECT
private slots:
    void missingFileGetsTheDefaultLine();
    void secondReadIsNoFirstRun();
    void wholeNumbers_data();
    void wholeNumbers();
    void fieldsReadAsTheirTypes();
    void shortOrBrokenLinesTakeDefaults_data();
    void shortOrBrokenLinesTakeDefaults();
    void writingALineDoesNotReadIt();
    void neverWritesAFieldHoldingTheSeparator();
    void defaultLineLeavesOutAFolderThatCannotBeAField_data();
    void defaultLineLeavesOutAFolderThatCannotBeAField();
    void aPipeForTheFileIsNotWaitedOn();
    void recordRoundTripsThroughTheFile();
};

namespace {
QString folderOf(const QTemporaryDir& dir) {
    return dir.path();
}
} // namespace

void TstSettings::missingFileGetsTheDefaultLine() {
    QTemporaryDir dir;
    Settings s;
    bool firstRun = false;
    QVERIFY(LoadSettings(QString(), s, firstRun, folderOf(dir)));
    QVERIFY(firstRun);
    const QByteArray expected = QByteArray("[]0[]0[]16777215[]0[]0[]0[]0[]0[]") +
                                encodeInternal(dir.path()).value() + "[]0[]50[]" +
                                "\x8f\x89\x8a\xfa\x90\xdd\x92\xe8" + "[]0\r\n";
    QCOMPARE(readBytes(dir.filePath(QStringLiteral("setting.dat"))), expected);
    QCOMPARE(s.StartPage, QString());
    QCOMPARE(s.PreviewUpdate, 0);
    QCOMPARE(s.EditorForeColor, QStringLiteral("0"));
    QCOMPARE(s.EditorBackColor, QStringLiteral("16777215"));
    QCOMPARE(s.StartPageOnWeb, false);
    QCOMPARE(s.LastDocumentPath, dir.path());
    QCOMPARE(s.PaneSplit, 0);
    QCOMPARE(s.PaneSplitPercent, 50);
    QCOMPARE(s.EditorFontName, QStringLiteral("初期設定"));
    QCOMPARE(s.EditorFontSize, 0);
}

void TstSettings::secondReadIsNoFirstRun() {
    QTemporaryDir dir;
    Settings s;
    bool firstRun = false;
    LoadSettings(QString(), s, firstRun, dir.path());
    LoadSettings(QString(), s, firstRun, dir.path());
    QVERIFY(!firstRun);
}

void TstSettings::wholeNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qlonglong>("value");
    QTest::newRow("plain") << "25" << 25LL;
    QTest::newRow("letters after") << "25abc" << 25LL;
    QTest::newRow("empty") << "" << 0LL;
    QTest::newRow("letters") << "abc" << 0LL;
    QTest::newRow("leading blanks") << "  7" << 7LL;
    QTest::newRow("half to even down") << "2.5" << 2LL;
    QTest::newRow("half to even up") << "3.5" << 4LL;
    QTest::newRow("rounds") << "2.6" << 3LL;
    QTest::newRow("negative") << "-1" << -1LL;
    QTest::newRow("negative half") << "-2.5" << -2LL;
    QTest::newRow("exponent") << "1e3" << 1000LL;
    QTest::newRow("e without digits") << "12e" << 12LL;
    QTest::newRow("second number ignored") << "12 34" << 12LL;
    QTest::newRow("full-width digits are not digits") << "１２" << 0LL;
}

void TstSettings::wholeNumbers() {
    QFETCH(QString, text);
    QFETCH(qlonglong, value);
    QCOMPARE(wholeNumber(text, -100000, 100000).value_or(-999999), value);
}

void TstSettings::fieldsReadAsTheirTypes() {
    const QString line = QStringLiteral("http://example.test/[]2x[]255[]65280[]-1[]1[]1500[]1[]1[]/"
                                        "home/u/a.html[]3[]25[]IPAGothic[]12");
    const Settings s = SettingsFile::parseLine(line, QStringLiteral("/app"));
    QCOMPARE(s.StartPage, QStringLiteral("http://example.test/"));
    QCOMPARE(s.PreviewUpdate, 2);
    QCOMPARE(s.EditorForeColor, QStringLiteral("255"));
    QCOMPARE(s.EditorBackColor, QStringLiteral("65280"));
    QVERIFY(s.StartPageOnWeb);
    QCOMPARE(s.BrOnEnter, 1);
    QCOMPARE(s.PreviewInterval, 1500);
    QCOMPARE(s.StartMaximized, 1);
    QCOMPARE(s.OpenLastFolder, 1);
    QCOMPARE(s.LastDocumentPath, QStringLiteral("/home/u/a.html"));
    QCOMPARE(s.PaneSplit, 3);
    QCOMPARE(s.PaneSplitPercent, 25);
    QCOMPARE(s.EditorFontName, QStringLiteral("IPAGothic"));
    QCOMPARE(s.EditorFontSize, 12);
}

void TstSettings::shortOrBrokenLinesTakeDefaults_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("previewUpdate");
    QTest::addColumn<QString>("backColor");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QString>("fontName");
    QTest::newRow("empty file") << "" << 0 << "16777215" << 50 << "初期設定";
    QTest::newRow("three fields") << "[]1[]0" << 1 << "16777215" << 50 << "初期設定";
    QTest::newRow("16-bit overflow")
        << "[]70000[]0[]255[]0[]0[]0[]0[]0[]/a[]0[]30[]x[]0" << 0 << "255" << 30 << "x";
    QTest::newRow("color not a number")
        << "[]1[]0[]white[]0[]0[]0[]0[]0[]/a[]0[]30[]x[]0" << 1 << "16777215" << 30 << "x";
    QTest::newRow("color out of range")
        << "[]1[]0[]16777216[]0[]0[]0[]0[]0[]/a[]0[]30[]x[]0" << 1 << "16777215" << 30 << "x";
}

void TstSettings::shortOrBrokenLinesTakeDefaults() {
    QFETCH(QString, line);
    QFETCH(int, previewUpdate);
    QFETCH(QString, backColor);
    QFETCH(int, percent);
    QFETCH(QString, fontName);
    const Settings s = SettingsFile::parseLine(line, QStringLiteral("/app"));
    QCOMPARE(int(s.PreviewUpdate), previewUpdate);
    QCOMPARE(s.EditorBackColor, backColor);
    QCOMPARE(s.PaneSplitPercent, percent);
    QCOMPARE(s.EditorFontName, fontName);
}

void TstSettings::writingALineDoesNotReadIt() {
    QTemporaryDir dir;
    Settings s;
    bool firstRun = false;
    LoadSettings(QString(), s, firstRun, dir.path());
    const QString line = QStringLiteral("help[]1[]0[]0[]0[]0[]0[]0[]0[]/x[]2[]50[]初期設定[]0");
    QVERIFY(LoadSettings(line, s, firstRun, dir.path()));
    QCOMPARE(s.StartPage, QString());
    QCOMPARE(s.PreviewUpdate, 0);
    QCOMPARE(readBytes(dir.filePath(QStringLiteral("setting.dat"))),
             encodeInternal(line).value() + "\r\n");
    LoadSettings(QString(), s, firstRun, dir.path());
    QCOMPARE(s.StartPage, QStringLiteral("help"));
    QCOMPARE(s.PaneSplit, 2);
    QVERIFY(!firstRun);
}

void TstSettings::neverWritesAFieldHoldingTheSeparator() {
    QTemporaryDir dir;
    Settings s;
    bool firstRun = false;
    LoadSettings(QString(), s, firstRun, dir.path());
    const QByteArray before = readBytes(dir.filePath(QStringLiteral("setting.dat")));
    // A start page with "[]" would shift every later field by one.
    const QString shifted = QStringLiteral("a[]b[]1[]0[]0[]0[]0[]0[]0[]0[]/x[]2[]50[]初期設定[]0");
    QVERIFY(!LoadSettings(shifted, s, firstRun, dir.path()));
    QCOMPARE(readBytes(dir.filePath(QStringLiteral("setting.dat"))), before);
    QStringList fields = SettingsFile::fieldsOf(s);
    QVERIFY(SettingsFile::composeLine(fields));
    fields[0] = QStringLiteral("http://x/[]");
    QVERIFY(!SettingsFile::composeLine(fields));
    fields.removeLast();
    fields[0] = QString();
    QVERIFY(!SettingsFile::composeLine(fields));
}

void TstSettings::recordRoundTripsThroughTheFile() {
    QTemporaryDir dir;
    Settings s = SettingsFile::parseLine(SettingsFile::defaultLine(dir.path()), dir.path());
    s.StartPage = QStringLiteral("http://例え.test/ページ");
    s.StartPageOnWeb = true;
    s.EditorFontName = QStringLiteral("Noto Sans 😀");
    s.PaneSplit = 3;
    s.PaneSplitPercent = 33;
    bool firstRun = false;
    QVERIFY(LoadSettings(*SettingsFile::composeLine(SettingsFile::fieldsOf(s)), s, firstRun,
                         dir.path()));
    Settings back;
    LoadSettings(QString(), back, firstRun, dir.path());
    QCOMPARE(SettingsFile::fieldsOf(back), SettingsFile::fieldsOf(s));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("setting.dat")});
}

void TstSettings::defaultLineLeavesOutAFolderThatCannotBeAField_data() {
    QTest::addColumn<QString>("folderName");
    QTest::addColumn<bool>("kept");
    QTest::newRow("the separator") << QStringLiteral("a[]b") << false;
    QTest::newRow("LF") << QStringLiteral("a\nb") << false;
    QTest::newRow("CR") << QStringLiteral("a\rb") << false;
    QTest::newRow("brackets apart") << QStringLiteral("]a[b][") << true;
}

void TstSettings::defaultLineLeavesOutAFolderThatCannotBeAField() {
    QFETCH(QString, folderName);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(folderName));
    const QString folder = dir.filePath(folderName);
    Settings s;
    bool firstRun = false;
    QVERIFY(LoadSettings(QString(), s, firstRun, folder));
    QVERIFY(firstRun);
    const QString line = QStringLiteral("[]0[]0[]16777215[]0[]0[]0[]0[]0[]") +
                         (kept ? folder : QString()) + QStringLiteral("[]0[]50[]初期設定[]0\r\n");
    QCOMPARE(readBytes(folder + QStringLiteral("/setting.dat")), encodeInternal(line).value());
    // Every later field reads as the default it is.
    QCOMPARE(s.LastDocumentPath, kept ? folder : QString());
    QCOMPARE(s.PaneSplit, 0);
    QCOMPARE(s.PaneSplitPercent, 50);
    QCOMPARE(s.EditorFontName, QStringLiteral("初期設定"));
    QCOMPARE(s.EditorFontSize, 0);
}

void TstSettings::aPipeForTheFileIsNotWaitedOn() {
    QTemporaryDir dir;
    FifoGuard pipe(dir.filePath(QStringLiteral("setting.dat")));
    QVERIFY(pipe.made());
    Settings s;
    s.EditorFontName = QStringLiteral("before");
    bool firstRun = true;
    QVERIFY(LoadSettings(QString(), s, firstRun, dir.path()));
    QVERIFY(!pipe.released());
    // Read as an empty file: every field its default, and the pipe is left where it is.
    QVERIFY(!firstRun);
    QCOMPARE(s.EditorFontName, QStringLiteral("初期設定"));
    QCOMPARE(s.LastDocumentPath, dir.path());
    QVERIFY(!QFileInfo(dir.filePath(QStringLiteral("setting.dat"))).isFile());
}

TAGLOOM_TEST_MAIN(TstSettings)
#include "tst_settings.moc"
