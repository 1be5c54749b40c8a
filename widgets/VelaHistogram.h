#pragma once

#include "velawidgets_global.h"

#include <QList>
#include <QWidget>

#include <vector>

class QDoubleSpinBox;
class QGridLayout;
class QLabel;

// One range row of the histogram: values v with lower <= v < upper are counted in it.
struct VELAWIDGETS_EXPORT Diaposone
{
    double lower = 0.0;
    double upper = 0.0;
    unsigned int count = 0;
};

// Sorts values into equal-width ranges between a start and an end value and shows each
// range with a bar and its share in per cent. Nothing is redrawn until refresh().
class VELAWIDGETS_EXPORT VelaHistogram : public QWidget
{
    Q_OBJECT
public:
    explicit VelaHistogram(QWidget* parent = nullptr);
    ~VelaHistogram() override;

    void addData(double value);
    void clearData();
    void refresh();

    // Sets all three spin boxes and rebuilds the rows once. Values the spin boxes cannot show
    // (beyond +-99999.999, more than 3 decimals, NaN) are refused as a whole: nothing changes.
    void setDiaposones(double start, double end, double step);
    void getDiaposones(double& start, double& end, double& step) const;
    // The current rows with their counts; they stay owned by the widget and live until
    // the rows are rebuilt.
    QList<Diaposone*> getDiaposones();

public slots:
    void changeDims();

private:
    struct Row
    {
        Diaposone range;
        QLabel* text = nullptr;
        QLabel* bar = nullptr;
        QLabel* percent = nullptr;
    };

    void buildControls();
    void removeRows();
    void addRow(const QString& text, double lower, double upper);

    QDoubleSpinBox* m_start = nullptr;
    QDoubleSpinBox* m_end = nullptr;
    QDoubleSpinBox* m_step = nullptr;
    QGridLayout* m_grid = nullptr;

    QList<double> m_values;
    std::vector<Row> m_rows;
    int m_rowCount = 0; // N: the number of whole steps between start and end
    bool m_updating = false;
};
