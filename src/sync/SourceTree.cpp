#include "SourceTree.h"

#include "TreeBuilder.h"

#include <algorithm>

QString SourceTree::localName(int element) const {
    const Element& e = elements[size_t(element)];
    const QString name = names.name(e.name);
    return e.ns == HtmlNames::SvgNs ? HtmlNames::svgLocalName(name) : name;
}

int SourceTree::elementAt(int position) const {
    // The last piece that starts before the position.
    auto it = std::upper_bound(pieces.begin(), pieces.end(), position,
                               [](int p, const Piece& piece) { return p <= piece.start; });
    if (it == pieces.begin())
        return -1;
    const Piece& piece = *(it - 1);
    if (position < piece.end) {
        if (piece.kind == PieceKind::Other)
            return -1;
        return piece.element;
    }
    return piece.after;
}

void SourceTree::moveAfterEdit(int piece, int position, int delta) {
    if (delta == 0)
        return;
    pieces[size_t(piece)].end += delta;
    for (auto it = pieces.begin() + piece + 1; it != pieces.end(); ++it) {
        it->start += delta;
        it->end += delta;
    }
    // Elements in tree order are not in text order (a formatting element's copies, foster
    // parenting): each is looked at. The implied ones hold -1, before any edit.
    for (Element& e : elements) {
        if (e.tagStart >= position) {
            e.tagStart += delta;
            e.tagEnd += delta;
        }
    }
    for (TagAttribute& a : attributes) {
        if (a.nameStart >= position) {
            a.nameStart += delta;
            a.nameEnd += delta;
            a.valueStart += delta;
            a.valueEnd += delta;
        }
    }
}

SourceTree::SourceTree() = default;
SourceTree::~SourceTree() = default;
SourceTree::SourceTree(SourceTree&&) noexcept = default;
SourceTree& SourceTree::operator=(SourceTree&&) noexcept = default;

void SourceTree::parse(const char16_t* text, int length, std::optional<bool> quirks) {
    if (!workspace)
        workspace = std::make_unique<Workspace>();
    TreeBuilder(text, length, quirks, *this).run();
}

uint32_t foldDomHash(uint32_t hash, uint8_t ns, int depth, std::u16string_view localName) {
    auto fold = [&hash](uint32_t unit) { hash = (hash ^ unit) * 16777619u; };
    fold(ns);
    fold(uint32_t(depth & 0xFFFF));
    for (const char16_t c : localName)
        fold(c);
    fold(0xFFFF);
    return hash;
}
