#pragma once

#include "PageCheck.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class EditBuffer;
class HtmlHighlighter;
class PageChecker;
class ProblemMarks;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;
class SourceView;

// The problems of the page, listed under the text pane (lstProblems) and marked in the source.
// While it is open the check follows the typing: a pause of about half a second checks a copy of
// the text away from the user-interface thread, and a result for text that has changed since is
// dropped. A double-click or Enter on a row takes the caret there.
class ProblemsPanel : public QWidget {
    Q_OBJECT
public:
    ProblemsPanel(EditBuffer& buffer, SourceView& view, QWidget* parent);
    ~ProblemsPanel() override;

    // Opens the panel and checks the page now; closes it, with its marks, when it is open.
    void toggle();
    void openPanel();
    void closePanel();
    bool isOpen() const { return m_open; }

    // Puts the caret at the problem of `row`, scrolled into view, and gives the pane the focus.
    void goToProblem(int row);

    QListWidget* list() const { return m_list; }
    const ProblemMarks& marks() const { return *m_marks; }
    // The revision of the text the rows were found in; the text's own revision now.
    quint64 shownRevision() const { return m_shownRevision; }
    quint64 revision() const { return m_revision; }

    // How long the typing pauses before the page is checked again.
    static constexpr int kPauseMs = 500;

signals:
    // The panel was opened or closed: the window lays out its panes.
    void openChanged(bool open);
    // A result was shown (after it was found current).
    void shown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void checkNow();
    void onTextChanged();
    void onChecked(const PageCheckResult& result, quint64 revision);
    void showResult(const PageCheckResult& result);

    EditBuffer& m_buffer;
    SourceView& m_view;
    QLabel* m_status;
    QPushButton* m_close;
    QListWidget* m_list;
    QTimer* m_pause;
    PageChecker* m_checker;
    std::unique_ptr<ProblemMarks> m_marks;
    // The pane's highlighter, which may go before the panel when the window closes.
    QPointer<HtmlHighlighter> m_highlighter;
    bool m_open = false;
    quint64 m_revision = 0;
    quint64 m_shownRevision = 0;
};
