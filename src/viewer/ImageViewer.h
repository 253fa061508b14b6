#pragma once

class EditBuffer;
class Host;
class QWidget;
struct ProgramState;

// Opens the image viewer from the Tools menu: modal over the main window, a beep once closed.
class ImageViewer {
public:
    ImageViewer(ProgramState& state, Host& host, EditBuffer& buffer, QWidget* mainWindow);

    void mnuImageV_Click();

private:
    ProgramState& m_state;
    Host& m_host;
    EditBuffer& m_buffer;
    QWidget* m_mainWindow;
};
