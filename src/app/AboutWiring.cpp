#include "AboutWiring.h"

#include "MenuTree.h"
#include "about/AboutCommands.h"
#include "about/AppVersion.h"
#include "frmEdit.h"

AboutWiring::AboutWiring(ProgramState& state, Host& host, frmEdit& window) {
    m_commands = std::make_unique<AboutCommands>(state, host, window.preview(), &window,
                                                 feedbackScriptAddress());
    AboutCommands* commands = m_commands.get();
    window.menus().wire(QStringLiteral("mnuVersion"), [commands] { commands->mnuVersion_Click(); });
    window.menus().wire(QStringLiteral("mnuHelpInfo"),
                        [commands] { commands->mnuHelpInfo_Click(); });
}

AboutWiring::~AboutWiring() = default;
