#include "app/MenuTree.h"
#include "app/frmEdit.h"
#include "host/EditBuffer.h"
#include "support/FifoGuard.h"
#include "support/TestApp.h"
#include "viewer/ImagePaste.h"
#include "viewer/frmV.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdlib>

class TstViewer : public QObject {
    Q_OBJECT
private slots:
    void listsOnlyTheThreeKindsCaseInsensitively();
    void nextAndPreviousWithoutWrap();
    void clickingAFileShowsIt();
    void sizeIsTheFloorOfKilobytes_data();
    void sizeIsTheFloorOfKilobytes();
    void damagedPictureKeepsThePreviousOne();
    void linkToAPipeIsNotWaitedOn();
    void emptyFolder();
    void folderChangeKeepsThePictureShown();
    void picturesAreFittedNeverEnlarged();
    void rightClicksEnlargeAndRestoreTheFileList();
    void rightDoubleClickOnlyResizes();
    void focusStaysWhilePicturesShow();
    void enterPressesNoButton();
    void fileWindowCheckBox();
    void pictureMenuCopyItemNeedsAPicture();
    void openWithTheAssociatedProgram();
    void unreadableDriveKeepsTheLists();
    void driveChangeShowsThatDrivesFolder();
    void drivesAreTheMountedVolumes();
    void sourcePath_data();
    void sourcePath();
    void plainPasteKeepsTheSelectionBehind();
    void sizedPaste_data();
    void sizedPaste();
    void pasteWithoutAPictureOnlyBeeps();
    void pathCopy();
    void menuItemOpensTheViewerModally();
};

namespace {

// A 1×1 GIF, written byte by byte: the image writer has no GIF encoder.
QByteArray tinyGif() {
    return QByteArray::fromBase64("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==");
}

void writeImage(const QString& path, QSize size, const char* format, QColor color = Qt::red) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QVERIFY(image.save(path, format));
}

// A folder of real pictures, the text box, and the viewer over a fake host whose working
// folder is that folder.
struct ViewerBench {
    ViewerBench() : buffer(&edit), host(QDir::tempPath()) { host.setWorkingFolder(dir.path()); }
    QString file(const QString& name) const { return dir.filePath(name); }
    frmV& open() {
        viewer = std::make_unique<frmV>(host, buffer, QStringLiteral("\""));
        return *viewer;
    }
    QStringList listed() const {
        QStringList names;
        for (int i = 0; i < viewer->File->count(); ++i)
            names << viewer->File->item(i)->text();
        return names;
    }
    QStringList folders() const {
        QStringList paths;
        for (int i = 0; i < viewer->Dir->count(); ++i)
            paths << viewer->Dir->item(i)->data(Qt::UserRole).toString();
        return paths;
    }
    void threePictures() {
        writeImage(file("a.jpg"), {40, 30}, "JPG", Qt::red);
        writeImage(file("b.bmp"), {40, 30}, "BMP", Qt::green);
        writeBytes(file("c.gif"), tinyGif());
    }
    frmV& openThree() {
        threePictures();
        return open();
    }

    QTemporaryDir dir;
    QPlainTextEdit edit;
    EditBuffer buffer;
    FakeHost host;
    std::unique_ptr<frmV> viewer;
};

qint64 pixmapKey(const frmV& v) {
    return v.imgV->pixmap().cacheKey();
}

const QString kImageError = QStringLiteral("画像が不正です。　開くことができませんでした。　"
                                           "このエラーの原因は画像にあると思います");
const QString kSamePlace =
    QStringLiteral("指定した画像と編集しているドキュメントは同じ場所にあります。\r\n"
                   "フルパスではなく、ドキュメントがある場所以下のパスで貼り付けますか？");

} // namespace

void TstViewer::listsOnlyTheThreeKindsCaseInsensitively() {
    ViewerBench b;
    writeBytes(b.file("Zeta.JPG"), "x");
    writeBytes(b.file("alpha.Gif"), "x");
    writeBytes(b.file("beta.bmp"), "x");
    writeBytes(b.file("gamma.png"), "x");
    writeBytes(b.file("delta.jpeg"), "x");
    writeBytes(b.file("notes.txt"), "x");
    QVERIFY(QDir(b.dir.path()).mkdir("folder.jpg"));
    frmV& v = b.open();
    QCOMPARE(v.windowTitle(), QStringLiteral("ビューアー"));
    QCOMPARE(b.listed(), QStringList({"alpha.Gif", "beta.bmp", "Zeta.JPG"}));
    QCOMPARE(v.lblIndex->text(), QStringLiteral("3個中の0個目を表示中"));
    QCOMPARE(v.fraV->title(), QStringLiteral("ファイル名："));
    QCOMPARE(v.Path(), QString());
    // The folder appears in the folder list, under the working folder itself.
    const QStringList folders = b.folders();
    QCOMPARE(folders.last(), b.file("folder.jpg"));
    QCOMPARE(folders.at(folders.size() - 2), b.dir.path());
    QCOMPARE(b.host.kinds(), QStringList());
}

void TstViewer::nextAndPreviousWithoutWrap() {
    ViewerBench b;
    frmV& v = b.openThree();
    QCOMPARE(v.lblIndex->text(), QStringLiteral("3個中の0個目を表示中"));

    QTest::mouseClick(v.cmdN, Qt::LeftButton);
    QCOMPARE(v.lblIndex->text(), QStringLiteral("3個中の1個目を表示中"));
    QCOMPARE(v.fraV->title(), QStringLiteral("ファイル名：a.jpg"));
    QCOMPARE(v.Path(), b.file("a.jpg"));
    QCOMPARE(v.imgV->pixmap().toImage().pixelColor(20, 15).red() > 200, true);
    QCOMPARE(b.host.kinds(), QStringList({"beep"})); // one display, one beep

    v.cmdN->click();
    v.cmdN->click();
    QCOMPARE(v.lblIndex->text(), QStringLiteral("3個中の3個目を表示中"));
    QCOMPARE(v.Path(), b.file("c.gif"));
    const qint64 last = pixmapKey(v);
    b.host.clear();
    v.cmdN->click(); // the last file: nothing but the beep
    QCOMPARE(b.host.kinds(), QStringList({"beep"}));
    QCOMPARE(v.lblIndex->text(), QStringLiteral("3個中の3個目を表示中"));
    QCOMPARE(v.Path(), b.file("c.gif"));
    QCOMPARE(pixmapKey(v), last);
    QVERIFY(v.File->isEnabled() && v.cmdN->isEnabled() && v.cmdP->isEnabled());

    v.cmdP->click();
    v.cmdP->click();
    QCOMPARE(v.lblIndex->text(), QStringLiteral("3個中の1個目を表示中"));
    QCOMPARE(v.fraV->title(), QStringLiteral("ファイル名：a.jpg"));
    v.cmdP->click(); // the first file: nothing changes
    QCOMPARE(v.lblIndex->text(), QStringLiteral("3個中の1個目を表示中"));
    QCOMPARE(v.selectedIndex(), 0);
    QVERIFY(v.File->isEnabled() && v.cmdN->isEnabled() && v.cmdP->isEnabled());
    QCOMPARE(b.host.count("msgbox"), 0);
}

void TstViewer::clickingAFileShowsIt() {
    ViewerBench b;
    frmV& v = b.openThree();
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    const QRect row = v.File->visualItemRect(v.File->item(1));
    QTest::mouseClick(v.File->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(v.lblIndex->text(), QStringLiteral("3個中の2個目を表示中"));
    QCOMPARE(v.fraV->title(), QStringLiteral("ファイル名：b.bmp"));
    QCOMPARE(v.Path(), b.file("b.bmp"));
    QCOMPARE(b.host.kinds(), QStringList({"beep"}));
    // The keyboard walks the list as well.
    QTest::keyClick(v.File, Qt::Key_Down);
    QCOMPARE(v.fraV->title(), QStringLiteral("ファイル名：c.gif"));
    QCOMPARE(b.host.kinds(), QStringList({"beep", "beep"}));
}

void TstViewer::sizeIsTheFloorOfKilobytes_data() {
    QTest::addColumn<int>("bytes");
    QTest::addColumn<QString>("caption");
    QTest::newRow("1023") << 1023 << QStringLiteral("このファイルのサイズ：0KB");
    QTest::newRow("1024") << 1024 << QStringLiteral("このファイルのサイズ：1KB");
    QTest::newRow("1536") << 1536 << QStringLiteral("このファイルのサイズ：1KB");
    QTest::newRow("2047") << 2047 << QStringLiteral("このファイルのサイズ：1KB");
    QTest::newRow("12800") << 12800 << QStringLiteral("このファイルのサイズ：12KB");
}

void TstViewer::sizeIsTheFloorOfKilobytes() {
    QFETCH(int, bytes);
    QFETCH(QString, caption);
    ViewerBench b;
    QByteArray gif = tinyGif();
    gif.append(QByteArray(bytes - gif.size(), '\0')); // bytes after the trailer are ignored
    writeBytes(b.file("p.gif"), gif);
    frmV& v = b.open();
    v.cmdN->click();
    QCOMPARE(b.host.count("msgbox"), 0);
    QCOMPARE(v.lblFileSize->text(), caption);
}

void TstViewer::damagedPictureKeepsThePreviousOne() {
    ViewerBench b;
    writeImage(b.file("a.bmp"), {10, 10}, "BMP", Qt::blue);
    QByteArray broken = QByteArray("\xFF\xD8\xFF\xE0 this is not a picture ");
    broken.append(QByteArray(3000 - broken.size(), 'z'));
    writeBytes(b.file("b.jpg"), broken);
    frmV& v = b.open();
    v.cmdN->click();
    const qint64 good = pixmapKey(v);
    QCOMPARE(v.lblFileSize->text(), QStringLiteral("このファイルのサイズ：0KB"));
    b.host.clear();

    v.cmdN->click();
    QCOMPARE(b.host.kinds(), QStringList({"beep", "beep", "msgbox"}));
    const HostCall box = b.host.callsOf("msgbox").first();
    QCOMPARE(box.text, kImageError);
    QCOMPARE(box.title, QStringLiteral("イメージエラー"));
    QCOMPARE(box.icon, Icon::Exclamation);
    QCOMPARE(box.buttons, Buttons::Ok);
    QCOMPARE(v.fraV->title(), QStringLiteral("ファイル名：b.jpg"));
    QCOMPARE(v.lblFileSize->text(), QStringLiteral("このファイルのサイズ：2KB"));
    QCOMPARE(v.lblIndex->text(), QStringLiteral("2個中の2個目を表示中"));
    QCOMPARE(v.Path(), b.file("b.jpg"));
    QCOMPARE(pixmapKey(v), good);
    QVERIFY(v.File->isEnabled() && v.cmdN->isEnabled() && v.cmdP->isEnabled());
}

// The list shows a link to a named pipe as a file; reading it would hold the window.
void TstViewer::linkToAPipeIsNotWaitedOn() {
    ViewerBench b;
    QTemporaryDir elsewhere;
    FifoGuard pipe(elsewhere.filePath(QStringLiteral("pipe")));
    QVERIFY(pipe.made());
    writeImage(b.file("a.bmp"), {10, 10}, "BMP", Qt::blue);
    QVERIFY(QFile::link(elsewhere.filePath(QStringLiteral("pipe")), b.file("b.jpg")));
    frmV& v = b.open();
    QCOMPARE(b.listed(), QStringList({"a.bmp", "b.jpg"}));
    v.cmdN->click();
    b.host.clear();
    v.cmdN->click();
    QVERIFY(!pipe.released());
    QCOMPARE(b.host.callsOf("msgbox").first().text, kImageError);
    QVERIFY(v.File->isEnabled() && v.cmdN->isEnabled() && v.cmdP->isEnabled());
}

void TstViewer::emptyFolder() {
    ViewerBench b;
    writeBytes(b.file("page.html"), "x");
    frmV& v = b.open();
    QCOMPARE(v.lblIndex->text(), QStringLiteral("ここにはファイルがありません"));
    v.cmdN->click();
    v.cmdP->click();
    QCOMPARE(b.host.kinds(), QStringList({"beep", "beep"}));
    QCOMPARE(v.lblIndex->text(), QStringLiteral("ここにはファイルがありません"));
    QCOMPARE(v.Path(), QString());
    QVERIFY(v.File->isEnabled() && v.cmdN->isEnabled() && v.cmdP->isEnabled());
}

void TstViewer::folderChangeKeepsThePictureShown() {
    ViewerBench b;
    b.threePictures();
    QVERIFY(QDir(b.dir.path()).mkdir("sub"));
    writeImage(b.file("sub/x.bmp"), {10, 10}, "BMP");
    writeImage(b.file("sub/y.bmp"), {10, 10}, "BMP");
    frmV& v = b.open();
    v.cmdN->click();
    const qint64 shown = pixmapKey(v);
    v.Dir_Change(b.file("sub"));
    QCOMPARE(b.listed(), QStringList({"x.bmp", "y.bmp"}));
    QCOMPARE(v.lblIndex->text(), QStringLiteral("2個中の0個目を表示中"));
    QCOMPARE(v.Path(), b.file("a.jpg"));
    QCOMPARE(v.fraV->title(), QStringLiteral("ファイル名：a.jpg"));
    QCOMPARE(pixmapKey(v), shown);
    // Double-clicking the parent in the folder list goes back up.
    const int parent = b.folders().indexOf(b.dir.path());
    QVERIFY(parent >= 0);
    emit v.Dir->itemActivated(v.Dir->item(parent));
    QTRY_COMPARE(v.dirPath(), b.dir.path());
    QCOMPARE(v.lblIndex->text(), QStringLiteral("3個中の0個目を表示中"));
}

void TstViewer::picturesAreFittedNeverEnlarged() {
    ViewerBench b;
    writeImage(b.file("a_wide.bmp"), {2000, 500}, "BMP");
    writeImage(b.file("b_small.bmp"), {16, 12}, "BMP");
    // Thinner than one pixel of the box: still shown, one pixel high, not called broken.
    writeImage(b.file("c_thin.bmp"), {2000, 2}, "BMP");
    // A GIF whose header says 1029 by 0 over a frame 16387 rows high: fitted by the frame.
    QFile tall(b.file("d_tall.gif"));
    QVERIFY(tall.open(QIODevice::WriteOnly));
    tall.write(QByteArray::fromBase64(
        "R0lGODlhBQQDQIAAAP8AAAAA/ywAAQAAAAAAAAAA//+JAQAAAAAAAAAjAAD/ACwAAAAAOw=="));
    tall.close();
    frmV& v = b.open();
    const QSize box = v.imgV->size();
    v.cmdN->click();
    const QSize wide = v.imgV->pixmap().size();
    QCOMPARE(wide.width(), box.width());
    QCOMPARE(wide.height(), box.width() / 4); // 4:1 kept
    v.cmdN->click();
    QCOMPARE(v.imgV->pixmap().size(), QSize(16, 12));
    b.host.clear();
    v.cmdN->click();
    QCOMPARE(v.imgV->pixmap().size(), QSize(box.width(), 1));
    QCOMPARE(b.host.count(QStringLiteral("msgbox")), 0);
    v.cmdN->click();
    const QSize tallShown = v.imgV->pixmap().size();
    QCOMPARE(tallShown.height(), box.height());
    QVERIFY2(std::abs(tallShown.width() - box.height() * 1029 / 16387) <= 1,
             qPrintable(QStringLiteral("%1x%2").arg(tallShown.width()).arg(tallShown.height())));
}

void TstViewer::rightClicksEnlargeAndRestoreTheFileList() {
    ViewerBench b;
    frmV& v = b.openThree();
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    if (v.logicalDpiY() != 96)
        QSKIP("the expected places are worked out at 96 DPI (15 twips a pixel)");
    const QRect start = v.File->geometry();
    QCOMPARE(start, QRect(8, 200, 224, 130));

    QTest::mouseClick(v.File->viewport(), Qt::LeftButton, {}, QPoint(5, 300));
    QCOMPARE(v.File->geometry(), start);
    QTest::mouseClick(v.File->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    // 1950 twips tall at 3000: now at 3000 − 1950 = 1050 and floor(1950 × 2.4) = 4680 tall.
    QCOMPARE(v.File->geometry(), QRect(8, 70, 224, 312));
    QVERIFY(v.FileWinBig());
    QCOMPARE(v.selectedIndex(), -1); // the right click picked no file
    QTest::mouseClick(v.File->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(v.File->geometry(), start);
    QVERIFY(!v.FileWinBig());
    QCOMPARE(b.host.kinds(), QStringList());
}

void TstViewer::rightDoubleClickOnlyResizes() {
    ViewerBench b;
    // Enough files that the enlarged list still has one under the pointer.
    for (int i = 0; i < 40; ++i)
        writeBytes(b.file(QStringLiteral("p%1.gif").arg(i, 2, 10, QLatin1Char('0'))), tinyGif());
    frmV& v = b.open();
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    const QRect start = v.File->geometry();
    // Through the window, as the desktop delivers it: press, release, double-click, release.
    const QPoint row = v.File->visualItemRect(v.File->item(1)).center();
    QTest::mouseDClick(v.windowHandle(), Qt::RightButton, {}, v.File->viewport()->mapTo(&v, row));
    // Each release of the right button resizes: two of them put the list back.
    QCOMPARE(v.File->geometry(), start);
    QVERIFY(!v.FileWinBig());
    QCOMPARE(v.selectedIndex(), -1);
    QCOMPARE(v.Path(), QString());
    QCOMPARE(b.host.kinds(), QStringList());
}

void TstViewer::focusStaysWhilePicturesShow() {
    ViewerBench b;
    QVERIFY(QDir(b.dir.path()).mkdir("sub"));
    frmV& v = b.openThree();
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    QApplication::setActiveWindow(&v);
    QTRY_VERIFY(v.isActiveWindow());
    const int drive = v.Drive->currentIndex();
    // A click in the list, then the arrow keys.
    QTest::mouseClick(v.File->viewport(), Qt::LeftButton, {},
                      v.File->visualItemRect(v.File->item(0)).center());
    QCOMPARE(QApplication::focusWidget(), v.File);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), v.File);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(v.fraV->title(), QStringLiteral("ファイル名：c.gif"));
    QCOMPARE(QApplication::focusWidget(), v.File);
    // "＜" and "＞" keep it too, so Space steps on.
    QTest::mouseClick(v.cmdP, Qt::LeftButton);
    QCOMPARE(v.fraV->title(), QStringLiteral("ファイル名：b.bmp"));
    QCOMPARE(QApplication::focusWidget(), v.cmdP);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(v.fraV->title(), QStringLiteral("ファイル名：a.jpg"));
    QTest::mouseClick(v.cmdN, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), v.cmdN);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(v.Drive->currentIndex(), drive);
    QCOMPARE(v.dirPath(), b.dir.path());
    QCOMPARE(b.host.count("msgbox"), 0);
}

void TstViewer::enterPressesNoButton() {
    ViewerBench b;
    QVERIFY(QDir(b.dir.path()).mkdir("sub"));
    frmV& v = b.openThree();
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    QApplication::setActiveWindow(&v);
    QTRY_VERIFY(v.isActiveWindow());
    QVERIFY(!v.cmdN->isDefault() && !v.cmdP->isDefault());
    // Enter in the drive box: nothing.
    v.Drive->setFocus();
    QTest::keyClick(v.Drive, Qt::Key_Return);
    QCOMPARE(b.host.kinds(), QStringList());
    // Enter on a folder opens it, and only that.
    const int sub = b.folders().indexOf(b.file("sub"));
    QVERIFY(sub >= 0);
    QTest::mouseClick(v.Dir->viewport(), Qt::LeftButton, {},
                      v.Dir->visualItemRect(v.Dir->item(sub)).center());
    QTest::keyClick(v.Dir, Qt::Key_Return);
    QTRY_COMPARE(v.dirPath(), b.file("sub"));
    QCOMPARE(v.lblIndex->text(), QStringLiteral("ここにはファイルがありません"));
    QCOMPARE(v.Path(), QString());
    QCOMPARE(v.fraV->title(), QStringLiteral("ファイル名："));
    QCOMPARE(b.host.kinds(), QStringList());
}

void TstViewer::fileWindowCheckBox() {
    ViewerBench b;
    frmV& v = b.open();
    v.show();
    QVERIFY(v.chkFileWin->isChecked());
    QVERIFY(v.File->isVisible());
    v.chkFileWin->click();
    QVERIFY(!v.File->isVisible());
    v.chkFileWin->click();
    QVERIFY(v.File->isVisible());
}

void TstViewer::pictureMenuCopyItemNeedsAPicture() {
    ViewerBench b;
    frmV& v = b.openThree();
    QTest::mouseClick(v.imgV, Qt::LeftButton);
    QCOMPARE(b.host.kinds(), QStringList());
    QTest::mouseClick(v.imgV, Qt::RightButton);
    QCOMPARE(b.host.kinds(), QStringList({"beep", "popup"}));
    QCOMPARE(b.host.callsOf("popup").first().text, QStringLiteral("mnuMenu"));
    QVERIFY(!v.mnuPathCopy->isEnabled());
    v.cmdN->click();
    QTest::mouseClick(v.imgV, Qt::RightButton);
    QVERIFY(v.mnuPathCopy->isEnabled());

    b.host.clear();
    QTest::mouseClick(v.lblHTML, Qt::LeftButton);
    QCOMPARE(b.host.kinds(), QStringList({"beep", "popup"}));
    QCOMPARE(b.host.callsOf("popup").first().text, QStringLiteral("mnuMenu2"));
    QCOMPARE(v.mnuHTMLn->text(), QStringLiteral("そのまま貼り付ける（カーソル位置）(&N)"));
    QCOMPARE(v.mnuHTMLs->text(), QStringLiteral("サイズを指定して張り付ける(&S)"));
}

void TstViewer::openWithTheAssociatedProgram() {
    ViewerBench b;
    frmV& v = b.openThree();
    QTest::mouseClick(v.lblOpen, Qt::LeftButton);
    QCOMPARE(b.host.kinds(), QStringList({"beep"}));
    v.cmdN->click();
    b.host.clear();
    QTest::mouseClick(v.lblOpen, Qt::LeftButton);
    QCOMPARE(b.host.kinds(), QStringList({"openWith", "beep"}));
    QCOMPARE(b.host.callsOf("openWith").first().text, b.file("a.jpg"));
}

void TstViewer::unreadableDriveKeepsTheLists() {
    ViewerBench b;
    frmV& v = b.openThree();
    const int before = v.Drive->currentIndex();
    const QString gone = b.file("unplugged");
    v.Drive->addItem(gone, gone);
    v.Drive->setCurrentIndex(v.Drive->count() - 1);
    QCOMPARE(b.host.kinds(), QStringList({"beep", "msgbox"}));
    const HostCall box = b.host.callsOf("msgbox").first();
    QCOMPARE(box.text, QStringLiteral("そのドライブが準備されていない可能性があります。"));
    QCOMPARE(box.title, QStringLiteral("ドライブ"));
    QCOMPARE(box.icon, Icon::Exclamation);
    QCOMPARE(v.Drive->currentIndex(), before);
    QCOMPARE(v.dirPath(), b.dir.path());
    QCOMPARE(b.listed(), QStringList({"a.jpg", "b.bmp", "c.gif"}));
}

void TstViewer::driveChangeShowsThatDrivesFolder() {
    ViewerBench b;
    b.threePictures();
    QVERIFY(QDir(b.dir.path()).mkdir("stick"));
    writeBytes(b.file("stick/readme.txt"), "x");
    frmV& v = b.open();
    const int home = v.Drive->currentIndex();
    v.cmdN->click();
    QCOMPARE(v.lblFileSize->text(), QStringLiteral("このファイルのサイズ：0KB"));
    b.host.clear();
    v.Drive->addItem(QStringLiteral("stick"), b.file("stick"));
    v.Drive->setCurrentIndex(v.Drive->count() - 1);
    QCOMPARE(b.host.kinds(), QStringList());
    QCOMPARE(v.dirPath(), b.file("stick"));
    QCOMPARE(v.lblIndex->text(), QStringLiteral("ここにはファイルがありません"));
    QCOMPARE(v.lblFileSize->text(), QString());
    QCOMPARE(v.Path(), b.file("a.jpg"));
    // Back on the first volume: the folder it was left in, not its root.
    v.Drive->setCurrentIndex(home);
    QCOMPARE(v.dirPath(), b.dir.path());
    QCOMPARE(v.lblIndex->text(), QStringLiteral("3個中の0個目を表示中"));
}

void TstViewer::drivesAreTheMountedVolumes() {
    ViewerBench b;
    frmV& v = b.open();
    QStringList roots;
    for (int i = 0; i < v.Drive->count(); ++i)
        roots << v.Drive->itemData(i).toString();
    QVERIFY(roots.contains("/"));
    // The selected volume is the one that holds the working folder.
    const QString chosen = v.Drive->currentData().toString();
    QVERIFY(b.dir.path().startsWith(chosen));
    for (const QString& r : roots)
        if (b.dir.path().startsWith(r + '/'))
            QVERIFY(r.size() <= chosen.size());
}

void TstViewer::sourcePath_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, const char* folder, const char* path, bool asked,
                        bool yes, const char* expected) {
        QTest::newRow(name) << QString(folder) << QString(path) << asked << yes
                            << QString(expected);
    };
    row("inside, yes", "/web", "/web/img/a.gif", true, true, "img/a.gif");
    row("inside, no", "/web", "/web/img/a.gif", true, false, "/web/img/a.gif");
    row("same folder", "/web", "/web/a.gif", true, true, "a.gif");
    row("trailing slash", "/web/", "/web/a.gif", true, true, "a.gif");
    row("root", "/", "/img/a.gif", true, true, "img/a.gif");
    row("sibling name", "/web", "/website/a.gif", false, false, "/website/a.gif");
    row("name in the middle", "/web", "/srv/web/a.gif", false, false, "/srv/web/a.gif");
    row("other case", "/web", "/WEB/a.gif", false, false, "/WEB/a.gif");
    row("drive, yes", "C:\\web", "C:\\web\\a.gif", true, true, "a.gif");
    row("drive, no", "C:\\web", "C:\\web\\a.gif", true, false, "C:\\web\\a.gif");
    row("drive root", "C:\\", "C:\\img\\a.gif", true, true, "img/a.gif");
    row("drive elsewhere", "C:\\web", "D:\\pics\\a.gif", false, false, "D:\\pics\\a.gif");
    // Found without regard to case, removed only where the case matches.
    row("drive, case", "C:\\Web", "C:\\web\\a.gif", true, true, "C:/web/a.gif");
}

void TstViewer::sourcePath() {
    QFETCH(QString, folder);
    QFETCH(QString, path);
    QFETCH(bool, asked);
    QFETCH(bool, yes);
    QFETCH(QString, expected);
    QPlainTextEdit edit;
    EditBuffer buffer(&edit);
    FakeHost host(QDir::tempPath());
    host.setWorkingFolder(folder);
    host.answers.push_back(yes ? Answer::Yes : Answer::No);
    ImagePaste paste(host, buffer, QStringLiteral("\""));
    QCOMPARE(paste.chooseSourcePath(path), expected);
    QCOMPARE(host.count("msgbox"), asked ? 1 : 0);
    if (asked) {
        const HostCall box = host.callsOf("msgbox").first();
        QCOMPARE(box.text, kSamePlace);
        QCOMPARE(box.title, QStringLiteral("画像の位置"));
        QCOMPARE(box.icon, Icon::Information);
        QCOMPARE(box.buttons, Buttons::YesNo);
    }
}

void TstViewer::plainPasteKeepsTheSelectionBehind() {
    ViewerBench b;
    QByteArray gif = tinyGif();
    gif.append(QByteArray(12 * 1024 + 700 - gif.size(), '\0'));
    QVERIFY(QDir(b.dir.path()).mkdir("img"));
    writeBytes(b.file("img/a.gif"), gif);
    frmV& v = b.open();
    v.Dir_Change(b.file("img"));
    v.cmdN->click();
    b.buffer.setText(QStringLiteral("before[SEL]after"));
    b.buffer.setSelection(6, 5);
    b.host.clear();
    b.host.answers.push_back(Answer::Yes);
    b.host.inputs.push_back(QStringLiteral("説明"));
    v.mnuHTMLn->trigger();
    QCOMPARE(b.buffer.text(),
             QStringLiteral("before<IMG SRC=\"img/a.gif\" ALT=\"説明\">[SEL]after"));
    QCOMPARE(b.buffer.selectionStart(), 6 + 30); // the caret after the tag
    QCOMPARE(b.buffer.selectionLength(), 0);
    QCOMPARE(b.host.kinds(), QStringList({"msgbox", "beep", "input", "beep"}));
    const HostCall input = b.host.callsOf("input").first();
    QCOMPARE(input.text, QStringLiteral("画像の説明を入力してください"));
    QCOMPARE(input.title, QStringLiteral("画像の貼り付け"));
    QCOMPARE(input.detail, QStringLiteral("a.gif Size:12KB"));

    // A cancelled description still pastes the tag, with an empty ALT; No keeps the full path.
    // A line break counts as two characters before the caret.
    b.buffer.setText(QStringLiteral("<P>\r\n</P>"));
    b.buffer.setSelection(5, 0); // after the line break
    b.host.answers.push_back(Answer::No);
    b.host.inputs.push_back(std::nullopt);
    v.mnuHTMLn->trigger();
    const QString tag = QStringLiteral("<IMG SRC=\"%1\" ALT=\"\">").arg(b.file("img/a.gif"));
    QCOMPARE(b.buffer.text(), QStringLiteral("<P>\r\n%1</P>").arg(tag));
    QCOMPARE(b.buffer.selectionStart(), 5 + tag.size());
}

void TstViewer::sizedPaste_data() {
    QTest::addColumn<std::optional<QString>>("width");
    QTest::addColumn<QString>("suggested");
    const auto row = [](const char* width, const char* suggested) {
        QTest::newRow(width) << std::optional<QString>(width) << QString(suggested);
    };
    row("320", "240");
    row("333", "249");
    row("0", "240");
    row("-5", "240");
    row("abc", "0");
    QTest::newRow("cancelled") << std::optional<QString>() << QStringLiteral("0");
}

void TstViewer::sizedPaste() {
    QFETCH(std::optional<QString>, width);
    QFETCH(QString, suggested);
    ViewerBench b;
    frmV& v = b.openThree();
    v.cmdN->click();
    v.cmdN->click();
    b.host.setWorkingFolder(QStringLiteral("/elsewhere"));
    b.buffer.setText(QStringLiteral("xy"));
    b.buffer.setSelection(1, 1);
    b.host.clear();
    b.host.inputs = {width, QStringLiteral("99"), QStringLiteral("犬")};
    v.mnuHTMLs->trigger();
    QCOMPARE(b.buffer.text(),
             QStringLiteral("x<IMG SRC=\"%1\" width=\"%2\" height=\"99\" alt=\"犬\">y")
                 .arg(b.file("b.bmp"), width.value_or(QString())));
    QCOMPARE(b.host.kinds(), QStringList({"beep", "input", "beep", "input", "input", "beep"}));
    const QList<HostCall> inputs = b.host.callsOf("input");
    QCOMPARE(inputs[0].text, QStringLiteral("画像の横幅を指定してください"));
    QCOMPARE(inputs[0].title, QStringLiteral("画像の貼り付け（横幅指定）"));
    QCOMPARE(inputs[0].detail, QStringLiteral("320"));
    QCOMPARE(inputs[1].text, QStringLiteral("画像の縦幅を指定してください"));
    QCOMPARE(inputs[1].title, QStringLiteral("画像の貼り付け（縦幅指定）"));
    QCOMPARE(inputs[1].detail, suggested);
    QCOMPARE(inputs[2].text, QStringLiteral("画像の説明を入力してください"));
    QCOMPARE(inputs[2].title, QStringLiteral("画像の説明"));
    QCOMPARE(inputs[2].detail, QStringLiteral("b.bmp Size:3KB"));
}

void TstViewer::pasteWithoutAPictureOnlyBeeps() {
    ViewerBench b;
    frmV& v = b.openThree();
    b.buffer.setText(QStringLiteral("keep"));
    v.mnuHTMLn->trigger();
    v.mnuHTMLs->trigger();
    QCOMPARE(b.host.kinds(), QStringList({"beep", "beep"}));
    QCOMPARE(b.buffer.text(), QStringLiteral("keep"));
}

void TstViewer::pathCopy() {
    ViewerBench b;
    frmV& v = b.openThree();
    v.cmdN->click();
    b.host.clear();
    v.mnuPathCopy->trigger();
    QCOMPARE(b.host.clipboard, b.file("a.jpg"));
    QCOMPARE(b.host.kinds().mid(b.host.kinds().size() - 2), QStringList({"beep", "msgbox"}));
    const HostCall box = b.host.callsOf("msgbox").first();
    QCOMPARE(box.text, QStringLiteral("コピーしました：\r\n\r\n") + b.file("a.jpg"));
    QCOMPARE(box.title, QStringLiteral("パスのコピー"));
    QCOMPARE(box.icon, Icon::Information);
}

void TstViewer::menuItemOpensTheViewerModally() {
    EditorFixture f;
    frmEdit& w = f.open();
    QAction* item = w.menus().item("mnuImageV");
    QString seen;
    f.host.clear();
    f.host.dialogScripts.push_back([&seen](QDialog* d) {
        seen = d->findChild<QLabel*>("lblIndex")->text();
        return 0;
    });
    item->trigger();
    QCOMPARE(f.host.kinds(), QStringList({"modal", "beep"}));
    QCOMPARE(f.host.callsOf("modal").first().text, QStringLiteral("frmV"));
    QCOMPARE(f.host.callsOf("modal").first().title, QStringLiteral("ビューアー"));
    QVERIFY(!seen.isEmpty());
}

TAGLOOM_TEST_MAIN(TstViewer)
#include "tst_viewer.moc"
