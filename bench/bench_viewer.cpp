// Opening the image viewer on a folder of 10,000 pictures, against a plain listing of the same
// folder; and showing one large picture, against decoding it whole.
#include "host/EditBuffer.h"
#include "support/FakeHost.h"
#include "viewer/frmV.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// One folder of `count` small real JPEG files and one large picture, made once per run.
struct PictureFolder {
    explicit PictureFolder(int count) {
        QImage small(64, 48, QImage::Format_RGB32);
        small.fill(Qt::darkCyan);
        QByteArray bytes;
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly);
        small.save(&out, "JPG");
        for (int i = 0; i < count; ++i) {
            QFile f(dir.filePath(QStringLiteral("photo%1.jpg").arg(i, 5, 10, QLatin1Char('0'))));
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
        }
        QImage large(4000, 3000, QImage::Format_RGB32);
        large.fill(Qt::darkYellow);
        large.save(big.filePath(QStringLiteral("large.jpg")), "JPG");
    }
    QTemporaryDir dir;
    QTemporaryDir big;
};

PictureFolder& folder() {
    static PictureFolder f(10000);
    return f;
}

double secondsOfPlainListing(const QString& path) {
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        const auto t0 = Clock::now();
        QDir d(path, QStringLiteral("*.jpg;*.gif;*.bmp"), QDir::Name | QDir::IgnoreCase,
               QDir::Files);
        benchmark::DoNotOptimize(d.entryList());
        runs.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

void BM_PlainListing10000(benchmark::State& state) {
    const QString path = folder().dir.path();
    for (auto _ : state) {
        QDir d(path, QStringLiteral("*.jpg;*.gif;*.bmp"), QDir::Name | QDir::IgnoreCase,
               QDir::Files);
        benchmark::DoNotOptimize(d.entryList());
    }
}

// The whole opening: the window built, the volumes, the folder list and the file list filled.
void BM_OpenViewerOn10000(benchmark::State& state) {
    const QString path = folder().dir.path();
    const double plain = secondsOfPlainListing(path);
    QPlainTextEdit edit;
    EditBuffer buffer(&edit);
    FakeHost host(path);
    host.setWorkingFolder(path);
    double seconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        frmV viewer(host, buffer, QStringLiteral("\""));
        if (viewer.File->count() != 10000)
            state.SkipWithError("not every file was listed");
        seconds += std::chrono::duration<double>(Clock::now() - t0).count();
    }
    state.counters["x_plain_listing"] = seconds / double(state.iterations()) / plain;
}

// A 4000 x 3000 JPEG decoded whole, as a viewer without scaled decoding would.
void BM_DecodeLargeWhole(benchmark::State& state) {
    const QString path = folder().big.filePath(QStringLiteral("large.jpg"));
    for (auto _ : state)
        benchmark::DoNotOptimize(QImageReader(path).read());
}

// Next onto the same picture in the viewer: decoded shrunk to the box.
void BM_ShowLargeInViewer(benchmark::State& state) {
    const QString path = folder().big.path();
    QPlainTextEdit edit;
    EditBuffer buffer(&edit);
    FakeHost host(path);
    host.setWorkingFolder(path);
    frmV viewer(host, buffer, QStringLiteral("\""));
    for (auto _ : state) {
        viewer.File->clearSelection();
        viewer.cmdN_Click();
        host.calls.clear();
    }
}

} // namespace

BENCHMARK(BM_PlainListing10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenViewerOn10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeLargeWhole)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowLargeInViewer)->Unit(benchmark::kMillisecond);
