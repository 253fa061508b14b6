#pragma once

#include <functional>

class ColorTool;
class Documents;
class Host;
class Preview;
class QWidget;
struct ProgramState;

// mnuOption: the options dialog over the main window; whichever way it closes, the main window
// beeps and lays out its panes again (the ratio or the split may have changed).
class OptionCommands {
public:
    OptionCommands(ProgramState& state, Host& host, ColorTool& colorTool, Documents& documents,
                   Preview& preview, QWidget* txtEdit, QWidget* mainWindow,
                   std::function<void()> layoutPanes);

    void mnuOption_Click();

private:
    ProgramState& m_state;
    Host& m_host;
    ColorTool& m_colorTool;
    Documents& m_documents;
    Preview& m_preview;
    QWidget* m_txtEdit;
    QWidget* m_mainWindow;
    std::function<void()> m_layoutPanes;
};
