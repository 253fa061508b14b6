#include "PreviewText.h"

#include <QByteArray>
#include <algorithm>

namespace {

// The preview finds "<head>" letter case aside, ASCII letters only, as its bytes do.
bool headTagAt(const QChar* p, qsizetype left) {
    static const char kHead[] = "head>";
    if (left < 6)
        return false;
    for (int i = 0; i < 5; ++i) {
        char16_t c = p[1 + i].unicode();
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c + 32);
        if (c != char16_t(kHead[i]))
            return false;
    }
    return true;
}

} // namespace

void PreviewText::build(const QString& raw, const QString& baseElement) {
    m_editorLength = int(raw.size());
    m_added.clear();
    m_addedLength = int(baseElement.size());
    const bool hasBase = raw.contains(QLatin1String("<base href="));
    std::vector<qsizetype> heads;
    QByteArray headCases;
    if (!hasBase) {
        const QChar* p = raw.constData();
        for (qsizetype at = raw.indexOf(u'<'); at >= 0; at = raw.indexOf(u'<', at + 1)) {
            if (!headTagAt(p + at, raw.size() - at))
                continue;
            heads.push_back(at + 6);
            int mask = 0;
            for (int i = 0; i < 4; ++i)
                if (p[at + 1 + i] >= u'A' && p[at + 1 + i] <= u'Z')
                    mask |= 1 << i;
            headCases.append("0123456789ABCDEF"[mask]);
        }
    }
    // The note the preview file ends with, after its final line break.
    QString tail = QStringLiteral("\r\n<!-- tagloom-recovery");
    if (!heads.empty())
        tail += QStringLiteral(" heads=") + QString::fromLatin1(headCases) +
                QStringLiteral(" base=") +
                QString::fromLatin1(baseElement.toUtf8().toPercentEncoding(QByteArray(), "-"));
    tail += QStringLiteral(" -->");

    m_text.resize(raw.size() + qsizetype(heads.size()) * baseElement.size() + tail.size());
    QChar* out = m_text.data();
    qsizetype from = 0;
    auto copy = [&](qsizetype to) {
        const QChar* in = raw.constData();
        for (qsizetype i = from; i < to; ++i) {
            QChar c = in[i];
            // A lone surrogate is written as "?".
            if (c.isSurrogate()) {
                if (c.isHighSurrogate() && i + 1 < to && in[i + 1].isLowSurrogate()) {
                    *out++ = c;
                    c = in[++i];
                } else {
                    c = u'?';
                }
            }
            *out++ = c;
        }
        from = to;
    };
    for (const qsizetype head : heads) {
        copy(head);
        // The preview writes the head tag itself in small letters.
        std::copy_n(u"head", 4, out - 5);
        m_added.push_back(int(out - m_text.constData()));
        out = std::copy(baseElement.constBegin(), baseElement.constEnd(), out);
    }
    copy(raw.size());
    std::copy(tail.constBegin(), tail.constEnd(), out);
}

int PreviewText::toEditor(int position) const {
    int before = 0;
    for (const int at : m_added) {
        if (position < at)
            break;
        if (position < at + m_addedLength)
            return at - before * m_addedLength;
        ++before;
    }
    return std::min(position - before * m_addedLength, m_editorLength);
}

int PreviewText::fromEditor(int editorPosition) const {
    int position = std::clamp(editorPosition, 0, m_editorLength);
    for (const int at : m_added) {
        if (position < at)
            break;
        position += m_addedLength;
    }
    return position;
}

bool PreviewText::isAdded(int position) const {
    for (const int at : m_added)
        if (position >= at && position < at + m_addedLength)
            return true;
    return position >= m_editorLength + int(m_added.size()) * m_addedLength;
}

void PreviewText::replace(int position, int removed, QStringView inserted) {
    const int delta = int(inserted.size()) - removed;
    m_text.replace(position, removed, inserted.constData(), inserted.size());
    for (int& at : m_added)
        if (at >= position)
            at += delta;
    m_editorLength += delta;
}
