#include "document/Preview.h"
#include "host/BrowserPane.h"
#include "host/EditBuffer.h"
#include "support/TestApp.h"

#include <QImage>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>
#include <QWebEnginePage>

// The preview in a real browser pane: what the page shows, not just what was asked for.
class TstBrowser : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pageShowsTheTextAndResolvesAgainstTheWorkingFolder();
    void rapidRefreshesEndOnTheNewestText();
    void refreshKeepsTheScrollPlace();
    void aHangingStartPageDoesNotHoldThePreviewBack();
    void aPageCannotReadTheUsersFilesButShowsItsPictures();

private:
    QVariant evaluate(const QString& script);
    void refreshAndWait(const QString& text);

    struct BrowserHost : FakeHost {
        using FakeHost::FakeHost;
        BrowserPane* pane = nullptr;
        void navigate(const QString& address) override {
            FakeHost::navigate(address);
            pane->navigate(address);
        }
    };

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<BrowserHost> m_host;
    std::unique_ptr<BrowserPane> m_pane;
    std::unique_ptr<QPlainTextEdit> m_edit;
    std::unique_ptr<EditBuffer> m_buffer;
    std::unique_ptr<QTimer> m_timer;
    std::unique_ptr<Preview> m_preview;
    ProgramState m_state;
};

void TstBrowser::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_host = std::make_unique<BrowserHost>(m_dir->path());
    m_pane = std::make_unique<BrowserPane>();
    m_pane->resize(600, 400);
    m_pane->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pane.get()));
    m_host->pane = m_pane.get();
    m_edit = std::make_unique<QPlainTextEdit>();
    m_buffer = std::make_unique<EditBuffer>(m_edit.get());
    m_timer = std::make_unique<QTimer>();
    m_state = ProgramState();
    m_state.settings.PreviewUpdate = 0;
    m_preview = std::make_unique<Preview>(m_state, *m_host, *m_buffer, m_timer.get());
    connect(m_buffer.get(), &EditBuffer::changed, m_preview.get(), &Preview::txtEdit_Change);
}

void TstBrowser::cleanup() {
    m_preview.reset();
    m_buffer.reset();
    m_edit.reset();
    m_pane.reset();
    m_host.reset();
}

QVariant TstBrowser::evaluate(const QString& script) {
    QVariant result;
    bool done = false;
    m_pane->page()->runJavaScript(script, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        qWarning("script did not answer: %s", qPrintable(script));
    return result;
}

void TstBrowser::refreshAndWait(const QString& text) {
    QSignalSpy shown(m_pane.get(), &BrowserPane::navigationShown);
    m_buffer->setText(text);
    QVERIFY(shown.wait(15000));
}

void TstBrowser::pageShowsTheTextAndResolvesAgainstTheWorkingFolder() {
    m_host->setWorkingFolder(QStringLiteral("/srv/サイト"));
    refreshAndWait(
        QStringLiteral("<html><HEAD></HEAD><body><p id=t>日本語のテスト😀</p></body></html>"));
    QCOMPARE(evaluate(QStringLiteral("document.getElementById('t').textContent")).toString(),
             QStringLiteral("日本語のテスト😀"));
    QCOMPARE(QUrl(evaluate(QStringLiteral("document.baseURI")).toString()).toLocalFile(),
             QStringLiteral("/srv/サイト/"));
}

void TstBrowser::rapidRefreshesEndOnTheNewestText() {
    refreshAndWait(QStringLiteral("<p id=t>0</p>"));
    QSignalSpy started(m_pane.get(), &QWebEngineView::loadStarted);
    for (int i = 1; i <= 40; ++i)
        m_buffer->setText(QStringLiteral("<p id=t>%1</p>").arg(i));
    QTRY_VERIFY_WITH_TIMEOUT(
        !m_pane->isLoading() &&
            evaluate(QStringLiteral("document.getElementById('t').textContent")).toString() ==
                u"40",
        15000);
    // Loads were coalesced instead of queued one per keystroke.
    QVERIFY2(started.count() < 10, qPrintable(QString::number(started.count())));
}

void TstBrowser::refreshKeepsTheScrollPlace() {
    QString page;
    for (int i = 0; i < 400; ++i)
        page += QStringLiteral("<p>行 %1</p>\r\n").arg(i);
    refreshAndWait(page);
    evaluate(QStringLiteral("window.scrollTo(0, document.body.scrollHeight); 0"));
    QTRY_VERIFY(m_pane->page()->scrollPosition().y() > 1000);
    const qreal bottom = m_pane->page()->scrollPosition().y();

    refreshAndWait(page + QStringLiteral("<p id=last>打った</p>"));
    QTRY_VERIFY_WITH_TIMEOUT(m_pane->page()->scrollPosition().y() >= bottom - 1, 5000);
    QCOMPARE(evaluate(QStringLiteral("document.getElementById('last').textContent")).toString(),
             QStringLiteral("打った"));

    // Another page starts at its top.
    QSignalSpy shown(m_pane.get(), &BrowserPane::navigationShown);
    const QString other = m_dir->filePath(QStringLiteral("other.html"));
    writeBytes(other, page.toUtf8());
    m_pane->navigate(Preview::ToFileUrl(other));
    QVERIFY(shown.wait(15000));
    QTest::qWait(200);
    QCOMPARE(m_pane->page()->scrollPosition().y(), 0.0);
}

void TstBrowser::aHangingStartPageDoesNotHoldThePreviewBack() {
    // A start page on a server that accepts and never answers.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    m_pane->navigate(QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()));
    QTRY_VERIFY(m_pane->isLoading());
    QSignalSpy shown(m_pane.get(), &BrowserPane::navigationShown);
    m_buffer->setText(QStringLiteral("<p id=t>typed at once</p>"));
    QVERIFY(shown.wait(4000));
    QCOMPARE(evaluate(QStringLiteral("document.getElementById('t').textContent")).toString(),
             QStringLiteral("typed at once"));
}

void TstBrowser::aPageCannotReadTheUsersFilesButShowsItsPictures() {
    // A downloaded page opened in the editor tries to read a file beside it and one elsewhere.
    QTemporaryDir site;
    QImage picture(7, 5, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(site.filePath(QStringLiteral("pic.png"))));
    QVERIFY(picture.save(m_dir->filePath(QStringLiteral("pic2.png"))));
    QVERIFY(QDir(site.path()).mkdir(QStringLiteral("sub")));
    QVERIFY(picture.save(site.filePath(QStringLiteral("sub/pic3.png"))));
    writeBytes(site.filePath(QStringLiteral("secret.txt")), "private words");
    writeBytes(m_dir->filePath(QStringLiteral("elsewhere.txt")), "other folder");
    m_host->setWorkingFolder(site.path());
    const QString reader = QStringLiteral(
        "function tryRead(url) {"
        "  try { const r = new XMLHttpRequest(); r.open('GET', url, false); r.send();"
        "        return 'read:' + r.responseText; }"
        "  catch (e) { return 'refused'; } }");
    refreshAndWait(
        QStringLiteral("<html><head></head><body><img id=p src=\"pic.png\"><img id=p2 src=\"") +
        Preview::ToFileUrl(m_dir->filePath(QStringLiteral("pic2.png"))) +
        QStringLiteral("\"><img id=p3 src=\"sub/pic3.png\">"
                       "<script>") +
        reader + QStringLiteral("</script></body></html>"));
    // Pictures beside the page, below it and beside the preview file itself all show.
    for (const char* id : {"p", "p2", "p3"})
        QTRY_COMPARE(
            evaluate(
                QStringLiteral("document.getElementById('%1').naturalWidth").arg(QLatin1String(id)))
                .toInt(),
            7);
    QCOMPARE(evaluate(QStringLiteral("tryRead('secret.txt')")).toString(),
             QStringLiteral("refused"));
    QCOMPARE(
        evaluate(QStringLiteral("tryRead('%1')")
                     .arg(Preview::ToFileUrl(m_dir->filePath(QStringLiteral("elsewhere.txt")))))
            .toString(),
        QStringLiteral("refused"));
    evaluate(QStringLiteral("fetch('secret.txt').then(r => r.text()).then("
                            "t => window.got = 'read:' + t, e => window.got = 'refused'); 0"));
    QTRY_COMPARE(evaluate(QStringLiteral("window.got || ''")).toString(),
                 QStringLiteral("refused"));
}

TAGLOOM_TEST_MAIN(TstBrowser)
#include "tst_browser.moc"
