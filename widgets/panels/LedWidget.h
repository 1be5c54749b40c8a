#pragma once

#include "velawidgets_global.h"

#include <QColor>
#include <QWidget>

// A round signal lamp in one colour (0xAARRGGBB).
class VELAWIDGETS_EXPORT LedWidget : public QWidget
{
    Q_OBJECT
public:
    explicit LedWidget(QWidget* parent = nullptr);

    // Takes effect at the next repaint.
    void setColor(uint color);
    void changeColor(uint color);
    void changeColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color = QColor::fromRgba(0xFFCCCCCC);
};
