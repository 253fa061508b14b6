#include "QtHost.h"

#include "AppFolder.h"
#include "BrowserPane.h"
#include "KeyInjection.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QUrl>

namespace {

// A message box whose close box and Escape key answer Cancel, whatever its buttons are.
class CancellableMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool cancelled = false;

protected:
    void closeEvent(QCloseEvent* event) override {
        cancelled = true;
        event->accept();
        done(QDialog::Rejected);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            cancelled = true;
            done(QDialog::Rejected);
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
};

QMessageBox::Icon toQtIcon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Error:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString titleOr(const QString& title) {
    return title.isEmpty() ? Host::appTitle() : title;
}

// Gives the window that owned a closed box its activation back; without a window manager (or
// with a careless one) it would stay inactive and its menu shortcuts would not fire.
void reactivate(QWidget* owner) {
    if (owner && owner->isVisible())
        owner->window()->activateWindow();
}

} // namespace

QtHost::QtHost() = default;

QWidget* QtHost::owner() const {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return m_mainWindow ? m_mainWindow.data() : QApplication::activeWindow();
}

Answer QtHost::messageBox(const QString& prompt, Buttons buttons, Icon icon, const QString& title) {
    QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
    QMessageBox::StandardButton first = QMessageBox::Ok;
    if (buttons == Buttons::YesNo) {
        qtButtons = QMessageBox::Yes | QMessageBox::No;
        first = QMessageBox::Yes;
    } else if (buttons == Buttons::YesNoCancel) {
        qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        first = QMessageBox::Yes;
    }
    CancellableMessageBox box(toQtIcon(icon), titleOr(title), prompt, qtButtons, owner());
    // Prompts are text: one that quotes a tag ("<BR>を挿入") must show it, not render it.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(first);
    box.exec();
    reactivate(box.parentWidget());
    if (box.cancelled)
        return Answer::Cancel;
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

QString QtHost::inputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    QInputDialog dialog(owner());
    dialog.setWindowTitle(titleOr(title));
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setInputMode(QInputDialog::TextInput);
    const int result = dialog.exec();
    reactivate(dialog.parentWidget());
    if (result != QDialog::Accepted)
        return {};
    return dialog.textValue();
}

QString QtHost::toQtFilter(const QString& filter) {
    const qsizetype bar = filter.indexOf(u'|');
    if (bar < 0)
        return filter;
    QString patterns = filter.mid(bar + 1);
    patterns.replace(u';', u' ');
    return filter.left(bar) + QStringLiteral(" (") + patterns + u')';
}

std::optional<QString> QtHost::runFileDialog(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(owner(), titleOr(request.title));
    // Qt's own dialog, so it speaks Japanese whatever desktop the user runs.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save) {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    } else {
        dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile
                                                 : QFileDialog::AnyFile);
    }
    if (!request.filter.isEmpty())
        dialog.setNameFilter(toQtFilter(request.filter));
    QString folder = request.initialFolder;
    if (QFileInfo(folder).isFile())
        folder = QFileInfo(folder).absolutePath();
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        dialog.setDirectory(folder);
    if (!m_fileName.isEmpty())
        dialog.selectFile(QFileInfo(m_fileName).fileName());
    const int result = dialog.exec();
    reactivate(dialog.parentWidget());
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath();
    if (save && request.folderMustExist && !QFileInfo(chosen).absoluteDir().exists())
        return std::nullopt;
    m_fileName = chosen;
    setWorkingFolder(QFileInfo(chosen).absolutePath());
    return chosen;
}

std::optional<QString> QtHost::openFileDialog(const FileDialogRequest& request) {
    return runFileDialog(request, false);
}

std::optional<QString> QtHost::saveFileDialog(const FileDialogRequest& request) {
    return runFileDialog(request, true);
}

std::optional<FontChoice> QtHost::fontDialog(const FontChoice& initial) {
    bool ok = false;
    QFont start(initial.name);
    if (initial.pointSize > 0)
        start.setPointSizeF(initial.pointSize);
    const QFont chosen =
        QFontDialog::getFont(&ok, start, owner(), QString(), QFontDialog::DontUseNativeDialog);
    if (!ok)
        return std::nullopt;
    return FontChoice{chosen.family(), chosen.pointSizeF()};
}

void QtHost::navigate(const QString& address) {
    if (m_browser)
        m_browser->navigate(address);
}

void QtHost::browserBack() {
    if (m_browser)
        m_browser->goBack();
}

void QtHost::browserForward() {
    if (m_browser)
        m_browser->goForward();
}

void QtHost::printPage(std::function<void()> finished) {
    if (m_browser)
        m_browser->printPage(std::move(finished));
    else if (finished)
        finished();
}

void QtHost::setClipboardText(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (text.isEmpty())
        clipboard->clear();
    else
        clipboard->setText(text);
}

QString QtHost::clipboardText() {
    return QGuiApplication::clipboard()->text();
}

void QtHost::injectKeys(const QString& keys) {
    queueInjectedKeys(m_mainWindow, keys);
}

void QtHost::beep() {
    QApplication::beep();
}

void QtHost::popupMenu(QMenu* menu) {
    if (menu)
        menu->exec(QCursor::pos());
}

void QtHost::enableMainWindow(bool enabled) {
    if (enabled)
        m_disabledMain.restore();
    else if (m_mainWindow && m_mainWindow->isEnabled())
        m_disabledMain = DisabledWindow(m_mainWindow);
}

int QtHost::showModal(QDialog* dialog) {
    return dialog->exec();
}

QRect QtHost::workArea() {
    QScreen* screen = m_mainWindow && m_mainWindow->screen() ? m_mainWindow->screen()
                                                             : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QString QtHost::applicationFolder() const {
    return AppFolder::current();
}

QString QtHost::helpFile() const {
    return AppFolder::currentHelpFile();
}

QString QtHost::workingFolder() const {
    return QDir::currentPath();
}

void QtHost::setWorkingFolder(const QString& folder) {
    QDir::setCurrent(folder);
}

void QtHost::openWithAssociatedProgram(const QString& fileOrAddress) {
    const QUrl url = QFileInfo::exists(fileOrAddress) ? QUrl::fromLocalFile(fileOrAddress)
                                                      : QUrl::fromUserInput(fileOrAddress);
    QDesktopServices::openUrl(url);
}

void QtHost::endProgram() {
    // No close request and no prompt: the windows go and the event loop ends in order, so the
    // program leaves as it would after its last window closed. On X11 that is when the text it
    // put on the clipboard passes to the desktop's clipboard keeper; an immediate process exit
    // would lose it.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(0);
}
