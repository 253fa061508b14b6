#include "TagTests.h"
#include "app/MenuTree.h"
#include "app/frmEdit.h"
#include "host/EditBuffer.h"
#include "support/TestApp.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace {

// What the user is asked and shown; the preview's navigations on each change are left out.
QStringList dialogKinds(const FakeHost& host) {
    QStringList out = host.kinds();
    out.removeAll(QStringLiteral("navigate"));
    return out;
}

} // namespace

// A command that wants a color injects F2; the real event loop delivers it after the command,
// the Tools item opens the tool modally, and OK writes the code at the caret.

void TstTags::colorHandOff_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QString>("text"); // between "ab" CR LF "<IMG" and " SRC>"
    QTest::addColumn<int>("caret");    // counted from after "<IMG"
    QTest::newRow("font") << "mnuHTMLfont" << QStringList{"3"}
                          << "<FONT SIZE=\"3\" COLOR=\"#0A0B0C\"></FONT>" << 29;
    QTest::newRow("table") << "mnuHTMLt" << QStringList{"1"}
                           << "<TABLE BORDER=\"1\" BGCOLOR=\"#0A0B0C\">\r\n\r\n</TABLE>" << 34;
    QTest::newRow("body") << "mnuHTMLbody" << QStringList{}
                          << "<BODY BGCOLOR=\"#0A0B0C\">\r\n\r\n</BODY>" << 22;
    QTest::newRow("rule") << "mnuHTMLhr" << QStringList{"2"} << "<HR SIZE=\"2\" COLOR=\"#0A0B0C\">"
                          << 27;
    QTest::newRow("glow") << "mnuHTMLstylefilterglow" << QStringList{}
                          << " STYLE=\"FILTER:GLOW(COLOR=#0A0B0C);\"" << 33;
    QTest::newRow("drop shadow") << "mnuHTMLstyledropshadow" << QStringList{}
                                 << " STYLE=\"FILTER:DROPSHADOW(COLOR=#0A0B0C);\"" << 39;
}

void TstTags::colorHandOff() {
    QFETCH(QString, item);
    QFETCH(QStringList, inputs);
    QFETCH(QString, text);
    QFETCH(int, caret);
    EditorFixture fx;
    frmEdit& w = fx.open();
    EditBuffer& buffer = w.buffer();
    const QString head = QStringLiteral("ab\r\n<IMG");
    buffer.setText(head + " SRC>");
    buffer.setSelection(int(head.size()));
    fx.host.clear();
    for (const QString& input : inputs)
        fx.host.inputs.push_back(input);
    fx.host.answers.push_back(Answer::Yes);
    QString shownCode;
    fx.host.dialogScripts.push_back([&shownCode](QDialog* d) {
        d->show();
        d->findChild<QSlider*>(QStringLiteral("S1"))->setValue(10);
        d->findChild<QSlider*>(QStringLiteral("S2"))->setValue(11);
        d->findChild<QSlider*>(QStringLiteral("S3"))->setValue(12);
        shownCode = d->findChild<QLabel*>(QStringLiteral("lblCC"))->text();
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        return d->result();
    });

    QAction* action = w.menus().item(item);
    QVERIFY(action && action->isEnabled());
    action->trigger();
    // The tool waits for the command to return.
    QCOMPARE(fx.host.count(QStringLiteral("modal")), 0);
    QCOMPARE(fx.host.calls.last().kind, QStringLiteral("inject"));
    QCOMPARE(fx.host.calls.last().text, QStringLiteral("{F2}"));

    QTRY_COMPARE(fx.host.count(QStringLiteral("modal")), 1);
    const HostCall modal = fx.host.callsOf(QStringLiteral("modal")).first();
    QCOMPARE(modal.text, QStringLiteral("frmColor"));
    QCOMPARE(modal.title, QStringLiteral("ColorCode"));
    QCOMPARE(shownCode, QStringLiteral("#0A0B0C"));
    const QStringList kinds = dialogKinds(fx.host);
    QCOMPARE(kinds.mid(kinds.indexOf(QStringLiteral("inject"))),
             QStringList({"inject", "modal", "beep"}));
    QCOMPARE(fx.state.color.ColorToolMode, QStringLiteral("colorset"));
    QCOMPARE(buffer.text(), head + text + " SRC>");
    QCOMPARE(buffer.selectionStart(), int(head.size()) + caret);
    QCOMPARE(buffer.selectionLength(), 0);
}

void TstTags::declinedColorOpensNoTool() {
    EditorFixture fx;
    frmEdit& w = fx.open();
    fx.host.clear();
    fx.host.inputs.push_back(QStringLiteral("3"));
    fx.host.answers.push_back(Answer::No);
    w.menus().item(QStringLiteral("mnuHTMLfont"))->trigger();
    QTest::qWait(50);
    QCOMPARE(dialogKinds(fx.host), QStringList({"input", "beep", "msgbox"}));
    QCOMPARE(w.buffer().text(), QStringLiteral("<FONT SIZE=\"3\" COLOR=\"\"></FONT>"));
    QCOMPARE(w.buffer().selectionStart(), 22);
}
