// "In body", the adoption agency for misnested formatting elements, and foreign content
// (SVG and MathML), as the parsing algorithm states them.
#include "TreeBuilder.h"

using namespace HtmlNames;

namespace {

bool isHeading(uint32_t name) {
    return name == H1 || name == H2 || name == H3 || name == H4 || name == H5 || name == H6;
}

} // namespace

bool TreeBuilder::inBody(Tok& t) {
    switch (t.kind) {
    case TokenKind::Characters:
        if (!t.nonNull) // NUL only
            return false;
        reconstructFormatting();
        insertText(t);
        // The preview's engine lets U+FFFD (and &#0;) leave frameset-ok as it is.
        if (t.textual)
            m_framesetOk = false;
        return false;
    case TokenKind::Comment:
    case TokenKind::Doctype:
        return false;
    case TokenKind::StartTag:
        return inBodyStartTag(t);
    case TokenKind::EndTag:
        return inBodyEndTag(t);
    case TokenKind::EndOfFile:
        if (!m_templateModes.empty())
            return inTemplate(t);
        return false;
    }
    return false;
}

bool TreeBuilder::inBodyStartTag(Tok& t) {
    const auto closePInButtonScope = [this] {
        if (inScope(P, Scope::Button))
            closeP();
    };
    switch (t.name) {
    case Html:
        // Its attributes go to the root element.
        if (!onStack(Template))
            setPieceElement(t, m_stack.front());
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
    case Title:
        return inHead(t);
    case Body:
        if (m_stack.size() >= 2 && is(m_stack[1], Body) && !onStack(Template)) {
            m_framesetOk = false;
            setPieceElement(t, m_stack[1]);
        }
        return false;
    case Frameset:
        if (m_stack.size() < 2 || !is(m_stack[1], Body) || !m_framesetOk)
            return false;
        detach(m_stack[1]);
        m_stack.resize(1);
        insertElement(t);
        m_mode = Mode::InFrameset;
        return false;
    case Address:
    case Article:
    case Aside:
    case Blockquote:
    case Center:
    case Details:
    case Dialog:
    case Dir:
    case Div:
    case Dl:
    case Fieldset:
    case Figcaption:
    case Figure:
    case Footer:
    case Header:
    case Hgroup:
    case Main:
    case Menu:
    case Nav:
    case Ol:
    case P:
    case Section:
    case Summary:
    case Ul:
        closePInButtonScope();
        insertElement(t);
        return false;
    case H1:
    case H2:
    case H3:
    case H4:
    case H5:
    case H6:
        closePInButtonScope();
        if (m_nodes[size_t(current())].ns == HtmlNs && isHeading(m_nodes[size_t(current())].name))
            pop();
        insertElement(t);
        return false;
    case Pre:
    case Listing:
        closePInButtonScope();
        insertElement(t);
        m_framesetOk = false;
        m_skipLineFeed = true;
        return false;
    case Form: {
        const bool inTemplateElement = onStack(Template);
        if (m_form >= 0 && !inTemplateElement)
            return false;
        closePInButtonScope();
        const int form = insertElement(t);
        if (!inTemplateElement)
            m_form = form;
        return false;
    }
    case Li:
    case Dd:
    case Dt: {
        m_framesetOk = false;
        for (int i = int(m_stack.size()) - 1; i >= 0; --i) {
            const int node = m_stack[size_t(i)];
            const uint32_t closes = t.name == Li ? (is(node, Li) ? Li : Unknown)
                                                 : (is(node, Dd)   ? Dd
                                                    : is(node, Dt) ? Dt
                                                                   : Unknown);
            if (closes != Unknown) {
                generateImpliedEndTags(closes);
                popUntil(closes);
                break;
            }
            if (isSpecial(node) && !is(node, Address) && !is(node, Div) && !is(node, P))
                break;
        }
        closePInButtonScope();
        insertElement(t);
        return false;
    }
    case Plaintext:
        closePInButtonScope();
        insertElement(t);
        m_tokenizer.setContent(HtmlTokenizer::Content::PlainText, Plaintext);
        return false;
    case Button:
        if (inScope(Button)) {
            generateImpliedEndTags();
            popUntil(Button);
        }
        reconstructFormatting();
        insertElement(t);
        m_framesetOk = false;
        return false;
    case A: {
        int a = -1;
        for (int i = int(m_formatting.size()) - 1; i >= 0 && m_formatting[size_t(i)] >= 0; --i)
            if (is(m_formatting[size_t(i)], A)) {
                a = m_formatting[size_t(i)];
                break;
            }
        if (a >= 0) {
            adoptionAgency(t);
            const int at = formattingIndex(a);
            if (at >= 0)
                m_formatting.erase(m_formatting.begin() + at);
            removeFromStack(a);
        }
        reconstructFormatting();
        pushFormatting(insertElement(t));
        return false;
    }
    case B:
    case Big:
    case Code:
    case Em:
    case Font:
    case I:
    case S:
    case Small:
    case Strike:
    case Strong:
    case Tt:
    case U:
        reconstructFormatting();
        pushFormatting(insertElement(t));
        return false;
    case Nobr:
        reconstructFormatting();
        if (inScope(Nobr)) {
            adoptionAgency(t);
            reconstructFormatting();
        }
        pushFormatting(insertElement(t));
        return false;
    case Applet:
    case Marquee:
    case Object:
        reconstructFormatting();
        insertElement(t);
        m_formatting.push_back(-1);
        m_framesetOk = false;
        return false;
    case Table:
        if (inScope(P, Scope::Button)) {
            m_quirksDecided = true;
            if (!m_quirks)
                closeP();
        }
        insertElement(t);
        m_framesetOk = false;
        m_mode = Mode::InTable;
        return false;
    case Area:
    case Br:
    case Embed:
    case Img:
    case Keygen:
    case Wbr:
        reconstructFormatting();
        insertElement(t);
        pop();
        m_framesetOk = false;
        return false;
    case Input:
        reconstructFormatting();
        insertElement(t);
        pop();
        if (!attributeIs(t, "type", "hidden"))
            m_framesetOk = false;
        return false;
    case Param:
    case Source:
    case Track:
        insertElement(t);
        pop();
        return false;
    case Hr:
        closePInButtonScope();
        insertElement(t);
        pop();
        m_framesetOk = false;
        return false;
    case Image:
        t.name = Img;
        return true;
    case Textarea:
        m_skipLineFeed = true;
        insertElement(t);
        m_tokenizer.setContent(HtmlTokenizer::Content::RcData, Textarea);
        m_originalMode = m_mode;
        m_framesetOk = false;
        m_mode = Mode::Text;
        return false;
    case Xmp:
        closePInButtonScope();
        reconstructFormatting();
        m_framesetOk = false;
        rawTextElement(t, HtmlTokenizer::Content::RawText);
        return false;
    case Iframe:
        m_framesetOk = false;
        rawTextElement(t, HtmlTokenizer::Content::RawText);
        return false;
    case Noembed:
    case Noscript: // scripting is on in the preview
        rawTextElement(t, HtmlTokenizer::Content::RawText);
        return false;
    case Select: {
        reconstructFormatting();
        insertElement(t);
        m_framesetOk = false;
        const bool inTableMode = m_mode == Mode::InTable || m_mode == Mode::InCaption ||
                                 m_mode == Mode::InTableBody || m_mode == Mode::InRow ||
                                 m_mode == Mode::InCell;
        m_mode = inTableMode ? Mode::InSelectInTable : Mode::InSelect;
        return false;
    }
    case Optgroup:
    case Option:
        if (is(current(), Option))
            pop();
        reconstructFormatting();
        insertElement(t);
        return false;
    case Rb:
    case Rtc:
        if (inScope(Ruby))
            generateImpliedEndTags();
        insertElement(t);
        return false;
    case Rp:
    case Rt:
        if (inScope(Ruby))
            generateImpliedEndTags(Rtc);
        insertElement(t);
        return false;
    case Math:
    case Svg:
        reconstructFormatting();
        insertElement(t, t.name == Math ? MathNs : SvgNs);
        if (t.selfClosing)
            pop();
        return false;
    case Caption:
    case Col:
    case Colgroup:
    case Frame:
    case Head:
    case Tbody:
    case Td:
    case Tfoot:
    case Th:
    case Thead:
    case Tr:
        return false;
    default:
        reconstructFormatting();
        insertElement(t);
        return false;
    }
}

bool TreeBuilder::inBodyEndTag(Tok& t) {
    switch (t.name) {
    case Template:
        return inHead(t);
    case Body:
    case Html:
        if (!inScope(Body))
            return false;
        if (m_stack.size() >= 2)
            setPieceElement(t, t.name == Body ? m_stack[1] : m_stack[0]);
        m_mode = Mode::AfterBody;
        return t.name == Html;
    case Address:
    case Article:
    case Aside:
    case Blockquote:
    case Button:
    case Center:
    case Details:
    case Dialog:
    case Dir:
    case Div:
    case Dl:
    case Fieldset:
    case Figcaption:
    case Figure:
    case Footer:
    case Header:
    case Hgroup:
    case Listing:
    case Main:
    case Menu:
    case Nav:
    case Ol:
    case Pre:
    case Section:
    case Summary:
    case Ul:
        if (!inScope(t.name))
            return false;
        generateImpliedEndTags();
        setPieceElement(t, popUntil(t.name));
        return false;
    case Form:
        if (!onStack(Template)) {
            const int form = m_form;
            m_form = -1;
            if (form < 0 || !nodeInScope(form))
                return false;
            generateImpliedEndTags();
            removeFromStack(form);
            setPieceElement(t, form);
        } else {
            if (!inScope(Form))
                return false;
            generateImpliedEndTags();
            setPieceElement(t, popUntil(Form));
        }
        return false;
    case P:
        if (!inScope(P, Scope::Button)) {
            // An empty paragraph, made by the end tag itself.
            Tok p = t;
            p.kind = TokenKind::StartTag;
            p.attrCount = 0;
            insertElement(p);
        }
        generateImpliedEndTags(P);
        setPieceElement(t, popUntil(P));
        return false;
    case Li:
        if (!inScope(Li, Scope::ListItem))
            return false;
        generateImpliedEndTags(Li);
        setPieceElement(t, popUntil(Li));
        return false;
    case Dd:
    case Dt:
        if (!inScope(t.name))
            return false;
        generateImpliedEndTags(t.name);
        setPieceElement(t, popUntil(t.name));
        return false;
    case H1:
    case H2:
    case H3:
    case H4:
    case H5:
    case H6: {
        if (!inScope(H1) && !inScope(H2) && !inScope(H3) && !inScope(H4) && !inScope(H5) &&
            !inScope(H6))
            return false;
        generateImpliedEndTags();
        while (!m_stack.empty()) {
            const int node = m_stack.back();
            m_stack.pop_back();
            if (m_nodes[size_t(node)].ns == HtmlNs && isHeading(m_nodes[size_t(node)].name)) {
                setPieceElement(t, node);
                break;
            }
        }
        return false;
    }
    case A:
    case B:
    case Big:
    case Code:
    case Em:
    case Font:
    case I:
    case Nobr:
    case S:
    case Small:
    case Strike:
    case Strong:
    case Tt:
    case U:
        return adoptionAgency(t);
    case Applet:
    case Marquee:
    case Object:
        if (!inScope(t.name))
            return false;
        generateImpliedEndTags();
        setPieceElement(t, popUntil(t.name));
        clearFormattingToMarker();
        return false;
    case Br: {
        // Read as <br>, without attributes.
        Tok br = t;
        br.kind = TokenKind::StartTag;
        br.attrCount = 0;
        reconstructFormatting();
        insertElement(br);
        pop();
        m_framesetOk = false;
        return false;
    }
    default:
        inBodyOtherEndTag(t);
        return false;
    }
}

void TreeBuilder::inBodyOtherEndTag(const Tok& t) {
    for (int i = int(m_stack.size()) - 1; i >= 0; --i) {
        const int node = m_stack[size_t(i)];
        if (is(node, t.name)) {
            generateImpliedEndTags(t.name);
            setPieceElement(t, node);
            popUntilNode(node);
            return;
        }
        if (isSpecial(node))
            return;
    }
}

bool TreeBuilder::adoptionAgency(const Tok& t) {
    const uint32_t subject = t.name;
    if (is(current(), subject) && formattingIndex(current()) < 0) {
        setPieceElement(t, current());
        pop();
        return false;
    }
    for (int outer = 0; outer < 8; ++outer) {
        int formattingAt = -1;
        for (int i = int(m_formatting.size()) - 1; i >= 0 && m_formatting[size_t(i)] >= 0; --i)
            if (is(m_formatting[size_t(i)], subject)) {
                formattingAt = i;
                break;
            }
        if (formattingAt < 0) {
            inBodyOtherEndTag(t);
            return false;
        }
        const int formatting = m_formatting[size_t(formattingAt)];
        setPieceElement(t, formatting);
        const int formattingOnStack = stackIndex(formatting);
        if (formattingOnStack < 0) {
            m_formatting.erase(m_formatting.begin() + formattingAt);
            return false;
        }
        if (!nodeInScope(formatting))
            return false;
        int furthestAt = -1;
        for (size_t i = size_t(formattingOnStack) + 1; i < m_stack.size(); ++i)
            if (isSpecial(m_stack[i])) {
                furthestAt = int(i);
                break;
            }
        if (furthestAt < 0) {
            m_stack.resize(size_t(formattingOnStack));
            m_formatting.erase(m_formatting.begin() + formattingAt);
            return false;
        }
        const int furthest = m_stack[size_t(furthestAt)];
        const int common = m_stack[size_t(formattingOnStack) - 1];
        int bookmark = formattingAt;
        int lastNode = furthest;
        int nodeAt = furthestAt;
        // The preview's engine walks up at most three elements here, leaving any beyond them
        // in place (the older form of this step).
        for (int inner = 0; inner < 3; ++inner) {
            --nodeAt;
            int node = m_stack[size_t(nodeAt)];
            const int nodeInList = formattingIndex(node);
            if (nodeInList < 0) {
                m_stack.erase(m_stack.begin() + nodeAt);
                continue;
            }
            if (node == formatting)
                break;
            const int clone = cloneNode(node);
            m_formatting[size_t(nodeInList)] = clone;
            m_stack[size_t(nodeAt)] = clone;
            node = clone;
            if (lastNode == furthest)
                bookmark = nodeInList + 1;
            appendChild(node, lastNode);
            lastNode = node;
        }
        // The preview's engine fosters here whenever the common ancestor is a table part.
        if (causesFostering(common))
            insertNode(fosterPlace(), lastNode);
        else
            appendChild(common, lastNode);
        const int clone = cloneNode(formatting);
        while (m_nodes[size_t(furthest)].first >= 0)
            appendChild(clone, m_nodes[size_t(furthest)].first);
        appendChild(furthest, clone);
        const int formattingNow = formattingIndex(formatting);
        m_formatting.erase(m_formatting.begin() + formattingNow);
        if (formattingNow < bookmark)
            --bookmark;
        m_formatting.insert(m_formatting.begin() + bookmark, clone);
        removeFromStack(formatting);
        m_stack.insert(m_stack.begin() + stackIndex(furthest) + 1, clone);
    }
    return false;
}

uint32_t TreeBuilder::svgSpelling(uint32_t name) {
    if (m_svgSpelling.size() <= name)
        m_svgSpelling.resize(name + 1, ~0u);
    uint32_t& spelt = m_svgSpelling[name];
    if (spelt == ~0u) {
        const QString camel = svgLocalName(m_names.name(name));
        spelt = m_names.intern(std::u16string_view(reinterpret_cast<const char16_t*>(camel.utf16()),
                                                   size_t(camel.size())));
    }
    return spelt;
}

void TreeBuilder::popToForeignBoundary() {
    while (!m_stack.empty()) {
        const Node& e = m_nodes[size_t(current())];
        const bool mathText = e.ns == MathNs && (e.name == Mi || e.name == Mo || e.name == Mn ||
                                                 e.name == Ms || e.name == Mtext);
        if (e.ns == HtmlNs || mathText || e.htmlIntegration)
            return;
        pop();
    }
}

bool TreeBuilder::foreignContent(Tok& t) {
    switch (t.kind) {
    case TokenKind::Characters:
        insertText(t);
        if (t.textual)
            m_framesetOk = false;
        return false;
    case TokenKind::Comment:
    case TokenKind::Doctype:
    case TokenKind::EndOfFile:
        return false;
    case TokenKind::StartTag: {
        bool breakout = false;
        switch (t.name) {
        case B:
        case Big:
        case Blockquote:
        case Body:
        case Br:
        case Center:
        case Code:
        case Dd:
        case Div:
        case Dl:
        case Dt:
        case Em:
        case Embed:
        case H1:
        case H2:
        case H3:
        case H4:
        case H5:
        case H6:
        case Head:
        case Hr:
        case I:
        case Img:
        case Li:
        case Listing:
        case Menu:
        case Meta:
        case Nobr:
        case Ol:
        case P:
        case Pre:
        case Ruby:
        case S:
        case Small:
        case Span:
        case Strong:
        case Strike:
        case Sub:
        case Sup:
        case Table:
        case Tt:
        case U:
        case Ul:
        case Var:
            breakout = true;
            break;
        case Font:
            breakout =
                hasAttribute(t, "color") || hasAttribute(t, "face") || hasAttribute(t, "size");
            break;
        default:
            break;
        }
        if (breakout) {
            popToForeignBoundary();
            return processIn(m_mode, t);
        }
        insertElement(t, m_nodes[size_t(current())].ns);
        if (t.selfClosing)
            pop();
        return false;
    }
    case TokenKind::EndTag:
        break;
    }
    if (t.name == Br || t.name == P) {
        popToForeignBoundary();
        return processIn(m_mode, t);
    }
    // Under an SVG element the end tag takes SVG's spelling ("foreignObject"), and keeps it
    // when the HTML rules get it, so it no longer closes an HTML element of that name.
    if (m_nodes[size_t(current())].ns == SvgNs)
        t.name = svgSpelling(t.name);
    for (int i = int(m_stack.size()) - 1; i > 0; --i) {
        const int node = m_stack[size_t(i)];
        const Node& e = m_nodes[size_t(node)];
        if ((e.ns == SvgNs ? svgSpelling(e.name) : e.name) == t.name) {
            setPieceElement(t, node);
            m_stack.resize(size_t(i));
            return false;
        }
        if (m_nodes[size_t(m_stack[size_t(i) - 1])].ns == HtmlNs)
            return processIn(m_mode, t);
    }
    return false;
}
