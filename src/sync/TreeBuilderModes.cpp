// The insertion modes other than "in body", each as the parsing algorithm states it. A rule
// returns true when the token is to be processed again (in the mode it switched to).
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

bool TreeBuilder::initial(Tok& t) {
    if ((t.kind == TokenKind::Characters && t.space) || t.kind == TokenKind::Comment)
        return false;
    m_mode = Mode::BeforeHtml;
    if (t.kind == TokenKind::Doctype) {
        m_quirks = m_forcedQuirks.value_or(t.quirks);
        return false;
    }
    m_quirks = m_forcedQuirks.value_or(true); // no doctype
    return true;
}

bool TreeBuilder::beforeHtml(Tok& t) {
    if (t.kind == TokenKind::Doctype || t.kind == TokenKind::Comment ||
        (t.kind == TokenKind::Characters && t.space))
        return false;
    if (t.kind == TokenKind::StartTag && t.name == Html) {
        const int html = newNode(&t, Html, HtmlNs);
        appendChild(0, html);
        m_stack.push_back(html);
        setPieceElement(t, html);
        m_mode = Mode::BeforeHead;
        return false;
    }
    if (t.kind == TokenKind::EndTag && !isOneOf(t.name, {Head, Body, Html, Br}))
        return false;
    const int html = newNode(nullptr, Html, HtmlNs);
    appendChild(0, html);
    m_stack.push_back(html);
    m_mode = Mode::BeforeHead;
    return true;
}

bool TreeBuilder::beforeHead(Tok& t) {
    if (t.kind == TokenKind::Doctype || t.kind == TokenKind::Comment ||
        (t.kind == TokenKind::Characters && t.space))
        return false;
    if (t.kind == TokenKind::StartTag && t.name == Html)
        return inBody(t);
    if (t.kind == TokenKind::StartTag && t.name == Head) {
        m_head = insertElement(t);
        m_mode = Mode::InHead;
        return false;
    }
    if (t.kind == TokenKind::EndTag && !isOneOf(t.name, {Head, Body, Html, Br}))
        return false;
    m_head = insertImplied(Head);
    m_mode = Mode::InHead;
    return true;
}

void TreeBuilder::rawTextElement(const Tok& t, HtmlTokenizer::Content content) {
    insertElement(t);
    m_tokenizer.setContent(content, t.name);
    m_originalMode = m_mode;
    m_mode = Mode::Text;
}

bool TreeBuilder::inHead(Tok& t) {
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
        switch (t.name) {
        case Html:
            return inBody(t);
        case Base:
        case Basefont:
        case Bgsound:
        case Link:
        case Meta:
            insertElement(t);
            pop();
            return false;
        case Title:
            rawTextElement(t, HtmlTokenizer::Content::RcData);
            return false;
        case Noscript: // scripting is on in the preview
        case Noframes:
        case Style:
            rawTextElement(t, HtmlTokenizer::Content::RawText);
            return false;
        case Script:
            rawTextElement(t, HtmlTokenizer::Content::ScriptData);
            return false;
        case Template:
            insertElement(t);
            m_formatting.push_back(-1);
            m_framesetOk = false;
            m_mode = Mode::InTemplate;
            m_templateModes.push_back(Mode::InTemplate);
            return false;
        case Head:
            return false;
        default:
            break;
        }
        break;
    case TokenKind::EndTag:
        switch (t.name) {
        case Head:
            setPieceElement(t, current());
            pop();
            m_mode = Mode::AfterHead;
            return false;
        case Body:
        case Html:
        case Br:
            break;
        case Template:
            if (!onStack(Template))
                return false;
            generateImpliedEndTagsThoroughly();
            setPieceElement(t, popUntil(Template));
            clearFormattingToMarker();
            m_templateModes.pop_back();
            resetInsertionMode();
            return false;
        default:
            return false;
        }
        break;
    case TokenKind::EndOfFile:
        break;
    }
    pop(); // the head
    m_mode = Mode::AfterHead;
    return true;
}

bool TreeBuilder::afterHead(Tok& t) {
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
        switch (t.name) {
        case Html:
            return inBody(t);
        case Body:
            insertElement(t);
            m_framesetOk = false;
            m_mode = Mode::InBody;
            return false;
        case Frameset:
            insertElement(t);
            m_mode = Mode::InFrameset;
            return false;
        case Base:
        case Basefont:
        case Bgsound:
        case Link:
        case Meta:
        case Noframes:
        case Script:
        case Style:
        case Template:
        case Title: {
            // Into the head, which is already closed.
            m_stack.push_back(m_head);
            const bool again = inHead(t);
            removeFromStack(m_head);
            return again;
        }
        case Head:
            return false;
        default:
            break;
        }
        break;
    case TokenKind::EndTag:
        if (t.name == Template)
            return inHead(t);
        if (!isOneOf(t.name, {Body, Html, Br}))
            return false;
        break;
    case TokenKind::EndOfFile:
        break;
    }
    // The preview's engine starts an implied body with frameset-ok as it was at the start.
    insertImplied(Body);
    m_framesetOk = true;
    m_mode = Mode::InBody;
    return true;
}

bool TreeBuilder::text(Tok& t) {
    if (t.kind == TokenKind::Characters) {
        insertText(t);
        return false;
    }
    if (t.kind == TokenKind::EndTag)
        setPieceElement(t, current());
    pop();
    m_mode = m_originalMode;
    return t.kind == TokenKind::EndOfFile;
}

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
            if (!is(current(), Colgroup))
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
    if (!is(current(), Colgroup))
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
        if (is(node, Td) || is(node, Th))
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
            if (is(current(), Option))
                pop();
            insertElement(t);
            return false;
        case Optgroup:
            if (is(current(), Option))
                pop();
            if (is(current(), Optgroup))
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
            if (is(current(), Option) && m_stack.size() >= 2 &&
                is(m_stack[m_stack.size() - 2], Optgroup))
                pop();
            if (is(current(), Optgroup)) {
                setPieceElement(t, current());
                pop();
            }
            return false;
        case Option:
            if (is(current(), Option)) {
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

bool TreeBuilder::inTemplate(Tok& t) {
    switch (t.kind) {
    case TokenKind::Characters:
    case TokenKind::Comment:
    case TokenKind::Doctype:
        return inBody(t);
    case TokenKind::StartTag: {
        Mode next = Mode::InBody;
        switch (t.name) {
        case Base:
        case Basefont:
        case Bgsound:
        case Link:
        case Meta:
        case Noframes:
        case Script:
        case Style:
        case Template:
        case Title:
            return inHead(t);
        case Caption:
        case Colgroup:
        case Tbody:
        case Tfoot:
        case Thead:
            next = Mode::InTable;
            break;
        case Col:
            next = Mode::InColumnGroup;
            break;
        case Tr:
            next = Mode::InTableBody;
            break;
        case Td:
        case Th:
            next = Mode::InRow;
            break;
        default:
            break;
        }
        m_templateModes.back() = next;
        m_mode = next;
        return true;
    }
    case TokenKind::EndTag:
        if (t.name == Template)
            return inHead(t);
        return false;
    case TokenKind::EndOfFile:
        if (!onStack(Template))
            return false;
        popUntil(Template);
        clearFormattingToMarker();
        m_templateModes.pop_back();
        resetInsertionMode();
        return true;
    }
    return false;
}

bool TreeBuilder::afterBody(Tok& t) {
    switch (t.kind) {
    case TokenKind::Characters:
        if (t.space)
            return inBody(t);
        break;
    case TokenKind::Comment:
    case TokenKind::Doctype:
        return false;
    case TokenKind::StartTag:
        if (t.name == Html)
            return inBody(t);
        break;
    case TokenKind::EndTag:
        if (t.name == Html) {
            m_mode = Mode::AfterAfterBody;
            return false;
        }
        break;
    case TokenKind::EndOfFile:
        return false;
    }
    m_mode = Mode::InBody;
    return true;
}

bool TreeBuilder::inFrameset(Tok& t) {
    switch (t.kind) {
    case TokenKind::Characters:
        if (t.space)
            insertText(t);
        return false;
    case TokenKind::StartTag:
        switch (t.name) {
        case Html:
            return inBody(t);
        case Frameset:
            insertElement(t);
            return false;
        case Frame:
            insertElement(t);
            pop();
            return false;
        case Noframes:
            return inHead(t);
        default:
            return false;
        }
    case TokenKind::EndTag:
        if (t.name == Frameset && !is(current(), Html)) {
            setPieceElement(t, current());
            pop();
            if (!is(current(), Frameset))
                m_mode = Mode::AfterFrameset;
        }
        return false;
    default:
        return false;
    }
}

bool TreeBuilder::afterFrameset(Tok& t) {
    switch (t.kind) {
    case TokenKind::Characters:
        if (t.space)
            insertText(t);
        return false;
    case TokenKind::StartTag:
        if (t.name == Html)
            return inBody(t);
        if (t.name == Noframes)
            return inHead(t);
        return false;
    case TokenKind::EndTag:
        if (t.name == Html)
            m_mode = Mode::AfterAfterFrameset;
        return false;
    default:
        return false;
    }
}

bool TreeBuilder::afterAfterBody(Tok& t) {
    switch (t.kind) {
    case TokenKind::Comment:
        return false;
    case TokenKind::Doctype:
        return inBody(t);
    case TokenKind::Characters:
        if (t.space)
            return inBody(t);
        break;
    case TokenKind::StartTag:
        if (t.name == Html)
            return inBody(t);
        break;
    case TokenKind::EndOfFile:
        return false;
    default:
        break;
    }
    m_mode = Mode::InBody;
    return true;
}

bool TreeBuilder::afterAfterFrameset(Tok& t) {
    switch (t.kind) {
    case TokenKind::Comment:
    case TokenKind::EndOfFile:
        return false;
    case TokenKind::Doctype:
        return inBody(t);
    case TokenKind::Characters:
        if (t.space)
            return inBody(t);
        return false;
    case TokenKind::StartTag:
        if (t.name == Html)
            return inBody(t);
        if (t.name == Noframes)
            return inHead(t);
        return false;
    default:
        return false;
    }
}
