#include "StartupTrace.h"
#include "about/AppVersion.h"
#include "frmEdit.h"
#include "frmStart.h"
#include "host/AppFolder.h"
#include "host/BrowserPane.h"
#include "host/CaretBlink.h"
#include "host/QtHost.h"
#include "state/ProgramState.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>
#include <unistd.h>

namespace {

// Qt's own dialogs and buttons speak Japanese whatever the system locale is.
void installJapanese(QApplication& app) {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* name : {"qtbase_ja", "qt_ja"}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(QString::fromLatin1(name), folder))
            app.installTranslator(translator);
        else
            delete translator;
    }
}

} // namespace

int main(int argc, char** argv) {
    // The browser's sandbox cannot start as root.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Tagloom"));
    app.setApplicationVersion(applicationVersionText(kAppVersion));
    // The desktop ties the windows to tagloom.desktop; the icon is the theme's, else the one
    // installed beside the help page.
    app.setDesktopFileName(QStringLiteral("tagloom"));
    app.setWindowIcon(QIcon::fromTheme(
        QStringLiteral("tagloom"),
        QIcon(AppFolder::installedDataFolder(QCoreApplication::applicationDirPath()) +
              QStringLiteral("/tagloom.png"))));
    app.setQuitOnLastWindowClosed(false);
    installJapanese(app);
    // Every caret stops blinking after a while without input and starts again on the next.
    CaretBlinkTimeout caretBlink;

    ProgramState state;
    QtHost host;
    frmStart splash(state, host);
    QObject::connect(&splash, &frmStart::mainWindowCreated, [&host](frmEdit* window) {
        host.setMainWindow(window);
        host.setBrowser(window->WB());
        QObject::connect(
            window->WB(), &BrowserPane::navigationShown, window, [] { traceStartup("start page"); },
            Qt::SingleShotConnection);
    });
    splash.Form_Load();
    const int result = app.exec();
    delete splash.mainWindow();
    return result;
}
