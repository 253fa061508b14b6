#pragma once

#include <memory>

class EditBuffer;
class Host;
class ImageViewer;
class MenuTree;
class QWidget;
struct ProgramState;

// Connects the Tools menu's image viewer item to the viewer, which this object owns.
class ViewerWiring {
public:
    ViewerWiring(ProgramState& state, Host& host, EditBuffer& buffer, MenuTree& menus,
                 QWidget* mainWindow);
    ~ViewerWiring();

    ImageViewer& viewer() const { return *m_viewer; }

private:
    std::unique_ptr<ImageViewer> m_viewer;
};
