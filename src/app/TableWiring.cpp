#include "TableWiring.h"

#include "MenuTree.h"
#include "state/ProgramState.h"
#include "tables/TableTools.h"

TableWiring::TableWiring(ProgramState& state, Host& host, EditBuffer& buffer, MenuTree& menus,
                         QWidget* mainWindow)
    : m_tools(std::make_unique<TableTools>(host, buffer, state.QuoteChar, mainWindow)) {
    TableTools* tools = m_tools.get();
    menus.wire(QStringLiteral("mnuSelCSVTool"), [tools] { tools->mnuSelCSVTool_Click(); });
    menus.wire(QStringLiteral("mnuTableTool"), [tools] { tools->mnuTableTool_Click(); });
}

TableWiring::~TableWiring() = default;
