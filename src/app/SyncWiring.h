#pragma once

#include <QObject>
#include <memory>

class BrowserPane;
class EditBuffer;
class Host;
class MenuTree;
class Preview;
class PreviewSync;
struct ProgramState;

// Links the text pane and the preview (sync/PreviewSync): the element at the caret framed in the
// preview, Ctrl+click in the preview selecting its start tag. The Tools menu's
// mnuCaretPreview switches the first on and off and is remembered in its own file; browser mode
// hides the frame.
class SyncWiring {
public:
    SyncWiring(ProgramState& state, Host& host, EditBuffer& buffer, BrowserPane& wb,
               Preview& preview, MenuTree& menus);
    ~SyncWiring();

    PreviewSync& sync() const { return *m_sync; }

private:
    std::unique_ptr<PreviewSync> m_sync;
};
