#include <cmath>
#include <limits>

#include <QtTest>

#include "tst_visualizer_probe.h"

namespace {

constexpr uint kRed = 0xFFFF0000;
constexpr uint kBlue = 0xFF0000FF;
constexpr uint kGreen = 0xFF00FF00;
constexpr uint kWhite = 0xFFFFFFFF;
constexpr QRgb kWholeLine = 0xFF464646;
constexpr QRgb kFractionLine = 0xFF28283C;

QImage render(QWidget& w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// Whether a pixel within `radius` of p has exactly the colour.
bool colourNear(const QImage& image, QPoint p, QRgb colour, int radius = 1)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (image.valid(p + QPoint(dx, dy)) && image.pixel(p + QPoint(dx, dy)) == colour)
                return true;
    return false;
}

bool closeTo(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2
        && std::abs(qBlue(a) - qBlue(b)) <= 2;
}

QList<int> columnsOf(const QImage& image, int row, QRgb colour)
{
    QList<int> columns;
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, row) == colour)
            columns.append(x);
    return columns;
}

// Grid on, 2 * halfWidth / 605 world units per pixel, world x = 0 between the columns 332 and 333.
void fitGridView(VisualizerProbe& v, double halfWidth)
{
    v.resize(640, 480);
    v.setEnableScale(true);
    v.addProfile(makeProfile({{-halfWidth, 0}, {halfWidth, 2}}), "p", kRed, 0, 0, DrawPoints, false);
}

} // namespace

class TestVisualizerPaint : public QObject
{
    Q_OBJECT
private slots:
    void backgroundHasBackgroundColour();
    void profilePixelsHaveProfileColour_data();
    void profilePixelsHaveProfileColour();
    void gradientRunsFromFirstToSecondColour();
    void objectsHaveTheirColour();
    void arcsArePlacedInWorldCoordinates();
    void buttonsShowTheirState_data();
    void buttonsShowTheirState();
    void gridLinesEveryIntervalFromZero();
    void gridRespectsRangeConstraint();
    void fineGridStepHasFractionLines();
    void gridNeedsADrawingArea();
    void emptyViewHasNoScale();
    void trackCursorIsDrawnAtTheMouse();
    void blankPaintsNothing();
};

void TestVisualizerPaint::backgroundHasBackgroundColour()
{
    VisualizerProbe v;
    fitUnitView(v);
    v.setBgColor(0xFF102030);
    const QImage image = render(v);
    QCOMPARE(image.pixel(320, 240), QRgb(0xFF102030));
    QCOMPARE(image.pixel(5, 5), QRgb(0xFF102030));
}

void TestVisualizerPaint::profilePixelsHaveProfileColour_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<double>("width");
    QTest::newRow("points") << int(DrawPoints) << 0.0;
    QTest::newRow("wide points") << int(DrawPoints) << 3.0;
    QTest::newRow("lines") << int(DrawLines) << 0.0;
    QTest::newRow("wide lines") << int(DrawLines) << 3.0;
}

void TestVisualizerPaint::profilePixelsHaveProfileColour()
{
    QFETCH(int, style);
    QFETCH(double, width);
    VisualizerProbe v;
    fitUnitView(v);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    v.addProfile(makeProfile({{100, 100}, {200, 300}, {nan, 5}, {400, 100}}), "p", kBlue, 0, width,
                 VelaProfileVisualizerDrawStyle(style), false);
    const QImage image = render(v);
    QVERIFY(colourNear(image, v.pointToScreen({100, 100}), kBlue));
    QVERIFY(colourNear(image, v.pointToScreen({200, 300}), kBlue));
    // A line between the first two points, none across the point without a value.
    QCOMPARE(colourNear(image, v.pointToScreen({150, 200}), kBlue), style == DrawLines);
    QVERIFY(!colourNear(image, v.pointToScreen({300, 200}), kBlue, 3));
    QCOMPARE(image.pixel(v.pointToScreen({300, 400})), QRgb(0xFF000000));
}

void TestVisualizerPaint::gradientRunsFromFirstToSecondColour()
{
    VisualizerProbe v;
    fitUnitView(v);
    v.addProfile(makeProfile({{100, 100}, {200, 250}, {300, 400}}), "p", kBlue, kRed, 3, DrawPoints, false);
    const QImage image = render(v);
    QVERIFY(colourNear(image, v.pointToScreen({100, 100}), kBlue));
    QVERIFY(colourNear(image, v.pointToScreen({200, 250}), qRgb(127, 0, 127)));
    QVERIFY(colourNear(image, v.pointToScreen({300, 400}), kRed));
}

void TestVisualizerPaint::objectsHaveTheirColour()
{
    VisualizerProbe v;
    fitUnitView(v);
    v.addFillRect(10, 10, 50, 50, "rect", kGreen, false);
    v.addRect(500, 10, 600, 60, 1, "outline", 0, false);
    v.addFillCircle(400, 300, 20, "disc", kBlue, false);
    v.addLine(100, 400, 300, 400, 5, "thick", kRed, false);
    const QImage image = render(v);
    QCOMPARE(image.pixel(v.pointToScreen({30, 30})), QRgb(kGreen));
    // A pen of width R / 1.4142 around an ellipse of radius R / 2.8284: a disc of about 0.7 R.
    QCOMPARE(image.pixel(v.pointToScreen({400, 300})), QRgb(kBlue));
    QCOMPARE(image.pixel(v.pointToScreen({400, 310})), QRgb(kBlue));
    QCOMPARE(image.pixel(v.pointToScreen({400, 318})), QRgb(0xFF000000));
    // A line width of 5 world units is 5 pixels here.
    QCOMPARE(image.pixel(v.pointToScreen({200, 402})), QRgb(kRed));
    QCOMPARE(image.pixel(v.pointToScreen({200, 406})), QRgb(0xFF000000));
    // An outline stays empty inside, in the default object colour.
    QVERIFY(colourNear(image, v.pointToScreen({550, 60}), 0xFFC0C0C0));
    QCOMPARE(image.pixel(v.pointToScreen({550, 35})), QRgb(0xFF000000));
}

void TestVisualizerPaint::arcsArePlacedInWorldCoordinates()
{
    VisualizerProbe v;
    fitUnitView(v);
    v.zoom(2.0); // so that world and pixel coordinates differ
    v.addArc(500, 100, 40, 40, 0, 180 * 16, 0, "upper half", kRed, false);
    v.addArc(100, 100, 40, 40, 0, 360 * 16, 0, "fixed", kGreen, true);
    const QImage image = render(v);
    QVERIFY(colourNear(image, v.pointToScreen({520, 140}), kRed));
    QVERIFY(!colourNear(image, v.pointToScreen({520, 100}), kRed, 2));
    QVERIFY(colourNear(image, QPoint(120, 100), kGreen));
    QVERIFY(colourNear(image, QPoint(120, 140), kGreen));
}

void TestVisualizerPaint::buttonsShowTheirState_data()
{
    QTest::addColumn<uint>("background");
    QTest::addColumn<bool>("hover");
    QTest::addColumn<QRgb>("autoFill");
    QTest::addColumn<QRgb>("gridFill");
    QTest::newRow("dark") << 0xFF000000u << false << QRgb(0xFF339933) << QRgb(0xFF000000);
    QTest::newRow("white") << kWhite << false << QRgb(0xFFA399E3) << QRgb(0xFFDDDDDD);
    // Hover subtracts 0x00E7E7E8 from the 32-bit colour, alpha included.
    QTest::newRow("dark hover") << 0xFF000000u << true << QRgb(0xFF4AB04A) << QRgb(0xFF000000);
    QTest::newRow("white hover") << kWhite << true << QRgb(0xFFBBB1FB) << QRgb(0xFFDDDDDD);
}

void TestVisualizerPaint::buttonsShowTheirState()
{
    QFETCH(uint, background);
    QFETCH(bool, hover);
    QFETCH(QRgb, autoFill);
    QFETCH(QRgb, gridFill);
    VisualizerProbe v;
    fitUnitView(v);
    v.setBgColor(background);
    if (hover) {
        QMouseEvent move(QEvent::MouseMove, QPointF(610, 10), QPointF(610, 10), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&v, &move);
    }
    QImage image = render(v);
    QVERIFY2(closeTo(image.pixel(592, 6), autoFill), qPrintable(QString::number(image.pixel(592, 6), 16)));
    QVERIFY(closeTo(image.pixel(542, 6), gridFill));
    v.disableControls();
    image = render(v);
    QCOMPARE(image.pixel(592, 6), QRgb(background));
}

void TestVisualizerPaint::gridLinesEveryIntervalFromZero()
{
    VisualizerProbe v;
    fitGridView(v, 30.25);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    v.setRangeConstraints(QRectF(nan, -1000, nan, -1)); // no horizontal line
    const QList<int> columns = columnsOf(render(v), 238, kWholeLine);
    // 0.1 units per pixel: a step is 10 pixels, every 3rd step line drawn, counted from x = 0.
    QList<int> expected;
    for (int x = 33; x <= 633; x += 30)
        expected.append(x);
    QCOMPARE(columns, expected);
}

void TestVisualizerPaint::gridRespectsRangeConstraint()
{
    VisualizerProbe v;
    fitGridView(v, 30.25);
    v.setRangeConstraints(QRectF(0, -1000, 10, -1));
    QCOMPARE(columnsOf(render(v), 238, kWholeLine), QList<int>({333, 363, 393, 423}));
    // Without a constraint the horizontal lines come back.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    v.setRangeConstraints(QRectF(nan, nan, nan, nan));
    const QImage image = render(v);
    int rows = 0;
    for (int y = 26; y < 450; ++y)
        rows += image.pixel(100, y) == kWholeLine;
    QVERIFY(rows > 5);
}

void TestVisualizerPaint::fineGridStepHasFractionLines()
{
    VisualizerProbe v;
    fitGridView(v, 3.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    v.setRangeConstraints(QRectF(nan, -1000, nan, -1));
    const QImage image = render(v);
    // 6 / 605 units per pixel: steps of 0.2 every 20 pixels, every 2nd drawn.
    QCOMPARE(image.pixel(333, 238), kWholeLine);       // 0
    QCOMPARE(image.pixel(353, 238), QRgb(0xFF000000)); // 0.2, skipped
    QCOMPARE(image.pixel(373, 238), kFractionLine);    // 0.4
    QCOMPARE(image.pixel(293, 238), kFractionLine);    // -0.4
    QCOMPARE(image.pixel(535, 238), kWholeLine);       // 2
}

void TestVisualizerPaint::gridNeedsADrawingArea()
{
    VisualizerProbe v;
    v.resize(100, 40); // less than the top and bottom margins together
    v.setEnableScale(true);
    v.addProfile(makeProfile({{-10, -10}, {10, 10}}), "p", kRed, 0, 0, DrawPoints, false);
    const QImage image = render(v);
    for (int y = 0; y < image.height(); ++y) {
        QVERIFY(columnsOf(image, y, kWholeLine).isEmpty());
        QVERIFY(columnsOf(image, y, kFractionLine).isEmpty());
    }
}

// Until content gives the view a size, nothing is scaled: no grid line or label is drawn, and
// a world-placed text added first leaves the view for the content that follows.
void TestVisualizerPaint::emptyViewHasNoScale()
{
    VisualizerProbe v;
    v.resize(640, 480);
    v.disableAutoResize();
    v.setEnableScale(true);
    const QImage empty = render(v);
    const QRect frame(QPoint(29, 25), QPoint(635, 450)); // the outline and what it encloses
    for (int y = 0; y < empty.height(); ++y) {
        for (int x = 0; x < empty.width(); ++x) {
            const bool scene = frame.adjusted(1, 1, -1, -1).contains(x, y);
            if (scene || y > frame.bottom() || x < frame.left()) // the scene and the label margins
                QVERIFY2(empty.pixel(x, y) == 0xFF000000u, qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
        }
    }

    v.addText(100, 100, 14, "caption", "t", kRed, false);
    v.addProfile(makeProfile({{0, 0}, {640, 480}}), "p", kGreen, 0, 0, DrawPoints, false);
    QVERIFY(colourNear(render(v), v.pointToScreen({0, 0}), kGreen));
    QVERIFY(v.rect().contains(v.pointToScreen({640, 480})));
}

void TestVisualizerPaint::trackCursorIsDrawnAtTheMouse()
{
    VisualizerProbe v;
    fitUnitView(v);
    v.setBgColor(kWhite);
    v.setTrackPos(true);
    QCOMPARE(v.cursor().shape(), Qt::BlankCursor);
    QMouseEvent move(QEvent::MouseMove, QPointF(100, 100), QPointF(100, 100), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&v, &move);
    const QImage image = render(v);
    QCOMPARE(image.pixel(92, 100), QRgb(0xFF000000));
    QCOMPARE(image.pixel(100, 108), QRgb(0xFF000000));
    QCOMPARE(image.pixel(91, 100), QRgb(kWhite));
    QCOMPARE(image.pixel(104, 104), QRgb(kWhite));
    v.setTrackPos(false);
    QCOMPARE(render(v).pixel(92, 100), QRgb(kWhite));
}

void TestVisualizerPaint::blankPaintsNothing()
{
    VisualizerProbe v;
    fitUnitView(v);
    v.setBgColor(0xFF102030);
    v.blank(true);
    QVERIFY(render(v).pixel(320, 240) != 0xFF102030);
    v.blank(false);
    QCOMPARE(render(v).pixel(320, 240), QRgb(0xFF102030));
}

QTEST_MAIN(TestVisualizerPaint)
#include "tst_visualizer_paint.moc"
