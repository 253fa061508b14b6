#include "FakeHost.h"

#include "host/KeyInjection.h"

#include <QDialog>
#include <QFileInfo>
#include <QMenu>

FakeHost::FakeHost(QString applicationFolder)
    : m_appFolder(std::move(applicationFolder)), m_workingFolder(m_appFolder) {}

int FakeHost::count(const QString& kind) const {
    return int(callsOf(kind).size());
}

QList<HostCall> FakeHost::callsOf(const QString& kind) const {
    QList<HostCall> out;
    for (const HostCall& c : calls)
        if (c.kind == kind)
            out << c;
    return out;
}

QStringList FakeHost::kinds() const {
    QStringList out;
    for (const HostCall& c : calls)
        out << c.kind;
    return out;
}

QStringList FakeHost::navigations() const {
    QStringList out;
    for (const HostCall& c : callsOf(QStringLiteral("navigate")))
        out << c.text;
    return out;
}

Answer FakeHost::messageBox(const QString& prompt, Buttons buttons, Icon icon,
                            const QString& title) {
    HostCall call{QStringLiteral("msgbox"), title, prompt, icon, buttons, {}};
    Answer answer = Answer::Ok;
    if (buttons != Buttons::Ok) {
        if (answers.empty()) {
            unscripted << QStringLiteral("msgbox: ") + prompt;
            answer = Answer::Cancel;
        } else {
            answer = answers.front();
            answers.pop_front();
        }
    }
    call.detail = answer == Answer::Yes  ? QStringLiteral("Yes")
                  : answer == Answer::No ? QStringLiteral("No")
                  : answer == Answer::Ok ? QStringLiteral("Ok")
                                         : QStringLiteral("Cancel");
    calls << call;
    return answer;
}

QString FakeHost::inputBox(const QString& prompt, const QString& title,
                           const QString& defaultText) {
    calls << HostCall{QStringLiteral("input"), title, prompt, Icon::None, Buttons::Ok, defaultText};
    if (inputs.empty()) {
        unscripted << QStringLiteral("input: ") + prompt;
        return {};
    }
    const std::optional<QString> answer = inputs.front();
    inputs.pop_front();
    return answer.value_or(QString());
}

std::optional<QString> FakeHost::fileDialog(const QString& kind, const FileDialogRequest& request) {
    calls << HostCall{kind,       request.title, request.initialFolder,
                      Icon::None, Buttons::Ok,   request.filter};
    if (fileChoices.empty()) {
        unscripted << kind + QStringLiteral(": ") + request.title;
        return std::nullopt;
    }
    const std::optional<QString> choice = fileChoices.front();
    fileChoices.pop_front();
    if (choice) {
        m_fileName = *choice;
        m_workingFolder = QFileInfo(*choice).absolutePath();
    }
    return choice;
}

std::optional<QString> FakeHost::openFileDialog(const FileDialogRequest& request) {
    return fileDialog(QStringLiteral("open"), request);
}

std::optional<QString> FakeHost::saveFileDialog(const FileDialogRequest& request) {
    return fileDialog(QStringLiteral("save"), request);
}

std::optional<FontChoice> FakeHost::fontDialog(const FontChoice& initial) {
    calls << HostCall{QStringLiteral("font"), {}, initial.name, Icon::None, Buttons::Ok, {}};
    if (fontChoices.empty()) {
        unscripted << QStringLiteral("font");
        return std::nullopt;
    }
    const std::optional<FontChoice> choice = fontChoices.front();
    fontChoices.pop_front();
    return choice;
}

void FakeHost::navigate(const QString& address) {
    calls << HostCall{QStringLiteral("navigate"), {}, address, Icon::None, Buttons::Ok, {}};
}

void FakeHost::browserBack() {
    calls << HostCall{QStringLiteral("back"), {}, {}, {}, {}, {}};
}

void FakeHost::browserForward() {
    calls << HostCall{QStringLiteral("forward"), {}, {}, {}, {}, {}};
}

void FakeHost::printPage(std::function<void()> finished) {
    calls << HostCall{QStringLiteral("print"), {}, {}, {}, {}, {}};
    if (holdPrints)
        finishPrint = std::move(finished);
    else if (finished)
        finished();
}

void FakeHost::setClipboardText(const QString& text) {
    calls << HostCall{QStringLiteral("clipboard"), {}, text, Icon::None, Buttons::Ok, {}};
    clipboard = text;
}

void FakeHost::injectKeys(const QString& keys) {
    calls << HostCall{QStringLiteral("inject"), {}, keys, Icon::None, Buttons::Ok, {}};
    if (deliverKeysTo)
        queueInjectedKeys(deliverKeysTo, keys);
}

void FakeHost::beep() {
    calls << HostCall{QStringLiteral("beep"), {}, {}, {}, {}, {}};
}

void FakeHost::popupMenu(QMenu* menu) {
    calls << HostCall{QStringLiteral("popup"),
                      {},
                      menu ? menu->objectName() : QString(),
                      Icon::None,
                      Buttons::Ok,
                      {}};
}

void FakeHost::enableMainWindow(bool enabled) {
    calls << HostCall{
        enabled ? QStringLiteral("enable") : QStringLiteral("disable"), {}, {}, {}, {}, {}};
    mainWindowEnabled = enabled;
}

int FakeHost::showModal(QDialog* dialog) {
    calls << HostCall{QStringLiteral("modal"),
                      dialog->windowTitle(),
                      dialog->objectName(),
                      Icon::None,
                      Buttons::Ok,
                      {}};
    if (dialogScripts.empty())
        return dialog->exec();
    auto script = std::move(dialogScripts.front());
    dialogScripts.pop_front();
    return script(dialog);
}

void FakeHost::openWithAssociatedProgram(const QString& fileOrAddress) {
    calls << HostCall{QStringLiteral("openWith"), {}, fileOrAddress, Icon::None, Buttons::Ok, {}};
}

void FakeHost::endProgram() {
    calls << HostCall{QStringLiteral("end"), {}, {}, {}, {}, {}};
    ended = true;
}
