#include "frmTimer.h"

#include "host/Host.h"
#include "settings/Settings.h"
#include "settings/WholeNumber.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kTypedLimit = 2;

} // namespace

frmTimer::frmTimer(Settings& settings, Host& host, QLineEdit* txtPTimer, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_settings(settings), m_host(host), m_txtPTimer(txtPTimer) {
    setObjectName(u"frmTimer"_s);
    setWindowTitle(u"インターバル設定"_s);
    setModal(true);

    Label1 = new QLabel(u"プレビューを更新するタイミングを入力してください。"_s, this);
    Label1->setObjectName(u"Label1"_s);
    Label2 = new QLabel(u"1～60秒で入力してください："_s, this);
    Label2->setObjectName(u"Label2"_s);
    txtTimer = new QLineEdit(this);
    txtTimer->setObjectName(u"txtTimer"_s);
    txtTimer->setFixedWidth(fontMetrics().horizontalAdvance(u"00000"_s) + 12);
    Label3 = new QLabel(u"秒"_s, this);
    Label3->setObjectName(u"Label3"_s);
    Command1 = new QPushButton(u"OK"_s, this);
    Command1->setObjectName(u"Command1"_s);
    Command1->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0, 1, 4);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(txtTimer, 1, 1);
    grid->addWidget(Label3, 1, 2);
    grid->addWidget(Command1, 1, 3, Qt::AlignRight);
    grid->setColumnStretch(2, 1);

    connect(txtTimer, &QLineEdit::textEdited, this, &frmTimer::limitTyping);
    connect(Command1, &QPushButton::clicked, this, &frmTimer::Command1_Click);
    Form_Load();
}

QString frmTimer::secondsText(int milliseconds) {
    const long long ms = milliseconds;
    const long long whole = std::llabs(ms) / 1000;
    QString fraction = QString::number(std::llabs(ms) % 1000).rightJustified(3, u'0');
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    QString text = (ms < 0 ? u"-"_s : QString()) + QString::number(whole);
    if (!fraction.isEmpty())
        text += u'.' + fraction;
    return text;
}

void frmTimer::Form_Load() {
    txtTimer->setText(secondsText(m_settings.PreviewInterval));
    m_lastText = txtTimer->text();
    txtTimer->selectAll();
}

void frmTimer::limitTyping(const QString& typed) {
    // Typing may not make the field longer than the limit; deleting is always allowed.
    if (typed.size() > kTypedLimit && typed.size() > m_lastText.size()) {
        const int caret =
            std::max(0, txtTimer->cursorPosition() - int(typed.size() - m_lastText.size()));
        txtTimer->setText(m_lastText);
        txtTimer->setCursorPosition(caret);
        return;
    }
    m_lastText = typed;
}

void frmTimer::Command1_Click() {
    const QString typed = txtTimer->text();
    const double seconds = leadingNumber(typed);
    if (!(seconds >= 1 && seconds <= 60)) {
        m_host.beep();
        m_host.messageBox(u"設定値が1～60ではありません"_s, Buttons::Ok, Icon::Exclamation,
                          u"設定値不正"_s);
        txtTimer->clear();
        m_lastText.clear();
        txtTimer->setFocus();
        return;
    }
    m_settings.PreviewUpdate = 2;
    // Rounded to the nearest millisecond, halves to even (the default rounding mode).
    m_settings.PreviewInterval = int(std::nearbyint(seconds * 1000));
    if (m_txtPTimer)
        m_txtPTimer->setText(typed + u"秒"_s);
    accept();
}
