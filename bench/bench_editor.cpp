// The source pane with and without its highlighting, timed side by side in the same run: a
// keystroke, opening a large document, and how soon its first screen is coloured. Then the typing
// aids: a key while no list is open, the list opening, an end tag completed.
#include "app/EditorWiring.h"
#include "app/TextPane.h"
#include "document/Preview.h"
#include "editor/HtmlHighlighter.h"
#include "editor/SourceView.h"
#include "editor/TypingAids.h"
#include "host/EditBuffer.h"
#include "state/ProgramState.h"
#include "support/FakeHost.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPaintEvent>
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

// The pane as the program paints it: its text, then what the source view draws over the text.
class OverlaidEdit : public QPlainTextEdit {
public:
    SourceView* view = nullptr;
    double overSeconds = 0; // spent painting over the text

protected:
    void paintEvent(QPaintEvent* event) override {
        QPlainTextEdit::paintEvent(event);
        if (view) {
            const auto t0 = Clock::now();
            view->paintOverText(event->rect(), firstVisibleBlock(), contentOffset());
            overSeconds += since(t0);
        }
    }
};

// A shown pane with the keystroke path of the program: the buffer and the preview's change
// handling; `highlighted` attaches the source view, `overlaid` has it paint over the text.
struct Pane {
    explicit Pane(bool highlighted, bool overlaid = true) : host(dir.path()) {
        program.settings.PreviewUpdate = 0;
        edit.resize(800, 700);
        buffer = std::make_unique<EditBuffer>(&edit);
        preview = std::make_unique<Preview>(program, host, *buffer, &timer);
        QObject::connect(buffer.get(), &EditBuffer::changed, preview.get(),
                         &Preview::txtEdit_Change);
        if (highlighted)
            view = new SourceView(&edit, [](int) {});
        if (overlaid)
            edit.view = view;
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
    OverlaidEdit edit;
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

// The keystroke of BM_Keystroke in two coloured panes, one of them painting the full-width
// spaces over its text (the page has one on every heading's line).
void BM_KeystrokeFullWidthMarks(benchmark::State& state) {
    const QString page = japanesePage(state.range(0));
    Pane bare(true, false);
    Pane marked(true, true);
    for (Pane* p : {&bare, &marked}) {
        p->buffer->setText(page);
        p->buffer->setSelection(p->buffer->length() - 30, 0);
        p->shown();
        p->view->highlighter().completeStates();
    }
    double seconds[2] = {0, 0};
    bool insert = true;
    bool bareFirst = true;
    for (auto _ : state) {
        for (Pane* p : bareFirst ? std::array{&bare, &marked} : std::array{&marked, &bare}) {
            p->buffer->setSelection(p->buffer->length() - 30, insert ? 0 : 1);
            const auto t0 = Clock::now();
            p->buffer->replaceSelection(insert ? QStringLiteral("<") : QString());
            p->painted();
            seconds[p == &marked] += since(t0);
            p->host.calls.clear();
        }
        insert = !insert;
        bareFirst = !bareFirst;
    }
    state.counters["x_without_marks"] = seconds[1] / seconds[0];
    state.counters["ms_without_marks"] = seconds[0] * 1000 / double(state.iterations());
    // The marks' own share of a keystroke, timed inside the same keystrokes.
    state.counters["marks_share"] = marked.edit.overSeconds / seconds[1];
    state.counters["us_marks"] = marked.edit.overSeconds * 1e6 / double(state.iterations());
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

// The program's own text pane with its source view; `aids` leaves the typing aids attached.
struct TypingPane {
    explicit TypingPane(bool aids) : host(dir.path()) {
        program.settings.PreviewUpdate = 0;
        pane.resize(800, 700);
        buffer = std::make_unique<EditBuffer>(&pane);
        preview = std::make_unique<Preview>(program, host, *buffer, &timer);
        QObject::connect(buffer.get(), &EditBuffer::changed, preview.get(),
                         &Preview::txtEdit_Change);
        wiring = std::make_unique<EditorWiring>(pane);
        if (!aids)
            pane.setTypingAids(nullptr);
        pane.show();
        QCoreApplication::processEvents();
    }
    void load(const QString& text, int caret) {
        buffer->setText(text);
        buffer->setSelection(caret, 0);
        QCoreApplication::processEvents();
        pane.viewport()->repaint();
        wiring->view().highlighter().completeStates();
    }
    // A key pressed and released in the pane, as the window system delivers it.
    void key(Qt::Key key, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(&pane, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(&pane, &release);
    }
    void painted() { QCoreApplication::processEvents(); }

    QTemporaryDir dir;
    FakeHost host;
    ProgramState program;
    TextPane pane;
    QTimer timer;
    std::unique_ptr<EditBuffer> buffer;
    std::unique_ptr<Preview> preview;
    std::unique_ptr<EditorWiring> wiring;
};

// A letter typed inside a tag, where it opens no list, and taken back: the pane with its typing
// aids against the same pane without them.
void BM_TypedKeyNoList(benchmark::State& state) {
    const QString page = japanesePage(state.range(0));
    // Just before the ">" of the last picture's tag, after its last value.
    const int caret = int(EditBuffer::toCrLf(page).lastIndexOf(u"\"240\">") + 5);
    TypingPane plain(false);
    TypingPane aided(true);
    for (TypingPane* p : {&plain, &aided})
        p->load(page, caret);
    double seconds[2] = {0, 0};
    double aids = 0;
    const QKeyEvent typedX(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    bool plainFirst = true;
    for (auto _ : state) {
        for (TypingPane* p : plainFirst ? std::array{&plain, &aided} : std::array{&aided, &plain}) {
            const auto t0 = Clock::now();
            p->key(Qt::Key_X, QStringLiteral("x"));
            p->painted();
            seconds[p == &aided] += since(t0);
            if (p == &aided) {
                // What the aids add to the key, the pane's own handling left out.
                const auto t1 = Clock::now();
                aided.wiring->typingAids().afterTypedKey(&typedX);
                aids += since(t1);
            }
            p->key(Qt::Key_Backspace, QStringLiteral("\b"));
            p->painted();
            p->host.calls.clear();
        }
        plainFirst = !plainFirst;
    }
    if (aided.wiring->typingAids().listOpen())
        state.SkipWithError("a list opened");
    state.counters["x_without_aids"] = seconds[1] / seconds[0];
    state.counters["ms_without_aids"] = seconds[0] * 1000 / double(state.iterations());
    state.counters["us_aids"] = aids * 1e6 / double(state.iterations());
    state.counters["aids_share"] = aids / seconds[1];
}

// The list opening after "<t", against "<z" at the same place, which opens none.
void BM_SuggestionListOpens(benchmark::State& state) {
    const QString page = japanesePage(state.range(0));
    TypingPane aided(true);
    // At the start of the last section's line.
    aided.load(page, int(EditBuffer::toCrLf(page).lastIndexOf(u"<DIV")));
    aided.key(Qt::Key_Less, QStringLiteral("<"));
    aided.painted();
    double seconds[2] = {0, 0};
    bool opened = true;
    for (auto _ : state) {
        for (const bool list : {true, false}) {
            const auto t0 = Clock::now();
            aided.key(list ? Qt::Key_T : Qt::Key_Z,
                      list ? QStringLiteral("t") : QStringLiteral("z"));
            aided.painted();
            seconds[list ? 1 : 0] += since(t0);
            opened = opened && aided.wiring->typingAids().listOpen() == list;
            aided.key(Qt::Key_Backspace, QStringLiteral("\b"));
            aided.painted();
            aided.host.calls.clear();
        }
    }
    if (!opened)
        state.SkipWithError("the list did not open after <t, or opened after <z");
    state.counters["ms_open"] = seconds[1] * 1000 / double(state.iterations());
    state.counters["ms_no_list"] = seconds[0] * 1000 / double(state.iterations());
    state.counters["x_no_list"] = seconds[1] / seconds[0];
}

// "/" typed after "<" just before the body's end tag, where the innermost open element is the
// body itself, at the top of the page: the aided pane adds "BODY>" (at 100 KB; from 1 MB on the
// body's start tag lies past the search's budget, so the whole budget is read for nothing), the
// plain pane nothing.
void BM_EndTagCompleted(benchmark::State& state) {
    const QString page = japanesePage(state.range(0));
    const int caret = int(EditBuffer::toCrLf(page).lastIndexOf(u"</BODY>"));
    TypingPane plain(false);
    TypingPane aided(true);
    for (TypingPane* p : {&plain, &aided}) {
        p->load(page, caret);
        p->key(Qt::Key_Less, QStringLiteral("<"));
        p->painted();
    }
    double seconds[2] = {0, 0};
    QString completed;
    for (auto _ : state) {
        for (TypingPane* p : {&plain, &aided}) {
            const auto t0 = Clock::now();
            p->key(Qt::Key_Slash, QStringLiteral("/"));
            p->painted();
            seconds[p == &aided] += since(t0);
            const int end = p->buffer->selectionStart();
            if (p == &aided)
                completed = p->buffer->text().mid(caret + 2, end - caret - 2);
            p->buffer->setSelection(caret + 1, end - caret - 1);
            p->buffer->replaceSelection(QString());
            p->painted();
            p->host.calls.clear();
        }
    }
    const bool budgetPassed = caret > (256 << 10);
    if (completed != (budgetPassed ? QString() : QStringLiteral("BODY>")))
        state.SkipWithError(qPrintable(QStringLiteral("completed: ") + completed));
    state.counters["ms_with_aids"] = seconds[1] * 1000 / double(state.iterations());
    state.counters["ms_without_aids"] = seconds[0] * 1000 / double(state.iterations());
}

} // namespace

BENCHMARK(BM_Keystroke)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);
BENCHMARK(BM_KeystrokeFullWidthMarks)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);
BENCHMARK(BM_Open)->Arg(10 << 20)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_JumpToEndAfterOpen)->Arg(10 << 20)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TypedKeyNoList)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK(BM_SuggestionListOpens)->Arg(1 << 20)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_EndTagCompleted)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
