#include "TestApp.h"

#include "app/frmEdit.h"
#include "host/TextFile.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>
#include <unistd.h>

void prepareTestApplication() {
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void installTestTranslations() {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        qApp->installTranslator(translator);
}

EditorFixture::EditorFixture() : host(dir.path()) {}

EditorFixture::EditorFixture(const QString& folderTemplate)
    : dir(QDir::tempPath() + u'/' + folderTemplate), host(dir.path()) {}

EditorFixture::~EditorFixture() = default;

void EditorFixture::writeSettings(const QMap<int, QString>& fields) {
    QStringList line = SettingsFile::defaultLine(dir.path()).split(QStringLiteral("[]"));
    for (auto it = fields.begin(); it != fields.end(); ++it)
        line[it.key()] = it.value();
    writeBytes(appFile(QStringLiteral("setting.dat")),
               encodeInternal(line.join(QStringLiteral("[]")) + QStringLiteral("\r\n")).value());
}

frmEdit& EditorFixture::open(bool load) {
    window = std::make_unique<frmEdit>(state, host);
    host.deliverKeysTo = window.get();
    if (load)
        window->Form_Load();
    return *window;
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}
