#include "TreeBuilder.h"

#include <algorithm>
#include <cstdint>
#include <sys/mman.h>
#include <utility>

using namespace HtmlNames;

namespace {

// Room for a parse of this text, asked for at once and, when large, backed with huge pages: on a
// virtual machine the page faults of a first parse of a large page cost more than the parse.
template <typename T> void reserveRoom(std::vector<T>& v, size_t count) {
    if (v.capacity() >= count)
        return;
    std::vector<T>().swap(v);
    v.reserve(count);
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kHugePage = std::uintptr_t(2) << 20;
    const auto data = reinterpret_cast<std::uintptr_t>(v.data());
    const std::uintptr_t begin = (data + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (data + count * sizeof(T)) & ~(kHugePage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

// The preview's engine nests elements no deeper than this: past it, a new element goes beside
// the current one instead of into it.
constexpr size_t kMaxNesting = 512;

} // namespace

TreeBuilder::TreeBuilder(const char16_t* text, int length, std::optional<bool> quirks,
                         SourceTree& out)
    : s(text), n(length), m_out(out), m_work(*out.workspace), m_names(out.names),
      m_tokenizer(text, length, (out.names.reset(), out.names), out.attributes),
      m_forcedQuirks(quirks), m_nodes(m_work.nodes), m_stack(m_work.stack), m_pieces(out.pieces) {
    // Every node and every piece begins at a "<" or follows one.
    const size_t marks = size_t(std::count(text, text + length, u'<'));
    reserveRoom(m_nodes, 2 * marks + 16);
    reserveRoom(m_pieces, 3 * marks + 16);
    reserveRoom(out.elements, marks + 16);
    reserveRoom(out.domElements, marks + 16);
    reserveRoom(out.attributes, marks + 16);
    m_nodes.clear();
    m_nodes.emplace_back(); // the document
    m_stack.clear();
    m_pieces.clear();
    m_work.svgNames.clear();
}

void TreeBuilder::run() {
    HtmlToken token;
    for (;;) {
        const int node = current();
        m_tokenizer.next(token, node >= 0 && m_nodes[size_t(node)].ns != HtmlNs);
        Tok t;
        t.kind = token.kind;
        t.start = token.start;
        t.end = token.end;
        auto addPiece = [&](Tok& part, SourceTree::PieceKind kind) {
            if (part.end <= part.start && part.kind != TokenKind::EndOfFile)
                return;
            part.piece = int(m_pieces.size());
            SourceTree::Piece piece;
            piece.start = part.start;
            piece.end = part.end;
            piece.kind = kind;
            m_pieces.push_back(piece);
        };
        m_tokenFirstNode = int(m_nodes.size());
        const bool skipLineFeed = std::exchange(m_skipLineFeed, false);
        if (token.kind == TokenKind::Characters) {
            if (skipLineFeed && token.leadingSpace) {
                // The line feed right after the start tag is dropped.
                const char16_t c = s[t.start];
                if (c == u'\r' || c == u'\n' || c == 0x2029) {
                    const int skip =
                        (c == u'\r' && t.start + 1 < n && s[t.start + 1] == u'\n') ? 2 : 1;
                    Tok dropped = t;
                    dropped.end = t.start + skip;
                    addPiece(dropped, SourceTree::PieceKind::Text);
                    if (dropped.piece >= 0)
                        m_pieces[size_t(dropped.piece)].element =
                            m_pieces[size_t(dropped.piece)].after = current();
                    t.start += skip;
                    token.start = t.start;
                    token.leadingSpace = t.start < token.firstNonSpace;
                }
            }
            bool any = false;
            if (token.leadingSpace) {
                Tok part = t;
                part.end = token.firstNonSpace;
                part.space = part.nonNull = true;
                addPiece(part, SourceTree::PieceKind::Text);
                dispatch(part);
                any = true;
            }
            if (token.firstNonSpace < token.end) {
                Tok part = t;
                part.start = token.leadingSpace ? token.firstNonSpace : token.start;
                part.nonNull = token.anyOther || token.spaceAfterNonSpace;
                part.other = token.anyOther;
                part.textual = token.anyTextual;
                addPiece(part, SourceTree::PieceKind::Text);
                dispatch(part);
                any = true;
            }
            if (!any) {
                // "</>" and the like: nothing at all.
                addPiece(t, SourceTree::PieceKind::Other);
                if (t.piece >= 0)
                    m_pieces[size_t(t.piece)].after = current();
            }
            continue;
        }
        t.name = token.name;
        t.selfClosing = token.selfClosing;
        t.attrFirst = token.attrFirst;
        t.attrCount = token.attrCount;
        t.quirks = token.quirks;
        const bool isTag = token.kind == TokenKind::StartTag || token.kind == TokenKind::EndTag;
        addPiece(t, isTag ? SourceTree::PieceKind::Tag : SourceTree::PieceKind::Other);
        dispatch(t);
        if (token.kind == TokenKind::EndOfFile)
            break;
    }
    finish();
}

void TreeBuilder::dispatch(Tok& t) {
    while (useHtmlRules(t) ? processIn(m_mode, t) : foreignContent(t)) {
    }
    if (t.piece >= 0)
        m_pieces[size_t(t.piece)].after = current();
}

bool TreeBuilder::useHtmlRules(const Tok& t) const {
    const int node = current();
    if (node < 0 || t.kind == TokenKind::EndOfFile)
        return true;
    const Node& e = m_nodes[size_t(node)];
    if (e.ns == HtmlNs)
        return true;
    const bool start = t.kind == TokenKind::StartTag;
    const bool chars = t.kind == TokenKind::Characters;
    if (e.ns == MathNs &&
        (e.name == Mi || e.name == Mo || e.name == Mn || e.name == Ms || e.name == Mtext)) {
        if (chars || (start && t.name != Mglyph && t.name != Malignmark))
            return true;
    }
    if (e.ns == MathNs && e.name == AnnotationXml && start && t.name == Svg)
        return true;
    return e.htmlIntegration && (start || chars);
}

bool TreeBuilder::processIn(Mode mode, Tok& t) {
    switch (mode) {
    case Mode::Initial:
        return initial(t);
    case Mode::BeforeHtml:
        return beforeHtml(t);
    case Mode::BeforeHead:
        return beforeHead(t);
    case Mode::InHead:
        return inHead(t);
    case Mode::AfterHead:
        return afterHead(t);
    case Mode::InBody:
        return inBody(t);
    case Mode::Text:
        return text(t);
    case Mode::InTable:
        return inTable(t);
    case Mode::InTableText:
        return inTableText(t);
    case Mode::InCaption:
        return inCaption(t);
    case Mode::InColumnGroup:
        return inColumnGroup(t);
    case Mode::InTableBody:
        return inTableBody(t);
    case Mode::InRow:
        return inRow(t);
    case Mode::InCell:
        return inCell(t);
    case Mode::InSelect:
        return inSelect(t);
    case Mode::InSelectInTable:
        return inSelectInTable(t);
    case Mode::InTemplate:
        return inTemplate(t);
    case Mode::AfterBody:
        return afterBody(t);
    case Mode::InFrameset:
        return inFrameset(t);
    case Mode::AfterFrameset:
        return afterFrameset(t);
    case Mode::AfterAfterBody:
        return afterAfterBody(t);
    case Mode::AfterAfterFrameset:
        return afterAfterFrameset(t);
    }
    return false;
}

// --- Nodes ---------------------------------------------------------------------------------

int TreeBuilder::newNode(const Tok* t, uint32_t name, uint8_t ns) {
    Node node;
    node.name = name;
    node.ns = ns;
    if (t) {
        node.tagStart = t->start;
        node.tagEnd = t->end;
        node.attrFirst = t->attrFirst;
        node.attrCount = t->attrCount;
    }
    if (ns == MathNs && name == AnnotationXml && t)
        node.htmlIntegration = attributeIs(*t, "encoding", "text/html") ||
                               attributeIs(*t, "encoding", "application/xhtml+xml");
    if (ns == SvgNs && (name == ForeignObject || name == Desc || name == Title))
        node.htmlIntegration = true;
    m_nodes.push_back(node);
    return int(m_nodes.size()) - 1;
}

int TreeBuilder::cloneNode(int node) {
    Node copy = m_nodes[size_t(node)];
    copy.parent = copy.first = copy.last = copy.next = copy.prev = -1;
    m_nodes.push_back(copy);
    return int(m_nodes.size()) - 1;
}

void TreeBuilder::detach(int node) {
    Node& e = m_nodes[size_t(node)];
    if (e.parent < 0)
        return;
    Node& parent = m_nodes[size_t(e.parent)];
    if (e.prev >= 0)
        m_nodes[size_t(e.prev)].next = e.next;
    else
        parent.first = e.next;
    if (e.next >= 0)
        m_nodes[size_t(e.next)].prev = e.prev;
    else
        parent.last = e.prev;
    e.parent = e.prev = e.next = -1;
}

void TreeBuilder::appendChild(int parent, int child) {
    detach(child);
    Node& p = m_nodes[size_t(parent)];
    Node& c = m_nodes[size_t(child)];
    c.parent = parent;
    c.prev = p.last;
    c.next = -1;
    if (p.last >= 0)
        m_nodes[size_t(p.last)].next = child;
    else
        p.first = child;
    p.last = child;
}

void TreeBuilder::insertBefore(int parent, int child, int before) {
    detach(child);
    Node& c = m_nodes[size_t(child)];
    Node& b = m_nodes[size_t(before)];
    c.parent = parent;
    c.next = before;
    c.prev = b.prev;
    if (b.prev >= 0)
        m_nodes[size_t(b.prev)].next = child;
    else
        m_nodes[size_t(parent)].first = child;
    b.prev = child;
}

void TreeBuilder::insertNode(const Place& place, int node) {
    if (place.before >= 0)
        insertBefore(place.parent, node, place.before);
    else
        appendChild(place.parent, node);
}

TreeBuilder::Place TreeBuilder::appropriatePlace(int target) const {
    if (target < 0)
        target = current();
    if (m_foster && causesFostering(target))
        return fosterPlace();
    return {target, -1};
}

bool TreeBuilder::causesFostering(int node) const {
    const Node& e = m_nodes[size_t(node)];
    return e.ns == HtmlNs && (e.name == Table || e.name == Tbody || e.name == Tfoot ||
                              e.name == Thead || e.name == Tr);
}

TreeBuilder::Place TreeBuilder::fosterPlace() const {
    int lastTemplate = -1;
    int lastTable = -1;
    for (int i = int(m_stack.size()) - 1; i >= 0 && (lastTemplate < 0 || lastTable < 0); --i) {
        if (lastTemplate < 0 && isHtml(m_stack[size_t(i)], Template))
            lastTemplate = i;
        if (lastTable < 0 && isHtml(m_stack[size_t(i)], Table))
            lastTable = i;
    }
    if (lastTemplate >= 0 && (lastTable < 0 || lastTemplate > lastTable))
        return {m_stack[size_t(lastTemplate)], -1};
    if (lastTable < 0)
        return {m_stack.front(), -1};
    const int table = m_stack[size_t(lastTable)];
    const int parent = table < m_tokenFirstNode ? m_nodes[size_t(table)].parent : -1;
    if (parent >= 0)
        return {parent, table};
    return {m_stack[size_t(lastTable) - 1], -1};
}

void TreeBuilder::attachElement(int node) {
    Place place = appropriatePlace();
    const bool fostered = place.parent != current() || place.before >= 0;
    // The engine puts a new node in place only once the token has been read, so an element
    // made by this same token has no parent yet and keeps the new one.
    if (!fostered && m_stack.size() > kMaxNesting && place.parent < m_tokenFirstNode) {
        const int parent = m_nodes[size_t(place.parent)].parent;
        if (parent >= 0)
            place = {parent, -1};
    }
    insertNode(place, node);
}

int TreeBuilder::insertElement(const Tok& t, uint8_t ns) {
    const int node = newNode(&t, t.name, ns);
    attachElement(node);
    m_stack.push_back(node);
    setPieceElement(t, node);
    return node;
}

int TreeBuilder::insertImplied(uint32_t name) {
    const int node = newNode(nullptr, name, HtmlNs);
    attachElement(node);
    m_stack.push_back(node);
    return node;
}

void TreeBuilder::insertText(const Tok& t) {
    const Place place = appropriatePlace();
    Node text;
    text.text = true;
    m_nodes.push_back(text);
    const int node = int(m_nodes.size()) - 1;
    insertNode(place, node);
    setPieceElement(t, node);
}

void TreeBuilder::setPieceElement(const Tok& t, int node) {
    if (t.piece >= 0)
        m_pieces[size_t(t.piece)].element = node;
}

// --- The result -----------------------------------------------------------------------------

void TreeBuilder::finish() {
    SourceTree& tree = m_out;
    tree.quirks = m_quirks;
    tree.quirksDecided = m_quirksDecided;
    tree.elements.clear();
    tree.domElements.clear();
    std::vector<int>& elementOf = m_work.elementOf;
    reserveRoom(elementOf, m_nodes.size());
    elementOf.assign(m_nodes.size(), -1);
    std::vector<std::u16string>& svgNames = m_work.svgNames;
    uint32_t hash = kDomHashSeed;

    // Tree order, the stack holding each node's later siblings (and its next ancestors').
    int depth = 0;
    int templateDepth = -1; // the depth of the template whose contents are being walked
    int node = m_nodes[0].first;
    while (node >= 0) {
        const Node& e = m_nodes[size_t(node)];
        if (!e.text) {
            SourceTree::Element out;
            out.parent = e.parent >= 0 ? elementOf[size_t(e.parent)] : -1;
            out.tagStart = e.tagStart;
            out.tagEnd = e.tagEnd;
            out.name = e.name;
            out.ns = e.ns;
            out.inTemplate = templateDepth >= 0;
            out.attrFirst = e.attrFirst;
            out.attrCount = e.attrCount;
            elementOf[size_t(node)] = int(tree.elements.size());
            if (!out.inTemplate) {
                out.domIndex = int(tree.domElements.size());
                tree.domElements.push_back(int(tree.elements.size()));
                std::u16string_view local = m_names.view(e.name);
                if (e.ns == SvgNs) {
                    if (svgNames.size() <= e.name)
                        svgNames.resize(e.name + 1);
                    if (svgNames[e.name].empty()) {
                        const QString camel = svgLocalName(m_names.name(e.name));
                        svgNames[e.name].assign(reinterpret_cast<const char16_t*>(camel.utf16()),
                                                size_t(camel.size()));
                    }
                    local = svgNames[e.name];
                }
                hash = foldDomHash(hash, e.ns, depth, local);
            }
            tree.elements.push_back(out);
            if (e.first >= 0) {
                if (templateDepth < 0 && e.ns == HtmlNs && e.name == Template)
                    templateDepth = depth;
                ++depth;
                node = e.first;
                continue;
            }
        }
        // On to the next sibling, or up to an ancestor's.
        while (node >= 0 && m_nodes[size_t(node)].next < 0) {
            node = m_nodes[size_t(node)].parent;
            if (node <= 0) {
                node = -1;
                break;
            }
            --depth;
            if (depth == templateDepth)
                templateDepth = -1;
        }
        if (node >= 0)
            node = m_nodes[size_t(node)].next;
    }
    tree.domHash = hash;

    for (SourceTree::Piece& piece : m_pieces) {
        for (int* field : {&piece.element, &piece.after}) {
            int at = *field;
            if (at >= 0 && m_nodes[size_t(at)].text)
                at = m_nodes[size_t(at)].parent;
            *field = at >= 0 ? elementOf[size_t(at)] : -1;
        }
    }
}
