#pragma once

#include <QString>

class QWidget;

// Queues keys for the program's own active window, to arrive after the running command:
// "^Z" goes to the focused widget as its own undo key (past the menu shortcut Ctrl+Z); any other
// key such as "{F2}" runs the enabled menu item whose shortcut it is.
void queueInjectedKeys(QWidget* mainWindow, const QString& keys);
