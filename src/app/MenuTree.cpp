#include "MenuTree.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

struct ItemDef {
    const char* name;
    const char* caption; // nullptr: a separator
    const char* shortcut;
};

struct MenuDef {
    const char* name;
    const char* caption;
    std::initializer_list<ItemDef> items;
};

// The HTML menu's contents are the tag commands' own (tags/HtmlMenu); here it is only placed.
const MenuDef kMenus[] = {
    {"mnuFile",
     "ファイル(&F)",
     {{"mnuOpenFile", "開く(&O)...", "Ctrl+O"},
      {"mnuNewFile", "新規作成ウィザード(&N)...", ""},
      {"mnuUpdateFile", "上書き保存(&U)", "Ctrl+U"},
      {"mnuSaveFile", "名前を付けて保存(&S)...", "Ctrl+S"},
      {"mnuPrint", "プレビューされているものを印刷(&P)", "Ctrl+P"},
      {"mnuSep1", nullptr, ""},
      {"mnuEnd", "終了(&X)", ""}}},
    {"mnuEdit",
     "編集(&E)",
     {{"mnuBack", "元に戻す(&B)", "Ctrl+Z"},
      {"mnuAllSelect", "全て選択(&A)", "Ctrl+A"},
      {"mnuSep2", nullptr, ""},
      {"mnuCopy", "コピー(&C)", ""},
      {"mnuPaste", "貼り付け(&P)", ""},
      {"mnuCutDel", "切り取り(&K)", ""},
      {"mnuClear", "クリップボードのクリア(&D)", "Ctrl+C"},
      {"mnuSep", nullptr, ""},
      {"mnuReSe", "検索/置き換え(&S)", "Ctrl+F"}}},
    {"mnuTools",
     "ツール(&T)",
     {{"mnuColorTool", "カラーコード(&C)...", "F2"},
      {"mnuSelCSVTool", "表（テーブル）を作成する(&S)...", "F3"},
      {"mnuTableTool", "CSVファイルを表（テーブル）に変換(&T)...", "Ctrl+F3"},
      {"mnuSep4", nullptr, ""},
      {"mnuImageV", "画像ビューアー(&V)", "F6"},
      {"mnuWBTool", "ブラウザモード(&B)", "F7"},
      {"SepLast", nullptr, ""},
      {"mnuStringReport", "文字数報告(&R)", ""},
      {"mnuCheck", "HTMLの検査(&K)", "F8"},
      {"mnuSep6", nullptr, ""},
      {"mnuCaretPreview", "カーソル位置をプレビューで示す", "F9"}}},
    {"mnuHTML", "HTMLタグ(&H)", {}},
    {"mnuSetting",
     "設定(&S)",
     {{"mnuTag", "タグ登録(&T)...", "Ctrl+T"},
      {"mnuTagDel", "タグ削除(&D)...", "Ctrl+D"},
      {"mnuOption", "オプション(&O)...", "F4"}}},
    {"mnuHelp",
     "ヘルプ(&H)",
     {{"mnuHelpDoc", "ヘルプドキュメントの表示(&D)", "F11"},
      {"mnuHelpInfo", "バグ報告/感想/要望を書く(&B)", "Ctrl+H"},
      {"mnuSep5", nullptr, ""},
      {"mnuVersion", "バージョン情報(&V)...", "F12"}}},
};

} // namespace

MenuTree::MenuTree(QMainWindow* window) : m_window(window) {
    QMenuBar* bar = window->menuBar();
    for (const MenuDef& def : kMenus) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(def.caption));
        menu->setObjectName(QString::fromUtf8(def.name));
        menu->menuAction()->setObjectName(QString::fromUtf8(def.name));
        for (const ItemDef& item : def.items) {
            QAction* action = nullptr;
            if (!item.caption) {
                action = menu->addSeparator();
            } else {
                // Parented to the window so that its shortcut works wherever the focus is.
                action = new QAction(QString::fromUtf8(item.caption), window);
                if (*item.shortcut)
                    action->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
                action->setEnabled(false);
                menu->addAction(action);
            }
            action->setObjectName(QString::fromUtf8(item.name));
        }
    }
}

QMenu* MenuTree::menu(const QString& name) const {
    return m_window->menuBar()->findChild<QMenu*>(name, Qt::FindChildrenRecursively);
}

QAction* MenuTree::item(const QString& name) const {
    return m_window->findChild<QAction*>(name, Qt::FindChildrenRecursively);
}

QAction* MenuTree::wire(const QString& name, std::function<void()> command) const {
    QAction* action = item(name);
    if (!action)
        return nullptr;
    QObject::connect(action, &QAction::triggered, m_window, [command] { command(); });
    action->setEnabled(true);
    return action;
}
