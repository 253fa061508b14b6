#pragma once

#include <memory>

class EditBuffer;
class Host;
class MenuTree;
class QWidget;
class SearchTool;

// Connects the Edit menu's search/replace item to the search tool, which this object owns.
class SearchWiring {
public:
    SearchWiring(Host& host, EditBuffer& buffer, MenuTree& menus, QWidget* mainWindow);
    ~SearchWiring();

    SearchTool& searchTool() const { return *m_tool; }

private:
    std::unique_ptr<SearchTool> m_tool;
};
