#pragma once

#include <memory>

class EditBuffer;
class Host;
class MenuTree;
class QWidget;
class SearchTool;
class SourceView;

// Connects the Edit menu's search/replace item to the search tool, which this object owns; the
// tool marks its hits in the pane's source view.
class SearchWiring {
public:
    SearchWiring(Host& host, EditBuffer& buffer, MenuTree& menus, QWidget* mainWindow,
                 SourceView& view);
    ~SearchWiring();

    SearchTool& searchTool() const { return *m_tool; }

private:
    std::unique_ptr<SearchTool> m_tool;
};
