#include "ReplaceTemplate.h"

#include "RegexEngine.h"

#include <algorithm>

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

qsizetype ReplaceTemplate::save(const RegexMatcher& hit, QStringView source, Saved& saved) const {
    qsizetype length = 0;
    for (const Piece& piece : m_pieces) {
        if (piece.group < 0) {
            length += piece.length;
            continue;
        }
        const auto [first, second] = hit.group(piece.group);
        const qsizetype size = first >= 0 ? second - first : 0;
        if (size > 0)
            saved.text.append(source.mid(first, size));
        saved.lengths.push_back(int(size));
        length += size;
    }
    return length;
}

void ReplaceTemplate::writeSaved(Saved& saved, QChar* out) const {
    for (const Piece& piece : m_pieces) {
        if (piece.group < 0) {
            out = std::copy_n(m_literals.constData() + piece.from, piece.length, out);
            continue;
        }
        const int size = saved.lengths[saved.lengthsRead++];
        out = std::copy_n(saved.text.constData() + saved.textRead, size, out);
        saved.textRead += size;
    }
}
