#include "frmTable.h"

#include "CsvToTable.h"
#include "host/EditBuffer.h"
#include "host/Host.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

// Texts quote tags ("<TH>", "<BR>"), so every label shows its text as it is.
QLabel* plainLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

constexpr int kTwipsPerInch = 1440;
// The text box's left edge, in pixels; the resizing rule keeps 150 twips of the width free.
constexpr int kTextLeft = 4;

} // namespace

frmTable::frmTable(Host& host, EditBuffer& txtEdit, TableConverter& converter, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::WindowMinMaxButtonsHint),
      m_host(host), m_txtEdit(txtEdit), m_converter(converter) {
    setObjectName(u"frmTable"_s);
    setWindowTitle(u"表（テーブル）を作るのに必要なCSV(カンマ区切り文章の作成)"_s);
    setModal(true);

    m_head = new QWidget(this);
    Label1 = plainLabel(u"Label1"_s,
                        u"[]をセルの先頭につけると、そのセルは強調セルになります。"
                        u"（ つまり[]test = <TH>test</TH> ）"_s,
                        m_head);
    Label1->setWordWrap(true);
    Frame1 = new QGroupBox(u"ツール"_s, m_head);
    Frame1->setObjectName(u"Frame1"_s);
    Command5 = button(u"Command5"_s, u"[]　挿入"_s, Frame1);
    Label3 = plainLabel(u"Label3"_s, u"（F1キー）"_s, Frame1);
    Command1 = button(u"Command1"_s, u"カンマ挿入"_s, Frame1);
    Label4 = plainLabel(u"Label4"_s, u"（F2キー）"_s, Frame1);
    Label2 =
        plainLabel(u"Label2"_s, u"シフト＋エンターで、改行しないで<BR>を挿入できます。"_s, Frame1);
    Label5 = plainLabel(u"Label5"_s, u"全文表示..."_s, Frame1);
    // A label used as a link: it looks like one and answers a click.
    Label5->setCursor(Qt::PointingHandCursor);
    QFont linkFont = Label5->font();
    linkFont.setUnderline(true);
    Label5->setFont(linkFont);
    QPalette linkPalette = Label5->palette();
    linkPalette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Label5->setPalette(linkPalette);
    Label5->installEventFilter(this);
    Command4 = button(u"Command4"_s, u"表（テーブル）を作成"_s, m_head);
    Command4->setMinimumHeight(48);

    auto* tools = new QGridLayout(Frame1);
    tools->addWidget(Command5, 0, 0);
    tools->addWidget(Label3, 0, 1);
    tools->addWidget(Command1, 0, 2);
    tools->addWidget(Label4, 0, 3);
    tools->setColumnStretch(4, 1);
    tools->addWidget(Label2, 1, 0, 1, 5);
    tools->addWidget(Label5, 2, 0, 1, 5, Qt::AlignLeft);
    auto* row = new QHBoxLayout;
    row->addWidget(Frame1, 1);
    row->addWidget(Command4, 0, Qt::AlignBottom);
    auto* head = new QVBoxLayout(m_head);
    head->setContentsMargins(kTextLeft, kTextLeft, kTextLeft, kTextLeft);
    head->addWidget(Label1);
    head->addLayout(row);

    // Placed by hand below the head: its size follows the window by the resizing rule.
    txtTable = new QPlainTextEdit(this);
    txtTable->setObjectName(u"txtTable"_s);
    txtTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtTable->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtTable->setTabChangesFocus(true);
    txtTable->installEventFilter(this);
    m_table = std::make_unique<EditBuffer>(txtTable);
    // txtTable first in the tab order: it has the focus when the window opens.
    setTabOrder(txtTable, Command5);
    setTabOrder(Command5, Command1);
    setTabOrder(Command1, Command4);
    txtTable->setFocus(Qt::OtherFocusReason);

    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });

    setMinimumWidth(m_head->minimumSizeHint().width());
    resize(720, 480);
    Form_Load();
}

frmTable::~frmTable() {
    // However the window goes, text cut out of the document is not lost with it.
    if (!m_unloaded)
        Form_QueryUnload();
}

void frmTable::Form_Load() {
    m_table->setText(m_txtEdit.selectedText());
    m_txtEdit.replaceSelection(QString());
    CreatingTable = false;
}

void frmTable::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int headHeight =
        m_head->hasHeightForWidth() ? m_head->heightForWidth(width()) : m_head->sizeHint().height();
    m_head->setGeometry(0, 0, width(), headHeight);
    txtTable->move(kTextLeft, m_head->height());
    Form_Resize();
}

void frmTable::Form_Resize() {
    if (isMinimized())
        return;
    const double dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    const auto toTwips = [dpi](int pixels) { return qRound(pixels * kTwipsPerInch / dpi); };
    const auto toPixels = [dpi](int twips) { return qRound(twips * dpi / kTwipsPerInch); };
    const QSize outer = frameGeometry().size();
    const int width = toTwips(outer.width()) - 150;
    const int height = toTwips(outer.height()) - toTwips(txtTable->y()) - 400;
    // A size the box cannot take (the window is very small) is left alone.
    if (width >= 0)
        txtTable->resize(toPixels(width), txtTable->height());
    if (height >= 0)
        txtTable->resize(txtTable->width(), toPixels(height));
}

void frmTable::Form_QueryUnload() {
    m_unloaded = true;
    if (!CreatingTable)
        m_txtEdit.replaceSelection(m_table->text());
}

void frmTable::done(int result) {
    if (!m_unloaded)
        Form_QueryUnload();
    QDialog::done(result);
}

void frmTable::insertInTable(const QString& text) {
    txtTable->setFocus(Qt::OtherFocusReason);
    m_table->replaceSelection(text);
}

void frmTable::Command5_Click() {
    insertInTable(u"[]"_s);
}

void frmTable::Command1_Click() {
    insertInTable(u","_s);
}

void frmTable::Label5_Click() {
    m_host.beep();
    m_host.messageBox(u"このウィンドウでの改行は表の改行になります。文字列を改行したい場合は、"
                      u"<BR>を挿入しなければなりません。\r\n"
                      u"シフト＋エンターで改行なし、<BR>挿入が出来ます。"_s,
                      Buttons::Ok, Icon::Information, u"このウィンドウ内の仕様"_s);
}

void frmTable::Command4_Click() {
    const QString text = m_table->text();
    if (text.isEmpty()) {
        m_host.beep();
        m_host.messageBox(u"入力されていません"_s, Buttons::Ok, Icon::Information,
                          u"入力されていない"_s);
        txtTable->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!m_converter.handOverTableData(text)) {
        txtTable->setFocus(Qt::OtherFocusReason);
        return;
    }
    hide();
    if (m_converter.CsvToTable(false) != TableOutcome::Inserted)
        putTextBack();
    CreatingTable = true;
    done(QDialog::Accepted);
}

void frmTable::putTextBack() {
    // The error page stays in view: putting the text back is no reason to refresh the preview.
    const QString tag = m_txtEdit.tag();
    m_txtEdit.setTag(u"no"_s);
    m_txtEdit.replaceSelection(m_table->text());
    m_txtEdit.setTag(tag);
}

void frmTable::txtTable_KeyDown(int keyCode, Qt::KeyboardModifiers shift) {
    SuppressKeyPress = false;
    const bool enter = keyCode == Qt::Key_Return || keyCode == Qt::Key_Enter;
    if (keyCode == Qt::Key_F1) {
        Command5_Click();
    } else if (keyCode == Qt::Key_F2) {
        Command1_Click();
    } else if (enter && (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) {
        // The selection collapses to its start; nothing is deleted.
        m_table->setSelection(m_table->selectionStart(), 0);
        m_table->replaceSelection(u"<BR>"_s);
        SuppressKeyPress = true;
    }
}

bool frmTable::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtTable && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        txtTable_KeyDown(key->key(), key->modifiers());
        // F1 and F2 type nothing; a suppressed key's line break never reaches the box.
        const bool functionKey = key->key() == Qt::Key_F1 || key->key() == Qt::Key_F2;
        return functionKey || txtTable_KeyPress();
    }
    if (watched == Label5 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Label5_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
