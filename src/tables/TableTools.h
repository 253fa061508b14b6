#pragma once

#include "CsvToTable.h"

class EditBuffer;
class Host;
class QWidget;

// The two table commands of the Tools menu: a chosen CSV file converted in place of the
// selection, and a table made from the selection, at once or through the table window.
class TableTools {
public:
    TableTools(Host& host, EditBuffer& buffer, const QString& quote, QWidget* mainWindow);

    // mnuTableTool (Ctrl+F3).
    void mnuTableTool_Click();
    // mnuSelCSVTool (F3).
    void mnuSelCSVTool_Click();

    TableConverter& converter() { return m_converter; }

private:
    void showTableWindow();

    Host& m_host;
    EditBuffer& m_buffer;
    QWidget* m_mainWindow;
    TableConverter m_converter;
};
