#include "BrowserPane.h"

#include <QWebEngineHistory>

BrowserPane::BrowserPane(QWidget* parent) : QWebEngineView(parent) {
    setObjectName(QStringLiteral("WB"));
}

QUrl BrowserPane::toUrl(const QString& address) {
    const QUrl url(address, QUrl::TolerantMode);
    if (url.isValid() && !url.scheme().isEmpty())
        return url;
    return QUrl::fromUserInput(address);
}

void BrowserPane::navigate(const QString& address) {
    if (address.startsWith(QLatin1String("about:")) && address.size() > 6) {
        setHtml(address.mid(6), QUrl(QStringLiteral("about:blank")));
        return;
    }
    load(toUrl(address));
}

void BrowserPane::goBack() {
    if (history()->canGoBack())
        back();
}

void BrowserPane::goForward() {
    if (history()->canGoForward())
        forward();
}

void BrowserPane::printPage() {}
