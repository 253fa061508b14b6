#pragma once

#include <memory>

class EditBuffer;
class Host;
class MenuTree;
class QWidget;
class UserTagStore;
struct ProgramState;

// Puts the user tag store behind the registered-tags menu and opens the registration and
// deletion dialogs from the settings menu (each followed by the beep).
class UserTagWiring {
public:
    UserTagWiring(ProgramState& state, Host& host, EditBuffer& buffer, MenuTree& menus,
                  QWidget* mainWindow);
    ~UserTagWiring();

    UserTagStore& store() const { return *m_store; }

    void mnuTag_Click();
    void mnuTagDel_Click();

private:
    Host& m_host;
    QWidget* m_mainWindow;
    std::unique_ptr<UserTagStore> m_store;
};
