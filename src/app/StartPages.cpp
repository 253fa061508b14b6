#include "StartPages.h"

#include "document/Preview.h"
#include "settings/Settings.h"

#include <QStringList>

namespace StartPages {

QString firstRunPage() {
    const QStringList lines = {
        QStringLiteral("<HTML>"),
        QStringLiteral("<BODY BGCOLOR=\"#FFFFFF\">"),
        QStringLiteral("<FONT SIZE=\"2\" COLOR=\"\"><H3>"),
        QStringLiteral("初回起動のようですね？</H3>"),
        QStringLiteral("<HR SIZE=\"2\" COLOR=\"#FF850\">"),
        QStringLiteral("このソフトは画面左のHTMLソース"),
        QStringLiteral("を右の（あなたが今見ている＾＾；）"),
        QStringLiteral("<BR>"),
        QStringLiteral("プレビュー画面に実行します。<P>"),
        QString(),
        QStringLiteral("だから、表示結果を見ながら、"),
        QStringLiteral("HTMLが編集できるというわけです。"),
        QStringLiteral("<BR>"),
        QStringLiteral("HTMLタグの挿入もできますし、カラ"),
        QStringLiteral("ーコードの選択（入力）補助もありま"),
        QStringLiteral("す。<BR>"),
        QStringLiteral("カンマ区切り文章を、テーブル（表）"),
        QStringLiteral("に自動で変換できます"),
        QStringLiteral("<HR SIZE=\"2\" COLOR=\"#FF850\">"),
        QStringLiteral("Tagloom 開発チームより</FONT>"),
        QStringLiteral("</BODY>"),
        QStringLiteral("</HTML>"),
    };
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString quoteAndAboutPage() {
    return QStringLiteral("\"<h2><FONT SIZE=\"\" COLOR=\"#0000FF\">Tagloom</FONT></h2>\r\n"
                          "<HR SIZE=\"2\" COLOR=\"#FF961B\">\r\n"
                          "HTMLソースを書きながら、その場で表示を確かめられるエディタです。<BR>\r\n"
                          "作成：Tagloom 開発チーム　Qt 6 と Qt WebEngine で構築");
}

QString startAddress(const Settings& settings, bool firstRun, const QString& helpFile) {
    if (firstRun)
        return QStringLiteral("about:") + firstRunPage().left(1000);
    if (settings.StartPage == u"help")
        return Preview::ToFileUrl(helpFile);
    if (!settings.StartPage.isEmpty())
        return settings.StartPage;
    return QStringLiteral("about:") + quoteAndAboutPage().mid(1, 1000);
}

} // namespace StartPages
