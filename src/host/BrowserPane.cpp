#include "BrowserPane.h"

#include "PagePrinter.h"

#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <utility>

namespace {

// Lets a page from disk show what lies beside it, as a browser does, but not read files through
// a script. Qt WebEngine's LocalContentCanAccessFileUrls cannot say this: switched off, it also
// blocks every picture and style sheet of a page from disk. So local files stay loadable, and
// the requests a script makes to read them (XMLHttpRequest, fetch, beacons, plug-in data) are
// refused here.
class LocalFileGuard : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        if (!info.requestUrl().isLocalFile())
            return;
        switch (info.resourceType()) {
        case QWebEngineUrlRequestInfo::ResourceTypeXhr:
        case QWebEngineUrlRequestInfo::ResourceTypePing:
        case QWebEngineUrlRequestInfo::ResourceTypeCspReport:
        case QWebEngineUrlRequestInfo::ResourceTypePluginResource:
        case QWebEngineUrlRequestInfo::ResourceTypeObject:
            info.block(true);
            break;
        default:
            break;
        }
    }
};

} // namespace

void BrowserPane::applyPreviewSettings(QWebEnginePage* page) {
    QWebEngineSettings* settings = page->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    page->setUrlRequestInterceptor(new LocalFileGuard(page));
}

namespace {

QWebEnginePage* g_warmPage = nullptr;

} // namespace

void BrowserPane::warmUp() {
    if (g_warmPage)
        return;
    g_warmPage = new QWebEnginePage(QWebEngineProfile::defaultProfile());
    applyPreviewSettings(g_warmPage);
    // A blank page starts the render process, so the first real page does not wait for it.
    g_warmPage->setUrl(QUrl(QStringLiteral("about:blank")));
}

BrowserPane::BrowserPane(QWidget* parent) : QWebEngineView(parent) {
    setObjectName(QStringLiteral("WB"));
    if (QWebEnginePage* warm = std::exchange(g_warmPage, nullptr)) {
        warm->setParent(this);
        setPage(warm);
    } else {
        applyPreviewSettings(page());
    }
    connect(this, &QWebEngineView::loadStarted, this, [this] {
        if (!m_loading)
            m_loadClock.start();
        m_loading = true;
    });
    connect(this, &QWebEngineView::loadFinished, this, &BrowserPane::onLoadFinished);
}

QUrl BrowserPane::toUrl(const QString& address) {
    const QUrl url(address, QUrl::TolerantMode);
    if (url.isValid() && !url.scheme().isEmpty())
        return url;
    return QUrl::fromUserInput(address);
}

void BrowserPane::navigate(const QString& address) {
    if (m_printing) {
        // The page being printed stays; the newest address waits for the print to end.
        m_afterPrint = address;
        return;
    }
    if (address.startsWith(QLatin1String("about:")) && address.size() > 6) {
        m_pending.reset();
        m_restoreScroll.reset();
        m_loading = true;
        m_loadingUrl = QUrl(QStringLiteral("about:blank"));
        m_loadClock.start();
        setHtml(address.mid(6), m_loadingUrl);
        return;
    }
    const QUrl url = toUrl(address);
    // Another refresh of the page being loaded waits for that load to end; the newest request
    // wins, and the file it names is read when its turn comes. Any other address goes at once,
    // and so does a refresh whose load seems stuck.
    const int kStuckMs = 5000;
    if (m_loading && url == m_loadingUrl && m_loadClock.isValid() &&
        m_loadClock.elapsed() < kStuckMs) {
        m_pending = url;
        return;
    }
    m_pending.reset();
    startLoad(url);
}

void BrowserPane::startLoad(const QUrl& url) {
    if (url == this->url()) {
        // A refresh of the page shown: come back to where the reader was.
        if (!m_restoreScroll)
            m_restoreScroll = page()->scrollPosition();
    } else {
        m_restoreScroll.reset();
    }
    m_loading = true;
    m_loadingUrl = url;
    m_loadClock.start();
    load(url);
}

void BrowserPane::onLoadFinished(bool) {
    m_loading = false;
    if (m_restoreScroll) {
        const QPointF at = *m_restoreScroll;
        page()->runJavaScript(QStringLiteral("window.scrollTo(%1, %2);").arg(at.x()).arg(at.y()));
    }
    if (m_pending) {
        const QUrl next = *m_pending;
        m_pending.reset();
        // The scroll position to come back to is still the one taken before this load.
        startLoad(next);
        return;
    }
    m_restoreScroll.reset();
    emit navigationShown(url());
}

void BrowserPane::goBack() {
    if (history()->canGoBack())
        back();
}

void BrowserPane::goForward() {
    if (history()->canGoForward())
        forward();
}

void BrowserPane::printPage(std::function<void()> finished) {
    PagePrinter* printer = PagePrinter::forView(this);
    if (m_printing || printer->isBusy()) {
        if (finished)
            finished();
        return;
    }
    m_printing = true;
    auto* connection = new QMetaObject::Connection;
    *connection = connect(printer, &PagePrinter::finished, this,
                          [this, connection, finished = std::move(finished)](bool) {
                              disconnect(*connection);
                              delete connection;
                              m_printing = false;
                              if (m_afterPrint) {
                                  const QString next = *m_afterPrint;
                                  m_afterPrint.reset();
                                  navigate(next);
                              }
                              if (finished)
                                  finished();
                          });
    printer->print();
}
