#include "HtmlMenu.h"

#include "PromptedTags.h"
#include "SimpleTags.h"
#include "StyleFilters.h"

#include <QAction>
#include <QMenu>
#include <vector>

namespace {

// One line of the tree. An entry followed by deeper ones is a submenu; caption "-" is a
// separator; a null caption is a command item captioned by its command's own table.
struct Entry {
    int depth;
    const char* name;
    const char* caption;
};

const char* const kSeparator = "-";

const Entry kTree[] = {
    {0, "mnuPageHTML", "ページ基本タグ(&P)"},
    {1, "mnuHTMLhtml", nullptr},
    {1, "mnuHTMLhead", nullptr},
    {1, "mnuHTMLtitle", nullptr},
    {1, "mnuHTMLcss", nullptr},
    {1, "mnuHTMLlink", nullptr},
    {1, "mnuHTMLbase", nullptr},
    {1, "mnuHTMLbody", nullptr},
    {0, "mnuStringHTML", "文字修飾タグ(&D)"},
    {1, "mnuHTMLh1", nullptr},
    {1, "mnuHTMLfont", nullptr},
    {1, "mnuHTMLb", nullptr},
    {1, "mnuHTMLi", nullptr},
    {1, "mnuHTMLu", nullptr},
    {1, "mnuHTMLs", nullptr},
    {0, "mnuSpecial", "特殊文字（&D）"},
    {1, "mnuHTMLbr", nullptr},
    {1, "mnuHTMLp", nullptr},
    {1, "mnuHTMLhr", nullptr},
    {1, "mnuHTMLcopy", nullptr},
    {1, "mnuHTMLcoment", nullptr},
    {0, "mnuLinkHTML", "リンクタグ(&L)"},
    {1, "mnuHTMLa", nullptr},
    {0, "mnuImageHTML", "画像タグ(&I)"},
    {1, "mnuHTMLimg", nullptr},
    {0, "mnuPointHTML", "書式指定タグ(&P)"},
    {1, "mnuHTMLcenter", nullptr},
    {1, "mnuHTMLpre", nullptr},
    {1, "mnuHTMLxmp", nullptr},
    {0, "mnuElementHTML", "要素構成タグ(&E)"},
    {1, "mnuHTMLspan", nullptr},
    {1, "mnuHTMLdiv", nullptr},
    {0, "mnuTableHTML", "表タグ(&T)"},
    {1, "mnuHTMLt", nullptr},
    {1, "mnuHTMLcaption", nullptr},
    {1, "mnuHTMLtr", nullptr},
    {1, "mnuHTMLtd", nullptr},
    {1, "mnuHTMLth", nullptr},
    {0, "mnuformHTML", "フォーム(&F)"},
    {1, "mnuHTMLform", "フォーム　<FORM></FORM>"},
    {1, "mnuHTMLinputoneline", "一行テキスト <INPUT>"},
    {1, "mnuHTMLinputpassword", "パスワード　<INPUT>"},
    {1, "mnuHTMLtextarea", "複数行テキスト　<TEXTAREA></TEXTAREA>"},
    {1, "mnuHTMLselectradio", "選択（ボタン）　<INPUT>"},
    {2, "mnuHTMLselectradioradio", "ラジオボタン　<INPUT>"},
    {2, "mnuHTMLselectradiocheckbox", "チェックボックス（ボタン）　<INPUT>"},
    {1, "mnuHTMLselect", "選択（メニュー）　<SELECT>"},
    {2, "mnuHTMLselectmenu", "メニュー　<SELECT>"},
    {2, "mnuHTMLselectoption", "項目の追加　<OPTION>"},
    {1, "mnuHTMLfield", "選択（フィールド）　<SELECT>"},
    {2, "mnuHTMLfieldfield", "フィールド　<SELECT>"},
    {2, "mnuHTMLfieldoption", "項目の追加　<OPTION>"},
    {1, "mnuHTMLsubmit", "送信ボタン　<INPUT>"},
    {1, "mnuHTMLreset", "リセットボタン　<INPUT>"},
    {1, "mnuHTMLhidden", "非表示データ　<INPUT>"},
    {0, "mnuTemplate", "特殊機能タグ(&S)"},
    {1, "mnuHTMLautolink", nullptr},
    {1, "mnuHTMLbgm", nullptr},
    {0, "mnuSepHTMLtoCSS", kSeparator},
    {0, "mnuHTMLstyle", "スタイルシート"},
    {1, "mnuHTMLstylefilter", "特殊効果(&S)　（フィルタ）"},
    {2, "mnuHTMLstylealpha", nullptr},
    {2, "nnuHTMLstyleblur", nullptr},
    {2, "mnuHTMLstyledropshadow", nullptr},
    {2, "mnuHTMLstylefliph", nullptr},
    {2, "mnuHTMLstyleflipv", nullptr},
    {2, "mnuHTMLstylefilterglow", nullptr},
    {2, "mnuHTMLstylewave", nullptr},
    {2, "mnuHTMLstylexray", nullptr},
    {0, "sepofkitachu", kSeparator},
    {0, "mnuUserTAGS", "登録したタグ(&T)"},
    {1, "mnuUserTAGmnu", ""},
    {1, "mnuUserTAGmnu", ""},
};

const char* commandCaption(const char* name) {
    const QString item = QString::fromLatin1(name);
    if (const SimpleTag* tag = findSimpleTag(item))
        return tag->caption;
    for (const PromptedTags::Item& p : PromptedTags::items())
        if (item == QLatin1String(p.item))
            return p.caption;
    for (const StyleFilters::Item& f : StyleFilters::items())
        if (item == QLatin1String(f.item))
            return f.caption;
    return "";
}

} // namespace

void buildHtmlMenu(QMenu* mnuHTML) {
    std::vector<QMenu*> parents{mnuHTML};
    int userTagIndex = 0;
    const int count = int(std::size(kTree));
    for (int i = 0; i < count; ++i) {
        const Entry& e = kTree[i];
        parents.resize(e.depth + 1);
        QMenu* parent = parents.back();
        const QString name = QString::fromLatin1(e.name);
        if (e.caption == kSeparator) {
            parent->addSeparator()->setObjectName(name);
            continue;
        }
        const QString caption = QString::fromUtf8(e.caption ? e.caption : commandCaption(e.name));
        if (i + 1 < count && kTree[i + 1].depth > e.depth) {
            QMenu* sub = parent->addMenu(caption);
            sub->setObjectName(name);
            sub->menuAction()->setObjectName(name);
            parents.push_back(sub);
            continue;
        }
        auto* action = new QAction(caption, parent);
        action->setObjectName(name);
        action->setEnabled(false);
        // The registered-tags items form one indexed family, filled from the tag store later.
        if (name == u"mnuUserTAGmnu")
            action->setProperty("index", userTagIndex++);
        parent->addAction(action);
    }
    // The form tags have no commands: the whole branch is greyed out.
    if (QMenu* forms = mnuHTML->findChild<QMenu*>(QStringLiteral("mnuformHTML")))
        forms->menuAction()->setEnabled(false);
}
