#pragma once

#include <QDialog>

class Host;
class LinkLabel;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class UserTagStore;

// "タグ登録": registers user tags one after another. Each registration appends a record to
// tags.dat and reloads the store; the dialog stays open for the next one and stops at the
// limit of 100 tags. Loaded afresh at every opening.
class frmTAG : public QDialog {
    Q_OBJECT
public:
    frmTAG(UserTagStore& store, Host& host, QWidget* owner = nullptr);

    void Form_Load();
    void chkET_Click();
    void Label3_Click();
    void Label4_Click();
    void cmdTAGset_Click();
    void Command1_Click();

    QLabel* Label1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtTAGname = nullptr;
    QLabel* lblST = nullptr;
    QLineEdit* txtST = nullptr;
    QLabel* lblET = nullptr;
    QLineEdit* txtET = nullptr;
    QCheckBox* chkET = nullptr;
    LinkLabel* Label3 = nullptr;
    LinkLabel* Label4 = nullptr;
    QPushButton* cmdTAGset = nullptr;
    QPushButton* Command1 = nullptr;

private:
    // False, after the message, when no more tags can be registered.
    bool limitTest();
    void refuse(const QString& message, const QString& title);

    UserTagStore& m_store;
    Host& m_host;
};
