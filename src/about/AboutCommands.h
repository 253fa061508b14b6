#pragma once

#include <QString>

class Host;
class Preview;
class QWidget;
struct ProgramState;

// The Help menu's about box (mnuVersion) and feedback form (mnuHelpInfo).
class AboutCommands {
public:
    AboutCommands(ProgramState& state, Host& host, Preview& preview, QWidget* mainWindow,
                  QString feedbackScript);

    void mnuVersion_Click();
    // After a post or a read, F7 toggles browser mode so the answer can be read.
    void mnuHelpInfo_Click();

private:
    ProgramState& m_state;
    Host& m_host;
    Preview& m_preview;
    QWidget* m_mainWindow;
    QString m_feedbackScript;
};
