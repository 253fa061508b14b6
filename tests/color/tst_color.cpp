#include "color/ColorTool.h"
#include "color/frmColor.h"
#include "host/EditBuffer.h"
#include "settings/ColorNumber.h"
#include "state/ProgramState.h"
#include "support/TestApp.h"

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

class TstColor : public QObject {
    Q_OBJECT
private slots:
    void firstOpeningIsBlack();
    void sliderMovesRefreshThePreview_data();
    void sliderMovesRefreshThePreview();
    void okReplacesTheSelectionWithTheCode();
    void reopeningShowsTheLastOk();
    void editorColorModes_data();
    void editorColorModes();
    void realModalWindow();
};

namespace {

// The text box, the state and the tool over a fake host.
struct ColorBench {
    ColorBench() : buffer(&edit), host(QDir::tempPath()), tool(state, host, buffer, &edit) {}

    // Scripts the next opening: `drive` works the window, whose code label and swatch are
    // noted when it hands back.
    void next(std::function<int(frmColor*)> drive) {
        host.dialogScripts.push_back([this, drive](QDialog* d) {
            auto* f = qobject_cast<frmColor*>(d);
            if (!f)
                return -1;
            opened.push_back({f->S1->value(), f->S2->value(), f->S3->value()});
            const int result = drive(f);
            code = f->lblCC->text();
            swatch = f->Pic->palette().color(QPalette::Window);
            return result;
        });
    }
    static int ok(frmColor* f, int r, int g, int b) {
        f->S1->setValue(r);
        f->S2->setValue(g);
        f->S3->setValue(b);
        f->Command1->click();
        return f->result();
    }
    static int closeBox(frmColor* f, int r, int g, int b) {
        f->S1->setValue(r);
        f->S2->setValue(g);
        f->S3->setValue(b);
        f->close();
        return f->result();
    }

    QPlainTextEdit edit;
    EditBuffer buffer;
    FakeHost host;
    ProgramState state;
    ColorTool tool;
    QList<std::array<int, 3>> opened;
    QString code;
    QColor swatch;
};

using Rgb = std::array<int, 3>;

} // namespace

void TstColor::firstOpeningIsBlack() {
    ColorBench b;
    b.buffer.setText(QStringLiteral("x"));
    b.next([](frmColor* f) {
        // The design-time caption never shows: the code is there from the first paint.
        return ColorBench::closeBox(f, f->S1->value(), f->S2->value(), f->S3->value());
    });
    b.tool.mnuColorTool_Click();
    QCOMPARE(b.opened.first(), (Rgb{0, 0, 0}));
    QCOMPARE(b.code, QStringLiteral("#000000"));
    QCOMPARE(b.swatch, QColor(0, 0, 0));
    QCOMPARE(b.buffer.text(), QStringLiteral("x"));
    QCOMPARE(b.host.kinds(), QStringList({"modal"}));
}

void TstColor::sliderMovesRefreshThePreview_data() {
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    QTest::addColumn<QString>("code");
    QTest::newRow("10 11 12") << 10 << 11 << 12 << "#0A0B0C";
    QTest::newRow("white") << 255 << 255 << 255 << "#FFFFFF";
    QTest::newRow("red 9") << 9 << 0 << 0 << "#090000";
    QTest::newRow("255 8 0") << 255 << 8 << 0 << "#FF0800";
}

void TstColor::sliderMovesRefreshThePreview() {
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    QFETCH(QString, code);
    ColorBench bench;
    QStringList seen;
    bench.next([&](frmColor* f) {
        f->show();
        // One step by keyboard, then to the wanted values: each move refreshes at once.
        f->S1->setFocus();
        QTest::keyClick(f->S1, Qt::Key_Right);
        seen << f->lblCC->text();
        f->S1->setValue(r);
        seen << f->lblCC->text();
        f->S2->setValue(g);
        f->S3->setValue(b);
        seen << f->lblCC->text();
        QTest::mouseClick(f->Command1, Qt::LeftButton);
        return f->result();
    });
    bench.tool.mnuColorTool_Click();
    QCOMPARE(seen, QStringList({"#010000", colorCode(r, 0, 0), code}));
    QCOMPARE(bench.swatch, QColor(r, g, b));
    QCOMPARE(bench.buffer.text(), code);
}

void TstColor::okReplacesTheSelectionWithTheCode() {
    ColorBench b;
    const QString before = QStringLiteral("<FONT COLOR=\"\">\r\n<B COLOR=\"#FFFFFF\">");
    b.buffer.setText(before);
    b.buffer.setSelection(27, 7); // the old code on the second line
    QCOMPARE(b.buffer.selectedText(), QStringLiteral("#FFFFFF"));
    b.next([](frmColor* f) { return ColorBench::ok(f, 10, 11, 12); });
    b.state.color.ColorToolMode = QStringLiteral("txtBack"); // the menu item sets its own mode
    b.tool.mnuColorTool_Click();
    QCOMPARE(b.state.color.ColorToolMode, QStringLiteral("colorset"));
    QCOMPARE(b.buffer.text(), QStringLiteral("<FONT COLOR=\"\">\r\n<B COLOR=\"#0A0B0C\">"));
    QCOMPARE(b.buffer.selectionStart(), 34);
    QCOMPARE(b.buffer.selectionLength(), 0);
    QCOMPARE(b.host.kinds(), QStringList({"modal", "beep"}));
    QCOMPARE(b.state.settings.EditorBackColor, QString());
}

void TstColor::reopeningShowsTheLastOk() {
    ColorBench b;
    b.next([](frmColor* f) { return ColorBench::ok(f, 10, 11, 12); });
    b.tool.mnuColorTool_Click();
    b.next([](frmColor* f) { return ColorBench::closeBox(f, 200, 201, 202); });
    b.tool.mnuColorTool_Click();
    b.next([](frmColor* f) { return ColorBench::ok(f, 1, 2, 3); });
    b.tool.mnuColorTool_Click();
    b.next([](frmColor* f) { return ColorBench::closeBox(f, 9, 9, 9); });
    b.tool.mnuColorTool_Click();
    QCOMPARE(b.opened, (QList<Rgb>{{0, 0, 0}, {10, 11, 12}, {10, 11, 12}, {1, 2, 3}}));
    QCOMPARE(b.state.color.LastRed, 1);
    QCOMPARE(b.state.color.LastGreen, 2);
    QCOMPARE(b.state.color.LastBlue, 3);
    // The close box delivers nothing and does not beep.
    QCOMPARE(b.buffer.text(), QStringLiteral("#0A0B0C#010203"));
    QCOMPARE(b.host.count(QStringLiteral("beep")), 2);
}

void TstColor::editorColorModes_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    QTest::addColumn<QString>("back");
    QTest::addColumn<QString>("fore");
    QTest::newRow("txtBack white") << "txtBack" << 255 << 255 << 255 << "16777215"
                                   << "0";
    QTest::newRow("txtColor blue") << "txtColor" << 0 << 0 << 255 << "16777215"
                                   << "16711680";
    QTest::newRow("txtColor 10 11 12") << "txtColor" << 10 << 11 << 12 << "16777215"
                                       << "789258";
    QTest::newRow("txtBack red") << "txtBack" << 255 << 0 << 0 << "255"
                                 << "0";
}

void TstColor::editorColorModes() {
    QFETCH(QString, mode);
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    QFETCH(QString, back);
    QFETCH(QString, fore);
    ColorBench bench;
    bench.state.settings.EditorBackColor = QStringLiteral("16777215");
    bench.state.settings.EditorForeColor = QStringLiteral("0");
    QPalette p = bench.edit.palette();
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    bench.edit.setPalette(p);
    bench.buffer.setText(QStringLiteral("abc"));
    bench.buffer.setSelection(1, 1);
    bench.next([=](frmColor* f) { return ColorBench::ok(f, r, g, b); });
    QCOMPARE(bench.tool.open(mode, &bench.edit), int(QDialog::Accepted));
    QCOMPARE(bench.state.color.ColorToolMode, mode);
    QCOMPARE(bench.state.settings.EditorBackColor, back);
    QCOMPARE(bench.state.settings.EditorForeColor, fore);
    QCOMPARE(bench.edit.palette().color(QPalette::Base), colorFromNumber(back.toLongLong()));
    QCOMPARE(bench.edit.palette().color(QPalette::Text), colorFromNumber(fore.toLongLong()));
    QCOMPARE(bench.buffer.text(), QStringLiteral("abc"));
    QCOMPARE(bench.host.kinds(), QStringList({"modal", "beep"}));
}

void TstColor::realModalWindow() {
    ColorBench b;
    b.state.color.LastRed = 9;
    QString title;
    bool modal = false;
    // No script: the window runs its own modal loop until its OK button is pressed.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* f = qobject_cast<frmColor*>(QApplication::activeModalWidget());
        if (!f)
            return;
        poll.stop();
        title = f->windowTitle();
        modal = f->isModal() && f->isVisible();
        QTest::mouseClick(f->Command1, Qt::LeftButton);
    });
    poll.start(10);
    b.tool.mnuColorTool_Click();
    QCOMPARE(title, QStringLiteral("ColorCode"));
    QVERIFY(modal);
    QCOMPARE(b.buffer.text(), QStringLiteral("#090000"));
}

TAGLOOM_TEST_MAIN(TstColor)
#include "tst_color.moc"
