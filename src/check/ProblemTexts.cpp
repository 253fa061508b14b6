#include "ProblemTexts.h"

namespace {

// One wording: the message key; `when`, if set, the arguments it is for ("1=alt": the second
// argument reads alt; "0^</": the first begins with "</"; conditions joined by ";"); the text with
// %1, %2, %3 standing for the message's arguments. The first row that fits wins, so a row with a
// condition comes before the plain row of its key.
struct Wording {
    const char* key;
    const char* when;
    const char* text;
};

// clang-format off
const Wording kWordings[] = {
    // A link inside a link: the checker says the first one lacks its end tag.
    {"MISSING_ENDTAG_BEFORE", "0=a;1=<a>", "<a> の中に <a> が入れ子になっています（</%1> がありません）"},
    {"MISSING_ENDTAG_BEFORE", nullptr, "%2 の前に </%1> がありません"},
    {"MISSING_ENDTAG_FOR", nullptr, "</%1> がありません"},
    {"UNEXPECTED_ENDTAG", nullptr, "ここにあるはずのない </%1> があります"},
    {"UNEXPECTED_ENDTAG_ERR", nullptr, "ここにあるはずのない </%1> があります"},
    {"UNEXPECTED_ENDTAG_IN", nullptr, "<%2> の中に、ここにあるはずのない </%1> があります"},
    // A stray end tag is read past as the browsers do.
    {"DISCARDING_UNEXPECTED", "0^</", "ここにあるはずのない終了タグ %1 があります（無視されます）"},
    {"DISCARDING_UNEXPECTED", "0=plain text", "ここに文字を書くことはできません（無視されます）"},
    {"DISCARDING_UNEXPECTED", nullptr, "ここに置けない %1 があります（無視されます）"},
    {"MISSING_ATTRIBUTE", "1=alt", "%1 に alt 属性（画像の代わりの文章）がありません"},
    {"MISSING_ATTRIBUTE", nullptr, "%1 に %2 属性がありません"},
    {"UNESCAPED_AMPERSAND", nullptr, "& がそのまま書かれています。&amp; と書いてください"},
    {"UNKNOWN_ENTITY", nullptr, "& がそのまま書かれているか、%1 が知られていない文字参照です"},
    {"UNKNOWN_ELEMENT", nullptr, "%1 は知られていない要素です"},
    {"UNKNOWN_ELEMENT_LOOKS_CUSTOM", nullptr, "%1 は知られていない要素です"},
    {"PROPRIETARY_ATTRIBUTE", nullptr, "%1 の \"%2\" は知られていない属性です"},
    {"MISMATCHED_ATTRIBUTE_WARN", nullptr, "%1 の \"%2\" 属性は %3 では使えません"},
    {"MISMATCHED_ATTRIBUTE_ERROR", nullptr, "%1 の \"%2\" 属性は %3 では使えません"},
    {"ANCHOR_NOT_UNIQUE", nullptr, "%1 の id \"%2\" はすでに使われています"},
    {"PROPRIETARY_ELEMENT", nullptr, "%1 は標準にない独自の要素です"},
    {"REMOVED_HTML5", nullptr, "%1 は HTML5 で廃止された要素です"},
    {"OBSOLETE_ELEMENT", nullptr, "%1 は廃止された要素です（%2 を使ってください）"},
    {"ELEMENT_VERS_MISMATCH_WARN", nullptr, "%1 は %2 では使えない要素です"},
    {"ELEMENT_VERS_MISMATCH_ERROR", nullptr, "%1 は %2 では使えない要素です"},
    {"MISSING_DOCTYPE", nullptr, "<!DOCTYPE> 宣言がありません"},
    {"MISSING_TITLE_ELEMENT", nullptr, "<title> 要素がありません"},
    {"TAG_NOT_ALLOWED_IN", "0=plain text", "<%2> の中に文字をじかに書くことはできません"},
    {"TAG_NOT_ALLOWED_IN", nullptr, "%1 は <%2> の中には置けません"},
    {"CANT_BE_NESTED", nullptr, "%1 は入れ子にできません"},
    {"ILLEGAL_NESTING", nullptr, "%1 を入れ子にするべきではありません"},
    {"NESTED_EMPHASIS", nullptr, "%1 の中に %1 が入れ子になっています"},
    {"NON_MATCHING_ENDTAG", nullptr, "%1 は </%2> の書き間違いと見なされます"},
    {"COERCE_TO_ENDTAG", nullptr, "<%1> は </%2> の書き間違いのようです"},
    {"INSERTING_TAG", nullptr, "<%1> が省かれています（補って読まれます）"},
    {"MISSING_STARTTAG", nullptr, "<%1> がありません"},
    {"TRIM_EMPTY_ELEMENT", nullptr, "中身のない %1 があります"},
    {"MISSING_SEMICOLON", nullptr, "文字参照 %1 が ; で終わっていません"},
    {"MISSING_ATTR_VALUE", nullptr, "%1 の \"%2\" 属性に値がありません"},
    {"BAD_ATTRIBUTE_VALUE", nullptr, "%1 の \"%2\" 属性の値 \"%3\" は正しくありません"},
    {"REPEATED_ATTRIBUTE", nullptr, "%1 の \"%3\" 属性が重複しています（値 \"%2\" は捨てられます）"},
    {"MISSING_QUOTEMARK", nullptr, "%1 の属性値を閉じる引用符がありません"},
    {"UNEXPECTED_GT", nullptr, "%1 のタグを閉じる > がありません"},
    {"UNEXPECTED_END_OF_FILE", nullptr, "%1 の途中で文書が終わっています"},
    {"CONTENT_AFTER_BODY", nullptr, "</body> の後に内容があります"},
    {"DOCTYPE_AFTER_TAGS", nullptr, "<!DOCTYPE> は要素より前に書いてください"},
};
// clang-format on

// Fills %1..%9 in one pass, so an argument that itself holds "%1" stays as it is. Empty when the
// wording needs an argument the message does not have.
QString fill(const QString& wording, const QStringList& args) {
    QString out;
    out.reserve(wording.size() + 32);
    for (qsizetype i = 0; i < wording.size(); ++i) {
        const QChar c = wording.at(i);
        if (c == u'%' && i + 1 < wording.size() && wording.at(i + 1) >= u'1' &&
            wording.at(i + 1) <= u'9') {
            const int index = wording.at(i + 1).unicode() - u'1';
            if (index >= args.size())
                return QString();
            out += args.at(index);
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

bool argumentsFit(const char* when, const QStringList& args) {
    if (!when)
        return true;
    for (const QString& condition : QString::fromUtf8(when).split(u';')) {
        // A digit, then '=' (the argument reads) or '^' (the argument begins with), then text.
        const int index = condition.at(0).digitValue();
        const QString value = condition.mid(2);
        if (index >= args.size())
            return false;
        const bool fits =
            condition.at(1) == u'^' ? args.at(index).startsWith(value) : args.at(index) == value;
        if (!fits)
            return false;
    }
    return true;
}

} // namespace

namespace ProblemTexts {

QString text(const QString& key, const QStringList& args, const QString& english) {
    for (const Wording& w : kWordings) {
        if (key != QLatin1String(w.key))
            continue;
        if (!argumentsFit(w.when, args))
            continue;
        const QString filled = fill(QString::fromUtf8(w.text), args);
        return filled.isEmpty() ? english : filled;
    }
    return english;
}

bool hasJapanese(const QString& key) {
    for (const Wording& w : kWordings)
        if (key == QLatin1String(w.key))
            return true;
    return false;
}

} // namespace ProblemTexts
