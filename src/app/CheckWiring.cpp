#include "CheckWiring.h"

#include "MenuTree.h"
#include "check/ProblemsPanel.h"

CheckWiring::CheckWiring(EditBuffer& buffer, SourceView& view, MenuTree& menus, QWidget* client,
                         std::function<void()> relayout)
    : m_panel(new ProblemsPanel(buffer, view, client)) {
    QObject::connect(m_panel, &ProblemsPanel::openChanged, m_panel,
                     [relayout = std::move(relayout)](bool) { relayout(); });
    ProblemsPanel* panel = m_panel;
    // The same item opens the panel and closes it.
    menus.wire(QStringLiteral("mnuCheck"), [panel] { panel->toggle(); });
}

CheckWiring::~CheckWiring() = default;

int CheckWiring::panelHeight() const {
    return m_panel->isOpen() ? kPanelTwips : 0;
}
