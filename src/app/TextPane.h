#pragma once

#include <QPlainTextEdit>
#include <functional>

class TypingAids;

// txtEdit: the text pane. Reports gaining and losing the focus, which start and pause the
// interval refresh of the preview.
//
// The window's menu shortcuts win over the pane's own key meanings: Ctrl+C, Ctrl+Z, Ctrl+A and
// every other key some enabled menu item claims run that item; the rest keep their usual
// meaning. Its undo is single-step: one step is the last edit (a typed run, a paste, a cut or a
// command's change), and undoing twice brings the undone change back. An end tag completed
// after "</" and a name taken from the suggestion list belong to the run they were typed in.
class TextPane : public QPlainTextEdit {
    Q_OBJECT
public:
    // What the pane's keys need of the window that owns it.
    struct KeyHooks {
        std::function<bool()> brOnEnter;                    // the BrOnEnter setting is 1
        std::function<void(const QString& menu)> popupMenu; // "mnuHTML" or "mnuUserTAGS"
    };

    explicit TextPane(QWidget* parent = nullptr);

    void setKeyHooks(KeyHooks hooks) { m_hooks = std::move(hooks); }
    // The typing aids (end tags, the suggestion list) the keys call into; the pane does not own
    // them.
    void setTypingAids(TypingAids* aids);
    // Paints over the text, just after the pane has painted `area` of its viewport from its
    // first visible block and content offset.
    using OverlayPainter =
        std::function<void(const QRect& area, const QTextBlock& first, const QPointF& offset)>;
    void setOverlayPainter(OverlayPainter painter) { m_overlayPainter = std::move(painter); }

    // Room at the left, inside the pane, for the line numbers.
    void setGutterWidth(int pixels) { setViewportMargins(pixels, 0, 0, 0); }

    // The key-down handling, before the pane itself handles the key. `shift`: 1 Shift,
    // 2 Ctrl, 4 Alt.
    void txtEdit_KeyDown(int keyCode, int shift);

    // The next Ctrl+Z to arrive is the pane's own undo key, sent by the undo command, and not
    // the menu shortcut it would otherwise be.
    void expectUndoKey() { m_expectUndoKey = true; }

    // The pane's own undo: swaps the text with its state before the last step.
    void undoLastStep();
    bool canUndo() const { return m_hasStep; }
    // After a whole-document load there is nothing to undo until the next edit.
    void forgetUndo();

signals:
    void gotFocus();
    void lostFocus();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    bool claimedByMenu(const QKeyEvent* event) const;
    void insertAtSelection(const QString& text);
    void onContentsChange(int position, int removed, int added);
    void beginTyping();
    void endTyping();

    KeyHooks m_hooks;
    TypingAids* m_aids = nullptr;
    OverlayPainter m_overlayPainter;
    bool m_expectUndoKey = false;

    // A mirror of the document's raw text (U+2029 between lines), kept by each change, so the
    // text before a step is at hand when the step begins.
    QString m_mirror;
    // The text the next undo goes back to.
    QString m_undoText;
    bool m_hasStep = false;
    bool m_restoring = false;
    // Typing: a key press or input-method commit is running. A run goes on while the caret
    // stays where the last typed key left it.
    bool m_typing = false;
    bool m_typingChanged = false;
    bool m_runOpen = false;
    int m_runCaret = -1;
    // Changes from outside typing within one pass of the event loop, such as a command that
    // first clears the selection and then inserts, are one step.
    bool m_commandStepOpen = false;
};
