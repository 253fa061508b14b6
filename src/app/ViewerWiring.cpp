#include "ViewerWiring.h"

#include "MenuTree.h"
#include "viewer/ImageViewer.h"

ViewerWiring::ViewerWiring(ProgramState& state, Host& host, EditBuffer& buffer, MenuTree& menus,
                           QWidget* mainWindow)
    : m_viewer(std::make_unique<ImageViewer>(state, host, buffer, mainWindow)) {
    ImageViewer* viewer = m_viewer.get();
    menus.wire(QStringLiteral("mnuImageV"), [viewer] { viewer->mnuImageV_Click(); });
}

ViewerWiring::~ViewerWiring() = default;
