#include "ReplaceTemplate.h"

#include "RegexEngine.h"

ReplaceTemplate::ReplaceTemplate(QStringView r) {
    for (qsizetype i = 0; i < r.size(); ++i) {
        const QChar c = r[i];
        const QChar next = i + 1 < r.size() ? r[i + 1] : QChar();
        if (c == u'\r') {
            literal(u'\n');
            if (next == u'\n')
                ++i;
        } else if ((c == u'\\' || c == u'$') && next.isDigit() && next.unicode() < 0x80) {
            m_pieces.push_back({next.unicode() - u'0', 0, 0});
            ++i;
        } else if (c == u'\\' && next == u'n') {
            literal(u'\n');
            ++i;
        } else if ((c == u'\\' || c == u'$') && next == c) {
            literal(c);
            ++i;
        } else {
            literal(c);
        }
    }
}

void ReplaceTemplate::literal(QChar c) {
    if (m_pieces.empty() || m_pieces.back().group >= 0 ||
        m_pieces.back().from + m_pieces.back().length != m_literals.size())
        m_pieces.push_back({-1, m_literals.size(), 0});
    m_literals.append(c);
    ++m_pieces.back().length;
}

void ReplaceTemplate::expand(const RegexMatcher& hit, QStringView source, QString& out) const {
    for (const Piece& piece : m_pieces) {
        if (piece.group < 0) {
            out.append(QStringView(m_literals).mid(piece.from, piece.length));
            continue;
        }
        const auto [first, second] = hit.group(piece.group);
        if (first >= 0)
            out.append(source.mid(first, second - first));
    }
}

QString ReplaceTemplate::expanded(const RegexMatcher& hit, QStringView source) const {
    QString out;
    expand(hit, source, out);
    return out;
}
