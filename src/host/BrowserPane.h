#pragma once

#include <QElapsedTimer>
#include <QUrl>
#include <QWebEngineView>
#include <functional>
#include <optional>

class QWebEnginePage;

// The preview pane WB: a real browser. "about:" followed by HTML shows that HTML as a page;
// any other address is loaded, and loading the address already shown loads it afresh while
// keeping the scroll position, so an author typing at the bottom of a long page stays there.
// Loads never overlap: an address asked for during a load waits, and only the newest waits.
class BrowserPane : public QWebEngineView {
    Q_OBJECT
public:
    explicit BrowserPane(QWidget* parent = nullptr);

    void navigate(const QString& address);
    void goBack();
    void goForward();
    // Prints the shown page; `finished` runs when it is out. Until then the page stays as it
    // is: navigations wait, and the newest runs when the print has finished.
    void printPage(std::function<void()> finished = {});
    bool isPrinting() const { return m_printing; }

    bool isLoading() const { return m_loading; }

    // Starts the browser engine and makes a page ahead of time, while nothing else is going
    // on (behind the splash window); the next pane made takes that page.
    static void warmUp();

    // What a page in the preview may do: the one place these settings are made.
    static void applyPreviewSettings(QWebEnginePage* page);

    // The address as the program understands it: "about:" + HTML, a file:// or a web address.
    static QUrl toUrl(const QString& address);

signals:
    // A navigation asked for by the program has been shown (the newest one, after coalescing).
    void navigationShown(const QUrl& url);

private:
    void startLoad(const QUrl& url);
    void onLoadFinished(bool ok);

    bool m_loading = false;
    bool m_printing = false;
    std::optional<QString> m_afterPrint;
    QUrl m_loadingUrl;
    QElapsedTimer m_loadClock;
    std::optional<QUrl> m_pending;
    std::optional<QPointF> m_restoreScroll;
};
