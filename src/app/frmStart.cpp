#include "frmStart.h"

#include "StartupTrace.h"
#include "frmEdit.h"
#include "host/BrowserPane.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

frmStart::frmStart(ProgramState& state, Host& host, QWidget* parent)
    : QWidget(parent), m_state(state), m_host(host) {
    setObjectName(QStringLiteral("frmStart"));
    setWindowTitle(QStringLiteral("Tagloom"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    m_label = new QLabel(QStringLiteral("プログラムロード中・・・"), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setAlignment(Qt::AlignCenter);
    QFont font = m_label->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    m_label->setFont(font);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(48, 32, 48, 32);
    layout->addWidget(m_label);
    setFixedSize(sizeHint().expandedTo(QSize(360, 120)));
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(250);
    connect(m_timer, &QTimer::timeout, this, &frmStart::Timer1_Timer);
}

void frmStart::Form_Load() {
    show();
    traceStartup("splash");
    m_timer->start();
    // The splash waits anyway: start the browser engine meanwhile, once the splash is drawn.
    QTimer::singleShot(0, this, [] { BrowserPane::warmUp(); });
}

void frmStart::Timer1_Timer() {
    m_timer->stop();
    traceStartup("timer");
    // The main window outlives the splash; it is deleted when the program ends.
    m_main = new frmEdit(m_state, m_host);
    emit mainWindowCreated(m_main);
    m_main->Form_Load();
    m_main->show();
    traceStartup("main");
    close();
}
