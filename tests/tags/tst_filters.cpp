#include "TagBench.h"
#include "TagTests.h"
#include "support/TestApp.h"
#include "tags/NumberText.h"

namespace {

const QString kAlpha = "input|ALPHA - 透明度|対象の透明度を指定してください（半角数値）|";
const QString kBlurAdd =
    "msgbox|BLUR - ADD|にじませた対象の上ににじませる前の対象を乗せますか？|Information/YesNo";
const QString kBlurStrength =
    "input|BLUR - STRENGTH|対象をにじませる強さをしてください（半角数値）|";
const QString kWaveAdd = "msgbox|WAVE - ADD|なみかけ適応後の対象の上になみかけ適応前の対象を"
                         "乗せますか？|Information/YesNo";
const QString kWaveFreq = "input|WAVE - FREQ|縦波の回数を指定してください（半角数値）|";
const QString kWaveLight = "input|WAVE - LIGHTSTRENGTH|コントラストを指定してください（半角数値）|";
const QString kWaveStrength = "input|WAVE - STRENGTH|波の強さを指定してください（半角数値）|";
const QString kGlowNote = "msgbox||色を指定するために、カラーツールを開きます|None/Ok";
const QString kShadowNote =
    "msgbox|DROPSHADOW - COLOR|影の色を指定するために、カラーツールを開きます|Information/Ok";

} // namespace

void TstTags::styleFilters_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QString>("answers");
    QTest::addColumn<int>("selLength"); // selected from just after "<IMG"
    QTest::addColumn<QString>("style"); // what appears after "<IMG"; "" when nothing
    QTest::addColumn<int>("caret");     // counted from just after "<IMG"
    QTest::addColumn<QStringList>("calls");
    const QStringList none;
    QTest::newRow("fliph") << "mnuHTMLstylefliph" << none << "" << 0 << " STYLE=\"FILTER:FLIPH();\""
                           << 24 << none;
    QTest::newRow("flipv, selection kept")
        << "mnuHTMLstyleflipv" << none << "" << 10 << " STYLE=\"FILTER:FLIPV();\"" << 24 << none;
    QTest::newRow("xray") << "mnuHTMLstylexray" << none << "" << 0 << " STYLE=\"FILTER:XRAY();\""
                          << 23 << none;
    QTest::newRow("alpha 30") << "mnuHTMLstylealpha" << QStringList{"30"} << "" << 0
                              << " STYLE=\"FILTER:ALPHA(OPACITY=70);\"" << 34
                              << QStringList{kAlpha};
    QTest::newRow("alpha 12.5, selection")
        << "mnuHTMLstylealpha" << QStringList{"12.5"} << "" << 10
        << " STYLE=\"FILTER:ALPHA(OPACITY=87.5);\"" << 36 << QStringList{kAlpha};
    QTest::newRow("alpha 120") << "mnuHTMLstylealpha" << QStringList{"120"} << "" << 0
                               << " STYLE=\"FILTER:ALPHA(OPACITY=-20);\"" << 35
                               << QStringList{kAlpha};
    QTest::newRow("alpha 0.1") << "mnuHTMLstylealpha" << QStringList{" 0.1"} << "" << 0
                               << " STYLE=\"FILTER:ALPHA(OPACITY=99.9);\"" << 36
                               << QStringList{kAlpha};
    QTest::newRow("alpha not a number") << "mnuHTMLstylealpha" << QStringList{"abc"} << "" << 10
                                        << "" << 0 << QStringList{kAlpha, "beep"};
    QTest::newRow("alpha cancelled") << "mnuHTMLstylealpha" << QStringList{"<cancel>"} << "" << 0
                                     << "" << 0 << QStringList{kAlpha, "beep"};
    QTest::newRow("blur No 5") << "nnuHTMLstyleblur" << QStringList{"5"} << "N" << 0
                               << " STYLE=\"FILTER:BLUR(STRENGTH=5,ADD=false);\"" << 43
                               << QStringList{kBlurAdd, kBlurStrength};
    QTest::newRow("blur Yes cancelled") << "nnuHTMLstyleblur" << QStringList{"<cancel>"} << "Y" << 0
                                        << " STYLE=\"FILTER:BLUR(STRENGTH=,ADD=true);\"" << 41
                                        << QStringList{kBlurAdd, kBlurStrength};
    QTest::newRow("wave Yes") << "mnuHTMLstylewave" << QStringList{"1", "2", "3"} << "Y" << 0
                              << " STYLE=\"FILTER:WAVE(ADD=TRUE,FREQ=1,LIGHTSTRENGTH=2,"
                                 "STRENGTH=3);\""
                              << 65 << QStringList{kWaveAdd, kWaveFreq, kWaveLight, kWaveStrength};
    QTest::newRow("wave No empty")
        << "mnuHTMLstylewave" << QStringList{"", "<cancel>", ""} << "N" << 0
        << " STYLE=\"FILTER:WAVE(ADD=FALSE,FREQ=,LIGHTSTRENGTH=,STRENGTH=);\"" << 63
        << QStringList{kWaveAdd, kWaveFreq, kWaveLight, kWaveStrength};
    QTest::newRow("glow") << "mnuHTMLstylefilterglow" << none << "" << 0
                          << " STYLE=\"FILTER:GLOW(COLOR=);\"" << 26
                          << QStringList{"beep", kGlowNote, "inject||{F2}|"};
    QTest::newRow("dropshadow, selection")
        << "mnuHTMLstyledropshadow" << none << "" << 10 << " STYLE=\"FILTER:DROPSHADOW(COLOR=);\""
        << 32 << QStringList{"beep", kShadowNote, "inject||{F2}|"};
}

void TstTags::styleFilters() {
    QFETCH(QString, item);
    QFETCH(QStringList, inputs);
    QFETCH(QString, answers);
    QFETCH(int, selLength);
    QFETCH(QString, style);
    QFETCH(int, caret);
    QFETCH(QStringList, calls);
    TagBench b;
    const QString head = QStringLiteral("<P>\r\n<IMG");
    const QString tail = QStringLiteral(" SRC=\"a.gif\">");
    b.set(head + tail, int(head.size()), selLength);
    b.script(inputs, answers);
    b.choose(item);
    QCOMPARE(b.text(), head + style + tail);
    QCOMPARE(b.caret(), int(head.size()) + caret);
    QCOMPARE(b.buffer.selectionLength(), 0);
    QCOMPARE(b.calls(), calls);
    QCOMPARE(b.host.unscripted, QStringList());
}

void TstTags::filtersLeaveTheFocus() {
    TagBench b;
    b.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&b.window));
    b.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&b.window));
    b.other->setFocus();
    QTRY_VERIFY(b.other->hasFocus());
    b.set(QStringLiteral("<IMG>"), 4);
    b.choose(QStringLiteral("mnuHTMLstylefliph"));
    QCOMPARE(b.text(), QStringLiteral("<IMG STYLE=\"FILTER:FLIPH();\">"));
    QCoreApplication::processEvents();
    QVERIFY(b.other->hasFocus());
}

void TstTags::shortestDecimal_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 70.0 << "70";
    QTest::newRow("fraction") << 87.5 << "87.5";
    QTest::newRow("negative") << -20.0 << "-20";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("binary fraction rounded") << 100 - 0.1 << "99.9";
    QTest::newRow("small") << 0.00001 << "0.00001";
    QTest::newRow("large") << 1.5e20 << "150000000000000000000";
    QTest::newRow("15 digits") << 123456789.012345678 << "123456789.012346";
}

void TstTags::shortestDecimal() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(::shortestDecimal(value), text);
}
