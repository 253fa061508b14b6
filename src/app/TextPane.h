#pragma once

#include <QPlainTextEdit>

// txtEdit: the text pane. Reports gaining and losing the focus, which start and pause the
// interval refresh of the preview.
class TextPane : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextPane(QWidget* parent = nullptr);

signals:
    void gotFocus();
    void lostFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
