#include "TagBench.h"
#include "TagTests.h"
#include "support/TestApp.h"

namespace {

// The boxes as the user sees them: "kind|title|prompt|default or icon/buttons".
const QString kLinkUrl = "input|アンカータグ|リンク先のアドレスを入力してください|";
const QString kLinkText = "input|アンカータグ|実際に表示する文字|";
const QString kBase = "input|<BASE>タグ|基点となるURLを入力してください|";
const QString kLink = "input|スタイルシートへのリンク|スタイルシートのURLを入力して下さい。|";
const QString kTitle = "input|<TITLE></TITLE>タグ|このページのタイトルを指定してください"
                       "（ブラウザのタイトルバーに表示されます）|PAGE TITLE";
const QString kFontSize = "input|フォントタグ|サイズを指定してください（半角：1～7）|3";
const QString kFontColor = "msgbox|色指定確認|色を指定しますか？|Information/YesNo";
const QString kLevel = "input|Hタグ|サイズを1～6で指定してください（半角）\r\n"
                       "（数値が小さくなるほど文字は大きくなります）|1";
const QString kRuleSize = "input|水平線|太さを指定してください（半角数値）|2";
const QString kRuleColor = "msgbox|水平線|色を指定しますか？|Information/YesNo";
const QString kImgWidth = "input|画像の横幅指定|画像の横幅を指定してください。|320";
const QString kImgHeight = "input|画像の縦幅指定|画像の縦幅を指定してください。\r\n"
                           "最初に入力されている値は、入力された横幅の値から4：3になるように"
                           "算出した数値です。|";
const QString kImgSrc = "input|イメージタグ|画像のURLを入力してください|";
const QString kImgAlt = "input|イメージタグ|画像の説明を入力してください（ポップアップされます）|";
const QString kBorder =
    "input|TABLE - BORDER|枠の太さを指定してください（半角数値。「なし」は0と入力）|";
const QString kTableColor =
    "msgbox|カラーツール呼び出し|表の背景色を指定しますか？|Information/YesNo";
const QString kBodyColor =
    "msgbox|カラーコードツールを呼び出します|背景色を指定しますか|Information/YesNo";
const QString kBgmSrc = "input|BGM - URL|BGMファイルのアドレスを入力してください|";
const QString kBgmLoop = "msgbox|LOOPプロパティの選定|連続再生にしますか？|Information/YesNo";
const QString kSeconds =
    "input|自動移動|ページが表示されてから、何秒後に移動しますか？（半角：1以上）|5";
const QString kAutoUrl = "input|自動移動,|移動先のURLを入力してください|";
const QString kBeep = "beep";
const QString kF2 = "inject||{F2}|";

} // namespace

void TstTags::promptedCommands_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QString>("answers");
    QTest::addColumn<QString>("selected"); // "abc" selected in "[abc]", or nothing in "[]"
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QStringList>("calls");
    const QStringList cancelled{"<cancel>", "<cancel>", "<cancel>", "<cancel>"};

    QTest::newRow("a") << "mnuHTMLa" << QStringList{"http://x/", "go"} << ""
                       << ""
                       << "[<A HREF=\"http://x/\">go</A>]" << 27
                       << QStringList{kLinkUrl, kLinkText};
    QTest::newRow("a, selection, cancelled")
        << "mnuHTMLa" << cancelled.mid(0, 2) << ""
        << "abc"
        << "[<A HREF=\"\">abc</A>]" << 19 << QStringList{kLinkUrl, kLinkText};
    QTest::newRow("base, selection") << "mnuHTMLbase" << QStringList{" b/ "} << ""
                                     << "abc"
                                     << "[<BASE HREF=\" b/ \">abc]" << 22 << QStringList{kBase};
    QTest::newRow("link") << "mnuHTMLlink" << QStringList{"s.css"} << ""
                          << ""
                          << "[<LINK REL=STYLESHEET HREF=\"s.css\">]" << 35 << QStringList{kLink};
    QTest::newRow("title, default, selection")
        << "mnuHTMLtitle" << QStringList{"PAGE TITLE"} << ""
        << "abc"
        << "[<TITLE>PAGE TITLEabc</TITLE>]" << 29 << QStringList{kTitle};
    QTest::newRow("title, cancelled") << "mnuHTMLtitle" << cancelled.mid(0, 1) << ""
                                      << ""
                                      << "[<TITLE></TITLE>]" << 16 << QStringList{kTitle};
    QTest::newRow("font, default, No") << "mnuHTMLfont" << QStringList{"3"} << "N"
                                       << ""
                                       << "[<FONT SIZE=\"3\" COLOR=\"\"></FONT>]" << 23
                                       << QStringList{kFontSize, kBeep, kFontColor};
    // A pasted answer may end in a bare LF: it is a line break of two characters, and the
    // caret still lands between the quotes of COLOR.
    QTest::newRow("font, answer with a bare LF, Yes")
        << "mnuHTMLfont" << QStringList{"3\n"} << "Y"
        << ""
        << "[<FONT SIZE=\"3\r\n\" COLOR=\"\"></FONT>]" << 25
        << QStringList{kFontSize, kBeep, kFontColor, kF2};
    QTest::newRow("a, answers with a bare CR and LF")
        << "mnuHTMLa" << QStringList{"u\r", "t\nx"} << ""
        << ""
        << "[<A HREF=\"u\r\n\">t\r\nx</A>]" << 23 << QStringList{kLinkUrl, kLinkText};
    QTest::newRow("font, selection, Yes") << "mnuHTMLfont" << QStringList{"9x"} << "Y"
                                          << "abc"
                                          << "[<FONT SIZE=\"9x\" COLOR=\"\">abc</FONT>]" << 24
                                          << QStringList{kFontSize, kBeep, kFontColor, kF2};
    QTest::newRow("h1, default, selection") << "mnuHTMLh1" << QStringList{"1"} << ""
                                            << "abc"
                                            << "[<H1>abc</H1>]" << 8 << QStringList{kLevel};
    QTest::newRow("h1, empty") << "mnuHTMLh1" << QStringList{""} << ""
                               << ""
                               << "[<H></H>]" << 4 << QStringList{kLevel};
    QTest::newRow("hr, default, selection, No")
        << "mnuHTMLhr" << QStringList{"2"} << "N"
        << "abc"
        << "[<HR SIZE=\"2\" COLOR=\"\">abc]" << 21 << QStringList{kRuleSize, kRuleColor};
    QTest::newRow("hr, Yes") << "mnuHTMLhr" << QStringList{"10"} << "Y"
                             << ""
                             << "[<HR SIZE=\"10\" COLOR=\"\">]" << 22
                             << QStringList{kRuleSize, kRuleColor, kF2};
    QTest::newRow("img, defaults")
        << "mnuHTMLimg" << QStringList{"320", "240", "a.gif", "pic"} << ""
        << ""
        << "[<IMG SRC=\"a.gif\" ALT=\"pic\" WIDTH=\"320\" HEIGHT=\"240\">]" << 53
        << QStringList{kImgWidth, kBeep, kImgHeight + "240", kBeep, kImgSrc, kImgAlt};
    QTest::newRow("img, blank kept, selection")
        << "mnuHTMLimg" << QStringList{" 320", "", "", ""} << ""
        << "abc"
        << "[<IMG SRC=\"\" ALT=\"\" WIDTH=\" 320\" HEIGHT=\"\">abc]" << 46
        << QStringList{kImgWidth, kBeep, kImgHeight + "240", kBeep, kImgSrc, kImgAlt};
    QTest::newRow("img, cancelled")
        << "mnuHTMLimg" << cancelled << ""
        << ""
        << "[<IMG SRC=\"\" ALT=\"\" WIDTH=\"\" HEIGHT=\"\">]" << 39
        << QStringList{kImgWidth, kBeep, kImgHeight + "0", kBeep, kImgSrc, kImgAlt};
    QTest::newRow("t, No") << "mnuHTMLt" << QStringList{"1"} << "N"
                           << ""
                           << "[<TABLE BORDER=\"1\" BGCOLOR=\"\">\r\n\r\n</TABLE>]" << 28
                           << QStringList{kBorder, kTableColor};
    QTest::newRow("t, selection, Yes") << "mnuHTMLt" << QStringList{""} << "Y"
                                       << "abc"
                                       << "[<TABLE BORDER=\"\" BGCOLOR=\"\">\r\nabc\r\n</TABLE>]"
                                       << 27 << QStringList{kBorder, kTableColor, kF2};
    QTest::newRow("body, No") << "mnuHTMLbody" << QStringList{} << "N"
                              << ""
                              << "[<BODY BGCOLOR=\"\">\r\n\r\n</BODY>]" << 16
                              << QStringList{kBodyColor};
    QTest::newRow("body, selection, Yes")
        << "mnuHTMLbody" << QStringList{} << "Y"
        << "abc"
        << "[<BODY BGCOLOR=\"\">\r\n\r\nabc</BODY>]" << 16 << QStringList{kBodyColor, kF2};
    QTest::newRow("bgm, No")
        << "mnuHTMLbgm" << QStringList{"m.mid"} << "N"
        << ""
        << "[<EMBED SRC=\"m.mid\" AUTOSTART=\"TRUE\" LOOP=\"1\" style=\"DISPLAY:NONE;\">]" << 68
        << QStringList{kBgmSrc, kBgmLoop};
    QTest::newRow("bgm, Yes, selection")
        << "mnuHTMLbgm" << QStringList{""} << "Y"
        << "abc"
        << "[<EMBED SRC=\"\" AUTOSTART=\"TRUE\" LOOP=\"TRUE\" style=\"DISPLAY:NONE;\">abc]" << 69
        << QStringList{kBgmSrc, kBgmLoop};
    QTest::newRow("autolink, defaults, no address")
        << "mnuHTMLautolink" << QStringList{"5", ""} << ""
        << ""
        << "[<META HTTP-EQUIV=\"REFRESH\" CONTENT=\"5;URL=\">]" << 45
        << QStringList{kSeconds, kAutoUrl};
}

void TstTags::promptedCommands() {
    QFETCH(QString, item);
    QFETCH(QStringList, inputs);
    QFETCH(QString, answers);
    QFETCH(QString, selected);
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QStringList, calls);
    TagBench b;
    // The brackets sit on a second line, so every position counts one CR LF as two.
    const QString head = QStringLiteral("top\r\n");
    b.set(head + "[" + selected + "]", int(head.size()) + 1, int(selected.size()));
    b.script(inputs, answers);
    b.choose(item);
    QCOMPARE(b.text(), head + text);
    QCOMPARE(b.caret(), int(head.size()) + caret);
    QCOMPARE(b.buffer.selectionLength(), 0);
    QCOMPARE(b.calls(), calls);
    QCOMPARE(b.host.unscripted, QStringList());
    QVERIFY(b.host.inputs.empty());
    QVERIFY(b.host.answers.empty());
}

void TstTags::imageHeightSuggestion_data() {
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::newRow("320") << "320"
                         << "240";
    QTest::newRow("1000") << "1000"
                          << "750";
    QTest::newRow("101") << "101"
                         << "75";
    QTest::newRow("100") << "100"
                         << "75";
    QTest::newRow("1") << "1"
                       << "0";
    QTest::newRow("0") << "0"
                       << "240";
    QTest::newRow("-5") << "-5"
                        << "240";
    QTest::newRow("abc") << "abc"
                         << "0";
    QTest::newRow("12px") << "12px"
                          << "0";
    QTest::newRow("cancelled") << "<cancel>"
                               << "0";
    QTest::newRow("blanks around") << " 320 "
                                   << "240";
    QTest::newRow("sign, fraction") << "+81.9"
                                    << "61";
    QTest::newRow("exponent") << "1e3"
                              << "750";
    QTest::newRow("largest that fits") << "2863311530"
                                       << "2147483647";
    QTest::newRow("too large") << "2863311532"
                               << "0";
}

void TstTags::imageHeightSuggestion() {
    QFETCH(QString, width);
    QFETCH(QString, height);
    TagBench b;
    b.set(QString(), 0);
    b.script({width, "h", "s", "a"}, QString());
    b.choose(QStringLiteral("mnuHTMLimg"));
    const QList<HostCall> boxes = b.host.callsOf(QStringLiteral("input"));
    QCOMPARE(boxes.size(), 4);
    QCOMPARE(boxes[1].title, QStringLiteral("画像の縦幅指定"));
    QCOMPARE(boxes[1].detail, height);
    // The tag carries the answers themselves, never the computed height.
    const QString typed = width == u"<cancel>" ? QString() : width;
    QVERIFY2(b.text().contains("WIDTH=\"" + typed + "\" HEIGHT=\"h\">"), qPrintable(b.text()));
}
