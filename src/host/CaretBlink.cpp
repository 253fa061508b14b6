#include "CaretBlink.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>

namespace {

// What a user does that moves or wants the caret.
bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride: // a key some shortcut takes never arrives as a key press
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
    case QEvent::FocusIn:
        return true;
    default:
        return false;
    }
}

} // namespace

CaretBlinkTimeout::CaretBlinkTimeout(std::chrono::milliseconds idle, QObject* parent)
    : QObject(parent), m_idleTime(idle) {
    m_idle.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this, &CaretBlinkTimeout::onIdle);
    QCoreApplication::instance()->installEventFilter(this);
    m_lastInput.start();
    m_idle.start(m_idleTime);
}

CaretBlinkTimeout::~CaretBlinkTimeout() {
    resume();
}

bool CaretBlinkTimeout::eventFilter(QObject* watched, QEvent* event) {
    if (isUserInput(event->type())) {
        // Each key only reads the clock; the timer, when it fires, looks at it.
        m_lastInput.start();
        // Before the widget sees the event, so a text box that gains the focus now starts with
        // the desktop's blink.
        resume();
        if (!m_idle.isActive())
            m_idle.start(m_idleTime);
    }
    return QObject::eventFilter(watched, event);
}

void CaretBlinkTimeout::onIdle() {
    const auto quiet = std::chrono::milliseconds(m_lastInput.elapsed());
    if (quiet < m_idleTime)
        m_idle.start(m_idleTime - quiet);
    else
        pause();
}

void CaretBlinkTimeout::pause() {
    QStyleHints* hints = QGuiApplication::styleHints();
    if (hints->cursorFlashTime() <= 0)
        return;
    m_paused = true;
    // No flash time: every text box stops its blink timer and shows its caret.
    hints->setCursorFlashTime(0);
}

void CaretBlinkTimeout::resume() {
    if (!m_paused)
        return;
    m_paused = false;
    // Back to the desktop's own flash time; every text box with a caret starts blinking again.
    QGuiApplication::styleHints()->setCursorFlashTime(-1);
}
