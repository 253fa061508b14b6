#pragma once

#include "Host.h"
#include "WindowInput.h"

#include <QPointer>

#include "BrowserPane.h"

// The host on a Qt desktop: Qt's own (translated) dialogs, the system clipboard, the browser
// pane of the main window, and keys queued behind the running command.
class QtHost : public Host {
public:
    QtHost();

    // The window that owns dialogs and receives injected keys, and the preview pane.
    void setMainWindow(QWidget* window) { m_mainWindow = window; }
    void setBrowser(BrowserPane* browser) { m_browser = browser; }

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
    QString clipboardText() override;

    void injectKeys(const QString& keys) override;
    void beep() override;
    void popupMenu(QMenu* menu) override;
    void enableMainWindow(bool enabled) override;
    int showModal(QDialog* dialog) override;
    QRect workArea() override;

    QString applicationFolder() const override;
    QString helpFile() const override;
    QString workingFolder() const override;
    void setWorkingFolder(const QString& folder) override;
    void openWithAssociatedProgram(const QString& fileOrAddress) override;
    void endProgram() override;

    // Turns "description|*.a;*.b" into Qt's "description (*.a *.b)".
    static QString toQtFilter(const QString& filter);

private:
    std::optional<QString> runFileDialog(const FileDialogRequest& request, bool save);
    QWidget* owner() const;

    QPointer<QWidget> m_mainWindow;
    QPointer<BrowserPane> m_browser;
    DisabledWindow m_disabledMain;
    QString m_fileName;
};
