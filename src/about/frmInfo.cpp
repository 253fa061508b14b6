#include "frmInfo.h"

#include "document/Preview.h"
#include "host/Host.h"
#include "host/LinkLabel.h"
#include "host/NamedWidgets.h"
#include "state/ProgramState.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

QString encoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

frmInfo::frmInfo(ProgramState& state, Host& host, Preview& preview, QString scriptAddress,
                 QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_state(state),
      m_host(host), m_preview(preview), m_script(std::move(scriptAddress)) {
    setObjectName(u"frmInfo"_s);
    setWindowTitle(u"バグ報告/感想/要望を書く"_s);
    setModal(true);

    txtName = new QLineEdit(this);
    txtName->setObjectName(u"txtName"_s);
    txtName->setMaxLength(kNameLimit);
    txtURL = new QLineEdit(this);
    txtURL->setObjectName(u"txtURL"_s);
    txtS = new QPlainTextEdit(this);
    txtS->setObjectName(u"txtS"_s);
    txtS->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtS->setTabChangesFocus(true);
    txtS->setMinimumHeight(140);

    Frame1 = new QGroupBox(u"説明"_s, this);
    Frame1->setObjectName(u"Frame1"_s);
    Label3 = namedLabel(u"Label3"_s,
                        u"インターネット上のサポート掲示板にこのフォームを使って書き込むことが出来"
                        u"ます。　どんなことでも結構ですのでご協力お願いします。結果はプレビュー欄"
                        u"に表示されます。"_s,
                        Frame1);
    Label3->setWordWrap(true);
    Label5 = new LinkLabel(u"今までの書き込みを読む"_s, Frame1);
    Label5->setObjectName(u"Label5"_s);
    auto* explanation = new QVBoxLayout(Frame1);
    explanation->addWidget(Label3);
    explanation->addWidget(Label5, 0, Qt::AlignRight);

    // No default button: Enter in a field must not post the form (see keyPressEvent).
    cmdSend = namedButton(u"cmdSend"_s, u"書き込む"_s, this);
    Command1 = namedButton(u"Command1"_s, u"やめる"_s, this);

    auto* grid = new QGridLayout;
    grid->addWidget(namedLabel(u"Label1"_s, u"名前："_s, this), 0, 0);
    grid->addWidget(txtName, 0, 1);
    grid->addWidget(namedLabel(u"Label4"_s, u"URL（入力しなくてもよい）："_s, this), 1, 0);
    grid->addWidget(txtURL, 1, 1);
    grid->addWidget(namedLabel(u"Label2"_s, u"本文："_s, this), 2, 0, Qt::AlignTop);
    grid->addWidget(txtS, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSend);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    setMinimumWidth(520);

    setTabOrder(txtName, txtURL);
    setTabOrder(txtURL, txtS);
    setTabOrder(txtS, cmdSend);
    setTabOrder(cmdSend, Command1);

    connect(txtS->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) {
                m_changeStart = position;
                m_changeEnd = position + added;
            });
    connect(txtS, &QPlainTextEdit::textChanged, this, &frmInfo::limitMessage);
    connect(cmdSend, &QPushButton::clicked, this, &frmInfo::cmdSend_Click);
    connect(Command1, &QPushButton::clicked, this, &frmInfo::Command1_Click);
    connect(Label5, &LinkLabel::clicked, this, &frmInfo::Label5_Click);
    Form_Load();
}

void frmInfo::keyPressEvent(QKeyEvent* event) {
    // Enter moves on from a one-line field as Tab does, and presses a button that has the
    // focus; the message field keeps it as its line break.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        QWidget* focus = focusWidget();
        if (qobject_cast<QLineEdit*>(focus)) {
            focusNextChild();
            return;
        }
        if (auto* button = qobject_cast<QPushButton*>(focus)) {
            button->click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

int frmInfo::crLfLength(const QString& text) {
    // QPlainTextEdit hands back line breaks as LF; each stands for CR LF.
    return int(text.size() + text.count(u'\n') - text.count(u"\r\n"_s));
}

void frmInfo::limitMessage() {
    if (m_trimming)
        return;
    const QString text = txtS->toPlainText();
    int over = crLfLength(text) - kMessageLimit;
    if (over <= 0)
        return;
    // Only what was just added is cut, from its end, as a length-limited text box does.
    const int end = std::clamp(m_changeEnd, 0, int(text.size()));
    const int first = std::clamp(m_changeStart, 0, end);
    int start = end;
    while (over > 0 && start > first) {
        --start;
        over -= text[start] == u'\n' ? 2 : 1;
    }
    QTextCursor cursor(txtS->document());
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    m_trimming = true;
    cursor.removeSelectedText();
    m_trimming = false;
    txtS->setTextCursor(cursor);
}

QString frmInfo::requestAddress(const QString& script, const QString& name, const QString& message,
                                const QString& url) {
    static const QRegularExpression lineBreak(u"\r\n|\r|\n"_s);
    QStringList lines;
    for (const QString& line : message.split(lineBreak))
        lines << encoded(line);
    return script + u"?name="_s + encoded(name) + u"&msg="_s + lines.join(u"<brOpe>"_s) +
           u"&url="_s + encoded(url);
}

void frmInfo::Form_Load() {
    m_state.FeedbackNavigated = false;
    m_preview.RefreshPreview();
}

void frmInfo::cmdSend_Click() {
    const QString name = txtName->text();
    const QString url = txtURL->text();
    const QString message = txtS->toPlainText();
    if (message.isEmpty() || name.isEmpty()) {
        m_host.beep();
        m_host.messageBox(u"入力が不十分です。ご確認ください。"_s, Buttons::Ok, Icon::Information,
                          u"入力不十分"_s);
        txtName->setFocus();
        return;
    }
    m_state.FeedbackNavigated = true;
    m_host.navigate(requestAddress(m_script, name, message, url));
    m_host.beep();
    m_host.messageBox(u"ご協力有難うございました！"_s, Buttons::Ok, Icon::Information, u"感謝！"_s);
    close();
}

void frmInfo::Label5_Click() {
    m_host.beep();
    m_host.navigate(readAddress(m_script));
    m_state.FeedbackNavigated = true;
    close();
}
