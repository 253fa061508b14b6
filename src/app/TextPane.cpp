#include "TextPane.h"

TextPane::TextPane(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("txtEdit"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void TextPane::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    emit gotFocus();
}

void TextPane::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    emit lostFocus();
}
