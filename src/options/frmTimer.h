#pragma once

#include <QDialog>

class Host;
class QLabel;
class QLineEdit;
class QPushButton;
struct Settings;

// "インターバル設定": the preview interval in seconds, 1 to 60, fractions allowed. OK stores it in
// milliseconds and selects the interval pattern; the close box changes nothing.
class frmTimer : public QDialog {
    Q_OBJECT
public:
    // `txtPTimer` is the options dialog's display of the interval; OK writes it as typed.
    frmTimer(Settings& settings, Host& host, QLineEdit* txtPTimer, QWidget* owner = nullptr);

    void Form_Load();
    void Command1_Click();

    // Milliseconds as seconds, a decimal number without trailing zeros: 1500 -> "1.5".
    static QString secondsText(int milliseconds);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtTimer = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* Command1 = nullptr;

private:
    // At most two characters typed; a loaded text may be longer.
    void limitTyping(const QString& typed);

    Settings& m_settings;
    Host& m_host;
    QLineEdit* m_txtPTimer;
    QString m_lastText;
};
