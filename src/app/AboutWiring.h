#pragma once

#include <memory>

class AboutCommands;
class Host;
class frmEdit;
struct ProgramState;

// Connects the Help menu's about box (F12) and feedback form (Ctrl+H).
class AboutWiring {
public:
    AboutWiring(ProgramState& state, Host& host, frmEdit& window);
    ~AboutWiring();

    AboutCommands& commands() const { return *m_commands; }

private:
    std::unique_ptr<AboutCommands> m_commands;
};
