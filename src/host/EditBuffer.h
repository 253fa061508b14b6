#pragma once

#include <QObject>
#include <QString>

class QPlainTextEdit;

// The view of txtEdit that every command works on. The widget keeps one character per line
// break; commands see the text with CR LF breaks and count positions in those units, so a line
// break counts two. Mapping a position costs O(log^2 n) block look-ups and never copies the text.
class EditBuffer : public QObject {
    Q_OBJECT
public:
    explicit EditBuffer(QPlainTextEdit* edit, QObject* parent = nullptr);

    QPlainTextEdit* widget() const { return m_edit; }

    // The whole text with CR LF line breaks.
    QString text() const;
    // The widget's own text: one U+2029 between lines. Cheaper than text() on the keystroke path.
    QString rawText() const;
    // Setting the text it already holds is no change.
    void setText(const QString& text);
    // A whole-document load (a file opened, a new page, a recovered text): not an edit, so
    // afterwards there is nothing to undo.
    void loadText(const QString& text);
    int length() const;

    int selectionStart() const;
    int selectionLength() const;
    QString selectedText() const;
    // Moves the caret to `start` and selects `length` characters from there.
    void setSelection(int start, int length = 0);
    void setSelectionStart(int start) { setSelection(start, 0); }
    void setSelectionLength(int length) { setSelection(selectionStart(), length); }
    // Puts `text` in place of the selection; the caret ends after it with nothing selected.
    void replaceSelection(const QString& text);

    // "no" while a file is read into the buffer; the change handling then skips the preview.
    QString tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

    void focus();
    void repaint();

    // Position mapping between CR LF units and the widget's own positions.
    int toWidgetPosition(int position) const;
    int fromWidgetPosition(int widgetPosition) const;

    // Converts the widget's raw text (U+2029 between lines) to CR LF text.
    static QString toCrLf(const QString& raw);
    // Every line break as CR LF: a lone CR or a lone LF (a pasted answer may hold one) becomes
    // CR LF, which the widget stores as one break and the buffer counts as two.
    static QString normalizeLineBreaks(const QString& text);
    // `text` as the widget can hold it. Qt's text document takes the noncharacters U+FDD0 and
    // U+FDD1 for the bounds of its frames and would make each a line break; they are held as
    // U+FFFD instead, so that no character splits a line and every position keeps its count.
    static QString heldByWidget(const QString& text);
    // Whether the widget holds `text` as it is: it has neither of those two.
    static bool widgetHoldsAsIs(QStringView text);

signals:
    // Every change of the text: typed, pasted, undone or set by a command.
    void changed();
    // A whole-document load has replaced the text; the pane forgets its undo step.
    void loaded();

private:
    QPlainTextEdit* m_edit;
    QString m_tag;
};
