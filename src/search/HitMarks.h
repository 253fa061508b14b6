#pragma once

#include "editor/LineMarks.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

class EditBuffer;
class HtmlHighlighter;
class QTimer;
class SourceView;

// The hits of the search dialog's target in the whole document, counted a short pause after the
// target, its check boxes or the text last changed, and marked on the lines the pane paints.
// A regular-expression count runs in slices, so the window keeps answering while it runs; once it
// is done nothing runs until something changes again.
class HitMarks : public QObject, public LineMarkLayer {
    Q_OBJECT
public:
    struct Query {
        QString target; // CR LF line breaks, as the field holds it
        bool regex = false;
        bool ignoreCase = false;
        bool operator==(const Query&) const = default;
    };
    // A hit in pane positions, [start, end).
    struct Span {
        int start;
        int end;
    };

    // `view` may be null: the count alone, without marks.
    HitMarks(EditBuffer& buffer, SourceView* view, QObject* parent = nullptr);
    ~HitMarks() override;

    void setQuery(const Query& query);
    // Runs the count that waits for its pause at once, to its end.
    void countNow();
    bool pending() const;

    // What lblCount shows: "該当：N件", "該当なし", "正規表現に誤りがあります", or nothing while
    // the target is empty; and, for a pattern at fault, the message that says why.
    const QString& label() const { return m_label; }
    const QString& detail() const { return m_detail; }
    const std::vector<Span>& hits() const { return m_hits; }
    // How many counts have begun.
    int passes() const { return m_passes; }

    void marksForLine(const QTextBlock& block, QList<QTextLayout::FormatRange>& out) override;

signals:
    void counted();

private:
    struct Run;
    struct Edit {
        int position;
        int removed;
        int added;
    };

    void onContentsChange(int position, int removed, int added);
    void recordEdit(const Edit& edit);
    void begin();
    void slice();
    void publish(std::vector<Span> hits, const QString& label, const QString& detail);
    // A position of the text the hits were counted in, for a position of the text now (`high`:
    // the far end of a stretch that was typed in), and back.
    int toCounted(int position, bool high) const;
    bool toCurrent(Span& span) const;

    EditBuffer& m_buffer;
    QPointer<SourceView> m_view;
    QPointer<HtmlHighlighter> m_highlighter;
    QTimer* m_pause;
    QTimer* m_slice;
    Query m_query;
    std::unique_ptr<Run> m_run;
    std::vector<Span> m_hits;
    // The edits since the text the hits were counted in, oldest first: until the next count
    // they carry the marks along with the text.
    std::vector<Edit> m_edits;
    QString m_label;
    QString m_detail;
    int m_passes = 0;
};
