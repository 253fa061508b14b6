#pragma once

#include "HighlightColors.h"
#include "Suggestions.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QKeyEvent;
class QPlainTextEdit;
class QTextBlock;

// Help while HTML is typed into the source pane: the end tag's name and ">" added after "</",
// and a list of the element, attribute and value names that begin with what is being typed.
// The pane calls it from its own key handling. While the list is closed it answers no key; it
// only looks at a key the pane has just typed.
class TypingAids : public QObject {
    Q_OBJECT
public:
    using StateAtStart = std::function<int(const QTextBlock&)>;
    // Runs an edit as part of the pane's run of typing, so one undo takes it back together with
    // the keys typed before it.
    using TypingScope = std::function<void(const std::function<void()>&)>;

    // `stateAtStart` gives the lexer's state at a line's start, -1 while it is not known.
    TypingAids(QPlainTextEdit* edit, StateAtStart stateAtStart);
    ~TypingAids() override;

    void setTypingScope(TypingScope scope) { m_scope = std::move(scope); }

    bool listOpen() const;
    // The list; null until it first opens.
    SuggestionList* list() const { return m_list; }
    // Called with every key before the pane handles it; true when the aids took the key. The
    // open list answers Down and Up (move in it), Enter and Tab (take the chosen name) and Escape
    // (close it). Right after an end tag was completed, typing its name and ">" on goes over
    // what was added instead of doubling it, and a letter of another name takes its place.
    bool answersKey(const QKeyEvent* event);
    // After the pane has typed `event`, within the key's typing: adds the end tag's name after
    // "</" and opens the list after the first letter of a name.
    void afterTypedKey(const QKeyEvent* event);
    // The input method's composition changed: the list closes while one runs.
    void compositionChanged();
    void closeList();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool listKey(const QKeyEvent* event);
    bool completionKey(const QKeyEvent* event);
    bool composing() const;
    void openList(const SuggestionPlace& place, const QList<Suggestion>& items);
    void follow();
    void viewMoved();
    void place();
    void take(int row);
    void applyColors();

    QPlainTextEdit* m_edit;
    StateAtStart m_stateAtStart;
    TypingScope m_scope;
    QPointer<SuggestionList> m_list;
    SuggestionPlace m_place;
    // Where the name began whose list Escape closed: it stays closed for that name.
    int m_dismissedAt = -1;
    // What of the last completed end tag has not been typed over yet, and the caret after it.
    QString m_completed;
    int m_completedEnd = -1;
    QColor m_colorsFrom;
    HighlightColors m_colors;
    QMetaObject::Connection m_followCaret;
    QMetaObject::Connection m_followView;
};
