// CSV to table. Any text gives the rows the converter's rules give (a row for every line that is
// not empty, a cell for every field, "[]" marking a header), counted exactly before they are
// built, so a table over the limit takes the memory failure and nothing is built; a CSV file or
// Table.dat of any bytes ends in the table in place of the selection, or in the CSV failure or
// the memory failure, never a crash.
#include "FuzzSupport.h"
#include "host/EditBuffer.h"
#include "host/TextFile.h"
#include "support/FakeHost.h"
#include "tables/CsvToTable.h"
#include "tables/TableRows.h"

#include <QFile>
#include <QPlainTextEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

// The rows written out plainly, one line at a time, and how many there are.
QString referenceRows(const QString& csv, int& rowCount) {
    QString out;
    rowCount = 0;
    QString line;
    auto endLine = [&] {
        if (line.isEmpty())
            return;
        ++rowCount;
        const QStringList fields = line.split(u',');
        out += QStringLiteral("<TR>");
        for (const QString& f : fields) {
            if (f.startsWith(QStringLiteral("[]")))
                out += QStringLiteral("<TH>") + f.mid(2) + QStringLiteral("</TH>");
            else
                out += QStringLiteral("<TD>") + f + QStringLiteral("</TD>");
        }
        if (fields.size() > 1)
            out += QStringLiteral("</TR>\r\n");
        line.clear();
    };
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const QChar c = csv[i];
        if (c == u'\r' || c == u'\n') {
            endLine();
            if (c == u'\r' && i + 1 < csv.size() && csv[i + 1] == u'\n')
                ++i;
        } else {
            line.append(c);
        }
    }
    endLine();
    return out;
}

// Lines end at CR LF, CR or LF.
int nonEmptyLines(const QString& csv) {
    int n = 0;
    bool content = false;
    for (qsizetype i = 0; i <= csv.size(); ++i) {
        if (i == csv.size() || csv[i] == u'\r' || csv[i] == u'\n') {
            n += content ? 1 : 0;
            content = false;
        } else {
            content = true;
        }
    }
    return n;
}

void rowsFollowTheRules(const QString& csv, qsizetype limit) {
    int rowCount = 0;
    const QString expected = referenceRows(csv, rowCount);
    FUZZ_CHECK(rowCount == nonEmptyLines(csv));
    const QString rows = tableRows(csv);
    FUZZ_CHECK(rows == expected, u"csv: "_s + fuzz::shown(csv) + u"\nrows: "_s + fuzz::shown(rows) +
                                     u"\nexpected: "_s + fuzz::shown(expected));
    FUZZ_CHECK(tableRowsLength(csv) == rows.size());
    QString built = QStringLiteral("left over");
    const bool fits = buildTableRows(csv, limit, built, limit % 97);
    FUZZ_CHECK(fits == (rows.size() <= limit));
    FUZZ_CHECK(fits ? built == rows : built.isEmpty());
}

struct Bench {
    Bench() : buffer(&edit), host(fuzz::scratchFolder()), converter(host, buffer, quote) {}
    QPlainTextEdit edit;
    EditBuffer buffer;
    FakeHost host;
    const QString quote = QStringLiteral("\"");
    TableConverter converter;
};

Bench& bench() {
    static Bench* b = new Bench; // lives as long as the process
    return *b;
}

TableOutcome expectedOutcome(const QByteArray& bytes, qsizetype limit, const QString& border,
                             const Bench& b, QString& table) {
    if (bytes.size() > limit * qsizetype(sizeof(QChar)))
        return TableOutcome::MemoryFailure;
    const std::optional<QString> csv = readInternalFile(b.converter.tableDataFile());
    if (!csv)
        return TableOutcome::CsvFailure;
    int rowCount = 0;
    const QString rows = referenceRows(*csv, rowCount);
    table = QStringLiteral("<TABLE border=\"") + border + QStringLiteral("\">\r\n") + rows +
            QStringLiteral("</TABLE>");
    return table.size() > limit ? TableOutcome::MemoryFailure : TableOutcome::Inserted;
}

// Table.dat of these bytes through the whole converter.
void converterEndsOneWay(const QByteArray& bytes, qsizetype limit, const QString& border) {
    Bench& b = bench();
    b.host.clear();
    b.buffer.setText(QStringLiteral("前[選択]後"));
    b.buffer.setSelection(1, 4);
    fuzz::writeFile(b.converter.tableDataFile(), bytes);
    QFile::remove(b.converter.errorPageFile());
    b.converter.setLimit(limit);
    b.host.inputs.assign(1, border);
    QString table;
    const TableOutcome expected = expectedOutcome(bytes, limit, border, b, table);
    const TableOutcome outcome = b.converter.CsvToTable(false);
    FUZZ_CHECK(outcome == expected, QStringLiteral("outcome %1, expected %2, limit %3")
                                        .arg(int(outcome))
                                        .arg(int(expected))
                                        .arg(limit));
    FUZZ_CHECK(b.host.mainWindowEnabled);
    if (outcome == TableOutcome::Inserted) {
        // The pane holds U+FDD0 and U+FDD1, which its document keeps for frame bounds, as
        // U+FFFD.
        const QString text = EditBuffer::toCrLf(
            EditBuffer::heldByWidget(QStringLiteral("前") + table + QStringLiteral("後")));
        FUZZ_CHECK(b.buffer.text() == text,
                   fuzz::shown(b.buffer.text()) + u"\nexpected: "_s + fuzz::shown(text));
    } else {
        FUZZ_CHECK(b.buffer.text() == QStringLiteral("前[選択]後"));
        FUZZ_CHECK(
            fuzz::readFile(b.converter.errorPageFile()).startsWith("\xEF\xBB\xBF<HR><b>Error:"));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    // Limits from none at all to the program's own.
    const qsizetype limit = in.flag() ? kMaxTableChars : qsizetype(in.number(1 << 16));
    // An input box's answer is one line.
    QString border = fuzz::textOf(in.until('\0'));
    border.remove(u'\r').remove(u'\n');
    const QByteArray bytes = in.rest();

    // A chosen CSV file is read as a document is.
    if (const std::optional<DecodedText> read = decodeDocument(bytes))
        rowsFollowTheRules(read->text, limit);
    rowsFollowTheRules(fuzz::textOf(bytes), limit);
    converterEndsOneWay(bytes, limit, border);
    // What a run made goes with it, so libFuzzer's leak check has nothing to look into.
    Bench& b = bench();
    b.host.clear();
    b.host.inputs.clear();
    b.buffer.setText(QString());
    fuzz::deliverPostedEvents();
    return 0;
}
