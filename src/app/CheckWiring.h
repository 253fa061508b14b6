#pragma once

#include <functional>

class EditBuffer;
class MenuTree;
class ProblemsPanel;
class SourceView;
class QWidget;

// Connects the Tools menu's page check to the problems panel under the text pane, which this
// object creates in `client` (the window lays it out, told by `relayout`).
class CheckWiring {
public:
    CheckWiring(EditBuffer& buffer, SourceView& view, MenuTree& menus, QWidget* client,
                std::function<void()> relayout);
    ~CheckWiring();

    ProblemsPanel& panel() const { return *m_panel; }
    // The panel's height in twips while it is open, else 0.
    int panelHeight() const;

    // The panel's height in twips while open.
    static constexpr int kPanelTwips = 2400;

private:
    ProblemsPanel* m_panel; // owned by the client widget
};
