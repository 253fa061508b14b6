#pragma once

#include <QDialog>

class Host;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
struct Settings;

// "画面サイズ比率　自由指定": the text pane's share of the window width, 0 to 100 percent, set
// with a slider. OK stores it; the close box changes nothing.
class frmWinSize : public QDialog {
    Q_OBJECT
public:
    frmWinSize(Settings& settings, Host& host, QWidget* owner = nullptr);

    void Form_Load();
    void sldWinSize_Scroll();
    void Command1_Click();

    QGroupBox* Frame1 = nullptr;
    QSlider* sldWinSize = nullptr;
    QLabel* lblTxt = nullptr;
    QLabel* lblP = nullptr;
    QPushButton* Command1 = nullptr;

private:
    Settings& m_settings;
    Host& m_host;
};
