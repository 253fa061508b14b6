#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// A named pipe for a test, with a watchman: should the code under test wait on the pipe, after
// `patience` the watchman opens its other end, writes a line and closes it, so the reader gets
// its end of file and the test fails instead of hanging. `released()` tells whether it had to.
class FifoGuard {
public:
    explicit FifoGuard(const QString& path,
                       std::chrono::milliseconds patience = std::chrono::seconds(3))
        : m_path(path.toLocal8Bit()), m_made(::mkfifo(m_path.constData(), 0600) == 0),
          m_watchman([this, patience] { watch(patience); }) {}
    ~FifoGuard() {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_watchman.join();
    }
    FifoGuard(const FifoGuard&) = delete;
    FifoGuard& operator=(const FifoGuard&) = delete;

    bool made() const { return m_made; }
    bool released() const { return m_released; }

private:
    void watch(std::chrono::milliseconds patience) {
        std::unique_lock lock(m_mutex);
        // Until the test is over, give any reader that waits a writer.
        while (!m_wake.wait_for(lock, m_released ? std::chrono::milliseconds(50) : patience,
                                [this] { return m_done; })) {
            const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
            if (fd < 0)
                continue; // nobody reads it now
            m_released = true;
            [[maybe_unused]] const ssize_t n = ::write(fd, "x\n", 2);
            ::close(fd);
        }
    }

    const QByteArray m_path;
    const bool m_made;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::atomic<bool> m_released{false};
    std::thread m_watchman;
};
