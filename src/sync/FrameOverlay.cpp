#include "FrameOverlay.h"

#include <QPainter>
#include <QWidget>

namespace {

// A bar: a strong orange line edged with white, clear on light and dark pages alike.
class FrameBar : public QWidget {
public:
    FrameBar(QWidget* parent, bool horizontal) : QWidget(parent), m_horizontal(horizontal) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        setObjectName(QStringLiteral("syncFrameBar"));
        QWidget::hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0xE8, 0x59, 0x0C));
        painter.setPen(Qt::white);
        if (m_horizontal) {
            painter.drawLine(0, 0, width() - 1, 0);
            painter.drawLine(0, height() - 1, width() - 1, height() - 1);
        } else {
            painter.drawLine(0, 0, 0, height() - 1);
            painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
        }
    }

private:
    bool m_horizontal;
};

} // namespace

FrameOverlay::FrameOverlay(QWidget* pane) : QObject(pane), m_pane(pane) {
    for (size_t i = 0; i < m_bars.size(); ++i)
        m_bars[i] = new FrameBar(pane, i < 2);
}

void FrameOverlay::show(const QRect& box) {
    const int t = kThickness;
    // Outside the box, so the element itself stays readable; clipped to the pane by Qt.
    const QRect outer = box.adjusted(-t, -t, t, t);
    const std::array<QRect, 4> places = {
        QRect(outer.left(), outer.top(), outer.width(), t),
        QRect(outer.left(), outer.bottom() - t + 1, outer.width(), t),
        QRect(outer.left(), outer.top() + t, t, outer.height() - 2 * t),
        QRect(outer.right() - t + 1, outer.top() + t, t, outer.height() - 2 * t),
    };
    for (size_t i = 0; i < m_bars.size(); ++i) {
        m_bars[i]->setGeometry(places[i]);
        m_bars[i]->raise();
        m_bars[i]->show();
    }
    m_box = box;
    m_shown = true;
}

void FrameOverlay::hide() {
    if (!m_shown)
        return;
    for (QWidget* bar : m_bars)
        bar->hide();
    m_shown = false;
}
