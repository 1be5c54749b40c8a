#include <QtTest>

#include "VelaInterpolant.h"
#include "VelaProfile.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

using namespace VelaMath;

namespace {

const float NaN = velaNaN;

VelaPointCloud<VelaPointXY> cloudOf(const std::vector<double>& xs, const std::vector<double>& ys)
{
    VelaPointCloud<VelaPointXY> cloud;
    for (std::size_t i = 0; i < xs.size(); ++i)
        cloud.points.append(VelaPointXY(float(xs[i]), float(ys[i])));
    return cloud;
}

// The Akima spline written the textbook way, in double: tangents from the
// neighbouring secants, parabola tangents (Lagrange form) at both ends, and
// evaluation through the cubic Hermite basis.
class ReferenceAkima
{
public:
    ReferenceAkima(const std::vector<double>& x, const std::vector<double>& y)
        : x(x), y(y), t(x.size())
    {
        const std::size_t n = x.size();
        std::vector<double> m(n);
        for (std::size_t i = 0; i + 1 < n; ++i)
            m[i] = (y[i + 1] - y[i]) / (x[i + 1] - x[i]);
        m[n - 1] = m[n - 2];
        for (std::size_t i = 2; i + 2 < n; ++i) {
            const double right = std::abs(m[i + 1] - m[i]);
            const double left = std::abs(m[i - 1] - m[i - 2]);
            if (left + right > 0) {
                t[i] = (right * m[i - 1] + left * m[i]) / (right + left);
            } else {
                // Two straight pieces meeting: the tangent leans towards the longer one.
                const double hl = x[i] - x[i - 1];
                const double hr = x[i + 1] - x[i];
                t[i] = (hr * m[i - 1] + hl * m[i]) / (hl + hr);
            }
        }
        t[0] = parabolaSlope(0, 0);
        t[1] = parabolaSlope(0, 1);
        t[n - 2] = parabolaSlope(n - 3, n - 2);
        t[n - 1] = parabolaSlope(n - 3, n - 1);
    }

    double operator()(double at) const
    {
        std::size_t i = 0;
        while (i + 2 < x.size() && at > x[i + 1])
            ++i;
        const double h = x[i + 1] - x[i];
        const double s = (at - x[i]) / h;
        const double h00 = 2 * s * s * s - 3 * s * s + 1;
        const double h10 = s * s * s - 2 * s * s + s;
        const double h01 = -2 * s * s * s + 3 * s * s;
        const double h11 = s * s * s - s * s;
        return h00 * y[i] + h10 * h * t[i] + h01 * y[i + 1] + h11 * h * t[i + 1];
    }

private:
    // Slope at x[at] of the parabola through the points first .. first + 2.
    double parabolaSlope(std::size_t first, std::size_t at) const
    {
        const double a = x[first], b = x[first + 1], c = x[first + 2];
        const double v = x[at];
        return y[first] * (2 * v - b - c) / ((a - b) * (a - c))
            + y[first + 1] * (2 * v - a - c) / ((b - a) * (b - c))
            + y[first + 2] * (2 * v - a - b) / ((c - a) * (c - b));
    }

    std::vector<double> x, y, t;
};

// The de-duplication as defined: for each point, every later point with the
// same x goes.
QList<VelaPointXY> withoutLaterDuplicates(QList<VelaPointXY> points)
{
    for (qsizetype i = 0; i < points.size(); ++i) {
        for (qsizetype j = points.size() - 1; j > i; --j) {
            if (points[j].x == points[i].x)
                points.removeAt(j);
        }
    }
    return points;
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

} // namespace

class TestInterpolant : public QObject
{
    Q_OBJECT
private slots:
    void emptyInterpolantAnswersNaN()
    {
        VelaInterpolant ip;
        QCOMPARE(ip.type(), -1);
        QCOMPARE(ip.count(), 0);
        QVERIFY(std::isnan(ip.calcY(0)));
        VelaPointCloud<VelaPointXY> out;
        out.points.append(VelaPointXY(1, 1));
        QCOMPARE(ip.generatePointCloud(out, 1.0f, NaN, NaN), 0);
        QCOMPARE(out.size(), 1);
    }

    void matchesAkimaDefinition_data()
    {
        QTest::addColumn<std::vector<double>>("xs");
        QTest::addColumn<std::vector<double>>("ys");

        QTest::newRow("uneven knots with a bump")
            << std::vector<double>{0, 0.7, 1.5, 2.1, 3.4, 4.0, 5.2, 6.0, 7.5, 8.1}
            << std::vector<double>{1, 1.3, 0.8, 4.5, 4.9, 5.0, 2.0, 2.1, 2.0, 3.5};
        QTest::newRow("two straight pieces")
            << std::vector<double>{0, 1, 2, 3, 5, 6, 7, 8}
            << std::vector<double>{0, 1, 2, 3, 1, 0, -1, -2};
        QTest::newRow("corner between unequal intervals")
            << std::vector<double>{0, 1, 2, 3, 3.5, 4, 4.5, 5}
            << std::vector<double>{0, 1, 2, 3, 4, 5, 6, 7};
        QTest::newRow("three points") << std::vector<double>{-1, 0.5, 2} << std::vector<double>{2, -1, 3};
        QTest::newRow("four points") << std::vector<double>{10, 11, 13, 14} << std::vector<double>{0, 2, 1, 5};
        std::vector<double> xs, ys;
        for (int i = 0; i < 40; ++i) {
            xs.push_back(i * 0.25 + 0.01 * (i % 3));
            ys.push_back(std::sin(xs.back()) * 10 + (i == 17 ? 6 : 0));
        }
        QTest::newRow("sampled sine with a spike") << xs << ys;
    }

    void matchesAkimaDefinition()
    {
        QFETCH(std::vector<double>, xs);
        QFETCH(std::vector<double>, ys);

        const VelaInterpolant ip(cloudOf(xs, ys), InterpolantAkima);
        QCOMPARE(ip.count(), int(xs.size()));
        QCOMPARE(ip.type(), int(InterpolantAkima));
        const ReferenceAkima reference(xs, ys);
        double scale = 1;
        for (double v : ys)
            scale = std::max(scale, std::abs(v));
        const int samples = 500;
        for (int k = 0; k <= samples; ++k) {
            const double x = xs.front() + (xs.back() - xs.front()) * k / samples;
            const float got = ip.calcY(float(x));
            const double want = reference(double(float(x)));
            if (std::abs(got - want) > 2e-5 * scale)
                QFAIL(qPrintable(QStringLiteral("x %1: %2 instead of %3").arg(x).arg(got).arg(want)));
        }
        QCOMPARE(ip.calcY(float(xs.front())), float(ys.front()));
    }

    void reproducesStraightLine()
    {
        const std::vector<double> xs{-3, -1, 0.5, 2, 2.25, 6};
        std::vector<double> ys;
        for (double x : xs)
            ys.push_back(2 * x + 1);
        const VelaInterpolant ip(cloudOf(xs, ys), InterpolantAkima);
        for (float x : {-3.0f, -2.0f, 0.0f, 1.75f, 2.1f, 5.99f, 6.0f})
            QVERIFY2(std::abs(ip.calcY(x) - (2 * x + 1)) < 1e-5f, qPrintable(QString::number(x)));
    }

    void calcYOutsideKnotsIsNaN()
    {
        const VelaInterpolant ip(cloudOf({0, 1, 2, 3}, {0, 1, 4, 9}), InterpolantAkima);
        QVERIFY(std::isnan(ip.calcY(-1e-6f)));
        QVERIFY(std::isnan(ip.calcY(3.000001f)));
        QVERIFY(std::isnan(ip.calcY(NaN)));
        QVERIFY(!std::isnan(ip.calcY(3.0f)));
        // Parabola data: the end tangents are exact, so the last segment is too.
        QVERIFY(std::abs(ip.calcY(2.5f) - 6.25f) < 1e-5f);
    }

    void buildSortsItsCopy()
    {
        VelaPointCloud<VelaPointXY> shuffled = cloudOf({3, 0, 2, 1, 4}, {9, 0, 4, 1, 16});
        const VelaInterpolant fromShuffled(shuffled, InterpolantAkima);
        const VelaInterpolant fromSorted(cloudOf({0, 1, 2, 3, 4}, {0, 1, 4, 9, 16}), InterpolantAkima);
        for (float x = 0; x <= 4; x += 0.125f)
            QCOMPARE(fromShuffled.calcY(x), fromSorted.calcY(x));
        QCOMPARE(shuffled.points[0].x, 3.0f); // the caller's cloud is not sorted
    }

    void buildRefusals()
    {
        VelaInterpolant ip(cloudOf({0, 1, 2}, {0, 1, 0}), InterpolantAkima);
        QVERIFY(!std::isnan(ip.calcY(1.0f)));

        // Type -1 builds nothing and keeps what was built.
        QCOMPARE(ip.buildFromPointCloud(cloudOf({0, 1, 2}, {5, 5, 5}), _VelaInterpolantType_(-1)), 0);
        QCOMPARE(ip.calcY(1.0f), 1.0f);

        // Two points are not enough; the old curve is gone.
        QCOMPARE(ip.buildFromPointCloud(cloudOf({0, 1}, {0, 1}), InterpolantAkima), 0);
        QCOMPARE(ip.type(), -1);
        QVERIFY(std::isnan(ip.calcY(0.5f)));

        QVERIFY(ip.buildFromPointCloud(cloudOf({0, 1, 2}, {0, 1, 0}), InterpolantAkima) != 0);
        QCOMPARE(ip.buildFromPointCloud(cloudOf({0, 1, 2, 3}, {0, 1, 0, 1}), _VelaInterpolantType_(1)), 0);
        QCOMPARE(ip.count(), 0);
        QVERIFY(std::isnan(ip.calcY(1.0f)));
    }

    void copiesAreIndependent()
    {
        auto original = std::make_unique<VelaInterpolant>(cloudOf({0, 1, 2, 3}, {0, 1, 4, 9}), InterpolantAkima);
        const float at = original->calcY(1.5f);
        VelaInterpolant assigned;
        assigned = *original;
        const VelaInterpolant constructed(*original);
        original->clear();
        QVERIFY(std::isnan(original->calcY(1.5f)));
        original.reset();
        QCOMPARE(assigned.calcY(1.5f), at);
        QCOMPARE(constructed.calcY(1.5f), at);
    }

    void sampling_data()
    {
        QTest::addColumn<float>("step");
        QTest::addColumn<float>("from");
        QTest::addColumn<float>("to");
        QTest::addColumn<QList<float>>("xs");

        // Knots at 0, 1, 2, 3.
        QTest::newRow("whole range, end excluded") << 1.0f << NaN << NaN << QList<float>{0, 1, 2};
        QTest::newRow("half steps") << 0.5f << NaN << NaN << QList<float>{0, 0.5f, 1, 1.5f, 2, 2.5f};
        QTest::newRow("inner window") << 0.5f << 0.5f << 2.2f << QList<float>{0.5f, 1, 1.5f, 2};
        QTest::newRow("limits beyond the knots") << 1.0f << -5.0f << 7.0f << QList<float>{0, 1, 2};
        QTest::newRow("start past the end") << 1.0f << 3.5f << NaN << QList<float>{};
        QTest::newRow("step past the end") << 10.0f << NaN << NaN << QList<float>{0};
    }

    void sampling()
    {
        QFETCH(float, step);
        QFETCH(float, from);
        QFETCH(float, to);
        QFETCH(QList<float>, xs);

        const VelaInterpolant ip(cloudOf({0, 1, 2, 3}, {0, 1, 4, 9}), InterpolantAkima);
        VelaPointCloud<VelaPointXY> out = cloudOf({-1, -2}, {-1, -2});
        QCOMPARE(ip.generatePointCloud(out, step, from, to), int(xs.size()));
        QCOMPARE(out.size(), int(xs.size()));
        for (int i = 0; i < xs.size(); ++i) {
            QCOMPARE(out.points[i].x, xs[i]);
            QCOMPARE(out.points[i].y, ip.calcY(xs[i]));
        }
    }

    void samplesAgreeWithCalcY_data()
    {
        QTest::addColumn<std::vector<double>>("xs");
        QTest::addColumn<float>("from");

        std::vector<double> uneven;
        for (int i = 0; i < 200; ++i)
            uneven.push_back(i * 0.3 + 0.2 * std::sin(i * 1.7));
        QTest::newRow("uneven knots") << uneven << NaN;
        QTest::newRow("starting deep inside") << uneven << 41.3f;
        QTest::newRow("repeated knot") << std::vector<double>{0, 1, 2, 2, 3, 4, 5} << NaN;
        // A NaN x stays where it is in the sorted copy.
        QTest::newRow("NaN knot") << std::vector<double>{0, 1, 2, double(NaN), 3, 4, 5} << NaN;
    }

    void samplesAgreeWithCalcY()
    {
        QFETCH(std::vector<double>, xs);
        QFETCH(float, from);

        std::vector<double> ys;
        for (std::size_t i = 0; i < xs.size(); ++i)
            ys.push_back(std::cos(double(i)) * 3);
        const VelaInterpolant ip(cloudOf(xs, ys), InterpolantAkima);
        VelaPointCloud<VelaPointXY> out;
        const int n = ip.generatePointCloud(out, 0.0173f, from, NaN);
        QVERIFY(n > 0);
        for (const VelaPointXY& p : out.points)
            QVERIFY(sameBits(p.y, ip.calcY(p.x)));
    }

    void samplingRefusesBadStep_data()
    {
        QTest::addColumn<float>("step");
        QTest::newRow("zero") << 0.0f;
        QTest::newRow("negative") << -1.0f;
        QTest::newRow("NaN") << NaN;
    }

    void samplingRefusesBadStep()
    {
        QFETCH(float, step);
        const VelaInterpolant ip(cloudOf({0, 1, 2, 3}, {0, 1, 4, 9}), InterpolantAkima);
        VelaPointCloud<VelaPointXY> out = cloudOf({7}, {7});
        QCOMPARE(ip.generatePointCloud(out, step, NaN, NaN), 0);
        QCOMPARE(out.size(), 1);
        QCOMPARE(ip.generatePointCloudH(out, 1, 0, 3, 0), 0);
        QCOMPARE(out.size(), 1);
    }

    void samplingStopsWhenStepIsBelowResolution()
    {
        // Near 1e6 a float advances in steps of 0.0625: a step of 0.01 would never move x.
        const VelaInterpolant ip(cloudOf({1e6, 1e6 + 1, 1e6 + 2}, {1, 2, 3}), InterpolantAkima);
        VelaPointCloud<VelaPointXY> out;
        QCOMPARE(ip.generatePointCloud(out, 0.01f, NaN, NaN), 1);
        QCOMPARE(out.points[0].x, 1e6f);
        // A step just above half the resolution still advances and ends.
        QCOMPARE(ip.generatePointCloud(out, 0.04f, NaN, NaN), 32);
    }

    void interpolateResamplesProfile()
    {
        VelaProfile p;
        for (float x : {3.0f, 0.0f, 2.0f, 1.0f, 2.0f})
            p.points.append(VelaPointXY(x, x * x));
        QCOMPARE(p.interpolate(1.0f, NaN, NaN, InterpolantAkima), 3);
        const VelaInterpolant ip(cloudOf({0, 1, 2, 3}, {0, 1, 4, 9}), InterpolantAkima);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(p.points[i].x, float(i));
            QCOMPARE(p.points[i].y, ip.calcY(float(i)));
        }
    }

    void interpolateWithoutCurveKeepsCleanedPoints_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<float>>("xs");
        QTest::addColumn<QList<float>>("expected");

        QTest::newRow("unsupported type") << 1 << QList<float>{3, 1, 3, 2, 1} << QList<float>{1, 2, 3};
        QTest::newRow("too few points") << 0 << QList<float>{5, 4, 5} << QList<float>{4, 5};
    }

    void interpolateWithoutCurveKeepsCleanedPoints()
    {
        QFETCH(int, type);
        QFETCH(QList<float>, xs);
        QFETCH(QList<float>, expected);

        VelaProfile p;
        for (float x : xs)
            p.points.append(VelaPointXY(x, 10 * x));
        QCOMPARE(p.interpolate(0.5f, NaN, NaN, _VelaInterpolantType_(type)), int(expected.size()));
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(p.points[i].x, expected[i]);
            QCOMPARE(p.points[i].y, 10 * expected[i]);
        }
    }

    void applicationSplineCallGives1024Samples()
    {
        // 1025 points 1/16 apart: the width is 64 and the step exactly 1/16.
        VelaProfile p;
        for (int i = 1024; i >= 0; --i)
            p.points.append(VelaPointXY(i * 0.0625f, std::sin(i * 0.01f) * 5));
        QVERIFY(p.calcRange());
        QCOMPARE(p.interpolate((p.maxX - p.minX) * 0.0009765625f, NaN, NaN, InterpolantAkima), 1024);
        for (int i = 0; i < 1024; ++i) {
            QCOMPARE(p.points[i].x, i * 0.0625f);
            QVERIFY(std::abs(p.points[i].y - std::sin(i * 0.01f) * 5) < 1e-4f);
        }
    }

    // Sensors report points where they see no line; at the ends they must not empty the profile.
    void applicationSplineCallDrawsFromDefinedPoints_data()
    {
        QTest::addColumn<VelaPointXY>("undefined");
        QTest::addColumn<int>("defined");
        QTest::newRow("no coordinate") << VelaPointXY(NaN, NaN) << 40;
        QTest::newRow("no height") << VelaPointXY(-1, NaN) << 40;
        QTest::newRow("too few defined") << VelaPointXY(NaN, NaN) << 2;
    }

    void applicationSplineCallDrawsFromDefinedPoints()
    {
        QFETCH(VelaPointXY, undefined);
        QFETCH(int, defined);

        VelaProfile inner;
        for (int i = 0; i < defined; ++i)
            inner.points.append(VelaPointXY(float(i), std::cos(i * 0.3f) * 4));
        VelaProfile p;
        p.points << undefined << inner.points << VelaPointXY(undefined.x == -1 ? 99 : NaN, NaN);
        const VelaProfile sent = p;
        QVERIFY(p.calcRange());
        const float step = (p.maxX - p.minX) * 0.0009765625f;
        const int n = p.interpolate(step, NaN, NaN, InterpolantAkima);
        if (defined < 3) {
            QCOMPARE(n, sent.size()); // nothing to fit: drawn as received
            return;
        }
        // The curve through the defined points alone, sampled from the first to the last of them.
        QVERIFY(inner.interpolate(step, NaN, NaN, InterpolantAkima) > 0);
        QCOMPARE(n, inner.size());
        for (int i = 0; i < n; ++i)
            QVERIFY(sameBits(p.points[i].x, inner.points[i].x) && sameBits(p.points[i].y, inner.points[i].y));
    }

    void removeDuplicatesKeepsFirstOccurrence_data()
    {
        QTest::addColumn<int>("seed");
        QTest::addColumn<int>("distinct");
        for (int seed = 1; seed <= 6; ++seed)
            QTest::addRow("seed %d", seed) << seed << (seed % 2 ? 8 : 400);
    }

    void removeDuplicatesKeepsFirstOccurrence()
    {
        QFETCH(int, seed);
        QFETCH(int, distinct);

        std::mt19937 rng(seed);
        std::uniform_int_distribution<int> pick(0, distinct - 1);
        VelaProfile p;
        for (int i = 0; i < 300; ++i) {
            const int k = pick(rng);
            // Some NaN x (never equal to anything) and both zeros (equal to each other).
            const float x = k == 0 ? NaN : k == 1 ? (i % 2 ? -0.0f : 0.0f) : float(k) * 0.5f;
            p.points.append(VelaPointXY(x, float(i)));
        }
        const QList<VelaPointXY> expected = withoutLaterDuplicates(p.points);
        p.removeDuplicates();
        QCOMPARE(p.points.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QVERIFY(sameBits(p.points[i].x, expected[i].x));
            QCOMPARE(p.points[i].y, expected[i].y);
        }
    }
};

QTEST_APPLESS_MAIN(TestInterpolant)
#include "tst_interpolant.moc"
