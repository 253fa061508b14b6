// "In body", the adoption agency for misnested formatting elements, and foreign content
// (SVG and MathML), as the parsing algorithm states them.
#include "TreeBuilder.h"

using namespace HtmlNames;

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
    if (inCategory(t.name, HeadContent))
        return inHead(t);
    if (inCategory(t.name, ClosesParagraph) || inCategory(t.name, Heading)) {
        closePInButtonScope();
        const Node& top = m_nodes[size_t(current())];
        if (inCategory(t.name, Heading) && top.ns == HtmlNs && inCategory(top.name, Heading))
            pop();
        insertElement(t);
        return false;
    }
    if (inCategory(t.name, Formatting) && t.name != A && t.name != Nobr) {
        reconstructFormatting();
        pushFormatting(insertElement(t));
        return false;
    }
    switch (t.name) {
    case Html:
        // Its attributes go to the root element.
        if (!onStack(Template))
            setPieceElement(t, m_stack.front());
        return false;
    case Body:
        if (m_stack.size() >= 2 && isHtml(m_stack[1], Body) && !onStack(Template)) {
            m_framesetOk = false;
            setPieceElement(t, m_stack[1]);
        }
        return false;
    case Frameset:
        if (m_stack.size() < 2 || !isHtml(m_stack[1], Body) || !m_framesetOk)
            return false;
        detach(m_stack[1]);
        m_stack.resize(1);
        insertElement(t);
        m_mode = Mode::InFrameset;
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
            const uint32_t closes = t.name == Li ? (isHtml(node, Li) ? Li : Unknown)
                                                 : (isHtml(node, Dd)   ? Dd
                                                    : isHtml(node, Dt) ? Dt
                                                                       : Unknown);
            if (closes != Unknown) {
                generateImpliedEndTags(closes);
                popUntil(closes);
                break;
            }
            if (isSpecial(node) && !isHtml(node, Address) && !isHtml(node, Div) && !isHtml(node, P))
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
            if (isHtml(m_formatting[size_t(i)], A)) {
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
    case Input:
        reconstructFormatting();
        insertElement(t);
        pop();
        if (t.name != Input || !attributeIs(t, "type", "hidden"))
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
        if (isHtml(current(), Option))
            pop();
        reconstructFormatting();
        insertElement(t);
        return false;
    case Rb:
    case Rtc:
    case Rp:
    case Rt:
        if (inScope(Ruby))
            generateImpliedEndTags(t.name == Rp || t.name == Rt ? Rtc : Unknown);
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
    if (inCategory(t.name, ClosesBlock)) {
        if (!inScope(t.name))
            return false;
        generateImpliedEndTags();
        setPieceElement(t, popUntil(t.name));
        return false;
    }
    if (inCategory(t.name, Formatting))
        return adoptionAgency(t);
    if (inCategory(t.name, Heading)) {
        if (!inScope(H1) && !inScope(H2) && !inScope(H3) && !inScope(H4) && !inScope(H5) &&
            !inScope(H6))
            return false;
        generateImpliedEndTags();
        while (!m_stack.empty()) {
            const int node = m_stack.back();
            m_stack.pop_back();
            if (m_nodes[size_t(node)].ns == HtmlNs &&
                inCategory(m_nodes[size_t(node)].name, Heading)) {
                setPieceElement(t, node);
                break;
            }
        }
        return false;
    }
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
    case Dd:
    case Dt:
        if (!inScope(t.name, t.name == Li ? Scope::ListItem : Scope::Default))
            return false;
        generateImpliedEndTags(t.name);
        setPieceElement(t, popUntil(t.name));
        return false;
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
        if (isHtml(node, t.name)) {
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
    if (isHtml(current(), subject) && formattingIndex(current()) < 0) {
        setPieceElement(t, current());
        pop();
        return false;
    }
    for (int outer = 0; outer < 8; ++outer) {
        int formattingAt = -1;
        for (int i = int(m_formatting.size()) - 1; i >= 0 && m_formatting[size_t(i)] >= 0; --i)
            if (isHtml(m_formatting[size_t(i)], subject)) {
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
        const bool breakout =
            inCategory(t.name, LeavesForeign) ||
            (t.name == Font &&
             (hasAttribute(t, "color") || hasAttribute(t, "face") || hasAttribute(t, "size")));
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
