#pragma once

// What the search tests share: the dialog over a bare text box, and checks of its boxes.
#include "host/EditBuffer.h"
#include "search/frmRe.h"
#include "support/FakeHost.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QTest>

// A text box with the dialog over it and a fake host.
struct Bench {
    Bench() : host(QDir::tempPath()), buffer(&edit), dialog(host, buffer, nullptr) {}
    void set(const QString& text, int caret = 0) {
        buffer.setText(text);
        buffer.setSelection(caret);
    }
    void fields(const QString& target, const QString& replacement = {}, bool ignoreCase = false) {
        dialog.txtT->setPlainText(target);
        dialog.txtA->setPlainText(replacement);
        dialog.chkSmBi->setChecked(ignoreCase);
    }
    // The target as a regular expression.
    void pattern(const QString& target, const QString& replacement = {}, bool ignoreCase = false) {
        fields(target, replacement, ignoreCase);
        dialog.chkRegex->setChecked(true);
    }
    QPair<int, int> selection() const {
        return {buffer.selectionStart(), buffer.selectionLength()};
    }
    QPlainTextEdit edit;
    FakeHost host;
    EditBuffer buffer;
    frmRe dialog;
};

// A beep, then an information box with OK alone.
inline void verifyBox(const FakeHost& host, const QString& text, const QString& title) {
    QCOMPARE(host.kinds(), (QStringList{"beep", "msgbox"}));
    const HostCall box = host.calls.constLast();
    QCOMPARE(box.text, text);
    QCOMPARE(box.title, title);
    QCOMPARE(box.icon, Icon::Information);
    QCOMPARE(box.buttons, Buttons::Ok);
}

inline void verifyMiss(const FakeHost& host) {
    verifyBox(host, QStringLiteral("見つかりませんでした"),
              QStringLiteral("検索位置からの検索失敗"));
}

inline void verifyDone(const FakeHost& host) {
    verifyBox(host, QStringLiteral("完了"), QStringLiteral("該当する部分を全て置き換えました"));
}

// Types `text` into a field key by key; a line break is Ctrl+Enter.
inline void type(QWidget* field, const QString& text) {
    for (const QChar c : text) {
        if (c == u'\n')
            QTest::keyClick(field, Qt::Key_Return, Qt::ControlModifier);
        else
            QTest::keyClicks(field, QString(c));
    }
}

// Shows the main window and makes it the active one; without a window manager the focus is
// given, not negotiated.
inline bool showActive(QWidget& w) {
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return false;
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w, 2000))
        QApplication::setActiveWindow(&w);
    return QTest::qWaitForWindowActive(&w);
}

inline void settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}
