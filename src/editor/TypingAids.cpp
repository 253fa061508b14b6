#include "TypingAids.h"

#include "ClosingTag.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <utility>

namespace {

bool startsOrGoesOnInName(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
           u == u'-' || u == u'_' || u == u':' || u == u'.';
}

// A list is worth showing while it offers more than the name already typed out.
bool worthShowing(const SuggestionPlace& place, const QList<Suggestion>& items) {
    return !items.isEmpty() &&
           !(items.size() == 1 && items[0].text.compare(place.typed, Qt::CaseInsensitive) == 0);
}

} // namespace

TypingAids::TypingAids(QPlainTextEdit* edit, StateAtStart stateAtStart)
    : QObject(edit), m_edit(edit), m_stateAtStart(std::move(stateAtStart)) {}

TypingAids::~TypingAids() = default;

bool TypingAids::listOpen() const {
    return m_list && m_list->isVisible();
}

bool TypingAids::composing() const {
    const QTextLayout* layout = m_edit->textCursor().block().layout();
    return layout && !layout->preeditAreaText().isEmpty();
}

bool TypingAids::answersKey(const QKeyEvent* event) {
    return listKey(event) || completionKey(event);
}

bool TypingAids::completionKey(const QKeyEvent* event) {
    if (m_completed.isEmpty())
        return false;
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_CapsLock:
        return false; // a capital or a sign on its way
    default:
        break;
    }
    const QString rest = std::exchange(m_completed, QString());
    const QTextCursor cursor = m_edit->textCursor();
    const QString typed = event->text();
    const Qt::KeyboardModifiers other =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (typed.size() != 1 || other != Qt::NoModifier || cursor.hasSelection() ||
        cursor.position() != m_completedEnd)
        return false;
    QTextCursor added(m_edit->document());
    added.setPosition(m_completedEnd - int(rest.size()));
    added.setPosition(m_completedEnd, QTextCursor::KeepAnchor);
    if (added.selectedText() != rest)
        return false;
    const QChar c = typed.at(0);
    if (c.toLower() == rest.at(0).toLower()) {
        // Typed over: the text already holds it.
        m_completed = rest.mid(1);
        return true;
    }
    if (startsOrGoesOnInName(c)) {
        // Another name: what was added gives way to it.
        const auto edit = [&] {
            added.removeSelectedText();
            m_edit->setTextCursor(added);
        };
        if (m_scope)
            m_scope(edit);
        else
            edit();
    }
    return false;
}

bool TypingAids::listKey(const QKeyEvent* event) {
    if (!listOpen())
        return false;
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Down:
        m_list->moveChoice(1);
        return true;
    case Qt::Key_Up:
        m_list->moveChoice(-1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
        take(m_list->chosenRow());
        return true;
    case Qt::Key_Escape:
        m_dismissedAt = m_place.wordStart;
        closeList();
        return true;
    default:
        return false;
    }
}

void TypingAids::afterTypedKey(const QKeyEvent* event) {
    const QString typed = event->text();
    if (typed.size() != 1 || listOpen())
        return;
    const QChar c = typed.at(0);
    if (!startsOrGoesOnInName(c))
        m_dismissedAt = -1;
    if (c != u'/' && !(c.unicode() < 128 && c.isLetter()))
        return;
    QTextCursor cursor = m_edit->textCursor();
    const int caret = cursor.position();
    // Only a key that typed its character, outside a composition, counts.
    if (cursor.hasSelection() || m_edit->document()->characterAt(caret - 1) != c || composing())
        return;
    if (c == u'/') {
        const QString completion = closingTagAt(*m_edit->document(), caret, m_stateAtStart);
        if (!completion.isEmpty()) {
            cursor.insertText(completion);
            m_edit->setTextCursor(cursor);
            m_completed = completion;
            m_completedEnd = cursor.position();
        }
        return;
    }
    const SuggestionPlace place = suggestionPlaceAt(*m_edit->document(), caret, m_stateAtStart);
    if (place.kind == SuggestionPlace::None || place.wordStart == m_dismissedAt)
        return;
    m_dismissedAt = -1;
    const QList<Suggestion> items = suggestionsFor(place);
    if (worthShowing(place, items))
        openList(place, items);
}

void TypingAids::openList(const SuggestionPlace& where, const QList<Suggestion>& items) {
    if (!m_list) {
        m_list = new SuggestionList(m_edit->viewport());
        connect(m_list, &SuggestionList::rowClicked, this, &TypingAids::take);
    }
    m_place = where;
    applyColors();
    m_list->model().setSuggestions({});
    m_list->setSuggestions(items);
    place();
    // While the list is open it follows the caret and the view; it closes when the caret leaves
    // the name or the view, or the pane loses the focus.
    m_followCaret =
        connect(m_edit, &QPlainTextEdit::cursorPositionChanged, this, &TypingAids::follow);
    m_followView = connect(m_edit->verticalScrollBar(), &QScrollBar::valueChanged, this,
                           &TypingAids::viewMoved);
    m_edit->installEventFilter(this);
    m_edit->viewport()->installEventFilter(this);
}

void TypingAids::closeList() {
    if (!m_list || m_list->isHidden())
        return;
    m_list->hide();
    disconnect(m_followCaret);
    disconnect(m_followView);
    m_edit->removeEventFilter(this);
    m_edit->viewport()->removeEventFilter(this);
}

void TypingAids::compositionChanged() {
    if (composing())
        closeList();
}

void TypingAids::follow() {
    const QTextCursor cursor = m_edit->textCursor();
    if (cursor.hasSelection() || composing()) {
        closeList();
        return;
    }
    const SuggestionPlace now =
        suggestionPlaceAt(*m_edit->document(), cursor.position(), m_stateAtStart);
    const QList<Suggestion> items = now.kind == m_place.kind && now.wordStart == m_place.wordStart
                                        ? suggestionsFor(now)
                                        : QList<Suggestion>();
    if (!worthShowing(now, items)) {
        closeList();
        return;
    }
    m_place = now;
    m_list->setSuggestions(items);
    place();
}

void TypingAids::viewMoved() {
    if (m_edit->viewport()->rect().contains(m_edit->cursorRect()))
        place();
    else
        closeList();
}

void TypingAids::place() {
    QTextCursor start(m_edit->document());
    start.setPosition(m_place.wordStart);
    const QRect caret = m_edit->cursorRect();
    const QRect word = m_edit->cursorRect(start);
    // Under the name's first letter when it stands on the caret's display line.
    const int left = word.top() == caret.top() ? word.left() : caret.left();
    m_list->showUnder(QRect(QPoint(left, caret.top()), QPoint(left, caret.bottom())));
}

void TypingAids::take(int row) {
    if (!listOpen() || row < 0 || row >= m_list->model().rowCount())
        return;
    const QString name = m_list->model().suggestions().at(row).text;
    const int from = m_place.wordStart;
    closeList();
    const auto edit = [&] {
        QTextCursor cursor = m_edit->textCursor();
        const int to = cursor.position();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        cursor.insertText(name);
        m_edit->setTextCursor(cursor);
    };
    if (m_scope)
        m_scope(edit);
    else
        edit();
}

void TypingAids::applyColors() {
    const QColor background = m_edit->palette().color(QPalette::Base);
    if (background != m_colorsFrom) {
        m_colorsFrom = background;
        m_colors = deriveHighlightColors(background);
    }
    const QColor name = m_place.kind == SuggestionPlace::Element     ? m_colors.tag
                        : m_place.kind == SuggestionPlace::Attribute ? m_colors.attributeName
                                                                     : m_colors.attributeValue;
    // The pane's own colours, the chosen row marked as the tag marks are, every name at 4.5:1
    // or better on both.
    QPalette palette = m_edit->palette();
    palette.setColor(QPalette::Base, m_colors.background);
    palette.setColor(QPalette::Highlight, m_colors.matchedTag);
    palette.setColor(QPalette::HighlightedText, name);
    m_list->setPalette(palette);
    m_list->model().setColors(name, m_colors.lineNumber);
}

bool TypingAids::eventFilter(QObject* watched, QEvent* event) {
    // The list lives on the viewport; asking the pane for it here would read a pane that may be
    // half destroyed already.
    if ((watched == m_edit && event->type() == QEvent::FocusOut) ||
        (event->type() == QEvent::Resize && m_list && watched == m_list->parentWidget()))
        closeList();
    return QObject::eventFilter(watched, event);
}
