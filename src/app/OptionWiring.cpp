#include "OptionWiring.h"

#include "MenuTree.h"
#include "TagWiring.h"
#include "TextPane.h"
#include "frmEdit.h"
#include "options/OptionCommands.h"

OptionWiring::OptionWiring(ProgramState& state, Host& host, frmEdit& window) {
    m_commands = std::make_unique<OptionCommands>(
        state, host, window.tagWiring().colorTool(), window.documents(), window.preview(),
        window.txtEdit(), &window, [&window] { window.Form_Resize(); });
    OptionCommands* commands = m_commands.get();
    window.menus().wire(QStringLiteral("mnuOption"), [commands] { commands->mnuOption_Click(); });
}

OptionWiring::~OptionWiring() = default;
