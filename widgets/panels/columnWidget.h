#pragma once

#include "velawidgets_global.h"

#include <QWidget>

class QLabel;
class QSlider;

// A display-only vertical slider with the measured, base and range values beside it.
// Values arrive in thousandths of a millimetre and are shown in millimetres.
class VELAWIDGETS_EXPORT columnWidget : public QWidget
{
    Q_OBJECT
public:
    explicit columnWidget(QWidget* parent = nullptr);

    void setMeasureValue(int value);
    void setMeasureValue(float value);
    void setBaseValue(int value);
    void setRangeValue(uint value);
    int getBaseValue() const;
    uint getRangeValue() const;

private:
    void showMeasureValue(double value);

    QSlider* m_slider = nullptr;
    QLabel* m_measureLabel = nullptr;
    QLabel* m_baseLabel = nullptr;
    QLabel* m_rangeLabel = nullptr;
};
