#include "columnWidget.h"

#include "PanelHelpers.h"

#include <QLabel>
#include <QSlider>

#include <cmath>

namespace {

double millimetres(double thousandths)
{
    return thousandths / 1000.0;
}

int wholeMillimetres(double thousandths)
{
    return int(std::trunc(thousandths / 1000.0));
}

} // namespace

columnWidget::columnWidget(QWidget* parent)
    : QWidget(parent)
{
    setFont(VelaPanels::panelFont());

    m_slider = new QSlider(Qt::Vertical, this);
    m_slider->setObjectName(QStringLiteral("measureSlider"));
    m_slider->setGeometry(10, 10, 50, 450);
    m_slider->setTickPosition(QSlider::TicksBothSides);
    m_slider->setEnabled(false);

    // The range is the slider's top, the base its bottom. The labels are wide enough for any
    // value in the 'g' format ("Ergebnis: -2.14748e+06").
    m_rangeLabel = new QLabel(QStringLiteral("0"), this);
    m_rangeLabel->setObjectName(QStringLiteral("rangeLabel"));
    m_rangeLabel->setGeometry(70, 10, 140, 20);
    m_measureLabel = new QLabel(tr("Ergebnis: 0"), this);
    m_measureLabel->setObjectName(QStringLiteral("measureLabel"));
    m_measureLabel->setGeometry(70, 225, 140, 20);
    m_baseLabel = new QLabel(QStringLiteral("0"), this);
    m_baseLabel->setObjectName(QStringLiteral("baseLabel"));
    m_baseLabel->setGeometry(70, 440, 140, 20);
}

void columnWidget::showMeasureValue(double value)
{
    m_measureLabel->setText(tr("Ergebnis: %1").arg(millimetres(value)));
    m_slider->setValue(wholeMillimetres(value));
}

void columnWidget::setMeasureValue(int value)
{
    showMeasureValue(value);
}

void columnWidget::setMeasureValue(float value)
{
    showMeasureValue(value);
}

void columnWidget::setBaseValue(int value)
{
    m_baseLabel->setText(QStringLiteral("%1").arg(millimetres(value)));
    m_slider->setMinimum(wholeMillimetres(value));
}

void columnWidget::setRangeValue(uint value)
{
    m_rangeLabel->setText(QStringLiteral("%1").arg(millimetres(value)));
    m_slider->setMaximum(wholeMillimetres(value));
}

int columnWidget::getBaseValue() const
{
    return m_baseLabel->text().toInt();
}

uint columnWidget::getRangeValue() const
{
    return m_rangeLabel->text().toUInt();
}
