#include "SimpleTags.h"

#include "InsertTag.h"

namespace {

// Captions keep their full-width spaces; "スタールシート" is the item's established caption.
const SimpleTag kSimpleTags[] = {
    {"mnuHTMLhtml", "HTMLタグ　　<HTML></HTML>", "<HTML>\r\n", "\r\n</HTML>", true, 0},
    {"mnuHTMLhead", "ヘッダータグ　　<HEAD></HEAD>", "<HEAD>\r\n", "\r\n</HEAD>", true, 0},
    {"mnuHTMLcss", "スタールシート雛型　　<STYLE><!----></STYLE>", "<STYLE><!--\r\n",
     "\r\n--></STYLE>", true, 13},
    {"mnuHTMLb", "太字　<B></B>", "<B>", "</B>", true, 0},
    {"mnuHTMLi", "斜体　<I></I>", "<I>", "</I>", true, 0},
    {"mnuHTMLu", "下線　<U></U>", "<U>", "</U>", true, 0},
    {"mnuHTMLs", "取り消し線　<S></S>", "<S>", "</S>", true, 0},
    {"mnuHTMLbr", "改行(&R)　<BR>", "", "<BR>\r\n", false, 0},
    {"mnuHTMLp", "段落(&P)　<P>", "", "<P>\r\n\r\n", false, 0},
    {"mnuHTMLcopy", "コピー(&C)　＆COPY", "", "&COPY", false, 0},
    {"mnuHTMLcoment", "コメント　<!--　-->", "<!--", "-->", true, 0},
    {"mnuHTMLcenter", "センター　　<CENTER></CENTER>", "<CENTER>", "</CENTER>", true, 0},
    {"mnuHTMLpre", "PRE（改行がそのまま反映される）　　<PRE></PRE>", "<PRE>\r\n", "\r\n</PRE>",
     true, 0},
    {"mnuHTMLxmp", "XMP（ソースがそのまま反映される）　<XMP></XMP>", "<XMP>", "</XMP>", true, 0},
    {"mnuHTMLspan", "SPAN", "<SPAN>", "</SPAN>", true, 0},
    {"mnuHTMLdiv", "DIV", "<DIV>", "</DIV>", true, 0},
    {"mnuHTMLcaption", "キャプション（表題）　<CAPTION></CAPTION>", "<CAPTION>", "</CAPTION>", true,
     0},
    {"mnuHTMLtr", "列　<TR></TR>", "<TR>", "</TR>", true, 0},
    {"mnuHTMLtd", "通常セル　<TD></TD>", "<TD>", "</TD>", true, 0},
    {"mnuHTMLth", "強調セル　<TH></TH>", "<TH>", "</TH>", true, 0},
};

} // namespace

std::span<const SimpleTag> simpleTags() {
    return kSimpleTags;
}

const SimpleTag* findSimpleTag(const QString& item) {
    for (const SimpleTag& tag : kSimpleTags)
        if (item == QLatin1String(tag.item))
            return &tag;
    return nullptr;
}

void runSimpleTag(EditBuffer& buffer, const SimpleTag& tag) {
    InsertTag(buffer, QString::fromUtf8(tag.open), QString::fromUtf8(tag.close), tag.placeCaret,
              tag.back);
}
