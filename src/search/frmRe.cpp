#include "frmRe.h"

#include "TextSearch.h"
#include "host/EditBuffer.h"
#include "host/Host.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <vector>

namespace {

// The layout in pixels at 96 dots per inch; scaled by the screen's own.
constexpr int margin = 8;
constexpr int fieldWidth = 420;
constexpr int fieldHeight = 54;
constexpr int buttonWidth = 99;
constexpr int buttonHeight = 28;
constexpr int buttonGap = 8;
// Below the help text of the expanded dialog.
constexpr int helpMarginTwips = 450;

QPlainTextEdit* multiLineField(QWidget* parent, const QString& name) {
    auto* field = new QPlainTextEdit(parent);
    field->setObjectName(name);
    field->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    field->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Enter types a line break into the field; Tab moves on to the next control.
    field->setTabChangesFocus(true);
    return field;
}

// Puts `replacement` in place of each hit of `target` in `raw`, the pane's own text, as one
// change of the pane: one step to undo, never a load. The pane builds every line it is given
// anew, the bulk of the cost; so few hits among many lines are edited one by one, a crowd of
// hits in part of the text is set as that stretch, and hits all over the text set it whole,
// which the pane takes in fastest.
void replaceHits(EditBuffer& buffer, QStringView raw, const std::vector<qsizetype>& hits,
                 qsizetype targetLength, QStringView replacement) {
    QTextDocument* doc = buffer.widget()->document();
    const qsizetype first = hits.front();
    const qsizetype last = hits.back() + targetLength;
    const int lines =
        doc->findBlock(int(last)).blockNumber() - doc->findBlock(int(first)).blockNumber() + 1;
    if (lines * 2 > doc->blockCount() && qsizetype(hits.size()) * 2 >= lines) {
        buffer.widget()->setPlainText(withHitsReplaced(raw, hits, targetLength, replacement));
        return;
    }
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    if (qsizetype(hits.size()) * 2 < lines) {
        // From the last hit back, so that the positions still to come hold.
        for (auto hit = hits.rbegin(); hit != hits.rend(); ++hit) {
            cursor.setPosition(int(*hit));
            cursor.setPosition(int(*hit + targetLength), QTextCursor::KeepAnchor);
            cursor.insertText(replacement.toString());
        }
    } else {
        std::vector<qsizetype> inStretch(hits);
        for (qsizetype& hit : inStretch)
            hit -= first;
        cursor.setPosition(int(first));
        cursor.setPosition(int(last), QTextCursor::KeepAnchor);
        cursor.insertText(
            withHitsReplaced(raw.mid(first, last - first), inStretch, targetLength, replacement));
    }
    cursor.endEditBlock();
}

} // namespace

frmRe::frmRe(Host& host, EditBuffer& buffer, QWidget* owner)
    : QDialog(owner, Qt::Tool), m_host(host), m_buffer(buffer) {
    setObjectName(QStringLiteral("frmRe"));
    setWindowTitle(QStringLiteral("文字列の置き換え/検索"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    buildControls();
    Form_Load();
}

void frmRe::buildControls() {
    lblT = new QLabel(QStringLiteral("対象の文字列："), this);
    lblT->setObjectName(QStringLiteral("lblT"));
    txtT = multiLineField(this, QStringLiteral("txtT"));
    lblAfter = new QLabel(QStringLiteral("置き換え後の文字列："), this);
    lblAfter->setObjectName(QStringLiteral("lblAfter"));
    txtA = multiLineField(this, QStringLiteral("txtA"));
    chkSmBi = new QCheckBox(QStringLiteral("大文字小文字を区別しない"), this);
    chkSmBi->setObjectName(QStringLiteral("chkSmBi"));
    cmdSearch = new QPushButton(QStringLiteral("次を検索"), this);
    cmdSearch->setObjectName(QStringLiteral("cmdSearch"));
    cmdSearch->setDefault(true);
    cmdRe = new QPushButton(QStringLiteral("置き換える"), this);
    cmdRe->setObjectName(QStringLiteral("cmdRe"));
    cmdAllRe = new QPushButton(QStringLiteral("全て置き換える"), this);
    cmdAllRe->setObjectName(QStringLiteral("cmdAllRe"));
    cmdHelp = new QPushButton(QStringLiteral("詳しい使い方"), this);
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    lblHelp = new QLabel(this);
    lblHelp->setObjectName(QStringLiteral("lblHelp"));
    lblHelp->setWordWrap(true);
    lblHelp->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    const double scale = toPixels(1440) / 96.0;
    auto px = [scale](int pixelsAt96) { return qRound(pixelsAt96 * scale); };
    const int labelHeight = std::max(lblT->sizeHint().height(), px(18));
    int y = px(margin);
    lblT->setGeometry(px(margin), y, px(fieldWidth), labelHeight);
    y += labelHeight + px(2);
    txtT->setGeometry(px(margin), y, px(fieldWidth), px(fieldHeight));
    y += px(fieldHeight) + px(6);
    lblAfter->setGeometry(px(margin), y, px(fieldWidth), labelHeight);
    y += labelHeight + px(2);
    txtA->setGeometry(px(margin), y, px(fieldWidth), px(fieldHeight));
    y += px(fieldHeight) + px(6);
    chkSmBi->setGeometry(px(margin), y, px(fieldWidth),
                         std::max(chkSmBi->sizeHint().height(), px(20)));
    y += chkSmBi->height() + px(6);
    int x = px(margin);
    for (QPushButton* button : {cmdSearch, cmdRe, cmdAllRe, cmdHelp}) {
        button->setGeometry(x, y, px(buttonWidth), px(buttonHeight));
        x += px(buttonWidth) + px(buttonGap);
    }
    y += px(buttonHeight) + px(margin);
    // The help text waits below the collapsed dialog's bottom edge.
    lblHelp->move(px(margin), y + px(margin));
    lblHelp->setFixedWidth(px(fieldWidth));
    lblHelp->hide();
    setFixedSize(px(fieldWidth + 2 * margin), y);

    txtT->installEventFilter(this);
    txtA->installEventFilter(this);
    connect(txtT, &QPlainTextEdit::textChanged, this, &frmRe::txtT_Change);
    connect(txtA, &QPlainTextEdit::textChanged, this, &frmRe::txtA_Change);
    connect(cmdSearch, &QPushButton::clicked, this, &frmRe::cmdSearch_Click);
    connect(cmdRe, &QPushButton::clicked, this, &frmRe::cmdRe_Click);
    connect(cmdAllRe, &QPushButton::clicked, this, &frmRe::cmdAllRe_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmRe::cmdHelp_Click);
}

bool frmRe::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QPlainTextEdit*>(watched);
    if (!field || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return QDialog::eventFilter(watched, event);
    const Qt::KeyboardModifiers lineBreak = Qt::ControlModifier | Qt::ShiftModifier;
    if (key->modifiers() & lineBreak)
        field->insertPlainText(QStringLiteral("\n"));
    else if (cmdSearch->isEnabled())
        cmdSearch->click();
    return true;
}

void frmRe::Form_Load() {
    SearchPos = 0;
    CompactHeight = heightTwips();
    lblHelp->setText(
        QStringLiteral("何か入力すると、ボタンが有効になります。（文字を選択した状態ならそれが自動"
                       "で入力されます）\r\n"
                       "検索の開始位置はカーソル位置からです。\r\n"
                       "（カーソル位置を変えれば任意の位置から検索できるわけです）\r\n"
                       "検索する度にカーソルは自動的に移動するので次へ次へ検索できます、見つから"
                       "なかったときはカーソル位置は変更されません。"));
    lblHelp->resize(lblHelp->width(), lblHelp->heightForWidth(lblHelp->width()));
    eCheck();
}

void frmRe::eCheck() {
    const bool target = !txtT->document()->isEmpty();
    const bool replacement = !txtA->document()->isEmpty();
    cmdSearch->setEnabled(target);
    cmdRe->setEnabled(target && replacement);
    cmdAllRe->setEnabled(target && replacement);
}

// The fields' raw text: toPlainText() would turn a no-break space into a blank and a line
// separator (U+2028) into a line break, characters the document keeps as they are.
QString frmRe::targetText() const {
    return withCrLfBreaks(txtT->document()->toRawText());
}

QString frmRe::replacementText() const {
    return withCrLfBreaks(txtA->document()->toRawText());
}

void frmRe::setTargetText(const QString& text) {
    txtT->setPlainText(text);
}

int frmRe::findFrom(int from, const QString& target) const {
    const QString paneTarget = withPaneBreaks(target);
    const Comparison mode = chkSmBi->isChecked() ? Comparison::IgnoreCase : Comparison::Exact;
    const int start = m_buffer.toWidgetPosition(from);
    // A search near the end reads only the rest of the text; a longer one reads the whole raw
    // text, which the document hands out far faster than a selection of the same length.
    QTextDocument* doc = m_buffer.widget()->document();
    const int rest = doc->characterCount() - 1 - start;
    QString text;
    int offset = 0;
    if (rest <= 1 << 16) {
        QTextCursor cursor(doc);
        cursor.setPosition(start);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        text = cursor.selectedText();
        offset = start;
    } else {
        text = m_buffer.rawText();
    }
    for (qsizetype hit = findText(text, paneTarget, start - offset, mode); hit >= 0;
         hit = findText(text, paneTarget, hit + 1, mode)) {
        // A position inside a line break maps to the break's start; a hit must not begin
        // before the search position.
        const int position = m_buffer.fromWidgetPosition(offset + int(hit));
        if (position >= from)
            return position;
    }
    return -1;
}

void frmRe::cmdSearch_Click() {
    const int caret = m_buffer.selectionStart();
    const QString target = targetText();
    const int length = int(target.size());
    if (caret + length != SearchPos)
        SearchPos = caret;
    const int hit = findFrom(SearchPos, target);
    if (hit < 0) {
        m_host.beep();
        m_host.messageBox(QStringLiteral("見つかりませんでした"), Buttons::Ok, Icon::Information,
                          QStringLiteral("検索位置からの検索失敗"));
        return;
    }
    m_buffer.setSelection(hit, length);
    m_buffer.repaint();
    m_buffer.focus();
    SearchPos = hit + length;
}

void frmRe::cmdRe_Click() {
    // Exact codes whatever the check box says: a hit found case-insensitively is not replaced.
    if (m_buffer.selectedText() == targetText()) {
        m_host.beep();
        m_buffer.replaceSelection(replacementText());
        m_buffer.repaint();
        m_buffer.focus();
    }
    cmdSearch_Click();
}

void frmRe::cmdAllRe_Click() {
    const Comparison mode = chkSmBi->isChecked() ? Comparison::IgnoreCase : Comparison::Exact;
    // One pass over the pane's own text, set back as one change: one step to undo.
    const QString target = withPaneBreaks(targetText());
    const QString raw = m_buffer.rawText();
    const std::vector<qsizetype> hits = findEvery(raw, target, mode);
    if (!hits.empty())
        replaceHits(m_buffer, raw, hits, target.size(), withPaneBreaks(replacementText()));
    m_buffer.setSelection(0);
    m_host.beep();
    m_host.messageBox(QStringLiteral("完了"), Buttons::Ok, Icon::Information,
                      QStringLiteral("該当する部分を全て置き換えました"));
}

void frmRe::cmdHelp_Click() {
    if (heightTwips() == CompactHeight) {
        lblHelp->show();
        setHeightTwips(toTwips(lblHelp->y() + lblHelp->height()) + helpMarginTwips);
        cmdHelp->setText(QStringLiteral("戻す"));
    } else {
        setHeightTwips(CompactHeight);
        lblHelp->hide();
        cmdHelp->setText(QStringLiteral("詳しい使い方"));
    }
}

int frmRe::toTwips(int pixels) const {
    return qRound(pixels * 1440.0 / dotsPerInch());
}

int frmRe::toPixels(int twips) const {
    return qRound(twips * dotsPerInch() / 1440.0);
}

double frmRe::dotsPerInch() const {
    const QScreen* s = screen();
    const double dpi = s ? s->logicalDotsPerInchY() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

int frmRe::heightTwips() const {
    return toTwips(height());
}

void frmRe::setHeightTwips(int twips) {
    setFixedHeight(toPixels(twips));
}
