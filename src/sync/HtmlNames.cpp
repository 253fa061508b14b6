#include "HtmlNames.h"

#include <QHash>
#include <algorithm>

namespace HtmlNames {

namespace {

// In the order of the Tag enumeration.
const char* const kKnownNames[KnownCount] = {
    "",           "a",
    "address",    "annotation-xml",
    "applet",     "area",
    "article",    "aside",
    "b",          "base",
    "basefont",   "bgsound",
    "big",        "blockquote",
    "body",       "br",
    "button",     "caption",
    "center",     "code",
    "col",        "colgroup",
    "dd",         "desc",
    "details",    "dialog",
    "dir",        "div",
    "dl",         "dt",
    "em",         "embed",
    "fieldset",   "figcaption",
    "figure",     "font",
    "footer",     "foreignobject",
    "form",       "frame",
    "frameset",   "h1",
    "h2",         "h3",
    "h4",         "h5",
    "h6",         "head",
    "header",     "hgroup",
    "hr",         "html",
    "i",          "iframe",
    "image",      "img",
    "input",      "keygen",
    "li",         "link",
    "listing",    "main",
    "malignmark", "marquee",
    "math",       "menu",
    "meta",       "mglyph",
    "mi",         "mn",
    "mo",         "ms",
    "mtext",      "nav",
    "nobr",       "noembed",
    "noframes",   "noscript",
    "object",     "ol",
    "optgroup",   "option",
    "p",          "param",
    "plaintext",  "pre",
    "rb",         "rp",
    "rt",         "rtc",
    "ruby",       "s",
    "script",     "section",
    "select",     "small",
    "source",     "span",
    "strike",     "strong",
    "style",      "sub",
    "summary",    "sup",
    "svg",        "table",
    "tbody",      "td",
    "template",   "textarea",
    "tfoot",      "th",
    "thead",      "title",
    "tr",         "track",
    "tt",         "u",
    "ul",         "var",
    "wbr",        "xmp",
};

} // namespace

namespace {

uint32_t hashName(std::u16string_view name) {
    uint32_t h = 2166136261u;
    for (const char16_t c : name)
        h = (h ^ c) * 16777619u;
    return h;
}

} // namespace

NameTable::NameTable() {
    m_slots.assign(1024, 0);
    for (const char* name : kKnownNames) {
        std::u16string s;
        for (const char* p = name; *p; ++p)
            s.push_back(char16_t(*p));
        m_names.push_back(std::move(s));
        if (!m_names.back().empty())
            insert(uint32_t(m_names.size() - 1));
    }
}

void NameTable::insert(uint32_t id) {
    if ((m_names.size() + 1) * 2 > m_slots.size()) {
        // Keep the table at most half full.
        m_slots.assign(m_slots.size() * 2, 0);
        for (uint32_t k = 1; k < m_names.size(); ++k)
            if (k != id)
                insert(k);
    }
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hashName(m_names[id]) & mask;; i = (i + 1) & mask)
        if (m_slots[i] == 0) {
            m_slots[i] = id + 1;
            return;
        }
}

uint32_t NameTable::intern(std::u16string_view lower) {
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hashName(lower) & mask;; i = (i + 1) & mask) {
        const uint32_t slot = m_slots[i];
        if (slot == 0)
            break;
        if (m_names[slot - 1] == lower)
            return slot - 1;
    }
    m_names.emplace_back(lower);
    const auto id = uint32_t(m_names.size() - 1);
    insert(id);
    return id;
}

void NameTable::reset() {
    if (m_names.size() == KnownCount)
        return;
    m_names.resize(KnownCount);
    std::fill(m_slots.begin(), m_slots.end(), 0);
    for (uint32_t k = 1; k < KnownCount; ++k)
        insert(k);
}

QString NameTable::name(uint32_t id) const {
    const std::u16string& s = m_names[id];
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}

bool inCategory(uint32_t name, Category category) {
    static const std::vector<uint16_t> kCategories = [] {
        std::vector<uint16_t> table(KnownCount, 0);
        const auto add = [&table](Category c, std::initializer_list<Tag> tags) {
            for (const Tag tag : tags)
                table[tag] |= c;
        };
        add(Special, {Address,    Applet,  Area,   Article, Aside,     Base,     Basefont, Bgsound,
                      Blockquote, Body,    Br,     Button,  Caption,   Center,   Col,      Colgroup,
                      Dd,         Details, Dir,    Div,     Dl,        Dt,       Embed,    Fieldset,
                      Figcaption, Figure,  Footer, Form,    Frame,     Frameset, H1,       H2,
                      H3,         H4,      H5,     H6,      Head,      Header,   Hgroup,   Hr,
                      Html,       Iframe,  Img,    Input,   Keygen,    Li,       Link,     Listing,
                      Main,       Marquee, Menu,   Meta,    Nav,       Noembed,  Noframes, Noscript,
                      Object,     Ol,      P,      Param,   Plaintext, Pre,      Script,   Section,
                      Select,     Source,  Style,  Summary, Table,     Tbody,    Td,       Template,
                      Textarea,   Tfoot,   Th,     Thead,   Title,     Tr,       Track,    Ul,
                      Wbr,        Xmp});
        add(ClosesParagraph,
            {Address, Article, Aside,    Blockquote, Center, Details, Dialog,  Dir,
             Div,     Dl,      Fieldset, Figcaption, Figure, Footer,  Header,  Hgroup,
             Main,    Menu,    Nav,      Ol,         P,      Section, Summary, Ul});
        add(ClosesBlock,
            {Address, Article, Aside,    Blockquote, Button, Center,  Details, Dialog, Dir,
             Div,     Dl,      Fieldset, Figcaption, Figure, Footer,  Header,  Hgroup, Listing,
             Main,    Menu,    Nav,      Ol,         Pre,    Section, Summary, Ul});
        add(Formatting, {A, B, Big, Code, Em, Font, I, Nobr, S, Small, Strike, Strong, Tt, U});
        add(ImpliedEnd, {Dd, Dt, Li, Optgroup, Option, P, Rb, Rp, Rt, Rtc});
        add(ImpliedEndThorough, {Caption, Colgroup, Dd, Dt, Li, Optgroup, Option, P, Rb, Rp, Rt,
                                 Rtc, Tbody, Td, Tfoot, Th, Thead, Tr});
        add(LeavesForeign,
            {B,     Big,   Blockquote, Body,   Br,   Center, Code,  Dd, Div,  Dl,   Dt,
             Em,    Embed, H1,         H2,     H3,   H4,     H5,    H6, Head, Hr,   I,
             Img,   Li,    Listing,    Menu,   Meta, Nobr,   Ol,    P,  Pre,  Ruby, S,
             Small, Span,  Strong,     Strike, Sub,  Sup,    Table, Tt, U,    Ul,   Var});
        add(Heading, {H1, H2, H3, H4, H5, H6});
        add(HeadContent,
            {Base, Basefont, Bgsound, Link, Meta, Noframes, Script, Style, Template, Title});
        add(TablePart, {Caption, Table, Tbody, Td, Tfoot, Th, Thead, Tr});
        return table;
    }();
    return name < KnownCount && (kCategories[name] & category);
}

QString svgLocalName(const QString& lower) {
    static const QHash<QString, QString> kCamel = [] {
        QHash<QString, QString> map;
        for (const char* name : {"altGlyph",
                                 "altGlyphDef",
                                 "altGlyphItem",
                                 "animateColor",
                                 "animateMotion",
                                 "animateTransform",
                                 "clipPath",
                                 "feBlend",
                                 "feColorMatrix",
                                 "feComponentTransfer",
                                 "feComposite",
                                 "feConvolveMatrix",
                                 "feDiffuseLighting",
                                 "feDisplacementMap",
                                 "feDistantLight",
                                 "feDropShadow",
                                 "feFlood",
                                 "feFuncA",
                                 "feFuncB",
                                 "feFuncG",
                                 "feFuncR",
                                 "feGaussianBlur",
                                 "feImage",
                                 "feMerge",
                                 "feMergeNode",
                                 "feMorphology",
                                 "feOffset",
                                 "fePointLight",
                                 "feSpecularLighting",
                                 "feSpotLight",
                                 "feTile",
                                 "feTurbulence",
                                 "foreignObject",
                                 "glyphRef",
                                 "linearGradient",
                                 "radialGradient",
                                 "textPath"}) {
            const QString camel = QString::fromLatin1(name);
            map.insert(camel.toLower(), camel);
        }
        return map;
    }();
    return kCamel.value(lower, lower);
}

} // namespace HtmlNames
