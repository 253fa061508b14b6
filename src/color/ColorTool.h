#pragma once

#include <QString>

class EditBuffer;
class Host;
class QWidget;
struct ProgramState;

// Opens the color code tool for its callers: the Tools menu item (reached by F2 from the tag
// commands) and the options dialog's two color buttons.
class ColorTool {
public:
    ColorTool(ProgramState& state, Host& host, EditBuffer& buffer, QWidget* mainWindow);

    // "colorset": OK writes the code in place of txtEdit's selection.
    void mnuColorTool_Click();
    // Sets the mode word ("colorset", "txtBack", "txtColor") and shows the tool modally over
    // `owner`; returns once it has closed.
    int open(const QString& mode, QWidget* owner);

private:
    ProgramState& m_state;
    Host& m_host;
    EditBuffer& m_buffer;
    QWidget* m_mainWindow;
};
