#include "MarqueeWidget.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTimerEvent>

#include <algorithm>

MarqueeWidget::MarqueeWidget(QWidget* parent)
    : QWidget(parent)
{
}

void MarqueeWidget::setText(const QString& text) { m_text = text; }
void MarqueeWidget::setBgColor(const QColor& color) { m_bgColor = color; }
void MarqueeWidget::setColor(const QColor& color) { m_textColor = color; }
void MarqueeWidget::setFont(const QFont& font) { m_font = font; }
void MarqueeWidget::setDelay(int ms) { m_delay = ms; }
void MarqueeWidget::setStep(int px) { m_step = px; }

void MarqueeWidget::setLogo(const QImage& logo)
{
    m_logo = logo.width() < 1 ? QImage() : logo.copy();
}

bool MarqueeWidget::start()
{
    if (isRunning())
        return true;

    const QFontMetrics metrics(m_font);
    const int textWidth = metrics.horizontalAdvance(m_text);
    if (textWidth <= 0)
        return false;
    const int logoWidth = m_logo.isNull() ? 0 : m_logo.width();
    const int h = std::max(height(), 1); // an image needs at least one row
    m_stripWidth = std::max(textWidth + logoWidth, width());

    m_strip = QImage(m_stripWidth, h, QImage::Format_ARGB32_Premultiplied);
    m_strip.fill(m_bgColor);
    QPainter painter(&m_strip);
    if (logoWidth > 0)
        painter.drawImage(0, (h - m_logo.height()) / 2, m_logo);
    painter.setFont(m_font);
    painter.setPen(m_textColor);
    painter.drawText(logoWidth, metrics.height() + (h - metrics.height()) / 2, m_text);
    painter.end();

    m_offset = 0;
    m_timerId = startTimer(m_delay);
    return m_timerId != 0;
}

void MarqueeWidget::stop()
{
    if (m_timerId != 0)
        killTimer(m_timerId);
    m_timerId = 0;
    m_strip = QImage();
    m_offset = 0;
    update();
}

void MarqueeWidget::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timerId) {
        QWidget::timerEvent(event);
        return;
    }
    // Wraps within the strip, also for a step wider than the strip.
    m_offset = (m_offset + m_step) % m_stripWidth;
    update();
}

void MarqueeWidget::paintEvent(QPaintEvent*)
{
    if (!isRunning())
        return;
    QPainter painter(this);
    painter.drawImage(-m_offset, 0, m_strip);
    if (m_offset > 0)
        painter.drawImage(m_stripWidth - m_offset, 0, m_strip);
}
