#include "EditBuffer.h"

#include <algorithm>

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

EditBuffer::EditBuffer(QPlainTextEdit* edit, QObject* parent) : QObject(parent), m_edit(edit) {
    connect(m_edit, &QPlainTextEdit::textChanged, this, &EditBuffer::changed);
}

QString EditBuffer::toCrLf(const QString& raw) {
    const QStringView in(raw);
    const qsizetype breaks = in.count(QChar::ParagraphSeparator);
    if (breaks == 0)
        return raw;
    QString out(raw.size() + breaks, Qt::Uninitialized);
    QChar* dst = out.data();
    qsizetype from = 0;
    for (qsizetype at = in.indexOf(QChar::ParagraphSeparator); at >= 0;
         at = in.indexOf(QChar::ParagraphSeparator, from)) {
        dst = std::copy(in.begin() + from, in.begin() + at, dst);
        *dst++ = u'\r';
        *dst++ = u'\n';
        from = at + 1;
    }
    std::copy(in.begin() + from, in.end(), dst);
    return out;
}

// toPlainText() would turn no-break spaces into blanks; the raw text keeps every character.
QString EditBuffer::rawText() const {
    return m_edit->document()->toRawText();
}

QString EditBuffer::text() const {
    return toCrLf(rawText());
}

void EditBuffer::setText(const QString& text) {
    if (text == this->text())
        return;
    m_edit->setPlainText(heldByWidget(text));
}

void EditBuffer::loadText(const QString& text) {
    setText(text);
    emit loaded();
}

namespace {

bool isFrameBound(QChar c) {
    return (c.unicode() & 0xFFFE) == 0xFDD0;
}

} // namespace

bool EditBuffer::widgetHoldsAsIs(QStringView text) {
    return std::none_of(text.begin(), text.end(), isFrameBound);
}

QString EditBuffer::heldByWidget(const QString& text) {
    if (widgetHoldsAsIs(text))
        return text;
    QString held = text;
    std::replace_if(held.begin(), held.end(), isFrameBound, QChar(QChar::ReplacementCharacter));
    return held;
}

QString EditBuffer::normalizeLineBreaks(const QString& text) {
    qsizetype lone = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        else if (c == u'\r' || c == u'\n')
            ++lone;
    }
    if (lone == 0)
        return text;
    QString out;
    out.reserve(n + lone);
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            out.append(QLatin1String("\r\n"));
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
        } else {
            out.append(c);
        }
    }
    return out;
}

int EditBuffer::length() const {
    const QTextDocument* doc = m_edit->document();
    return doc->characterCount() - 1 + doc->blockCount() - 1;
}

int EditBuffer::fromWidgetPosition(int widgetPosition) const {
    const QTextBlock block = m_edit->document()->findBlock(widgetPosition);
    return widgetPosition + (block.isValid() ? block.blockNumber() : 0);
}

int EditBuffer::toWidgetPosition(int position) const {
    const QTextDocument* doc = m_edit->document();
    if (position <= 0)
        return 0;
    // The last block b whose start, counted in CR LF units (position() + b), is <= position.
    int lo = 0;
    int hi = doc->blockCount() - 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (doc->findBlockByNumber(mid).position() + mid <= position)
            lo = mid;
        else
            hi = mid - 1;
    }
    const QTextBlock block = doc->findBlockByNumber(lo);
    const int lineEnd = block.position() + block.length() - 1;
    // A position between CR and LF falls back to the end of its line.
    return std::min(position - lo, lineEnd);
}

int EditBuffer::selectionStart() const {
    return fromWidgetPosition(m_edit->textCursor().selectionStart());
}

int EditBuffer::selectionLength() const {
    const QTextCursor c = m_edit->textCursor();
    return fromWidgetPosition(c.selectionEnd()) - fromWidgetPosition(c.selectionStart());
}

QString EditBuffer::selectedText() const {
    return toCrLf(m_edit->textCursor().selectedText());
}

void EditBuffer::setSelection(int start, int length) {
    const int total = this->length();
    start = std::clamp(start, 0, total);
    length = std::clamp(length, 0, total - start);
    QTextCursor c = m_edit->textCursor();
    c.setPosition(toWidgetPosition(start));
    if (length > 0)
        c.setPosition(toWidgetPosition(start + length), QTextCursor::KeepAnchor);
    m_edit->setTextCursor(c);
}

void EditBuffer::replaceSelection(const QString& text) {
    QTextCursor c = m_edit->textCursor();
    if (!c.hasSelection() && text.isEmpty())
        return;
    // insertText turns CR LF, CR and LF each into one line break.
    c.insertText(normalizeLineBreaks(heldByWidget(text)));
    m_edit->setTextCursor(c);
}

void EditBuffer::focus() {
    m_edit->window()->activateWindow();
    m_edit->setFocus(Qt::OtherFocusReason);
}

void EditBuffer::repaint() {
    m_edit->viewport()->repaint();
}
