#include "LedWidget.h"

#include <QPainter>

#include <algorithm>

LedWidget::LedWidget(QWidget* parent)
    : QWidget(parent)
{
}

void LedWidget::setColor(uint color)
{
    m_color = QColor::fromRgba(color);
}

void LedWidget::changeColor(uint color)
{
    changeColor(QColor::fromRgba(color));
}

void LedWidget::changeColor(const QColor& color)
{
    m_color = color;
    update();
}

void LedWidget::paintEvent(QPaintEvent*)
{
    const int w = width();
    const int h = height();
    const int r = std::min(w, h) / 2;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(m_color, std::max(r - 4, 0));
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(QBrush(m_color, Qt::SolidPattern));
    painter.drawEllipse(QRect(QPoint(w / 2, h / 2), QPoint(r + w / 2 - 6, r + h / 2 - 6)));
}
