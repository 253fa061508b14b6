#pragma once

#include <memory>

class ColorTool;
class EditBuffer;
class Host;
class MenuTree;
class QWidget;
class TagCommands;
struct ProgramState;

// Puts the HTML menu's tree into the menu bar and connects its commands and the color code
// tool's Tools item to their implementations, which this object owns.
class TagWiring {
public:
    TagWiring(ProgramState& state, Host& host, EditBuffer& buffer, MenuTree& menus,
              QWidget* mainWindow);
    ~TagWiring();

    TagCommands& tags() const { return *m_tags; }
    ColorTool& colorTool() const { return *m_colorTool; }

private:
    std::unique_ptr<TagCommands> m_tags;
    std::unique_ptr<ColorTool> m_colorTool;
};
