#pragma once

#include <QDialog>

class Host;
class LinkLabel;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class UserTagStore;

// "タグ削除": lists the registered tags by name, previews the selected one around a sample
// word, tells how many are registered and deletes the selected one (with every identical
// record). Loaded afresh at every opening.
class frmTAGDEL : public QDialog {
    Q_OBJECT
public:
    frmTAGDEL(UserTagStore& store, Host& host, QWidget* owner = nullptr);

    void Form_Load();
    void lstTAG_Click();
    void cmdDEL_Click();
    void Label3_Click();
    void Command2_Click();

    QLabel* Label1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QListWidget* lstTAG = nullptr;
    QGroupBox* fraTAG = nullptr;
    QLabel* lblSeleTAG = nullptr;
    QGroupBox* Frame4 = nullptr;
    QLabel* lblTAGc = nullptr;
    QLabel* lblTAGc2 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Label2 = nullptr;
    LinkLabel* Label3 = nullptr;
    QPushButton* cmdDEL = nullptr;
    QPushButton* Command2 = nullptr;

private:
    // Fills the list from row 1 up to the first empty start tag and writes the status; returns
    // the number of tags listed.
    int fillListAndStatus();
    // The list position of the selected tag, -1 when none is selected.
    int selectedPosition() const;

    UserTagStore& m_store;
    Host& m_host;
    bool m_filling = false; // the list is being emptied or filled, not chosen from
};
