// The keystroke path and the document read, each against a plain write of the same bytes.
#include "document/Preview.h"
#include "host/EditBuffer.h"
#include "host/TextFile.h"
#include "state/ProgramState.h"
#include "support/FakeHost.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// Realistic Japanese HTML of about `bytes` bytes in UTF-8, CR LF line breaks.
QString japanesePage(qsizetype bytes) {
    const QString block = QStringLiteral(
        "<DIV CLASS=\"section\">\r\n<H2>第%1章　ページの作り方</H2>\r\n"
        "<P>このページでは、<B>HTML</B>のタグを使って文章を飾る方法を説明します。"
        "<A HREF=\"page%1.html\">次のページ</A>もご覧ください。</P>\r\n"
        "<IMG SRC=\"img/photo%1.jpg\" ALT=\"写真\" WIDTH=\"320\" HEIGHT=\"240\">\r\n"
        "<TABLE BORDER=\"1\"><TR><TD>項目</TD><TD>内容・説明</TD></TR></TABLE>\r\n</DIV>\r\n");
    QString page =
        QStringLiteral("<HTML>\r\n<HEAD>\r\n<TITLE>見本</TITLE>\r\n</HEAD>\r\n<BODY>\r\n");
    for (int i = 0; page.toUtf8().size() < bytes; ++i) {
        QString chunk;
        for (int k = 0; k < 50; ++k)
            chunk += block.arg(i * 50 + k);
        page += chunk;
    }
    return page + QStringLiteral("</BODY>\r\n</HTML>\r\n");
}

double secondsOfPlainWrite(const QString& path, const QByteArray& bytes) {
    std::vector<double> runs;
    for (int i = 0; i < 7; ++i) {
        const auto t0 = Clock::now();
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
        file.close();
        runs.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

struct Timed {
    double seconds = 0;
    template <typename F> void operator()(F&& f) {
        const auto t0 = Clock::now();
        f();
        seconds += std::chrono::duration<double>(Clock::now() - t0).count();
    }
};

void setRatio(benchmark::State& state, const Timed& timed, double plain) {
    state.counters["x_plain_write"] = timed.seconds / double(state.iterations()) / plain;
}

void BM_PlainWrite(benchmark::State& state) {
    QTemporaryDir dir;
    const QByteArray bytes = japanesePage(state.range(0)).toUtf8();
    const QString path = dir.filePath(QStringLiteral("plain.html"));
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
        file.close();
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// One keystroke with refresh on every change: the edit and its change handling, up to the
// navigation request.
void BM_ChangeHandling(benchmark::State& state) {
    QTemporaryDir dir;
    FakeHost host(dir.path());
    ProgramState program;
    program.settings.PreviewUpdate = 0;
    QPlainTextEdit edit;
    EditBuffer buffer(&edit);
    QTimer timer;
    Preview preview(program, host, buffer, &timer);
    const QString page = japanesePage(state.range(0));
    buffer.setText(page);
    const double plain = secondsOfPlainWrite(dir.filePath(QStringLiteral("p")), page.toUtf8());
    QObject::connect(&buffer, &EditBuffer::changed, &preview, &Preview::txtEdit_Change);
    Timed timed;
    bool insert = true;
    for (auto _ : state) {
        // A real keystroke at the end of the page, typed and then taken back.
        buffer.setSelection(buffer.length() - 9, insert ? 0 : 1);
        timed([&] {
            buffer.replaceSelection(insert ? QStringLiteral("字") : QString());
            QCoreApplication::processEvents(); // the queued refresh
        });
        insert = !insert;
        host.calls.clear();
    }
    setRatio(state, timed, plain);
}

void BM_ReadCp932(benchmark::State& state) {
    QTemporaryDir dir;
    const QString page = japanesePage(state.range(0));
    const QByteArray bytes = encodeText(page, TextEncoding::Cp932).value();
    const QString path = dir.filePath(QStringLiteral("sjis.html"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    file.close();
    const double plain = secondsOfPlainWrite(dir.filePath(QStringLiteral("p")), bytes);
    Timed timed;
    for (auto _ : state) {
        timed([&] {
            auto read = readTextFile(path);
            benchmark::DoNotOptimize(linesToCrLf(read->text));
        });
    }
    setRatio(state, timed, plain);
}

// The median time of encoding the page as Shift_JIS, the baseline of the save's own looks.
double secondsOfCp932Encode(const QString& page) {
    std::vector<double> runs;
    for (int i = 0; i < 7; ++i) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(encodeText(page, TextEncoding::Cp932));
        runs.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// The look for a damaged character a save makes, against the encoding the same save does.
void BM_DamagedCharacterLook(benchmark::State& state) {
    const QString page = japanesePage(state.range(0));
    const double encode = secondsOfCp932Encode(page);
    Timed timed;
    for (auto _ : state)
        timed([&] { benchmark::DoNotOptimize(firstLoneSurrogate(page)); });
    state.counters["x_cp932_encode"] = timed.seconds / double(state.iterations()) / encode;
}

// The list of characters a save into Shift_JIS must refuse, on a page that holds many: one
// character in twenty from Korean's syllables, which the code page has none of. Against the
// encoding of the same page without them.
void BM_UnfitCharactersListed(benchmark::State& state) {
    const QString page = japanesePage(state.range(0));
    QString mixed = page;
    for (qsizetype i = 0, k = 0; i < mixed.size(); i += 20, ++k)
        if (!mixed.at(i).isSurrogate())
            mixed[i] = QChar(char16_t(0xAC00 + k % 2000));
    const double encode = secondsOfCp932Encode(page);
    Timed timed;
    for (auto _ : state)
        timed([&] { benchmark::DoNotOptimize(unencodableCharacters(mixed, TextEncoding::Cp932)); });
    state.counters["x_cp932_encode"] = timed.seconds / double(state.iterations()) / encode;
}

// Selecting and reading back a position near the end of a 100,000-line text.
void BM_PositionMappingNearEnd(benchmark::State& state) {
    QPlainTextEdit edit;
    EditBuffer buffer(&edit);
    QString text;
    for (int i = 0; i < 100000; ++i)
        text += QStringLiteral("<P>行%1の本文</P>\r\n").arg(i);
    buffer.setText(text);
    const int near = buffer.length() - 100;
    for (auto _ : state) {
        buffer.setSelection(near, 5);
        benchmark::DoNotOptimize(buffer.selectionStart());
    }
}

} // namespace

BENCHMARK(BM_PlainWrite)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ChangeHandling)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadCp932)->Arg(100 << 10)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PositionMappingNearEnd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DamagedCharacterLook)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnfitCharactersListed)->Arg(100 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
