#include "TagBench.h"

#include "tags/HtmlMenu.h"

#include <QAction>
#include <QDir>
#include <QTest>

TagBench::TagBench()
    : edit(new QPlainTextEdit(&window)), other(new QLineEdit(&window)), buffer(edit),
      host(QDir::tempPath()), commands(host, buffer, quote) {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    layout->addWidget(other);
    menu.setObjectName(QStringLiteral("mnuHTML"));
    buildHtmlMenu(&menu);
    commands.wireAll([this](const QString& item, std::function<void()> command) {
        QAction* action = menu.findChild<QAction*>(item);
        QVERIFY2(action, qPrintable(item));
        QObject::connect(action, &QAction::triggered, [command] { command(); });
        action->setEnabled(true);
    });
}

void TagBench::set(const QString& text, int start, int length) {
    buffer.setText(text);
    buffer.setSelection(start, length);
    host.clear();
}

void TagBench::script(const QStringList& inputs, const QString& answers) {
    for (const QString& input : inputs) {
        if (input == u"<cancel>")
            host.inputs.push_back(std::nullopt);
        else
            host.inputs.push_back(input);
    }
    for (QChar a : answers)
        host.answers.push_back(a == u'Y' ? Answer::Yes : Answer::No);
}

void TagBench::choose(const QString& item) {
    QAction* action = menu.findChild<QAction*>(item);
    QVERIFY2(action && action->isEnabled(), qPrintable(item));
    action->trigger();
}

QString describe(const HostCall& call) {
    if (call.kind == u"beep")
        return call.kind;
    QString detail = call.detail;
    if (call.kind == u"msgbox") {
        static const char* const icons[] = {"None", "Information", "Exclamation", "Error"};
        static const char* const buttons[] = {"Ok", "YesNo", "YesNoCancel"};
        detail = QString::fromLatin1(icons[int(call.icon)]) + u'/' +
                 QString::fromLatin1(buttons[int(call.buttons)]);
    }
    return QStringList{call.kind, call.title, call.text, detail}.join(u'|');
}

QStringList TagBench::calls() const {
    QStringList out;
    for (const HostCall& c : host.calls)
        out << describe(c);
    return out;
}
