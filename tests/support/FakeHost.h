#pragma once

#include "host/Host.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <deque>
#include <functional>

class QWidget;

// One thing the program asked of the host, in the order it asked.
struct HostCall {
    QString kind;  // "msgbox", "input", "open", "save", "font", "beep", "navigate", "back",
                   // "forward", "print", "clipboard", "inject", "popup", "modal", "openWith", "end"
    QString title; // as passed (empty means the program's name is shown)
    QString text;  // prompt, address, keys, file, menu objectName or dialog objectName
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    QString detail; // input default; file dialog filter; the answer given
};

// A host that answers from a script and records every call. Message boxes with only OK answer
// Ok by themselves; every other question takes the next scripted answer, and an unscripted
// question is answered Cancel / "" / nullopt and noted in `unscripted`.
class FakeHost : public Host {
public:
    explicit FakeHost(QString applicationFolder);

    // --- the script ---
    std::deque<Answer> answers;                     // Yes/No and Yes/No/Cancel boxes
    std::deque<std::optional<QString>> inputs;      // nullopt: the box is cancelled
    std::deque<std::optional<QString>> fileChoices; // open and save dialogs; nullopt: cancel
    std::deque<std::optional<FontChoice>> fontChoices;
    // Modal windows: each gets the next script, which may drive the dialog and returns its
    // result; with none left the dialog is run for real by exec().
    std::deque<std::function<int(QDialog*)>> dialogScripts;
    // When set, a print stays running until the test calls `finishPrint`; otherwise it ends
    // at once.
    bool holdPrints = false;
    std::function<void()> finishPrint;
    // When set, injected keys are delivered as the real host does (queued, after the command).
    QPointer<QWidget> deliverKeysTo;

    // --- the record ---
    QList<HostCall> calls;
    QStringList unscripted;
    QString clipboard;
    bool ended = false;
    bool mainWindowEnabled = true;

    int count(const QString& kind) const;
    QList<HostCall> callsOf(const QString& kind) const;
    QStringList kinds() const; // the kinds of all calls in order
    void clear() {
        calls.clear();
        unscripted.clear();
    }

    // --- Host ---
    Answer messageBox(const QString& prompt, Buttons buttons, Icon icon,
                      const QString& title = {}) override;
    QString inputBox(const QString& prompt, const QString& title = {},
                     const QString& defaultText = {}) override;
    std::optional<QString> openFileDialog(const FileDialogRequest& request) override;
    std::optional<QString> saveFileDialog(const FileDialogRequest& request) override;
    QString fileDialogName() const override { return m_fileName; }
    void setFileDialogName(const QString& name) override { m_fileName = name; }
    std::optional<FontChoice> fontDialog(const FontChoice& initial) override;
    void navigate(const QString& address) override;
    void browserBack() override;
    void browserForward() override;
    void printPage(std::function<void()> finished) override;
    void setClipboardText(const QString& text) override;
    QString clipboardText() override { return clipboard; }
    void injectKeys(const QString& keys) override;
    void beep() override;
    void popupMenu(QMenu* menu) override;
    // Recorded as "disable" and "enable".
    void enableMainWindow(bool enabled) override;
    int showModal(QDialog* dialog) override;
    QRect workArea() override { return m_workArea; }
    QString applicationFolder() const override { return m_appFolder; }
    QString workingFolder() const override { return m_workingFolder; }
    void setWorkingFolder(const QString& folder) override { m_workingFolder = folder; }
    void openWithAssociatedProgram(const QString& fileOrAddress) override;
    void endProgram() override;

    void setWorkArea(const QRect& area) { m_workArea = area; }
    QStringList navigations() const;

private:
    std::optional<QString> fileDialog(const QString& kind, const FileDialogRequest& request);

    QString m_appFolder;
    QString m_workingFolder;
    QString m_fileName;
    QRect m_workArea{0, 0, 1280, 800};
};
