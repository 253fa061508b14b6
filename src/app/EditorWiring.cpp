#include "EditorWiring.h"

#include "TextPane.h"
#include "editor/HtmlHighlighter.h"
#include "editor/SourceView.h"
#include "editor/TypingAids.h"

EditorWiring::EditorWiring(TextPane& txtEdit)
    : m_view(new SourceView(&txtEdit, [&txtEdit](int width) { txtEdit.setGutterWidth(width); })) {
    SourceView* view = m_view;
    m_aids = new TypingAids(
        &txtEdit, [view](const QTextBlock& b) { return view->highlighter().stateAtStart(b); });
    txtEdit.setTypingAids(m_aids);
    txtEdit.setOverlayPainter(
        [view](const QRect& area, const QTextBlock& first, const QPointF& offset) {
            view->paintOverText(area, first, offset);
        });
}

EditorWiring::~EditorWiring() = default;

void EditorWiring::applyBackground(const QColor& background) {
    m_view->setBackground(background);
}
