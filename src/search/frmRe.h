#pragma once

#include <QDialog>
#include <memory>

class EditBuffer;
class HitMarks;
class Host;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class RegexPattern;
class SourceView;
struct PaneHit;

// "文字列の置き換え/検索": finds a literal string, or a regular expression, in txtEdit from the
// caret forward, replaces the current hit or every occurrence at once. Modeless, above the main
// window; it keeps no copy of the document and reads the text, caret and selection afresh at every
// button press. While it is open every hit is counted and marked in the pane (`view`, when given).
// Closing it deletes it, so the next opening starts afresh.
class frmRe : public QDialog {
    Q_OBJECT
public:
    frmRe(Host& host, EditBuffer& buffer, QWidget* owner, SourceView* view = nullptr);

    void Form_Load();
    // The enabled state of the three action buttons from the two fields.
    void eCheck();
    void txtT_Change() { eCheck(); }
    void txtA_Change() { eCheck(); }
    void cmdSearch_Click();
    void cmdRe_Click();
    void cmdAllRe_Click();
    void cmdHelp_Click();

    // The fields' texts with CR LF line breaks, as the document has them.
    QString targetText() const;
    QString replacementText() const;
    void setTargetText(const QString& text);

    // Where the next Find next goes on when the selection still starts at the last hit.
    int SearchPos = 0;
    // The dialog's height at load, in twips: its height with the help hidden.
    int CompactHeight = 0;

    QLabel* lblT = nullptr;
    QPlainTextEdit* txtT = nullptr;
    QLabel* lblAfter = nullptr;
    QPlainTextEdit* txtA = nullptr;
    QCheckBox* chkSmBi = nullptr;
    QCheckBox* chkRegex = nullptr;
    QPushButton* cmdSearch = nullptr;
    QPushButton* cmdRe = nullptr;
    QPushButton* cmdAllRe = nullptr;
    QPushButton* cmdHelp = nullptr;
    QLabel* lblHelp = nullptr;
    QLabel* lblCount = nullptr;

    HitMarks& hitMarks() const { return *m_marks; }

    // The window's height in twips, and setting it.
    int heightTwips() const;
    void setHeightTwips(int twips);
    int toTwips(int pixels) const;
    int toPixels(int twips) const;

protected:
    // Enter in either field presses the default button; Ctrl+Enter or Shift+Enter types a line
    // break.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    double dotsPerInch() const;
    // The first hit at `from` (CR LF units) or later in the document, or -1.
    int findFrom(int from, const QString& target) const;
    // The regular-expression forms of the three buttons.
    void findNextPattern();
    void replacePattern();
    void replaceAllPattern();
    // The pattern in txtT, or null after telling the user why it does not compile.
    std::unique_ptr<RegexPattern> compiledTarget();
    // A beep and the message of a search the engine stopped.
    void reportTooLong(const PaneHit& hit);
    void queryChanged();
    void showCount();

    Host& m_host;
    EditBuffer& m_buffer;
    HitMarks* m_marks;
    // The length of the last hit selected (CR LF units): the selection still starts at that hit
    // when its start plus this is SearchPos. -1 before any hit.
    int m_lastHitLength = -1;
    // An empty hit was the last one at SearchPos: the next search may not find it again.
    bool m_skipEmptyAtSearchPos = false;
};
