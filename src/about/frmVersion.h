#pragma once

#include "AppVersion.h"

#include <QDialog>
#include <QList>

class Host;
class LinkLabel;
class QLabel;
class QPushButton;

// "バージョン情報": icon, version, credits and the home page link. Hovering the link frames it;
// moving onto the background unframes it. The icon jumps away from the mouse.
class frmVersion : public QDialog {
    Q_OBJECT
public:
    explicit frmVersion(Host& host, QWidget* owner = nullptr,
                        const AppVersion& version = kAppVersion);

    // "バージョン：　1.2　（更新回数：125）".
    static QString versionCaption(const AppVersion& version);
    static QString homePageAddress();

    void Form_Load();
    void Label7_MouseMove();
    void Form_MouseMove();
    void Label7_Click();
    void imgIcon_MouseMove(const QPoint& position);
    void Command1_Click() { close(); }

    QLabel* imgIcon = nullptr;
    QLabel* lblVer = nullptr;
    QList<QLabel*> credits; // Label1, Label2, Label3, the three Label4 entries, Label5
    QLabel* Label6 = nullptr;
    LinkLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeControls();

    Host& m_host;
    AppVersion m_version;
};
