#pragma once

#include "PageCheck.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QThread;

// Runs page checks away from the user-interface thread, one at a time. A check of newer text
// calls off the one still running; the newer one starts as soon as the older has stopped. The
// result comes back on the user-interface thread with the revision its text was taken at.
class PageChecker : public QObject {
    Q_OBJECT
public:
    explicit PageChecker(QObject* parent = nullptr);
    ~PageChecker() override;

    // Checks `rawText`, a copy of the pane's raw text taken at `revision`.
    void start(const QString& rawText, quint64 revision);
    // Calls off the running check and any waiting one; no result follows for them.
    void cancel();
    bool busy() const { return m_running != nullptr; }

signals:
    void finished(const PageCheckResult& result, quint64 revision);

private:
    struct Run;
    void launch(const QString& rawText, quint64 revision);
    void onRunEnded(const std::shared_ptr<Run>& run, const PageCheckResult& result);

    std::shared_ptr<Run> m_running;
    QPointer<QThread> m_thread;
    bool m_waiting = false;
    QString m_waitingText;
    quint64 m_waitingRevision = 0;
};
