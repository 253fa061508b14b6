#include "ColorTool.h"

#include "frmColor.h"
#include "host/Host.h"
#include "state/ProgramState.h"

ColorTool::ColorTool(ProgramState& state, Host& host, EditBuffer& buffer, QWidget* mainWindow)
    : m_state(state), m_host(host), m_buffer(buffer), m_mainWindow(mainWindow) {}

void ColorTool::mnuColorTool_Click() {
    open(QStringLiteral("colorset"), m_mainWindow);
}

int ColorTool::open(const QString& mode, QWidget* owner) {
    m_state.color.ColorToolMode = mode;
    // A fresh window each time: it shows the last OK's values, not what a close-box exit left.
    frmColor window(m_state.color, m_state.settings, m_host, m_buffer, owner);
    return m_host.showModal(&window);
}
