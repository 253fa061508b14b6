#pragma once

#include <QMainWindow>
#include <memory>

class AboutWiring;
class BrowserPane;
class CheckWiring;
class Documents;
class EditBuffer;
class EditCommands;
class EditorWiring;
class Host;
class MenuTree;
class OptionWiring;
class Preview;
class QTimer;
class QToolBar;
class TableWiring;
class SearchWiring;
class SyncWiring;
class TagWiring;
class TextPane;
class Toolbar;
class ViewerWiring;
class UserTagWiring;
struct PaneLayout;
struct ProgramState;

// The main window: owns the two panes, runs start-up, the pane layout and exit. The commands
// belong to their subsystems; this window only assembles them.
class frmEdit : public QMainWindow {
    Q_OBJECT
public:
    frmEdit(ProgramState& state, Host& host, QWidget* parent = nullptr);
    ~frmEdit() override;

    // The start-up sequence; runs once, before the window is first shown.
    void Form_Load();
    // The pane layout, redone on every size change, after the options and on leaving
    // browser mode.
    void Form_Resize();
    // The close request. unloadMode 0: the user closed the window; cancel = -1 keeps it open.
    void Form_QueryUnload(int& cancel, int unloadMode);
    void mnuEnd_Click();
    void mnuWBTool_Click();

    TextPane* txtEdit() const { return m_txtEdit; }
    BrowserPane* WB() const { return m_wb; }
    QToolBar* Toolbar1() const { return m_toolbar; }
    QTimer* Timer1() const { return m_timer; }
    EditBuffer& buffer() const { return *m_buffer; }
    Preview& preview() const { return *m_preview; }
    Documents& documents() const { return *m_documents; }
    MenuTree& menus() const { return *m_menus; }
    EditCommands& editCommands() const { return *m_editCommands; }
    Toolbar* toolbarButtons() const { return m_toolbarButtons; }
    TagWiring& tagWiring() const { return *m_tagWiring; }
    TableWiring& tableWiring() const { return *m_tableWiring; }
    ViewerWiring& viewerWiring() const { return *m_viewerWiring; }
    UserTagWiring& userTagWiring() const { return *m_userTagWiring; }
    SearchWiring& searchWiring() const { return *m_searchWiring; }
    EditorWiring& editorWiring() const { return *m_editorWiring; }
    CheckWiring& checkWiring() const { return *m_checkWiring; }
    SyncWiring& syncWiring() const { return *m_syncWiring; }

    void setCaption(const QString& caption);
    // Outer size and positions in twips, through the screen's logical DPI.
    double twipsPerPixel() const;
    int toPixels(int twips) const;
    int toTwips(int pixels) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void placeWindow();
    // Sizes the client so that the outer frame has the placed size, once the frame is known.
    // True once done.
    bool fitPlacedOuterSize();
    void applyEditorColors();
    void applyEditorFont();
    void offerRecovery();
    // Steps 2 and 3 of the close request. False when the user kept the window open.
    bool askToSaveAndClean();
    void deleteScratchFiles();
    void resetSettings();
    void wireCommands();
    // The layout of the moment, in twips, with the problems panel's share when it is open.
    PaneLayout currentLayout() const;
    // The text pane's height and the problems panel under it; the rest stays as it is.
    void placeTextPaneAndProblems(const PaneLayout& layout);
    void layoutTextPane();

    ProgramState& m_state;
    Host& m_host;
    QWidget* m_client = nullptr;
    QToolBar* m_toolbar = nullptr;
    TextPane* m_txtEdit = nullptr;
    BrowserPane* m_wb = nullptr;
    QTimer* m_timer = nullptr;
    std::unique_ptr<EditBuffer> m_buffer;
    std::unique_ptr<MenuTree> m_menus;
    std::unique_ptr<Preview> m_preview;
    std::unique_ptr<Documents> m_documents;
    std::unique_ptr<EditCommands> m_editCommands;
    Toolbar* m_toolbarButtons = nullptr; // owned by Toolbar1
    std::unique_ptr<TagWiring> m_tagWiring;
    std::unique_ptr<TableWiring> m_tableWiring;
    std::unique_ptr<OptionWiring> m_optionWiring;
    std::unique_ptr<AboutWiring> m_aboutWiring;
    std::unique_ptr<ViewerWiring> m_viewerWiring;
    std::unique_ptr<UserTagWiring> m_userTagWiring;
    std::unique_ptr<SearchWiring> m_searchWiring;
    std::unique_ptr<EditorWiring> m_editorWiring;
    std::unique_ptr<CheckWiring> m_checkWiring;
    std::unique_ptr<SyncWiring> m_syncWiring;
    bool m_sessionEnding = false;
    bool m_firstShow = true;
    QSize m_placedOuterSize;
    bool m_outerSizeFitted = false;
};
