// The stack of open elements with its scopes, the list of active formatting elements, and the
// attribute tests of the rules.
#include "TreeBuilder.h"

#include <algorithm>

using namespace HtmlNames;

namespace {

char16_t lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

} // namespace

bool TreeBuilder::isHtml(int node, uint32_t name) const {
    const Node& e = m_nodes[size_t(node)];
    return e.name == name && e.ns == HtmlNs;
}

bool TreeBuilder::isSpecial(int node) const {
    const Node& e = m_nodes[size_t(node)];
    if (e.ns == MathNs)
        return e.name == Mi || e.name == Mo || e.name == Mn || e.name == Ms || e.name == Mtext ||
               e.name == AnnotationXml;
    if (e.ns == SvgNs)
        return e.name == ForeignObject || e.name == Desc || e.name == Title;
    return inCategory(e.name, Special);
}

bool TreeBuilder::isScopeBoundary(int node, Scope scope) const {
    const Node& e = m_nodes[size_t(node)];
    if (scope == Scope::Select)
        return !(e.ns == HtmlNs && (e.name == Optgroup || e.name == Option));
    if (e.ns == HtmlNs) {
        if (e.name == Html || e.name == Table || e.name == Template)
            return true;
        if (scope == Scope::Table)
            return false;
        switch (e.name) {
        case Applet:
        case Caption:
        case Td:
        case Th:
        case Marquee:
        case Object:
            return true;
        case Ol:
        case Ul:
            return scope == Scope::ListItem;
        case Button:
            return scope == Scope::Button;
        default:
            return false;
        }
    }
    if (scope == Scope::Table)
        return false;
    if (e.ns == MathNs)
        return e.name == Mi || e.name == Mo || e.name == Mn || e.name == Ms || e.name == Mtext ||
               e.name == AnnotationXml;
    return e.name == ForeignObject || e.name == Desc || e.name == Title;
}

bool TreeBuilder::inScope(uint32_t name, Scope scope) const {
    for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it) {
        if (isHtml(*it, name))
            return true;
        if (isScopeBoundary(*it, scope))
            return false;
    }
    return false;
}

bool TreeBuilder::nodeInScope(int node, Scope scope) const {
    for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it) {
        if (*it == node)
            return true;
        if (isScopeBoundary(*it, scope))
            return false;
    }
    return false;
}

int TreeBuilder::stackIndex(int node) const {
    for (int i = int(m_stack.size()) - 1; i >= 0; --i)
        if (m_stack[size_t(i)] == node)
            return i;
    return -1;
}

bool TreeBuilder::onStack(uint32_t name) const {
    for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it)
        if (isHtml(*it, name))
            return true;
    return false;
}

int TreeBuilder::popUntil(uint32_t name) {
    while (!m_stack.empty()) {
        const int node = m_stack.back();
        m_stack.pop_back();
        if (isHtml(node, name))
            return node;
    }
    return -1;
}

void TreeBuilder::popUntilNode(int node) {
    while (!m_stack.empty()) {
        const int top = m_stack.back();
        m_stack.pop_back();
        if (top == node)
            return;
    }
}

void TreeBuilder::removeFromStack(int node) {
    const int at = stackIndex(node);
    if (at >= 0)
        m_stack.erase(m_stack.begin() + at);
}

void TreeBuilder::generateImpliedEndTags(uint32_t except) {
    while (!m_stack.empty()) {
        const Node& e = m_nodes[size_t(m_stack.back())];
        if (e.ns != HtmlNs || e.name == except || !inCategory(e.name, ImpliedEnd))
            return;
        m_stack.pop_back();
    }
}

void TreeBuilder::generateImpliedEndTagsThoroughly() {
    while (!m_stack.empty()) {
        const Node& e = m_nodes[size_t(m_stack.back())];
        if (e.ns != HtmlNs || !inCategory(e.name, ImpliedEndThorough))
            return;
        m_stack.pop_back();
    }
}

void TreeBuilder::closeP() {
    generateImpliedEndTags(P);
    popUntil(P);
}

void TreeBuilder::clearToContext(std::initializer_list<uint32_t> names) {
    while (!m_stack.empty()) {
        const Node& e = m_nodes[size_t(m_stack.back())];
        if (e.ns == HtmlNs && std::find(names.begin(), names.end(), e.name) != names.end())
            return;
        m_stack.pop_back();
    }
}

void TreeBuilder::resetInsertionMode() {
    for (int i = int(m_stack.size()) - 1; i >= 0; --i) {
        const int node = m_stack[size_t(i)];
        const bool last = i == 0;
        const Node& e = m_nodes[size_t(node)];
        if (e.ns != HtmlNs) {
            if (last) {
                m_mode = Mode::InBody;
                return;
            }
            continue;
        }
        switch (e.name) {
        case Select:
            if (!last) {
                for (int k = i - 1; k > 0; --k) {
                    if (isHtml(m_stack[size_t(k)], Template))
                        break;
                    if (isHtml(m_stack[size_t(k)], Table)) {
                        m_mode = Mode::InSelectInTable;
                        return;
                    }
                }
            }
            m_mode = Mode::InSelect;
            return;
        case Td:
        case Th:
            if (!last) {
                m_mode = Mode::InCell;
                return;
            }
            break;
        case Tr:
            m_mode = Mode::InRow;
            return;
        case Tbody:
        case Thead:
        case Tfoot:
            m_mode = Mode::InTableBody;
            return;
        case Caption:
            m_mode = Mode::InCaption;
            return;
        case Colgroup:
            m_mode = Mode::InColumnGroup;
            return;
        case Table:
            m_mode = Mode::InTable;
            return;
        case Template:
            m_mode = m_templateModes.empty() ? Mode::InBody : m_templateModes.back();
            return;
        case Head:
            if (!last) {
                m_mode = Mode::InHead;
                return;
            }
            break;
        case Body:
            m_mode = Mode::InBody;
            return;
        case Frameset:
            m_mode = Mode::InFrameset;
            return;
        case Html:
            m_mode = m_head < 0 ? Mode::BeforeHead : Mode::AfterHead;
            return;
        default:
            break;
        }
        if (last) {
            m_mode = Mode::InBody;
            return;
        }
    }
    m_mode = Mode::InBody;
}

bool TreeBuilder::sameAttributes(int a, int b) const {
    const Node& x = m_nodes[size_t(a)];
    const Node& y = m_nodes[size_t(b)];
    if (x.attrCount != y.attrCount)
        return false;
    const std::vector<TagAttribute>& attrs = m_tokenizer.attributes();
    for (int i = 0; i < x.attrCount; ++i) {
        const TagAttribute& p = attrs[size_t(x.attrFirst + i)];
        bool found = false;
        for (int k = 0; k < y.attrCount && !found; ++k) {
            const TagAttribute& q = attrs[size_t(y.attrFirst + k)];
            const int nameLength = p.nameEnd - p.nameStart;
            const int valueLength = p.valueEnd - p.valueStart;
            if (q.nameEnd - q.nameStart != nameLength || q.valueEnd - q.valueStart != valueLength)
                continue;
            bool same = true;
            for (int c = 0; c < nameLength && same; ++c)
                same = lower(s[p.nameStart + c]) == lower(s[q.nameStart + c]);
            for (int c = 0; c < valueLength && same; ++c)
                same = s[p.valueStart + c] == s[q.valueStart + c];
            found = same;
        }
        if (!found)
            return false;
    }
    return true;
}

void TreeBuilder::pushFormatting(int node) {
    // At most three alike after the last marker: the earliest of them goes.
    int alike = 0;
    int earliest = -1;
    for (int i = int(m_formatting.size()) - 1; i >= 0 && m_formatting[size_t(i)] >= 0; --i) {
        const int e = m_formatting[size_t(i)];
        if (m_nodes[size_t(e)].name == m_nodes[size_t(node)].name &&
            m_nodes[size_t(e)].ns == m_nodes[size_t(node)].ns && sameAttributes(e, node)) {
            ++alike;
            earliest = i;
        }
    }
    if (alike >= 3)
        m_formatting.erase(m_formatting.begin() + earliest);
    m_formatting.push_back(node);
}

void TreeBuilder::reconstructFormatting() {
    if (m_formatting.empty())
        return;
    const int last = m_formatting.back();
    if (last < 0 || stackIndex(last) >= 0)
        return;
    size_t i = m_formatting.size() - 1;
    while (i > 0) {
        const int e = m_formatting[i - 1];
        if (e < 0 || stackIndex(e) >= 0)
            break;
        --i;
    }
    for (; i < m_formatting.size(); ++i) {
        const int clone = cloneNode(m_formatting[i]);
        attachElement(clone);
        m_stack.push_back(clone);
        m_formatting[i] = clone;
    }
}

void TreeBuilder::clearFormattingToMarker() {
    while (!m_formatting.empty()) {
        const int e = m_formatting.back();
        m_formatting.pop_back();
        if (e < 0)
            return;
    }
}

int TreeBuilder::formattingIndex(int node) const {
    for (int i = int(m_formatting.size()) - 1; i >= 0; --i)
        if (m_formatting[size_t(i)] == node)
            return i;
    return -1;
}

bool TreeBuilder::hasAttribute(const Tok& t, const char* name) const {
    const std::vector<TagAttribute>& attrs = m_tokenizer.attributes();
    const int length = int(std::char_traits<char>::length(name));
    for (int i = 0; i < t.attrCount; ++i) {
        const TagAttribute& a = attrs[size_t(t.attrFirst + i)];
        if (a.nameEnd - a.nameStart != length)
            continue;
        int c = 0;
        while (c < length && lower(s[a.nameStart + c]) == char16_t(name[c]))
            ++c;
        if (c == length)
            return true;
    }
    return false;
}

bool TreeBuilder::attributeIs(const Tok& t, const char* name, const char* value) const {
    const std::vector<TagAttribute>& attrs = m_tokenizer.attributes();
    const int length = int(std::char_traits<char>::length(name));
    const int valueLength = int(std::char_traits<char>::length(value));
    for (int i = 0; i < t.attrCount; ++i) {
        const TagAttribute& a = attrs[size_t(t.attrFirst + i)];
        if (a.nameEnd - a.nameStart != length)
            continue;
        int c = 0;
        while (c < length && lower(s[a.nameStart + c]) == char16_t(name[c]))
            ++c;
        if (c != length)
            continue;
        // The first attribute of a name is the one that counts.
        if (a.valueEnd - a.valueStart != valueLength)
            return false;
        for (int k = 0; k < valueLength; ++k)
            if (lower(s[a.valueStart + k]) != char16_t(value[k]))
                return false;
        return true;
    }
    return false;
}
