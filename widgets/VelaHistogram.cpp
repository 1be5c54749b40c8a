#include "VelaHistogram.h"

#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSpacerItem>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace {

// The last row collects everything from the end value up to this far above it.
constexpr double overflowSpan = 100500.0;
constexpr double minimumStep = 0.1;
// Five whole digits and three decimals: values of a point sensor in millimetres or
// micrometres, and the three spin boxes still fit the widget's 350 pixels.
constexpr double spinLimit = 99999.999;
constexpr int spinDecimals = 3;
constexpr int barImageWidth = 100;
constexpr int barImageHeight = 10;

QString number(double value)
{
    return QStringLiteral("%1").arg(value);
}

// Whether the spin box can take v as it is: inside its range and with no more decimals than it
// shows. A difference in the last bits of v (0.1 + 0.2) is no difference.
bool canShow(const QDoubleSpinBox* spin, double v)
{
    if (!(v >= spin->minimum() && v <= spin->maximum()))
        return false; // also NaN
    const double shown = QString::number(v, 'f', spin->decimals()).toDouble();
    return std::abs(shown - v) <= 8 * std::numeric_limits<double>::epsilon() * std::abs(v);
}

} // namespace

VelaHistogram::VelaHistogram(QWidget* parent)
    : QWidget(parent)
{
    buildControls();
    changeDims();
}

VelaHistogram::~VelaHistogram() = default;

void VelaHistogram::buildControls()
{
    setObjectName(QStringLiteral("VelaHistogram"));
    setWindowTitle(tr("VelaHistogram"));
    resize(350, 250);

    auto* outer = new QHBoxLayout(this);
    outer->setObjectName(QStringLiteral("horizontalLayout"));
    outer->setSpacing(6);
    outer->setContentsMargins(11, 11, 11, 11);

    auto* column = new QVBoxLayout();
    column->setObjectName(QStringLiteral("verticalLayout"));
    column->setSpacing(6);
    column->setContentsMargins(0, 0, 0, 0);
    outer->addLayout(column);

    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("widget"));
    bar->setMaximumHeight(40);
    auto* barColumn = new QVBoxLayout(bar);
    barColumn->setObjectName(QStringLiteral("verticalLayout_2"));
    auto* spins = new QHBoxLayout();
    spins->setObjectName(QStringLiteral("horizontalLayout_3"));
    barColumn->addLayout(spins);

    auto makeSpin = [&](const char* name, double value) {
        auto* spin = new QDoubleSpinBox(bar);
        spin->setObjectName(QLatin1String(name));
        spin->setDecimals(spinDecimals);
        spin->setRange(-spinLimit, spinLimit);
        spin->setValue(value);
        spins->addWidget(spin);
        return spin;
    };
    m_start = makeSpin("dsStart", 2.0);
    m_end = makeSpin("dsEnd", 15.0);
    m_step = makeSpin("dsStep", 1.0);
    m_step->setSingleStep(0.5);
    column->addWidget(bar);

    m_grid = new QGridLayout();
    m_grid->setObjectName(QStringLiteral("gridLayout"));
    m_grid->setSpacing(6);
    m_grid->setContentsMargins(10, 10, 10, 10);
    column->addLayout(m_grid);
    column->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));

    for (QDoubleSpinBox* spin : {m_start, m_end, m_step})
        connect(spin, &QDoubleSpinBox::valueChanged, this, &VelaHistogram::changeDims);
}

void VelaHistogram::addData(double value)
{
    m_values.append(value);
}

void VelaHistogram::clearData()
{
    m_values.clear();
    changeDims();
}

void VelaHistogram::setDiaposones(double start, double end, double step)
{
    if (!canShow(m_start, start) || !canShow(m_end, end) || !canShow(m_step, step))
        return;
    m_updating = true;
    m_start->setValue(start);
    m_end->setValue(end);
    m_step->setValue(step);
    m_updating = false;
    changeDims();
}

void VelaHistogram::getDiaposones(double& start, double& end, double& step) const
{
    start = m_start->value();
    end = m_end->value();
    step = m_step->value();
}

QList<Diaposone*> VelaHistogram::getDiaposones()
{
    QList<Diaposone*> ranges;
    ranges.reserve(int(m_rows.size()));
    for (Row& row : m_rows)
        ranges.append(&row.range);
    return ranges;
}

void VelaHistogram::changeDims()
{
    if (m_updating)
        return;
    const double start = m_start->value();
    const double end = m_end->value();
    const double step = m_step->value();
    if (std::fabs(step) < minimumStep) {
        // The spin box reports the new value and brings us back here.
        m_step->setValue(minimumStep);
        return;
    }

    m_rowCount = int(std::trunc((end - start) / step));

    removeRows();
    m_rows.reserve(size_t(std::max(m_rowCount, 0)) + 2);
    addRow(QStringLiteral("<") + number(start), 0.0, start);
    for (int i = 1; i <= m_rowCount; ++i) {
        const double lower = start + (i - 1) * step;
        const double upper = i == m_rowCount ? end : start + i * step;
        addRow(number(lower) + QStringLiteral("..") + number(upper), lower, upper);
    }
    addRow(QStringLiteral(">") + number(end), end, end + overflowSpan);
    refresh();
}

void VelaHistogram::removeRows()
{
    while (QLayoutItem* item = m_grid->takeAt(0))
        delete item;
    for (Row& row : m_rows) {
        delete row.text;
        delete row.bar;
        delete row.percent;
    }
    m_rows.clear();
}

void VelaHistogram::addRow(const QString& text, double lower, double upper)
{
    Row row;
    row.range.lower = lower;
    row.range.upper = upper;
    row.text = new QLabel(text, this);
    row.bar = new QLabel(this);
    row.bar->setMaximumWidth(250);
    row.bar->setFixedHeight(10);
    row.percent = new QLabel(this);
    const int r = int(m_rows.size());
    m_grid->addWidget(row.text, r, 0);
    m_grid->addWidget(row.bar, r, 1);
    m_grid->addWidget(row.percent, r, 2);
    m_rows.push_back(row);
}

void VelaHistogram::refresh()
{
    if (m_updating || m_rowCount == 0)
        return;

    for (Row& row : m_rows)
        row.range.count = 0;
    for (double value : std::as_const(m_values)) {
        for (Row& row : m_rows) {
            if (row.range.lower <= value && value < row.range.upper) {
                ++row.range.count;
                break;
            }
        }
    }

    const qsizetype total = m_values.size();
    QImage image(barImageWidth, barImageHeight, QImage::Format_RGB32);
    for (Row& row : m_rows) {
        // With no values at all every share is zero.
        const int percent = total > 0 ? int(qint64(row.range.count) * 100 / total) : 0;
        image.fill(Qt::gray);
        for (int y = 0; y < barImageHeight; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            std::fill(line, line + percent, qRgb(0x00, 0xFF, 0x00));
        }
        row.bar->setPixmap(QPixmap::fromImage(
            image.scaled(row.bar->size(), Qt::IgnoreAspectRatio)));
        row.percent->setText(percent < 1 ? tr("0 %") : tr("%1 %").arg(percent));
    }
}
