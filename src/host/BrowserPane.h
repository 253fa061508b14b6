#pragma once

#include <QWebEngineView>

// The preview pane WB: a real browser. "about:" followed by HTML shows that HTML as a page;
// any other address is loaded, and loading the address already shown loads it afresh.
class BrowserPane : public QWebEngineView {
    Q_OBJECT
public:
    explicit BrowserPane(QWidget* parent = nullptr);

    void navigate(const QString& address);
    void goBack();
    void goForward();
    void printPage();

    // The address as the program understands it: "about:" + HTML, a file:// or a web address.
    static QUrl toUrl(const QString& address);
};
