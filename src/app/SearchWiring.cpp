#include "SearchWiring.h"

#include "MenuTree.h"
#include "search/SearchTool.h"

SearchWiring::SearchWiring(Host& host, EditBuffer& buffer, MenuTree& menus, QWidget* mainWindow,
                           SourceView& view)
    : m_tool(std::make_unique<SearchTool>(host, buffer, mainWindow, &view)) {
    SearchTool* tool = m_tool.get();
    menus.wire(QStringLiteral("mnuReSe"), [tool] { tool->mnuReSe_Click(); });
}

SearchWiring::~SearchWiring() = default;
