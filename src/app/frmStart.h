#pragma once

#include <QWidget>

class Host;
class QLabel;
class QTimer;
class frmEdit;
struct ProgramState;

// The splash window: shown first; its one-shot timer loads and shows the main window, then the
// splash unloads itself.
class frmStart : public QWidget {
    Q_OBJECT
public:
    frmStart(ProgramState& state, Host& host, QWidget* parent = nullptr);

    // Form_Load: show, then start the timer.
    void Form_Load();
    void Timer1_Timer();

    frmEdit* mainWindow() const { return m_main; }

signals:
    // Emitted once the main window exists, before its start-up sequence runs.
    void mainWindowCreated(frmEdit* window);

private:
    ProgramState& m_state;
    Host& m_host;
    QLabel* m_label;
    QTimer* m_timer;
    frmEdit* m_main = nullptr;
};
