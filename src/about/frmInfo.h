#pragma once

#include <QDialog>

class Host;
class LinkLabel;
class Preview;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
struct ProgramState;

// "バグ報告/感想/要望を書く": posts a name, a message and an optional address to the feedback
// script by sending the preview pane to it, or shows the board through the read link. Either
// sets FeedbackNavigated, after which the opener toggles browser mode.
class frmInfo : public QDialog {
    Q_OBJECT
public:
    frmInfo(ProgramState& state, Host& host, Preview& preview, QString scriptAddress,
            QWidget* owner = nullptr);

    // The script's address and the query "?name=…&msg=…&url=…". Line breaks of the message
    // become "<brOpe>"; each value is percent-encoded in UTF-8, so "&", "=", "#" and "+" arrive
    // as typed instead of cutting the message short.
    static QString requestAddress(const QString& script, const QString& name,
                                  const QString& message, const QString& url);
    static QString readAddress(const QString& script) {
        return script + QStringLiteral("?mode=read");
    }
    // Length in the units of a Windows text box: a line break counts two.
    static int crLfLength(const QString& text);

    static constexpr int kNameLimit = 25;
    static constexpr int kMessageLimit = 300;

    void Form_Load();
    void cmdSend_Click();
    void Label5_Click();
    void Command1_Click() { close(); }

    QLineEdit* txtName = nullptr;
    QPlainTextEdit* txtS = nullptr;
    QLineEdit* txtURL = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label3 = nullptr;
    LinkLabel* Label5 = nullptr;
    QPushButton* cmdSend = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Cuts what was just typed or pasted back to the message limit.
    void limitMessage();

    ProgramState& m_state;
    Host& m_host;
    Preview& m_preview;
    QString m_script;
    int m_changeEnd = -1;
    int m_changeStart = -1;
    bool m_trimming = false;
};
