#pragma once

#include <QString>
#include <functional>

class QAction;
class QMenu;
class QMainWindow;

// The menu bar of the main window: the six top-level menus in order, every item with its
// caption, shortcut and separator. Items start disabled; whoever implements an item connects it
// with `wire`, which also enables it, so nothing without a command can be chosen.
class MenuTree {
public:
    explicit MenuTree(QMainWindow* window);

    QMenu* menu(const QString& name) const;
    QAction* item(const QString& name) const;
    // Connects the item's click to `command` and enables it.
    QAction* wire(const QString& name, std::function<void()> command) const;

private:
    QMainWindow* m_window;
};
