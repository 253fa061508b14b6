#include "HtmlLexer.h"

namespace {

// The low bits of a state say where the line ended; two more say whether the tag being read is
// a start tag of a script or a style sheet, whose content is read as such after its ">".
enum Mode {
    Text = 0,
    Comment,
    Declaration,  // <!DOCTYPE ...>
    BogusComment, // <?...>, <!...>, </ 1...>: up to the next ">"
    InTag,
    AfterAttributeName,
    BeforeAttributeValue,
    DoubleQuotedValue,
    SingleQuotedValue,
    Script,
    ScriptBlockComment,
    ScriptTemplate,
    Style,
    StyleComment,
};
constexpr int kModeMask = 0xF;
constexpr int kRawScript = 0x10;
constexpr int kRawStyle = 0x20;
constexpr int kRawMask = kRawScript | kRawStyle;

bool isSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\f' || c == u'\r' || c == u'\n';
}

bool isAsciiLetter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

bool isAsciiDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool isHexDigit(QChar c) {
    const char16_t u = c.unicode();
    return isAsciiDigit(c) || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

class LineLexer {
public:
    LineLexer(QStringView line, HtmlTokenSink* sink) : s(line), n(int(line.size())), out(sink) {}

    int run(int state) {
        int mode = state & kModeMask;
        raw = state & kRawMask;
        while (i < n) {
            switch (mode) {
            case Text:
                mode = text();
                break;
            case Comment:
                mode = comment();
                break;
            case Declaration:
                mode = untilTagEnd(HtmlToken::Doctype);
                break;
            case BogusComment:
                mode = untilTagEnd(HtmlToken::Comment);
                break;
            case InTag:
                mode = inTag();
                break;
            case AfterAttributeName:
                mode = afterAttributeName();
                break;
            case BeforeAttributeValue:
                mode = beforeAttributeValue();
                break;
            case DoubleQuotedValue:
                mode = quotedValue(u'"');
                break;
            case SingleQuotedValue:
                mode = quotedValue(u'\'');
                break;
            case Script:
                mode = script();
                break;
            case ScriptBlockComment:
                mode = blockComment(ScriptBlockComment, kRawScript);
                break;
            case ScriptTemplate:
                mode = scriptTemplate();
                break;
            case Style:
                mode = style();
                break;
            case StyleComment:
                mode = blockComment(StyleComment, kRawStyle);
                break;
            default:
                mode = Text;
                break;
            }
        }
        const bool inTag = mode >= InTag && mode <= SingleQuotedValue;
        return mode | (inTag ? raw : 0);
    }

private:
    void put(int start, int end, HtmlToken kind) {
        if (out && end > start)
            out->token(start, end - start, kind);
    }

    bool startsWithAt(int at, QStringView word) const {
        return at + word.size() <= n &&
               s.mid(at, word.size()).compare(word, Qt::CaseInsensitive) == 0;
    }

    // "</script" or "</style" closing the raw text the caller is in.
    bool rawEndAt(int at) const {
        const QStringView name = raw == kRawScript ? u"script" : u"style";
        if (!startsWithAt(at, u"</") || !startsWithAt(at + 2, name))
            return false;
        const int after = at + 2 + int(name.size());
        return after >= n || isSpace(s[after]) || s[after] == u'/' || s[after] == u'>';
    }

    int text() {
        while (i < n) {
            const QChar c = s[i];
            if (c == u'<') {
                const int mode = tagOpen();
                if (mode != Text)
                    return mode;
            } else if (c == u'&') {
                entity();
            } else {
                ++i;
            }
        }
        return Text;
    }

    void entity() {
        const int start = i;
        int j = i + 1;
        if (j < n && s[j] == u'#') {
            ++j;
            const bool hex = j < n && (s[j] == u'x' || s[j] == u'X');
            if (hex)
                ++j;
            const int digits = j;
            while (j < n && (hex ? isHexDigit(s[j]) : isAsciiDigit(s[j])))
                ++j;
            if (j == digits) {
                i = start + 1;
                return;
            }
            if (j < n && s[j] == u';')
                ++j;
        } else {
            if (j >= n || !isAsciiLetter(s[j])) {
                i = start + 1;
                return;
            }
            while (j < n && (isAsciiLetter(s[j]) || isAsciiDigit(s[j])))
                ++j;
            if (j >= n || s[j] != u';') {
                i = start + 1;
                return;
            }
            ++j;
        }
        put(start, j, HtmlToken::Entity);
        i = j;
    }

    // At a "<" in text: a tag, a comment, a declaration, or just the character.
    int tagOpen() {
        const int start = i;
        if (startsWithAt(i, u"<!--")) {
            i += 4;
            // "<!-->" and "<!--->" are whole, empty comments.
            if (startsWithAt(i, u">") || startsWithAt(i, u"->")) {
                i += s[i] == u'>' ? 1 : 2;
                put(start, i, HtmlToken::Comment);
                return Text;
            }
            put(start, i, HtmlToken::Comment);
            return Comment;
        }
        if (startsWithAt(i, u"<!doctype")) {
            i += 9;
            put(start, i, HtmlToken::Doctype);
            return Declaration;
        }
        if (startsWithAt(i, u"<!") || startsWithAt(i, u"<?")) {
            i += 2;
            put(start, i, HtmlToken::Comment);
            return BogusComment;
        }
        const bool end = startsWithAt(i, u"</");
        const int nameStart = i + (end ? 2 : 1);
        if (nameStart < n && isAsciiLetter(s[nameStart])) {
            int j = nameStart;
            while (j < n && !isSpace(s[j]) && s[j] != u'/' && s[j] != u'>')
                ++j;
            put(start, nameStart, HtmlToken::TagDelimiter);
            put(nameStart, j, HtmlToken::TagName);
            const QStringView name = s.mid(nameStart, j - nameStart);
            raw = 0;
            if (!end && name.compare(u"script", Qt::CaseInsensitive) == 0)
                raw = kRawScript;
            else if (!end && name.compare(u"style", Qt::CaseInsensitive) == 0)
                raw = kRawStyle;
            i = j;
            return InTag;
        }
        if (end && nameStart < n && s[nameStart] == u'>') {
            // "</>" is dropped by a browser; show it as a tag all the same.
            i = nameStart + 1;
            put(start, i, HtmlToken::TagDelimiter);
            return Text;
        }
        if (end && nameStart < n) {
            i = nameStart;
            put(start, i, HtmlToken::Comment);
            return BogusComment;
        }
        ++i;
        return Text;
    }

    int comment() {
        const int start = i;
        while (i < n) {
            if (s[i] == u'-' && (startsWithAt(i, u"-->") || startsWithAt(i, u"--!>"))) {
                i += s[i + 2] == u'!' ? 4 : 3;
                put(start, i, HtmlToken::Comment);
                return Text;
            }
            ++i;
        }
        put(start, i, HtmlToken::Comment);
        return Comment;
    }

    int untilTagEnd(HtmlToken kind) {
        const int start = i;
        while (i < n && s[i] != u'>')
            ++i;
        if (i < n) {
            ++i;
            put(start, i, kind);
            return Text;
        }
        put(start, i, kind);
        return kind == HtmlToken::Doctype ? Declaration : BogusComment;
    }

    // A ">" or "/>" ending the tag; false when the character at `i` is neither.
    bool tagEnd(int& mode) {
        if (s[i] == u'>') {
            put(i, i + 1, HtmlToken::TagDelimiter);
            ++i;
        } else if (startsWithAt(i, u"/>")) {
            put(i, i + 2, HtmlToken::TagDelimiter);
            i += 2;
        } else {
            return false;
        }
        mode = raw == kRawScript ? Script : raw == kRawStyle ? Style : Text;
        raw = 0;
        return true;
    }

    int inTag() {
        while (i < n && (isSpace(s[i]) || (s[i] == u'/' && !startsWithAt(i, u"/>"))))
            ++i;
        if (i >= n)
            return InTag;
        int mode = InTag;
        if (tagEnd(mode))
            return mode;
        const int start = i;
        ++i; // a name may begin with "="
        while (i < n && !isSpace(s[i]) && s[i] != u'/' && s[i] != u'>' && s[i] != u'=')
            ++i;
        put(start, i, HtmlToken::AttributeName);
        return AfterAttributeName;
    }

    int afterAttributeName() {
        while (i < n && isSpace(s[i]))
            ++i;
        if (i >= n)
            return AfterAttributeName;
        if (s[i] == u'=') {
            put(i, i + 1, HtmlToken::AttributeValue);
            ++i;
            return BeforeAttributeValue;
        }
        return InTag;
    }

    int beforeAttributeValue() {
        while (i < n && isSpace(s[i]))
            ++i;
        if (i >= n)
            return BeforeAttributeValue;
        if (s[i] == u'"' || s[i] == u'\'') {
            const QChar quote = s[i];
            put(i, i + 1, HtmlToken::AttributeValue);
            ++i;
            return quote == u'"' ? DoubleQuotedValue : SingleQuotedValue;
        }
        if (s[i] == u'>')
            return InTag;
        const int start = i;
        while (i < n && !isSpace(s[i]) && s[i] != u'>')
            ++i;
        put(start, i, HtmlToken::AttributeValue);
        return InTag;
    }

    int quotedValue(char16_t quote) {
        const int start = i;
        while (i < n && s[i] != quote)
            ++i;
        if (i < n) {
            ++i;
            put(start, i, HtmlToken::AttributeValue);
            return InTag;
        }
        put(start, i, HtmlToken::AttributeValue);
        return quote == u'"' ? DoubleQuotedValue : SingleQuotedValue;
    }

    // The end tag of the raw text; the mode after it.
    int leaveRaw() {
        raw = 0;
        put(i, i + 2, HtmlToken::TagDelimiter);
        const int nameStart = i + 2;
        i = nameStart;
        while (i < n && !isSpace(s[i]) && s[i] != u'/' && s[i] != u'>')
            ++i;
        put(nameStart, i, HtmlToken::TagName);
        return InTag;
    }

    int script() {
        raw = kRawScript;
        int start = i;
        while (i < n) {
            const QChar c = s[i];
            if (c == u'<' && rawEndAt(i)) {
                put(start, i, HtmlToken::ScriptText);
                return leaveRaw();
            }
            if (c == u'"' || c == u'\'') {
                put(start, i, HtmlToken::ScriptText);
                if (!lineString(c, HtmlToken::EmbeddedString))
                    return InTag; // the end tag inside the string
                start = i;
            } else if (c == u'`') {
                put(start, i, HtmlToken::ScriptText);
                put(i, i + 1, HtmlToken::EmbeddedString);
                ++i;
                return ScriptTemplate;
            } else if (startsWithAt(i, u"//")) {
                put(start, i, HtmlToken::ScriptText);
                const int commentStart = i;
                while (i < n && !(s[i] == u'<' && rawEndAt(i)))
                    ++i;
                put(commentStart, i, HtmlToken::EmbeddedComment);
                if (i < n)
                    return leaveRaw();
                return Script;
            } else if (startsWithAt(i, u"/*")) {
                put(start, i, HtmlToken::ScriptText);
                put(i, i + 2, HtmlToken::EmbeddedComment);
                i += 2;
                return ScriptBlockComment;
            } else {
                ++i;
            }
        }
        put(start, i, HtmlToken::ScriptText);
        return Script;
    }

    // A quoted string that ends with its line; false when the raw text's end tag cut it short,
    // with `i` left at the end tag's delimiter having been emitted.
    bool lineString(QChar quote, HtmlToken kind) {
        const int start = i;
        ++i;
        while (i < n) {
            if (s[i] == u'\\') {
                i += 2;
                continue;
            }
            if (s[i] == u'<' && rawEndAt(i)) {
                put(start, i, kind);
                leaveRaw();
                return false;
            }
            if (s[i] == quote) {
                ++i;
                break;
            }
            ++i;
        }
        i = std::min(i, n);
        put(start, i, kind);
        return true;
    }

    int scriptTemplate() {
        raw = kRawScript;
        const int start = i;
        while (i < n) {
            if (s[i] == u'\\') {
                i += 2;
                continue;
            }
            if (s[i] == u'<' && rawEndAt(i)) {
                put(start, i, HtmlToken::EmbeddedString);
                return leaveRaw();
            }
            if (s[i] == u'`') {
                ++i;
                put(start, i, HtmlToken::EmbeddedString);
                return Script;
            }
            ++i;
        }
        i = std::min(i, n);
        put(start, i, HtmlToken::EmbeddedString);
        return ScriptTemplate;
    }

    int blockComment(int mode, int rawKind) {
        raw = rawKind;
        const int start = i;
        while (i < n) {
            if (s[i] == u'<' && rawEndAt(i)) {
                put(start, i, HtmlToken::EmbeddedComment);
                return leaveRaw();
            }
            if (startsWithAt(i, u"*/")) {
                i += 2;
                put(start, i, HtmlToken::EmbeddedComment);
                return rawKind == kRawScript ? Script : Style;
            }
            ++i;
        }
        put(start, i, HtmlToken::EmbeddedComment);
        return mode;
    }

    int style() {
        raw = kRawStyle;
        int start = i;
        while (i < n) {
            const QChar c = s[i];
            if (c == u'<' && rawEndAt(i)) {
                put(start, i, HtmlToken::StyleText);
                return leaveRaw();
            }
            if (c == u'"' || c == u'\'') {
                put(start, i, HtmlToken::StyleText);
                if (!lineString(c, HtmlToken::EmbeddedString))
                    return InTag;
                start = i;
            } else if (startsWithAt(i, u"/*")) {
                put(start, i, HtmlToken::StyleText);
                put(i, i + 2, HtmlToken::EmbeddedComment);
                i += 2;
                return StyleComment;
            } else {
                ++i;
            }
        }
        put(start, i, HtmlToken::StyleText);
        return Style;
    }

    QStringView s;
    int n;
    int i = 0;
    int raw = 0;
    HtmlTokenSink* out;
};

} // namespace

int HtmlLexer::lexLine(QStringView line, int state, HtmlTokenSink* sink) {
    if (state < 0)
        state = kInitialState;
    LineLexer lexer(line, sink);
    return lexer.run(state);
}

HtmlPlace HtmlLexer::placeOf(int state) {
    switch (state < 0 ? Text : state & kModeMask) {
    case Text:
        return HtmlPlace::Text;
    case Comment:
    case Declaration:
    case BogusComment:
        return HtmlPlace::Markup;
    case InTag:
    case AfterAttributeName:
        return HtmlPlace::TagAttributes;
    case BeforeAttributeValue:
    case DoubleQuotedValue:
    case SingleQuotedValue:
        return HtmlPlace::AttributeValue;
    default:
        return HtmlPlace::RawText;
    }
}
