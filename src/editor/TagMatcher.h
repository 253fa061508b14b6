#pragma once

#include <QString>
#include <functional>

class QTextDocument;
class QTextBlock;

// A tag's extent in the widget's own positions (one per line break).
struct TagSpan {
    int start = -1;
    int end = -1; // after its ">", or the end of what was read of it
    bool isValid() const { return start >= 0; }
};

struct TagMatch {
    TagSpan tag;            // the start or end tag around the position; invalid when there is none
    TagSpan partner;        // its partner, when found
    QString name;           // folded as case-ignoring comparison folds it: "div" for "DIV"
    bool isVoid = false;    // a void element or "/>": it has no partner
    bool unmatched = false; // looked for and not there
};

// Finds the tag around `position` and its partner, nesting counted, comments, scripts and
// style sheets skipped as a browser would. The search reads at most `budget` characters: past
// that the tag counts as neither matched nor unmatched, so a huge document never stalls the
// caret. `stateAtStart` gives the lexer's state at a block's start, -1 when unknown.
TagMatch matchTagAt(const QTextDocument& document, int position,
                    const std::function<int(const QTextBlock&)>& stateAtStart,
                    int budget = 256 << 10);

// The innermost element still open at `position`, tags paired as matchTagAt pairs them: a start
// tag whose partner lies before `position` is closed, a void element or "/>" never opens. `name`
// is spelt as its start tag spells it; empty when nothing is open, or when the start tag lies
// further back than `budget` characters. The budget is matchTagAt's: an element the tag marks
// cannot pair is not completed either, and a key never waits on more.
struct OpenElement {
    int start = -1; // where its start tag begins
    QString name;
};
OpenElement openElementAt(const QTextDocument& document, int position,
                          const std::function<int(const QTextBlock&)>& stateAtStart,
                          int budget = 256 << 10);

// Elements that never have an end tag.
bool isVoidElement(const QString& lowerName);
// The same, for a name in any letter case.
bool isVoidElementName(QStringView name);
