#pragma once

#include <memory>

class OptionCommands;
class Host;
class frmEdit;
struct ProgramState;

// Connects mnuOption (F4) to the options dialog, which lays the panes out again through the
// main window when it closes.
class OptionWiring {
public:
    OptionWiring(ProgramState& state, Host& host, frmEdit& window);
    ~OptionWiring();

    OptionCommands& commands() const { return *m_commands; }

private:
    std::unique_ptr<OptionCommands> m_commands;
};
