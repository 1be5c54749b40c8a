#include <QtTest>

#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>

#include "VelaHistogram.h"

using RowTexts = QMap<int, QString>;
Q_DECLARE_METATYPE(RowTexts)

namespace {

QGridLayout* grid(VelaHistogram& histogram)
{
    return histogram.findChild<QGridLayout*>(QStringLiteral("gridLayout"));
}

QLabel* cell(VelaHistogram& histogram, int row, int column)
{
    QLayoutItem* item = grid(histogram)->itemAtPosition(row, column);
    return item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
}

QStringList rangeTexts(VelaHistogram& histogram)
{
    QStringList texts;
    for (int row = 0; row < grid(histogram)->rowCount(); ++row) {
        if (QLabel* label = cell(histogram, row, 0))
            texts << label->text();
    }
    return texts;
}

// Share of green columns in a bar, as the rounded percentage of the label width.
int greenShare(VelaHistogram& histogram, int row)
{
    const QImage bar = cell(histogram, row, 1)->pixmap().toImage();
    int green = 0;
    for (int x = 0; x < bar.width(); ++x)
        green += bar.pixel(x, bar.height() / 2) == qRgb(0, 255, 0);
    return bar.width() > 0 ? qRound(100.0 * green / bar.width()) : -1;
}

// Counts the widgets created inside the histogram (only row labels are created after
// construction), to see how often the rows were rebuilt.
class ChildCounter : public QObject
{
public:
    int widgets = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::ChildAdded)
            widgets += static_cast<QChildEvent*>(event)->child()->isWidgetType();
        return false;
    }
};

} // namespace

class TestHistogram : public QObject
{
    Q_OBJECT
private slots:
    void buildsNamedControls();
    void rowsFollowTheRanges_data();
    void rowsFollowTheRanges();
    void tooSmallStepIsRaised();
    void spinBoxesTakeWhatTheyCanShow();
    void sharesAndBars_data();
    void sharesAndBars();
    void spinBoxEditRebuildsRows();
    void setDiaposonesRebuildsOnce();
    void clearDataResetsCounts();
};

void TestHistogram::buildsNamedControls()
{
    VelaHistogram histogram;
    QCOMPARE(histogram.objectName(), QStringLiteral("VelaHistogram"));
    QCOMPARE(histogram.windowTitle(), QStringLiteral("VelaHistogram"));
    QCOMPARE(histogram.size(), QSize(350, 250));
    QCOMPARE(histogram.findChild<QWidget*>(QStringLiteral("widget"))->maximumHeight(), 40);
    double start = 0, end = 0, step = 0;
    histogram.getDiaposones(start, end, step);
    QCOMPARE(start, 2.0);
    QCOMPARE(end, 15.0);
    QCOMPARE(step, 1.0);
    QCOMPARE(histogram.findChild<QDoubleSpinBox*>(QStringLiteral("dsStep"))->singleStep(), 0.5);
    QCOMPARE(histogram.getDiaposones().size(), 15);
}

void TestHistogram::rowsFollowTheRanges_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("end");
    QTest::addColumn<double>("step");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("whole steps") << 2.0 << 15.0 << 1.0
        << QStringList{"<2", "2..3", "3..4", "4..5", "5..6", "6..7", "7..8", "8..9", "9..10",
                       "10..11", "11..12", "12..13", "13..14", "14..15", ">15"};
    QTest::newRow("last range wider") << 2.0 << 15.5 << 1.0
        << QStringList{"<2", "2..3", "3..4", "4..5", "5..6", "6..7", "7..8", "8..9", "9..10",
                       "10..11", "11..12", "12..13", "13..14", "14..15.5", ">15.5"};
    QTest::newRow("fractional step") << 0.5 << 2.0 << 0.5
        << QStringList{"<0.5", "0.5..1", "1..1.5", "1.5..2", ">2"};
}

void TestHistogram::rowsFollowTheRanges()
{
    QFETCH(double, start);
    QFETCH(double, end);
    QFETCH(double, step);
    QFETCH(QStringList, texts);

    VelaHistogram histogram;
    histogram.setDiaposones(start, end, step);
    QCOMPARE(rangeTexts(histogram), texts);

    const QList<Diaposone*> rows = histogram.getDiaposones();
    QCOMPARE(rows.size(), texts.size());
    QCOMPARE(rows.first()->lower, 0.0);
    QCOMPARE(rows.first()->upper, start);
    QCOMPARE(rows.at(1)->lower, start);
    QCOMPARE(rows.at(rows.size() - 2)->upper, end);
    QCOMPARE(rows.last()->lower, end);
    QCOMPARE(rows.last()->upper, end + 100500);
    for (int i = 1; i + 1 < rows.size(); ++i)
        QCOMPARE(rows.at(i)->lower, rows.at(i - 1)->upper);
}

void TestHistogram::tooSmallStepIsRaised()
{
    VelaHistogram histogram;
    histogram.setDiaposones(2, 15, 0.05);
    double start = 0, end = 0, step = 0;
    histogram.getDiaposones(start, end, step);
    QCOMPARE(step, 0.1);
    QCOMPARE(histogram.getDiaposones().size(), 130 + 2);
    QCOMPARE(rangeTexts(histogram).at(1), QStringLiteral("2..2.1"));
}

void TestHistogram::spinBoxesTakeWhatTheyCanShow()
{
    VelaHistogram histogram;
    const auto values = [&histogram] {
        double start = 0, end = 0, step = 0;
        histogram.getDiaposones(start, end, step);
        return QList<double>{start, end, step};
    };
    histogram.setDiaposones(0, 500, 50);
    QCOMPARE(values(), QList<double>({0, 500, 50}));
    QCOMPARE(histogram.getDiaposones().size(), 10 + 2);
    histogram.setDiaposones(-2.125, 0.1 + 0.2, 0.5);
    QCOMPARE(values(), QList<double>({-2.125, 0.3, 0.5}));

    // A value the spin boxes cannot show is refused as a whole, not rounded or clamped.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const QList<double>& refused : {QList<double>{1e12, 500, 50}, QList<double>{0, 2.0005, 1},
                                         QList<double>{0, 500, nan}}) {
        histogram.setDiaposones(refused[0], refused[1], refused[2]);
        QCOMPARE(values(), QList<double>({-2.125, 0.3, 0.5}));
    }
    QCOMPARE(rangeTexts(histogram).first(), QStringLiteral("<-2.125"));
}

void TestHistogram::sharesAndBars_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<RowTexts>("shares"); // rows not named read "0 %"

    QTest::newRow("no values") << QList<double>{} << RowTexts{};
    QTest::newRow("below, inside, above") << QList<double>{1, 2, 2.5, 20}
        << RowTexts{{0, "25 %"}, {1, "50 %"}, {14, "25 %"}};
    QTest::newRow("bounds belong to the upper row") << QList<double>{3, 15}
        << RowTexts{{2, "50 %"}, {14, "50 %"}};
    QTest::newRow("negative value counts in the total only") << QList<double>{-1, 3}
        << RowTexts{{2, "50 %"}};
    QTest::newRow("shares are truncated") << QList<double>{4, 5, 5}
        << RowTexts{{3, "33 %"}, {4, "66 %"}};
}

void TestHistogram::sharesAndBars()
{
    QFETCH(QList<double>, values);
    QFETCH(RowTexts, shares);

    VelaHistogram histogram;
    histogram.show();
    QVERIFY(QTest::qWaitForWindowExposed(&histogram));
    for (double value : values)
        histogram.addData(value);
    histogram.refresh();

    const QList<Diaposone*> rows = histogram.getDiaposones();
    QCOMPARE(rows.size(), 15);
    for (int row = 0; row < rows.size(); ++row) {
        const QString share = shares.value(row, QStringLiteral("0 %"));
        QCOMPARE(cell(histogram, row, 2)->text(), share);
        const int percent = share.section(QLatin1Char(' '), 0, 0).toInt();
        QCOMPARE(int(rows.at(row)->count), values.isEmpty() ? 0 : qRound(percent * values.size() / 100.0));
        QVERIFY2(qAbs(greenShare(histogram, row) - percent) <= 1,
                 qPrintable(QStringLiteral("row %1: %2 %% green").arg(row).arg(greenShare(histogram, row))));
    }
}

void TestHistogram::spinBoxEditRebuildsRows()
{
    VelaHistogram histogram;
    histogram.addData(9.5);
    histogram.findChild<QDoubleSpinBox*>(QStringLiteral("dsEnd"))->setValue(10);
    QCOMPARE(rangeTexts(histogram).last(), QStringLiteral(">10"));
    QCOMPARE(histogram.getDiaposones().size(), 10);
    QCOMPARE(cell(histogram, 8, 2)->text(), QStringLiteral("100 %"));
}

void TestHistogram::setDiaposonesRebuildsOnce()
{
    VelaHistogram histogram;
    ChildCounter counter;
    histogram.installEventFilter(&counter);
    histogram.setDiaposones(0, 10, 2);
    QCOMPARE(counter.widgets, 3 * (5 + 2));
}

void TestHistogram::clearDataResetsCounts()
{
    VelaHistogram histogram;
    histogram.addData(2.5);
    histogram.refresh();
    QCOMPARE(histogram.getDiaposones().at(1)->count, 1u);
    histogram.clearData();
    QCOMPARE(histogram.getDiaposones().at(1)->count, 0u);
    QCOMPARE(cell(histogram, 1, 2)->text(), QStringLiteral("0 %"));
}

QTEST_MAIN(TestHistogram)
#include "tst_histogram.moc"
