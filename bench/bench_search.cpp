// Replace all, Find next and the count of hits on a 10 MB Japanese document, literal and with
// regular expressions, with GNU sed's replacement of the same text and the pane's bare setting
// of the replaced text timed in the same run as the baselines.
#include "app/TextPane.h"
#include "editor/SourceView.h"
#include "host/EditBuffer.h"
#include "search/HitMarks.h"
#include "search/TextSearch.h"
#include "search/frmRe.h"
#include "support/FakeHost.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

const QString target = QStringLiteral("見出し");
const QString replacement = QStringLiteral("表題の文字");
// A pattern with a group, once in every line, and sed's spelling of the same replacement.
const QString pattern = QStringLiteral(R"(<P>第(\d+)段)");
const QString patternReplacement = QStringLiteral(R"(<P id="s$1">第$1段)");
const QString sedPattern = QStringLiteral(R"(s/<P>第([0-9]+)段/<P id="s\1">第\1段/g)");

// About `bytes` bytes of Japanese HTML in UTF-8 with CR LF line breaks, the target once in
// every line of about a hundred bytes.
QString japaneseDocument(qsizetype bytes) {
    QString text = QStringLiteral("<HTML>\r\n<BODY>\r\n");
    qsizetype size = 0;
    for (int i = 0; size < bytes; ++i) {
        const QString line =
            QStringLiteral(
                "<P>第%1段：この段落では見出しの付け方と文章の飾り方を説明します。</P>\r\n")
                .arg(i);
        size += line.toUtf8().size();
        text += line;
    }
    return text + QStringLiteral("</BODY>\r\n</HTML>\r\n");
}

const QString& document() {
    static const QString text = japaneseDocument(10 << 20);
    return text;
}

// The machine is shared, so beside the wall clock the processor time is kept: this thread's
// for the program, the child's for sed.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double childSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Seconds {
    double wall = 0;
    double cpu = 0;
};

double median(std::vector<double> runs) {
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

QString literalScript() {
    return QStringLiteral("s/%1/%2/g").arg(target, replacement);
}

// GNU sed replacing every occurrence in the same text as a file, from its start to its exit;
// `extended`: sed -E.
Seconds secondsOfSed(const QString& locale, const QString& script = literalScript(),
                     bool extended = false) {
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.html"));
    QFile file(in);
    file.open(QIODevice::WriteOnly);
    file.write(document().toUtf8());
    file.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), locale);
    std::vector<double> walls;
    std::vector<double> cpus;
    for (int i = 0; i < 7; ++i) {
        QProcess sed;
        sed.setProcessEnvironment(env);
        sed.setStandardOutputFile(dir.filePath(QStringLiteral("out.html")));
        const double c0 = childSeconds();
        const auto t0 = Clock::now();
        QStringList arguments{QStringLiteral("-e"), script, in};
        if (extended)
            arguments.prepend(QStringLiteral("-E"));
        sed.start(QStringLiteral("sed"), arguments);
        sed.waitForFinished(-1);
        walls.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
        cpus.push_back(childSeconds() - c0);
    }
    return {median(walls), median(cpus)};
}

void BM_SedReplaceAll(benchmark::State& state) {
    const QString locale = state.range(0) ? QStringLiteral("C.UTF-8") : QStringLiteral("C");
    for (auto _ : state) {
        const Seconds sed = secondsOfSed(locale);
        state.SetIterationTime(sed.wall);
        state.counters["cpu_ms"] = sed.cpu * 1e3;
    }
    state.SetLabel(locale.toStdString());
}

// The real text pane, shown, holding the document; the dialog over a fake host.
struct SearchBench {
    SearchBench() : host(QDir::tempPath()), buffer(&pane), dialog(host, buffer, &pane) {
        pane.resize(800, 600);
        pane.show();
        buffer.setText(document());
        QCoreApplication::processEvents();
        dialog.txtT->setPlainText(target);
        dialog.txtA->setPlainText(replacement);
    }
    FakeHost host;
    TextPane pane;
    EditBuffer buffer;
    frmRe dialog;
};

// The pane's bare setting of `text` through the edit buffer, undone afterwards: the floor under
// Replace all, timed in turn with it.
Seconds paneSetting(SearchBench& bench, const QString& text) {
    const double c0 = threadSeconds();
    const auto t0 = Clock::now();
    bench.buffer.setText(text);
    const Seconds spent{std::chrono::duration<double>(Clock::now() - t0).count(),
                        threadSeconds() - c0};
    QCoreApplication::processEvents();
    bench.pane.undoLastStep();
    QCoreApplication::processEvents();
    return spent;
}

// From the button to the new text set back into the pane, against sed and against the pane's
// bare setting of the replaced text in the same run.
void BM_ReplaceAll(benchmark::State& state) {
    SearchBench bench;
    bench.dialog.chkSmBi->setChecked(state.range(0) != 0);
    const Seconds sed = secondsOfSed(QStringLiteral("C.UTF-8"));
    const Seconds sedC = secondsOfSed(QStringLiteral("C"));
    const QString replaced = replaceEvery(document(), target, replacement, Comparison::Exact);
    Seconds total;
    Seconds floor;
    for (auto _ : state) {
        const double c0 = threadSeconds();
        const auto t0 = Clock::now();
        bench.dialog.cmdAllRe_Click();
        const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
        total.cpu += threadSeconds() - c0;
        total.wall += wall;
        state.SetIterationTime(wall);
        state.PauseTiming();
        if (bench.buffer.length() == document().size())
            state.SkipWithError("nothing was replaced");
        // The replacement is one step: undoing it gives the document back for the next round.
        QCoreApplication::processEvents();
        bench.pane.undoLastStep();
        QCoreApplication::processEvents();
        const Seconds set = paneSetting(bench, replaced);
        floor.wall += set.wall;
        floor.cpu += set.cpu;
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["cpu_ms"] = total.cpu / n * 1e3;
    state.counters["x_pane_set_cpu"] = total.cpu / floor.cpu;
    state.counters["sed_utf8_ms"] = sed.wall * 1e3;
    state.counters["sed_utf8_cpu_ms"] = sed.cpu * 1e3;
    state.counters["sed_c_cpu_ms"] = sedC.cpu * 1e3;
    state.counters["x_sed_utf8"] = total.wall / n / sed.wall;
    state.counters["x_sed_utf8_cpu"] = total.cpu / n / sed.cpu;
    state.counters["x_sed_c_cpu"] = total.cpu / n / sedC.cpu;
}

// The floor under Replace all: the pane taking the replaced text as a whole through the edit
// buffer, with no searching at all. Building the pane's lines is most of the cost.
void BM_PaneTakesReplacedText(benchmark::State& state) {
    SearchBench bench;
    const QString replaced = replaceEvery(document(), target, replacement, Comparison::Exact);
    double cpu = 0;
    for (auto _ : state) {
        const double c0 = threadSeconds();
        const auto t0 = Clock::now();
        bench.buffer.setText(replaced);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
        cpu += threadSeconds() - c0;
        state.PauseTiming();
        QCoreApplication::processEvents();
        bench.pane.undoLastStep();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["cpu_ms"] = cpu / double(state.iterations()) * 1e3;
}

// Find next with the caret near the end (range 0) or at the start (range 1), the only
// occurrence of the target a few lines before the end.
void BM_FindNextNearEnd(benchmark::State& state) {
    SearchBench bench;
    const QString rare = QStringLiteral("目次へ戻る");
    bench.buffer.setSelection(bench.buffer.length() - 40);
    bench.buffer.replaceSelection(rare);
    QCoreApplication::processEvents();
    bench.dialog.txtT->setPlainText(rare);
    const int caret = state.range(0) ? 0 : bench.buffer.length() - 300;
    double cpu = 0;
    for (auto _ : state) {
        bench.buffer.setSelection(caret);
        const double c0 = threadSeconds();
        const auto t0 = Clock::now();
        bench.dialog.cmdSearch_Click();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
        cpu += threadSeconds() - c0;
        if (bench.buffer.selectedText() != rare)
            state.SkipWithError("the target was not found");
    }
    state.counters["cpu_ms"] = cpu / double(state.iterations()) * 1e3;
}

// Find next with a regular expression, as above.
void BM_FindNextPatternNearEnd(benchmark::State& state) {
    SearchBench bench;
    bench.buffer.setSelection(bench.buffer.length() - 40);
    bench.buffer.replaceSelection(QStringLiteral("目次へ戻る"));
    QCoreApplication::processEvents();
    bench.dialog.chkRegex->setChecked(true);
    bench.dialog.txtT->setPlainText(QStringLiteral("目次へ(戻|進)る"));
    const int caret = state.range(0) ? 0 : bench.buffer.length() - 300;
    double cpu = 0;
    for (auto _ : state) {
        bench.buffer.setSelection(caret);
        const double c0 = threadSeconds();
        const auto t0 = Clock::now();
        bench.dialog.cmdSearch_Click();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
        cpu += threadSeconds() - c0;
        if (bench.buffer.selectedText() != QStringLiteral("目次へ戻る"))
            state.SkipWithError("the pattern was not found");
    }
    state.counters["cpu_ms"] = cpu / double(state.iterations()) * 1e3;
}

// Replace all with a group pattern, from the button to the text set back into the pane, with the
// pane's bare setting of the same replaced text (the floor) timed in turn in the same iterations,
// and sed -E on the same text beside it.
void BM_ReplaceAllPattern(benchmark::State& state) {
    SearchBench bench;
    bench.dialog.chkRegex->setChecked(true);
    bench.dialog.txtT->setPlainText(pattern);
    bench.dialog.txtA->setPlainText(patternReplacement);
    QString expected = document();
    expected.replace(QRegularExpression(pattern), QStringLiteral(R"(<P id="s\1">第\1段)"));
    const Seconds sed = secondsOfSed(QStringLiteral("C.UTF-8"), sedPattern, true);
    Seconds total;
    Seconds floor;
    bool checked = false;
    for (auto _ : state) {
        const double c0 = threadSeconds();
        const auto t0 = Clock::now();
        bench.dialog.cmdAllRe_Click();
        const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
        total.cpu += threadSeconds() - c0;
        total.wall += wall;
        state.SetIterationTime(wall);
        state.PauseTiming();
        if (!checked && bench.buffer.text() != expected)
            state.SkipWithError("the replaced text differs from QRegularExpression's");
        checked = true;
        QCoreApplication::processEvents();
        bench.pane.undoLastStep();
        QCoreApplication::processEvents();
        const Seconds set = paneSetting(bench, expected);
        floor.wall += set.wall;
        floor.cpu += set.cpu;
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["cpu_ms"] = total.cpu / n * 1e3;
    state.counters["pane_set_cpu_ms"] = floor.cpu / n * 1e3;
    state.counters["x_pane_set_cpu"] = total.cpu / floor.cpu;
    state.counters["x_pane_set"] = total.wall / floor.wall;
    state.counters["sed_E_ms"] = sed.wall * 1e3;
    state.counters["sed_E_cpu_ms"] = sed.cpu * 1e3;
    state.counters["x_sed_E_cpu"] = total.cpu / n / sed.cpu;
}

// The pane with its source view, so that the hits are marked on the painted lines.
struct MarkBench {
    MarkBench()
        : host(QDir::tempPath()),
          view(new SourceView(&pane, [this](int w) { pane.setGutterWidth(w); })), buffer(&pane),
          dialog(host, buffer, &pane, view) {
        pane.resize(800, 600);
        pane.show();
        buffer.setText(document());
        QCoreApplication::processEvents();
    }
    FakeHost host;
    TextPane pane;
    SourceView* view; // owned by the pane
    EditBuffer buffer;
    frmRe dialog;
};

// The count of the whole document and the marks on the painted screen, as the pause sets them
// off: literal (range 0) or a pattern (range 1), about 100,000 hits. The floor beside it is the
// read of the pane's raw text, which every count begins with.
void BM_CountAndMark(benchmark::State& state) {
    MarkBench bench;
    const bool regex = state.range(0) != 0;
    const HitMarks::Query query{regex ? QStringLiteral("見出し(の|を)") : target, regex, false};
    HitMarks& marks = bench.dialog.hitMarks();
    double cpu = 0;
    double readCpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        marks.setQuery({});
        marks.setQuery(query);
        const int passes = marks.passes();
        state.ResumeTiming();
        const double c0 = threadSeconds();
        const auto t0 = Clock::now();
        marks.countNow();
        bench.pane.viewport()->repaint();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
        cpu += threadSeconds() - c0;
        state.PauseTiming();
        if (marks.passes() != passes + 1 || marks.hits().size() < 100000)
            state.SkipWithError("not one count of every hit");
        const double r0 = threadSeconds();
        benchmark::DoNotOptimize(bench.buffer.rawText());
        readCpu += threadSeconds() - r0;
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["hits"] = double(marks.hits().size());
    state.counters["cpu_ms"] = cpu / n * 1e3;
    state.counters["read_cpu_ms"] = readCpu / n * 1e3;
    state.counters["x_read_cpu"] = cpu / readCpu;
}

} // namespace

BENCHMARK(BM_SedReplaceAll)
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceAll)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaneTakesReplacedText)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindNextNearEnd)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindNextPatternNearEnd)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceAllPattern)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountAndMark)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);
