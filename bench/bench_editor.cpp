// The source pane with and without its highlighting, timed side by side in the same run: a
// keystroke, opening a large document, and how soon its first screen is coloured.
#include "document/Preview.h"
#include "editor/HtmlHighlighter.h"
#include "editor/SourceView.h"
#include "host/EditBuffer.h"
#include "state/ProgramState.h"
#include "support/FakeHost.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <array>
#include <benchmark/benchmark.h>
#include <ctime>
#include <memory>

namespace {

// The thread's own CPU time: the machine is shared, and other processes' work must not count
// against either pane.
struct Clock {
    using time_point = double;
    static double now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    }
};

double since(double t0) {
    return Clock::now() - t0;
}

// Realistic Japanese HTML of about `bytes` bytes in UTF-8, CR LF line breaks.
QString japanesePage(qsizetype bytes) {
    const QString block = QStringLiteral(
        "<DIV CLASS=\"section\">\r\n<H2>第%1章　ページの作り方</H2>\r\n"
        "<!-- 見出しの下 -->\r\n"
        "<P>このページでは、<B>HTML</B>のタグを使って文章を飾る方法を説明します&amp;"
        "<A HREF=\"page%1.html\">次のページ</A>もご覧ください。</P>\r\n"
        "<IMG SRC=\"img/photo%1.jpg\" ALT=\"写真\" WIDTH=\"320\" HEIGHT=\"240\">\r\n"
        "<TABLE BORDER=\"1\"><TR><TD>項目</TD><TD>内容・説明</TD></TR></TABLE>\r\n</DIV>\r\n");
    QString page = QStringLiteral(
        "<!DOCTYPE html>\r\n<HTML>\r\n<HEAD>\r\n<TITLE>見本</TITLE>\r\n<STYLE>\r\n"
        "P { color: \"navy\" } /* 本文 */\r\n</STYLE>\r\n<SCRIPT>\r\nvar s = '</b>'; // x\r\n"
        "</SCRIPT>\r\n</HEAD>\r\n<BODY>\r\n");
    for (int i = 0; page.size() * 2 < bytes; ++i) {
        QString chunk;
        for (int k = 0; k < 50; ++k)
            chunk += block.arg(i * 50 + k);
        page += chunk;
    }
    return page + QStringLiteral("</BODY>\r\n</HTML>\r\n");
}

// A shown pane with the keystroke path of the program: the buffer and the preview's change
// handling; `highlighted` attaches the source view.
struct Pane {
    explicit Pane(bool highlighted) : host(dir.path()) {
        program.settings.PreviewUpdate = 0;
        edit.resize(800, 700);
        buffer = std::make_unique<EditBuffer>(&edit);
        preview = std::make_unique<Preview>(program, host, *buffer, &timer);
        QObject::connect(buffer.get(), &EditBuffer::changed, preview.get(),
                         &Preview::txtEdit_Change);
        if (highlighted)
            view = new SourceView(&edit, [](int) {});
        edit.show();
        QCoreApplication::processEvents();
    }
    // Until the pane has painted what it holds, all of it.
    void shown() {
        QCoreApplication::processEvents();
        edit.viewport()->repaint();
    }
    // Until the pane has painted what a keystroke changed: its own update requests.
    void painted() { QCoreApplication::processEvents(); }

    QTemporaryDir dir;
    FakeHost host;
    ProgramState program;
    QPlainTextEdit edit;
    QTimer timer;
    std::unique_ptr<EditBuffer> buffer;
    std::unique_ptr<Preview> preview;
    SourceView* view = nullptr;
};

// One keystroke near the end, typed and taken back, in each pane in turn.
void BM_Keystroke(benchmark::State& state) {
    const QString page = japanesePage(state.range(0));
    Pane plain(false);
    // BENCH_CONTROL=1 leaves both panes plain: the ratio then shows what the timing alone gives.
    Pane coloured(!qEnvironmentVariableIsSet("BENCH_CONTROL"));
    for (Pane* p : {&plain, &coloured}) {
        p->buffer->setText(page);
        p->buffer->setSelection(p->buffer->length() - 30, 0);
        p->shown();
        if (p->view)
            p->view->highlighter().completeStates();
    }
    double seconds[2] = {0, 0};
    bool insert = true;
    bool plainFirst = true;
    for (auto _ : state) {
        // Each pane goes first in turn, so neither pays for the other's leftovers.
        for (Pane* p : plainFirst ? std::array{&plain, &coloured} : std::array{&coloured, &plain}) {
            p->buffer->setSelection(p->buffer->length() - 30, insert ? 0 : 1);
            const auto t0 = Clock::now();
            p->buffer->replaceSelection(insert ? QStringLiteral("<") : QString());
            p->painted();
            seconds[p == &coloured] += since(t0);
            p->host.calls.clear();
        }
        insert = !insert;
        plainFirst = !plainFirst;
    }
    state.counters["x_without"] = seconds[1] / seconds[0];
    state.counters["ms_without"] = seconds[0] * 1000 / double(state.iterations());
}

// Opening a document: the text set and the pane painted, then the first screen coloured.
void BM_Open(benchmark::State& state) {
    const QString page = japanesePage(state.range(0));
    Pane plain(false);
    Pane coloured(true);
    double seconds[2] = {0, 0};
    double firstScreen = 0;
    for (auto _ : state) {
        int k = 0;
        for (Pane* p : {&plain, &coloured}) {
            p->buffer->setText(QString());
            p->shown();
            const auto t0 = Clock::now();
            p->buffer->setText(page);
            p->shown();
            seconds[k++] += since(t0);
            if (p->view) {
                const QTextBlock top = p->edit.document()->findBlockByNumber(1);
                if (top.layout()->formats().isEmpty())
                    state.SkipWithError("the first screen was not coloured");
                // The colouring's own share of that first paint: the same text set again, and
                // the screen coloured before it is painted.
                p->buffer->setText(QString());
                p->shown();
                p->edit.setPlainText(page);
                const auto t1 = Clock::now();
                p->view->highlighter().formatVisible();
                firstScreen += since(t1);
                if (top.isValid() &&
                    p->edit.document()->findBlockByNumber(1).layout()->formats().isEmpty())
                    state.SkipWithError("the first screen was not coloured");
            }
        }
    }
    state.counters["x_without"] = seconds[1] / seconds[0];
    state.counters["ms_without"] = seconds[0] * 1000 / double(state.iterations());
    state.counters["ms_colouring_first_screen"] = firstScreen * 1000 / double(state.iterations());
}

// Straight to the end of a document just opened, before any idle slice has run.
void BM_JumpToEndAfterOpen(benchmark::State& state) {
    const QString page = japanesePage(state.range(0));
    Pane coloured(true);
    for (auto _ : state) {
        state.PauseTiming();
        coloured.buffer->setText(QString());
        coloured.shown();
        coloured.buffer->setText(page);
        coloured.shown();
        state.ResumeTiming();
        coloured.buffer->setSelection(coloured.buffer->length(), 0);
        coloured.edit.ensureCursorVisible();
        coloured.edit.viewport()->repaint();
    }
}

} // namespace

BENCHMARK(BM_Keystroke)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);
BENCHMARK(BM_Open)->Arg(10 << 20)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_JumpToEndAfterOpen)->Arg(10 << 20)->Unit(benchmark::kMillisecond)->Iterations(3);
