#pragma once

#include "host/EditBuffer.h"
#include "support/FakeHost.h"
#include "tables/TableTools.h"

#include <QObject>
#include <QPlainTextEdit>
#include <QTemporaryDir>

class TstTables : public QObject {
    Q_OBJECT
private slots:
    // tst_rows.cpp
    void rows_data();
    void rows();
    void rowsLimit();
    void frame_data();
    void frame();

    // tst_convert.cpp
    void chosenFile_data();
    void chosenFile();
    void cancelledDialogShowsTheErrorPage();
    void missingTableData();
    void emptyBorderAnswer();
    void tooLargeTable_data();
    void tooLargeTable();
    void tooLargeFileIsNotRead();
    void damagedCsvIsToldAfterTheTable();
    void specialFileIsACsvFailure_data();
    void specialFileIsACsvFailure();
    void tableDataBytes_data();
    void tableDataBytes();

    // tst_window.cpp
    void menuItems();
    void directConversionReplacesTheSelection();
    void questionClosedWithoutAnswer();
    void windowTakesTheSelectionAndGivesItBack();
    void windowWithoutSelection();
    void createTableFromWindow();
    void createWithNothingEntered();
    void failedConversionPutsTheTextBack();
    void damagedCharacterIsNeverConverted_data();
    void damagedCharacterIsNeverConverted();
    void typingAids_data();
    void typingAids();
    void windowTexts();
    void resizeRule();
};

// A text box, its buffer and the table tools over a fake host in a fresh application folder.
struct TableBench {
    TableBench() : buffer(&edit), host(dir.path()), tools(host, buffer, quote, &edit) {}

    QString appFile(const QString& name) const { return dir.filePath(name); }
    TableConverter& converter() { return tools.converter(); }

    QTemporaryDir dir;
    QPlainTextEdit edit;
    EditBuffer buffer;
    FakeHost host;
    QString quote = QStringLiteral("\"");
    TableTools tools;
};

// The kinds of the host calls, navigations left out unless `withNavigation`.
QStringList callKinds(const FakeHost& host, bool withNavigation = false);
