#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>
#include <map>

class Documents;
class EditCommands;
class Host;
class MenuTree;
class Preview;
class QToolBar;
struct ProgramState;

// The buttons of Toolbar1, left to right, each known by its key, with its caption under its
// icon and its tooltip. A click runs the action of the button's key and then beeps.
class Toolbar : public QObject {
    Q_OBJECT
public:
    using Actions = std::map<QString, std::function<void()>>;

    // `actions` by button key; a key without one only beeps.
    Toolbar(QToolBar* bar, Host& host, Actions actions);

    void Toolbar1_ButtonClick(const QString& key);

    // The button keys in order.
    static QStringList keys();
    // The desktop theme's icon for the button, or our own drawing where the theme has none.
    static QIcon iconFor(const QString& key);
    static QIcon drawnIcon(const QString& key);

private:
    Host& m_host;
    Actions m_actions;
};

// The actions of the main window's buttons.
Toolbar::Actions toolbarActions(ProgramState& state, Host& host, Documents& documents,
                                Preview& preview, MenuTree& menus, EditCommands& commands);
