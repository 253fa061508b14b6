#include "HtmlTokenizer.h"

#include <string_view>

namespace {

inline bool isAlpha(char16_t c) {
    const char16_t l = c | 0x20;
    return l >= u'a' && l <= u'z';
}

inline char16_t toLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

bool startsWithIgnoringCase(std::u16string_view text, const char* lower) {
    for (size_t i = 0; *lower; ++i, ++lower)
        if (i >= text.size() || toLower(text[i]) != char16_t(*lower))
            return false;
    return true;
}

// Public identifiers that put a page in quirks mode, in small letters: those of the standards
// bodies' own old DTDs. A page whose doctype names some other DTD is parsed as standard, and
// the browser's own verdict corrects that where it matters (see SourceTree::quirksDecided).
const char* const kQuirksPrefixes[] = {
    "-//ietf//dtd html",
    "-//w3c//dtd html 3 1995-03-24//",
    "-//w3c//dtd html 3.2 draft//",
    "-//w3c//dtd html 3.2 final//",
    "-//w3c//dtd html 3.2//",
    "-//w3c//dtd html 3.2s draft//",
    "-//w3c//dtd html 4.0 frameset//",
    "-//w3c//dtd html 4.0 transitional//",
    "-//w3c//dtd html experimental 19960712//",
    "-//w3c//dtd html experimental 970421//",
    "-//w3c//dtd w3 html//",
    "-//w3o//dtd w3 html 3.0//",
};

bool doctypeMeansQuirks(bool forceQuirks, std::u16string_view name, const std::u16string* publicId,
                        const std::u16string* systemId) {
    if (forceQuirks || name != u"html")
        return true;
    if (publicId) {
        const std::u16string_view id(*publicId);
        for (const char* exact :
             {"-//w3o//dtd w3 html strict 3.0//en//", "-/w3c/dtd html 4.0 transitional/en", "html"})
            if (id.size() == std::char_traits<char>::length(exact) &&
                startsWithIgnoringCase(id, exact))
                return true;
        for (const char* prefix : kQuirksPrefixes)
            if (startsWithIgnoringCase(id, prefix))
                return true;
        if (!systemId && (startsWithIgnoringCase(id, "-//w3c//dtd html 4.01 frameset//") ||
                          startsWithIgnoringCase(id, "-//w3c//dtd html 4.01 transitional//")))
            return true;
    }
    return false;
}

} // namespace

HtmlTokenizer::HtmlTokenizer(const char16_t* text, int length, HtmlNames::NameTable& names,
                             std::vector<TagAttribute>& attributes)
    : s(text), n(length), m_names(names), m_attributes(attributes) {
    m_attributes.clear();
}

void HtmlTokenizer::setContent(Content content, uint32_t name) {
    m_content = content;
    const QString text = m_names.name(name);
    m_rawName.assign(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size()));
}

// Whether the "<" at `at` begins a tag, a comment or a declaration rather than being text.
bool HtmlTokenizer::markupAt(int at) const {
    if (at + 1 >= n)
        return false;
    const char16_t c = s[at + 1];
    if (isAlpha(c) || c == u'!' || c == u'?')
        return true;
    if (c != u'/' || at + 2 >= n)
        return false;
    return s[at + 2] != u'>'; // "</>" is dropped and reads as nothing
}

void HtmlTokenizer::next(HtmlToken& token, bool foreign) {
    token.selfClosing = false;
    token.attrCount = 0;
    token.quirks = false;
    if (m_content != Content::Data) {
        const Content content = m_content;
        m_content = Content::Data;
        const int from = m_pos;
        if (content == Content::PlainText) {
            m_pos = n;
            token.kind = TokenKind::Characters;
            token.start = from;
            token.end = n;
            classify(token, from, n, false);
            if (from < n)
                return;
        } else {
            const int end = content == Content::ScriptData ? scriptDataEnd(from) : rawTextEnd(from);
            if (end > from) {
                m_pos = end;
                token.kind = TokenKind::Characters;
                token.start = from;
                token.end = end;
                // Raw text goes into its element whatever it holds.
                token.leadingSpace = false;
                token.firstNonSpace = from;
                token.anyOther = token.anyTextual = true;
                token.spaceAfterNonSpace = true;
                return;
            }
        }
    }
    for (;;) {
        if (m_pos >= n) {
            token.kind = TokenKind::EndOfFile;
            token.start = token.end = n;
            return;
        }
        const int at = m_pos;
        if (s[at] != u'<' || !markupAt(at)) {
            textRun(token);
            return;
        }
        const char16_t c = s[at + 1];
        if (isAlpha(c)) {
            if (tag(token, at, false))
                return;
        } else if (c == u'/') {
            if (isAlpha(s[at + 2])) {
                if (tag(token, at, true))
                    return;
            } else {
                bogusComment(token, at + 2);
                token.start = at;
                return;
            }
        } else if (c == u'?') {
            bogusComment(token, at + 1);
            token.start = at;
            return;
        } else { // "<!"
            const std::u16string_view rest(s + at + 2, size_t(n - at - 2));
            if (rest.substr(0, 2) == u"--") {
                comment(token, at);
            } else if (startsWithIgnoringCase(rest, "doctype")) {
                doctype(token, at);
            } else if (foreign && rest.substr(0, 7) == u"[CDATA[") {
                const size_t close = rest.find(u"]]>", 7);
                const int contentEnd = close == std::u16string_view::npos ? n : at + 2 + int(close);
                m_pos = close == std::u16string_view::npos ? n : contentEnd + 3;
                token.kind = TokenKind::Characters;
                token.start = at;
                token.end = m_pos;
                classify(token, at + 9, contentEnd, false);
            } else {
                bogusComment(token, at + 2);
                token.start = at;
            }
            return;
        }
        // A tag cut off by the end of the text is dropped, as a browser drops it.
        token.kind = TokenKind::EndOfFile;
        token.start = at;
        token.end = n;
        m_pos = n;
        return;
    }
}

void HtmlTokenizer::textRun(HtmlToken& token) {
    const int from = m_pos;
    int at = from;
    for (;;) {
        const char16_t* lt = std::char_traits<char16_t>::find(s + at, size_t(n - at), u'<');
        at = lt ? int(lt - s) : n;
        if (at >= n || markupAt(at))
            break;
        if (at + 2 < n && s[at + 1] == u'/' && s[at + 2] == u'>')
            at += 3;
        else
            ++at;
    }
    m_pos = at;
    token.kind = TokenKind::Characters;
    token.start = from;
    token.end = at;
    classify(token, from, at, true);
}

void HtmlTokenizer::classify(HtmlToken& token, int from, int to, bool dataState) {
    int firstNonSpace = to;
    bool leadingSpace = false;
    bool anyOther = false;
    bool anyTextual = false;
    bool spaceAfter = false;
    for (int i = from; i < to; ++i) {
        const int at = i;
        const char16_t c = s[i];
        bool space = isSpace(c);
        bool other = !space && c != 0;
        bool replacement = c == 0xFFFD;
        if (dataState && c == u'<' && i + 2 < to && s[i + 1] == u'/' && s[i + 2] == u'>') {
            i += 2; // "</>" reads as nothing
            continue;
        }
        if (dataState && c == u'&' && i + 1 < to) {
            // Only a reference that stands for white space changes how a run is read: a numeric
            // one, or &Tab; and &NewLine;.
            const std::u16string_view rest(s + i, size_t(to - i));
            if (s[i + 1] == u'#') {
                int j = i + 2;
                const bool hex = j < to && (s[j] | 0x20) == u'x';
                if (hex)
                    ++j;
                uint32_t value = 0;
                int digits = 0;
                for (; j < to; ++j, ++digits) {
                    const char16_t d = s[j];
                    uint32_t v;
                    if (d >= u'0' && d <= u'9')
                        v = d - u'0';
                    else if (hex && (d | 0x20) >= u'a' && (d | 0x20) <= u'f')
                        v = (d | 0x20) - u'a' + 10;
                    else
                        break;
                    value = value > 0x10FFFF ? value : value * (hex ? 16 : 10) + v;
                }
                if (digits > 0) {
                    space = value == 0x09 || value == 0x0A || value == 0x0C || value == 0x0D ||
                            value == 0x20;
                    other = !space;
                    replacement =
                        value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF);
                    i = (j < to && s[j] == u';') ? j : j - 1;
                }
            } else if (rest.substr(0, 5) == u"&Tab;") {
                space = true;
                other = false;
                i += 4;
            } else if (rest.substr(0, 9) == u"&NewLine;") {
                space = true;
                other = false;
                i += 8;
            }
        }
        if (space) {
            if (firstNonSpace == to)
                leadingSpace = true;
            else
                spaceAfter = true;
        } else if (firstNonSpace == to) {
            firstNonSpace = at;
        }
        anyOther |= other;
        anyTextual |= other && !replacement;
    }
    token.anyTextual = anyTextual;
    token.leadingSpace = leadingSpace;
    token.firstNonSpace = firstNonSpace;
    token.anyOther = anyOther;
    token.spaceAfterNonSpace = spaceAfter;
}

void HtmlTokenizer::finishAttribute(int first, TagAttribute attribute) {
    // A repeated attribute is dropped; the first one counts.
    const int length = attribute.nameEnd - attribute.nameStart;
    for (size_t k = size_t(first); k < m_attributes.size(); ++k) {
        const TagAttribute& a = m_attributes[k];
        if (a.nameEnd - a.nameStart != length)
            continue;
        int i = 0;
        while (i < length && toLower(s[a.nameStart + i]) == toLower(s[attribute.nameStart + i]))
            ++i;
        if (i == length)
            return;
    }
    m_attributes.push_back(attribute);
}

// Reads a start or end tag from the "<" at `at`. False when the text ends inside it.
bool HtmlTokenizer::tag(HtmlToken& token, int at, bool endTag) {
    int i = at + (endTag ? 2 : 1);
    m_scratch.clear();
    while (i < n && !isSpace(s[i]) && s[i] != u'/' && s[i] != u'>') {
        const char16_t c = s[i++];
        m_scratch.push_back(c == 0 ? char16_t(0xFFFD) : toLower(c));
    }
    const int first = int(m_attributes.size());
    bool selfClosing = false;
    enum State { BeforeName, AfterName, BeforeValue, AfterQuotedValue };
    State state = BeforeName;
    TagAttribute attribute{};
    for (;;) {
        if (i >= n) {
            m_attributes.resize(size_t(first));
            return false;
        }
        const char16_t c = s[i];
        switch (state) {
        case BeforeName:
        case AfterName:
            if (isSpace(c)) {
                ++i;
                continue;
            }
            if (c == u'/' || c == u'>')
                break;
            if (state == AfterName && c == u'=') {
                ++i;
                state = BeforeValue;
                continue;
            }
            if (state == AfterName)
                finishAttribute(first, attribute);
            // The name: an "=" may be its first character.
            attribute.nameStart = i;
            ++i;
            while (i < n && !isSpace(s[i]) && s[i] != u'/' && s[i] != u'>' && s[i] != u'=')
                ++i;
            attribute.nameEnd = attribute.valueStart = attribute.valueEnd = i;
            state = AfterName;
            continue;
        case BeforeValue:
            if (isSpace(c)) {
                ++i;
                continue;
            }
            if (c == u'"' || c == u'\'') {
                const char16_t* close =
                    std::char_traits<char16_t>::find(s + i + 1, size_t(n - i - 1), c);
                if (!close) {
                    m_attributes.resize(size_t(first));
                    return false;
                }
                attribute.valueStart = i + 1;
                attribute.valueEnd = int(close - s);
                i = attribute.valueEnd + 1;
                finishAttribute(first, attribute);
                state = AfterQuotedValue;
                continue;
            }
            if (c == u'>') {
                finishAttribute(first, attribute);
                state = BeforeName;
                break;
            }
            attribute.valueStart = i;
            while (i < n && !isSpace(s[i]) && s[i] != u'>')
                ++i;
            attribute.valueEnd = i;
            finishAttribute(first, attribute);
            state = BeforeName;
            continue;
        case AfterQuotedValue:
            state = BeforeName;
            continue;
        }
        // At "/" or ">" before an attribute name.
        if (state == AfterName) {
            finishAttribute(first, attribute);
            state = BeforeName;
        }
        if (c == u'>') {
            ++i;
            break;
        }
        // "/": closes the tag when ">" follows; otherwise it is dropped.
        ++i;
        if (i < n && s[i] == u'>') {
            selfClosing = true;
            ++i;
            break;
        }
    }
    token.kind = endTag ? TokenKind::EndTag : TokenKind::StartTag;
    token.start = at;
    token.end = i;
    token.name = m_names.intern(m_scratch);
    token.selfClosing = selfClosing;
    if (endTag) {
        m_attributes.resize(size_t(first));
        token.attrFirst = first;
        token.attrCount = 0;
    } else {
        token.attrFirst = first;
        token.attrCount = int(m_attributes.size()) - first;
    }
    m_pos = i;
    return true;
}

// "<!--": ends at the first "-->" or "--!>"; "<!-->" and "<!--->" end at once.
void HtmlTokenizer::comment(HtmlToken& token, int at) {
    const int k = at + 4;
    int end = n;
    if (k < n && s[k] == u'>') {
        end = k + 1;
    } else if (k + 1 < n && s[k] == u'-' && s[k + 1] == u'>') {
        end = k + 2;
    } else {
        const std::u16string_view text(s, size_t(n));
        for (size_t j = size_t(k);;) {
            j = text.find(u"--", j);
            if (j == std::u16string_view::npos)
                break;
            if (j + 2 < size_t(n) && s[j + 2] == u'>') {
                end = int(j) + 3;
                break;
            }
            if (j + 3 < size_t(n) && s[j + 2] == u'!' && s[j + 3] == u'>') {
                end = int(j) + 4;
                break;
            }
            j += (j + 2 < size_t(n) && s[j + 2] == u'-') ? 1 : 2;
        }
    }
    token.kind = TokenKind::Comment;
    token.start = at;
    token.end = end;
    m_pos = end;
}

void HtmlTokenizer::bogusComment(HtmlToken& token, int from) {
    const char16_t* gt = std::char_traits<char16_t>::find(s + from, size_t(n - from), u'>');
    token.kind = TokenKind::Comment;
    token.end = gt ? int(gt - s) + 1 : n;
    m_pos = token.end;
}

void HtmlTokenizer::doctype(HtmlToken& token, int at) {
    // A doctype always ends at its first ">", even inside a quoted identifier.
    const int from = at + 9;
    const char16_t* gt =
        from < n ? std::char_traits<char16_t>::find(s + from, size_t(n - from), u'>') : nullptr;
    const int close = gt ? int(gt - s) : n;
    token.kind = TokenKind::Doctype;
    token.start = at;
    token.end = gt ? close + 1 : n;
    m_pos = token.end;

    bool force = !gt;
    int i = from;
    auto skipSpace = [&] {
        while (i < close && isSpace(s[i]))
            ++i;
    };
    skipSpace();
    std::u16string name;
    while (i < close && !isSpace(s[i]))
        name.push_back(s[i] == 0 ? char16_t(0xFFFD) : toLower(s[i++]));
    if (name.empty())
        force = true;
    std::u16string publicId;
    std::u16string systemId;
    bool hasPublic = false;
    bool hasSystem = false;
    // A quoted identifier; false (and quirks) when it is missing or cut off by ">".
    auto quoted = [&](std::u16string& out) {
        skipSpace();
        if (i >= close || (s[i] != u'"' && s[i] != u'\'')) {
            force = true;
            return false;
        }
        const char16_t quote = s[i++];
        while (i < close && s[i] != quote)
            out.push_back(s[i++]);
        if (i >= close) {
            force = true;
            return false;
        }
        ++i;
        return true;
    };
    skipSpace();
    if (i < close && !force) {
        const std::u16string_view rest(s + i, size_t(close - i));
        if (startsWithIgnoringCase(rest, "public")) {
            i += 6;
            hasPublic = quoted(publicId);
            if (hasPublic) {
                skipSpace();
                if (i < close)
                    hasSystem = quoted(systemId);
            }
        } else if (startsWithIgnoringCase(rest, "system")) {
            i += 6;
            hasSystem = quoted(systemId);
        } else {
            force = true;
        }
    }
    token.quirks = doctypeMeansQuirks(force, name, hasPublic ? &publicId : nullptr,
                                      hasSystem ? &systemId : nullptr);
}

// Whether "</" + the raw content's end tag name + a delimiter stands at `at`.
bool HtmlTokenizer::endTagOf(int at, int* nameEnd) const {
    const int length = int(m_rawName.size());
    if (at + 2 + length >= n || s[at + 1] != u'/')
        return false;
    for (int k = 0; k < length; ++k)
        if (toLower(s[at + 2 + k]) != m_rawName[size_t(k)])
            return false;
    const char16_t after = s[at + 2 + length];
    if (!isSpace(after) && after != u'/' && after != u'>')
        return false;
    *nameEnd = at + 2 + length;
    return true;
}

int HtmlTokenizer::rawTextEnd(int from) const {
    for (int at = from; at < n; ++at) {
        const char16_t* lt = std::char_traits<char16_t>::find(s + at, size_t(n - at), u'<');
        if (!lt)
            return n;
        at = int(lt - s);
        int nameEnd;
        if (endTagOf(at, &nameEnd))
            return at;
    }
    return n;
}

// The end of a script's text, through the escaped and double-escaped states of script data:
// "</script>" inside "<!--<script>...-->" does not end it.
int HtmlTokenizer::scriptDataEnd(int from) const {
    enum State { Data, Escaped, EscapedDash, EscapedDashDash, Double, DoubleDash, DoubleDashDash };
    State state = Data;
    auto scriptWordAt = [&](int at, int* after) {
        // "script" in any case followed by white space, "/" or ">".
        static const char kWord[] = "script";
        if (at + 6 >= n)
            return false;
        for (int k = 0; k < 6; ++k)
            if (toLower(s[at + k]) != char16_t(kWord[k]))
                return false;
        const char16_t c = s[at + 6];
        if (!isSpace(c) && c != u'/' && c != u'>')
            return false;
        *after = at + 6;
        return true;
    };
    int i = from;
    while (i < n) {
        const char16_t c = s[i];
        switch (state) {
        case Data:
            if (c == u'<') {
                int after;
                if (i + 1 < n && s[i + 1] == u'/' && scriptWordAt(i + 2, &after))
                    return i;
                if (i + 3 < n && s[i + 1] == u'!' && s[i + 2] == u'-' && s[i + 3] == u'-') {
                    // "<!--": the dashes count towards "-->".
                    i += 4;
                    state = EscapedDashDash;
                    continue;
                }
            }
            ++i;
            continue;
        case Escaped:
        case EscapedDash:
        case EscapedDashDash:
            if (c == u'-') {
                state = state == Escaped ? EscapedDash : EscapedDashDash;
                ++i;
                continue;
            }
            if (c == u'>' && state == EscapedDashDash) {
                state = Data;
                ++i;
                continue;
            }
            if (c == u'<') {
                int after;
                if (i + 1 < n && s[i + 1] == u'/' && scriptWordAt(i + 2, &after))
                    return i;
                if (scriptWordAt(i + 1, &after)) {
                    state = Double;
                    i = after + 1;
                    continue;
                }
            }
            state = Escaped;
            ++i;
            continue;
        case Double:
        case DoubleDash:
        case DoubleDashDash:
            if (c == u'-') {
                state = state == Double ? DoubleDash : DoubleDashDash;
                ++i;
                continue;
            }
            if (c == u'>' && state == DoubleDashDash) {
                state = Data;
                ++i;
                continue;
            }
            if (c == u'<') {
                int after;
                if (i + 1 < n && s[i + 1] == u'/' && scriptWordAt(i + 2, &after)) {
                    state = Escaped;
                    i = after + 1;
                    continue;
                }
            }
            state = Double;
            ++i;
            continue;
        }
    }
    return n;
}
