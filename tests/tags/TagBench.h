#pragma once

#include "host/EditBuffer.h"
#include "support/FakeHost.h"
#include "tags/TagCommands.h"

#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStringList>
#include <QVBoxLayout>
#include <QWidget>

// A text box with a second control beside it, and the HTML menu built and wired to the tag
// commands over a fake host, as the main window has them.
struct TagBench {
    TagBench();

    // Replaces the text and selects [start, start + length).
    void set(const QString& text, int start, int length = 0);
    // Scripts the boxes: "<cancel>" cancels an input box; answers are "Y" and "N" letters.
    void script(const QStringList& inputs, const QString& answers);
    // Chooses the menu item, as the user does.
    void choose(const QString& item);

    QString text() const { return buffer.text(); }
    int caret() const { return buffer.selectionStart(); }
    // The host calls as "kind|title|text|detail" lines (beeps as "beep").
    QStringList calls() const;

    QWidget window;
    QPlainTextEdit* edit;
    QLineEdit* other;
    EditBuffer buffer;
    FakeHost host;
    QString quote = QStringLiteral("\"");
    TagCommands commands;
    QMenu menu;
};

QString describe(const HostCall& call);
