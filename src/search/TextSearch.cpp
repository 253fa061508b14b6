#include "TextSearch.h"

#include <algorithm>
#include <functional>

namespace {

QString withBreaks(QStringView text, QStringView lineBreak) {
    QString out;
    out.reserve(text.size() + text.size() / 16);
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n' && c != QChar::ParagraphSeparator)
            continue;
        out.append(text.mid(from, i - from));
        out.append(lineBreak);
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        from = i + 1;
    }
    out.append(text.mid(from));
    return out;
}

// Finds one target many times. Exact comparison skips ahead by the characters it sees, which
// pays on Japanese text, where the alphabet is large; the case-insensitive one is Qt's, which
// folds each character by simple case folding.
class Finder {
public:
    Finder(QStringView target, Comparison mode)
        : m_target(target), m_mode(mode),
          m_exact(reinterpret_cast<const char16_t*>(target.data()),
                  reinterpret_cast<const char16_t*>(target.data()) + target.size()) {}

    qsizetype find(QStringView text, qsizetype from) const {
        if (m_target.isEmpty() || from < 0 || from > text.size())
            return -1;
        if (m_mode == Comparison::IgnoreCase)
            return text.indexOf(m_target, from, Qt::CaseInsensitive);
        const char16_t* begin = reinterpret_cast<const char16_t*>(text.data());
        const char16_t* end = begin + text.size();
        const char16_t* hit = std::search(begin + from, end, m_exact);
        return hit == end ? -1 : hit - begin;
    }

private:
    QStringView m_target;
    Comparison m_mode;
    std::boyer_moore_horspool_searcher<const char16_t*> m_exact;
};

} // namespace

qsizetype findText(QStringView text, QStringView target, qsizetype from, Comparison mode) {
    return Finder(target, mode).find(text, from);
}

std::vector<qsizetype> findEvery(QStringView text, QStringView target, Comparison mode) {
    std::vector<qsizetype> hits;
    const Finder finder(target, mode);
    for (qsizetype hit = finder.find(text, 0); hit >= 0;
         hit = finder.find(text, hit + target.size()))
        hits.push_back(hit);
    return hits;
}

QString withHitsReplaced(QStringView text, const std::vector<qsizetype>& hits,
                         qsizetype targetLength, QStringView replacement) {
    QString out;
    out.reserve(text.size() + qsizetype(hits.size()) * (replacement.size() - targetLength));
    qsizetype from = 0;
    for (const qsizetype hit : hits) {
        out.append(text.mid(from, hit - from));
        out.append(replacement);
        from = hit + targetLength;
    }
    out.append(text.mid(from));
    return out;
}

QString replaceEvery(QStringView text, QStringView target, QStringView replacement,
                     Comparison mode) {
    return withHitsReplaced(text, findEvery(text, target, mode), target.size(), replacement);
}

QString withCrLfBreaks(QStringView text) {
    return withBreaks(text, u"\r\n");
}

QString withPaneBreaks(QStringView text) {
    static constexpr char16_t paneBreak[] = {QChar::ParagraphSeparator, 0};
    return withBreaks(text, paneBreak);
}
