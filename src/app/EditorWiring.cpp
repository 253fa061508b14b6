#include "EditorWiring.h"

#include "TextPane.h"
#include "editor/SourceView.h"

EditorWiring::EditorWiring(TextPane& txtEdit)
    : m_view(new SourceView(&txtEdit, [&txtEdit](int width) { txtEdit.setGutterWidth(width); })) {}

EditorWiring::~EditorWiring() = default;

void EditorWiring::applyBackground(const QColor& background) {
    m_view->setBackground(background);
}
