#pragma once

#include <QStringView>

// The kinds of HTML source the pane colours. Plain text is not a token.
enum class HtmlToken {
    TagDelimiter, // "<", "</", ">", "/>"
    TagName,
    AttributeName,
    AttributeValue, // with its quotes and the "=" before it
    Comment,
    Entity,
    Doctype, // also "<?...>" and other "<!...>" declarations
    ScriptText,
    StyleText,
    EmbeddedString,  // a string inside a script or a style sheet
    EmbeddedComment, // a comment inside a script or a style sheet
};

// What the source after a point is read as, by the state the lexer is in there.
enum class HtmlPlace {
    Text,
    RawText,        // inside a script or a style sheet
    Markup,         // a comment or a declaration
    TagAttributes,  // inside a tag, where an attribute name may begin
    AttributeValue, // after an attribute's "=", or inside its quotes
};

// Receives the tokens of one line, left to right, positions relative to the line.
class HtmlTokenSink {
public:
    virtual ~HtmlTokenSink() = default;
    virtual void token(int start, int length, HtmlToken kind) = 0;
};

// A line-at-a-time HTML lexer in the manner a browser reads source: a comment ends at the first
// "-->", a quoted attribute value may hold ">", and a script or style ends at its end tag even
// inside a string of its own. What carries over between lines is one small integer, so it can be
// kept with each text block. Every line is read in one pass, so no input makes it slow.
namespace HtmlLexer {

// The state before the first line of a document.
constexpr int kInitialState = 0;

// Lexes `line` (without its line break) starting in `state`; returns the state at its end.
int lexLine(QStringView line, int state, HtmlTokenSink* sink);

// Where a state stands. A line lexed up to a point gives the state there.
HtmlPlace placeOf(int state);

} // namespace HtmlLexer
