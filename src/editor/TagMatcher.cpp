#include "TagMatcher.h"

#include "HtmlLexer.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <vector>

namespace {

// `name` folded one character at a time, as QString::compare folds it when case is ignored, so
// two names pair exactly when they compare equal. QString::toLower would not do: it turns a lone
// surrogate met after a lowered letter into U+FFFD, which paired "<A" U+DC20 ">" with "</a" U+DC01
// ">", and it writes U+0130 as two characters that no longer compare equal to it.
QString foldedTagName(QStringView name) {
    QString folded;
    folded.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name[i].unicode();
        if (name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(name[i], name[i + 1]);
            ++i;
        }
        folded += QChar::fromUcs4(QChar::toCaseFolded(c)); // a lone surrogate folds to itself
    }
    return folded;
}

struct Tag {
    int start = -1;
    int end = -1;
    QString name;
    bool closing = false;
    bool selfClosing = false;
};

// Collects the tags of consecutive lines, a tag that spans lines included.
class TagCollector : public HtmlTokenSink {
public:
    void beginLine(QStringView text, int offset) {
        m_text = text;
        m_offset = offset;
    }
    void endLine() {
        if (m_open >= 0)
            tags[size_t(m_open)].end = m_offset + int(m_text.size());
    }
    // Forgets the tags collected so far, the one still open at the end of a line included.
    void clear() {
        tags.clear();
        m_open = -1;
    }
    void token(int start, int length, HtmlToken kind) override {
        const QStringView piece = m_text.mid(start, length);
        if (kind == HtmlToken::TagDelimiter) {
            if (piece == u"<" || piece == u"</") {
                Tag t;
                t.start = m_offset + start;
                t.end = m_offset + start + length;
                t.closing = piece == u"</";
                tags.push_back(t);
                m_open = int(tags.size()) - 1;
            } else if (m_open >= 0) {
                Tag& t = tags[size_t(m_open)];
                t.end = m_offset + start + length;
                t.selfClosing = piece == u"/>";
                m_open = -1;
            }
        } else if (kind == HtmlToken::TagName && m_open >= 0) {
            // Far from the caret only one name matters; the others are not worth a copy.
            if (only.isEmpty())
                tags[size_t(m_open)].name = foldedTagName(piece);
            else if (piece.compare(only, Qt::CaseInsensitive) == 0)
                tags[size_t(m_open)].name = only;
            tags[size_t(m_open)].end = m_offset + start + length;
        } else if (m_open >= 0) {
            tags[size_t(m_open)].end = m_offset + start + length;
        }
    }
    std::vector<Tag> tags;
    QString only; // when set, the one name recorded

private:
    QStringView m_text;
    int m_offset = 0;
    int m_open = -1;
};

// Lexes one block from `state`, adding its tags to `collector`; returns the state after it.
int collectBlock(const QTextBlock& block, int state, TagCollector& collector) {
    const QString text = block.text();
    collector.beginLine(text, block.position());
    const int end = HtmlLexer::lexLine(text, state, &collector);
    collector.endLine();
    return end;
}

int knownState(const std::function<int(const QTextBlock&)>& stateAtStart, const QTextBlock& b) {
    const int s = stateAtStart ? stateAtStart(b) : -1;
    return s < 0 ? HtmlLexer::kInitialState : s;
}

// How many lines above the position a tag around it may begin.
constexpr int kTagLinesAbove = 8;

} // namespace

bool isVoidElement(const QString& lowerName) {
    return isVoidElementName(lowerName);
}

bool isVoidElementName(QStringView name) {
    static constexpr const char* names[] = {
        "area", "base",  "basefont", "bgsound", "br",   "col",   "embed",  "frame", "hr",
        "img",  "input", "keygen",   "link",    "meta", "param", "source", "track", "wbr"};
    if (name.size() > 8)
        return false;
    for (const char* n : names) {
        if (name.compare(QLatin1StringView(n), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

TagMatch matchTagAt(const QTextDocument& document, int position,
                    const std::function<int(const QTextBlock&)>& stateAtStart, int budget) {
    TagMatch result;
    const QTextBlock here = document.findBlock(position);
    if (!here.isValid())
        return result;

    // The lines around the position, read from a few lines above so a tag that began there is
    // seen whole.
    QTextBlock first = here;
    for (int k = 0; k < kTagLinesAbove && first.previous().isValid(); ++k)
        first = first.previous();
    TagCollector near;
    int state = knownState(stateAtStart, first);
    int read = 0;
    for (QTextBlock b = first;; b = b.next()) {
        state = collectBlock(b, state, near);
        read += b.length();
        if (b == here)
            break;
    }

    // Inside a tag first; else one the position touches.
    int index = -1;
    for (int pass = 0; pass < 2 && index < 0; ++pass) {
        for (size_t k = 0; k < near.tags.size(); ++k) {
            const Tag& t = near.tags[k];
            const bool inside = t.start < position && position < t.end;
            const bool touching = t.start == position || t.end == position;
            if (!t.name.isEmpty() && (pass == 0 ? inside : touching)) {
                index = int(k);
                if (pass == 0 || t.start == position)
                    break;
            }
        }
    }
    if (index < 0)
        return result;
    const Tag tag = near.tags[size_t(index)];
    result.tag = {tag.start, tag.end};
    result.name = tag.name;
    if (!tag.closing && (tag.selfClosing || isVoidElement(tag.name))) {
        result.isVoid = true;
        return result;
    }
    if (tag.closing && isVoidElement(tag.name)) {
        result.unmatched = true; // "</br>" and the like close nothing
        return result;
    }

    if (!tag.closing) {
        // Forward: the first end tag of the name with as many starts as ends between.
        int depth = 0;
        std::vector<Tag> pending(near.tags.begin() + index + 1, near.tags.end());
        TagCollector ahead;
        ahead.only = tag.name;
        QTextBlock b = here;
        for (;;) {
            for (const Tag& t : pending) {
                if (t.name != tag.name)
                    continue;
                if (!t.closing && !t.selfClosing) {
                    ++depth;
                } else if (t.closing && depth-- == 0) {
                    result.partner = {t.start, t.end};
                    return result;
                }
            }
            b = b.next();
            if (!b.isValid()) {
                result.unmatched = true;
                return result;
            }
            if (read > budget)
                return result;
            ahead.clear();
            state = collectBlock(b, state, ahead);
            read += b.length();
            pending = ahead.tags;
        }
    }

    // Backward: the nearest start tag of the name with as many ends as starts between.
    int depth = 0;
    std::vector<Tag> pending(near.tags.begin(), near.tags.begin() + index);
    QTextBlock b = first;
    for (;;) {
        for (auto t = pending.rbegin(); t != pending.rend(); ++t) {
            if (t->name != tag.name || t->selfClosing)
                continue;
            if (t->closing) {
                ++depth;
            } else if (depth-- == 0) {
                result.partner = {t->start, t->end};
                return result;
            }
        }
        b = b.previous();
        if (!b.isValid()) {
            result.unmatched = true;
            return result;
        }
        if (read > budget)
            return result;
        TagCollector behind;
        behind.only = tag.name;
        collectBlock(b, knownState(stateAtStart, b), behind);
        read += b.length();
        pending = std::move(behind.tags);
    }
}

namespace {

// The tags of one line, read backward from its end: where each starts, its name as written and
// how it ends. A tag begun on a line above ends on this one at `endOfTagAbove`.
class LineTags : public HtmlTokenSink {
public:
    struct Tag {
        int start = 0;
        QStringView name;
        bool closing = false;
        bool selfClosing = false;
        bool ended = false;
    };
    explicit LineTags(QStringView text) : m_text(text) {}
    void token(int start, int length, HtmlToken kind) override {
        const QStringView piece = m_text.mid(start, length);
        if (kind == HtmlToken::TagDelimiter) {
            if (piece == u"<" || piece == u"</") {
                tags.push_back({start, {}, piece == u"</"});
                m_open = int(tags.size()) - 1;
            } else if (piece == u">" || piece == u"/>") {
                if (m_open >= 0) {
                    tags[size_t(m_open)].selfClosing = piece == u"/>";
                    tags[size_t(m_open)].ended = true;
                    m_open = -1;
                } else if (endOfTagAbove.isEmpty()) {
                    endOfTagAbove = piece;
                }
            }
        } else if (kind == HtmlToken::TagName && m_open >= 0 &&
                   tags[size_t(m_open)].name.isEmpty()) {
            tags[size_t(m_open)].name = piece;
        }
    }
    std::vector<Tag> tags;
    QStringView endOfTagAbove;

private:
    QStringView m_text;
    int m_open = -1;
};

// End tags met, by name, not yet paired with a start tag further back.
class PendingEnds {
public:
    void add(QStringView name) {
        for (auto& [n, count] : m_counts) {
            if (name.compare(n, Qt::CaseInsensitive) == 0) {
                ++count;
                return;
            }
        }
        m_counts.push_back({name.toString(), 1});
    }
    // Pairs a start tag with one of them; false when none is left for its name.
    bool take(QStringView name) {
        for (auto& [n, count] : m_counts) {
            if (count > 0 && name.compare(n, Qt::CaseInsensitive) == 0) {
                --count;
                return true;
            }
        }
        return false;
    }

private:
    std::vector<std::pair<QString, int>> m_counts;
};

bool insideTag(int state) {
    const HtmlPlace place = HtmlLexer::placeOf(state);
    return place == HtmlPlace::TagAttributes || place == HtmlPlace::AttributeValue;
}

} // namespace

OpenElement openElementAt(const QTextDocument& document, int position,
                          const std::function<int(const QTextBlock&)>& stateAtStart, int budget) {
    OpenElement result;
    QTextBlock block = document.findBlock(position);
    PendingEnds ends;
    // How the tag left open at the end of the line above the one being read ends: ">", "/>" or,
    // while unknown, nothing.
    QString endBelow;
    int read = 0;
    for (bool first = true; block.isValid() && read <= budget; first = false) {
        const QString whole = block.text();
        const QStringView text = first ? QStringView(whole).first(std::clamp(
                                             position - block.position(), 0, int(whole.size())))
                                       : QStringView(whole);
        const int state = knownState(stateAtStart, block);
        LineTags line(text);
        HtmlLexer::lexLine(text, state, &line);
        read += int(text.size()) + 1;
        if (!line.tags.empty() && !line.tags.back().ended && !endBelow.isEmpty())
            line.tags.back().selfClosing = endBelow == u"/>";
        for (auto t = line.tags.rbegin(); t != line.tags.rend(); ++t) {
            if (t->name.isEmpty())
                continue;
            if (t->closing) {
                ends.add(t->name);
            } else if (!t->selfClosing && !isVoidElementName(t->name) && !ends.take(t->name)) {
                result.name = t->name.toString();
                result.start = block.position() + t->start;
                return result;
            }
        }
        if (insideTag(state)) {
            if (!line.endOfTagAbove.isEmpty())
                endBelow = line.endOfTagAbove.toString();
        } else {
            endBelow.clear();
        }
        block = block.previous();
    }
    return result;
}
