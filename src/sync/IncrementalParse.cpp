#include "IncrementalParse.h"

#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

using namespace HtmlNames;

namespace {

// Edits kept between two updates before a whole parse is the cheaper way; and the characters
// of a change of formats over a whole line, compared to see that the text stayed as it was.
constexpr size_t kMaxEdits = 4096;
constexpr int kMaxCompared = 1 << 14;
constexpr qsizetype kMaxInserted = 1 << 20;

bool isSpace(char16_t c) {
    return HtmlTokenizer::isSpace(c);
}

bool isSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// A character an edit may add or take away inside a run of text: none that begins or ends
// markup or a character reference, none the tokenizer counts apart from the others (NUL and
// U+FFFD), no surrogate, whose pairing decides what the preview file holds.
bool isPlainTextChar(char16_t c) {
    return c != u'<' && c != u'>' && c != u'&' && c != 0 && c != 0xFFFD && !isSurrogate(c);
}

bool isReferenceChar(char16_t c) {
    return (c >= u'0' && c <= u'9') || ((c | 0x20) >= u'a' && (c | 0x20) <= u'z') || c == u'#' ||
           c == u';';
}

// Elements whose content the tokenizer reads otherwise than as data.
bool holdsRawContent(uint32_t name) {
    switch (name) {
    case Title:
    case Textarea:
    case Script:
    case Style:
    case Xmp:
    case Iframe:
    case Noembed:
    case Noframes:
    case Noscript:
    case Plaintext:
        return true;
    default:
        return false;
    }
}

} // namespace

void IncrementalParse::invalidate() {
    drop();
}

void IncrementalParse::drop() {
    m_parsed = false;
    m_edits.clear();
    m_inserted.clear();
}

void IncrementalParse::noteChange(QTextDocument& document, int position, int removed, int added) {
    if (!m_parsed || (removed == 0 && added == 0))
        return;
    const int length = document.characterCount() - 1;
    // A change of formats over the last line reaches past the text by the document's own
    // final separator, which no edit removes.
    if (removed == added && removed > 0 && position + removed == m_length + 1 &&
        length == m_length) {
        --removed;
        --added;
    }
    // A whole-document reset reports counts beyond the text.
    if (position < 0 || removed < 0 || added < 0 || position + removed > m_length ||
        length != m_length - removed + added) {
        drop();
        return;
    }
    // Only small edits are applied where they stand; a change of formats (as many characters
    // "added" as "removed") is kept to be compared with the text it covers.
    const int limit = removed == added ? kMaxCompared : kMaxEdit;
    if (removed > limit || added > limit || m_edits.size() >= kMaxEdits ||
        m_inserted.size() + added > kMaxInserted) {
        drop();
        return;
    }
    m_edits.push_back({position, removed, added, int(m_inserted.size())});
    if (added > 0) {
        QTextCursor cursor(&document);
        cursor.setPosition(position);
        cursor.setPosition(position + added, QTextCursor::KeepAnchor);
        m_inserted += cursor.selectedText();
        if (m_inserted.size() != m_edits.back().from + added) {
            drop();
            return;
        }
    }
    m_length = length;
}

void IncrementalParse::update(const QTextDocument& document, const QString& baseElement,
                              std::optional<bool> quirks) {
    // A change made while the document reported another goes unreported: the length tells.
    if (m_parsed && baseElement == m_baseElement && quirks == m_quirks &&
        m_length == document.characterCount() - 1) {
        bool applied = true;
        for (const Edit& edit : m_edits) {
            if (!apply(edit)) {
                applied = false;
                break;
            }
        }
        m_edits.clear();
        m_inserted.clear();
        if (applied)
            return;
    }
    reparse(document, baseElement, quirks);
}

void IncrementalParse::reparse(const QTextDocument& document, const QString& baseElement,
                               std::optional<bool> quirks) {
    const QString raw = document.toRawText();
    m_text.build(raw, baseElement);
    m_tree.parse(m_text.data(), m_text.length(), quirks);
    m_parsed = true;
    m_baseElement = baseElement;
    m_quirks = quirks;
    m_length = int(raw.size());
    m_edits.clear();
    m_inserted.clear();
    ++m_fullParses;
}

bool IncrementalParse::apply(const Edit& edit) {
    const QStringView inserted = QStringView(m_inserted).mid(edit.from, edit.added);
    const int position = m_text.fromEditor(edit.position);
    // A change of formats, or a character typed over itself.
    if (edit.removed == edit.added && leavesTextAsIs(edit.position, inserted))
        return true;
    int piece = -1;
    if (edit.removed > kMaxEdit || edit.added > kMaxEdit ||
        !staysInPlainText(position, edit.removed, inserted, &piece))
        return false;
    m_text.replace(position, edit.removed, inserted);
    m_tree.moveAfterEdit(piece, position, edit.added - edit.removed);
    ++m_editsApplied;
    return true;
}

bool IncrementalParse::leavesTextAsIs(int position, QStringView inserted) const {
    // Editor positions, read here one by one: the stretch may hold a head tag and the base
    // element after it. A lone surrogate, "?" here, does not compare equal: parsed afresh.
    const QString& text = m_text.text();
    for (qsizetype i = 0; i < inserted.size(); ++i) {
        const int at = m_text.fromEditor(position + int(i));
        if (at >= text.size() || text[at] != inserted[i])
            return false;
    }
    return true;
}

bool IncrementalParse::staysInPlainText(int position, int removed, QStringView inserted,
                                        int* piece) const {
    const QString& text = m_text.text();
    const char16_t* s = reinterpret_cast<const char16_t*>(text.utf16());
    const int n = int(text.size());
    if (position < 1 || position + removed >= n)
        return false;
    // The piece holding the character before the edit: characters that reach past the edit.
    const std::vector<SourceTree::Piece>& pieces = m_tree.pieces;
    auto it = std::upper_bound(pieces.begin(), pieces.end(), position - 1,
                               [](int p, const SourceTree::Piece& x) { return p < x.start; });
    if (it == pieces.begin())
        return false;
    --it;
    if (it->kind != SourceTree::PieceKind::Text || position - 1 >= it->end ||
        position + removed > it->end)
        return false;
    // Held by an HTML element whose content is data: not raw text, not CDATA in foreign
    // content, not text the parser drops.
    if (it->element < 0)
        return false;
    const SourceTree::Element& owner = m_tree.elements[size_t(it->element)];
    if (owner.ns != HtmlNs || holdsRawContent(owner.name))
        return false;
    // The run has a character that is neither white space nor NUL before the edit, whatever the
    // edit does: the one before it, or, when that is white space, the first of the piece, which
    // then is the run's part after its leading white space. Not "&", which may begin a reference
    // that stands for white space, nor "<" of a "</>", which reads as nothing. The character
    // before the edit is no "?" either, which may stand for a lone surrogate that an edit next
    // to it could pair, nor what could end or begin markup.
    const char16_t before = s[position - 1];
    if (isSpace(before)) {
        const char16_t first = s[it->start];
        if (isSpace(first) || !isPlainTextChar(first))
            return false;
    } else if (!isPlainTextChar(before) || before == u'/' || before == u'?') {
        return false;
    }
    if (position >= 2 && s[position - 2] == u'<')
        return false;
    // Not inside what could be a character reference: the edit could end it or lengthen it.
    int back = position - 1;
    while (back >= it->start && isReferenceChar(s[back])) {
        if (position - back > kMaxEdit)
            return false;
        --back;
    }
    if (back >= it->start && s[back] == u'&')
        return false;
    for (int i = position; i < position + removed; ++i)
        if (!isPlainTextChar(s[i]) || s[i] == u'?')
            return false;
    const char16_t after = s[position + removed];
    if (isSurrogate(after) || after == u'?')
        return false;
    for (const QChar c : inserted)
        if (!isPlainTextChar(c.unicode()))
            return false;
    *piece = int(it - pieces.begin());
    return true;
}
