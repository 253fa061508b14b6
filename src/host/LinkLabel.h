#pragma once

#include <QLabel>

// A label used as a link: blue and underlined, a pointing hand, `clicked` on a left click.
// Mouse moves over it are reported as `hovered` and go no further, so its window does not take
// them for moves over the background.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);
    // With its objectName, as a form's named link.
    LinkLabel(const QString& name, const QString& text, QWidget* parent);

signals:
    void clicked();
    void hovered();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
