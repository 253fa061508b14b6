#include "SearchTool.h"

#include "frmRe.h"
#include "host/EditBuffer.h"

SearchTool::SearchTool(Host& host, EditBuffer& buffer, QWidget* mainWindow, SourceView* view)
    : m_host(host), m_buffer(buffer), m_mainWindow(mainWindow), m_view(view) {}

void SearchTool::mnuReSe_Click() {
    // The main window owns the dialog; closing it deletes it and clears the pointer.
    if (!m_window)
        m_window = new frmRe(m_host, m_buffer, m_mainWindow, m_view);
    m_window->setTargetText(m_buffer.selectedText());
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

frmRe* SearchTool::window() const {
    return m_window;
}
