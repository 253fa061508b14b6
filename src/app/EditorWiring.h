#pragma once

#include <QColor>
#include <memory>

class SourceView;
class TextPane;

// Attaches the source view (colours, line numbers, tag marks) to txtEdit.
class EditorWiring {
public:
    explicit EditorWiring(TextPane& txtEdit);
    ~EditorWiring();

    // Derives the highlight colours from the editor's background, at once.
    void applyBackground(const QColor& background);
    SourceView& view() const { return *m_view; }

private:
    SourceView* m_view; // owned by txtEdit
};
