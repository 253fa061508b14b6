#pragma once

#include "HtmlTokenizer.h"
#include "SourceTree.h"

#include <optional>
#include <string>
#include <vector>

// The tree construction stage of the HTML parsing algorithm, as the preview's engine runs it
// (scripting on, so <noscript> holds raw text), building only what the correspondence needs:
// elements, where text goes, and which tag made or closed each element. TreeBuilder.cpp holds
// the token loop, the nodes and the result; TreeBuilderStack.cpp the stack of open elements and
// the active formatting elements; TreeBuilderModes.cpp, TreeBuilderTable.cpp and
// TreeBuilderBody.cpp the insertion modes ("in body" with foreign content in the last).
class TreeBuilder {
public:
    // Builds into `out`, reusing its memory.
    TreeBuilder(const char16_t* text, int length, std::optional<bool> quirks, SourceTree& out);
    void run();

    struct Node {
        int parent = -1;
        int first = -1;
        int last = -1;
        int next = -1;
        int prev = -1;
        uint32_t name = 0;
        uint8_t ns = HtmlNames::HtmlNs;
        bool text = false;
        bool htmlIntegration = false; // annotation-xml with an HTML encoding
        int tagStart = -1;
        int tagEnd = -1;
        int attrFirst = 0;
        int attrCount = 0;
    };

private:
    enum class Mode : uint8_t {
        Initial,
        BeforeHtml,
        BeforeHead,
        InHead,
        AfterHead,
        InBody,
        Text,
        InTable,
        InTableText,
        InCaption,
        InColumnGroup,
        InTableBody,
        InRow,
        InCell,
        InSelect,
        InSelectInTable,
        InTemplate,
        AfterBody,
        InFrameset,
        AfterFrameset,
        AfterAfterBody,
        AfterAfterFrameset
    };
    enum class Scope : uint8_t { Default, ListItem, Button, Table, Select };

    // A token as the rules see it. A run of characters comes in two parts, its leading white
    // space and the rest, since several modes treat the two differently.
    struct Tok {
        TokenKind kind = TokenKind::EndOfFile;
        int start = 0;
        int end = 0;
        uint32_t name = 0;
        bool selfClosing = false;
        int attrFirst = 0;
        int attrCount = 0;
        bool space = false;   // characters: all white space
        bool nonNull = false; // characters: one that is not NUL
        bool other = false;   // characters: one that is neither white space nor NUL
        bool textual = false; // characters: such a one that is not U+FFFD
        bool quirks = false;  // doctype
        int piece = -1;       // the stretch of text it stands for
    };
    struct Place {
        int parent;
        int before; // -1: at the end
    };

    // Dispatch (TreeBuilder.cpp).
    void dispatch(Tok& t);
    bool processIn(Mode mode, Tok& t);
    bool useHtmlRules(const Tok& t) const;

    // Insertion modes (TreeBuilderModes.cpp).
    bool initial(Tok& t);
    bool beforeHtml(Tok& t);
    bool beforeHead(Tok& t);
    bool inHead(Tok& t);
    bool afterHead(Tok& t);
    bool text(Tok& t);
    bool inTable(Tok& t);
    bool inTableText(Tok& t);
    bool inCaption(Tok& t);
    bool inColumnGroup(Tok& t);
    bool inTableBody(Tok& t);
    bool inRow(Tok& t);
    bool inCell(Tok& t);
    bool inSelect(Tok& t);
    bool inSelectInTable(Tok& t);
    bool inTemplate(Tok& t);
    bool afterBody(Tok& t);
    bool inFrameset(Tok& t);
    bool afterFrameset(Tok& t);
    bool afterAfterBody(Tok& t);
    bool afterAfterFrameset(Tok& t);
    bool tableAnythingElse(Tok& t);
    void closeCell();

    // In body and foreign content (TreeBuilderBody.cpp).
    bool inBody(Tok& t);
    bool inBodyStartTag(Tok& t);
    bool inBodyEndTag(Tok& t);
    void inBodyOtherEndTag(const Tok& t);
    bool adoptionAgency(const Tok& t);
    bool foreignContent(Tok& t);
    void rawTextElement(const Tok& t, HtmlTokenizer::Content content);

    // Nodes and the tree.
    int newNode(const Tok* t, uint32_t name, uint8_t ns);
    int cloneNode(int node);
    void appendChild(int parent, int child);
    void insertBefore(int parent, int child, int before);
    void detach(int node);
    Place appropriatePlace(int target = -1) const;
    Place fosterPlace() const;
    void insertNode(const Place& place, int node);
    int insertElement(const Tok& t, uint8_t ns = HtmlNames::HtmlNs);
    int insertImplied(uint32_t name);
    void attachElement(int node);
    void insertText(const Tok& t);
    void setPieceElement(const Tok& t, int node);

    // The stack of open elements.
    int current() const { return m_stack.empty() ? -1 : m_stack.back(); }
    bool isHtml(int node, uint32_t name) const; // an HTML element of that name
    bool isSpecial(int node) const;
    bool isScopeBoundary(int node, Scope scope) const;
    bool inScope(uint32_t name, Scope scope = Scope::Default) const;
    bool nodeInScope(int node, Scope scope = Scope::Default) const;
    int stackIndex(int node) const;
    bool onStack(uint32_t name) const;
    void pop() { m_stack.pop_back(); }
    int popUntil(uint32_t name); // the element popped last
    void popUntilNode(int node);
    void removeFromStack(int node);
    void generateImpliedEndTags(uint32_t except = HtmlNames::Unknown);
    void generateImpliedEndTagsThoroughly();
    void closeP();
    bool causesFostering(int node) const;
    void popToForeignBoundary();
    // The name as SVG spells it, as a name of its own when it differs ("foreignObject").
    uint32_t svgSpelling(uint32_t name);
    void clearToContext(std::initializer_list<uint32_t> names);
    void resetInsertionMode();

    // The list of active formatting elements (-1 is a marker).
    void pushFormatting(int node);
    void reconstructFormatting();
    void clearFormattingToMarker();
    int formattingIndex(int node) const;
    bool sameAttributes(int a, int b) const;

    // Attributes.
    bool hasAttribute(const Tok& t, const char* name) const;
    bool attributeIs(const Tok& t, const char* name, const char* value) const;

    void finish();

    const char16_t* s;
    int n;
    SourceTree& m_out;
    SourceTree::Workspace& m_work;
    HtmlNames::NameTable& m_names;
    HtmlTokenizer m_tokenizer;
    std::optional<bool> m_forcedQuirks;
    std::vector<Node>& m_nodes;
    std::vector<int>& m_stack;
    std::vector<int> m_formatting;
    std::vector<Mode> m_templateModes;
    std::vector<SourceTree::Piece>& m_pieces; // element fields hold node ids until finish()
    std::vector<Tok> m_pendingText;
    std::vector<uint32_t> m_svgSpelling;
    Mode m_mode = Mode::Initial;
    Mode m_originalMode = Mode::Initial;
    int m_head = -1;
    int m_form = -1;
    int m_tokenFirstNode = 0; // the first node made by the token being read
    bool m_framesetOk = true;
    bool m_skipLineFeed = false; // a line feed right after <pre>, <listing>, <textarea>
    bool m_foster = false;
    bool m_quirks = false;
    bool m_quirksDecided = false;
};

struct SourceTree::Workspace {
    std::vector<TreeBuilder::Node> nodes;
    std::vector<int> stack;
    std::vector<int> elementOf;
    std::vector<std::u16string> svgNames; // by name, when the name is an SVG element's
};
