#include "host/TextFile.h"
#include "settings/SettingsFile.h"
#include "support/TestApp.h"

#include <QDir>
#include <QFile>
#include <QProcess>

// The real program under the X server the tests run in, driven as a user would: keys and
// clicks through xdotool, results read from the files it writes.
class TstProgram : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void firstStartTypingAndRecoveryAfterACrash();

private:
    QString xdo(const QStringList& args);
    QString waitForWindow(const QString& name, int timeoutMs = 30000);
    void startProgram();
    void killProgram();

    QTemporaryDir m_dir;
    QProcess m_program;
};

QString TstProgram::xdo(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString TstProgram::waitForWindow(const QString& name, int timeoutMs) {
    QString id;
    (void)QTest::qWaitFor(
        [&] {
            id = xdo({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--name"), name})
                     .section(u'\n', 0, 0);
            return !id.isEmpty();
        },
        timeoutMs);
    return id;
}

void TstProgram::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display (the tests run under xvfb-run)");
    // The application folder is the program's own: give it a fresh one.
    const QString built = QStringLiteral(TAGLOOM_BINARY);
    QVERIFY(QFile::copy(built, m_dir.filePath(QStringLiteral("tagloom"))));
    QVERIFY(QFile::copy(QFileInfo(built).dir().filePath(QStringLiteral("help.html")),
                        m_dir.filePath(QStringLiteral("help.html"))));
    QFile::setPermissions(m_dir.filePath(QStringLiteral("tagloom")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TstProgram::startProgram() {
    m_program.setProgram(m_dir.filePath(QStringLiteral("tagloom")));
    m_program.setWorkingDirectory(m_dir.path());
    m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_program.start();
    QVERIFY(m_program.waitForStarted());
}

void TstProgram::killProgram() {
    if (m_program.state() == QProcess::NotRunning)
        return;
    m_program.kill(); // as a crash would: nothing runs on the way out
    m_program.waitForFinished(10000);
}

void TstProgram::cleanupTestCase() {
    killProgram();
}

void TstProgram::firstStartTypingAndRecoveryAfterACrash() {
    const QString settings = m_dir.filePath(QStringLiteral("setting.dat"));
    const QString preview = m_dir.filePath(QStringLiteral("HTML-TGLM-temp.html"));
    startProgram();
    const QString main = waitForWindow(QStringLiteral("^Tagloom -$"));
    QVERIFY2(!main.isEmpty(), "the main window did not appear");
    QCOMPARE(
        readBytes(settings),
        encodeInternal(SettingsFile::defaultLine(m_dir.path()) + QStringLiteral("\r\n")).value());
    QVERIFY(!QFile::exists(preview));
    // The first start creates the empty user tag store.
    const QFileInfo tags(m_dir.filePath(QStringLiteral("tags.dat")));
    QVERIFY(tags.exists() && tags.size() == 0);

    // Click into the text pane and type.
    xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), main, QStringLiteral("150"),
         QStringLiteral("300"), QStringLiteral("click"), QStringLiteral("1")});
    xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"),
         QStringLiteral("<HTML><HEAD></HEAD><p>typed</p>")});
    QTRY_VERIFY_WITH_TIMEOUT(readBytes(preview).contains("<p>typed</p>"), 15000);
    QVERIFY(readBytes(preview).contains("<head><base href=\"file://"));

    killProgram();
    QVERIFY(QFile::exists(preview));

    // The next start offers the text back.
    startProgram();
    const QString question = waitForWindow(QStringLiteral("^ドキュメントの復元$"));
    QVERIFY2(!question.isEmpty(), "no recovery question");
    xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), question});
    xdo({QStringLiteral("key"), QStringLiteral("Return")});
    const QString done = waitForWindow(QStringLiteral("^復元完了$"));
    QVERIFY2(!done.isEmpty(), "no recovery message");
    xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), done});
    xdo({QStringLiteral("key"), QStringLiteral("Return")});
    const QString save = waitForWindow(QStringLiteral("^HTMLファイルの保存$"));
    QVERIFY2(!save.isEmpty(), "the save dialog did not open");
    // Save where it suggests: the application folder, under the restored document's name.
    xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), save});
    xdo({QStringLiteral("key"), QStringLiteral("Return")});
    const QString restored = m_dir.filePath(QStringLiteral("復元されたドキュメント.html"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(restored), 15000);
    // The restored document is exactly what was typed, with the line break a save adds at the
    // end: no base element, the head tag as it was spelt.
    QCOMPARE(readBytes(restored), QByteArray("<HTML><HEAD></HEAD><p>typed</p>\r\n"));
    QVERIFY(!waitForWindow(QStringLiteral("^Tagloom -.*復元されたドキュメント.html$")).isEmpty());
    killProgram();
}

TAGLOOM_TEST_MAIN(TstProgram)
#include "tst_program.moc"
