#include "host/AppFolder.h"
#include "host/TextFile.h"
#include "settings/SettingsFile.h"
#include "support/TestApp.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString run(const QString& program, const QStringList& args, const QString& folder = {},
            int* exitCode = nullptr) {
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    p.waitForFinished(300000);
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAll());
}

// Every file under `root`, as paths relative to it, sorted.
QStringList filesUnder(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

void makeFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    writeBytes(path, "<html></html>");
}

// The orange of the help page's heading rules; no other window part is painted in it.
int helpOrangePixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == 0xFF961Bu ? 1 : 0;
    return n;
}

} // namespace

// The installed program: its files under a prefix, its folders at run time, its package.
class TstInstall : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase();
    void applicationFolderChoice_data();
    void applicationFolderChoice();
    void helpFileLookup_data();
    void helpFileLookup();
    void installedTree();
    void desktopEntry();
    void installedProgramAsAUserWhoCannotWriteItsFolder();
    void debianPackage();

private:
    QString xdo(const QStringList& args) { return run(QStringLiteral("xdotool"), args).trimmed(); }
    QString waitForWindow(const QString& name);
    // Installs into the temporary prefix once, for the tests that look at the installed copy.
    void install();
    bool startInstalled(const QString& home);
    void stopInstalled();

    QTemporaryDir m_prefix;
    QTemporaryDir m_home;
    QTemporaryDir m_otherHome;
    QProcess m_program;
    bool m_asNobody = false;
    bool m_installed = false;
};

void TstInstall::install() {
    if (m_installed)
        return;
    QVERIFY(m_prefix.isValid() && m_home.isValid());
    int rc = 0;
    const QString out = run(QStringLiteral(TAGLOOM_CMAKE),
                            {QStringLiteral("--install"), QStringLiteral(TAGLOOM_BUILD_DIR),
                             QStringLiteral("--prefix"), m_prefix.path()},
                            {}, &rc);
    QVERIFY2(rc == 0, qPrintable(out));
    m_installed = true;
}

void TstInstall::cleanupTestCase() {
    stopInstalled();
    // Give the folder back to its owner, so that it can be removed.
    QFile::setPermissions(m_prefix.filePath(QStringLiteral("bin")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TstInstall::applicationFolderChoice_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("userFolderKnown");
    QTest::addColumn<bool>("perUser");
    const QStringList build{"app/tagloom", "app/help.html"};
    const QStringList installed{"usr/bin/tagloom", "usr/share/tagloom/help.html"};
    QTest::newRow("build folder") << build << "app" << false << true << false;
    QTest::newRow("read-only build folder") << build << "app" << true << true << true;
    QTest::newRow("copied folder without help")
        << QStringList{"copy/tagloom"} << "copy" << false << true << false;
    QTest::newRow("installed copy") << installed << "usr/bin" << false << true << true;
    QTest::newRow("installed copy, no per-user folder known")
        << installed << "usr/bin" << false << false << false;
    QTest::newRow("help beside an installed layout")
        << QStringList{"usr/bin/tagloom", "usr/bin/help.html", "usr/share/tagloom/help.html"}
        << "usr/bin" << false << true << false;
}

void TstInstall::applicationFolderChoice() {
    QFETCH(QStringList, files);
    QFETCH(QString, program);
    QFETCH(bool, readOnly);
    QFETCH(bool, userFolderKnown);
    QFETCH(bool, perUser);
    if (readOnly && ::geteuid() == 0)
        QSKIP("root writes into read-only folders (the installed program's test runs as a user)");
    QTemporaryDir root;
    for (const QString& f : files)
        makeFile(root.filePath(f));
    const QString programFolder = root.filePath(program);
    if (readOnly)
        QVERIFY(::chmod(QFile::encodeName(programFolder).constData(), 0555) == 0);
    const QString user = root.filePath(QStringLiteral("home/.local/share/Tagloom"));
    const QString chosen = AppFolder::choose(programFolder, userFolderKnown ? user : QString());
    if (readOnly)
        ::chmod(QFile::encodeName(programFolder).constData(), 0755);
    QCOMPARE(chosen, perUser ? user : programFolder);
    // The per-user folder is made when chosen, and only then.
    QCOMPARE(QFileInfo(user).isDir(), perUser);
}

void TstInstall::helpFileLookup_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("expected");
    QTest::newRow("in the application folder")
        << QStringList{"data/help.html", "usr/share/tagloom/help.html"} << "data/help.html";
    QTest::newRow("installed") << QStringList{"usr/share/tagloom/help.html"}
                               << "usr/share/tagloom/help.html";
    QTest::newRow("nowhere") << QStringList{} << "data/help.html";
}

void TstInstall::helpFileLookup() {
    QFETCH(QStringList, files);
    QFETCH(QString, expected);
    QTemporaryDir root;
    QDir().mkpath(root.filePath(QStringLiteral("data")));
    QDir().mkpath(root.filePath(QStringLiteral("usr/bin")));
    for (const QString& f : files)
        makeFile(root.filePath(f));
    QCOMPARE(AppFolder::helpFile(root.filePath(QStringLiteral("data")),
                                 root.filePath(QStringLiteral("usr/bin"))),
             root.filePath(expected));
}

void TstInstall::installedTree() {
    install();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(
        filesUnder(m_prefix.path()),
        (QStringList{"bin/tagloom", "share/applications/tagloom.desktop",
                     "share/icons/hicolor/48x48/apps/tagloom.png",
                     "share/icons/hicolor/scalable/apps/tagloom.svg",
                     "share/metainfo/org.tagloom.Tagloom.metainfo.xml", "share/tagloom/help.html",
                     "share/tagloom/tagloom.png", "share/tagloom/tagloom.svg"}));
    QVERIFY(QFileInfo(m_prefix.filePath(QStringLiteral("bin/tagloom"))).isExecutable());
    QCOMPARE(readBytes(m_prefix.filePath(QStringLiteral("share/tagloom/help.html"))),
             readBytes(QStringLiteral(TAGLOOM_SOURCE_DIR "/resources/help.html")));
    const QImage png(
        m_prefix.filePath(QStringLiteral("share/icons/hicolor/48x48/apps/tagloom.png")));
    QCOMPARE(png.size(), QSize(48, 48));
    QVERIFY(readBytes(
                m_prefix.filePath(QStringLiteral("share/icons/hicolor/scalable/apps/tagloom.svg")))
                .contains("<svg"));
    // The release the software centre shows is the program's own version.
    const QByteArray metainfo = readBytes(
        m_prefix.filePath(QStringLiteral("share/metainfo/org.tagloom.Tagloom.metainfo.xml")));
    QVERIFY2(metainfo.contains("<release version=\"1.2.0.125\" "), metainfo.constData());
    QCOMPARE(metainfo.count("<release "), 1);
}

void TstInstall::desktopEntry() {
    install();
    if (QTest::currentTestFailed())
        return;
    QSettings entry(m_prefix.filePath(QStringLiteral("share/applications/tagloom.desktop")),
                    QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    QCOMPARE(entry.value(QStringLiteral("Exec")).toString(), QStringLiteral("tagloom"));
    QCOMPARE(entry.value(QStringLiteral("Icon")).toString(), QStringLiteral("tagloom"));
    QCOMPARE(entry.value(QStringLiteral("Name[ja]")).toString(),
             QStringLiteral("Tagloom HTMLエディタ"));
    QCOMPARE(entry.value(QStringLiteral("Comment[ja]")).toString(),
             QStringLiteral("HTMLソースを書きながら、その場で表示を確かめられるエディタ"));
    // QSettings would split the list at its semicolons: compare the line as written.
    QVERIFY(readBytes(m_prefix.filePath(QStringLiteral("share/applications/tagloom.desktop")))
                .contains("\nCategories=Development;WebDevelopment;TextEditor;\n"));
}

QString TstInstall::waitForWindow(const QString& name) {
    QString id;
    (void)QTest::qWaitFor(
        [&] {
            id = xdo({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--name"), name})
                     .section(u'\n', 0, 0);
            return !id.isEmpty() || m_program.state() == QProcess::NotRunning;
        },
        60000);
    return id;
}

bool TstInstall::startInstalled(const QString& home) {
    const QString program = m_prefix.filePath(QStringLiteral("bin/tagloom"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                             "XDG_RUNTIME_DIR", "QTWEBENGINE_DISABLE_SANDBOX"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), home);
    if (m_asNobody) {
        // The X server lets in whoever holds its cookie: hand the user a copy.
        const passwd* nobody = ::getpwnam("nobody");
        const QString cookie = m_home.filePath(QStringLiteral(".Xauthority"));
        if (!QFile::exists(cookie) && env.contains(QStringLiteral("XAUTHORITY"))) {
            QFile::copy(env.value(QStringLiteral("XAUTHORITY")), cookie);
            if (::chown(QFile::encodeName(cookie).constData(), nobody->pw_uid, nobody->pw_gid) != 0)
                return false;
        }
        env.insert(QStringLiteral("XAUTHORITY"), cookie);
        // Started as a desktop starts it: the entry's command, looked up in PATH.
        QSettings entry(m_prefix.filePath(QStringLiteral("share/applications/tagloom.desktop")),
                        QSettings::IniFormat);
        const QString command = entry.value(QStringLiteral("Desktop Entry/Exec")).toString();
        env.insert(QStringLiteral("PATH"),
                   QFileInfo(program).path() + u':' + env.value(QStringLiteral("PATH")));
        m_program.setProgram(QStringLiteral("setpriv"));
        m_program.setArguments({QStringLiteral("--reuid=%1").arg(nobody->pw_uid),
                                QStringLiteral("--regid=%1").arg(nobody->pw_gid),
                                QStringLiteral("--clear-groups"), QStringLiteral("--"), command});
    } else {
        m_program.setProgram(program);
    }
    m_program.setProcessEnvironment(env);
    m_program.setWorkingDirectory(home);
    m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_program.start();
    return m_program.waitForStarted();
}

void TstInstall::stopInstalled() {
    if (m_program.state() == QProcess::NotRunning)
        return;
    m_program.kill();
    m_program.waitForFinished(10000);
}

void TstInstall::installedProgramAsAUserWhoCannotWriteItsFolder() {
    install();
    if (QTest::currentTestFailed())
        return;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display (the tests run under xvfb-run)");
    const QString bin = m_prefix.filePath(QStringLiteral("bin"));
    m_asNobody = ::geteuid() == 0;
    if (m_asNobody) {
        // Root writes anywhere: the program runs as an ordinary user, who may read and run the
        // installed copy and owns nothing but a home.
        const passwd* nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        QVERIFY(::chmod(QFile::encodeName(m_prefix.path()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(m_home.path()).constData(), 0755) == 0);
        QVERIFY(::chown(QFile::encodeName(m_home.path()).constData(), nobody->pw_uid,
                        nobody->pw_gid) == 0);
    } else {
        QVERIFY(QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                               QFile::ExeGroup | QFile::ReadOther |
                                               QFile::ExeOther));
    }
    const QString userFolder = m_home.filePath(QStringLiteral(".local/share/Tagloom"));
    const QString settings = userFolder + QStringLiteral("/setting.dat");

    // First start: the per-user folder is made and holds the settings; bin/ stays untouched.
    QVERIFY(startInstalled(m_home.path()));
    QVERIFY2(!waitForWindow(QStringLiteral("^Tagloom -$")).isEmpty(),
             "the installed program's main window did not appear");
    QTRY_COMPARE_WITH_TIMEOUT(
        readBytes(settings),
        encodeInternal(SettingsFile::defaultLine(userFolder) + QStringLiteral("\r\n")).value(),
        10000);
    QCOMPARE(QDir(bin).entryList(QDir::Files | QDir::Hidden), QStringList{"tagloom"});
    stopInstalled();

    // Next start opens on the help page, which only the installed data folder holds.
    QVERIFY(!QFile::exists(userFolder + QStringLiteral("/help.html")));
    writeBytes(settings, "help" + readBytes(settings));
    QVERIFY(startInstalled(m_home.path()));
    QVERIFY2(!waitForWindow(QStringLiteral("^Tagloom -$")).isEmpty(),
             "the main window did not appear the second time");
    QImage shot;
    const bool painted = QTest::qWaitFor(
        [&] {
            // Looked up each time: the window of the ended run may linger for a moment.
            const QString main = waitForWindow(QStringLiteral("^Tagloom -$"));
            shot = QGuiApplication::primaryScreen()->grabWindow(main.toULongLong()).toImage();
            return helpOrangePixels(shot) > 200;
        },
        30000);
    if (!painted)
        shot.save(QDir::temp().filePath(QStringLiteral("tst_install-help.png")));
    QVERIFY2(painted, "the help page did not show (screen saved as tst_install-help.png)");
    QCOMPARE(QDir(bin).entryList(QDir::Files | QDir::Hidden), QStringList{"tagloom"});
    stopInstalled();

    // Another user of the same copy (here the one running the tests, even root) gets their own.
    m_asNobody = false;
    const QString otherFolder = m_otherHome.filePath(QStringLiteral(".local/share/Tagloom"));
    QVERIFY(startInstalled(m_otherHome.path()));
    QVERIFY2(!waitForWindow(QStringLiteral("^Tagloom -$")).isEmpty(),
             "the main window did not appear for the other user");
    QTRY_COMPARE_WITH_TIMEOUT(
        readBytes(otherFolder + QStringLiteral("/setting.dat")),
        encodeInternal(SettingsFile::defaultLine(otherFolder) + QStringLiteral("\r\n")).value(),
        10000);
    stopInstalled();
    QVERIFY(readBytes(settings).startsWith("help[]"));
    QCOMPARE(QDir(bin).entryList(QDir::Files | QDir::Hidden), QStringList{"tagloom"});
}

void TstInstall::debianPackage() {
    QTemporaryDir out;
    int rc = 0;
    QString log =
        run(QStringLiteral(TAGLOOM_CPACK),
            {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out.path()},
            QStringLiteral(TAGLOOM_BUILD_DIR), &rc);
    QVERIFY2(rc == 0, qPrintable(log));
    const QStringList debs = QDir(out.path()).entryList({QStringLiteral("tagloom_*.deb")});
    QCOMPARE(debs.size(), 1);
    const QString deb = out.filePath(debs.first());

    QCOMPARE(run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QStringLiteral("Version")})
                 .trimmed(),
             QStringLiteral("1.2.0.125"));
    const QString depends =
        run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QStringLiteral("Depends")});
    QStringList names;
    for (const QString& alternative : depends.trimmed().split(QStringLiteral(", ")))
        names << alternative.section(u' ', 0, 0);
    for (const char* needed : {"libc6", "libstdc++6", "libqt6core6", "libqt6widgets6",
                               "libqt6webenginewidgets6", "libqt6webenginecore6-bin",
                               "qt6-qpa-plugins", "qt6-translations-l10n", "fonts-ipafont-gothic"})
        QVERIFY2(names.contains(QString::fromLatin1(needed)),
                 qPrintable(needed + (": " + depends)));

    const QString contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), deb});
    for (const char* path : {"./usr/bin/tagloom", "./usr/share/tagloom/help.html",
                             "./usr/share/applications/tagloom.desktop",
                             "./usr/share/icons/hicolor/scalable/apps/tagloom.svg",
                             "./usr/share/icons/hicolor/48x48/apps/tagloom.png",
                             "./usr/share/metainfo/org.tagloom.Tagloom.metainfo.xml"})
        QVERIFY2(contents.contains(QLatin1Char(' ') + QLatin1String(path) + QLatin1Char('\n')),
                 path);
    QVERIFY2(contents.contains(QRegularExpression(QStringLiteral("^-rwxr-xr-x root/root .* "
                                                                 "\\./usr/bin/tagloom$"),
                                                  QRegularExpression::MultilineOption)),
             qPrintable(contents));

    // Unpacked as apt would lay it out, the program finds its help page from /usr/bin.
    QVERIFY(run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, out.filePath("root")})
                .isEmpty());
    QVERIFY(AppFolder::isInstalledCopy(out.filePath(QStringLiteral("root/usr/bin"))));
}

TAGLOOM_TEST_MAIN(TstInstall)
#include "tst_install.moc"
