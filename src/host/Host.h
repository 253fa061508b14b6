#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>

class QDialog;
class QMenu;
class QWidget;

// Everything the program asks of the windowing host. Commands never talk to Qt's dialogs,
// the clipboard or the browser pane directly: they go through this interface, so a test can
// answer every question from a script and record what the user would have seen.

enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Icon { None, Information, Exclamation, Error };
enum class Answer { Ok, Yes, No, Cancel };

// One file dialog request. `filter` is "description|patterns" with patterns separated by ';'.
struct FileDialogRequest {
    QString title;
    QString filter;
    QString initialFolder;
    bool fileMustExist = false;
    bool folderMustExist = false;
    bool confirmOverwrite = false;
};

struct FontChoice {
    QString name;
    double pointSize = 0;
};

class Host {
public:
    virtual ~Host() = default;

    // The program's name, the title of every box that is given none.
    static QString appTitle() { return QStringLiteral("Tagloom"); }

    // Message box. An empty title shows appTitle(). Closing the box answers Cancel.
    virtual Answer messageBox(const QString& prompt, Buttons buttons, Icon icon,
                              const QString& title = {}) = 0;
    // Input box. Cancel gives "" just as an empty answer does.
    virtual QString inputBox(const QString& prompt, const QString& title = {},
                             const QString& defaultText = {}) = 0;

    // File dialogs: the chosen full path, or nullopt on cancel. The chosen file's folder becomes
    // the working folder, and its name is offered again by the next dialog.
    virtual std::optional<QString> openFileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFileDialog(const FileDialogRequest& request) = 0;
    // The file name field shared by all file dialogs.
    virtual QString fileDialogName() const = 0;
    virtual void setFileDialogName(const QString& name) = 0;
    virtual std::optional<FontChoice> fontDialog(const FontChoice& initial) = 0;

    // The browser pane. Navigation never blocks; back and forward are quiet at the ends.
    virtual void navigate(const QString& address) = 0;
    virtual void browserBack() = 0;
    virtual void browserForward() = 0;
    // Prints the page the pane shows, without a dialog. Printing goes on after this returns;
    // `finished` runs once the page is out (or has failed, which the host has reported).
    virtual void printPage(std::function<void()> finished) = 0;

    virtual void setClipboardText(const QString& text) = 0;
    virtual QString clipboardText() = 0;

    // Queues "^Z", "{F2}" or "{F7}" for the active window; it arrives after the running
    // command has returned.
    virtual void injectKeys(const QString& keys) = 0;
    virtual void beep() = 0;
    virtual void popupMenu(QMenu* menu) = 0;

    // Takes the main window's input away and gives it back; dialogs opened meanwhile still work.
    virtual void enableMainWindow(bool enabled) = 0;

    // Shows a window modally and returns its result once it has closed.
    virtual int showModal(QDialog* dialog) = 0;

    // The desktop work area in pixels.
    virtual QRect workArea() = 0;

    // The program's folder, no trailing separator.
    virtual QString applicationFolder() const = 0;
    // The help page: the application folder's, else the installed copy's.
    virtual QString helpFile() const { return appFile(QStringLiteral("help.html")); }
    virtual QString workingFolder() const = 0;
    virtual void setWorkingFolder(const QString& folder) = 0;

    virtual void openWithAssociatedProgram(const QString& fileOrAddress) = 0;

    // Ends the program without a close request: no close handler runs and no prompt shows. The
    // windows disappear at once and the event loop ends when the running command returns.
    virtual void endProgram() = 0;

    // Joins the application folder and a file name with the platform's separator.
    QString appFile(const QString& name) const { return applicationFolder() + '/' + name; }
};
