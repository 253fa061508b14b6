#pragma once

#include "PreviewText.h"
#include "SourceTree.h"

#include <QString>
#include <optional>
#include <vector>

class QTextDocument;

// The parse of an editor's text (the preview's text and its tree), kept up to date from the
// changes its document reports. Typing or deleting a few characters inside a run of plain text
// makes no element and takes none away: the tree stays as it was and only the positions after
// the edit move. Such edits are applied where they stand, in the order they were made; anything
// else (a tag touched, a character reference, raw text, a load) parses the whole text afresh.
class IncrementalParse {
public:
    // Notes a change as QTextDocument::contentsChange reports it, `document` already changed.
    // Costs no more than a look at the characters added.
    void noteChange(QTextDocument& document, int position, int removed, int added);
    // Brings the parse up to `document`'s text: through the changes noted since the last
    // update when each of them allows it, else by a parse of the whole text. `baseElement` and
    // `quirks` as PreviewText::build and SourceTree::parse take them.
    void update(const QTextDocument& document, const QString& baseElement,
                std::optional<bool> quirks);
    // The next update parses the whole text.
    void invalidate();

    const PreviewText& text() const { return m_text; }
    const SourceTree& tree() const { return m_tree; }

    // How the updates went: whole parses, and edits applied where they stand.
    int fullParses() const { return m_fullParses; }
    int editsApplied() const { return m_editsApplied; }

    // The largest edit applied where it stands, in characters removed or added.
    static constexpr int kMaxEdit = 64;

private:
    struct Edit {
        int position; // the editor's, before the edit
        int removed;
        int added;
        int from; // where its added characters begin in m_inserted
    };
    void reparse(const QTextDocument& document, const QString& baseElement,
                 std::optional<bool> quirks);
    // False when the edit might change more than positions; the parse is then left half done.
    bool apply(const Edit& edit);
    bool leavesTextAsIs(int position, QStringView inserted) const;
    // Whether the edit of `removed` characters at `position` (here) by `inserted` stays inside
    // a run of plain text, in such a way that no token and no flag of one changes. The piece
    // holding the character before it goes into `piece`.
    bool staysInPlainText(int position, int removed, QStringView inserted, int* piece) const;
    void drop();

    PreviewText m_text;
    SourceTree m_tree;
    bool m_parsed = false; // m_text and m_tree are a parse of the text as it was, m_edits aside
    QString m_baseElement; // of that parse
    std::optional<bool> m_quirks;
    int m_length = 0; // the editor's text length after the edits noted
    std::vector<Edit> m_edits;
    QString m_inserted; // the added characters of every edit, one after another
    int m_fullParses = 0;
    int m_editsApplied = 0;
};
