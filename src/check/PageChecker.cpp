#include "PageChecker.h"

#include <QThread>
#include <mutex>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Tidy's parser recurses once per nesting level; the depth it is given is bounded, and this
// leaves it room to spare.
constexpr uint kStackBytes = 64u << 20;

} // namespace

// What one check shares between its thread and the checker, which may be gone by the time the
// check ends: the result is then dropped.
struct PageChecker::Run {
    std::atomic<bool> cancel{false};
    std::mutex mutex;
    PageChecker* receiver = nullptr;
    bool wanted = true;
};

PageChecker::PageChecker(QObject* parent) : QObject(parent) {}

PageChecker::~PageChecker() {
    m_waiting = false;
    if (!m_running)
        return;
    {
        std::lock_guard lock(m_running->mutex);
        m_running->receiver = nullptr;
    }
    m_running->cancel = true;
    // A called-off check stops at Tidy's next allocation; one that does not stop promptly is
    // left to end by itself, holding nothing of ours.
    if (m_thread)
        m_thread->wait(1000);
}

void PageChecker::start(const QString& rawText, quint64 revision) {
    if (!m_running) {
        launch(rawText, revision);
        return;
    }
    m_running->wanted = false;
    m_running->cancel = true;
    m_waiting = true;
    m_waitingText = rawText;
    m_waitingRevision = revision;
}

void PageChecker::cancel() {
    m_waiting = false;
    m_waitingText.clear();
    if (m_running) {
        m_running->wanted = false;
        m_running->cancel = true;
    }
}

void PageChecker::launch(const QString& rawText, quint64 revision) {
    auto run = std::make_shared<Run>();
    run->receiver = this;
    m_running = run;
    QThread* thread = QThread::create([run, rawText, revision] {
        // The pane's own thread goes first when both want the processor. (Thread priorities
        // mean nothing to Linux's default scheduler; a thread's niceness does.)
        setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 10);
        PageCheckResult result = checkPage(rawText, &run->cancel);
        std::lock_guard lock(run->mutex);
        if (!run->receiver)
            return;
        PageChecker* receiver = run->receiver;
        QMetaObject::invokeMethod(
            receiver,
            [receiver, run, result = std::move(result), revision]() mutable {
                if (run->wanted && !result.cancelled)
                    emit receiver->finished(result, revision);
                receiver->onRunEnded(run, result);
            },
            Qt::QueuedConnection);
    });
    thread->setObjectName(QStringLiteral("PageCheck"));
    thread->setStackSize(kStackBytes);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    m_thread = thread;
    thread->start();
}

void PageChecker::onRunEnded(const std::shared_ptr<Run>& run, const PageCheckResult&) {
    if (run != m_running)
        return;
    m_running.reset();
    m_thread.clear();
    if (m_waiting) {
        m_waiting = false;
        launch(std::exchange(m_waitingText, QString()), m_waitingRevision);
    }
}
