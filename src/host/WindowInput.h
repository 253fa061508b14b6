#pragma once

#include <QPointer>
#include <utility>
#include <vector>

class QAction;
class QWidget;

// Takes a window's input away while something runs on its behalf (a print, a conversion) and
// gives it back as it was. Enabling a window enables the entry of every submenu in it, so the
// entries that were greyed are greyed again; and disabling took the focus away, so the control
// that had it gets it back.
class DisabledWindow {
public:
    DisabledWindow() = default;
    explicit DisabledWindow(QWidget* window);

    // Enables the window again, once; a later call does nothing.
    void restore();

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_focus;
    std::vector<std::pair<QPointer<QAction>, bool>> m_submenus;
};
