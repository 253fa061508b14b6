#include "frmRe.h"

#include "HitMarks.h"
#include "PaneEdits.h"
#include "PaneRegex.h"
#include "RegexEngine.h"
#include "ReplaceTemplate.h"
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
// How long a regular-expression search from a button may hold the window.
constexpr auto kPatience = std::chrono::seconds(2);

QPlainTextEdit* multiLineField(QWidget* parent, const QString& name) {
    auto* field = new QPlainTextEdit(parent);
    field->setObjectName(name);
    field->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    field->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Enter types a line break into the field; Tab moves on to the next control.
    field->setTabChangesFocus(true);
    return field;
}

void reportMiss(Host& host) {
    host.beep();
    host.messageBox(QStringLiteral("見つかりませんでした"), Buttons::Ok, Icon::Information,
                    QStringLiteral("検索位置からの検索失敗"));
}

void reportDone(Host& host) {
    host.beep();
    host.messageBox(QStringLiteral("完了"), Buttons::Ok, Icon::Information,
                    QStringLiteral("該当する部分を全て置き換えました"));
}

} // namespace

frmRe::frmRe(Host& host, EditBuffer& buffer, QWidget* owner, SourceView* view)
    : QDialog(owner, Qt::Tool), m_host(host), m_buffer(buffer),
      m_marks(new HitMarks(buffer, view, this)) {
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
    chkRegex = new QCheckBox(QStringLiteral("正規表現を使う(&R)"), this);
    chkRegex->setObjectName(QStringLiteral("chkRegex"));
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
    lblCount = new QLabel(this);
    lblCount->setObjectName(QStringLiteral("lblCount"));

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
    y += chkSmBi->height() + px(2);
    chkRegex->setGeometry(px(margin), y, px(fieldWidth), chkSmBi->height());
    y += chkRegex->height() + px(6);
    int x = px(margin);
    for (QPushButton* button : {cmdSearch, cmdRe, cmdAllRe, cmdHelp}) {
        button->setGeometry(x, y, px(buttonWidth), px(buttonHeight));
        x += px(buttonWidth) + px(buttonGap);
    }
    y += px(buttonHeight) + px(4);
    lblCount->setGeometry(px(margin), y, px(fieldWidth), labelHeight);
    y += labelHeight + px(margin);
    // The help text waits below the collapsed dialog's bottom edge.
    lblHelp->move(px(margin), y + px(margin));
    lblHelp->setFixedWidth(px(fieldWidth));
    lblHelp->hide();
    setFixedSize(px(fieldWidth + 2 * margin), y);

    txtT->installEventFilter(this);
    txtA->installEventFilter(this);
    connect(txtT, &QPlainTextEdit::textChanged, this, &frmRe::txtT_Change);
    connect(txtA, &QPlainTextEdit::textChanged, this, &frmRe::txtA_Change);
    connect(txtT, &QPlainTextEdit::textChanged, this, &frmRe::queryChanged);
    connect(chkSmBi, &QCheckBox::toggled, this, &frmRe::queryChanged);
    connect(chkRegex, &QCheckBox::toggled, this, &frmRe::queryChanged);
    connect(m_marks, &HitMarks::counted, this, &frmRe::showCount);
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
    if (chkRegex->isChecked()) {
        findNextPattern();
        return;
    }
    const int caret = m_buffer.selectionStart();
    const QString target = targetText();
    const int length = int(target.size());
    if (caret + length != SearchPos)
        SearchPos = caret;
    const int hit = findFrom(SearchPos, target);
    if (hit < 0) {
        reportMiss(m_host);
        return;
    }
    m_buffer.setSelection(hit, length);
    m_buffer.repaint();
    m_buffer.focus();
    SearchPos = hit + length;
    m_lastHitLength = length;
    m_skipEmptyAtSearchPos = false;
}

void frmRe::cmdRe_Click() {
    if (chkRegex->isChecked()) {
        replacePattern();
        return;
    }
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
    if (chkRegex->isChecked()) {
        replaceAllPattern();
        return;
    }
    const Comparison mode = chkSmBi->isChecked() ? Comparison::IgnoreCase : Comparison::Exact;
    // One pass over the pane's own text, set back as one change: one step to undo.
    const QString target = withPaneBreaks(targetText());
    const QString replacement = withPaneBreaks(replacementText());
    const QString raw = m_buffer.rawText();
    const std::vector<qsizetype> hits = findEvery(raw, target, mode);
    std::vector<HitEdit> edits;
    edits.reserve(hits.size());
    for (const qsizetype hit : hits)
        edits.push_back({int(hit), int(target.size()), 0, int(replacement.size())});
    replaceHits(m_buffer, raw, edits, replacement);
    m_buffer.setSelection(0);
    reportDone(m_host);
}

std::unique_ptr<RegexPattern> frmRe::compiledTarget() {
    auto pattern = std::make_unique<RegexPattern>(targetText(), chkSmBi->isChecked());
    if (pattern->isValid())
        return pattern;
    m_host.beep();
    m_host.messageBox(badPatternMessage(*pattern), Buttons::Ok, Icon::Exclamation,
                      regexFaultTitle());
    return nullptr;
}

void frmRe::reportTooLong(const PaneHit& hit) {
    m_host.beep();
    m_host.messageBox(tooLongMessage(m_buffer, hit.stoppedAt), Buttons::Ok, Icon::Exclamation,
                      regexFaultTitle());
}

// As the literal search: from the caret, or on after the last hit while the selection still
// starts there. An empty hit moves the next search on by one character.
void frmRe::findNextPattern() {
    const std::unique_ptr<RegexPattern> pattern = compiledTarget();
    if (!pattern)
        return;
    const int caret = m_buffer.selectionStart();
    if (caret + m_lastHitLength != SearchPos) {
        SearchPos = caret;
        m_skipEmptyAtSearchPos = false;
    }
    const PaneHit hit = findInPane(m_buffer, *pattern, SearchPos, m_skipEmptyAtSearchPos,
                                   SteadyClock::now() + kPatience);
    if (hit.status == MatchStatus::Miss) {
        reportMiss(m_host);
        return;
    }
    if (hit.status != MatchStatus::Hit) {
        reportTooLong(hit);
        return;
    }
    m_buffer.setSelection(hit.start, hit.length);
    m_buffer.repaint();
    m_buffer.focus();
    SearchPos = hit.start + hit.length;
    m_lastHitLength = hit.length;
    m_skipEmptyAtSearchPos = hit.length == 0;
}

// The selection is replaced when it is a hit in its place; an empty one only when Find next
// selected it, so that a bare caret first finds. The search then goes on after the replacement.
void frmRe::replacePattern() {
    const std::unique_ptr<RegexPattern> pattern = compiledTarget();
    if (!pattern)
        return;
    const int start = m_buffer.selectionStart();
    const int length = m_buffer.selectionLength();
    const bool foundHere =
        m_lastHitLength == 0 && length == 0 && start == SearchPos && m_skipEmptyAtSearchPos;
    QString replacement;
    const PaneHit hit = selectionHit(m_buffer, *pattern, ReplaceTemplate(replacementText()),
                                     foundHere, SteadyClock::now() + kPatience, replacement);
    if (hit.status == MatchStatus::TooLong) {
        reportTooLong(hit);
        return;
    }
    if (hit.status == MatchStatus::Hit) {
        m_host.beep();
        m_buffer.replaceSelection(replacement);
        m_buffer.repaint();
        m_buffer.focus();
        SearchPos = m_buffer.selectionStart();
        m_lastHitLength = 0;
        m_skipEmptyAtSearchPos = length == 0;
    }
    findNextPattern();
}

void frmRe::replaceAllPattern() {
    const std::unique_ptr<RegexPattern> pattern = compiledTarget();
    if (!pattern)
        return;
    qsizetype hits = 0;
    const PaneHit outcome = replaceAllInPane(m_buffer, *pattern, ReplaceTemplate(replacementText()),
                                             SteadyClock::now() + kPatience, hits);
    if (outcome.status == MatchStatus::TooLong) {
        reportTooLong(outcome);
        return;
    }
    m_buffer.setSelection(0);
    reportDone(m_host);
}

void frmRe::queryChanged() {
    m_marks->setQuery({targetText(), chkRegex->isChecked(), chkSmBi->isChecked()});
}

void frmRe::showCount() {
    lblCount->setText(m_marks->label());
    lblCount->setToolTip(m_marks->detail());
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
