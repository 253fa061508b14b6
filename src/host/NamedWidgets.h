#pragma once

#include <QLabel>
#include <QPushButton>
#include <QString>

// Dialog controls carry the names the commands and the tests find them by.

inline QLabel* namedLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// A button that Enter in a text field does not press.
inline QPushButton* namedButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}
