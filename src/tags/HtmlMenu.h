#pragma once

class QMenu;

// Fills the (empty) HTML menu with its whole tree in order: the tag submenus, the greyed form
// branch, the style sheet branch, the separators and the registered-tags submenu with its two
// blank items. Every item and submenu carries its name as objectName. Items start disabled;
// wiring a command enables it.
void buildHtmlMenu(QMenu* mnuHTML);
