#include "ImageViewer.h"

#include "frmV.h"
#include "host/Host.h"
#include "state/ProgramState.h"

ImageViewer::ImageViewer(ProgramState& state, Host& host, EditBuffer& buffer, QWidget* mainWindow)
    : m_state(state), m_host(host), m_buffer(buffer), m_mainWindow(mainWindow) {}

void ImageViewer::mnuImageV_Click() {
    // A fresh window each time: it starts again in the working folder with nothing chosen.
    frmV window(m_host, m_buffer, m_state.QuoteChar, m_mainWindow);
    m_host.showModal(&window);
    m_host.beep();
}
