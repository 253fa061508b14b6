#include "BrowserPane.h"

#include "PagePrinter.h"

#include <QWebEngineHistory>
#include <QWebEnginePage>

BrowserPane::BrowserPane(QWidget* parent) : QWebEngineView(parent) {
    setObjectName(QStringLiteral("WB"));
    connect(this, &QWebEngineView::loadStarted, this, [this] { m_loading = true; });
    connect(this, &QWebEngineView::loadFinished, this, &BrowserPane::onLoadFinished);
}

QUrl BrowserPane::toUrl(const QString& address) {
    const QUrl url(address, QUrl::TolerantMode);
    if (url.isValid() && !url.scheme().isEmpty())
        return url;
    return QUrl::fromUserInput(address);
}

void BrowserPane::navigate(const QString& address) {
    if (address.startsWith(QLatin1String("about:")) && address.size() > 6) {
        m_pending.reset();
        m_restoreScroll.reset();
        m_loading = true;
        setHtml(address.mid(6), QUrl(QStringLiteral("about:blank")));
        return;
    }
    const QUrl url = toUrl(address);
    if (m_loading) {
        // The newest address wins; the file it names is read when its turn comes.
        m_pending = url;
        return;
    }
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

void BrowserPane::printPage() { PagePrinter::forView(this)->print(); }
