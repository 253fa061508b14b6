#pragma once

#include "HtmlNames.h"

#include <cstdint>
#include <vector>

// An attribute as the source spells it: where its name and its value stand (quotes left out;
// an attribute without a value has an empty one at the end of its name).
struct TagAttribute {
    int nameStart;
    int nameEnd;
    int valueStart;
    int valueEnd;
};

enum class TokenKind : uint8_t { StartTag, EndTag, Comment, Doctype, Characters, EndOfFile };

struct HtmlToken {
    TokenKind kind = TokenKind::EndOfFile;
    int start = 0; // where the token stands in the text
    int end = 0;

    // Start and end tags.
    uint32_t name = 0; // in the parse's NameTable, small letters
    bool selfClosing = false;
    int attrFirst = 0; // into HtmlTokenizer::attributes(); end tags keep none
    int attrCount = 0;

    // Characters, told apart as the tree builder does: white space, NUL and anything else, a
    // character reference counting as the character it stands for.
    bool leadingSpace = false;       // white space before the first character that is not
    int firstNonSpace = 0;           // the first that is not white space; `end` when none
    bool anyOther = false;           // one that is neither white space nor NUL
    bool spaceAfterNonSpace = false; // white space after firstNonSpace
    bool anyTextual = false;         // one of those others that is not U+FFFD

    // Doctypes: whether the doctype puts the page in quirks mode.
    bool quirks = false;
};

// The tokenizer of the HTML parsing algorithm over UTF-16 text, reduced to what decides the
// document's elements: tag names, attributes as source positions, where comments, raw text and
// character runs begin and end. Nothing is decoded or copied. A line break of the editor
// (U+2029) reads as a line feed; CR and CR LF read as one.
class HtmlTokenizer {
public:
    // What follows the start tag just read; the tree builder decides.
    enum class Content : uint8_t { Data, RcData, RawText, ScriptData, PlainText };

    // White space as the tokenizer reads it (U+2029 being the editor's line break); what keeps
    // a parse up to date by edits must read it the same way.
    static bool isSpace(char16_t c) {
        return c == u' ' || c == u'\n' || c == u'\t' || c == u'\f' || c == u'\r' || c == 0x2029;
    }

    // Attributes go into `attributes`, which starts empty.
    HtmlTokenizer(const char16_t* text, int length, HtmlNames::NameTable& names,
                  std::vector<TagAttribute>& attributes);

    // The next token. `foreign`: the adjusted current node is not an HTML element, which is
    // where "<![CDATA[" opens a CDATA section.
    void next(HtmlToken& token, bool foreign);
    // After a start tag: its content is read as `content` up to the end tag of `name`.
    void setContent(Content content, uint32_t name);

    const std::vector<TagAttribute>& attributes() const { return m_attributes; }
    const char16_t* text() const { return s; }
    int length() const { return n; }

private:
    bool markupAt(int at) const;
    void textRun(HtmlToken& token);
    // `dataState`: character references count as what they stand for, "</>" as nothing.
    void classify(HtmlToken& token, int from, int to, bool dataState);
    bool tag(HtmlToken& token, int at, bool endTag);
    void comment(HtmlToken& token, int at);
    void bogusComment(HtmlToken& token, int at);
    void doctype(HtmlToken& token, int at);
    int rawTextEnd(int from) const;
    int scriptDataEnd(int from) const;
    bool endTagOf(int at, int* nameEnd) const;
    void finishAttribute(int first, TagAttribute attribute);

    const char16_t* s;
    int n;
    int m_pos = 0;
    HtmlNames::NameTable& m_names;
    Content m_content = Content::Data;
    std::u16string m_rawName; // the end tag that closes raw content
    std::u16string m_scratch;
    std::vector<TagAttribute>& m_attributes;
};
