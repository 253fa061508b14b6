#include "frmOption.h"

#include "EditorFont.h"
#include "color/ColorTool.h"
#include "document/Documents.h"
#include "document/Preview.h"
#include "frmTimer.h"
#include "frmWinSize.h"
#include "host/Host.h"
#include "settings/ColorNumber.h"
#include "settings/SettingsFile.h"
#include "state/ProgramState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kSeparator = QLatin1String(kSettingsSeparator);

template <typename T> T* named(T* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

QLabel* wrappedLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = named(new QLabel(text, parent), name);
    label->setWordWrap(true);
    return label;
}

QString checkText(const QCheckBox* box) {
    return box->isChecked() ? u"1"_s : u"0"_s;
}

// A chosen file's address as one field of setting.dat: the brackets of the separator and line
// breaks percent-encoded, which a browser reads as the same file.
QString startPageAddress(const QString& path) {
    QString address = Preview::ToFileUrl(path);
    address.replace(u'[', QLatin1String("%5B"));
    address.replace(u']', QLatin1String("%5D"));
    address.replace(u'\r', QLatin1String("%0D"));
    address.replace(u'\n', QLatin1String("%0A"));
    return address;
}

} // namespace

frmOption::frmOption(ProgramState& state, Host& host, ColorTool& colorTool, Documents& documents,
                     Preview& preview, QWidget* txtEdit, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_state(state),
      m_host(host), m_colorTool(colorTool), m_documents(documents), m_preview(preview),
      m_txtEdit(txtEdit) {
    setObjectName(u"frmOption"_s);
    setWindowTitle(u"オプション"_s);
    setModal(true);
    buildControls();

    connect(chkHTTP, &QCheckBox::clicked, this, &frmOption::chkHTTP_Click);
    connect(cmdSethelp, &QPushButton::clicked, this, &frmOption::cmdSethelp_Click);
    connect(cmdURL, &QPushButton::clicked, this, &frmOption::cmdURL_Click);
    connect(cmdFonts, &QPushButton::clicked, this, &frmOption::cmdFonts_Click);
    connect(cmdColorOfEditorBackground, &QPushButton::clicked, this,
            &frmOption::cmdColorOfEditorBackground_Click);
    connect(cmdColorOfEditorString, &QPushButton::clicked, this,
            &frmOption::cmdColorOfEditorString_Click);
    connect(cmbWinSize, &QComboBox::activated, this, &frmOption::cmbWinSize_Click);
    for (int i = 0; i < OptWBP.size(); ++i)
        connect(OptWBP[i], &QRadioButton::clicked, this, [this, i] { OptWBP_Click(i); });
    connect(cmdOK, &QPushButton::clicked, this, &frmOption::cmdOK_Click);
    Form_Load();
}

void frmOption::buildControls() {
    auto* fraWinSize = named(new QGroupBox(u"画面サイズ"_s, this), u"Frame1"_s);
    cmbWinSize = named(new QComboBox(fraWinSize), u"cmbWinSize"_s);
    chkWindow =
        named(new QCheckBox(u"起動時にウィンドウを最大化する"_s, fraWinSize), u"chkWindow"_s);
    auto* winSize = new QGridLayout(fraWinSize);
    winSize->addWidget(named(new QLabel(u"画面分割："_s, fraWinSize), u"Label3"_s), 0, 0);
    winSize->addWidget(cmbWinSize, 0, 1);
    winSize->addWidget(chkWindow, 1, 0, 1, 2);
    winSize->setColumnStretch(1, 1);

    auto* fraEditor = named(new QGroupBox(u"エディター"_s, this), u"Frame2"_s);
    chkF = named(new QCheckBox(u"前回開いたフォルダを最初に開くフォルダにする"_s, fraEditor),
                 u"chkF"_s);
    chkBR = named(new QCheckBox(u"改行した時　<BR>　を挿入するする"_s, fraEditor), u"chkBR"_s);
    auto* editor = new QVBoxLayout(fraEditor);
    editor->addWidget(chkF);
    editor->addWidget(chkBR);

    auto* fraStart = named(new QGroupBox(u"スタートページ"_s, this), u"Frame3"_s);
    txtURL = named(new QLineEdit(fraStart), u"txtURL"_s);
    chkHTTP = named(new QCheckBox(u"アドレスはインターネット上だ"_s, fraStart), u"chkHTTP"_s);
    cmdURL = named(new QPushButton(u"参照..."_s, fraStart), u"cmdURL"_s);
    cmdSethelp = named(new QPushButton(u"HELP"_s, fraStart), u"cmdSethelp"_s);
    auto* start = new QGridLayout(fraStart);
    start->addWidget(wrappedLabel(u"Label4"_s,
                                  u"起動した時プレビューブラウザに表示されるHTMLファイル"_s,
                                  fraStart),
                     0, 0, 1, 2);
    start->addWidget(named(new QLabel(u"アドレス："_s, fraStart), u"Label5"_s), 1, 0);
    start->addWidget(txtURL, 1, 1);
    auto* startButtons = new QHBoxLayout;
    startButtons->addWidget(chkHTTP);
    startButtons->addStretch(1);
    startButtons->addWidget(cmdURL);
    startButtons->addWidget(cmdSethelp);
    start->addLayout(startButtons, 2, 0, 1, 2);
    start->setColumnStretch(1, 1);

    auto* fraSource = named(new QGroupBox(u"ソース画面"_s, this), u"Frame4"_s);
    cmdFonts = named(new QPushButton(u"フォント･サイズ変更..."_s, fraSource), u"cmdFonts"_s);
    lblFonts = named(new QLabel(fraSource), u"lblFonts"_s);
    cmdColorOfEditorBackground =
        named(new QPushButton(u"背景色の変更..."_s, fraSource), u"cmdColorOfEditorBackground"_s);
    cmdColorOfEditorString =
        named(new QPushButton(u"文字色の変更..."_s, fraSource), u"cmdColorOfEditorString"_s);
    lblBC = named(new QLabel(fraSource), u"lblBC"_s);
    lblSC = named(new QLabel(fraSource), u"lblSC"_s);
    for (QLabel* swatch : {lblBC, lblSC}) {
        swatch->setFixedSize(20, 20);
        swatch->setFrameShape(QFrame::Box);
        swatch->setAutoFillBackground(true);
    }
    auto* source = new QGridLayout(fraSource);
    source->addWidget(cmdFonts, 0, 0);
    source->addWidget(lblFonts, 0, 1, 1, 2);
    source->addWidget(cmdColorOfEditorBackground, 1, 0);
    source->addWidget(lblBC, 1, 1);
    source->addWidget(cmdColorOfEditorString, 2, 0);
    source->addWidget(lblSC, 2, 1);
    source->setColumnStretch(2, 1);

    auto* fraUpdate = named(new QGroupBox(u"プレビューブラウザ更新パターン"_s, this), u"Frame5"_s);
    const QStringList patterns = {
        u"ソースを変更した時　（標準）　　＊表示更新ボタンも使えます"_s,
        u"表示更新ボタンを押した時のみ"_s,
        u"インターバル...　　　　　　　　　　　＊表示更新ボタンも使えます"_s};
    auto* update = new QVBoxLayout(fraUpdate);
    for (int i = 0; i < patterns.size(); ++i) {
        auto* option = named(new QRadioButton(patterns[i], fraUpdate), u"OptWBP"_s);
        option->setProperty("index", i);
        OptWBP << option;
    }
    txtPTimer = named(new QLineEdit(fraUpdate), u"txtPTimer"_s);
    txtPTimer->setReadOnly(true);
    txtPTimer->setFocusPolicy(Qt::NoFocus);
    txtPTimer->setFixedWidth(fontMetrics().horizontalAdvance(u"00.000秒"_s) + 12);
    update->addWidget(OptWBP[0]);
    update->addWidget(OptWBP[1]);
    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(OptWBP[2]);
    intervalRow->addWidget(txtPTimer);
    intervalRow->addStretch(1);
    update->addLayout(intervalRow);
    update->addWidget(wrappedLabel(
        u"Label1"_s,
        u"処理速度が遅いパソコンの場合は、ソースを変更した時は選択しないことをオススメします"_s,
        fraUpdate));

    auto* frmIL = named(new QGroupBox(u"インターバル更新について"_s, this), u"frmIL"_s);
    Label2 = wrappedLabel(
        u"Label2"_s,
        u"インターバル更新は、更新する時、ユーザーの操作を中断してしまいます（例：メニューを"
        u"開いている時、勝手に閉じてしまう）　　　　　TABキーで「一時停止」できます。"
        u"（編集を再開すると自動で復帰します）"_s,
        frmIL);
    auto* interval = new QVBoxLayout(frmIL);
    interval->addWidget(Label2);

    cmdOK = named(new QPushButton(u"OK"_s, this), u"cmdOK"_s);
    cmdOK->setDefault(true);

    auto* left = new QVBoxLayout;
    left->addWidget(fraWinSize);
    left->addWidget(fraEditor);
    left->addWidget(fraStart);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(fraSource);
    right->addWidget(fraUpdate);
    right->addWidget(frmIL);
    right->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addLayout(right, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(cmdOK, 0, Qt::AlignRight);
}

QString frmOption::fontsCaption(const QString& name, int size) {
    if (name == u"初期設定")
        return u"初期設定"_s;
    return u"フォント名："_s + name + u"\r\nサイズ:"_s + QString::number(size);
}

void frmOption::Form_Load() {
    const Settings& s = m_state.settings;
    m_state.OptionsLoading = true;
    if (s.PreviewUpdate >= 0 && s.PreviewUpdate < OptWBP.size()) {
        OptWBP[s.PreviewUpdate]->setChecked(true);
        OptWBP_Click(s.PreviewUpdate);
    }
    chkHTTP->setChecked(s.StartPageOnWeb);
    txtURL->setReadOnly(!s.StartPageOnWeb);
    cmdURL->setEnabled(!s.StartPageOnWeb);
    cmdSethelp->setEnabled(!s.StartPageOnWeb);
    txtURL->setText(s.StartPage);
    chkBR->setChecked(s.BrOnEnter == 1);
    if (s.PreviewInterval != 0)
        txtPTimer->setText(frmTimer::secondsText(s.PreviewInterval) + u"秒"_s);
    chkWindow->setChecked(s.StartMaximized == 1);
    paintSwatches();
    chkF->setChecked(s.OpenLastFolder == 1);
    cmbWinSize->addItems({u"テキスト・プレビュー欄は同じ大きさ"_s, u"テキスト欄を大きく"_s,
                          u"プレビュー欄を大きく"_s, u"サイズ比率　自由指定..."_s});
    cmbWinSize->setCurrentIndex(s.PaneSplit >= 0 && s.PaneSplit < 4 ? s.PaneSplit : -1);
    cmbWinSize_Click();
    lblFonts->setText(fontsCaption(s.EditorFontName, s.EditorFontSize));
    m_state.OptionsLoading = false;
}

void frmOption::paintSwatches() {
    const auto paint = [](QLabel* swatch, const QString& number) {
        QPalette p = swatch->palette();
        p.setColor(QPalette::Window, colorFromNumber(number.toLongLong()));
        swatch->setPalette(p);
    };
    paint(lblSC, m_state.settings.EditorForeColor);
    paint(lblBC, m_state.settings.EditorBackColor);
}

void frmOption::chkHTTP_Click() {
    cmdURL->setEnabled(!cmdURL->isEnabled());
    cmdSethelp->setEnabled(!cmdSethelp->isEnabled());
    txtURL->setReadOnly(!txtURL->isReadOnly());
    txtURL->clear();
}

void frmOption::cmdSethelp_Click() {
    txtURL->setText(u"help"_s);
}

void frmOption::cmdURL_Click() {
    const QString path = m_documents.OpenDocument(0);
    txtURL->setText(path.isEmpty() ? QString() : startPageAddress(path));
}

void frmOption::cmdFonts_Click() {
    Settings& s = m_state.settings;
    for (;;) {
        m_host.beep();
        const QString previousName = s.EditorFontName;
        const int previousSize = s.EditorFontSize;
        if (PickEditorFont(s, m_host) && !applyEditorFontTo(m_txtEdit, s)) {
            // A font the text box cannot take is not kept: a later cancel must leave a usable
            // font in the settings.
            s.EditorFontName = previousName;
            s.EditorFontSize = previousSize;
            m_host.beep();
            m_host.messageBox(u"フォントが選択されていません。もう一度選択しなおしてください。"_s,
                              Buttons::Ok, Icon::Exclamation);
            continue;
        }
        lblFonts->setText(fontsCaption(s.EditorFontName, s.EditorFontSize));
        return;
    }
}

void frmOption::openColorTool(const QString& mode) {
    m_colorTool.open(mode, this);
    paintSwatches();
    m_host.beep();
}

void frmOption::cmdColorOfEditorBackground_Click() {
    openColorTool(u"txtBack"_s);
}

void frmOption::cmdColorOfEditorString_Click() {
    openColorTool(u"txtColor"_s);
}

void frmOption::cmbWinSize_Click() {
    if (m_state.OptionsLoading || cmbWinSize->currentIndex() != 3)
        return;
    m_host.beep();
    frmWinSize ratio(m_state.settings, m_host, this);
    m_host.showModal(&ratio);
}

void frmOption::OptWBP_Click(int index) {
    if (index != 2) {
        Label2->setFrameShape(QFrame::NoFrame);
        if (m_state.settings.PreviewInterval == 0)
            txtPTimer->hide();
        return;
    }
    Label2->setFrameShape(QFrame::Box);
    if (!m_state.OptionsLoading) {
        frmTimer interval(m_state.settings, m_host, txtPTimer, this);
        m_host.showModal(&interval);
    }
    txtPTimer->show();
}

QStringList frmOption::okFields() const {
    const Settings& s = m_state.settings;
    const QString update = OptWBP[0]->isChecked()   ? u"0"_s
                           : OptWBP[1]->isChecked() ? u"1"_s
                                                    : u"2"_s;
    // A path that cannot be one field is not remembered rather than shifting every later field.
    const QString lastPath = m_state.document.DocumentPath;
    return {txtURL->text(),
            update,
            s.EditorForeColor,
            s.EditorBackColor,
            chkHTTP->isChecked() ? u"-1"_s : u"0"_s,
            checkText(chkBR),
            QString::number(s.PreviewInterval),
            checkText(chkWindow),
            checkText(chkF),
            SettingsFile::fitsOneField(lastPath) ? lastPath : QString(),
            QString::number(cmbWinSize->currentIndex()),
            QString::number(s.PaneSplitPercent),
            s.EditorFontName,
            QString::number(s.EditorFontSize)};
}

void frmOption::cmdOK_Click() {
    if (txtURL->text().contains(kSeparator)) {
        m_host.beep();
        m_host.messageBox(u"アドレスに「[]」は使えません（設定ファイルの区切りと同じ文字です）。"
                          u"アドレスを直してください。"_s,
                          Buttons::Ok, Icon::Exclamation, u"設定値不正"_s);
        txtURL->setFocus();
        return;
    }
    const std::optional<QString> line = SettingsFile::composeLine(okFields());
    bool firstRun = false;
    const QString folder = m_host.applicationFolder();
    if (!line || !LoadSettings(*line, m_state.settings, firstRun, folder)) {
        m_host.beep();
        m_host.messageBox(u"設定を保存できませんでした。設定ファイルは変更されていません。"_s,
                          Buttons::Ok, Icon::Error, u"設定ファイル"_s);
        return;
    }
    LoadSettings(QString(), m_state.settings, firstRun, folder);
    m_preview.applyTimerSetting();
    accept();
}
