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
        if (t.name == Frameset && !isHtml(current(), Html)) {
            setPieceElement(t, current());
            pop();
            if (!isHtml(current(), Frameset))
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
