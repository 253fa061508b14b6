#include "frmV.h"

#include "DriveList.h"
#include "FittedImage.h"
#include "ImagePaste.h"
#include "host/Host.h"
#include "host/NamedWidgets.h"
#include "host/RegularFile.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>
#include <cmath>

namespace {

const QString kNoFiles = QStringLiteral("ここにはファイルがありません");
const QString kFileNameCaption = QStringLiteral("ファイル名：");
const QString kFileSizeCaption = QStringLiteral("このファイルのサイズ：");
const QStringList kPatterns = {QStringLiteral("*.jpg"), QStringLiteral("*.gif"),
                               QStringLiteral("*.bmp")};

QLabel* clickableLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setCursor(Qt::PointingHandCursor);
    label->setStyleSheet(QStringLiteral("color: #0000cc; text-decoration: underline;"));
    return label;
}

} // namespace

frmV::frmV(Host& host, EditBuffer& buffer, const QString& quoteChar, QWidget* owner)
    : QDialog(owner), m_host(host), m_paste(std::make_unique<ImagePaste>(host, buffer, quoteChar)) {
    setObjectName(QStringLiteral("frmV"));
    setWindowTitle(QStringLiteral("ビューアー"));
    buildControls();
    Form_Load();
}

frmV::~frmV() = default;

void frmV::buildControls() {
    setFixedSize(660, 400);

    Drive = new QComboBox(this);
    Drive->setObjectName(QStringLiteral("Drive"));
    Drive->setGeometry(8, 8, 224, 24);

    chkFileWin = new QCheckBox(QStringLiteral("ファイル欄"), this);
    chkFileWin->setObjectName(QStringLiteral("chkFileWin"));
    chkFileWin->setGeometry(8, 36, 224, 20);
    chkFileWin->setChecked(true);

    Dir = new QListWidget(this);
    Dir->setObjectName(QStringLiteral("Dir"));
    Dir->setGeometry(8, 60, 224, 270);
    Dir->setUniformItemSizes(true);

    // The file list lies over the lower part of the folder list, so enlarging it upwards
    // covers more of the folders.
    File = new QListWidget(this);
    File->setObjectName(QStringLiteral("File"));
    File->setGeometry(8, 200, 224, 130);
    File->setUniformItemSizes(true);
    File->setToolTip(QStringLiteral("ここで右クリックするとファイル欄を大きくできます"));
    File->viewport()->installEventFilter(this);

    fraV = new QGroupBox(kFileNameCaption, this);
    fraV->setObjectName(QStringLiteral("fraV"));
    fraV->setGeometry(244, 8, 408, 300);
    imgV = new QLabel(fraV);
    imgV->setObjectName(QStringLiteral("imgV"));
    imgV->setGeometry(10, 24, 388, 266);
    imgV->setAlignment(Qt::AlignCenter);
    imgV->setToolTip(QStringLiteral("ここで右クリックするとファイルのパスがコピーできます"));
    imgV->installEventFilter(this);

    // No default button: Enter in a list or the drive box must not step through the pictures.
    cmdP = namedButton(QStringLiteral("cmdP"), QStringLiteral("＜"), this);
    cmdP->setGeometry(244, 316, 40, 32);
    cmdN = namedButton(QStringLiteral("cmdN"), QStringLiteral("＞"), this);
    cmdN->setGeometry(288, 316, 40, 32);

    lblIndex = new QLabel(QStringLiteral("選択されていません"), this);
    lblIndex->setObjectName(QStringLiteral("lblIndex"));
    lblIndex->setGeometry(340, 314, 312, 18);
    lblFileSize = new QLabel(kFileSizeCaption, this);
    lblFileSize->setObjectName(QStringLiteral("lblFileSize"));
    lblFileSize->setGeometry(340, 334, 312, 18);

    lblHTML = clickableLabel(QStringLiteral("ページに貼り付ける"), this);
    lblHTML->setObjectName(QStringLiteral("lblHTML"));
    lblHTML->setGeometry(244, 364, 160, 22);
    lblHTML->installEventFilter(this);
    lblOpen = clickableLabel(QStringLiteral("ソフトで開く"), this);
    lblOpen->setObjectName(QStringLiteral("lblOpen"));
    lblOpen->setGeometry(420, 364, 160, 22);
    lblOpen->installEventFilter(this);

    mnuMenu = new QMenu(QStringLiteral("メニュー"), this);
    mnuMenu->setObjectName(QStringLiteral("mnuMenu"));
    mnuPathCopy = mnuMenu->addAction(QStringLiteral("ファイルパスをコピーする(&F)"));
    mnuPathCopy->setObjectName(QStringLiteral("mnuPathCopy"));
    mnuMenu2 = new QMenu(QStringLiteral("メニュー２"), this);
    mnuMenu2->setObjectName(QStringLiteral("mnuMenu2"));
    mnuHTMLn = mnuMenu2->addAction(QStringLiteral("そのまま貼り付ける（カーソル位置）(&N)"));
    mnuHTMLn->setObjectName(QStringLiteral("mnuHTMLn"));
    mnuHTMLs = mnuMenu2->addAction(QStringLiteral("サイズを指定して張り付ける(&S)"));
    mnuHTMLs->setObjectName(QStringLiteral("mnuHTMLs"));

    connect(Drive, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_quiet)
            Drive_Change();
    });
    // The folder list is rebuilt by the change, so the change runs after the activation.
    connect(Dir, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const QString folder = item->data(Qt::UserRole).toString();
        QMetaObject::invokeMethod(
            this, [this, folder] { Dir_Change(folder); }, Qt::QueuedConnection);
    });
    connect(File, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_quiet && selectedIndex() >= 0)
            File_Click();
    });
    connect(cmdN, &QPushButton::clicked, this, &frmV::cmdN_Click);
    connect(cmdP, &QPushButton::clicked, this, &frmV::cmdP_Click);
    connect(chkFileWin, &QCheckBox::clicked, this, &frmV::chkFileWin_Click);
    connect(mnuPathCopy, &QAction::triggered, this, [this] { m_paste->mnuPathCopy_Click(m_path); });
    connect(mnuHTMLn, &QAction::triggered, this,
            [this] { m_paste->mnuHTMLn_Click(m_path, selectedName()); });
    connect(mnuHTMLs, &QAction::triggered, this,
            [this] { m_paste->mnuHTMLs_Click(m_path, selectedName()); });
}

int frmV::twips(int px) const {
    return qRound(px * 1440.0 / logicalDpiY());
}

int frmV::pixels(int tw) const {
    return qRound(tw * logicalDpiY() / 1440.0);
}

void frmV::Form_Load() {
    m_fileWinBig = false;
    m_FWt = twips(File->y());
    m_FWh = twips(File->height());
    m_path.clear();
    const QList<DriveEntry> drives = mountedDrives();
    fillDrives(drives);
    const QString folder = QDir::cleanPath(m_host.workingFolder());
    m_quiet = true;
    m_driveIndex = driveIndexOf(drives, folder);
    Drive->setCurrentIndex(m_driveIndex);
    m_quiet = false;
    Dir_Change(folder);
}

void frmV::fillDrives(const QList<DriveEntry>& drives) {
    m_quiet = true;
    Drive->clear();
    for (const DriveEntry& d : drives)
        Drive->addItem(d.caption, d.rootPath);
    m_quiet = false;
}

void frmV::Drive_Change() {
    const int index = Drive->currentIndex();
    const QString root = Drive->itemData(index).toString();
    QString folder = m_driveFolders.value(root, root);
    if (!QFileInfo(folder).isDir() || !QFileInfo(folder).isReadable())
        folder = root;
    const QStorageInfo volume(root);
    const QFileInfo rootInfo(root);
    if (root.isEmpty() || !volume.isValid() || !volume.isReady() || !rootInfo.isDir() ||
        !rootInfo.isReadable()) {
        m_host.beep();
        m_host.messageBox(QStringLiteral("そのドライブが準備されていない可能性があります。"),
                          Buttons::Ok, Icon::Exclamation, QStringLiteral("ドライブ"));
        m_quiet = true;
        Drive->setCurrentIndex(m_driveIndex);
        m_quiet = false;
        return;
    }
    m_driveIndex = index;
    Dir_Change(folder);
    if (File->count() == 0) {
        lblIndex->setText(kNoFiles);
        lblFileSize->clear();
    } else {
        UpdateIndexLabel();
    }
}

void frmV::Dir_Change(const QString& folder) {
    m_dirPath = QDir::cleanPath(folder);
    const QString root = Drive->itemData(Drive->currentIndex()).toString();
    if (!root.isEmpty())
        m_driveFolders.insert(root, m_dirPath);
    fillDirList();
    fillFileList();
    UpdateIndexLabel();
}

void frmV::fillDirList() {
    QString root = Drive->itemData(Drive->currentIndex()).toString();
    if (root.isEmpty() || !isInsideFolder(m_dirPath, root))
        root = QStringLiteral("/");
    // The folders from the volume's root down to the current one, then its subfolders.
    QStringList chain;
    for (QString f = m_dirPath; f != root && f.size() > root.size();
         f = QFileInfo(f).absolutePath())
        chain.prepend(f);
    chain.prepend(root);

    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirIcon);
    m_quiet = true;
    Dir->clear();
    for (int depth = 0; depth < chain.size(); ++depth) {
        const QString name = depth == 0 ? chain[depth] : QFileInfo(chain[depth]).fileName();
        auto* item = new QListWidgetItem(open, QString(depth * 2, ' ') + name, Dir);
        item->setData(Qt::UserRole, chain[depth]);
    }
    Dir->setCurrentRow(int(chain.size()) - 1);
    const QDir here(m_dirPath);
    const QString indent(int(chain.size()) * 2, ' ');
    for (const QString& sub :
         here.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QListWidgetItem(closed, indent + sub, Dir);
        item->setData(Qt::UserRole, here.filePath(sub));
    }
    m_quiet = false;
}

void frmV::fillFileList() {
    QDir folder(m_dirPath);
    folder.setNameFilters(kPatterns);
    folder.setFilter(QDir::Files);
    folder.setSorting(QDir::Name | QDir::IgnoreCase);
    m_quiet = true;
    File->clear();
    File->addItems(folder.entryList());
    m_quiet = false;
}

int frmV::selectedIndex() const {
    const QList<QListWidgetItem*> items = File->selectedItems();
    return items.isEmpty() ? -1 : File->row(items.first());
}

QString frmV::selectedName() const {
    const int i = selectedIndex();
    return i < 0 ? QString() : File->item(i)->text();
}

void frmV::UpdateIndexLabel() {
    const int n = File->count();
    if (n == 0) {
        lblIndex->setText(kNoFiles);
        return;
    }
    lblIndex->setText(QStringLiteral("%1個中の%2個目を表示中").arg(n).arg(selectedIndex() + 1));
}

void frmV::setBrowsingEnabled(bool enabled) {
    // Disabling the control with the focus hands it on down the tab order, as far as the drive
    // box, where the next arrow key would change the volume: it comes back once they are enabled.
    if (!enabled)
        m_focusBeforeShowing = focusWidget();
    File->setEnabled(enabled);
    cmdP->setEnabled(enabled);
    cmdN->setEnabled(enabled);
    if (enabled && m_focusBeforeShowing && m_focusBeforeShowing != focusWidget())
        m_focusBeforeShowing->setFocus(Qt::OtherFocusReason);
}

QImage frmV::loadFitted(const QString& path) const {
    // A named pipe called *.jpg would hold the window until something wrote to it.
    QFile file;
    if (!openRegularFile(file, path))
        return {};
    QImageReader reader(&file);
    return loadFittedImage(reader, imgV->size());
}

void frmV::ShowSelectedImage() {
    setBrowsingEnabled(false);
    m_host.beep();
    showSelectedFrom3();
}

void frmV::showSelectedFrom3() {
    const QString name = selectedName();
    m_path = QDir(m_dirPath).filePath(name);
    UpdateIndexLabel();
    const QImage image = loadFitted(m_path);
    if (image.isNull()) {
        m_host.beep();
        m_host.messageBox(QStringLiteral("画像が不正です。　開くことができませんでした。　"
                                         "このエラーの原因は画像にあると思います"),
                          Buttons::Ok, Icon::Exclamation, QStringLiteral("イメージエラー"));
    } else {
        imgV->setPixmap(QPixmap::fromImage(image));
    }
    fraV->setTitle(kFileNameCaption + name);
    lblFileSize->setText(kFileSizeCaption + QString::number(QFileInfo(m_path).size() / 1024) +
                         QStringLiteral("KB"));
    setBrowsingEnabled(true);
}

void frmV::File_Click() {
    ShowSelectedImage();
}

void frmV::stepTo(int index) {
    m_quiet = true;
    File->setCurrentRow(index);
    m_quiet = false;
    showSelectedFrom3();
}

void frmV::cmdN_Click() {
    setBrowsingEnabled(false);
    m_host.beep();
    const int i = selectedIndex();
    if (i != File->count() - 1)
        stepTo(i + 1);
    else
        setBrowsingEnabled(true);
}

void frmV::cmdP_Click() {
    setBrowsingEnabled(false);
    m_host.beep();
    const int i = selectedIndex();
    if (i > 0)
        stepTo(i - 1);
    else
        setBrowsingEnabled(true);
}

void frmV::File_MouseUp(Qt::MouseButton button) {
    if (button != Qt::RightButton)
        return;
    if (m_fileWinBig) {
        File->setGeometry(File->x(), pixels(m_FWt), File->width(), pixels(m_FWh));
        m_fileWinBig = false;
    } else {
        const int top = twips(File->y()) - m_FWh;
        const int height = int(std::floor(m_FWh * 2.4));
        File->setGeometry(File->x(), pixels(top), File->width(), pixels(height));
        m_fileWinBig = true;
    }
    File->raise();
}

void frmV::chkFileWin_Click() {
    File->setVisible(chkFileWin->isChecked());
}

void frmV::imgV_MouseUp(Qt::MouseButton button) {
    if (button != Qt::RightButton)
        return;
    mnuPathCopy->setEnabled(!m_path.isEmpty());
    m_host.beep();
    m_host.popupMenu(mnuMenu);
}

void frmV::lblHTML_Click() {
    m_host.beep();
    m_host.popupMenu(mnuMenu2);
}

void frmV::lblOpen_Click() {
    if (!m_path.isEmpty())
        m_host.openWithAssociatedProgram(m_path);
    m_host.beep();
}

bool frmV::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return QDialog::eventFilter(watched, event);
    const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
    const bool release = type == QEvent::MouseButtonRelease;
    if (watched == File->viewport()) {
        // A right click only resizes the list; it does not pick a file. The second press of a
        // double-click arrives as the double-click, which the list would take for a press.
        if (button != Qt::RightButton)
            return false;
        if (release)
            File_MouseUp(button);
        return true;
    }
    if (watched == imgV && release) {
        imgV_MouseUp(button);
        return true;
    }
    if (watched == lblHTML && release && button == Qt::LeftButton) {
        lblHTML_Click();
        return true;
    }
    if (watched == lblOpen && release && button == Qt::LeftButton) {
        lblOpen_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
