#include "app/MenuTree.h"
#include "app/TextPane.h"
#include "app/frmEdit.h"
#include "color/frmColor.h"
#include "document/Preview.h"
#include "host/TextFile.h"
#include "options/EditorFont.h"
#include "options/frmOption.h"
#include "options/frmTimer.h"
#include "options/frmWinSize.h"
#include "settings/ColorNumber.h"
#include "settings/SettingsFile.h"
#include "support/TestApp.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

class TstOptions : public QObject {
    Q_OBJECT
private slots:
    void closeBoxWritesNothingButLaysOutAgain();
    void okRightAfterStartWritesTheDocumentPath_data();
    void okRightAfterStartWritesTheDocumentPath();
    void okInAFolderNamedWithTheSeparator();
    void chkHttpField_data();
    void chkHttpField();
    void loadingOpensNoSubDialog_data();
    void loadingOpensNoSubDialog();
    void choosingOpensTheSubDialogs();
    void addressWithSeparatorIsRefused();
    void okWritesEveryControlAndSetsTheTimer();
    void fontButton();
    void colorButtonsPaintTheSwatches();
    void browseGivesAFileAddress();
    void browsedAddressIsOneField_data();
    void browsedAddressIsOneField();
    void escapeClosesLikeTheCloseBox();
    void timerValues_data();
    void timerValues();
    void timerLoadsAndKeepsFractions();
    void timerTypingIsLimitedToTwoCharacters();
    void winSizeLabelsAndOk_data();
    void winSizeLabelsAndOk();
};

namespace {

QStringList fieldsOnDisk(const EditorFixture& f) {
    QString text = readInternalFile(f.appFile(u"setting.dat"_s)).value_or(QString());
    if (!text.endsWith(u"\r\n"_s))
        return {};
    text.chop(2); // the one line's CR LF
    return text.split(u"[]"_s);
}

// Opens the options through F4's item; `drive` works the dialog and its result is returned.
void runOptions(EditorFixture& f, std::function<void(frmOption*)> drive) {
    f.host.dialogScripts.push_back([drive](QDialog* d) {
        auto* o = qobject_cast<frmOption*>(d);
        if (!o)
            return -1;
        drive(o);
        return o->result();
    });
    f.window->menus().item(u"mnuOption"_s)->trigger();
}

} // namespace

void TstOptions::closeBoxWritesNothingButLaysOutAgain() {
    EditorFixture f;
    frmEdit& w = f.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QByteArray before = readBytes(f.appFile(u"setting.dat"_s));
    QVERIFY(!before.isEmpty());
    w.txtEdit()->setGeometry(0, 0, 10, 10);
    f.host.clear();
    runOptions(f, [](frmOption* o) {
        o->chkBR->setChecked(true);
        o->close();
    });
    QCOMPARE(readBytes(f.appFile(u"setting.dat"_s)), before);
    QCOMPARE(f.host.kinds(), QStringList({u"modal"_s, u"beep"_s}));
    QVERIFY(w.txtEdit()->width() > 10); // the panes were laid out again
}

void TstOptions::okRightAfterStartWritesTheDocumentPath_data() {
    QTest::addColumn<QString>("documentPath");
    QTest::addColumn<QString>("written");
    QTest::newRow("none") << QString() << QString();
    QTest::newRow("a document") << u"/home/a/ページ.html"_s << u"/home/a/ページ.html"_s;
    QTest::newRow("separator in the path") << u"/home/a[]b/x.html"_s << QString();
}

void TstOptions::okRightAfterStartWritesTheDocumentPath() {
    QFETCH(QString, documentPath);
    QFETCH(QString, written);
    EditorFixture f;
    f.open();
    f.state.document.DocumentPath = documentPath;
    runOptions(f, [](frmOption* o) { o->cmdOK->click(); });
    // Everything else as it was: the default line's values.
    QCOMPARE(fieldsOnDisk(f),
             QStringList({u""_s, u"0"_s, u"0"_s, u"16777215"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s,
                          u"0"_s, written, u"0"_s, u"50"_s, u"初期設定"_s, u"0"_s}));
    QCOMPARE(f.state.settings.LastDocumentPath, written);
}

// The first start in such a folder writes a line of fourteen fields, so OK has nothing shifted
// to write back.
void TstOptions::okInAFolderNamedWithTheSeparator() {
    EditorFixture f(u"tagloom[]options-XXXXXX"_s);
    QVERIFY(f.dir.isValid());
    f.open();
    QCOMPARE(f.state.settings.EditorFontName, u"初期設定"_s);
    runOptions(f, [](frmOption* o) { o->cmdOK->click(); });
    QCOMPARE(fieldsOnDisk(f),
             (QStringList{QString(), u"0"_s, u"0"_s, u"16777215"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s,
                          u"0"_s, QString(), u"0"_s, u"50"_s, u"初期設定"_s, u"0"_s}));
}

void TstOptions::chkHttpField_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("click");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("browseEnabled");
    QTest::newRow("off, unchanged") << u"0"_s << false << u"0"_s << true;
    QTest::newRow("off, checked") << u"0"_s << true << u"-1"_s << false;
    QTest::newRow("on, unchanged") << u"-1"_s << false << u"-1"_s << false;
    QTest::newRow("on, unchecked") << u"-1"_s << true << u"0"_s << true;
}

void TstOptions::chkHttpField() {
    QFETCH(QString, stored);
    QFETCH(bool, click);
    QFETCH(QString, field);
    QFETCH(bool, browseEnabled);
    EditorFixture f;
    f.writeSettings({{0, u"http://example.test/"_s}, {4, stored}});
    f.open();
    runOptions(f, [&](frmOption* o) {
        QCOMPARE(o->txtURL->text(), u"http://example.test/"_s);
        if (click) {
            o->chkHTTP->click();
            QCOMPARE(o->txtURL->text(), QString()); // the address is emptied
        }
        QCOMPARE(o->cmdURL->isEnabled(), browseEnabled);
        QCOMPARE(o->cmdSethelp->isEnabled(), browseEnabled);
        QCOMPARE(o->txtURL->isReadOnly(), browseEnabled);
        if (browseEnabled) {
            o->cmdSethelp->click();
            QCOMPARE(o->txtURL->text(), u"help"_s);
        } else {
            o->txtURL->setText(u"http://example.test/x"_s);
        }
        o->cmdOK->click();
    });
    const QStringList fields = fieldsOnDisk(f);
    QCOMPARE(fields[4], field);
    QCOMPARE(fields[0], browseEnabled ? u"help"_s : u"http://example.test/x"_s);
}

void TstOptions::loadingOpensNoSubDialog_data() {
    QTest::addColumn<QString>("update");
    QTest::addColumn<QString>("interval");
    QTest::addColumn<QString>("split");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("bordered");
    QTest::newRow("interval 1500") << u"2"_s << u"1500"_s << u"0"_s << u"1.5秒"_s << true << true;
    QTest::newRow("ratio split") << u"0"_s << u"0"_s << u"3"_s << QString() << false << false;
    QTest::newRow("both") << u"2"_s << u"5000"_s << u"3"_s << u"5秒"_s << true << true;
    QTest::newRow("earlier interval stays")
        << u"1"_s << u"20000"_s << u"1"_s << u"20秒"_s << true << false;
}

void TstOptions::loadingOpensNoSubDialog() {
    QFETCH(QString, update);
    QFETCH(QString, interval);
    QFETCH(QString, split);
    QFETCH(QString, shown);
    QFETCH(bool, visible);
    QFETCH(bool, bordered);
    EditorFixture f;
    f.writeSettings({{1, update}, {6, interval}, {10, split}});
    f.open();
    f.host.clear();
    runOptions(f, [&](frmOption* o) {
        o->show();
        QCOMPARE(o->txtPTimer->text(), shown);
        QCOMPARE(o->txtPTimer->isVisible(), visible);
        QCOMPARE(o->Label2->frameShape() == QFrame::Box, bordered);
        QCOMPARE(o->cmbWinSize->currentIndex(), split.toInt());
        QVERIFY(o->OptWBP[update.toInt()]->isChecked());
        QCOMPARE(o->lblFonts->text(), u"初期設定"_s);
        QVERIFY(!f.state.OptionsLoading);
        o->close();
    });
    QCOMPARE(f.host.count(u"modal"_s), 1); // the options dialog alone
    QVERIFY(f.host.unscripted.isEmpty());
}

void TstOptions::choosingOpensTheSubDialogs() {
    EditorFixture f;
    f.open();
    f.host.clear();
    runOptions(f, [&](frmOption* o) {
        f.host.dialogScripts.push_back([](QDialog* d) {
            auto* t = qobject_cast<frmTimer*>(d);
            t->txtTimer->setText(u"5"_s);
            t->Command1->click();
            return t->result();
        });
        o->OptWBP[2]->click();
        QCOMPARE(o->txtPTimer->text(), u"5秒"_s);
        QCOMPARE(f.state.settings.PreviewUpdate, 2);
        QCOMPARE(f.state.settings.PreviewInterval, 5000);
        QCOMPARE(o->Label2->frameShape(), QFrame::Box);

        f.host.dialogScripts.push_back([](QDialog* d) {
            auto* r = qobject_cast<frmWinSize*>(d);
            r->sldWinSize->setValue(30);
            r->Command1->click();
            return r->result();
        });
        o->cmbWinSize->setCurrentIndex(3);
        emit o->cmbWinSize->activated(3);
        QCOMPARE(f.state.settings.PaneSplitPercent, 30);
        o->cmdOK->click();
    });
    const QStringList kinds = f.host.kinds();
    QCOMPARE(kinds,
             QStringList({u"modal"_s, u"modal"_s, u"beep"_s, u"modal"_s, u"beep"_s, u"beep"_s}));
    QCOMPARE(f.host.callsOf(u"modal"_s)[1].text, u"frmTimer"_s);
    QCOMPARE(f.host.callsOf(u"modal"_s)[2].text, u"frmWinSize"_s);
    const QStringList fields = fieldsOnDisk(f);
    QCOMPARE(fields[1], u"2"_s);
    QCOMPARE(fields[6], u"5000"_s);
    QCOMPARE(fields[10], u"3"_s);
    QCOMPARE(fields[11], u"30"_s);
    QCOMPARE(f.window->Timer1()->interval(), 5000);
}

void TstOptions::addressWithSeparatorIsRefused() {
    EditorFixture f;
    f.writeSettings({{4, u"-1"_s}});
    f.open();
    bool stayedOpen = false;
    runOptions(f, [&](frmOption* o) {
        o->show();
        o->txtURL->setText(u"http://localhost/a[]b.html"_s);
        o->cmdOK->click();
        stayedOpen = o->isVisible() && o->result() == 0;
        // A bracketed host is no separator.
        o->txtURL->setText(u"http://[::1]:8080/"_s);
        o->cmdOK->click();
    });
    QVERIFY(stayedOpen);
    const QList<HostCall> boxes = f.host.callsOf(u"msgbox"_s);
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, u"設定値不正"_s);
    QVERIFY(boxes[0].text.contains(u"「[]」"_s));
    const QStringList fields = fieldsOnDisk(f);
    QCOMPARE(fields.size(), 14);
    QCOMPARE(fields[0], u"http://[::1]:8080/"_s);
}

void TstOptions::okWritesEveryControlAndSetsTheTimer() {
    EditorFixture f;
    f.writeSettings({{1, u"2"_s},
                     {6, u"3000"_s},
                     {2, u"255"_s},
                     {3, u"65280"_s},
                     {12, u"Monospace"_s},
                     {13, u"12"_s}});
    f.open();
    runOptions(f, [](frmOption* o) {
        QCOMPARE(o->lblFonts->text(), u"フォント名：Monospace\r\nサイズ:12"_s);
        QCOMPARE(o->lblSC->palette().color(QPalette::Window), QColor(255, 0, 0));
        QCOMPARE(o->lblBC->palette().color(QPalette::Window), QColor(0, 255, 0));
        o->OptWBP[1]->click();
        o->chkBR->setChecked(true);
        o->chkWindow->setChecked(true);
        o->chkF->setChecked(true);
        o->cmbWinSize->setCurrentIndex(2);
        o->cmdOK->click();
    });
    const QStringList fields = fieldsOnDisk(f);
    QCOMPARE(fields,
             QStringList({u""_s, u"1"_s, u"255"_s, u"65280"_s, u"0"_s, u"1"_s, u"3000"_s, u"1"_s,
                          u"1"_s, u""_s, u"2"_s, u"50"_s, u"Monospace"_s, u"12"_s}));
    QCOMPARE(f.state.settings.PreviewUpdate, 1);
    QCOMPARE(f.state.settings.PaneSplit, 2);
    QVERIFY(!f.window->Timer1()->isActive());
}

void TstOptions::fontButton() {
    EditorFixture f;
    f.open();
    // Cancel: nothing changes and the label keeps its text.
    f.host.fontChoices.push_back(std::nullopt);
    // A refused font, then a good one (10.5 rounds to the even 10).
    f.host.fontChoices.push_back(FontChoice{QString(), 11});
    f.host.fontChoices.push_back(FontChoice{u"DejaVu Sans Mono"_s, 10.5});
    f.host.clear();
    runOptions(f, [&](frmOption* o) {
        o->cmdFonts->click();
        QCOMPARE(o->lblFonts->text(), u"初期設定"_s);
        QCOMPARE(f.state.settings.EditorFontName, u"初期設定"_s);
        o->cmdFonts->click();
        QCOMPARE(o->lblFonts->text(), u"フォント名：DejaVu Sans Mono\r\nサイズ:10"_s);
        o->close();
    });
    QCOMPARE(f.host.kinds(),
             QStringList({u"modal"_s, u"beep"_s, u"font"_s, u"beep"_s, u"msgbox"_s, u"beep"_s,
                          u"font"_s, u"beep"_s, u"msgbox"_s, u"beep"_s, u"font"_s, u"beep"_s}));
    const QList<HostCall> boxes = f.host.callsOf(u"msgbox"_s);
    QCOMPARE(boxes[0].text, u"キャンセルしました。変更されません"_s);
    QCOMPARE(boxes[1].text, u"フォントが選択されていません。もう一度選択しなおしてください。"_s);
    QCOMPARE(boxes[1].icon, Icon::Exclamation);
    QCOMPARE(f.state.settings.EditorFontName, u"DejaVu Sans Mono"_s);
    QCOMPARE(f.state.settings.EditorFontSize, 10);
    QCOMPARE(f.window->txtEdit()->font().family(), u"DejaVu Sans Mono"_s);
    QCOMPARE(f.window->txtEdit()->font().pointSize(), 10);
    // "初期設定" preselects nothing; the refused empty name was not kept for the retry.
    const QList<HostCall> dialogs = f.host.callsOf(u"font"_s);
    QCOMPARE(dialogs[0].text, QString());
    QCOMPARE(dialogs[2].text, QString());
    // Closed without OK: the file still says the default font.
    QCOMPARE(fieldsOnDisk(f)[12], u"初期設定"_s);
}

void TstOptions::colorButtonsPaintTheSwatches() {
    EditorFixture f;
    f.open();
    QStringList modes;
    const auto pick = [&](int r, int g, int b) {
        f.host.dialogScripts.push_back([&, r, g, b](QDialog* d) {
            auto* c = qobject_cast<frmColor*>(d);
            modes << f.state.color.ColorToolMode;
            c->S1->setValue(r);
            c->S2->setValue(g);
            c->S3->setValue(b);
            c->Command1->click();
            return c->result();
        });
    };
    runOptions(f, [&](frmOption* o) {
        pick(16, 32, 48);
        o->cmdColorOfEditorBackground->click();
        QCOMPARE(o->lblBC->palette().color(QPalette::Window), QColor(16, 32, 48));
        pick(200, 100, 0);
        o->cmdColorOfEditorString->click();
        QCOMPARE(o->lblSC->palette().color(QPalette::Window), QColor(200, 100, 0));
        o->close();
    });
    QCOMPARE(modes, QStringList({u"txtBack"_s, u"txtColor"_s}));
    QCOMPARE(f.state.settings.EditorBackColor, QString::number(colorNumber(16, 32, 48)));
    QCOMPARE(f.state.settings.EditorForeColor, QString::number(colorNumber(200, 100, 0)));
}

void TstOptions::browseGivesAFileAddress() {
    EditorFixture f;
    f.open();
    const QString page = f.appFile(u"start page#1.html"_s);
    writeBytes(page, "<HTML></HTML>");
    f.host.fileChoices.push_back(page);
    f.host.fileChoices.push_back(std::nullopt);
    QStringList addresses;
    runOptions(f, [&](frmOption* o) {
        o->cmdURL->click();
        addresses << o->txtURL->text();
        o->cmdURL->click();
        addresses << o->txtURL->text();
        o->close();
    });
    QCOMPARE(addresses[0], Preview::ToFileUrl(page));
    QVERIFY(addresses[0].startsWith(u"file://"_s));
    QCOMPARE(addresses[1], QString());
    QCOMPARE(f.host.callsOf(u"msgbox"_s).size(), 1);    // the cancel message
    QCOMPARE(f.state.document.DocumentPath, QString()); // chosen, not opened
}

void TstOptions::browsedAddressIsOneField_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address"); // after the application folder's address
    QTest::newRow("brackets") << u"pages[1]"_s << u"start[]page.html"_s
                              << u"/pages%5B1%5D/start%5B%5Dpage.html"_s;
    QTest::newRow("line breaks") << u"a\rb"_s << u"c\nd.html"_s << u"/a%0Db/c%0Ad.html"_s;
}

// The address the browse button gives is written as it is: no refusal of a name the user cannot
// edit, and the browser reads it as the same file.
void TstOptions::browsedAddressIsOneField() {
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, address);
    EditorFixture f;
    f.open();
    QVERIFY(QDir(f.dir.path()).mkdir(folder));
    const QString page = f.appFile(folder + u'/' + name);
    writeBytes(page, "<HTML></HTML>");
    f.host.fileChoices.push_back(page);
    runOptions(f, [&](frmOption* o) {
        o->cmdURL->click();
        o->cmdOK->click();
    });
    const QString expected = u"file://"_s + f.dir.path() + address;
    QCOMPARE(f.host.count(u"msgbox"_s), 0);
    const QStringList fields = fieldsOnDisk(f);
    QCOMPARE(fields.size(), 14);
    QCOMPARE(fields[0], expected);
    QCOMPARE(f.state.settings.StartPage, expected);
    QCOMPARE(QUrl(expected).toLocalFile(), page);
}

void TstOptions::escapeClosesLikeTheCloseBox() {
    EditorFixture f;
    f.open();
    const QByteArray before = readBytes(f.appFile(u"setting.dat"_s));
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        auto* o = qobject_cast<frmOption*>(QApplication::activeModalWidget());
        sawDialog = o != nullptr;
        if (o)
            QTest::keyClick(o, Qt::Key_Escape);
    });
    f.window->menus().item(u"mnuOption"_s)->trigger(); // no script: the real modal loop
    QVERIFY(sawDialog);
    QCOMPARE(readBytes(f.appFile(u"setting.dat"_s)), before);
    QCOMPARE(f.host.kinds().mid(f.host.kinds().size() - 2), QStringList({u"modal"_s, u"beep"_s}));
}

void TstOptions::timerValues_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored"); // 0: refused
    QTest::newRow("1") << u"1"_s << 1000;
    QTest::newRow("60") << u"60"_s << 60000;
    QTest::newRow("fraction") << u"2.5"_s << 2500;
    QTest::newRow("leading blank") << u" 7"_s << 7000;
    QTest::newRow("0") << u"0"_s << 0;
    QTest::newRow("61") << u"61"_s << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("letters") << u"ab"_s << 0;
    QTest::newRow("just under 1") << u"0.9"_s << 0;
}

void TstOptions::timerValues() {
    QFETCH(QString, typed);
    QFETCH(int, stored);
    FakeHost host(QDir::tempPath());
    Settings settings;
    settings.PreviewInterval = 4000;
    QLineEdit display;
    frmTimer t(settings, host, &display);
    t.show();
    t.txtTimer->setText(typed);
    t.Command1->click();
    if (stored) {
        QCOMPARE(settings.PreviewInterval, stored);
        QCOMPARE(settings.PreviewUpdate, 2);
        QCOMPARE(display.text(), typed + u"秒"_s);
        QCOMPARE(t.result(), int(QDialog::Accepted));
        QCOMPARE(host.count(u"msgbox"_s), 0);
        return;
    }
    QCOMPARE(settings.PreviewInterval, 4000);
    QCOMPARE(settings.PreviewUpdate, 0);
    QCOMPARE(host.kinds(), QStringList({u"beep"_s, u"msgbox"_s}));
    const HostCall box = host.calls[1];
    QCOMPARE(box.text, u"設定値が1～60ではありません"_s);
    QCOMPARE(box.title, u"設定値不正"_s);
    QCOMPARE(box.icon, Icon::Exclamation);
    QCOMPARE(t.txtTimer->text(), QString());
    QVERIFY(t.isVisible());
    QCOMPARE(display.text(), QString());
}

void TstOptions::timerLoadsAndKeepsFractions() {
    FakeHost host(QDir::tempPath());
    Settings settings;
    settings.PreviewInterval = 1500;
    QLineEdit display;
    frmTimer t(settings, host, &display);
    QCOMPARE(t.windowTitle(), u"インターバル設定"_s);
    QCOMPARE(t.txtTimer->text(), u"1.5"_s);
    QCOMPARE(t.txtTimer->selectedText(), u"1.5"_s);
    t.Command1->click();
    QCOMPARE(settings.PreviewInterval, 1500);
    QCOMPARE(display.text(), u"1.5秒"_s);
    QCOMPARE(frmTimer::secondsText(0), u"0"_s);
    QCOMPARE(frmTimer::secondsText(60010), u"60.01"_s);
}

void TstOptions::timerTypingIsLimitedToTwoCharacters() {
    FakeHost host(QDir::tempPath());
    Settings settings;
    settings.PreviewInterval = 1500;
    frmTimer t(settings, host, nullptr);
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    t.txtTimer->setFocus();
    QTest::keyClicks(t.txtTimer, u"123"_s); // the loaded text is selected: typing replaces it
    QCOMPARE(t.txtTimer->text(), u"12"_s);
    QTest::keyClick(t.txtTimer, Qt::Key_Return); // Return presses OK
    QCOMPARE(settings.PreviewInterval, 12000);
}

void TstOptions::winSizeLabelsAndOk_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("moved");
    QTest::newRow("50 kept") << 50 << -1;
    QTest::newRow("to 30") << 50 << 30;
    QTest::newRow("to 0") << 70 << 0;
    QTest::newRow("to 100") << 20 << 100;
}

void TstOptions::winSizeLabelsAndOk() {
    QFETCH(int, percent);
    QFETCH(int, moved);
    FakeHost host(QDir::tempPath());
    Settings settings;
    settings.PaneSplitPercent = percent;
    frmWinSize r(settings, host);
    const auto shows = [&r](int v) {
        QCOMPARE(r.lblTxt->text(), u"テキスト欄比率："_s + QString::number(v));
        QCOMPARE(r.lblP->text(), u"プレビュー欄比率："_s + QString::number(100 - v));
    };
    QCOMPARE(r.windowTitle(), u"画面サイズ比率　自由指定"_s);
    shows(percent);
    const int value = moved < 0 ? percent : moved;
    r.sldWinSize->setValue(value);
    shows(value);
    QCOMPARE(settings.PaneSplitPercent, percent); // nothing stored before OK
    r.Command1->click();
    QCOMPARE(settings.PaneSplitPercent, value);
    QCOMPARE(host.kinds(), QStringList({u"beep"_s}));
}

TAGLOOM_TEST_MAIN(TstOptions)
#include "tst_options.moc"
