#include "UserTagMenu.h"

#include <QAction>
#include <QMenu>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kItemName = u"mnuUserTAGmnu"_s;

int indexOf(const QAction* action) {
    return action->objectName() == kItemName ? action->property("index").toInt() : -1;
}

} // namespace

QAction* userTagItem(QMenu* menu, int index) {
    if (!menu)
        return nullptr;
    for (QAction* action : menu->actions())
        if (indexOf(action) == index)
            return action;
    return nullptr;
}

void rebuildUserTagMenu(QMenu* menu, const UserTagTable& table, int count,
                        const std::function<void(int)>& click) {
    if (!menu)
        return;
    for (QAction* action : menu->actions()) {
        if (indexOf(action) >= 2) {
            menu->removeAction(action);
            delete action;
        }
    }
    if (QAction* item1 = userTagItem(menu, 1)) {
        item1->setText(QString());
        item1->setEnabled(false);
        item1->setVisible(false);
    }
    if (QAction* item0 = userTagItem(menu, 0)) {
        item0->setText(u"タグが登録されていません"_s);
        item0->setEnabled(false);
        item0->setVisible(true);
    }
    for (int j = 0; j < count; ++j) {
        QAction* item = userTagItem(menu, j);
        if (!item) {
            item = new QAction(menu);
            item->setObjectName(kItemName);
            item->setProperty("index", j);
            QObject::connect(item, &QAction::triggered, menu, [click, j] { click(j); });
            menu->addAction(item);
        }
        item->setText(table[j].Name);
        item->setEnabled(true);
        item->setVisible(true);
    }
}
