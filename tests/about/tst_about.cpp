#include "about/AppVersion.h"
#include "about/frmInfo.h"
#include "about/frmVersion.h"
#include "app/MenuTree.h"
#include "app/frmEdit.h"
#include "host/BrowserPane.h"
#include "host/LinkLabel.h"
#include "support/TestApp.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

using namespace Qt::Literals::StringLiterals;

class TstAbout : public QObject {
    Q_OBJECT
private slots:
    void versionLabelByteForByte();
    void linkBorderFollowsTheMouse();
    void linkOpensTheHomePage();
    void iconJumps();
    void iconIsTheProgramsOwn();
    void applicationVersionText();
    void versionMenuItem();
    void incompleteInputIsRefused_data();
    void incompleteInputIsRefused();
    void requestAddress_data();
    void requestAddress();
    void fieldLimitsAndTabOrder();
    void enterMovesOnAndNeverSends();
    void cancelNeitherNavigatesNorToggles();
    void readLinkShowsTheBoard();
    void postingInBrowserModeTurnsItOff();
    void feedbackReachesARealServer_data();
    void feedbackReachesARealServer();
};

namespace {

void moveMouse(QWidget* target, const QPoint& position) {
    QMouseEvent move(QEvent::MouseMove, QPointF(position), target->mapToGlobal(QPointF(position)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
}

// Opens the feedback form through Ctrl+H's item and lets `drive` work it.
void runFeedback(EditorFixture& f, std::function<void(frmInfo*)> drive) {
    f.host.dialogScripts.push_back([drive](QDialog* d) {
        auto* form = qobject_cast<frmInfo*>(d);
        if (!form)
            return -1;
        drive(form);
        return form->result();
    });
    f.window->menus().item(u"mnuHelpInfo"_s)->trigger();
}

} // namespace

void TstAbout::versionLabelByteForByte() {
    FakeHost host(QDir::tempPath());
    frmVersion about(host);
    QCOMPARE(about.windowTitle(), u"バージョン情報"_s);
    // Built from the project version of the build.
    QCOMPARE(about.lblVer->text().toUtf8(),
             QByteArray("\xE3\x83\x90\xE3\x83\xBC\xE3\x82\xB8\xE3\x83\xA7\xE3\x83\xB3\xEF\xBC\x9A"
                        "\xE3\x80\x80"
                        "1.2"
                        "\xE3\x80\x80"
                        "\xEF\xBC\x88\xE6\x9B\xB4\xE6\x96\xB0\xE5\x9B\x9E\xE6\x95\xB0\xEF\xBC\x9A"
                        "125"
                        "\xEF\xBC\x89"));
    QCOMPARE(about.lblVer->text(), u"バージョン：　1.2　（更新回数：125）"_s);
    QCOMPARE(frmVersion::versionCaption({3, 10, 7}), u"バージョン：　3.10　（更新回数：7）"_s);
}

void TstAbout::linkBorderFollowsTheMouse() {
    FakeHost host(QDir::tempPath());
    frmVersion about(host);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.Label7->frameShape(), QFrame::NoFrame);
    moveMouse(about.Label7, QPoint(3, 3));
    QCOMPARE(about.Label7->frameShape(), QFrame::Box);
    // Straight onto another control: the border stays.
    moveMouse(about.Label8, QPoint(3, 3));
    QCOMPARE(about.Label7->frameShape(), QFrame::Box);
    // Onto the background: gone.
    const QPoint background(about.width() - 3, 3);
    QVERIFY(!about.childAt(background));
    moveMouse(&about, background);
    QCOMPARE(about.Label7->frameShape(), QFrame::NoFrame);
    QVERIFY(host.calls.isEmpty());
}

void TstAbout::linkOpensTheHomePage() {
    FakeHost host(QDir::tempPath());
    frmVersion about(host);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QTest::mouseClick(about.Label7, Qt::LeftButton);
    QCOMPARE(host.kinds(), QStringList({u"beep"_s, u"openWith"_s}));
    QCOMPARE(host.calls[1].text, frmVersion::homePageAddress());
    QCOMPARE(about.Label7->text(), frmVersion::homePageAddress());
}

void TstAbout::iconJumps() {
    FakeHost host(QDir::tempPath());
    frmVersion about(host);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.imgIcon->size(), QSize(32, 32));
    QVERIFY(about.imgIcon->pos() != QPoint(5, 9));
    moveMouse(about.imgIcon, QPoint(5, 9));
    QCOMPARE(about.imgIcon->pos(), QPoint(5, 9));
    moveMouse(about.imgIcon, QPoint(2, 1));
    QCOMPARE(about.imgIcon->pos(), QPoint(2, 1));
}

void TstAbout::iconIsTheProgramsOwn() {
    FakeHost host(QDir::tempPath());
    frmVersion about(host);
    const QImage icon = about.imgIcon->pixmap().toImage();
    QCOMPARE(icon.size(), QSize(32, 32));
    // tagloom.svg at two thirds: a blue tile with rounded corners, white brackets, an orange
    // stroke through the middle.
    const auto near = [&icon](QPoint at, QColor want) {
        const QColor got = icon.pixelColor(at);
        return std::abs(got.red() - want.red()) < 40 && std::abs(got.green() - want.green()) < 40 &&
               std::abs(got.blue() - want.blue()) < 40 && got.alpha() > 200;
    };
    QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);
    QVERIFY(near({16, 4}, QColor(0x24, 0x46, 0xC8)));
    QVERIFY(near({26, 26}, QColor(0x24, 0x46, 0xC8)));
    QVERIFY(near({16, 16}, QColor(0xFF, 0x96, 0x1B)));
    QVERIFY(near({6, 16}, Qt::white));
}

void TstAbout::applicationVersionText() {
    // The program file's version, the Debian package's and the metainfo release.
    QCOMPARE(::applicationVersionText(kAppVersion), u"1.2.0.125"_s);
    QCOMPARE(::applicationVersionText({3, 10, 7}), u"3.10.0.7"_s);
}

void TstAbout::versionMenuItem() {
    EditorFixture f;
    f.open();
    QAction* item = f.window->menus().item(u"mnuVersion"_s);
    QVERIFY(item->isEnabled());
    QCOMPARE(item->shortcut(), QKeySequence(u"F12"_s));
    f.host.clear();
    // No script: the real box, closed with Return (its default OK button).
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            QTest::keyClick(box, Qt::Key_Return);
    });
    item->trigger();
    QCOMPARE(f.host.kinds(), QStringList({u"modal"_s, u"beep"_s}));
    QCOMPARE(f.host.calls[0].text, u"frmVersion"_s);
}

void TstAbout::incompleteInputIsRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("no name") << QString() << u"本文"_s;
    QTest::newRow("no message") << u"名前"_s << QString();
    QTest::newRow("neither") << QString() << QString();
}

void TstAbout::incompleteInputIsRefused() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    EditorFixture f;
    f.open();
    f.host.clear();
    bool stayedOpen = false;
    runFeedback(f, [&](frmInfo* form) {
        form->show();
        // The focus moves only in the active window; a slow start may not be active yet.
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        form->txtName->setText(name);
        form->txtS->setPlainText(message);
        form->txtURL->setText(u"http://mine.test/"_s);
        form->txtS->setFocus();
        form->cmdSend->click();
        stayedOpen = form->isVisible();
        QCOMPARE(QApplication::focusWidget(), form->txtName);
        QCOMPARE(form->txtS->toPlainText(), message); // the texts are kept
        form->close();
    });
    QVERIFY(stayedOpen);
    QCOMPARE(f.host.kinds(),
             QStringList({u"beep"_s, u"navigate"_s, u"modal"_s, u"beep"_s, u"msgbox"_s}));
    const HostCall box = f.host.callsOf(u"msgbox"_s)[0];
    QCOMPARE(box.text, u"入力が不十分です。ご確認ください。"_s);
    QCOMPARE(box.title, u"入力不十分"_s);
    QCOMPARE(box.icon, Icon::Information);
    QVERIFY(!f.state.FeedbackNavigated);
}

void TstAbout::requestAddress_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("query");
    QTest::newRow("two lines") << u"n"_s << u"a\r\nb"_s << u"u"_s
                               << u"?name=n&msg=a<brOpe>b&url=u"_s;
    QTest::newRow("bare LF") << u"n"_s << u"a\nb\n"_s << QString()
                             << u"?name=n&msg=a<brOpe>b<brOpe>&url="_s;
    QTest::newRow("empty address") << u"n"_s << u"m"_s << QString() << u"?name=n&msg=m&url="_s;
    QTest::newRow("separators")
        << u"a&b"_s << u"x=1#y+z"_s << u"http://h/?p=1&q"_s
        << u"?name=a%26b&msg=x%3D1%23y%2Bz&url=http%3A%2F%2Fh%2F%3Fp%3D1%26q"_s;
    QTest::newRow("Japanese") << u"太郎"_s << u"é"_s << QString()
                              << u"?name=%E5%A4%AA%E9%83%8E&msg=%C3%A9&url="_s;
}

void TstAbout::requestAddress() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(QString, url);
    QFETCH(QString, query);
    QCOMPARE(frmInfo::requestAddress(u"http://board.test/fb.cgi"_s, name, message, url),
             u"http://board.test/fb.cgi"_s + query);
}

void TstAbout::fieldLimitsAndTabOrder() {
    EditorFixture f;
    f.open();
    frmInfo form(f.state, f.host, f.window->preview(), u"http://board.test/"_s);
    form.show();
    // The Tab presses go to the application's focus widget, which only an active window has;
    // a loaded machine may show the form before it is made active.
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.txtName->setFocus();
    QTest::keyClicks(form.txtName, QString(30, u'n'));
    QCOMPARE(form.txtName->text(), QString(25, u'n'));
    form.txtName->setText(QString(30, u'名'));
    QCOMPARE(form.txtName->text(), QString(25, u'名'));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.txtURL);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.txtS);
    // 297 characters and a line break (two) leave room for one more.
    form.txtS->setPlainText(QString(297, u'x'));
    form.txtS->moveCursor(QTextCursor::End);
    QTest::keyClick(form.txtS, Qt::Key_Return);
    QTest::keyClicks(form.txtS, u"abc"_s);
    QCOMPARE(form.txtS->toPlainText(), QString(297, u'x') + u"\na"_s);
    QCOMPARE(frmInfo::crLfLength(form.txtS->toPlainText()), 300);
    // A paste past the limit is cut to fit.
    form.txtS->setPlainText(QString(290, u'y'));
    form.txtS->moveCursor(QTextCursor::End);
    form.txtS->insertPlainText(u"1234567890ABCDEF"_s);
    QCOMPARE(form.txtS->toPlainText(), QString(290, u'y') + u"1234567890"_s);
}

void TstAbout::enterMovesOnAndNeverSends() {
    EditorFixture f;
    f.open();
    frmInfo form(f.state, f.host, f.window->preview(), u"http://board.test/"_s);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QApplication::setActiveWindow(&form);
    QTRY_VERIFY(form.isActiveWindow());
    for (QPushButton* button : form.findChildren<QPushButton*>())
        QVERIFY2(!button->isDefault(), qPrintable(button->objectName()));
    f.host.clear();
    form.txtName->setFocus();
    QTest::keyClicks(form.txtName, u"n"_s);
    form.txtS->setPlainText(u"m"_s);
    // Enter in a one-line field moves on as Tab does.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), form.txtURL);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(QApplication::focusWidget(), form.txtS);
    // In the message it is a line break.
    form.txtS->moveCursor(QTextCursor::End);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(form.txtS->toPlainText(), u"m\n"_s);
    QVERIFY(form.isVisible());
    QCOMPARE(f.host.navigations(), QStringList());
    QVERIFY(!f.state.FeedbackNavigated);
    // Only the button posts: Enter on it when it has the focus, as a click does.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.cmdSend);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(f.host.navigations(), QStringList{u"http://board.test/?name=n&msg=m<brOpe>&url="_s});
}

void TstAbout::cancelNeitherNavigatesNorToggles() {
    EditorFixture f;
    f.open();
    f.host.clear();
    runFeedback(f, [](frmInfo* form) {
        form->txtName->setText(u"n"_s);
        form->txtS->setPlainText(u"m"_s);
        form->Command1->click();
    });
    QTest::qWait(50);
    QCOMPARE(f.host.kinds(), QStringList({u"beep"_s, u"navigate"_s, u"modal"_s}));
    QVERIFY(!f.host.navigations()[0].contains(u"board"_s)); // only the preview refresh
    QVERIFY(!f.state.BrowserMode);
}

void TstAbout::readLinkShowsTheBoard() {
    EditorFixture f;
    f.open();
    f.host.clear();
    runFeedback(f, [](frmInfo* form) {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QTest::mouseClick(form->Label5, Qt::LeftButton);
    });
    QCOMPARE(f.host.navigations().last(), feedbackScriptAddress() + u"?mode=read"_s);
    QCOMPARE(f.host.kinds().mid(3), QStringList({u"beep"_s, u"navigate"_s, u"inject"_s}));
    QTRY_VERIFY(f.state.BrowserMode); // F7 arrives after the command
}

void TstAbout::postingInBrowserModeTurnsItOff() {
    EditorFixture f;
    f.open();
    f.window->mnuWBTool_Click();
    QVERIFY(f.state.BrowserMode);
    runFeedback(f, [](frmInfo* form) {
        form->txtName->setText(u"n"_s);
        form->txtS->setPlainText(u"m"_s);
        form->cmdSend->click();
    });
    QVERIFY(f.host.navigations().last().startsWith(feedbackScriptAddress() + u"?name=n&msg=m"_s));
    QTRY_VERIFY(!f.state.BrowserMode);
}

void TstAbout::feedbackReachesARealServer_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("msgValue");
    QTest::newRow("separators and Japanese")
        << u"山田&太郎=1"_s << u"a&b=c\n日本語のテキスト #1 + 2%"_s << u"http://x.test/?a=1&b=2"_s
        << u"a&b=c<brOpe>日本語のテキスト #1 + 2%"_s;
    QTest::newRow("empty address") << u"n"_s << u"m"_s << QString() << u"m"_s;
}

void TstAbout::feedbackReachesARealServer() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(QString, url);
    QFETCH(QString, msgValue);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    QByteArray request;
    connect(&server, &QTcpServer::newConnection, &server, [&] {
        QTcpSocket* socket = server.nextPendingConnection();
        connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
            request += socket->readAll();
            if (request.contains("\r\n\r\n")) {
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 2"
                              "\r\nConnection: close\r\n\r\nok");
                socket->disconnectFromHost();
            }
        });
    });
    const QString script = u"http://127.0.0.1:%1/cgi/feedback.cgi"_s.arg(server.serverPort());

    EditorFixture f;
    f.open();
    frmInfo form(f.state, f.host, f.window->preview(), script);
    form.txtName->setText(name);
    form.txtURL->setText(url);
    form.txtS->setPlainText(message);
    f.host.clear();
    form.cmdSend->click();
    QCOMPARE(f.host.kinds(), QStringList({u"navigate"_s, u"beep"_s, u"msgbox"_s}));
    QCOMPARE(f.host.calls[2].text, u"ご協力有難うございました！"_s);
    QCOMPARE(f.host.calls[2].title, u"感謝！"_s);
    QVERIFY(f.state.FeedbackNavigated);

    // The real preview pane goes where the program sent it.
    f.window->WB()->navigate(f.host.navigations().last());
    QTRY_VERIFY_WITH_TIMEOUT(request.contains("\r\n\r\n"), 20000);
    const QByteArray line = request.left(request.indexOf("\r\n"));
    QVERIFY2(line.startsWith("GET /cgi/feedback.cgi?"), line.constData());
    const QByteArray target = line.split(' ').value(1);
    const QByteArray rawQuery = target.mid(target.indexOf('?') + 1);
    const QList<QByteArray> pairs = rawQuery.split('&');
    QCOMPARE(pairs.size(), 3);
    QStringList keys;
    QStringList values;
    for (const QByteArray& pair : pairs) {
        const int eq = pair.indexOf('=');
        QVERIFY(eq > 0);
        keys << QString::fromLatin1(pair.left(eq));
        values << QUrl::fromPercentEncoding(pair.mid(eq + 1));
    }
    QCOMPARE(keys, QStringList({u"name"_s, u"msg"_s, u"url"_s}));
    QCOMPARE(values, QStringList({name, msgValue, url}));
    if (url.isEmpty())
        QVERIFY(rawQuery.endsWith("&url="));
}

TAGLOOM_TEST_MAIN(TstAbout)
#include "tst_about.moc"
