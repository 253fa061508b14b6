#include "OptionCommands.h"

#include "frmOption.h"
#include "host/Host.h"

OptionCommands::OptionCommands(ProgramState& state, Host& host, ColorTool& colorTool,
                               Documents& documents, Preview& preview, QWidget* txtEdit,
                               QWidget* mainWindow, std::function<void()> layoutPanes)
    : m_state(state), m_host(host), m_colorTool(colorTool), m_documents(documents),
      m_preview(preview), m_txtEdit(txtEdit), m_mainWindow(mainWindow),
      m_layoutPanes(std::move(layoutPanes)) {}

void OptionCommands::mnuOption_Click() {
    {
        frmOption options(m_state, m_host, m_colorTool, m_documents, m_preview, m_txtEdit,
                          m_mainWindow);
        m_host.showModal(&options);
    }
    m_host.beep();
    if (m_layoutPanes)
        m_layoutPanes();
}
