#include "KeyInjection.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

void sendUndoKey() {
    QWidget* target = QApplication::focusWidget();
    if (!target)
        return;
    const QString ctrlZ(QChar(0x1a));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier, ctrlZ);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Z, Qt::ControlModifier, ctrlZ);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
}

bool triggerShortcut(QWidget* window, const QKeySequence& sequence) {
    if (!window)
        return false;
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->isEnabled() && action->shortcuts().contains(sequence)) {
            action->trigger();
            return true;
        }
    }
    return false;
}

} // namespace

void queueInjectedKeys(QWidget* mainWindow, const QString& keys) {
    QPointer<QWidget> window = mainWindow;
    QTimer::singleShot(0, qApp, [window, keys] {
        if (keys == u"^Z") {
            sendUndoKey();
            return;
        }
        QString name = keys;
        name.remove(u'{').remove(u'}');
        const QKeySequence sequence(name);
        if (!triggerShortcut(QApplication::activeWindow(), sequence) &&
            QApplication::activeWindow() != window.data())
            triggerShortcut(window, sequence);
    });
}
