#pragma once

#include <QDialog>
#include <QHash>
#include <QImage>
#include <QPointer>
#include <memory>

class EditBuffer;
class Host;
class ImagePaste;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

// The image viewer "ビューアー": walks the mounted volumes and their folders, lists a folder's
// .jpg, .gif and .bmp files and shows one at a time, fitted into the picture box. Pictures are
// decoded only when shown, so a folder of thousands of files lists at once. Loaded afresh at
// every opening.
class frmV : public QDialog {
    Q_OBJECT
public:
    frmV(Host& host, EditBuffer& buffer, const QString& quoteChar, QWidget* owner = nullptr);
    ~frmV() override;

    void Form_Load();
    void Drive_Change();
    // The folder list's change: the file list is filled again with nothing selected.
    void Dir_Change(const QString& folder);
    void File_Click();
    void cmdN_Click();
    void cmdP_Click();
    void File_MouseUp(Qt::MouseButton button);
    void chkFileWin_Click();
    void imgV_MouseUp(Qt::MouseButton button);
    void lblHTML_Click();
    void lblOpen_Click();

    // The full path of the picture last selected; "" until one is.
    QString Path() const { return m_path; }
    QString dirPath() const { return m_dirPath; }
    bool FileWinBig() const { return m_fileWinBig; }
    // The 0-based selected entry of the file list, -1 when none.
    int selectedIndex() const;

    QComboBox* Drive = nullptr;
    QCheckBox* chkFileWin = nullptr;
    QListWidget* Dir = nullptr;
    QListWidget* File = nullptr;
    QGroupBox* fraV = nullptr;
    QLabel* imgV = nullptr;
    QPushButton* cmdP = nullptr;
    QPushButton* cmdN = nullptr;
    QLabel* lblFileSize = nullptr;
    QLabel* lblIndex = nullptr;
    QLabel* lblHTML = nullptr;
    QLabel* lblOpen = nullptr;
    QMenu* mnuMenu = nullptr;
    QAction* mnuPathCopy = nullptr;
    QMenu* mnuMenu2 = nullptr;
    QAction* mnuHTMLn = nullptr;
    QAction* mnuHTMLs = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void fillDrives(const QList<struct DriveEntry>& drives);
    void fillDirList();
    void fillFileList();
    void UpdateIndexLabel();
    // Steps 3 to 8 of showing the selected entry; the caller has disabled the controls and
    // beeped.
    void showSelectedFrom3();
    void ShowSelectedImage();
    void stepTo(int index);
    void setBrowsingEnabled(bool enabled);
    // The picture at `path`, fitted into imgV; a null image when it cannot be decoded.
    QImage loadFitted(const QString& path) const;
    QString selectedName() const;
    int twips(int pixels) const;
    int pixels(int twips) const;

    Host& m_host;
    std::unique_ptr<ImagePaste> m_paste;
    QString m_path;
    QString m_dirPath;
    bool m_fileWinBig = false;
    int m_FWt = 0;
    int m_FWh = 0;
    int m_driveIndex = -1;
    bool m_quiet = false;
    // The control that had the keyboard focus before a picture was shown.
    QPointer<QWidget> m_focusBeforeShowing;
    // The folder last shown on each volume, so that returning to a volume returns there.
    QHash<QString, QString> m_driveFolders;
};
