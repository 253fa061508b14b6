#include "WindowInput.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

DisabledWindow::DisabledWindow(QWidget* window) : m_window(window) {
    if (!window)
        return;
    m_focus = window->focusWidget();
    for (QMenu* menu : window->findChildren<QMenu*>())
        m_submenus.emplace_back(menu->menuAction(), menu->menuAction()->isEnabled());
    window->setEnabled(false);
}

void DisabledWindow::restore() {
    if (!m_window)
        return;
    m_window->setEnabled(true);
    for (const auto& [entry, enabled] : m_submenus)
        if (entry)
            entry->setEnabled(enabled);
    if (m_focus && m_focus->isEnabled())
        m_focus->setFocus(Qt::OtherFocusReason);
    m_window = nullptr;
}
