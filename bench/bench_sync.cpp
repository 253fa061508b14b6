// The preview sync against plain work on the same text, timed in the same run: a keystroke with
// and without the sync attached, the parse against a plain scan, the caret's rest to the frame
// drawn and Ctrl+click to the selection in a real browser pane. Run under an X server
// (xvfb-run) for the last two.
#include "document/Preview.h"
#include "host/BrowserPane.h"
#include "host/EditBuffer.h"
#include "state/ProgramState.h"
#include "support/FakeHost.h"
#include "sync/PreviewSync.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <ctime>
#include <memory>

namespace {

// This thread's CPU time: other processes on the shared machine do not count.
double cpuNow() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double wallNow() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Realistic Japanese HTML of about `bytes` bytes in UTF-8, CR LF line breaks.
QString japanesePage(qsizetype bytes) {
    const QString block = QStringLiteral(
        "<DIV CLASS=\"section\">\r\n<H2>第%1章　ページの作り方</H2>\r\n"
        "<!-- 見出しの下 -->\r\n"
        "<P>このページでは、<B>HTML</B>のタグを使って文章を飾る方法を説明します&amp;"
        "<A HREF=\"page%1.html\">次のページ</A>もご覧ください。</P>\r\n"
        "<UL><LI>項目一<LI>項目二</UL>\r\n"
        "<TABLE BORDER=\"1\"><TR><TD>項目</TD><TD>内容・説明</TD></TR></TABLE>\r\n</DIV>\r\n");
    QString page =
        QStringLiteral("<!DOCTYPE html>\r\n<HTML>\r\n<HEAD>\r\n<TITLE>見本</TITLE>\r\n<STYLE>\r\n"
                       "P { color: navy } /* 本文 */\r\n</STYLE>\r\n</HEAD>\r\n<BODY>\r\n");
    for (int i = 0; page.size() * 2 < bytes; ++i) {
        QString chunk;
        for (int k = 0; k < 50; ++k)
            chunk += block.arg(i * 50 + k);
        page += chunk;
    }
    return page + QStringLiteral("</BODY>\r\n</HTML>\r\n");
}

struct BrowserHost : FakeHost {
    using FakeHost::FakeHost;
    BrowserPane* pane = nullptr;
    void navigate(const QString& address) override {
        FakeHost::navigate(address);
        if (pane)
            pane->navigate(address);
    }
};

// The text pane, the preview and, when `synced`, the preview sync over a browser pane.
struct Setup {
    explicit Setup(bool synced, int previewUpdate = 0) : host(dir.path()) {
        program.settings.PreviewUpdate = previewUpdate;
        program.QuoteChar = QStringLiteral("\"");
        edit.resize(600, 700);
        buffer = std::make_unique<EditBuffer>(&edit);
        preview = std::make_unique<Preview>(program, host, *buffer, &timer);
        QObject::connect(buffer.get(), &EditBuffer::changed, preview.get(),
                         &Preview::txtEdit_Change);
        if (synced) {
            pane = std::make_unique<BrowserPane>();
            pane->resize(700, 700);
            PreviewSync::Hooks hooks;
            hooks.previewAddress = [this] { return Preview::ToFileUrl(preview->previewFile()); };
            hooks.baseElement = [this] {
                return QStringLiteral("<base href=\"") + Preview::ToFileUrl(host.workingFolder()) +
                       QStringLiteral("/\">");
            };
            sync = std::make_unique<PreviewSync>(*buffer, *pane, hooks);
        }
        edit.show();
        QCoreApplication::processEvents();
    }
    // Shows the preview of the buffer in the pane and waits for it to be loaded and laid out,
    // as it is when the reader looks at it.
    bool showPreview() {
        host.pane = pane.get();
        pane->show();
        QSignalSpy shown(pane.get(), &BrowserPane::navigationShown);
        preview->RefreshPreview();
        if (!shown.wait(60000) || !waitFor([this] { return !pane->isLoading(); }))
            return false;
        bool laidOut = false;
        pane->page()->runJavaScript(QStringLiteral("document.body.getBoundingClientRect().height"),
                                    9, [&laidOut](const QVariant&) { laidOut = true; });
        return waitFor([&] { return laidOut; });
    }
    template <typename F> static bool waitFor(F done, int ms = 20000) {
        const double until = wallNow() + ms / 1000.0;
        while (!done() && wallNow() < until)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return done();
    }

    QTemporaryDir dir;
    BrowserHost host;
    ProgramState program;
    QPlainTextEdit edit;
    QTimer timer;
    std::unique_ptr<EditBuffer> buffer;
    std::unique_ptr<Preview> preview;
    std::unique_ptr<BrowserPane> pane;
    std::unique_ptr<PreviewSync> sync;
};

// A plain scan of the same text: the copy out of the pane and one look at every character.
double secondsOfPlainScan(EditBuffer& buffer) {
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        const double t0 = cpuNow();
        const QString raw = buffer.rawText();
        benchmark::DoNotOptimize(std::count(raw.cbegin(), raw.cend(), u'<'));
        runs.push_back(cpuNow() - t0);
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// One keystroke near the end, typed and taken back, in the pane with the sync attached and in
// one without, each going first in turn. The sync's pane shows no page here, so a rest that
// falls between keystrokes costs only its check.
void BM_KeystrokeWithSync(benchmark::State& state) {
    const QString page = japanesePage(state.range(0));
    Setup plain(false);
    Setup synced(true);
    for (Setup* s : {&plain, &synced}) {
        s->buffer->setText(page);
        s->buffer->setSelection(s->buffer->length() - 30, 0);
        QCoreApplication::processEvents();
    }
    double seconds[2] = {0, 0};
    bool insert = true;
    bool plainFirst = true;
    for (auto _ : state) {
        for (Setup* s : plainFirst ? std::array{&plain, &synced} : std::array{&synced, &plain}) {
            s->buffer->setSelection(s->buffer->length() - 30, insert ? 0 : 1);
            const double t0 = cpuNow();
            s->buffer->replaceSelection(insert ? QStringLiteral("<") : QString());
            QCoreApplication::processEvents();
            seconds[s == &synced] += cpuNow() - t0;
            s->host.calls.clear();
        }
        insert = !insert;
        plainFirst = !plainFirst;
    }
    state.counters["x_without"] = seconds[1] / seconds[0];
    state.counters["ms_without"] = seconds[0] * 1000 / double(state.iterations());
}

// The parse of the text as the preview file holds it, against a plain scan of it.
void BM_Parse(benchmark::State& state) {
    Setup s(true, 1);
    s.buffer->setText(japanesePage(state.range(0)));
    const double plain = secondsOfPlainScan(*s.buffer);
    double seconds = 0;
    bool insert = true;
    for (auto _ : state) {
        // A changed text, so the parse runs.
        s.buffer->setSelection(s.buffer->length() - 30, insert ? 0 : 1);
        s.buffer->replaceSelection(insert ? QStringLiteral("字") : QString());
        insert = !insert;
        const double t0 = cpuNow();
        benchmark::DoNotOptimize(s.sync->currentTree().elements.size());
        seconds += cpuNow() - t0;
    }
    state.counters["ms_cpu"] = seconds * 1000 / double(state.iterations());
    state.counters["x_plain_scan"] = seconds / double(state.iterations()) / plain;
    state.counters["elements"] = double(s.sync->currentTree().elements.size());
}

// The parse brought up to date after one character typed in a paragraph, the edit applied where
// it stands, against the whole parse after one typed in a tag, in turn on the same text.
void BM_ParseAfterTyping(benchmark::State& state) {
    Setup s(true, 1);
    s.buffer->setText(japanesePage(state.range(0)));
    const int middle = s.buffer->length() / 2;
    const int inText = int(s.buffer->text().indexOf(QStringLiteral("説明します"), middle)) + 2;
    const int inTag = int(s.buffer->text().indexOf(QStringLiteral("<TABLE BORDER"), middle)) + 3;
    benchmark::DoNotOptimize(s.sync->currentTree().elements.size());
    double seconds[2] = {0, 0};
    int counts[2] = {0, 0};
    bool insert = true;
    int step = 0;
    for (auto _ : state) {
        const bool whole = (step++ & 2) != 0; // two of each, so each one adds and takes away
        s.buffer->setSelection(whole ? inTag : inText, insert ? 0 : 1);
        s.buffer->replaceSelection(insert ? QStringLiteral("字") : QString());
        insert = !insert;
        const int parses = s.sync->parse().fullParses();
        const double t0 = cpuNow();
        benchmark::DoNotOptimize(s.sync->currentTree().elements.size());
        seconds[whole] += cpuNow() - t0;
        ++counts[whole];
        if ((s.sync->parse().fullParses() != parses) != whole)
            state.SkipWithError("the update did not take the way expected");
    }
    const double incremental = seconds[0] / std::max(counts[0], 1);
    const double full = seconds[1] / std::max(counts[1], 1);
    state.counters["ms_incremental"] = incremental * 1000;
    state.counters["ms_whole_parse"] = full * 1000;
    state.counters["x_whole_parse"] = full > 0 ? incremental / full : 0;
}

// What the caret's rest and Ctrl+click cost after typing, the parse of the changed text
// included: wall time from the call to the frame drawn (or the start tag selected), and this
// thread's CPU time in it, against a plain scan of the same text and the round trip of an empty
// script. `freshPage`: the preview has just been loaded afresh and the sync has not looked at
// it yet, so the page's first look at its elements counts too; otherwise the page shown is the
// one already looked at (refresh on request).
void restOrClick(benchmark::State& state, bool click, bool freshPage) {
    Setup s(true, 1);
    s.pane->show();
    s.buffer->setText(japanesePage(state.range(0)));
    const int middle = s.buffer->length() / 2;
    const int caret = int(s.buffer->text().indexOf(QStringLiteral("説明します"), middle)) + 2;
    s.buffer->setSelection(caret, 0);
    if (!s.showPreview()) {
        state.SkipWithError("the preview did not load");
        return;
    }
    QSignalSpy framed(s.sync.get(), &PreviewSync::frameUpdated);
    QSignalSpy handled(s.sync.get(), &PreviewSync::clickHandled);
    s.sync->caretRested(); // scrolled to once
    Setup::waitFor([&] { return !framed.isEmpty(); });
    const QPointF point = QRectF(s.sync->frame().box()).center();
    const double plain = secondsOfPlainScan(*s.buffer);
    double wall = 0;
    double cpu = 0;
    double roundTrip = 0;
    double paint = 0;
    std::vector<double> walls;
    const int parsesBefore = s.sync->parse().fullParses();
    bool insert = true;
    for (auto _ : state) {
        // Typed: one character more or less in the paragraph.
        if (freshPage)
            s.sync->setFollowCaret(false); // so the sync does not look at the new page itself
        s.buffer->setSelection(caret, insert ? 0 : 1);
        s.buffer->replaceSelection(insert ? QStringLiteral("字") : QString());
        s.buffer->setSelection(caret, 0);
        insert = !insert;
        if (freshPage && !s.showPreview()) {
            state.SkipWithError("the preview did not load");
            return;
        }
        {
            bool answered = false;
            const double r0 = wallNow();
            s.pane->page()->runJavaScript(QStringLiteral("0"), 9,
                                          [&answered](const QVariant&) { answered = true; });
            Setup::waitFor([&] { return answered; });
            roundTrip += wallNow() - r0;
        }
        {
            // The other floor: the pane repainted with the frame's bars moved, nothing asked.
            const double p0 = wallNow();
            s.pane->update();
            QCoreApplication::processEvents();
            paint += wallNow() - p0;
        }
        framed.clear();
        handled.clear();
        const double w0 = wallNow();
        const double c0 = cpuNow();
        if (click) {
            s.sync->selectElementAt(point);
            Setup::waitFor([&] { return !handled.isEmpty(); });
        } else {
            if (freshPage)
                s.sync->setFollowCaret(true); // frames at once, as the rest does
            else
                s.sync->caretRested();
            Setup::waitFor([&] { return !framed.isEmpty(); });
            QCoreApplication::processEvents(); // the bars' paint
        }
        const double w = wallNow() - w0;
        cpu += cpuNow() - c0;
        wall += w;
        walls.push_back(w);
        state.SetIterationTime(w);
        if ((click && s.buffer->selectionLength() == 0) || (!click && !s.sync->frame().isShown()))
            state.SkipWithError("nothing framed or selected");
        if (click)
            s.sync->setFollowCaret(true);
    }
    state.counters["ms_wall"] = wall * 1000 / double(state.iterations());
    // The median: one stall of the shared machine moves the mean by more than the work.
    std::sort(walls.begin(), walls.end());
    if (!walls.empty())
        state.counters["ms_wall_median"] = walls[walls.size() / 2] * 1000;
    state.counters["ms_cpu"] = cpu * 1000 / double(state.iterations());
    state.counters["x_plain_scan"] = cpu / double(state.iterations()) / plain;
    state.counters["ms_empty_script"] = roundTrip * 1000 / double(state.iterations());
    state.counters["ms_repaint"] = paint * 1000 / double(state.iterations());
    // How many of the rests parsed the whole text (the others applied the edit where it stands).
    state.counters["whole_parses"] = s.sync->parse().fullParses() - parsesBefore;
}

void BM_CaretRestToFrame(benchmark::State& state) {
    restOrClick(state, false, state.range(1) != 0);
}

void BM_CtrlClickToSelection(benchmark::State& state) {
    restOrClick(state, true, state.range(1) != 0);
}

} // namespace

BENCHMARK(BM_KeystrokeWithSync)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->MinTime(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse)->Arg(100 << 10)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseAfterTyping)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
// Second argument: 1 for a page the sync has not looked at yet.
BENCHMARK(BM_CaretRestToFrame)
    ->Args({1 << 20, 0})
    ->Args({1 << 20, 1})
    ->UseManualTime()
    ->Iterations(12)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CtrlClickToSelection)
    ->Args({1 << 20, 0})
    ->Args({1 << 20, 1})
    ->UseManualTime()
    ->Iterations(12)
    ->Unit(benchmark::kMillisecond);
