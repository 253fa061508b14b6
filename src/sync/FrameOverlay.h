#pragma once

#include <QObject>
#include <QRect>
#include <array>

class QWidget;

// The frame around the element at the caret: four thin bars laid over the browser pane, outside
// the page, so nothing of the page changes and its scripts and style sheets cannot see it. The
// bars are plain widgets above the pane's view and let the mouse through; they paint only when
// placed.
class FrameOverlay : public QObject {
    Q_OBJECT
public:
    explicit FrameOverlay(QWidget* pane);

    // Frames `box` (in the pane's coordinates); the bars stand just outside it.
    void show(const QRect& box);
    void hide();
    bool isShown() const { return m_shown; }
    QRect box() const { return m_box; }

    static constexpr int kThickness = 3;

private:
    QWidget* m_pane;
    std::array<QWidget*, 4> m_bars{};
    QRect m_box;
    bool m_shown = false;
};
