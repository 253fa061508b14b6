// The CSV to table converter on a 50 MB file of 1,000,000 Japanese rows, against a plain read
// and write of the same bytes and an awk one-liner that writes the same rows.
#include "app/MenuTree.h"
#include "app/frmEdit.h"
#include "document/Preview.h"
#include "host/EditBuffer.h"
#include "host/TextFile.h"
#include "support/TestApp.h"
#include "tables/CsvToTable.h"
#include "tables/TableRows.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// 1,000,000 rows of 8 fields, a header row first; about 50 bytes a row in UTF-8.
QByteArray japaneseCsv() {
    const char* const names[] = {"山田", "鈴木", "佐藤", "田中", "高橋", "伊藤", "渡辺", "中村"};
    const char* const places[] = {"東京都", "大阪府", "北海道", "京都府", "愛知県", "福岡県"};
    const char* const kana[] = {"あい", "かき", "さし", "たち", "なに", "はひ", "まみ"};
    QByteArray csv;
    csv.reserve(52 << 20);
    csv += "[]氏名,[]番号,[]住所,[]性別,[]年齢,[]読み,[]組,[]評価\r\n";
    for (int i = 1; i < 1000000; ++i) {
        csv += names[i % 8];
        csv += ',';
        csv += QByteArray::number(i % 1000);
        csv += ',';
        csv += places[i % 6];
        csv += ',';
        csv += i % 2 ? "男" : "女";
        csv += ',';
        csv += QByteArray::number(20 + i % 60);
        csv += ',';
        csv += kana[i % 7];
        csv += ",第";
        csv += char('1' + i % 9);
        csv += "組,";
        csv += i % 3 ? "良好" : "可";
        csv += "\r\n";
    }
    return csv;
}

// The rows as awk writes them, from the same file.
const char* const kAwk =
    "awk -F, '{sub(/\\r$/,\"\")} $0==\"\"{next} {s=\"<TR>\"; for(i=1;i<=NF;i++){"
    "if(substr($i,1,2)==\"[]\") s=s \"<TH>\" substr($i,3) \"</TH>\"; "
    "else s=s \"<TD>\" $i \"</TD>\"} if(NF>1) s=s \"</TR>\\r\\n\"; printf \"%s\", s}'";

struct Fixture {
    Fixture() {
        csvPath = dir.filePath(QStringLiteral("data.csv"));
        writeBytes(csvPath, japaneseCsv());
    }
    QTemporaryDir dir;
    QString csvPath;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// Read, decode and build, up to the table text the edit buffer is handed.
QString convert(const QString& path) {
    std::optional<QString> csv = readCsvFile(path);
    QString rows;
    if (!csv || !buildTableRows(*csv, kMaxTableChars, rows))
        return {};
    csv.reset();
    frameTable(rows, QStringLiteral("1"), QStringLiteral("\""));
    return rows;
}

qint64 statusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// The peak resident memory `f` adds, in bytes: the peak mark is reset before it runs.
template <typename F> qint64 peakMemoryOf(F&& f) {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return -1;
    clear.close();
    const qint64 before = statusKiB("VmRSS:");
    f();
    return (statusKiB("VmHWM:") - before) * 1024;
}

void BM_PlainReadWrite(benchmark::State& state) {
    Fixture& fx = fixture();
    const QString out = fx.dir.filePath(QStringLiteral("copy.csv"));
    for (auto _ : state) {
        QFile in(fx.csvPath);
        in.open(QIODevice::ReadOnly);
        const QByteArray bytes = in.readAll();
        QFile file(out);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
        file.close();
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(fx.csvPath).size());
}

void BM_Convert(benchmark::State& state) {
    Fixture& fx = fixture();
    const qint64 fileBytes = QFileInfo(fx.csvPath).size();
    qsizetype length = 0;
    for (auto _ : state) {
        const QString table = convert(fx.csvPath);
        length = table.size();
        benchmark::DoNotOptimize(table.constData());
    }
    const qint64 peak = peakMemoryOf([&] { benchmark::DoNotOptimize(convert(fx.csvPath).size()); });
    state.counters["file_MB"] = double(fileBytes) / 1e6;
    state.counters["table_Mchars"] = double(length) / 1e6;
    state.counters["peak_MB"] = double(peak) / 1e6;
    state.counters["peak_x_file"] = double(peak) / double(fileBytes);
    state.SetBytesProcessed(state.iterations() * fileBytes);
}

// The two halves of the conversion.
void BM_ReadDecode(benchmark::State& state) {
    Fixture& fx = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(readCsvFile(fx.csvPath)->size());
}

void BM_BuildRows(benchmark::State& state) {
    Fixture& fx = fixture();
    const QString csv = readCsvFile(fx.csvPath).value();
    for (auto _ : state) {
        QString rows;
        buildTableRows(csv, kMaxTableChars, rows);
        frameTable(rows, QStringLiteral("1"), QStringLiteral("\""));
        benchmark::DoNotOptimize(rows.constData());
    }
}

void BM_Awk(benchmark::State& state) {
    Fixture& fx = fixture();
    const QString out = fx.dir.filePath(QStringLiteral("awk.out"));
    const QByteArray command =
        QByteArray(kAwk) + " '" + fx.csvPath.toUtf8() + "' > '" + out.toUtf8() + "'";
    for (auto _ : state) {
        if (std::system(command.constData()) != 0)
            state.SkipWithError("awk failed");
    }
    // The same rows, or the comparison means nothing.
    const QString ours = tableRows(readCsvFile(fx.csvPath).value_or(QString()));
    if (readBytes(out) != ours.toUtf8())
        state.SkipWithError("awk's rows differ from the converter's");
    state.SetBytesProcessed(state.iterations() * QFileInfo(fx.csvPath).size());
}

// The whole command in the real main window: from Ctrl+F3 until the table stands in the text
// pane and the preview file has been written.
void BM_CommandUntilPreviewWritten(benchmark::State& state) {
    Fixture& fx = fixture();
    EditorFixture editor;
    frmEdit& w = editor.open();
    QCoreApplication::processEvents();
    const QString preview = editor.appFile(QStringLiteral("HTML-TGLM-temp.html"));
    double inserted = 0;
    double previewWritten = 0;
    qint64 peak = 0;
    for (auto _ : state) {
        editor.host.fileChoices.push_back(fx.csvPath);
        editor.host.inputs.push_back(QStringLiteral("1"));
        peak = peakMemoryOf([&] {
            const auto t0 = Clock::now();
            w.menus().item(QStringLiteral("mnuTableTool"))->trigger();
            inserted = since(t0);
            while (w.preview().refreshQueued())
                QCoreApplication::processEvents();
            previewWritten = since(t0);
        });
        state.PauseTiming();
        if (w.buffer().length() < 100000000 || QFileInfo(preview).size() < 100000000)
            state.SkipWithError("the table did not arrive");
        w.buffer().setText(QString());
        QCoreApplication::processEvents();
        editor.host.clear();
        state.ResumeTiming();
    }
    state.counters["inserted_s"] = inserted;
    state.counters["preview_written_s"] = previewWritten;
    state.counters["peak_MB"] = double(peak) / 1e6;
}

} // namespace

BENCHMARK(BM_PlainReadWrite)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Convert)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ReadDecode)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_BuildRows)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Awk)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CommandUntilPreviewWritten)->Unit(benchmark::kMillisecond)->Iterations(1);
