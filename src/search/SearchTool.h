#pragma once

#include <QPointer>

class EditBuffer;
class Host;
class QWidget;
class frmRe;

// Opens the search/replace dialog over the main window: one at a time, kept open while the
// user goes on editing.
class SearchTool {
public:
    SearchTool(Host& host, EditBuffer& buffer, QWidget* mainWindow);

    // Loads the dialog when it is not open, fills the target with txtEdit's selection (also
    // when it was open already) and shows it.
    void mnuReSe_Click();
    // The open dialog, or null.
    frmRe* window() const;

private:
    Host& m_host;
    EditBuffer& m_buffer;
    QWidget* m_mainWindow;
    QPointer<frmRe> m_window;
};
