#pragma once

#include <QString>
#include <functional>

class QTextDocument;
class QTextBlock;

// What completes an end tag whose "</" has just been typed before `position`: the name of the
// innermost element open there, spelt as its start tag spells it, and ">". Empty when nothing is
// open, when "</" does not begin a tag there (inside a comment or an attribute value), when the
// text after it already goes on as a name, or when the lexer's state at the line is not known.
QString closingTagAt(const QTextDocument& document, int position,
                     const std::function<int(const QTextBlock&)>& stateAtStart);
