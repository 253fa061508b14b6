#include "HtmlNames.h"

#include <algorithm>
#include <vector>

namespace {

// Each row: an element and its own attributes, separated by spaces. A "*" after a name marks it
// obsolete. Rows and names are in alphabetical order.
constexpr const char* kElements[][2] = {
    {"a", "download href hreflang ping referrerpolicy rel target type"},
    {"abbr", ""},
    {"address", ""},
    {"area", "alt coords download href ping referrerpolicy rel shape target"},
    {"article", ""},
    {"aside", ""},
    {"audio", "autoplay controls crossorigin loop muted preload src"},
    {"b", ""},
    {"base", "href target"},
    {"bdi", ""},
    {"bdo", ""},
    {"blockquote", "cite"},
    {"body", "bgcolor* onafterprint onbeforeprint onbeforeunload onhashchange onlanguagechange "
             "onmessage onmessageerror onoffline ononline onpagehide onpagereveal onpageshow "
             "onpageswap onpopstate onrejectionhandled onstorage onunhandledrejection onunload"},
    {"br", ""},
    {"button", "command commandfor disabled form formaction formenctype formmethod "
               "formnovalidate formtarget name popovertarget popovertargetaction type value"},
    {"canvas", "height width"},
    {"caption", ""},
    {"center*", ""},
    {"cite", ""},
    {"code", ""},
    {"col", "span"},
    {"colgroup", "span"},
    {"data", "value"},
    {"datalist", ""},
    {"dd", ""},
    {"del", "cite datetime"},
    {"details", "name open"},
    {"dfn", ""},
    {"dialog", "closedby open"},
    {"div", ""},
    {"dl", ""},
    {"dt", ""},
    {"em", ""},
    {"embed", "autostart* height loop* src type width"},
    {"fieldset", "disabled form name"},
    {"figcaption", ""},
    {"figure", ""},
    {"font*", "color face size"},
    {"footer", ""},
    {"form", "accept-charset action autocomplete enctype method name novalidate rel target"},
    {"h1", ""},
    {"h2", ""},
    {"h3", ""},
    {"h4", ""},
    {"h5", ""},
    {"h6", ""},
    {"head", ""},
    {"header", ""},
    {"hgroup", ""},
    {"hr", "color* size*"},
    {"html", ""},
    {"i", ""},
    {"iframe", "allow allowfullscreen height loading name referrerpolicy sandbox src srcdoc "
               "width"},
    {"img", "alt crossorigin decoding fetchpriority height ismap loading referrerpolicy sizes "
            "src srcset usemap width"},
    {"input", "accept alt autocomplete checked dirname disabled form "
              "formaction formenctype formmethod formnovalidate formtarget height list max "
              "maxlength min minlength multiple name pattern placeholder popovertarget "
              "popovertargetaction readonly required size src step type value width"},
    {"ins", "cite datetime"},
    {"kbd", ""},
    {"label", "for"},
    {"legend", ""},
    {"li", "value"},
    {"link", "as blocking color crossorigin disabled fetchpriority href hreflang imagesizes "
             "imagesrcset integrity media referrerpolicy rel sizes type"},
    {"main", ""},
    {"map", "name"},
    {"mark", ""},
    {"math", ""},
    {"menu", ""},
    {"meta", "charset content http-equiv media name"},
    {"meter", "high low max min optimum value"},
    {"nav", ""},
    {"noscript", ""},
    {"object", "data form height name type width"},
    {"ol", "reversed start type"},
    {"optgroup", "disabled label"},
    {"option", "disabled label selected value"},
    {"output", "for form name"},
    {"p", ""},
    {"picture", ""},
    {"pre", ""},
    {"progress", "max value"},
    {"q", "cite"},
    {"rp", ""},
    {"rt", ""},
    {"ruby", ""},
    {"s", ""},
    {"samp", ""},
    {"script", "async blocking crossorigin defer fetchpriority integrity nomodule "
               "referrerpolicy src type"},
    {"search", ""},
    {"section", ""},
    {"select", "autocomplete disabled form multiple name required size"},
    {"slot", "name"},
    {"small", ""},
    {"source", "height media sizes src srcset type width"},
    {"span", ""},
    {"strong", ""},
    {"style", "blocking media"},
    {"sub", ""},
    {"summary", ""},
    {"sup", ""},
    {"svg", ""},
    {"table", "bgcolor* border*"},
    {"tbody", ""},
    {"td", "colspan headers rowspan"},
    {"template", "shadowrootclonable shadowrootdelegatesfocus shadowrootmode "
                 "shadowrootserializable"},
    {"textarea", "autocomplete cols dirname disabled form maxlength minlength name placeholder "
                 "readonly required rows wrap"},
    {"tfoot", ""},
    {"th", "abbr colspan headers rowspan scope"},
    {"thead", ""},
    {"time", "datetime"},
    {"title", ""},
    {"tr", ""},
    {"track", "default kind label src srclang"},
    {"u", ""},
    {"ul", ""},
    {"var", ""},
    {"video", "autoplay controls crossorigin height loop muted playsinline poster preload src "
              "width"},
    {"wbr", ""},
    {"xmp*", ""},
};

constexpr const char* kGlobalAttributes =
    "accesskey autocapitalize autocorrect autofocus class contenteditable dir draggable "
    "enterkeyhint hidden id inert inputmode is itemid itemprop itemref itemscope itemtype lang "
    "nonce onauxclick onbeforeinput onbeforematch onbeforetoggle onblur oncancel oncanplay "
    "oncanplaythrough onchange onclick onclose oncontextlost oncontextmenu "
    "oncontextrestored oncopy oncuechange oncut ondblclick ondrag ondragend ondragenter "
    "ondragleave ondragover ondragstart ondrop ondurationchange onemptied onended onerror "
    "onfocus onformdata oninput oninvalid onkeydown onkeypress onkeyup onload onloadeddata "
    "onloadedmetadata onloadstart onmousedown onmouseenter onmouseleave onmousemove onmouseout "
    "onmouseover onmouseup onpaste onpause onplay onplaying onprogress onratechange onreset "
    "onresize onscroll onscrollend onsecuritypolicyviolation onseeked onseeking onselect "
    "onslotchange onstalled onsubmit onsuspend ontimeupdate ontoggle onvolumechange onwaiting "
    "onwheel popover slot spellcheck style tabindex title translate writingsuggestions";

// Each row: the elements it applies to (empty: every element), the attribute, its values.
constexpr const char* kValues[][3] = {
    {"input", "type",
     "button checkbox color date datetime-local email file hidden image month number password "
     "radio range reset search submit tel text time url week"},
    {"button", "type", "button reset submit"},
    {"a area base form", "target", "_blank _parent _self _top"},
    {"a area form link", "rel",
     "alternate author bookmark canonical dns-prefetch expect external help icon license "
     "manifest modulepreload next nofollow noopener noreferrer opener pingback preconnect "
     "prefetch preload prev privacy-policy search stylesheet tag terms-of-service"},
    {"form", "method", "dialog get post"},
    {"", "dir", "auto ltr rtl"},
    {"", "lang", "en ja"},
    // The labels of the encodings this program reads documents in, UTF-8 first.
    {"meta", "charset", "utf-8 shift_jis euc-jp iso-2022-jp"},
};

QList<HtmlNames::Name> split(const char* words) {
    QList<HtmlNames::Name> names;
    const QLatin1StringView all(words);
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = all.indexOf(QLatin1Char(' '), start);
        if (end < 0)
            end = all.size();
        if (end > start) {
            const bool obsolete = all.at(end - 1) == QLatin1Char('*');
            names.append({all.mid(start, end - start - (obsolete ? 1 : 0)), obsolete});
        }
        start = end + 1;
    }
    return names;
}

struct Element {
    HtmlNames::Name name;
    QList<HtmlNames::Name> attributes;
};

struct Table {
    std::vector<Element> elements;
    QList<HtmlNames::Name> globals;
};

const Table& table() {
    static const Table t = [] {
        Table built;
        for (const auto& row : kElements)
            built.elements.push_back({split(row[0]).constFirst(), split(row[1])});
        built.globals = split(kGlobalAttributes);
        return built;
    }();
    return t;
}

bool startsWith(const HtmlNames::Name& name, QStringView prefix) {
    return name.text.size() >= prefix.size() &&
           prefix.compare(name.text.first(prefix.size()), Qt::CaseInsensitive) == 0;
}

void appendStartingWith(const QList<HtmlNames::Name>& from, QStringView prefix,
                        QList<HtmlNames::Name>& out) {
    for (const HtmlNames::Name& n : from) {
        if (!startsWith(n, prefix))
            continue;
        const bool seen = std::any_of(out.cbegin(), out.cend(),
                                      [&](const HtmlNames::Name& o) { return o.text == n.text; });
        if (!seen)
            out.append(n);
    }
}

bool listed(const char* words, QStringView word) {
    const QList<HtmlNames::Name> names = split(words);
    return std::any_of(names.cbegin(), names.cend(), [&](const HtmlNames::Name& n) {
        return word.compare(n.text, Qt::CaseInsensitive) == 0;
    });
}

} // namespace

QList<HtmlNames::Name> HtmlNames::elementsStartingWith(QStringView prefix) {
    QList<Name> out;
    for (const Element& e : table().elements) {
        if (startsWith(e.name, prefix))
            out.append(e.name);
    }
    return out;
}

QList<HtmlNames::Name> HtmlNames::attributesStartingWith(QStringView element, QStringView prefix) {
    QList<Name> out;
    for (const Element& e : table().elements) {
        if (element.compare(e.name.text, Qt::CaseInsensitive) == 0) {
            appendStartingWith(e.attributes, prefix, out);
            break;
        }
    }
    appendStartingWith(table().globals, prefix, out);
    return out;
}

QList<HtmlNames::Name> HtmlNames::valuesStartingWith(QStringView element, QStringView attribute,
                                                     QStringView prefix) {
    QList<Name> out;
    for (const auto& row : kValues) {
        if (attribute.compare(QLatin1StringView(row[1]), Qt::CaseInsensitive) != 0)
            continue;
        if (*row[0] && !listed(row[0], element))
            continue;
        appendStartingWith(split(row[2]), prefix, out);
    }
    return out;
}
