#include "CsvToTable.h"

#include "document/Preview.h"
#include "host/EditBuffer.h"
#include "host/Host.h"
#include "host/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <new>
#include <optional>

namespace {

const QString kCsvHeading =
    QStringLiteral("<HR><b>Error:CSV不正</b><br>（この処理は不正確なCSVでも処理を完了できるように"
                   "作ってあるので、ファイルが開かれなかった可能性が高いです）<br>");
const QString kMemoryHeading =
    QStringLiteral("<HR><b>Error:メモリ不足</b><br>（使用していないプログラムなどを終了してから、"
                   "再度実行してください。また、あまりに膨大なデータは処理できませんので分割して"
                   "から再度実行する方法もあります）<br>");

// Keeps the main window without input for the whole call, whichever way the call ends.
class MainWindowDisabled {
public:
    explicit MainWindowDisabled(Host& host) : m_host(host) { m_host.enableMainWindow(false); }
    ~MainWindowDisabled() { enable(); }
    void enable() {
        if (m_disabled)
            m_host.enableMainWindow(true);
        m_disabled = false;
    }

private:
    Host& m_host;
    bool m_disabled = true;
};

} // namespace

std::optional<QString> readCsvFile(const QString& path, QString* error) {
    std::optional<DecodedText> read = readTextFile(path, error);
    if (!read)
        return std::nullopt;
    return std::move(read->text);
}

TableConverter::TableConverter(Host& host, EditBuffer& buffer, const QString& quote)
    : m_host(host), m_buffer(buffer), m_quote(quote) {}

QString TableConverter::tableDataFile() const {
    return m_host.appFile(tableDataName());
}

QString TableConverter::errorPageFile() const {
    return m_host.appFile(errorPageName());
}

bool TableConverter::writeTableData(const QString& text) const {
    if (writeInternalFile(tableDataFile(), text + QStringLiteral("\r\n")))
        return true;
    QFile::remove(tableDataFile());
    return false;
}

bool TableConverter::handOverTableData(const QString& text) {
    if (writeTableData(text))
        return true;
    const qsizetype damaged = firstLoneSurrogate(text);
    if (damaged < 0)
        return true; // the converter finds no Table.dat and says so
    m_host.beep();
    m_host.messageBox(QStringLiteral("表（テーブル）にする文字列に") +
                          describeDamagedCharacter(text, damaged) +
                          QStringLiteral("が含まれているため、表（テーブル）を作成できません。"),
                      Buttons::Ok, Icon::Exclamation, QStringLiteral("壊れた文字"));
    return false;
}

QString TableConverter::errorPage(const QString& heading, const QString& fileName,
                                  const QString& selected, const QString& rows) {
    return heading + QStringLiteral("\r\n") + fileName + QStringLiteral("<HR>") + selected + rows +
           QStringLiteral("\r\n");
}

TableOutcome TableConverter::CsvToTable(bool askForFile) {
    m_host.beep();
    MainWindowDisabled disabled(m_host);
    const QString workingFolder = m_host.workingFolder();
    QString rows;

    if (askForFile) {
        FileDialogRequest request;
        request.title = QStringLiteral("CSVファイルを開く");
        request.filter = QStringLiteral("CSVファイル(*.csv,*.txt)|*.csv;*.txt");
        request.initialFolder = m_host.applicationFolder();
        request.fileMustExist = true;
        if (!m_host.openFileDialog(request))
            return csvFailure(rows);
    } else {
        m_host.setFileDialogName(tableDataFile());
    }
    const QString input = m_host.fileDialogName();

    // A file this long cannot give a table the document can take; it is not read at all.
    const QFileInfo info(input);
    if (info.isFile() && info.size() > m_limit * qsizetype(sizeof(QChar)))
        return memoryFailure(rows);

    QString damaged;
    try {
        // Why a chosen file could not be read is said with the failure.
        QString reason;
        std::optional<QString> csv =
            askForFile ? readCsvFile(input, &reason) : readInternalFile(input);
        if (!csv)
            return csvFailure(rows, reason);
        if (const qsizetype at = firstLoneSurrogate(*csv); at >= 0)
            damaged = describeDamagedCharacter(*csv, at);
        if (!buildTableRows(*csv, m_limit, rows))
            return memoryFailure(rows);
    } catch (const std::bad_alloc&) {
        rows = QString();
        return memoryFailure(rows);
    }

    const QString border = m_host.inputBox(
        QStringLiteral("枠の幅を指定してください（数値、半角）つけない場合は0を入力。"),
        QStringLiteral("ボーダーの付加"), QStringLiteral("1"));
    try {
        if (rows.size() + tableFrameLength(border, m_quote) > m_limit)
            return memoryFailure(rows);
        frameTable(rows, border, m_quote);
        m_buffer.replaceSelection(rows);
    } catch (const std::bad_alloc&) {
        return memoryFailure(rows);
    }

    disabled.enable();
    m_host.setWorkingFolder(workingFolder);
    m_host.beep();
    // A broken UTF-16 file converts as it reads, but not as if it had read cleanly.
    if (!damaged.isEmpty())
        m_host.messageBox(QStringLiteral("このファイルには") + damaged +
                              QStringLiteral("が含まれています。表（テーブル）にはそのまま入れて"
                                             "あります。"),
                          Buttons::Ok, Icon::Exclamation, QStringLiteral("壊れた文字"));
    return TableOutcome::Inserted;
}

TableOutcome TableConverter::csvFailure(QString& rows, const QString& reason) {
    m_host.messageBox(QStringLiteral("ファイルが開かれませんでした。無効なファイルです") +
                          (reason.isEmpty() ? QString() : QStringLiteral("\r\n") + reason),
                      Buttons::Ok, Icon::Information, QStringLiteral("エラー"));
    showErrorPage(kCsvHeading, rows);
    return TableOutcome::CsvFailure;
}

TableOutcome TableConverter::memoryFailure(QString& rows) {
    m_host.messageBox(QStringLiteral("メモリが不足しているため、処理を完了できませんでした。"),
                      Buttons::Ok, Icon::Exclamation, QStringLiteral("メモリ不足"));
    showErrorPage(kMemoryHeading, rows);
    return TableOutcome::MemoryFailure;
}

void TableConverter::showErrorPage(const QString& heading, QString& rows) {
    const QString page = errorPageFile();
    const QString fileName = m_host.fileDialogName();
    const QString selected = m_buffer.selectedText();
    bool written = false;
    try {
        // UTF-8 with a byte order mark: the browser reads it right whatever the rows hold.
        written =
            writeFileAtomic(page, encodeShownPage(errorPage(heading, fileName, selected, rows)));
    } catch (const std::bad_alloc&) {
        // Too short of memory for the rows as well: the page says what failed without them.
        rows = QString();
        try {
            written =
                writeFileAtomic(page, encodeShownPage(errorPage(heading, fileName, selected, {})));
        } catch (const std::bad_alloc&) {
        }
    }
    // An older page must not be shown as this failure's.
    if (!written)
        QFile::remove(page);
    m_host.navigate(Preview::ToFileUrl(page));
}
