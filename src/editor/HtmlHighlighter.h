#pragma once

#include "HighlightColors.h"
#include "LineMarks.h"

#include <QObject>
#include <QTextBlock>
#include <QTextCharFormat>
#include <array>

class QPlainTextEdit;
class QTimer;

// Colours the HTML source in a plain text pane. The lexer's state at the end of each line is
// kept with the line (QTextBlock::userState); the colours themselves are laid on a line only
// when it is about to be painted, so opening a huge document costs no more than the screen it
// shows. The states of the lines below the screen are worked out in short idle slices, so a
// later jump to them is quick. Colours are layout formats, never part of the text: the text,
// its positions and its undo step do not know the highlighter is there.
class HtmlHighlighter : public QObject {
    Q_OBJECT
public:
    explicit HtmlHighlighter(QPlainTextEdit* edit);
    ~HtmlHighlighter() override;

    void setColors(const HighlightColors& colors);

    // Layers of marks laid on each painted line with its colours. A layer whose marks change calls
    // marksChanged(); the lines are laid afresh when they are next painted.
    void addMarkLayer(LineMarkLayer* layer);
    void removeMarkLayer(LineMarkLayer* layer);
    void marksChanged();

    // The lexer's state at the start of `block`, or -1 while it is not yet known.
    int stateAtStart(const QTextBlock& block) const;

    // Colours the lines now on screen (painting does this by itself).
    void formatVisible();
    // Colours the lines from `first` to `last` block numbers, working out the states up to them.
    void formatBlocks(int first, int last);
    // Whether every line's state is known; idle slices get there on their own.
    bool statesComplete() const;
    // Works out every line's state at once (tests).
    void completeStates();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onContentsChange(int position, int removed, int added);
    // Lexes up to and including block `last` (stopping early once `deadline` has passed).
    void lexUpTo(int last, qint64 deadlineNs = -1);
    void formatBlock(const QTextBlock& block);
    void idleSlice();
    void scheduleIdle();

    QPlainTextEdit* m_edit;
    QTimer* m_idle;
    HighlightColors m_colors;
    std::array<QTextCharFormat, 11> m_formats;
    QList<LineMarkLayer*> m_layers;
    int m_generation = 0;
    int m_blockCount = 1;
    // Blocks before this one hold their true end state.
    int m_validBlocks = 0;
    // After an edit, the blocks from m_resumeFrom up to m_resumeTo still hold the states of one
    // unbroken pass; when the lexer reaches m_resumeFrom in the state that pass saw, it may skip
    // to m_resumeTo.
    int m_resumeFrom = -1;
    int m_resumeTo = -1;
    bool m_formatting = false;
};
