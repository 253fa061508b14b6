#include "AboutCommands.h"

#include "frmInfo.h"
#include "frmVersion.h"
#include "host/Host.h"
#include "state/ProgramState.h"

AboutCommands::AboutCommands(ProgramState& state, Host& host, Preview& preview, QWidget* mainWindow,
                             QString feedbackScript)
    : m_state(state), m_host(host), m_preview(preview), m_mainWindow(mainWindow),
      m_feedbackScript(std::move(feedbackScript)) {}

void AboutCommands::mnuVersion_Click() {
    {
        frmVersion about(m_host, m_mainWindow);
        m_host.showModal(&about);
    }
    m_host.beep();
}

void AboutCommands::mnuHelpInfo_Click() {
    m_host.beep();
    {
        frmInfo form(m_state, m_host, m_preview, m_feedbackScript, m_mainWindow);
        m_host.showModal(&form);
    }
    if (m_state.FeedbackNavigated)
        m_host.injectKeys(QStringLiteral("{F7}"));
}
