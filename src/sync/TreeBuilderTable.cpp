// The insertion modes of tables and of <select>. A rule returns true when the token is to be
// processed again (in the mode it switched to).
#include "TreeBuilder.h"

using namespace HtmlNames;

namespace {

bool isOneOf(uint32_t name, std::initializer_list<uint32_t> names) {
    for (const uint32_t n : names)
        if (n == name)
            return true;
    return false;
}

} // namespace

bool TreeBuilder::tableAnythingElse(Tok& t) {
    m_foster = true;
    const bool again = inBody(t);
    m_foster = false;
    return again;
}

bool TreeBuilder::inTable(Tok& t) {
    switch (t.kind) {
    case TokenKind::Characters: {
        const int node = current();
        if (isOneOf(m_nodes[size_t(node)].name, {Table, Tbody, Template, Tfoot, Thead, Tr}) &&
            m_nodes[size_t(node)].ns == HtmlNs) {
            m_pendingText.clear();
            m_originalMode = m_mode;
            m_mode = Mode::InTableText;
            return true;
        }
        break;
    }
    case TokenKind::Comment:
    case TokenKind::Doctype:
        return false;
    case TokenKind::StartTag:
        switch (t.name) {
        case Caption:
            clearToContext({Table, Template, Html});
            m_formatting.push_back(-1);
            insertElement(t);
            m_mode = Mode::InCaption;
            return false;
        case Colgroup:
            clearToContext({Table, Template, Html});
            insertElement(t);
            m_mode = Mode::InColumnGroup;
            return false;
        case Col:
            clearToContext({Table, Template, Html});
            insertImplied(Colgroup);
            m_mode = Mode::InColumnGroup;
            return true;
        case Tbody:
        case Tfoot:
        case Thead:
            clearToContext({Table, Template, Html});
            insertElement(t);
            m_mode = Mode::InTableBody;
            return false;
        case Td:
        case Th:
        case Tr:
            clearToContext({Table, Template, Html});
            insertImplied(Tbody);
            m_mode = Mode::InTableBody;
            return true;
        case Table:
            if (!inScope(Table, Scope::Table))
                return false;
            popUntil(Table);
            resetInsertionMode();
            return true;
        case Style:
        case Script:
        case Template:
            return inHead(t);
        case Input:
            if (!attributeIs(t, "type", "hidden"))
                break;
            insertElement(t);
            pop();
            return false;
        case Form:
            if (onStack(Template) || m_form >= 0)
                return false;
            m_form = insertElement(t);
            pop();
            return false;
        default:
            break;
        }
        break;
    case TokenKind::EndTag:
        switch (t.name) {
        case Table:
            if (!inScope(Table, Scope::Table))
                return false;
            setPieceElement(t, popUntil(Table));
            resetInsertionMode();
            return false;
        case Body:
        case Caption:
        case Col:
        case Colgroup:
        case Html:
        case Tbody:
        case Td:
        case Tfoot:
        case Th:
        case Thead:
        case Tr:
            return false;
        case Template:
            return inHead(t);
        default:
            break;
        }
        break;
    case TokenKind::EndOfFile:
        return inBody(t);
    }
    return tableAnythingElse(t);
}

bool TreeBuilder::inTableText(Tok& t) {
    if (t.kind == TokenKind::Characters) {
        if (t.nonNull) // NUL is dropped
            m_pendingText.push_back(t);
        return false;
    }
    bool other = false;
    for (const Tok& c : m_pendingText)
        other |= c.other;
    for (Tok& c : m_pendingText) {
        if (other)
            tableAnythingElse(c);
        else
            insertText(c);
        if (c.piece >= 0)
            m_pieces[size_t(c.piece)].after = current();
    }
    m_pendingText.clear();
    m_mode = m_originalMode;
    return true;
}

bool TreeBuilder::inCaption(Tok& t) {
    const bool start = t.kind == TokenKind::StartTag;
    const bool end = t.kind == TokenKind::EndTag;
    if ((end && t.name == Caption) ||
        (start && isOneOf(t.name, {Caption, Col, Colgroup, Tbody, Td, Tfoot, Th, Thead, Tr})) ||
        (end && t.name == Table)) {
        if (!inScope(Caption, Scope::Table))
            return false;
        generateImpliedEndTags();
        const int caption = popUntil(Caption);
        clearFormattingToMarker();
        m_mode = Mode::InTable;
        if (end && t.name == Caption) {
            setPieceElement(t, caption);
            return false;
        }
        return true;
    }
    if (end && isOneOf(t.name, {Body, Col, Colgroup, Html, Tbody, Td, Tfoot, Th, Thead, Tr}))
        return false;
    return inBody(t);
}

bool TreeBuilder::inColumnGroup(Tok& t) {
    switch (t.kind) {
    case TokenKind::Characters:
        if (!t.space)
            break;
        insertText(t);
        return false;
    case TokenKind::Comment:
    case TokenKind::Doctype:
        return false;
    case TokenKind::StartTag:
        if (t.name == Html)
            return inBody(t);
        if (t.name == Col) {
            insertElement(t);
            pop();
            return false;
        }
        if (t.name == Template)
            return inHead(t);
        break;
    case TokenKind::EndTag:
        if (t.name == Colgroup) {
            if (!isHtml(current(), Colgroup))
                return false;
            setPieceElement(t, current());
            pop();
            m_mode = Mode::InTable;
            return false;
        }
        if (t.name == Col)
            return false;
        if (t.name == Template)
            return inHead(t);
        break;
    case TokenKind::EndOfFile:
        return inBody(t);
    }
    if (!isHtml(current(), Colgroup))
        return false;
    pop();
    m_mode = Mode::InTable;
    return true;
}

bool TreeBuilder::inTableBody(Tok& t) {
    const bool start = t.kind == TokenKind::StartTag;
    const bool end = t.kind == TokenKind::EndTag;
    if (start && t.name == Tr) {
        clearToContext({Tbody, Tfoot, Thead, Template, Html});
        insertElement(t);
        m_mode = Mode::InRow;
        return false;
    }
    if (start && (t.name == Th || t.name == Td)) {
        clearToContext({Tbody, Tfoot, Thead, Template, Html});
        insertImplied(Tr);
        m_mode = Mode::InRow;
        return true;
    }
    if (end && isOneOf(t.name, {Tbody, Tfoot, Thead})) {
        if (!inScope(t.name, Scope::Table))
            return false;
        clearToContext({Tbody, Tfoot, Thead, Template, Html});
        setPieceElement(t, current());
        pop();
        m_mode = Mode::InTable;
        return false;
    }
    if ((start && isOneOf(t.name, {Caption, Col, Colgroup, Tbody, Tfoot, Thead})) ||
        (end && t.name == Table)) {
        if (!inScope(Tbody, Scope::Table) && !inScope(Thead, Scope::Table) &&
            !inScope(Tfoot, Scope::Table))
            return false;
        clearToContext({Tbody, Tfoot, Thead, Template, Html});
        pop();
        m_mode = Mode::InTable;
        return true;
    }
    if (end && isOneOf(t.name, {Body, Caption, Col, Colgroup, Html, Td, Th, Tr}))
        return false;
    return inTable(t);
}

bool TreeBuilder::inRow(Tok& t) {
    const bool start = t.kind == TokenKind::StartTag;
    const bool end = t.kind == TokenKind::EndTag;
    if (start && (t.name == Th || t.name == Td)) {
        clearToContext({Tr, Template, Html});
        insertElement(t);
        m_mode = Mode::InCell;
        m_formatting.push_back(-1);
        return false;
    }
    if (end && t.name == Tr) {
        if (!inScope(Tr, Scope::Table))
            return false;
        clearToContext({Tr, Template, Html});
        setPieceElement(t, current());
        pop();
        m_mode = Mode::InTableBody;
        return false;
    }
    if ((start && isOneOf(t.name, {Caption, Col, Colgroup, Tbody, Tfoot, Thead, Tr})) ||
        (end && t.name == Table) || (end && isOneOf(t.name, {Tbody, Tfoot, Thead}))) {
        if (end && t.name != Table && !inScope(t.name, Scope::Table))
            return false;
        if (!inScope(Tr, Scope::Table))
            return false;
        clearToContext({Tr, Template, Html});
        pop();
        m_mode = Mode::InTableBody;
        return true;
    }
    if (end && isOneOf(t.name, {Body, Caption, Col, Colgroup, Html, Td, Th}))
        return false;
    return inTable(t);
}

void TreeBuilder::closeCell() {
    generateImpliedEndTags();
    while (!m_stack.empty()) {
        const int node = m_stack.back();
        m_stack.pop_back();
        if (isHtml(node, Td) || isHtml(node, Th))
            break;
    }
    clearFormattingToMarker();
    m_mode = Mode::InRow;
}

bool TreeBuilder::inCell(Tok& t) {
    const bool start = t.kind == TokenKind::StartTag;
    const bool end = t.kind == TokenKind::EndTag;
    if (end && (t.name == Td || t.name == Th)) {
        if (!inScope(t.name, Scope::Table))
            return false;
        generateImpliedEndTags();
        setPieceElement(t, popUntil(t.name));
        clearFormattingToMarker();
        m_mode = Mode::InRow;
        return false;
    }
    if (start && isOneOf(t.name, {Caption, Col, Colgroup, Tbody, Td, Tfoot, Th, Thead, Tr})) {
        if (!inScope(Td, Scope::Table) && !inScope(Th, Scope::Table))
            return false;
        closeCell();
        return true;
    }
    if (end && isOneOf(t.name, {Body, Caption, Col, Colgroup, Html}))
        return false;
    if (end && isOneOf(t.name, {Table, Tbody, Tfoot, Thead, Tr})) {
        if (!inScope(t.name, Scope::Table))
            return false;
        closeCell();
        return true;
    }
    return inBody(t);
}

bool TreeBuilder::inSelect(Tok& t) {
    switch (t.kind) {
    case TokenKind::Characters:
        if (t.nonNull)
            insertText(t);
        return false;
    case TokenKind::Comment:
    case TokenKind::Doctype:
        return false;
    case TokenKind::StartTag:
        switch (t.name) {
        case Html:
            return inBody(t);
        case Option:
            if (isHtml(current(), Option))
                pop();
            insertElement(t);
            return false;
        case Optgroup:
            if (isHtml(current(), Option))
                pop();
            if (isHtml(current(), Optgroup))
                pop();
            insertElement(t);
            return false;
        case Select:
            if (inScope(Select, Scope::Select)) {
                popUntil(Select);
                resetInsertionMode();
            }
            return false;
        case Input:
        case Keygen:
        case Textarea:
            if (!inScope(Select, Scope::Select))
                return false;
            popUntil(Select);
            resetInsertionMode();
            return true;
        case Script:
        case Template:
            return inHead(t);
        default:
            return false;
        }
    case TokenKind::EndTag:
        switch (t.name) {
        case Optgroup:
            if (isHtml(current(), Option) && m_stack.size() >= 2 &&
                isHtml(m_stack[m_stack.size() - 2], Optgroup))
                pop();
            if (isHtml(current(), Optgroup)) {
                setPieceElement(t, current());
                pop();
            }
            return false;
        case Option:
            if (isHtml(current(), Option)) {
                setPieceElement(t, current());
                pop();
            }
            return false;
        case Select:
            if (!inScope(Select, Scope::Select))
                return false;
            setPieceElement(t, popUntil(Select));
            resetInsertionMode();
            return false;
        case Template:
            return inHead(t);
        default:
            return false;
        }
    case TokenKind::EndOfFile:
        return inBody(t);
    }
    return false;
}

bool TreeBuilder::inSelectInTable(Tok& t) {
    const bool tableTag = isOneOf(t.name, {Caption, Table, Tbody, Tfoot, Thead, Tr, Td, Th});
    if (t.kind == TokenKind::StartTag && tableTag) {
        popUntil(Select);
        resetInsertionMode();
        return true;
    }
    if (t.kind == TokenKind::EndTag && tableTag) {
        if (!inScope(t.name, Scope::Table))
            return false;
        popUntil(Select);
        resetInsertionMode();
        return true;
    }
    return inSelect(t);
}
