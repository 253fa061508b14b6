#include "TagWiring.h"

#include "MenuTree.h"
#include "color/ColorTool.h"
#include "state/ProgramState.h"
#include "tags/HtmlMenu.h"
#include "tags/TagCommands.h"

TagWiring::TagWiring(ProgramState& state, Host& host, EditBuffer& buffer, MenuTree& menus,
                     QWidget* mainWindow)
    : m_tags(std::make_unique<TagCommands>(host, buffer, state.QuoteChar)),
      m_colorTool(std::make_unique<ColorTool>(state, host, buffer, mainWindow)) {
    buildHtmlMenu(menus.menu(QStringLiteral("mnuHTML")));
    m_tags->wireAll([&menus](const QString& item, std::function<void()> command) {
        menus.wire(item, std::move(command));
    });
    ColorTool* tool = m_colorTool.get();
    menus.wire(QStringLiteral("mnuColorTool"), [tool] { tool->mnuColorTool_Click(); });
}

TagWiring::~TagWiring() = default;
