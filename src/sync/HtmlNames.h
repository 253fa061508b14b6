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

enum Tag : uint32_t {
    Unknown = 0,
    A,
    Address,
    AnnotationXml,
    Applet,
    Area,
    Article,
    Aside,
    B,
    Base,
    Basefont,
    Bgsound,
    Big,
    Blockquote,
    Body,
    Br,
    Button,
    Caption,
    Center,
    Code,
    Col,
    Colgroup,
    Dd,
    Desc,
    Details,
    Dialog,
    Dir,
    Div,
    Dl,
    Dt,
    Em,
    Embed,
    Fieldset,
    Figcaption,
    Figure,
    Font,
    Footer,
    ForeignObject,
    Form,
    Frame,
    Frameset,
    H1,
    H2,
    H3,
    H4,
    H5,
    H6,
    Head,
    Header,
    Hgroup,
    Hr,
    Html,
    I,
    Iframe,
    Image,
    Img,
    Input,
    Keygen,
    Li,
    Link,
    Listing,
    Main,
    Malignmark,
    Marquee,
    Math,
    Menu,
    Meta,
    Mglyph,
    Mi,
    Mn,
    Mo,
    Ms,
    Mtext,
    Nav,
    Nobr,
    Noembed,
    Noframes,
    Noscript,
    Object,
    Ol,
    Optgroup,
    Option,
    P,
    Param,
    Plaintext,
    Pre,
    Rb,
    Rp,
    Rt,
    Rtc,
    Ruby,
    S,
    Script,
    Section,
    Select,
    Small,
    Source,
    Span,
    Strike,
    Strong,
    Style,
    Sub,
    Summary,
    Sup,
    Svg,
    Table,
    Tbody,
    Td,
    Template,
    Textarea,
    Tfoot,
    Th,
    Thead,
    Title,
    Tr,
    Track,
    Tt,
    U,
    Ul,
    Var,
    Wbr,
    Xmp,
    KnownCount
};

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
