#include <QtTest>

#include "VelaProfile.h"

#include <climits>
#include <cmath>
#include <random>

using namespace VelaMath;

namespace {

const float NaN = velaNaN;

// The smoothing kernel as published: weight of the point t places back.
const double kernel[20] = {0,      0.0013, 0.0047, 0.0117, 0.0238, 0.0407, 0.0612, 0.0824, 0.1011, 0.1139,
                           0.1185, 0.1139, 0.1011, 0.0824, 0.0612, 0.0407, 0.0238, 0.0117, 0.0047, 0.0013};

VelaProfile profileFromY(const QList<float>& ys, float dx = 1.0f)
{
    VelaProfile p;
    for (int i = 0; i < ys.size(); ++i)
        p.points.append(VelaPointXY(float(i) * dx, ys[i]));
    return p;
}

VelaProfile randomProfile(int n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> height(-5.0f, 5.0f);
    QList<float> ys;
    for (int i = 0; i < n; ++i)
        ys << height(rng);
    return profileFromY(ys, 0.25f);
}

QList<float> xsOf(const VelaProfile& p)
{
    QList<float> xs;
    for (const VelaPointXY& q : p.points)
        xs << q.x;
    return xs;
}

bool close(float got, double want, double tolerance = 1e-4)
{
    return std::abs(double(got) - want) <= tolerance * std::max(1.0, std::abs(want));
}

} // namespace

class TestProfileFilters : public QObject
{
    Q_OBJECT
private slots:
    // --- 20-tap smoothing ----------------------------------------------------------------

    void kihLeavesShortProfiles()
    {
        VelaProfile p = randomProfile(19, 1);
        const VelaProfile before = p;
        p.kihFilter20(NaN);
        for (int i = 0; i < 19; ++i)
            QCOMPARE(p.points[i].y, before.points[i].y);
        VelaProfile out = randomProfile(19, 2);
        const VelaProfile outBefore = out;
        p.kihFilter20(out, NaN);
        for (int i = 0; i < 19; ++i)
            QCOMPARE(out.points[i].y, outBefore.points[i].y);
    }

    void kihImpulseResponse_data()
    {
        QTest::addColumn<int>("at");
        QTest::newRow("after the first 20") << 22;
        QTest::newRow("inside the first 20") << 5;
    }

    void kihImpulseResponse()
    {
        QFETCH(int, at);
        QList<float> ys(40, 0.0f);
        ys[at] = 1000.0f;
        VelaProfile p = profileFromY(ys);
        p.kihFilter20(NaN);
        for (int i = 0; i < 40; ++i) {
            double want = 0;
            if (i < 20)
                want = ys[i]; // kept as measured
            else if (i - at >= 0 && i - at < 20)
                want = kernel[i - at] * 1000.0;
            QVERIFY2(close(p.points[i].y, want), qPrintable(QStringLiteral("point %1: %2 instead of %3")
                                                               .arg(i).arg(p.points[i].y).arg(want)));
            QCOMPARE(p.points[i].x, float(i));
        }
    }

    void kihRampIsDelayedByTenPoints()
    {
        // Sum of c[t] * (i - t) = 1.0001 * (i - 10) for the symmetric kernel.
        QList<float> ys;
        for (int i = 0; i < 60; ++i)
            ys << float(i);
        VelaProfile p = profileFromY(ys);
        p.kihFilter20(NaN);
        for (int i = 20; i < 60; ++i)
            QVERIFY2(close(p.points[i].y, 1.0001 * (i - 10)), qPrintable(QString::number(i)));
    }

    void kihConstantGainsTheKernelSum()
    {
        VelaProfile p = profileFromY(QList<float>(30, 2.5f));
        p.kihFilter20(NaN);
        for (int i = 0; i < 20; ++i)
            QCOMPARE(p.points[i].y, 2.5f);
        for (int i = 20; i < 30; ++i)
            QVERIFY(close(p.points[i].y, 2.5 * 1.0001, 1e-6));
    }

    void kihDoesNotSmoothAcrossGaps()
    {
        QList<float> ys(40, 1.0f);
        ys[30] = 50.0f;
        VelaProfile p = profileFromY(ys);
        for (int i = 30; i < 40; ++i)
            p.points[i].x += 5.0f; // a 6 mm gap before point 30
        VelaProfile noLimit = p;
        p.kihFilter20(2.0f);
        noLimit.kihFilter20(NaN);
        QCOMPARE(p.points[30].y, 50.0f);
        QVERIFY(close(noLimit.points[30].y, 1.0001 - kernel[0]));
        // The gap spares only the point right after it.
        QVERIFY(close(p.points[31].y, noLimit.points[31].y, 0));
        QVERIFY(close(p.points[31].y, (1.0001 - kernel[1]) + kernel[1] * 50, 1e-5));
    }

    void kihIntoAnotherProfile()
    {
        VelaProfile in = randomProfile(40, 3);
        const VelaProfile inBefore = in;
        VelaProfile inPlace = in;
        inPlace.kihFilter20(NaN);

        VelaProfile longer = randomProfile(50, 4);
        const VelaProfile longerBefore = longer;
        in.kihFilter20(longer, NaN);
        QCOMPARE(longer.size(), 50);
        for (int i = 0; i < 40; ++i) {
            QCOMPARE(longer.points[i].x, inBefore.points[i].x);
            QCOMPARE(longer.points[i].y, inPlace.points[i].y);
        }
        for (int i = 40; i < 50; ++i)
            QCOMPARE(longer.points[i].y, longerBefore.points[i].y);
        for (int i = 0; i < 40; ++i)
            QCOMPARE(in.points[i].y, inBefore.points[i].y); // the input stays as it was

        // A shorter output grows to the input's length.
        VelaProfile shorter = randomProfile(10, 5);
        in.kihFilter20(shorter, NaN);
        QCOMPARE(shorter.size(), 40);
        for (int i = 0; i < 40; ++i)
            QCOMPARE(shorter.points[i].y, inPlace.points[i].y);
    }

    // --- moving mean --------------------------------------------------------------------

    void windowByHand()
    {
        // w = 3 writes to offset 1; each mean feeds the next window.
        VelaProfile p = profileFromY({0, 0, 0, 3, 0, 0, 0});
        p.wndFilter(3);
        const double want[] = {0, 0, 1, 4.0 / 3, 4.0 / 9, 0, 0};
        for (int i = 0; i < 7; ++i)
            QVERIFY2(close(p.points[i].y, want[i], 1e-6), qPrintable(QString::number(i)));
    }

    void windowOfTenTouchesOnlyItsOffsets()
    {
        VelaProfile p = randomProfile(15, 6);
        const VelaProfile before = p;
        p.wndFilter(10);
        // Offset floor(10 / 2.5) = 4; windows start at 0 .. 4.
        double first = 0;
        for (int k = 0; k < 10; ++k)
            first += before.points[k].y;
        QVERIFY(close(p.points[4].y, first / 10, 1e-5));
        for (int i = 0; i < 15; ++i) {
            if (i >= 4 && i <= 8)
                QVERIFY(p.points[i].y != before.points[i].y);
            else
                QCOMPARE(p.points[i].y, before.points[i].y);
            QCOMPARE(p.points[i].x, before.points[i].x);
        }
    }

    void windowKeepsRampWhenCentred()
    {
        // An odd window writes to its centre, and a ramp's mean is its centre value.
        QList<float> ys;
        for (int i = 0; i < 30; ++i)
            ys << 0.5f * float(i) - 3.0f;
        VelaProfile p = profileFromY(ys);
        p.wndFilter(5);
        for (int i = 0; i < 30; ++i)
            QVERIFY(close(p.points[i].y, ys[i], 1e-5));
    }

    void windowRefusals_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("window");
        QTest::newRow("zero window") << 20 << 0;
        QTest::newRow("negative window") << 20 << -4;
        QTest::newRow("window as long as the profile") << 10 << 10;
        QTest::newRow("window longer than the profile") << 10 << 25;
    }

    void windowRefusals()
    {
        QFETCH(int, points);
        QFETCH(int, window);
        VelaProfile p = randomProfile(points, 7);
        const VelaProfile before = p;
        p.wndFilter(window);
        for (int i = 0; i < points; ++i)
            QCOMPARE(p.points[i].y, before.points[i].y);
    }

    // --- spike removal ------------------------------------------------------------------

    void splash_data()
    {
        QTest::addColumn<QList<float>>("ys");
        QTest::addColumn<float>("dx");
        QTest::addColumn<float>("maxD2y");
        QTest::addColumn<float>("maxDx");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<QList<int>>("kept");

        const QList<float> spike{0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0};
        const QList<float> step{0, 0, 0, 0, 0, 5, 5, 5, 5, 5, 5, 5};
        QTest::newRow("five points") << QList<float>{0, 9, 0, 9, 0} << 1.0f << 1.0f << 1.0f << false
                                     << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("smooth") << QList<float>{0, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f} << 1.0f << 1.0f << 1.0f << false
                                << QList<int>{0, 1, 2, 3, 4, 5};
        // Curvature at point 4, 5 and 6 marks 3 .. 6 (a d2 index taken as a point index).
        QTest::newRow("spike, wide spacing") << spike << 1.0f << 1.0f << 1.0f << true
                                             << QList<int>{0, 1, 2, 7, 8, 9, 10, 11};
        // With close points the walk from the spike's far side runs on to the end of the
        // flat part; its height sum of -10 is below the limit, so all of it goes.
        QTest::newRow("spike, close spacing") << spike << 0.1f << 1.0f << 1.0f << true
                                              << QList<int>{0, 1, 2, 11};
        // A step's walk sums +5, above the limit: only the corner points go.
        QTest::newRow("step") << step << 0.1f << 1.0f << 1.0f << true
                              << QList<int>{0, 1, 2, 5, 6, 7, 8, 9, 10, 11};
        // A step down sums -5: the walk that resumes at the second corner removes the rest.
        QTest::newRow("step down") << QList<float>{5, 5, 5, 5, 5, 0, 0, 0, 0, 0, 0, 0} << 0.1f << 1.0f << 1.0f
                                   << true << QList<int>{0, 1, 2, 11};
        QTest::newRow("spike below the limit") << spike << 1.0f << 25.0f << 1.0f << false
                                               << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        QTest::newRow("NaN curvature limit") << spike << 1.0f << NaN << 1.0f << false
                                             << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        QTest::newRow("NaN height limit") << spike << 1.0f << 1.0f << NaN << false
                                          << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    }

    void splash()
    {
        QFETCH(QList<float>, ys);
        QFETCH(float, dx);
        QFETCH(float, maxD2y);
        QFETCH(float, maxDx);
        QFETCH(bool, removed);
        QFETCH(QList<int>, kept);

        VelaProfile p = profileFromY(ys, dx);
        VelaProfile caller = randomProfile(8, 8);
        const VelaProfile callerBefore = caller;
        QCOMPARE(caller.splashFilter(p, maxD2y, maxDx), removed);
        QCOMPARE(p.size(), int(kept.size()));
        for (int i = 0; i < kept.size(); ++i) {
            QCOMPARE(p.points[i].x, float(kept[i]) * dx);
            QCOMPARE(p.points[i].y, ys[kept[i]]);
        }
        QVERIFY(xsOf(caller) == xsOf(callerBefore)); // the object called on is not touched
    }

    void splashOnItself()
    {
        VelaProfile p = profileFromY({0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0});
        QVERIFY(p.splashFilter(p, 1.0f, 1.0f));
        QCOMPARE(xsOf(p), (QList<float>{0, 1, 2, 7, 8, 9, 10, 11}));
    }

    // --- slope and median windows ---------------------------------------------------------

    void slopeWindowOfRamp()
    {
        // y = 3x + 2 on uneven x: every even window measures the slope 3.
        VelaProfile p;
        for (int i = 0; i < 12; ++i) {
            const float x = 0.1f * float(i * i);
            p.points.append(VelaPointXY(x, 3 * x + 2));
        }
        VelaProfile out = p;
        p.diffFilt(out, 4);
        for (int i = 0; i <= 8; ++i)
            QVERIFY2(close(out.points[i].y, 3.0, 1e-4), qPrintable(QString::number(i)));
        for (int i = 9; i < 12; ++i)
            QCOMPARE(out.points[i].y, p.points[i].y);
    }

    void slopeWindowOddByHand()
    {
        // Window 3: (y1 + y2 - y0) / (x1 + x2 - x0); for (0, 2), (1, 5), (2, 8): 11 / 3.
        VelaProfile p = profileFromY({2, 5, 8, 11, 14});
        VelaProfile out = p;
        p.diffFilt(out, 3);
        QVERIFY(close(out.points[0].y, 11.0 / 3, 1e-6));
        QCOMPARE(out.points[3].y, 11.0f);
    }

    void slopeWindowStaysInsideBothProfiles()
    {
        VelaProfile p = profileFromY(QList<float>(20, 1.0f));
        VelaProfile out;
        for (int i = 0; i < 8; ++i)
            out.points.append(VelaPointXY(float(i), 2.0f * float(i)));
        p.diffFilt(out, 4);
        QCOMPARE(out.size(), 8);
        for (int i = 0; i <= 4; ++i)
            QVERIFY(close(out.points[i].y, 2.0, 1e-6));
        for (int i = 5; i < 8; ++i)
            QCOMPARE(out.points[i].y, 2.0f * float(i));

        // Too few points in this profile, or no window: nothing happens.
        VelaProfile few = profileFromY({1, 2, 3, 4, 5});
        VelaProfile untouched = profileFromY({1, 2, 3, 4, 5});
        few.diffFilt(untouched, 4);
        p.diffFilt(untouched, 0);
        p.diffFilt(untouched, -2);
        QCOMPARE(untouched.points[0].y, 1.0f);
    }

    void medianWindowTakesMiddleByX()
    {
        VelaProfile p;
        for (const VelaPointXY& q : {VelaPointXY(3, 30), VelaPointXY(1, 10), VelaPointXY(2, 20), VelaPointXY(0, 0),
                                     VelaPointXY(5, 50), VelaPointXY(4, 40)})
            p.points.append(q);
        VelaProfile out = profileFromY({-1, -1, -1, -1, -1, -1});
        p.medFilt(out, 3, 0);
        // Windows start at 0 .. n - window - 1 = 2.
        QCOMPARE(out.points[0].y, 20.0f);
        QCOMPARE(out.points[1].y, 10.0f);
        QCOMPARE(out.points[2].y, 20.0f);
        QCOMPARE(out.points[3].y, -1.0f);
        QCOMPARE(p.points[0].x, 3.0f); // the profile itself is not sorted
    }

    void medianWindowOnSortedProfile()
    {
        VelaProfile p = randomProfile(30, 9);
        const VelaProfile before = p;
        p.medFilt(p, 5, 1);
        for (int i = 0; i < 30; ++i)
            QCOMPARE(p.points[i].y, before.points[i < 25 ? i + 2 : i].y);
    }

    void medianWindowStaysInsideBothProfiles()
    {
        VelaProfile p = randomProfile(30, 10);
        VelaProfile out = profileFromY({7, 7, 7});
        p.medFilt(out, 5, 0);
        QCOMPARE(out.size(), 3);
        QCOMPARE(out.points[2].y, p.points[4].y);

        VelaProfile untouched = profileFromY({7, 7, 7});
        p.medFilt(untouched, 0, 0);
        p.medFilt(untouched, 30, 0);
        QCOMPARE(untouched.points[0].y, 7.0f);
    }

    // The window's size checks must not overflow (the undefined-behaviour sanitizer stops here).
    void windowsNearIntMaxChangeNothing()
    {
        VelaProfile p = randomProfile(30, 11);
        const VelaProfile before = p;
        for (int window : {INT_MAX, INT_MAX - 1}) {
            p.diffFilt(p, window);
            p.medFilt(p, window, 0);
        }
        for (int i = 0; i < 30; ++i)
            QCOMPARE(p.points[i].y, before.points[i].y);
    }
};

QTEST_APPLESS_MAIN(TestProfileFilters)
#include "tst_profilefilters.moc"
