#include "PageCheck.h"

#include <QStringView>
#include <vector>

namespace {

// Elements that never hold others, and those whose end tag may be left out (the next sibling
// closes them): neither deepens the page.
const char* const kFlatElements[] = {
    "area",  "base",  "basefont", "br",     "col",   "embed", "frame",    "hr",
    "img",   "input", "isindex",  "keygen", "link",  "meta",  "param",    "source",
    "track", "wbr",   "p",        "li",     "dt",    "dd",    "option",   "optgroup",
    "tr",    "td",    "th",       "thead",  "tbody", "tfoot", "colgroup", "rb",
    "rt",    "rtc",   "rp",       "html",   "head",  "body"};
// Elements whose content is text up to their end tag.
const char* const kTextElements[] = {"script", "style", "textarea", "title", "xmp", "plaintext"};

bool nameIs(QStringView name, const char* const* list, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (name.compare(QLatin1String(list[i]), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'-' || c == u':' || c == u'_';
}

// A name's fingerprint, letter case folded; a rare clash only blurs the estimate.
quint32 fingerprint(QStringView name) {
    quint32 h = 2166136261u;
    for (QChar c : name)
        h = (h ^ c.toLower().unicode()) * 16777619u;
    return h;
}

// How far back an end tag looks for its start tag; one that finds none is stray and ignored.
constexpr size_t kLookBack = 64;
// How far a start tag is read for the "/>" of an element written empty.
constexpr qsizetype kMaxTagScan = 2000;

} // namespace

int estimatedNestingDepth(const QString& raw) {
    const QStringView text(raw);
    const qsizetype n = text.size();
    std::vector<quint32> open;
    int deepest = 0;
    qsizetype i = 0;
    while (i < n) {
        const qsizetype lt = text.indexOf(u'<', i);
        if (lt < 0 || lt + 1 >= n)
            break;
        i = lt + 1;
        if (text.mid(lt, 4) == u"<!--") {
            const qsizetype close = text.indexOf(u"-->", lt + 4);
            i = close < 0 ? n : close + 3;
            continue;
        }
        const bool end = text.at(i) == u'/';
        const qsizetype nameStart = end ? i + 1 : i;
        if (nameStart >= n || !text.at(nameStart).isLetter())
            continue;
        qsizetype nameEnd = nameStart;
        while (nameEnd < n && isNameChar(text.at(nameEnd)))
            ++nameEnd;
        const QStringView name = text.mid(nameStart, nameEnd - nameStart);
        i = nameEnd;
        const quint32 print = fingerprint(name);
        if (end) {
            for (size_t back = 0; back < open.size() && back < kLookBack; ++back) {
                if (open[open.size() - 1 - back] == print) {
                    open.resize(open.size() - 1 - back);
                    break;
                }
            }
            continue;
        }
        if (nameIs(name, kTextElements, std::size(kTextElements))) {
            // Past its end tag, letter case aside.
            const QString closing = QStringLiteral("</") + name.toString();
            const qsizetype close = text.indexOf(closing, i, Qt::CaseInsensitive);
            i = close < 0 ? n : close + closing.size();
            continue;
        }
        if (nameIs(name, kFlatElements, std::size(kFlatElements)))
            continue;
        const qsizetype gt = text.mid(i, kMaxTagScan).indexOf(u'>');
        if (gt > 0 && text.at(i + gt - 1) == u'/')
            continue; // written empty: <div/>
        open.push_back(print);
        deepest = std::max(deepest, int(open.size()));
    }
    return deepest;
}
