#pragma once

#include "FakeHost.h"
#include "state/ProgramState.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class frmEdit;

// Settings a test process needs before its QApplication exists: shared GL contexts for the
// browser pane, no browser sandbox as root, Japanese for Qt's own texts.
void prepareTestApplication();
void installTestTranslations();

#define TAGLOOM_TEST_MAIN(TestClass)                                                               \
    int main(int argc, char** argv) {                                                              \
        prepareTestApplication();                                                                  \
        QApplication app(argc, argv);                                                              \
        installTestTranslations();                                                                 \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

// A main window over a fake host whose application folder is a fresh temporary folder.
struct EditorFixture {
    EditorFixture();
    // The application folder named from `folderTemplate` (ending in XXXXXX) in the temporary
    // folder.
    explicit EditorFixture(const QString& folderTemplate);
    ~EditorFixture();

    QString appFile(const QString& name) const { return dir.filePath(name); }
    // Writes setting.dat with the given fields replacing those of the default line.
    void writeSettings(const QMap<int, QString>& fields);
    // Builds the window (and runs its start-up sequence when `load` is true).
    frmEdit& open(bool load = true);

    QTemporaryDir dir;
    FakeHost host;
    ProgramState state;
    std::unique_ptr<frmEdit> window;
};

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);
