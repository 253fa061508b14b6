#pragma once

#include <QPointer>

class EditBuffer;
class Host;
class QWidget;
class SourceView;
class frmRe;

// Opens the search/replace dialog over the main window: one at a time, kept open while the
// user goes on editing. Its hits are marked in `view`, the pane's source view, when given.
class SearchTool {
public:
    SearchTool(Host& host, EditBuffer& buffer, QWidget* mainWindow, SourceView* view = nullptr);

    // Loads the dialog when it is not open, fills the target with txtEdit's selection (also
    // when it was open already) and shows it.
    void mnuReSe_Click();
    // The open dialog, or null.
    frmRe* window() const;

private:
    Host& m_host;
    EditBuffer& m_buffer;
    QWidget* m_mainWindow;
    SourceView* m_view;
    QPointer<frmRe> m_window;
};
