#include "PaneEdits.h"

#include "host/EditBuffer.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

QString withEditsMade(QStringView text, const std::vector<HitEdit>& edits,
                      QStringView replacements) {
    qsizetype size = text.size();
    for (const HitEdit& e : edits)
        size += e.withLength - e.length;
    QString out;
    out.reserve(size);
    qsizetype from = 0;
    for (const HitEdit& e : edits) {
        out.append(text.mid(from, e.start - from));
        out.append(replacements.mid(e.with, e.withLength));
        from = e.start + e.length;
    }
    out.append(text.mid(from));
    return out;
}

// The pane builds every line it is given anew, the bulk of the cost; so few hits among many lines
// are edited one by one, a crowd of hits in part of the text is set as that stretch, and hits all
// over the text set it whole, which the pane takes in fastest.
void replaceHits(EditBuffer& buffer, QStringView raw, const std::vector<HitEdit>& edits,
                 QStringView replacements, const QString* whole) {
    if (edits.empty())
        return;
    QTextDocument* doc = buffer.widget()->document();
    const qsizetype first = edits.front().start;
    const qsizetype last = edits.back().start + edits.back().length;
    const int lines =
        doc->findBlock(int(last)).blockNumber() - doc->findBlock(int(first)).blockNumber() + 1;
    const qsizetype hits = qsizetype(edits.size());
    if (lines * 2 > doc->blockCount() && hits * 2 >= lines) {
        buffer.widget()->setPlainText(whole ? *whole : withEditsMade(raw, edits, replacements));
        return;
    }
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    if (hits * 2 < lines) {
        // From the last hit back, so that the positions still to come hold.
        for (auto e = edits.rbegin(); e != edits.rend(); ++e) {
            cursor.setPosition(int(e->start));
            cursor.setPosition(int(e->start + e->length), QTextCursor::KeepAnchor);
            cursor.insertText(replacements.mid(e->with, e->withLength).toString());
        }
    } else if (whole) {
        const qsizetype from = edits.front().with;
        const qsizetype to = edits.back().with + edits.back().withLength;
        cursor.setPosition(int(first));
        cursor.setPosition(int(last), QTextCursor::KeepAnchor);
        cursor.insertText(whole->mid(from, to - from));
    } else {
        std::vector<HitEdit> inStretch(edits);
        for (HitEdit& e : inStretch)
            e.start -= first;
        cursor.setPosition(int(first));
        cursor.setPosition(int(last), QTextCursor::KeepAnchor);
        cursor.insertText(withEditsMade(raw.mid(first, last - first), inStretch, replacements));
    }
    cursor.endEditBlock();
}
