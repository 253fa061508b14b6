// The baseline of bench/idle_cpu.sh: the bare window of the toolkit, a plain text box beside a
// browser view, holding the same page as the program's panes, its caret blinking in the text
// box. Whatever an idle Tagloom costs beyond this window is the program's own doing.
#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QUrl>
#include <QWebEngineView>
#include <QWidget>
#include <unistd.h>

int main(int argc, char** argv) {
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QString page = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();

    QWidget window;
    window.setWindowTitle(QStringLiteral("idle baseline"));
    auto* layout = new QHBoxLayout(&window);
    auto* text = new QPlainTextEdit;
    auto* view = new QWebEngineView;
    layout->addWidget(text);
    layout->addWidget(view);
    QFile file(page);
    if (file.open(QIODevice::ReadOnly))
        text->setPlainText(QString::fromUtf8(file.readAll()));
    view->load(page.isEmpty() ? QUrl(QStringLiteral("about:blank")) : QUrl::fromLocalFile(page));
    window.resize(1250, 740);
    window.show();
    text->setFocus();
    return app.exec();
}
