#pragma once

#include <QString>

class EditBuffer;
class Host;
class MenuTree;
class QMainWindow;
class QWidget;
class TextPane;
struct ProgramState;

// The commands of the edit menu and the others that belong to no subsystem: undo, select all,
// the clipboard, the character count and printing, and the text pane's key handling.
class EditCommands {
public:
    EditCommands(ProgramState& state, Host& host, EditBuffer& buffer, TextPane& txtEdit,
                 QMainWindow& window, QWidget& WB, MenuTree& menus);

    // Connects (and so enables) the items these commands implement.
    void wire();

    // Gives the text pane the focus and sends it its own undo key, to arrive after the running
    // command; the toolbar's undo does this too.
    void sendUndoKey();

    void mnuBack_Click();
    void mnuAllSelect_Click();
    void mnuCopy_Click();
    void mnuCutDel_Click();
    void mnuPaste_Click();
    void mnuClear_Click();
    void mnuStringReport_Click();
    void mnuPrint_Click();

    // The characters of `text` with each CR LF counted as one and a surrogate pair as one.
    static int characterCount(const QString& text);
    // Where a print goes when there is no printer: beside the document, named after it, or in
    // the application folder when there is no document.
    static QString pdfPathFor(const QString& documentPath, const QString& applicationFolder);

private:
    ProgramState& m_state;
    Host& m_host;
    EditBuffer& m_buffer;
    TextPane& m_txtEdit;
    QMainWindow& m_window;
    QWidget& m_wb;
    MenuTree& m_menus;
};
