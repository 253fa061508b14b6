#include "TextPane.h"

#include "editor/TypingAids.h"
#include "host/EditBuffer.h"

#include <QAction>
#include <QKeyEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {

bool isEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

int shiftState(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

// Keys whose edits belong to a typed run. Pasting and cutting are steps of their own.
bool isTypingKey(const QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo))
        return false;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Tab:
        return true;
    default:
        break;
    }
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

} // namespace

TextPane::TextPane(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("txtEdit"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The document's own undo history would keep every edit; the pane keeps one step itself.
    document()->setUndoRedoEnabled(false);
    // Tab and Shift+Tab move the focus out, which pauses the interval refresh; Ctrl+Tab types
    // a tab character.
    setTabChangesFocus(true);
    m_mirror = document()->toRawText();
    connect(document(), &QTextDocument::contentsChange, this, &TextPane::onContentsChange);
}

void TextPane::setTypingAids(TypingAids* aids) {
    m_aids = aids;
    if (m_aids) {
        m_aids->setTypingScope([this](const std::function<void()>& edit) {
            beginTyping();
            edit();
            endTyping();
        });
    }
}

void TextPane::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    if (m_overlayPainter)
        m_overlayPainter(event->rect(), firstVisibleBlock(), contentOffset());
}

bool TextPane::focusNextPrevChild(bool next) {
    // Tab takes the chosen name while the suggestion list is open.
    if (next && m_aids && m_aids->listOpen())
        return false;
    return QPlainTextEdit::focusNextPrevChild(next);
}

void TextPane::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    emit gotFocus();
}

void TextPane::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    emit lostFocus();
}

bool TextPane::claimedByMenu(const QKeyEvent* event) const {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const QKeySequence sequence(QKeyCombination(modifiers, Qt::Key(event->key())));
    for (const QAction* action : window()->findChildren<QAction*>()) {
        if (action->isEnabled() && action->shortcutContext() != Qt::WidgetShortcut &&
            action->shortcuts().contains(sequence))
            return true;
    }
    return false;
}

bool TextPane::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (m_expectUndoKey && key->matches(QKeySequence::Undo)) {
            key->accept();
            return true;
        }
        // Left unaccepted, the key goes to the menu item's shortcut instead of the pane.
        if (claimedByMenu(key)) {
            key->ignore();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

// A pasted or dropped text comes in as the buffer would put it in: a character the document
// cannot hold as one arrives as U+FFFD, not as a line break.
void TextPane::insertFromMimeData(const QMimeData* source) {
    if (source->hasText()) {
        const QString text = source->text();
        if (!EditBuffer::widgetHoldsAsIs(text)) {
            QMimeData plain;
            plain.setText(EditBuffer::heldByWidget(text));
            QPlainTextEdit::insertFromMimeData(&plain);
            return;
        }
    }
    QPlainTextEdit::insertFromMimeData(source);
}

void TextPane::insertAtSelection(const QString& text) {
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
}

void TextPane::txtEdit_KeyDown(int keyCode, int shift) {
    const bool enter = isEnterKey(keyCode);
    if (enter && m_hooks.brOnEnter && m_hooks.brOnEnter()) {
        insertAtSelection(QStringLiteral("<BR>"));
    } else if (keyCode == Qt::Key_F1 && shift == 1) {
        if (m_hooks.popupMenu)
            m_hooks.popupMenu(QStringLiteral("mnuUserTAGS"));
    } else if (keyCode == Qt::Key_F1) {
        if (m_hooks.popupMenu)
            m_hooks.popupMenu(QStringLiteral("mnuHTML"));
    }
    if (enter && shift == 1)
        insertAtSelection(QStringLiteral("<BR>"));
}

void TextPane::keyPressEvent(QKeyEvent* event) {
    // The open suggestion list answers a few keys first, and an end tag just completed is typed
    // over; every other key goes on as if they were not there.
    if (m_aids && m_aids->answersKey(event)) {
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Undo)) {
        m_expectUndoKey = false;
        undoLastStep();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Tab &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
        beginTyping();
        insertAtSelection(QStringLiteral("\t"));
        endTyping();
        event->accept();
        return;
    }
    const bool typing = isTypingKey(event);
    if (typing)
        beginTyping();
    txtEdit_KeyDown(event->key(), shiftState(event->modifiers()));
    const Qt::KeyboardModifiers lineBreakMods = Qt::ShiftModifier | Qt::ControlModifier;
    if (isEnterKey(event->key()) && (event->modifiers() & lineBreakMods)) {
        // A line break is always a new line of the document: Shift+Enter would otherwise make a
        // soft break inside the line, and Ctrl+Enter nothing at all.
        QKeyEvent plain(QEvent::KeyPress, event->key(), event->modifiers() & ~lineBreakMods,
                        QStringLiteral("\r"), event->isAutoRepeat(), event->count());
        QPlainTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
    } else {
        QPlainTextEdit::keyPressEvent(event);
    }
    if (typing) {
        if (m_aids)
            m_aids->afterTypedKey(event);
        endTyping();
    }
}

void TextPane::inputMethodEvent(QInputMethodEvent* event) {
    beginTyping();
    QPlainTextEdit::inputMethodEvent(event);
    endTyping();
    if (m_aids)
        m_aids->compositionChanged();
}

void TextPane::beginTyping() {
    const QTextCursor cursor = textCursor();
    // A run ends where the caret was moved or a selection is typed over.
    if (m_runOpen && (cursor.position() != m_runCaret || cursor.hasSelection()))
        m_runOpen = false;
    m_typing = true;
}

void TextPane::endTyping() {
    m_typing = false;
    if (m_runOpen)
        m_runCaret = textCursor().position();
}

void TextPane::onContentsChange(int position, int removed, int added) {
    // Decide first whether a step begins, so the text before it is kept without a copy on
    // every keystroke of a run.
    if (!m_restoring) {
        if (m_typing) {
            if (!m_runOpen) {
                m_undoText = m_mirror;
                m_hasStep = true;
                m_runOpen = true;
            }
            m_commandStepOpen = false;
        } else {
            m_runOpen = false;
            if (!m_commandStepOpen) {
                m_undoText = m_mirror;
                m_hasStep = true;
                m_commandStepOpen = true;
                QTimer::singleShot(0, this, [this] { m_commandStepOpen = false; });
            }
        }
    }

    const int length = document()->characterCount() - 1;
    if (position < 0 || removed < 0 || added < 0 || position + removed > m_mirror.size() ||
        m_mirror.size() - removed + added != length) {
        // A whole-document reset reports counts beyond the text; read it afresh.
        m_mirror = document()->toRawText();
        return;
    }
    QTextCursor cursor(document());
    cursor.setPosition(position);
    cursor.setPosition(position + added, QTextCursor::KeepAnchor);
    m_mirror.replace(position, removed, cursor.selectedText());
}

void TextPane::forgetUndo() {
    m_hasStep = false;
    m_undoText.clear();
    m_runOpen = false;
    m_commandStepOpen = false;
}

void TextPane::undoLastStep() {
    if (!m_hasStep)
        return;
    const QString target = m_undoText;
    const QString current = m_mirror;
    // Replace only the part that differs, so the view keeps its place.
    const qsizetype shorter = std::min(target.size(), current.size());
    qsizetype prefix = 0;
    while (prefix < shorter && target.at(prefix) == current.at(prefix))
        ++prefix;
    if (prefix > 0 && prefix < current.size() && current.at(prefix).isLowSurrogate())
        --prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           target.at(target.size() - 1 - suffix) == current.at(current.size() - 1 - suffix))
        ++suffix;
    if (suffix > 0 && current.at(current.size() - suffix).isLowSurrogate())
        --suffix;

    QTextCursor cursor(document());
    cursor.setPosition(int(prefix));
    cursor.setPosition(int(current.size() - suffix), QTextCursor::KeepAnchor);
    const QString replacement = target.mid(prefix, target.size() - suffix - prefix);
    m_restoring = true;
    if (replacement.isEmpty())
        cursor.removeSelectedText();
    else
        cursor.insertText(replacement);
    m_restoring = false;
    setTextCursor(cursor);
    ensureCursorVisible();

    m_undoText = current;
    m_runOpen = false;
    m_commandStepOpen = false;
}
