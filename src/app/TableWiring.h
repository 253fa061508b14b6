#pragma once

#include <memory>

class EditBuffer;
class Host;
class MenuTree;
class QWidget;
class TableTools;
struct ProgramState;

// Connects the Tools menu's two table items to the table tools, which this object owns.
class TableWiring {
public:
    TableWiring(ProgramState& state, Host& host, EditBuffer& buffer, MenuTree& menus,
                QWidget* mainWindow);
    ~TableWiring();

    TableTools& tools() const { return *m_tools; }

private:
    std::unique_ptr<TableTools> m_tools;
};
