// The page check: a real page checked against a plain read of the same bytes, and a keystroke in
// a pane with the problems panel open (while a check runs beside it) against one without.
#include "check/PageCheck.h"
#include "check/PageChecker.h"
#include "check/ProblemMarks.h"
#include "check/ProblemsPanel.h"
#include "document/Preview.h"
#include "editor/HtmlHighlighter.h"
#include "editor/SourceView.h"
#include "host/EditBuffer.h"
#include "state/ProgramState.h"
#include "support/FakeHost.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <array>
#include <benchmark/benchmark.h>
#include <ctime>
#include <memory>

namespace {

// The thread's own CPU time: the machine is shared, and other processes' work must not count.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The program's own help page, a real page, its body repeated to about `bytes` bytes.
QByteArray realPage(qsizetype bytes) {
    QFile file(QStringLiteral(TAGLOOM_HELP_PAGE));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray page = file.readAll();
    const qsizetype open = page.indexOf("<body>") + 6;
    const qsizetype close = page.indexOf("</body>");
    const QByteArray body = page.mid(open, close - open);
    QByteArray out = page.left(open);
    while (out.size() + body.size() < bytes)
        out += body;
    return out + page.mid(close);
}

QString pageWithProblems(qsizetype bytes);

double wallSeconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Reads the page's bytes from disk and decodes them, as opening it would, then checks it; both
// timed in the same run, on this thread's clock and on the wall's.
void checkAgainstPlainRead(benchmark::State& state, const QByteArray& bytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.html"));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
    double read = 0, check = 0, checkWall = 0;
    int problems = 0;
    for (auto _ : state) {
        double t0 = threadSeconds();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        QString raw = QString::fromUtf8(file.readAll());
        raw.replace(u'\n', QChar::ParagraphSeparator);
        read += threadSeconds() - t0;
        t0 = threadSeconds();
        const double w0 = wallSeconds();
        const PageCheckResult result = checkPage(raw);
        check += threadSeconds() - t0;
        checkWall += wallSeconds() - w0;
        problems = result.reported;
        benchmark::DoNotOptimize(result);
    }
    const double n = double(state.iterations());
    state.counters["ms_check"] = check * 1000 / n;
    state.counters["ms_check_wall"] = checkWall * 1000 / n;
    state.counters["ms_plain_read"] = read * 1000 / n;
    state.counters["x_plain_read"] = check / read;
    state.counters["problems"] = problems;
}

void BM_CheckRealPage(benchmark::State& state) {
    checkAgainstPlainRead(state, realPage(state.range(0)));
}

// The same with a problem in every section, so the messages' own path is timed too.
void BM_CheckPageWithProblems(benchmark::State& state) {
    checkAgainstPlainRead(state, pageWithProblems(state.range(0)).toUtf8());
}

// A page of `bytes` bytes with a problem in every section: each image lacks its alt.
QString pageWithProblems(qsizetype bytes) {
    const QString block = QStringLiteral(
        "<DIV CLASS=\"section\">\r\n<H2>第%1章　ページの作り方</H2>\r\n"
        "<P>このページでは、<B>HTML</B>のタグを使って文章を飾る方法を説明します&amp;"
        "<A HREF=\"page%1.html\">次のページ</A>もご覧ください。</P>\r\n"
        "<IMG SRC=\"img/photo%1.jpg\" WIDTH=\"320\" HEIGHT=\"240\">\r\n"
        "<TABLE BORDER=\"1\"><TR><TD>項目</TD><TD>内容・説明</TD></TR></TABLE>\r\n</DIV>\r\n");
    QString page = QStringLiteral(
        "<!DOCTYPE html>\r\n<HTML>\r\n<HEAD>\r\n<TITLE>見本</TITLE>\r\n</HEAD>\r\n<BODY>\r\n");
    const qsizetype perBlock = block.arg(0).toUtf8().size();
    for (int i = 0; qsizetype(i) * perBlock < bytes; ++i)
        page += block.arg(i);
    return page + QStringLiteral("</BODY>\r\n</HTML>\r\n");
}

// A shown, coloured pane with the program's keystroke path (the buffer and the preview's change
// handling); `checked` opens the problems panel on it.
struct Pane {
    explicit Pane(bool checked) : host(dir.path()) {
        program.settings.PreviewUpdate = 0;
        edit.resize(800, 700);
        buffer = std::make_unique<EditBuffer>(&edit);
        preview = std::make_unique<Preview>(program, host, *buffer, &timer);
        QObject::connect(buffer.get(), &EditBuffer::changed, preview.get(),
                         &Preview::txtEdit_Change);
        view = new SourceView(&edit, [](int) {});
        if (checked)
            panel = std::make_unique<ProblemsPanel>(*buffer, *view, nullptr);
        edit.show();
        QCoreApplication::processEvents();
    }
    void painted() { QCoreApplication::processEvents(); }

    QTemporaryDir dir;
    FakeHost host;
    ProgramState program;
    QPlainTextEdit edit;
    QTimer timer;
    std::unique_ptr<EditBuffer> buffer;
    std::unique_ptr<Preview> preview;
    SourceView* view = nullptr;
    std::unique_ptr<ProblemsPanel> panel;
};

// One keystroke near the end, typed and taken back, in each pane in turn. The checked pane shows
// its marks and has a check of its text running beside the typing all the while (started between
// the timed keys, as the pause after typing would start it).
void BM_KeystrokeWithProblemsPanel(benchmark::State& state) {
    const QString page = pageWithProblems(state.range(0));
    Pane plain(false);
    Pane checked(true);
    for (Pane* p : {&plain, &checked}) {
        p->buffer->setText(page);
        p->buffer->setSelection(p->buffer->length() - 30, 0);
        p->edit.viewport()->repaint();
        p->view->highlighter().completeStates();
    }
    checked.panel->openPanel();
    PageChecker* checker = checked.panel->findChild<PageChecker*>();
    // The first result, so the marks are there.
    while (checked.panel->shownRevision() != checked.panel->revision() ||
           checked.panel->marks().count() == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    const int marks = checked.panel->marks().count();
    double seconds[2] = {0, 0};
    int checksBeside = 0;
    bool insert = true;
    bool plainFirst = true;
    for (auto _ : state) {
        if (!checker->busy()) {
            checker->start(checked.buffer->rawText(), checked.panel->revision());
            ++checksBeside;
        }
        for (Pane* p : plainFirst ? std::array{&plain, &checked} : std::array{&checked, &plain}) {
            p->buffer->setSelection(p->buffer->length() - 30, insert ? 0 : 1);
            const double t0 = threadSeconds();
            p->buffer->replaceSelection(insert ? QStringLiteral("<") : QString());
            p->painted();
            seconds[p == &checked] += threadSeconds() - t0;
            p->host.calls.clear();
        }
        insert = !insert;
        plainFirst = !plainFirst;
    }
    state.counters["x_without_panel"] = seconds[1] / seconds[0];
    state.counters["ms_without_panel"] = seconds[0] * 1000 / double(state.iterations());
    state.counters["marks"] = marks;
    state.counters["checks_beside"] = checksBeside;
}

} // namespace

BENCHMARK(BM_CheckRealPage)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK(BM_CheckPageWithProblems)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK(BM_KeystrokeWithProblemsPanel)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);
