#pragma once

#include "velawidgets_global.h"

#include <QPoint>
#include <QWidget>

#include <deque>

// One measurement in a BarWidget: its position in the strip, its value in millimetres and
// its colour (0xAARRGGBB).
struct VELAWIDGETS_EXPORT BarMark
{
    int index = 0;
    double value = 0.0;
    uint color = 0;
};

// A scrollable strip with one coloured vertical line per measurement. The operator hovers
// marks (a hint shows the value), picks one as the cursor by click, Space or Ctrl+arrow,
// and scrolls by dragging once the marks no longer fit the width.
class VELAWIDGETS_EXPORT BarWidget : public QWidget
{
    Q_OBJECT
public:
    explicit BarWidget(QWidget* parent = nullptr);

    void appendMark(double value, uint color);
    void clearMarks();
    void resetCursor();

    void setBgColor(uint color);
    void setHoverColor(uint color);
    void setHintBgColor(uint color);
    void setHintTextColor(uint color);
    void setCursorColor(uint color);
    void setClearHoverOnLeave(bool clear);

signals:
    // Carries the picked BarMark; it stays owned by the widget until clearMarks().
    void clickedMark(void* mark);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int markCount() const { return int(m_marks.size()); }
    bool stripShown() const;
    void pickCursor(int index);

    // A deque keeps every mark at its address while new ones are appended, so the
    // pointer handed out by clickedMark stays valid.
    std::deque<BarMark> m_marks;
    int m_first = 0;
    int m_last = -1;
    int m_hover = -1;
    int m_cursor = -1;

    bool m_dragging = false;
    bool m_moved = false;
    QPoint m_pressPos;
    int m_pressFirst = 0;
    QPoint m_mousePos;
    bool m_clearHoverOnLeave = true;

    uint m_bgColor = 0xFFA0A0A0;
    uint m_hoverColor = 0xFF0050FF;
    uint m_hintBgColor = 0xFFDCDCB4;
    uint m_hintTextColor = 0xFF000000;
    uint m_cursorColor = 0xFFFFFF00;
};
