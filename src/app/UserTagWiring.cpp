#include "UserTagWiring.h"

#include "MenuTree.h"
#include "host/Host.h"
#include "state/ProgramState.h"
#include "usertags/UserTagStore.h"
#include "usertags/frmTAG.h"
#include "usertags/frmTAGDEL.h"

using namespace Qt::Literals::StringLiterals;

UserTagWiring::UserTagWiring(ProgramState& state, Host& host, EditBuffer& buffer, MenuTree& menus,
                             QWidget* mainWindow)
    : m_host(host), m_mainWindow(mainWindow),
      m_store(std::make_unique<UserTagStore>(state.UserTagTable, host, buffer,
                                             menus.menu(u"mnuUserTAGS"_s))) {
    menus.wire(QStringLiteral("mnuTag"), [this] { mnuTag_Click(); });
    menus.wire(QStringLiteral("mnuTagDel"), [this] { mnuTagDel_Click(); });
}

UserTagWiring::~UserTagWiring() = default;

void UserTagWiring::mnuTag_Click() {
    frmTAG window(*m_store, m_host, m_mainWindow);
    m_host.showModal(&window);
    m_host.beep();
}

void UserTagWiring::mnuTagDel_Click() {
    frmTAGDEL window(*m_store, m_host, m_mainWindow);
    m_host.showModal(&window);
    m_host.beep();
}
