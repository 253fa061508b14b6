#pragma once

#include "UserTagStore.h"

#include <functional>

class QAction;
class QMenu;

// Rebuilds the items of the registered-tags menu: items 2 and up go, item 1 is hidden, item 0
// reads "タグが登録されていません" greyed out, and then the first `count` rows' names become
// items 0 to count - 1, enabled, in row order. Created items call `click` with their index.
void rebuildUserTagMenu(QMenu* menu, const UserTagTable& table, int count,
                        const std::function<void(int)>& click);

// The item `index` of the registered-tags menu, or null.
QAction* userTagItem(QMenu* menu, int index);
