#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>

// Stops the caret blinking after a while without input, as desktops do to save power. In a
// window that holds the browser pane every blink has the whole window composed afresh, which
// without a graphics card costs a few percent of a core for as long as the window stays open.
// The caret is left shown; the next key, click or focus change anywhere in the program starts
// the blink again, at the desktop's own pace.
class CaretBlinkTimeout : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kDefaultIdle{10'000};

    // Watches the application's input from now on.
    explicit CaretBlinkTimeout(std::chrono::milliseconds idle = kDefaultIdle,
                               QObject* parent = nullptr);
    ~CaretBlinkTimeout() override;

    bool isPaused() const { return m_paused; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onIdle();
    void pause();
    void resume();

    std::chrono::milliseconds m_idleTime;
    QElapsedTimer m_lastInput;
    QTimer m_idle;
    bool m_paused = false;
};
