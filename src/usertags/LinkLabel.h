#pragma once

#include <QLabel>

// A label that works as a link: blue, underlined, a pointing hand, and a click.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString& name, const QString& caption, QWidget* parent);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
