#include "frmTAGDEL.h"

#include "UserTagStore.h"
#include "host/Host.h"
#include "host/LinkLabel.h"
#include "host/NamedWidgets.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

QGroupBox* namedFrame(const QString& name, const QString& caption, QWidget* parent) {
    auto* f = new QGroupBox(caption, parent);
    f->setObjectName(name);
    return f;
}

} // namespace

frmTAGDEL::frmTAGDEL(UserTagStore& store, Host& host, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_store(store),
      m_host(host) {
    setObjectName(u"frmTAGDEL"_s);
    setWindowTitle(u"タグ削除"_s);
    setModal(true);

    Label1 = namedLabel(u"Label1"_s, u"今までに登録したタグを削除できます。"_s, this);

    Frame1 = namedFrame(u"Frame1"_s, u"削除したいタグを選んでください"_s, this);
    lstTAG = new QListWidget(Frame1);
    lstTAG->setObjectName(u"lstTAG"_s);
    lstTAG->setSelectionMode(QAbstractItemView::SingleSelection);
    lstTAG->setMinimumSize(220, 240);
    (new QVBoxLayout(Frame1))->addWidget(lstTAG);

    fraTAG = namedFrame(u"fraTAG"_s, u"選択されたタグ"_s, this);
    lblSeleTAG = namedLabel(u"lblSeleTAG"_s, u"-"_s, fraTAG);
    lblSeleTAG->setTextFormat(Qt::PlainText);
    lblSeleTAG->setWordWrap(true);
    lblSeleTAG->setMinimumWidth(260);
    (new QVBoxLayout(fraTAG))->addWidget(lblSeleTAG);

    Frame4 = namedFrame(u"Frame4"_s, u"ステータス"_s, this);
    lblTAGc = namedLabel(u"lblTAGc"_s, u"タグ登録数："_s, Frame4);
    lblTAGc2 = namedLabel(u"lblTAGc2"_s, u"残り　個登録可能"_s, Frame4);
    auto* status = new QVBoxLayout(Frame4);
    status->addWidget(lblTAGc);
    status->addWidget(lblTAGc2);

    Frame2 = namedFrame(u"Frame2"_s, QString(), this);
    Label2 = namedLabel(u"Label2"_s, u"一度削除したタグは、登録しなおさない限り復元できません。"_s,
                        Frame2);
    Label2->setWordWrap(true);
    (new QVBoxLayout(Frame2))->addWidget(Label2);

    Label3 = new LinkLabel(u"Label3"_s, u"注意を見る"_s, this);
    cmdDEL = namedButton(u"cmdDEL"_s, u"削除"_s, this);
    Command2 = namedButton(u"Command2"_s, u"やめる"_s, this);

    auto* right = new QVBoxLayout;
    right->addWidget(fraTAG);
    right->addWidget(Frame4);
    right->addWidget(Frame2);
    right->addWidget(Label3, 0, Qt::AlignRight);
    right->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addWidget(Frame1, 1);
    body->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdDEL);
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    // The selection, not the current row: focus alone gives the list a current row.
    connect(lstTAG, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_filling)
            lstTAG_Click();
    });
    connect(cmdDEL, &QPushButton::clicked, this, [this] { cmdDEL_Click(); });
    connect(Label3, &LinkLabel::clicked, this, [this] { Label3_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    Form_Load();
}

void frmTAGDEL::Form_Load() {
    m_store.LoadUserTags();
    if (fillListAndStatus() == 0)
        cmdDEL->setEnabled(false);
    m_host.beep();
}

int frmTAGDEL::fillListAndStatus() {
    const UserTagTable& table = m_store.table();
    int i = 1;
    m_filling = true;
    while (i <= kUserTagRows && !table[i - 1].StartTag.isEmpty()) {
        lstTAG->addItem(table[i - 1].Name);
        ++i;
    }
    m_filling = false;
    lblTAGc->setText(u"タグ登録数：　"_s + QString::number(i - 1));
    lblTAGc2->setText(i == kUserTagRows + 1
                          ? u"登録できません。"_s
                          : u"あと"_s + QString::number(kUserTagRows + 1 - i) + u"個登録可能"_s);
    return i - 1;
}

int frmTAGDEL::selectedPosition() const {
    const QList<QListWidgetItem*> items = lstTAG->selectedItems();
    return items.isEmpty() ? -1 : lstTAG->row(items.first());
}

void frmTAGDEL::lstTAG_Click() {
    const int row = selectedPosition();
    if (row < 0 || row >= kUserTagRows) {
        fraTAG->setTitle(u"タグが選択されていません"_s);
        lblSeleTAG->clear();
        return;
    }
    const UserTag& tag = m_store.table()[row];
    fraTAG->setTitle(tag.Name);
    lblSeleTAG->setText(tag.EndTag.isEmpty() ? tag.StartTag + u"　（終了タグはありません）"_s
                                             : tag.StartTag + u"テスト"_s + tag.EndTag);
}

void frmTAGDEL::cmdDEL_Click() {
    const int position = selectedPosition();
    if (position < 0) {
        m_host.beep();
        m_host.messageBox(u"削除したいタグを選択してください"_s, Buttons::Ok, Icon::Exclamation,
                          u"エラー"_s);
        return;
    }
    const QString name = m_store.table()[position].Name;
    if (m_host.messageBox(u"「"_s + name + u"」\r\nこのタグを削除しますか？"_s, Buttons::YesNo,
                          Icon::Information, u"削除確認"_s) != Answer::Yes)
        return;
    m_store.DeleteUserTag(position + 1);
    m_filling = true;
    lstTAG->clear();
    m_filling = false;
    // The reload only overwrites the rows it reads: rows of a shrunken file must not survive.
    m_store.clearTable();
    m_store.LoadUserTags();
    const int left = fillListAndStatus();
    lblSeleTAG->setText(QString());
    fraTAG->setTitle(u"タグが選択されていません"_s);
    if (left == 0)
        cmdDEL->setEnabled(false);
    m_host.beep();
}

void frmTAGDEL::Label3_Click() {
    m_host.beep();
    m_host.messageBox(
        u"この機能では、消そうとしているものとまったく同じタグがほかにもある場合、\r\n"
        u"まとめて削除します。"_s,
        Buttons::Ok, Icon::Information, u"注意"_s);
}

void frmTAGDEL::Command2_Click() {
    reject();
}
