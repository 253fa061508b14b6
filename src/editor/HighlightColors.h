#pragma once

#include <QColor>

// The colours the source pane draws with, derived from its background: dark accents on a light
// background, light ones on a dark background, each at least 4.5:1 against the background and
// against the marks drawn under text (current line, matching and unmatched tags, search hits).
struct HighlightColors {
    QColor background;
    QColor tag;
    QColor attributeName;
    QColor attributeValue;
    QColor comment;
    QColor entity;
    QColor doctype;
    QColor embedded; // script and style text
    QColor embeddedString;
    QColor lineNumber;      // muted
    QColor currentLine;     // background of the caret's line
    QColor matchedTag;      // background of a tag and its partner
    QColor unmatchedTag;    // background of a tag without a partner
    QColor unmatchedMarker; // its underline
    QColor searchHit;       // background of a search hit
    QColor problemError;    // wavy underline of an error the page check found
    QColor problemWarning;  // wavy underline of its warnings
    QColor fullWidthSpace;  // outline of a full-width space (U+3000)
};

// The WCAG contrast ratio of two colours (1 to 21).
double contrastRatio(const QColor& a, const QColor& b);

HighlightColors deriveHighlightColors(const QColor& background);
