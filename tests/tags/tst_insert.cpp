#include "TagBench.h"
#include "TagTests.h"
#include "support/TestApp.h"
#include "tags/InsertTag.h"

#include <QAction>
#include <QSignalSpy>

void TstTags::insertTag_data() {
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("close");
    QTest::addColumn<bool>("placeCaret");
    QTest::addColumn<int>("back");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    // "0123456789wxyz" with the caret at 10, or "wx" selected there.
    QTest::newRow("back 2, nothing selected")
        << "<B>"
        << "</B>" << true << 2 << 0 << "0123456789<B></B>wxyz" << 15;
    QTest::newRow("back 2, two letters selected")
        << "<B>"
        << "</B>" << true << 2 << 2 << "0123456789<B>wx</B>yz" << 15;
    QTest::newRow("back 0 stops before the close")
        << "<B>"
        << "</B>" << true << 0 << 2 << "0123456789<B>wx</B>yz" << 15;
    QTest::newRow("no caret placing ends after all")
        << "<B>"
        << "</B>" << false << 2 << 2 << "0123456789<B>wx</B>yz" << 19;
    QTest::newRow("back equal to close")
        << "<S>\r\n"
        << "\r\n</S>" << true << 6 << 2 << "0123456789<S>\r\nwx\r\n</S>yz" << 15;
    QTest::newRow("empty texts") << ""
                                 << "" << true << 0 << 2 << "0123456789wxyz" << 12;
}

void TstTags::insertTag() {
    QFETCH(QString, open);
    QFETCH(QString, close);
    QFETCH(bool, placeCaret);
    QFETCH(int, back);
    QFETCH(int, selLength);
    QFETCH(QString, text);
    QFETCH(int, caret);
    TagBench b;
    b.set(QStringLiteral("0123456789wxyz"), 10, selLength);
    InsertTag(b.buffer, open, close, placeCaret, short(back));
    QCOMPARE(b.text(), text);
    QCOMPARE(b.caret(), caret);
    QCOMPARE(b.buffer.selectionLength(), 0);
}

void TstTags::insertTagMakesTwoEdits() {
    TagBench b;
    b.set(QStringLiteral("ab\r\ncdef"), 5, 2);
    QStringList seen;
    QObject::connect(&b.buffer, &EditBuffer::changed, [&] { seen << b.text(); });
    InsertTag(b.buffer, QStringLiteral("<I>"), QStringLiteral("</I>"), true, 0);
    // First the selection goes, then the whole insertion comes in one piece.
    QCOMPARE(seen, QStringList({"ab\r\ncf", "ab\r\nc<I>de</I>f"}));

    seen.clear();
    InsertTag(b.buffer, QStringLiteral("<I>"), QStringLiteral("</I>"), true, 0);
    QCOMPARE(seen, QStringList({"ab\r\nc<I>de<I></I></I>f"}));
}

void TstTags::insertTagFocusesTheTextBox() {
    TagBench b;
    b.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&b.window));
    b.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&b.window));
    b.other->setFocus();
    QTRY_VERIFY(b.other->hasFocus());
    b.set(QStringLiteral("abc"), 0, 3);
    b.choose(QStringLiteral("mnuHTMLb"));
    QTRY_VERIFY(b.edit->hasFocus());
}

void TstTags::simpleCommands_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("empty"); // inserted with nothing selected
    QTest::addColumn<int>("emptyCaret");
    QTest::addColumn<QString>("wrapped"); // what "abc" becomes when selected
    QTest::addColumn<int>("wrappedCaret");
    auto row = [](const char* item, const char* empty, int ec, const char* wrapped, int wc) {
        QTest::newRow(item) << QString::fromLatin1(item) << QString::fromLatin1(empty) << ec
                            << QString::fromLatin1(wrapped) << wc;
    };
    row("mnuHTMLhtml", "<HTML>\r\n\r\n</HTML>", 8, "<HTML>\r\nabc\r\n</HTML>", 11);
    row("mnuHTMLhead", "<HEAD>\r\n\r\n</HEAD>", 8, "<HEAD>\r\nabc\r\n</HEAD>", 11);
    row("mnuHTMLcss", "<STYLE><!--\r\n\r\n--></STYLE>", 13, "<STYLE><!--\r\nabc\r\n--></STYLE>",
        13);
    row("mnuHTMLb", "<B></B>", 3, "<B>abc</B>", 6);
    row("mnuHTMLi", "<I></I>", 3, "<I>abc</I>", 6);
    row("mnuHTMLu", "<U></U>", 3, "<U>abc</U>", 6);
    row("mnuHTMLs", "<S></S>", 3, "<S>abc</S>", 6);
    row("mnuHTMLbr", "<BR>\r\n", 6, "abc<BR>\r\n", 9);
    row("mnuHTMLp", "<P>\r\n\r\n", 7, "abc<P>\r\n\r\n", 10);
    row("mnuHTMLcopy", "&COPY", 5, "abc&COPY", 8);
    row("mnuHTMLcoment", "<!---->", 4, "<!--abc-->", 7);
    row("mnuHTMLcenter", "<CENTER></CENTER>", 8, "<CENTER>abc</CENTER>", 11);
    row("mnuHTMLpre", "<PRE>\r\n\r\n</PRE>", 7, "<PRE>\r\nabc\r\n</PRE>", 10);
    row("mnuHTMLxmp", "<XMP></XMP>", 5, "<XMP>abc</XMP>", 8);
    row("mnuHTMLspan", "<SPAN></SPAN>", 6, "<SPAN>abc</SPAN>", 9);
    row("mnuHTMLdiv", "<DIV></DIV>", 5, "<DIV>abc</DIV>", 8);
    row("mnuHTMLcaption", "<CAPTION></CAPTION>", 9, "<CAPTION>abc</CAPTION>", 12);
    row("mnuHTMLtr", "<TR></TR>", 4, "<TR>abc</TR>", 7);
    row("mnuHTMLtd", "<TD></TD>", 4, "<TD>abc</TD>", 7);
    row("mnuHTMLth", "<TH></TH>", 4, "<TH>abc</TH>", 7);
}

void TstTags::simpleCommands() {
    QFETCH(QString, item);
    QFETCH(QString, empty);
    QFETCH(int, emptyCaret);
    QFETCH(QString, wrapped);
    QFETCH(int, wrappedCaret);
    TagBench b;
    struct Case {
        const char* text;
        int start;
        int length;
        QString before;
        QString after;
        bool selected;
    };
    // "top" CR LF puts the second line at 5: positions there count the line break as two.
    const Case cases[] = {
        {"", 0, 0, "", "", false},
        {"abc", 0, 3, "", "", true},
        {"top\r\nXY", 6, 0, "top\r\nX", "Y", false},
        {"top\r\nXabcY", 6, 3, "top\r\nX", "Y", true},
    };
    for (const Case& c : cases) {
        b.set(QString::fromLatin1(c.text), c.start, c.length);
        b.choose(item);
        const QString inserted = c.selected ? wrapped : empty;
        QCOMPARE(b.text(), c.before + inserted + c.after);
        QCOMPARE(b.caret(), int(c.before.size()) + (c.selected ? wrappedCaret : emptyCaret));
        QCOMPARE(b.buffer.selectionLength(), 0);
        QVERIFY(b.host.calls.isEmpty());
    }
}

namespace {

void outline(const QMenu* menu, int depth, QStringList& out) {
    const QString indent(depth * 2, u' ');
    for (const QAction* a : menu->actions()) {
        if (a->isSeparator()) {
            out << indent + "- " + a->objectName();
            continue;
        }
        QString line = indent + a->objectName() + " \"" + a->text() + '"';
        if (a->property("index").isValid())
            line += " #" + QString::number(a->property("index").toInt());
        if (!a->isEnabled())
            line += " (off)";
        if (a->menu())
            line += " >";
        out << line;
        if (const QMenu* sub = a->menu()) {
            QCOMPARE(sub->objectName(), a->objectName());
            outline(sub, depth + 1, out);
        }
    }
}

const char* const kHtmlMenu = R"menu(mnuPageHTML "ページ基本タグ(&P)" >
  mnuHTMLhtml "HTMLタグ　　<HTML></HTML>"
  mnuHTMLhead "ヘッダータグ　　<HEAD></HEAD>"
  mnuHTMLtitle "タイトル　　<TITLE></TITLE>"
  mnuHTMLcss "スタールシート雛型　　<STYLE><!----></STYLE>"
  mnuHTMLlink "スタイルシートへのリンク　<LINK REL=...>"
  mnuHTMLbase "ベースタグ　　<BASE HREF="">"
  mnuHTMLbody "ボディータグ　　<BODY></BODY>"
mnuStringHTML "文字修飾タグ(&D)" >
  mnuHTMLh1 "H <H [1-6] ></H [1-6] >"
  mnuHTMLfont "フォント　<FONT></FONT>"
  mnuHTMLb "太字　<B></B>"
  mnuHTMLi "斜体　<I></I>"
  mnuHTMLu "下線　<U></U>"
  mnuHTMLs "取り消し線　<S></S>"
mnuSpecial "特殊文字（&D）" >
  mnuHTMLbr "改行(&R)　<BR>"
  mnuHTMLp "段落(&P)　<P>"
  mnuHTMLhr "水平線　<HR>"
  mnuHTMLcopy "コピー(&C)　＆COPY"
  mnuHTMLcoment "コメント　<!--　-->"
mnuLinkHTML "リンクタグ(&L)" >
  mnuHTMLa "リンク　　<A HREF=""></A>"
mnuImageHTML "画像タグ(&I)" >
  mnuHTMLimg "イメージ　<IMG SRC="">"
mnuPointHTML "書式指定タグ(&P)" >
  mnuHTMLcenter "センター　　<CENTER></CENTER>"
  mnuHTMLpre "PRE（改行がそのまま反映される）　　<PRE></PRE>"
  mnuHTMLxmp "XMP（ソースがそのまま反映される）　<XMP></XMP>"
mnuElementHTML "要素構成タグ(&E)" >
  mnuHTMLspan "SPAN"
  mnuHTMLdiv "DIV"
mnuTableHTML "表タグ(&T)" >
  mnuHTMLt "テーブル　<TABLE></TABLE>"
  mnuHTMLcaption "キャプション（表題）　<CAPTION></CAPTION>"
  mnuHTMLtr "列　<TR></TR>"
  mnuHTMLtd "通常セル　<TD></TD>"
  mnuHTMLth "強調セル　<TH></TH>"
mnuformHTML "フォーム(&F)" (off) >
  mnuHTMLform "フォーム　<FORM></FORM>" (off)
  mnuHTMLinputoneline "一行テキスト <INPUT>" (off)
  mnuHTMLinputpassword "パスワード　<INPUT>" (off)
  mnuHTMLtextarea "複数行テキスト　<TEXTAREA></TEXTAREA>" (off)
  mnuHTMLselectradio "選択（ボタン）　<INPUT>" >
    mnuHTMLselectradioradio "ラジオボタン　<INPUT>" (off)
    mnuHTMLselectradiocheckbox "チェックボックス（ボタン）　<INPUT>" (off)
  mnuHTMLselect "選択（メニュー）　<SELECT>" >
    mnuHTMLselectmenu "メニュー　<SELECT>" (off)
    mnuHTMLselectoption "項目の追加　<OPTION>" (off)
  mnuHTMLfield "選択（フィールド）　<SELECT>" >
    mnuHTMLfieldfield "フィールド　<SELECT>" (off)
    mnuHTMLfieldoption "項目の追加　<OPTION>" (off)
  mnuHTMLsubmit "送信ボタン　<INPUT>" (off)
  mnuHTMLreset "リセットボタン　<INPUT>" (off)
  mnuHTMLhidden "非表示データ　<INPUT>" (off)
mnuTemplate "特殊機能タグ(&S)" >
  mnuHTMLautolink "自動移動"
  mnuHTMLbgm "BGM"
- mnuSepHTMLtoCSS
mnuHTMLstyle "スタイルシート" >
  mnuHTMLstylefilter "特殊効果(&S)　（フィルタ）" >
    mnuHTMLstylealpha "ALPHA　（半透明化）"
    nnuHTMLstyleblur "BLUR　（にじませる）"
    mnuHTMLstyledropshadow "DROPSHADOW　（影をつける）"
    mnuHTMLstylefliph "FLIPH　（左右反転）"
    mnuHTMLstyleflipv "FLIPV　（上下反転）"
    mnuHTMLstylefilterglow "GLOW　（太陽の光のような）"
    mnuHTMLstylewave "WAVE　（波をかけます）"
    mnuHTMLstylexray "XRAY　（レントゲン写真のような）"
- sepofkitachu
mnuUserTAGS "登録したタグ(&T)" >
  mnuUserTAGmnu "" #0 (off)
  mnuUserTAGmnu "" #1 (off))menu";

} // namespace

void TstTags::menuTree() {
    TagBench b;
    QStringList lines;
    outline(&b.menu, 0, lines);
    const QStringList expected = QString::fromUtf8(kHtmlMenu).split(u'\n');
    for (int i = 0; i < std::min(lines.size(), expected.size()); ++i)
        QCOMPARE(lines[i], expected[i]);
    QCOMPARE(lines.size(), expected.size());
}

void TstTags::formBranchCannotBeChosen() {
    TagBench b;
    QMenu* forms = b.menu.findChild<QMenu*>(QStringLiteral("mnuformHTML"));
    QVERIFY(forms);
    QVERIFY(!forms->menuAction()->isEnabled());
    // No item below it does anything, even when triggered from code.
    b.set(QStringLiteral("abc"), 1, 1);
    for (QAction* a : forms->findChildren<QAction*>()) {
        if (a->menu() || a->isSeparator())
            continue;
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        a->trigger();
    }
    QCOMPARE(b.text(), QStringLiteral("abc"));
}

TAGLOOM_TEST_MAIN(TstTags)
