#pragma once

#include "TableRows.h"

#include <QString>
#include <optional>

class EditBuffer;
class Host;

// A chosen CSV file's text, read as documents are: a byte order mark, else its bytes decide
// the encoding. nullopt, with `error` saying why, when it cannot be read or decoded or is not a
// regular file.
std::optional<QString> readCsvFile(const QString& path, QString* error = nullptr);

enum class TableOutcome { Inserted, CsvFailure, MemoryFailure };

// The CSV to table converter: reads comma-separated text from a file the user picks or from the
// scratch file Table.dat, asks for the border width and puts the table in place of txtEdit's
// selection. A failure is told in a message and on the error page HTML-TGLM-error.html, shown
// in the preview pane, and nothing is inserted.
class TableConverter {
public:
    TableConverter(Host& host, EditBuffer& buffer, const QString& quote);

    TableOutcome CsvToTable(bool askForFile);

    // The table text the converter will put into the document, at most; a longer one takes the
    // memory failure. A CSV file longer than this many bytes is not read at all.
    void setLimit(qsizetype characters) { m_limit = characters; }
    qsizetype limit() const { return m_limit; }

    static QString tableDataName() { return QStringLiteral("Table.dat"); }
    static QString errorPageName() { return QStringLiteral("HTML-TGLM-error.html"); }
    QString tableDataFile() const;
    QString errorPageFile() const;

    // The scratch file's contents, as the table tools hand text over: `text` and CR LF.
    // False when it cannot be written; no older Table.dat is left to be converted instead.
    bool writeTableData(const QString& text) const;
    // Writes Table.dat for a conversion. A text that holds a damaged character cannot be written
    // in any encoding of the program's files: the user is told, and the result is false (do not
    // convert). A write that failed otherwise leaves no Table.dat, so the conversion reports it.
    bool handOverTableData(const QString& text);

    // The error page's text for heading `heading`.
    static QString errorPage(const QString& heading, const QString& fileName,
                             const QString& selected, const QString& rows);

private:
    // `reason`, when given, follows the message on a line of its own.
    TableOutcome csvFailure(QString& rows, const QString& reason = {});
    TableOutcome memoryFailure(QString& rows);
    // Writes the page and shows it; `rows` is given up if memory runs short meanwhile.
    void showErrorPage(const QString& heading, QString& rows);

    Host& m_host;
    EditBuffer& m_buffer;
    const QString& m_quote;
    qsizetype m_limit = kMaxTableChars;
};
