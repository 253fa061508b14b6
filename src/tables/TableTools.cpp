#include "TableTools.h"

#include "frmTable.h"
#include "host/EditBuffer.h"
#include "host/Host.h"

TableTools::TableTools(Host& host, EditBuffer& buffer, const QString& quote, QWidget* mainWindow)
    : m_host(host), m_buffer(buffer), m_mainWindow(mainWindow), m_converter(host, buffer, quote) {}

void TableTools::mnuTableTool_Click() {
    m_converter.CsvToTable(true);
}

void TableTools::mnuSelCSVTool_Click() {
    m_host.beep();
    if (m_buffer.selectionLength() == 0) {
        showTableWindow();
        return;
    }
    const Answer answer = m_host.messageBox(
        QStringLiteral("選択されている文字をテーブル（表）にしますか？"), Buttons::YesNo,
        Icon::Information, QStringLiteral("ダイレクトにテーブルを作成"));
    if (answer == Answer::Yes) {
        // The selection stays in place, so the table replaces it.
        if (m_converter.handOverTableData(m_buffer.selectedText()))
            m_converter.CsvToTable(false);
    } else if (answer == Answer::No) {
        showTableWindow();
    }
    // Closing the box without an answer leaves everything as it was.
}

void TableTools::showTableWindow() {
    frmTable window(m_host, m_buffer, m_converter, m_mainWindow);
    m_host.showModal(&window);
}
