#pragma once

#include <QString>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

// Element names as the tree builder compares them: one small number per lower-case name. The
// names the parsing rules speak of have fixed numbers; any other name gets the next free number
// in the table of one parse.
namespace HtmlNames {

// clang-format off
enum Tag : uint32_t {
    Unknown = 0,
    A, Address, AnnotationXml, Applet, Area, Article, Aside, B, Base, Basefont, Bgsound, Big,
    Blockquote, Body, Br, Button, Caption, Center, Code, Col, Colgroup, Dd, Desc, Details, Dialog,
    Dir, Div, Dl, Dt, Em, Embed, Fieldset, Figcaption, Figure, Font, Footer, ForeignObject, Form,
    Frame, Frameset, H1, H2, H3, H4, H5, H6, Head, Header, Hgroup, Hr, Html, I, Iframe, Image, Img,
    Input, Keygen, Li, Link, Listing, Main, Malignmark, Marquee, Math, Menu, Meta, Mglyph, Mi, Mn,
    Mo, Ms, Mtext, Nav, Nobr, Noembed, Noframes, Noscript, Object, Ol, Optgroup, Option, P, Param,
    Plaintext, Pre, Rb, Rp, Rt, Rtc, Ruby, S, Script, Section, Select, Small, Source, Span, Strike,
    Strong, Style, Sub, Summary, Sup, Svg, Table, Tbody, Td, Template, Textarea, Tfoot, Th, Thead,
    Title, Tr, Track, Tt, U, Ul, Var, Wbr, Xmp,
    KnownCount
};
// clang-format on

// The groups of names the parsing rules speak of (for HTML elements).
enum Category : uint16_t {
    Special = 1 << 0,            // the "special" elements
    ClosesParagraph = 1 << 1,    // start tags that close an open <p>: address, div, ul, ...
    ClosesBlock = 1 << 2,        // end tags that close their element when it is in scope
    Formatting = 1 << 3,         // a, b, font, nobr, ...
    ImpliedEnd = 1 << 4,         // closed by what follows: dd, li, option, p, ...
    ImpliedEndThorough = 1 << 5, // those and the table parts
    LeavesForeign = 1 << 6,      // start tags that end SVG and MathML content
    Heading = 1 << 7,            // h1 to h6
    HeadContent = 1 << 8,        // what the "in head" rules take: base, link, script, title, ...
    TablePart = 1 << 9,          // caption, table, tbody, td, tfoot, th, thead, tr
};

bool inCategory(uint32_t name, Category category);

enum Namespace : uint8_t { HtmlNs = 0, SvgNs = 1, MathNs = 2 };

// The names of one parse: the fixed ones first, then every other name met, in order.
class NameTable {
public:
    NameTable();
    // `lower` is already in small letters.
    uint32_t intern(std::u16string_view lower);
    QString name(uint32_t id) const;
    std::u16string_view view(uint32_t id) const { return m_names[id]; }
    // Forgets every name but the fixed ones.
    void reset();

private:
    void insert(uint32_t id);

    std::deque<std::u16string> m_names; // stable, so the views into it stay valid
    std::vector<uint32_t> m_slots;      // open addressing: id + 1, 0 when free
};

// The local name a browser gives an SVG element for a lower-case tag name ("foreignObject").
QString svgLocalName(const QString& lower);

} // namespace HtmlNames
