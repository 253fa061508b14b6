#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QPrinter;
class QWebEngineView;

// Prints the page a browser pane shows, without asking the user anything: to the default
// printer, or, where the system has none, to a PDF file, and then says where that file is.
// One printer belongs to each pane and keeps what it needs alive until the page is out.
class PagePrinter : public QObject {
    Q_OBJECT
public:
    using Reporter = std::function<void(const QString& message)>;

    ~PagePrinter() override;

    // The pane's printer, made on first use.
    static PagePrinter* forView(QWebEngineView* view);

    // Where the page goes when there is no printer. A file already there is kept: the page
    // then goes to "name (2).pdf" and so on.
    void setPdfFallbackPath(const QString& path) { m_pdfPath = path; }
    QString pdfFallbackPath() const;
    // Tells the user about the PDF file; an information box unless replaced.
    void setReporter(Reporter reporter) { m_reporter = std::move(reporter); }

    // Starts printing the shown page; returns at once. A print still running ignores another.
    void print();
    bool isBusy() const { return m_busy; }

    // `path` itself when free, else the first free "base (n).suffix".
    static QString freePath(const QString& path);

signals:
    void finished(bool ok);

private:
    explicit PagePrinter(QWebEngineView* view);
    void printToPrinter();
    void printToPdf();
    void report(const QString& message);

    QWebEngineView* m_view;
    std::unique_ptr<QPrinter> m_printer;
    QString m_pdfPath;
    Reporter m_reporter;
    bool m_busy = false;
};
