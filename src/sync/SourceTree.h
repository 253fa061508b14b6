#pragma once

#include "HtmlNames.h"
#include "HtmlTokenizer.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

// The elements a browser builds from a text, each with the place in the text of the tag that
// made it, and for every stretch of the text the element it belongs to. Positions are those of
// the parsed text.
struct SourceTree {
    SourceTree();
    ~SourceTree();
    SourceTree(SourceTree&&) noexcept;
    SourceTree& operator=(SourceTree&&) noexcept;

    struct Element {
        int parent = -1;   // index into `elements`; -1 for the root
        int tagStart = -1; // the tag that made it; -1 for an element the parser implied
        int tagEnd = -1;
        uint32_t name = 0; // in `names`
        uint8_t ns = HtmlNames::HtmlNs;
        bool inTemplate = false; // in a template's contents: not part of the document
        int attrFirst = 0;       // into `attributes`
        int attrCount = 0;
        int domIndex = -1; // its place in the document's elements in tree order; -1 when not there
    };
    // What a stretch of the text is: a tag, characters, or something that makes no element
    // (a comment, a doctype, a dropped tag).
    enum class PieceKind : uint8_t { Tag, Text, Other };
    struct Piece {
        int start = 0;
        int end = 0;
        PieceKind kind = PieceKind::Other;
        int element = -1; // a tag: the element it made or closed; text: the element holding it
        int after = -1;   // the element whose content follows the piece
    };

    std::vector<Element> elements; // tree order, a template's contents right after it
    std::vector<int> domElements;  // `elements` indices in the document's tree order
    std::vector<Piece> pieces;     // in text order, covering the text
    std::vector<TagAttribute> attributes;
    HtmlNames::NameTable names;
    // Quirks mode: only the start tag <table> inside a <p> depends on it. `quirksDecided` says
    // whether that happened, so a parse whose guess differs from the browser's can be redone.
    bool quirks = true;
    bool quirksDecided = false;
    // A fingerprint of the document's element tree (namespace, depth and local name of each
    // element in tree order), computed the same way in the page; see PageBridge.
    uint32_t domHash = 0;

    // The local name as the document has it ("div", "foreignObject").
    QString localName(int element) const;

    // The element the position belongs to: in a tag, the element the tag made or closed; in
    // text, the element that holds it; between two pieces, the element whose content goes on
    // there. -1 in a comment or a doctype, and before anything.
    int elementAt(int position) const;

    // The tree of the text after an edit that changed only the characters of text piece
    // `piece` from `position` on, the text after them moving by `delta`: the piece ends later
    // or sooner, every position after the edit moves.
    void moveAfterEdit(int piece, int position, int delta);

    // Parses `text` by the HTML parsing algorithm as a browser with scripting on does, into
    // this tree and in the memory of its last parse: a large page parsed again takes no new
    // memory, which on a virtual machine costs more page faults than the parse itself.
    // `quirks` forces the mode instead of the doctype's.
    void parse(const char16_t* text, int length, std::optional<bool> quirks = std::nullopt);

    // The parser's own memory, kept for the next parse.
    struct Workspace;
    std::unique_ptr<Workspace> workspace;
};

// Folds one element into a fingerprint (FNV-1a over 16-bit units, as the page computes it).
uint32_t foldDomHash(uint32_t hash, uint8_t ns, int depth, std::u16string_view localName);
constexpr uint32_t kDomHashSeed = 0x811C9DC5u;
