#pragma once

#include "velawidgets_global.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QWidget>

// A banner that scrolls a text (after an optional logo) from right to left. The setters
// take effect at the next start().
class VELAWIDGETS_EXPORT MarqueeWidget : public QWidget
{
    Q_OBJECT
public:
    explicit MarqueeWidget(QWidget* parent = nullptr);

    void setText(const QString& text);
    // A copy is kept; an image narrower than one pixel removes the logo.
    void setLogo(const QImage& logo);
    void setBgColor(const QColor& color);
    void setColor(const QColor& color);
    void setFont(const QFont& font);
    void setDelay(int ms);
    void setStep(int px);

    // Renders the strip and starts scrolling; false when the text has no width or the
    // timer could not start. A running banner stays as it is.
    bool start();
    void stop();
    bool isRunning() const { return m_timerId != 0; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QString m_text = QStringLiteral(
        " * Now is the time for all good men * The quick brown fox jumps over the lazy dog");
    QImage m_logo;
    QColor m_bgColor = QColor(QStringLiteral("black"));
    QColor m_textColor = QColor(QStringLiteral("white"));
    QFont m_font = QFont(QStringLiteral("serif"), 24, QFont::Normal);
    int m_delay = 100;
    int m_step = 2;

    QImage m_strip;
    int m_stripWidth = 0;
    int m_offset = 0;
    int m_timerId = 0;
};
