#include "frmTAG.h"

#include "UserTagStore.h"
#include "host/Host.h"
#include "host/LinkLabel.h"
#include "host/NamedWidgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kError = u"エラー"_s;

QLineEdit* namedField(const QString& name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMinimumWidth(320);
    return e;
}

// A comma would start a new field and a line break a new record: tags.dat has no quoting.
bool wouldBreakRecord(const QString& text) {
    return text.contains(u',') || text.contains(u'\r') || text.contains(u'\n');
}

} // namespace

frmTAG::frmTAG(UserTagStore& store, Host& host, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_store(store),
      m_host(host) {
    setObjectName(u"frmTAG"_s);
    setWindowTitle(u"タグ登録"_s);
    setModal(true);

    Label1 = namedLabel(u"Label1"_s,
                        u"タグを登録できます。　登録したいタグを下に入力してください。"_s, this);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(u"Frame1"_s);
    auto* grid = new QGridLayout(Frame1);
    Label2 = namedLabel(u"Label2"_s, u"タグ名："_s, Frame1);
    txtTAGname = namedField(u"txtTAGname"_s, Frame1);
    lblST = namedLabel(u"lblST"_s, u"開始タグ："_s, Frame1);
    txtST = namedField(u"txtST"_s, Frame1);
    lblET = namedLabel(u"lblET"_s, u"終了タグ："_s, Frame1);
    txtET = namedField(u"txtET"_s, Frame1);
    chkET = new QCheckBox(u"今から登録するタグは終了タグが無い"_s, Frame1);
    chkET->setObjectName(u"chkET"_s);
    grid->addWidget(Label2, 0, 0);
    grid->addWidget(txtTAGname, 0, 1);
    grid->addWidget(lblST, 1, 0);
    grid->addWidget(txtST, 1, 1);
    grid->addWidget(lblET, 2, 0);
    grid->addWidget(txtET, 2, 1);
    grid->addWidget(chkET, 3, 1);

    Label3 = new LinkLabel(u"Label3"_s, u"ショートカットキーを割り当てる"_s, this);
    Label4 = new LinkLabel(u"Label4"_s, u"説明を見る"_s, this);
    cmdTAGset = namedButton(u"cmdTAGset"_s, u"登録する"_s, this);
    Command1 = namedButton(u"Command1"_s, u"やめる"_s, this);

    auto* links = new QHBoxLayout;
    links->addWidget(Label3);
    links->addSpacing(16);
    links->addWidget(Label4);
    links->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdTAGset);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Frame1);
    layout->addLayout(links);
    layout->addLayout(buttons);

    setTabOrder(txtTAGname, txtST);
    setTabOrder(txtST, txtET);
    setTabOrder(txtET, chkET);
    setTabOrder(chkET, cmdTAGset);
    setTabOrder(cmdTAGset, Command1);
    txtTAGname->setFocus();

    connect(chkET, &QCheckBox::clicked, this, [this] { chkET_Click(); });
    connect(Label3, &LinkLabel::clicked, this, [this] { Label3_Click(); });
    connect(Label4, &LinkLabel::clicked, this, [this] { Label4_Click(); });
    connect(cmdTAGset, &QPushButton::clicked, this, [this] { cmdTAGset_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    Form_Load();
}

void frmTAG::Form_Load() {
    // The table as it stands: the file is not read again first.
    limitTest();
}

bool frmTAG::limitTest() {
    if (m_store.tagCount() < kUserTagRows)
        return true;
    m_host.beep();
    m_host.messageBox(u"タグ登録数が100以上です。　これ以上登録できません。いらないタグを削除してく"
                      u"ださい。"_s,
                      Buttons::Ok, Icon::Exclamation, kError);
    cmdTAGset->setEnabled(false);
    return false;
}

void frmTAG::chkET_Click() {
    const bool noEndTag = chkET->isChecked();
    txtET->setEnabled(!noEndTag);
    lblET->setEnabled(!noEndTag);
}

void frmTAG::Label3_Click() {
    m_host.beep();
    const QString letter =
        m_host.inputBox(u"shift+F1を押し、次に[アルファベット]でこのタグを利用できる\r\n"
                        u"半角アルファベットを入力してください。"_s,
                        u"ショートカットキー"_s);
    txtTAGname->setText(txtTAGname->text() + u"（&"_s + letter + u"）"_s);
}

void frmTAG::Label4_Click() {
    m_host.messageBox(u"タグに終了タグが無い場合は「今から登録するタグは終了タグが無い」を\r\n"
                      u"チェックしてください。　ショートカットキーの割り当てもできます。"_s,
                      Buttons::Ok, Icon::Information, u"タグ登録について"_s);
}

void frmTAG::refuse(const QString& message, const QString& title) {
    m_host.beep();
    m_host.messageBox(message, Buttons::Ok, Icon::Exclamation, title);
}

void frmTAG::cmdTAGset_Click() {
    m_store.LoadUserTags();
    if (!limitTest())
        return;
    const QString start = txtST->text();
    const QString end = txtET->text();
    const QString name = txtTAGname->text();
    const bool hasEnd = !chkET->isChecked();
    const bool complete = hasEnd ? !(name.isEmpty() || end.isEmpty() || start.isEmpty())
                                 : !(name.isEmpty() || start.isEmpty());
    if (!complete) {
        refuse(u"入力が不十分です"_s, kError);
        return;
    }
    if (wouldBreakRecord(hasEnd ? start + end + name : start + name)) {
        refuse(u"カンマが含まれています。カンマは使用しないでください。"_s, u"カンマ検出"_s);
        return;
    }
    // A failed write has been reported; the texts stay so that nothing typed is lost.
    if (!m_store.AppendUserTag(start, end, hasEnd, name))
        return;
    txtST->clear();
    txtET->clear();
    txtTAGname->clear();
    txtTAGname->setFocus();
    m_host.beep();
    m_store.LoadUserTags();
}

void frmTAG::Command1_Click() {
    reject();
}
