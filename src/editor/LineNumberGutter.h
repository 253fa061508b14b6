#pragma once

#include <QColor>
#include <QWidget>
#include <functional>

class QPlainTextEdit;

// The narrow strip at the pane's left that numbers the document's lines (not its wrapped
// display lines). It lives inside the pane, in the room the pane's left viewport margin leaves,
// so the pane's own geometry is untouched.
class LineNumberGutter : public QWidget {
    Q_OBJECT
public:
    // `setLeftMargin` sets the pane's left viewport margin (a protected member of the pane).
    LineNumberGutter(QPlainTextEdit* edit, std::function<void(int)> setLeftMargin);

    void setColors(const QColor& background, const QColor& numbers, const QColor& currentLine);
    int preferredWidth() const;
    // Follows the pane's size, font and line count.
    void refit();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPlainTextEdit* m_edit;
    std::function<void(int)> m_setLeftMargin;
    QColor m_background;
    QColor m_numbers;
    QColor m_currentBand;
    int m_width = 0;
    int m_currentLine = -1;
};
