#include "LinkLabel.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    setPalette(p);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
}

LinkLabel::LinkLabel(const QString& name, const QString& text, QWidget* parent)
    : LinkLabel(text, parent) {
    setObjectName(name);
}

void LinkLabel::mouseMoveEvent(QMouseEvent* event) {
    emit hovered();
    event->accept();
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
