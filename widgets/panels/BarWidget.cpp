#include "BarWidget.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr int stripHeight = 4;
constexpr uint stripBgColor = 0xFF5A5A5A;
constexpr uint stripThumbColor = 0xFFB4B4B4;
constexpr int hintWidth = 56;
constexpr int hintHeight = 14;

QColor argb(uint color)
{
    return QColor::fromRgba(color);
}

} // namespace

BarWidget::BarWidget(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void BarWidget::appendMark(double value, uint color)
{
    m_marks.push_back(BarMark{markCount(), value, color});
    // Only a window that is not yet full grows with new marks.
    if (m_last < m_first + width() - 1)
        ++m_last;
    update();
}

void BarWidget::clearMarks()
{
    m_marks.clear();
    m_first = 0;
    m_last = -1;
    m_hover = -1;
    m_cursor = 0;
    update();
}

void BarWidget::resetCursor()
{
    m_cursor = -1;
    update();
}

void BarWidget::setBgColor(uint color) { m_bgColor = color; }
void BarWidget::setHoverColor(uint color) { m_hoverColor = color; }
void BarWidget::setHintBgColor(uint color) { m_hintBgColor = color; }
void BarWidget::setHintTextColor(uint color) { m_hintTextColor = color; }
void BarWidget::setCursorColor(uint color) { m_cursorColor = color; }
void BarWidget::setClearHoverOnLeave(bool clear) { m_clearHoverOnLeave = clear; }

bool BarWidget::stripShown() const
{
    return markCount() > 0 && markCount() >= width();
}

void BarWidget::pickCursor(int index)
{
    m_cursor = index;
    emit clickedMark(&m_marks[size_t(index)]);
    update();
}

void BarWidget::paintEvent(QPaintEvent*)
{
    const int w = width();
    const int h = height();
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), argb(m_bgColor));

    const bool strip = stripShown();
    const int lineHeight = strip ? h - stripHeight : h;
    for (int i = m_first; i <= m_last; ++i) {
        uint color = m_marks[size_t(i)].color;
        if (i == m_cursor)
            color = m_cursorColor;
        else if (i == m_hover)
            color = m_hoverColor;
        painter.fillRect(i - m_first, 0, 1, lineHeight, argb(color));
    }

    if (strip) {
        const int count = markCount();
        painter.fillRect(0, h - stripHeight, w, stripHeight, argb(stripBgColor));
        const int thumbWidth = int(qint64(w) * w / count);
        // With the marks exactly filling the width there is nothing to scroll.
        const int thumbX = count > w
            ? int(qint64(w - thumbWidth) * m_first / (count - w)) : 0;
        painter.fillRect(thumbX, h - stripHeight, thumbWidth, stripHeight,
                         argb(stripThumbColor));
    }

    if (m_hover >= 0) {
        const QRect hint(std::min(m_hover - m_first, w - hintWidth),
                         std::max(m_mousePos.y() - hintHeight, 0), hintWidth, hintHeight);
        painter.fillRect(hint, argb(m_hintBgColor));
        painter.setPen(argb(m_hintTextColor));
        painter.drawText(hint, Qt::TextSingleLine,
                         QString::asprintf("%.02fmm", m_marks[size_t(m_hover)].value));
    }
}

void BarWidget::mouseMoveEvent(QMouseEvent* event)
{
    m_mousePos = event->position().toPoint();
    const int x = m_mousePos.x();
    if (!m_dragging) {
        const int index = m_first + x;
        m_hover = x >= 0 && index <= m_last ? index : -1;
        update();
    } else if (stripShown()) {
        m_hover = -1;
        m_first = std::clamp(m_pressFirst + m_pressPos.x() - x, 0, markCount() - width());
        m_last = std::min(m_first + width() - 1, markCount() - 1);
        m_moved = true;
        update();
    }
}

void BarWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_moved = false;
    m_pressPos = event->position().toPoint();
    m_pressFirst = m_first;
}

void BarWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    const int x = event->position().toPoint().x();
    const int index = m_first + x;
    if (!m_moved && x >= 0 && index < markCount())
        pickCursor(index);
}

void BarWidget::wheelEvent(QWheelEvent* event)
{
    if (m_last < 0)
        return;
    const int step = event->angleDelta().y() >= 0 ? 1 : -1;
    m_hover = std::clamp(m_hover + step, m_first, m_last);
    update();
}

void BarWidget::keyPressEvent(QKeyEvent* event)
{
    if (m_last < 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Space:
        if (m_hover >= 0)
            pickCursor(m_hover);
        break;
    case Qt::Key_Right:
    case Qt::Key_Left: {
        const int from = m_hover >= 0 ? m_hover : m_cursor;
        const int step = event->key() == Qt::Key_Right ? 1 : -1;
        m_hover = std::clamp(from + step, m_first, m_last);
        if (event->modifiers() & Qt::ControlModifier)
            pickCursor(m_hover);
        update();
        break;
    }
    default:
        QWidget::keyPressEvent(event);
    }
}

void BarWidget::leaveEvent(QEvent* event)
{
    if (m_clearHoverOnLeave) {
        m_hover = -1;
        update();
    }
    QWidget::leaveEvent(event);
}

void BarWidget::closeEvent(QCloseEvent* event)
{
    clearMarks();
    QWidget::closeEvent(event);
}

void BarWidget::resizeEvent(QResizeEvent* event)
{
    const int count = markCount();
    if (count >= width()) {
        // Keep the window full; at the end of the marks shift it left instead.
        m_last = m_first + width() - 1;
        if (m_last > count - 1) {
            m_last = count - 1;
            m_first = std::max(0, m_last - width() + 1);
        }
    } else {
        // Everything fits now: show all marks.
        m_first = 0;
        m_last = count - 1;
    }
    QWidget::resizeEvent(event);
}
