#include "PagePrinter.h"

#include "AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWebEngineView>

namespace {

const char kObjectName[] = "PagePrinter";

} // namespace

PagePrinter::PagePrinter(QWebEngineView* view) : QObject(view), m_view(view) {
    setObjectName(QString::fromLatin1(kObjectName));
    connect(m_view, &QWebEngineView::printFinished, this, [this](bool ok) {
        m_printer.reset();
        m_busy = false;
        // The page did not come out: say so rather than leave the user waiting for paper.
        if (!ok)
            report(
                QStringLiteral("印刷できませんでした。プリンターの設定と状態を確かめてください。"));
        emit finished(ok);
    });
    connect(
        m_view, &QWebEngineView::pdfPrintingFinished, this, [this](const QString& path, bool ok) {
            m_busy = false;
            const QString where = QDir::toNativeSeparators(path);
            if (ok)
                report(QStringLiteral("プリンターが見つからないため、PDFファイルに保存しました。"
                                      "\r\n\r\n") +
                       where);
            else
                report(QStringLiteral("プリンターが見つからず、PDFファイルにも保存できません"
                                      "でした。\r\n\r\n") +
                       where);
            emit finished(ok);
        });
}

PagePrinter::~PagePrinter() = default;

PagePrinter* PagePrinter::forView(QWebEngineView* view) {
    if (!view)
        return nullptr;
    auto* printer =
        view->findChild<PagePrinter*>(QString::fromLatin1(kObjectName), Qt::FindDirectChildrenOnly);
    return printer ? printer : new PagePrinter(view);
}

QString PagePrinter::pdfFallbackPath() const {
    if (!m_pdfPath.isEmpty())
        return m_pdfPath;
    return AppFolder::current() + QStringLiteral("/HTML-TGLM-print.pdf");
}

QString PagePrinter::freePath(const QString& path) {
    if (!QFileInfo::exists(path))
        return path;
    const QFileInfo info(path);
    const QString stem = info.dir().filePath(info.completeBaseName());
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

void PagePrinter::print() {
    if (m_busy)
        return;
    m_busy = true;
    if (QPrinterInfo::defaultPrinter().isNull())
        printToPdf();
    else
        printToPrinter();
}

void PagePrinter::printToPrinter() {
    m_printer =
        std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    // The view renders the page into a PDF first and prints that; the printer must outlive it.
    m_view->print(m_printer.get());
}

void PagePrinter::printToPdf() {
    const QPageLayout layout(
        QPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                             : QPageSize::A4),
        QPageLayout::Portrait, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    m_view->printToPdf(freePath(pdfFallbackPath()), layout);
}

void PagePrinter::report(const QString& message) {
    if (m_reporter) {
        m_reporter(message);
        return;
    }
    QMessageBox box(QMessageBox::Information, QStringLiteral("印刷"), message, QMessageBox::Ok,
                    m_view->window());
    box.exec();
}
