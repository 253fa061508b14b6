#include "PromptedTags.h"

#include "InsertTag.h"
#include "NumberText.h"
#include "host/EditBuffer.h"
#include "host/Host.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const PromptedTags::Item kItems[] = {
    {"mnuHTMLtitle", "タイトル　　<TITLE></TITLE>", &PromptedTags::mnuHTMLtitle_Click},
    {"mnuHTMLlink", "スタイルシートへのリンク　<LINK REL=...>", &PromptedTags::mnuHTMLlink_Click},
    {"mnuHTMLbase", "ベースタグ　　<BASE HREF=\"\">", &PromptedTags::mnuHTMLbase_Click},
    {"mnuHTMLbody", "ボディータグ　　<BODY></BODY>", &PromptedTags::mnuHTMLbody_Click},
    {"mnuHTMLh1", "H <H [1-6] ></H [1-6] >", &PromptedTags::mnuHTMLh1_Click},
    {"mnuHTMLfont", "フォント　<FONT></FONT>", &PromptedTags::mnuHTMLfont_Click},
    {"mnuHTMLhr", "水平線　<HR>", &PromptedTags::mnuHTMLhr_Click},
    {"mnuHTMLa", "リンク　　<A HREF=\"\"></A>", &PromptedTags::mnuHTMLa_Click},
    {"mnuHTMLimg", "イメージ　<IMG SRC=\"\">", &PromptedTags::mnuHTMLimg_Click},
    {"mnuHTMLt", "テーブル　<TABLE></TABLE>", &PromptedTags::mnuHTMLt_Click},
    {"mnuHTMLautolink", "自動移動", &PromptedTags::mnuHTMLautolink_Click},
    {"mnuHTMLbgm", "BGM", &PromptedTags::mnuHTMLbgm_Click},
};

const QString kF2 = QStringLiteral("{F2}");

} // namespace

std::span<const PromptedTags::Item> PromptedTags::items() {
    return kItems;
}

PromptedTags::PromptedTags(Host& host, EditBuffer& buffer, const QString& quote)
    : m_host(host), m_buffer(buffer), m_quote(quote) {}

bool PromptedTags::askYesNo(const QString& prompt, const QString& title) {
    return m_host.messageBox(prompt, Buttons::YesNo, Icon::Information, title) == Answer::Yes;
}

void PromptedTags::offerColor(const QString& prompt, const QString& title) {
    // The tool runs once this command has returned, through its own menu shortcut.
    if (askYesNo(prompt, title))
        m_host.injectKeys(kF2);
}

void PromptedTags::mnuHTMLa_Click() {
    const QString url =
        m_host.inputBox(QStringLiteral("リンク先のアドレスを入力してください"), u"アンカータグ"_s);
    const QString text = m_host.inputBox(QStringLiteral("実際に表示する文字"), u"アンカータグ"_s);
    InsertTag(m_buffer, "<A HREF=" + quoted(url) + ">", text + "</A>", false, 0);
}

void PromptedTags::mnuHTMLbase_Click() {
    const QString url =
        m_host.inputBox(QStringLiteral("基点となるURLを入力してください"), u"<BASE>タグ"_s);
    InsertTag(m_buffer, "<BASE HREF=" + quoted(url) + ">", QString(), false, 0);
}

void PromptedTags::mnuHTMLlink_Click() {
    const QString url = m_host.inputBox(QStringLiteral("スタイルシートのURLを入力して下さい。"),
                                        u"スタイルシートへのリンク"_s);
    InsertTag(m_buffer, "<LINK REL=STYLESHEET HREF=" + quoted(url) + ">", QString(), false, 0);
}

void PromptedTags::mnuHTMLtitle_Click() {
    const QString title = m_host.inputBox(
        QStringLiteral(
            "このページのタイトルを指定してください（ブラウザのタイトルバーに表示されます）"),
        u"<TITLE></TITLE>タグ"_s, u"PAGE TITLE"_s);
    InsertTag(m_buffer, "<TITLE>" + title, u"</TITLE>"_s, false, 0);
}

void PromptedTags::mnuHTMLfont_Click() {
    const QString size = m_host.inputBox(QStringLiteral("サイズを指定してください（半角：1～7）"),
                                         u"フォントタグ"_s, u"3"_s);
    // back 9 = "</FONT>" and the closing quote and ">": the caret lands inside COLOR="".
    InsertTag(m_buffer, "<FONT SIZE=" + quoted(size) + " COLOR=" + quoted({}) + ">", u"</FONT>"_s,
              true, 9);
    m_host.beep();
    offerColor(QStringLiteral("色を指定しますか？"), u"色指定確認"_s);
}

void PromptedTags::mnuHTMLh1_Click() {
    const QString level =
        m_host.inputBox(QStringLiteral("サイズを1～6で指定してください（半角）\r\n"
                                       "（数値が小さくなるほど文字は大きくなります）"),
                        u"Hタグ"_s, u"1"_s);
    InsertTag(m_buffer, "<H" + level + ">", "</H" + level + ">", true, 0);
}

void PromptedTags::mnuHTMLhr_Click() {
    const QString size =
        m_host.inputBox(QStringLiteral("太さを指定してください（半角数値）"), u"水平線"_s, u"2"_s);
    InsertTag(m_buffer, "<HR SIZE=" + quoted(size) + " COLOR=" + quoted({}) + ">", QString(), true,
              2);
    offerColor(QStringLiteral("色を指定しますか？"), u"水平線"_s);
}

void PromptedTags::mnuHTMLimg_Click() {
    const QString width = m_host.inputBox(QStringLiteral("画像の横幅を指定してください。"),
                                          u"画像の横幅指定"_s, u"320"_s);
    const int h0 = suggestedImageHeight(width);
    m_host.beep();
    const QString height = m_host.inputBox(
        QStringLiteral("画像の縦幅を指定してください。\r\n"
                       "最初に入力されている値は、入力された横幅の値から4：3になるように算出"
                       "した数値です。"),
        u"画像の縦幅指定"_s, QString::number(h0));
    m_host.beep();
    const QString src =
        m_host.inputBox(QStringLiteral("画像のURLを入力してください"), u"イメージタグ"_s);
    const QString alt = m_host.inputBox(
        QStringLiteral("画像の説明を入力してください（ポップアップされます）"), u"イメージタグ"_s);
    InsertTag(m_buffer,
              "<IMG SRC=" + quoted(src) + " ALT=" + quoted(alt) + " WIDTH=" + quoted(width) +
                  " HEIGHT=" + quoted(height) + ">",
              QString(), false, 0);
}

void PromptedTags::mnuHTMLt_Click() {
    const QString border =
        m_host.inputBox(QStringLiteral("枠の太さを指定してください（半角数値。「なし」は0と入力）"),
                        u"TABLE - BORDER"_s);
    InsertTag(m_buffer, "<TABLE BORDER=" + quoted(border) + " BGCOLOR=" + quoted({}) + ">\r\n",
              u"\r\n</TABLE>"_s, true, 14);
    offerColor(QStringLiteral("表の背景色を指定しますか？"), u"カラーツール呼び出し"_s);
}

void PromptedTags::mnuHTMLbody_Click() {
    InsertTag(m_buffer, "<BODY BGCOLOR=" + quoted({}) + ">\r\n\r\n", u"</BODY>"_s, true, 13);
    offerColor(QStringLiteral("背景色を指定しますか"), u"カラーコードツールを呼び出します"_s);
}

void PromptedTags::mnuHTMLbgm_Click() {
    const QString src =
        m_host.inputBox(QStringLiteral("BGMファイルのアドレスを入力してください"), u"BGM - URL"_s);
    const QString loop = askYesNo(QStringLiteral("連続再生にしますか？"), u"LOOPプロパティの選定"_s)
                             ? u"TRUE"_s
                             : u"1"_s;
    InsertTag(m_buffer,
              "<EMBED SRC=" + quoted(src) + " AUTOSTART=" + quoted(u"TRUE"_s) +
                  " LOOP=" + quoted(loop) + " style=" + quoted(u"DISPLAY:NONE;"_s) + ">",
              QString(), false, 0);
}

void PromptedTags::mnuHTMLautolink_Click() {
    const QString seconds = m_host.inputBox(
        QStringLiteral("ページが表示されてから、何秒後に移動しますか？（半角：1以上）"),
        u"自動移動"_s, u"5"_s);
    const QString url =
        m_host.inputBox(QStringLiteral("移動先のURLを入力してください"), u"自動移動,"_s);
    InsertTag(m_buffer,
              "<META HTTP-EQUIV=" + quoted(u"REFRESH"_s) +
                  " CONTENT=" + quoted(seconds + ";URL=" + url) + ">",
              QString(), false, 0);
}
