#pragma once

#include <QDialog>
#include <QList>

class ColorTool;
class Documents;
class Host;
class Preview;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct ProgramState;

// "オプション": the settings record in controls. OK writes the whole record to setting.dat, reads
// it back and sets the preview timer; the close box writes nothing. The font, the two colors,
// the interval and the ratio are changed in the settings at once by the tools this opens.
class frmOption : public QDialog {
    Q_OBJECT
public:
    frmOption(ProgramState& state, Host& host, ColorTool& colorTool, Documents& documents,
              Preview& preview, QWidget* txtEdit, QWidget* owner = nullptr);

    void Form_Load();
    void chkHTTP_Click();
    void cmdSethelp_Click();
    void cmdURL_Click();
    void cmdFonts_Click();
    void cmdColorOfEditorBackground_Click();
    void cmdColorOfEditorString_Click();
    void cmbWinSize_Click();
    void OptWBP_Click(int index);
    void cmdOK_Click();

    // The "フォント名：…サイズ:…" text of lblFonts, or "初期設定".
    static QString fontsCaption(const QString& name, int size);

    QComboBox* cmbWinSize = nullptr;
    QCheckBox* chkWindow = nullptr;
    QCheckBox* chkF = nullptr;
    QCheckBox* chkBR = nullptr;
    QLineEdit* txtURL = nullptr;
    QCheckBox* chkHTTP = nullptr;
    QPushButton* cmdURL = nullptr;
    QPushButton* cmdSethelp = nullptr;
    QPushButton* cmdFonts = nullptr;
    QLabel* lblFonts = nullptr;
    QPushButton* cmdColorOfEditorBackground = nullptr;
    QLabel* lblBC = nullptr;
    QPushButton* cmdColorOfEditorString = nullptr;
    QLabel* lblSC = nullptr;
    QList<QRadioButton*> OptWBP;
    QLineEdit* txtPTimer = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* cmdOK = nullptr;

private:
    void buildControls();
    void paintSwatches();
    void openColorTool(const QString& mode);
    // The fourteen fields as OK writes them.
    QStringList okFields() const;

    ProgramState& m_state;
    Host& m_host;
    ColorTool& m_colorTool;
    Documents& m_documents;
    Preview& m_preview;
    QWidget* m_txtEdit;
};
