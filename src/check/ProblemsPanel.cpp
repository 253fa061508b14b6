#include "ProblemsPanel.h"

#include "PageChecker.h"
#include "ProblemMarks.h"
#include "editor/HtmlHighlighter.h"
#include "editor/SourceView.h"
#include "host/EditBuffer.h"
#include "host/NamedWidgets.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString rowText(const PageProblem& p) {
    return QStringLiteral("行 %1、列 %2：%3").arg(p.line).arg(p.column).arg(p.text);
}

QString summary(const PageCheckResult& r) {
    if (r.problems.isEmpty())
        return QStringLiteral("問題は見つかりませんでした");
    int errors = 0;
    for (const PageProblem& p : r.problems)
        errors += p.severity == PageProblem::Severity::Error;
    QString text =
        QStringLiteral("エラー %1 件、警告 %2 件").arg(errors).arg(r.problems.size() - errors);
    if (r.reported > r.problems.size())
        text += QStringLiteral("（ほかに %1 件は表示していません）")
                    .arg(r.reported - r.problems.size());
    return text;
}

} // namespace

ProblemsPanel::ProblemsPanel(EditBuffer& buffer, SourceView& view, QWidget* parent)
    : QWidget(parent), m_buffer(buffer), m_view(view),
      m_status(namedLabel(QStringLiteral("lblProblems"), QString(), this)),
      m_close(namedButton(QStringLiteral("cmdCloseProblems"), QStringLiteral("閉じる"), this)),
      m_list(new QListWidget(this)), m_pause(new QTimer(this)), m_checker(new PageChecker(this)),
      m_marks(std::make_unique<ProblemMarks>(view)), m_highlighter(&view.highlighter()) {
    setObjectName(QStringLiteral("fraProblems"));
    m_list->setObjectName(QStringLiteral("lstProblems"));
    m_list->setUniformItemSizes(true);
    m_list->setIconSize(QSize(16, 16));
    m_list->installEventFilter(this);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(4, 2, 2, 2);
    header->addWidget(m_status, 1);
    header->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(header);
    layout->addWidget(m_list, 1);

    // One pause after the last key, never a repeating timer: an idle window does nothing.
    m_pause->setSingleShot(true);
    m_pause->setInterval(kPauseMs);
    connect(m_pause, &QTimer::timeout, this, &ProblemsPanel::checkNow);
    connect(m_close, &QPushButton::clicked, this, &ProblemsPanel::closePanel);
    connect(m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { goToProblem(m_list->row(item)); });
    connect(m_checker, &PageChecker::finished, this, &ProblemsPanel::onChecked);
    connect(&m_buffer, &EditBuffer::changed, this, &ProblemsPanel::onTextChanged);
    connect(m_buffer.widget()->document(), &QTextDocument::contentsChange, this,
            [this](int position, int removed, int added) {
                if (m_open)
                    m_marks->followEdit(position, removed, added);
            });
    hide();
}

ProblemsPanel::~ProblemsPanel() {
    if (m_highlighter)
        m_highlighter->removeMarkLayer(m_marks.get());
}

void ProblemsPanel::toggle() {
    if (m_open)
        closePanel();
    else
        openPanel();
}

void ProblemsPanel::openPanel() {
    if (m_open)
        return;
    m_open = true;
    m_status->setText(QStringLiteral("検査しています…"));
    show();
    m_highlighter->addMarkLayer(m_marks.get());
    emit openChanged(true);
    checkNow();
}

void ProblemsPanel::closePanel() {
    if (!m_open)
        return;
    m_open = false;
    m_pause->stop();
    m_checker->cancel();
    m_list->clear();
    m_marks->clear();
    m_highlighter->removeMarkLayer(m_marks.get());
    hide();
    emit openChanged(false);
}

void ProblemsPanel::onTextChanged() {
    ++m_revision;
    if (m_open)
        m_pause->start();
}

void ProblemsPanel::checkNow() {
    m_pause->stop();
    m_checker->start(m_buffer.rawText(), m_revision);
}

void ProblemsPanel::onChecked(const PageCheckResult& result, quint64 revision) {
    // Text typed since the copy was taken: the next pause checks it afresh.
    if (!m_open || revision != m_revision)
        return;
    showResult(result);
    m_shownRevision = revision;
    emit shown();
}

void ProblemsPanel::showResult(const PageCheckResult& result) {
    const QIcon error = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    for (const PageProblem& p : result.problems)
        new QListWidgetItem(p.severity == PageProblem::Severity::Error ? error : warning,
                            rowText(p), m_list);
    m_list->setUpdatesEnabled(true);
    m_status->setText(summary(result));
    m_marks->setProblems(result.problems);
    m_highlighter->marksChanged();
}

void ProblemsPanel::goToProblem(int row) {
    if (row < 0 || row >= m_marks->count())
        return;
    m_buffer.setSelection(m_buffer.fromWidgetPosition(m_marks->start(row)), 0);
    m_buffer.widget()->ensureCursorVisible();
    m_buffer.focus();
}

bool ProblemsPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            goToProblem(m_list->currentRow());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
