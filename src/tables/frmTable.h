#pragma once

#include <QDialog>
#include <memory>

class EditBuffer;
class Host;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class TableConverter;

// The table authoring window: the selection of txtEdit is cut out into txtTable, where the user
// writes comma-separated lines with a few typing aids; "表（テーブル）を作成" turns them into a
// table at that place, and any other closing puts the text back. Loaded afresh at each opening.
class frmTable : public QDialog {
    Q_OBJECT
public:
    frmTable(Host& host, EditBuffer& txtEdit, TableConverter& converter, QWidget* owner = nullptr);
    ~frmTable() override;

    void Form_Load();
    void Form_Resize();
    void Form_QueryUnload();
    void Command5_Click();
    void Command1_Click();
    void Command4_Click();
    void Label5_Click();
    void txtTable_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    // True when the character of the key just pressed is to be discarded.
    bool txtTable_KeyPress() const { return SuppressKeyPress; }

    // txtTable in CR LF units, as the document's buffer speaks.
    EditBuffer& table() const { return *m_table; }

    QLabel* Label1 = nullptr;
    QPlainTextEdit* txtTable = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* Command5 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Command4 = nullptr;

    bool CreatingTable = false;
    bool SuppressKeyPress = false;

    // Every closing of the window passes here: the close box, Escape and the create button.
    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void insertInTable(const QString& text);
    void putTextBack();

    Host& m_host;
    EditBuffer& m_txtEdit;
    TableConverter& m_converter;
    std::unique_ptr<EditBuffer> m_table;
    QWidget* m_head = nullptr;
    bool m_unloaded = false;
};
