#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QPointF>
#include <QRect>

class QPlainTextEdit;
class QTextBlock;
class QTextLayout;

// Shows every full-width space (U+3000) of the pane as a faint square in the room it takes, as
// Japanese text editors do: one typed by accident inside a tag breaks the page and cannot be
// seen otherwise. The outline is painted over the text of the lines being painted, never laid
// into the text, and costs nothing while nothing is painted.
class FullWidthSpaceMarks {
public:
    explicit FullWidthSpaceMarks(QPlainTextEdit* edit);
    ~FullWidthSpaceMarks();
    FullWidthSpaceMarks(const FullWidthSpaceMarks&) = delete;
    FullWidthSpaceMarks& operator=(const FullWidthSpaceMarks&) = delete;

    void setColor(const QColor& color) { m_color = color; }

    // Outlines the full-width spaces painted in `area` of the viewport, just after the pane has
    // painted its text there. `first` and `offset` are the pane's first visible block and
    // content offset, as its painting used them.
    void paint(const QRect& area, QTextBlock first, QPointF offset) const;

private:
    // A full-width space of a line: its place in the line's layout and the room it takes.
    struct Space {
        int at = 0;
        int line = 0;
        qreal left = 0;
        qreal right = 0;
    };
    // The spaces of a line as its layout placed them. Finding the room a character takes shapes
    // the line anew (a line's layout keeps no glyphs once it is drawn), so a line's spaces are
    // kept until its text, its wrapping or the font changes.
    struct Line {
        int lineCount = 0;
        qreal width = 0;
        QList<Space> spaces;
    };

    void onContentsChange(int position, int removed, int added);

    QPlainTextEdit* m_edit;
    QColor m_color;
    QMetaObject::Connection m_changes;
    int m_blockCount = 1;
    // By block number, for the lines painted lately.
    mutable QHash<int, Line> m_lines;
    mutable QFont m_font;
    mutable qreal m_tabStop = -1;
};
