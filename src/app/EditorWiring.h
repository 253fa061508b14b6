#pragma once

#include <QColor>
#include <memory>

class SourceView;
class TextPane;
class TypingAids;

// Attaches the source view (colours, line numbers, tag marks, full-width spaces) and the typing
// aids (end tags, the suggestion list) to txtEdit.
class EditorWiring {
public:
    explicit EditorWiring(TextPane& txtEdit);
    ~EditorWiring();

    // Derives the highlight colours from the editor's background, at once.
    void applyBackground(const QColor& background);
    SourceView& view() const { return *m_view; }
    TypingAids& typingAids() const { return *m_aids; }

private:
    SourceView* m_view; // owned by txtEdit
    TypingAids* m_aids; // owned by txtEdit
};
