// A real failed allocation: the process's address space is capped just above what it uses, so
// building the table's rows cannot get its memory. Kept apart from the other table tests, whose
// browser pane's threads must not meet the cap. Under AddressSanitizer, whose shadow memory no
// address-space cap leaves room for, the sanitizer build has the allocator refuse every block
// over 24 MB for this whole program instead (tests/CMakeLists.txt).
#include "host/EditBuffer.h"
#include "support/TestApp.h"
#include "tables/CsvToTable.h"

#include <QFile>
#include <QPlainTextEdit>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

class TstTablesMemory : public QObject {
    Q_OBJECT
private slots:
    void failedAllocationTakesTheMemoryFailure();
};

#ifndef TAGLOOM_SANITIZE_ALLOCATION_CAP
namespace {

qint64 addressSpaceInUse() {
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(0).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

// Caps the address space for its lifetime.
class AddressSpaceCap {
public:
    explicit AddressSpaceCap(qint64 bytes) {
        ::getrlimit(RLIMIT_AS, &m_old);
        rlimit capped = m_old;
        capped.rlim_cur = rlim_t(bytes);
        m_ok = ::setrlimit(RLIMIT_AS, &capped) == 0;
    }
    ~AddressSpaceCap() { ::setrlimit(RLIMIT_AS, &m_old); }
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    bool m_ok = false;
};

} // namespace
#endif

void TstTablesMemory::failedAllocationTakesTheMemoryFailure() {
    QTemporaryDir dir;
    QPlainTextEdit edit;
    EditBuffer buffer(&edit);
    FakeHost host(dir.path());
    const QString quote = u"\""_s;
    TableConverter converter(host, buffer, quote);
    // 4 MB of text whose rows need about 45 MB.
    const QString csv = u"a,b,c,d,e,f,g,h\r\n"_s.repeated(250000);
    QVERIFY(converter.writeTableData(csv));
    const qint64 rowsBytes = tableRowsLength(csv) * qint64(sizeof(QChar));
    QVERIFY(rowsBytes > 40 << 20);
    buffer.setText(u"前[選択]後"_s);
    buffer.setSelection(1, 4);
    host.inputs.push_back(u"1"_s);

    TableOutcome outcome = TableOutcome::Inserted;
#ifdef TAGLOOM_SANITIZE_ALLOCATION_CAP
    {
        // Room to read and decode the file, not to build the rows.
        // volatile: a block nobody uses may be assumed to exist and never asked for.
        void* volatile large = std::malloc(size_t(40) << 20);
        const bool refused = large == nullptr;
        std::free(large);
        QVERIFY2(refused, "the sanitizer's allocation cap is not in force");
        outcome = converter.CsvToTable(false);
    }
#else
    {
        // Room to read and decode the file, not to build the rows.
        AddressSpaceCap cap(addressSpaceInUse() + (24 << 20));
        QVERIFY(cap.ok());
        outcome = converter.CsvToTable(false);
    }
#endif
    QCOMPARE(outcome, TableOutcome::MemoryFailure);
    QCOMPARE(host.kinds(), QStringList({"beep", "disable", "msgbox", "navigate", "enable"}));
    QCOMPARE(host.calls.at(2).title, u"メモリ不足"_s);
    QCOMPARE(buffer.text(), u"前[選択]後"_s);
    QCOMPARE(buffer.selectedText(), u"[選択]"_s);
    const QByteArray page = readBytes(dir.filePath(u"HTML-TGLM-error.html"_s));
    QVERIFY(page.startsWith("\xEF\xBB\xBF<HR><b>Error:"));
    QVERIFY(page.endsWith(u"<HR>[選択]\r\n"_s.toUtf8()));

#ifdef TAGLOOM_SANITIZE_ALLOCATION_CAP
    return; // the cap lasts as long as the program; the plain build converts with room
#endif
    // With the address space back, the same text converts.
    host.clear();
    host.inputs.push_back(u"1"_s);
    QCOMPARE(converter.CsvToTable(false), TableOutcome::Inserted);
    QCOMPARE(buffer.length(), 2 + int(rowsBytes / 2) + 28);
}

TAGLOOM_TEST_MAIN(TstTablesMemory)
#include "tst_memory.moc"
