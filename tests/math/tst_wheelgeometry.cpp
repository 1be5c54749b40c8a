#include "VelaMetro.h"
#include "tst_wheelfixtures.h"

#include <QtTest>

#include <climits>
#include <cmath>

using namespace VelaMath;
using namespace WheelFixtures;

namespace {

const float NaN = velaNaN;

// Heights at x = 0, 1, 2, ...
VelaProfile heights(const QList<float>& ys)
{
    VelaProfile p;
    for (int i = 0; i < ys.size(); ++i)
        p.points.append(VelaPointXY(float(i), ys[i]));
    return p;
}

// |i - apex| for i = 0 .. n - 1: a V whose trend turns at the apex.
QList<float> vShape(int n, int apex)
{
    QList<float> ys;
    for (int i = 0; i < n; ++i)
        ys << float(std::abs(i - apex));
    return ys;
}

// A zigzag of straight pieces through (0, 0), (20, 20), (40, 0), ... at integer x.
VelaProfile zigzag(int corners)
{
    VelaProfile p;
    for (int i = 0; i <= 20 * (corners + 1); ++i) {
        const int inPiece = i % 40;
        p.points.append(VelaPointXY(float(i), float(inPiece <= 20 ? inPiece : 40 - inPiece)));
    }
    return p;
}

bool near(float a, float b, float tolerance)
{
    return std::isnan(a) ? std::isnan(b) : std::fabs(a - b) <= tolerance;
}

} // namespace

class tst_WheelGeometry : public QObject
{
    Q_OBJECT

private slots:
    void cutPoint_data()
    {
        QTest::addColumn<QList<float>>("ys");
        QTest::addColumn<int>("window");
        QTest::addColumn<float>("threshold");
        QTest::addColumn<int>("cut");

        QTest::newRow("valley") << vShape(21, 10) << 3 << 0.5f << 10;
        QList<float> peak = vShape(21, 7);
        for (float& y : peak)
            y = -y;
        QTest::newRow("peak") << peak << 3 << 0.5f << 7;
        QTest::newRow("last examined index") << vShape(21, 15) << 3 << 0.5f << 15;
        QTest::newRow("beyond the examined range") << vShape(21, 16) << 3 << 0.5f << -1;
        QTest::newRow("turn weaker than the threshold") << vShape(21, 10) << 3 << 6.0f << -1;
        QTest::newRow("straight ramp") << QList<float>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11} << 2
                                       << 0.0f << -1;
        QList<float> withHole = vShape(21, 10);
        withHole[1] = NaN;
        QTest::newRow("NaN far from the turn") << withHole << 3 << 0.5f << 10;
        QTest::newRow("fewer than two windows") << vShape(5, 2) << 3 << 0.0f << -1;
        QTest::newRow("window 0") << vShape(21, 10) << 0 << 0.5f << -1;
        QTest::newRow("negative window") << vShape(21, 10) << -2 << 0.5f << -1;
        QTest::newRow("huge window") << vShape(21, 10) << INT_MAX << 0.5f << -1;
    }

    void cutPoint()
    {
        QFETCH(QList<float>, ys);
        QFETCH(int, window);
        QFETCH(float, threshold);
        QFETCH(int, cut);
        VelaProfile p = heights(ys);
        QCOMPARE(p.calcCutPoint(window, threshold), cut);
    }

    void cutPoints()
    {
        // Valleys at 10 and 30, a peak at 20; each search goes on after the last cut.
        QList<float> ys;
        for (int i = 0; i <= 40; ++i)
            ys << float(i <= 20 ? 10 - std::abs(i - 10) : 10 - std::abs(i - 30));
        for (float& y : ys)
            y = 10 - y;
        VelaProfile p = heights(ys);
        VelaProfile cuts = heights({1, 2});
        QList<int> indices{99};
        QCOMPARE(p.detectCutPoints(cuts, indices, 3, 0.5f), 3);
        QCOMPARE(indices, (QList<int>{99, 10, 20, 30}));
        QCOMPARE(cuts.points[1].x, 20.0f);
        QCOMPARE(cuts.points[1].y, 10.0f);
        QCOMPARE(p.size(), 41);

        // A window that finds nothing ends the search.
        QCOMPARE(p.detectCutPoints(cuts, indices, 0, 0.5f), 0);
        QCOMPARE(cuts.size(), 0);
    }

    void apexes_data()
    {
        QTest::addColumn<float>("maxStep");
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<QList<float>>("cornersXY");
        // Corners of the zigzag at x = 20, 40, 60, 80; lines run between cut points only.
        QTest::newRow("every corner") << 1.0f << 3 << QList<float>{40, 0, 60, 20};
        QTest::newRow("flat cuts removed") << 25.0f << 1 << QList<float>{};
        QTest::newRow("cuts on a line removed") << 7.0f << 1 << QList<float>{};
    }

    void apexes()
    {
        QFETCH(float, maxStep);
        QFETCH(int, lineCount);
        QFETCH(QList<float>, cornersXY);
        VelaProfile out = heights({-1}); // appended to, not emptied
        QList<VelaLine> lines{VelaLine(5, 5)};
        QCOMPARE(METRO_detectApexes(zigzag(4), out, lines, maxStep), 1 + int(cornersXY.size() / 2));
        QCOMPARE(lines.size(), lineCount);
        for (int i = 0; i < cornersXY.size() / 2; ++i) {
            QVERIFY(near(out.points[i + 1].x, cornersXY[2 * i], 1e-3f));
            QVERIFY(near(out.points[i + 1].y, cornersXY[2 * i + 1], 1e-3f));
        }
        if (lineCount == 3) {
            QVERIFY(near(lines[0].k, -1, 1e-4f) && near(lines[1].k, 1, 1e-4f)
                    && near(lines[2].k, -1, 1e-4f));
        }
    }

    void sensorToWorld_data()
    {
        QTest::addColumn<QList<float>>("mounting"); // x0, y0, z0, a, b, g
        QTest::addColumn<QList<float>>("rolling");  // r, s, k; empty: the degree form
        QTest::addColumn<QList<float>>("point");
        QTest::addColumn<QList<float>>("expected");
        QTest::addColumn<float>("tolerance");

        const QList<float> origin{10, 20, 30};
        const QList<float> p{2, 5};
        QTest::newRow("no rotation") << origin + QList<float>{0, 0, 0} << QList<float>{} << p
                                     << QList<float>{15, 20, 32} << 0.0f;
        QTest::newRow("a = 90") << origin + QList<float>{90, 0, 0} << QList<float>{} << p
                                << QList<float>{12, 20, 25} << 1e-5f;
        QTest::newRow("b = 90") << origin + QList<float>{0, 90, 0} << QList<float>{} << p
                                << QList<float>{10, 25, 32} << 1e-5f;
        QTest::newRow("g = 90") << origin + QList<float>{0, 0, 90} << QList<float>{} << p
                                << QList<float>{15, 18, 30} << 1e-5f;
        // cos of the single-precision pi / 2 is -4.371139e-8, not 0: it shows at y = 1e6.
        QTest::newRow("single-precision cosine")
            << QList<float>{0, 0, 0, 90, 0, 0} << QList<float>{} << QList<float>{0, 1e6f}
            << QList<float>{-0.04371139f, 0, -1e6f} << 1e-6f;
        // 17 degrees from the single-precision pi rounds to another float than from pi itself.
        QTest::newRow("single-precision pi")
            << QList<float>{0, 0, 0, 17, 0, 0} << QList<float>{} << QList<float>{0, 1e6f}
            << QList<float>{956304.75f, 0, -292371.71875f} << 0.0f;
        QTest::newRow("rolling, k = 0") << origin + QList<float>{0, 0, 0}
                                        << QList<float>{400, 7, 0} << p
                                        << QList<float>{415, 20, 32} << 0.0f;
        QTest::newRow("rolling, k = 3") << origin + QList<float>{0, 0, 0}
                                        << QList<float>{100, 10, 3} << p
                                        << QList<float>{float(15 - 30 + 100 * std::cos(0.3)), 20,
                                                        float(32 - 100 * std::sin(0.3))}
                                        << 1e-4f;
        QTest::newRow("rolling form takes radians")
            << origin + QList<float>{float(M_PI / 2), 0, 0} << QList<float>{1, 0, 0} << p
            << QList<float>{13, 20, 25} << 1e-5f;
        QTest::newRow("rolling, r = s = 0") << origin + QList<float>{0, 0, 0}
                                            << QList<float>{0, 0, 2} << p
                                            << QList<float>{NaN, 20, NaN} << 0.0f;
    }

    void sensorToWorld()
    {
        QFETCH(QList<float>, mounting);
        QFETCH(QList<float>, rolling);
        QFETCH(QList<float>, point);
        QFETCH(QList<float>, expected);
        QFETCH(float, tolerance);

        const _VelaMETRO_SensorCoord_ c{mounting[0], mounting[1], mounting[2],
                                        mounting[3], mounting[4], mounting[5]};
        VelaProfile profile;
        VelaProfile single;
        single.points.append(VelaPointXY(point[0], point[1]));
        VelaPointCloud<VelaPointXYZ> out;
        out.points.append(VelaPointXYZ(1, 2, 3));
        out.minX = 42;
        for (const VelaProfile* p : {&profile, &single}) {
            if (rolling.isEmpty())
                METRO_XYtoXYZ(*p, out, c);
            else
                METRO_XYtoXYZ(*p, out, c, rolling[0], rolling[1], int(rolling[2]));
        }
        // Appended after what was there; the range is left alone.
        QCOMPARE(out.size(), 2);
        QCOMPARE(out.points[0].x, 1.0f);
        QCOMPARE(out.minX, 42.0f);
        const VelaPointXYZ& q = out.points[1];
        QVERIFY2(near(q.x, expected[0], tolerance) && near(q.y, expected[1], tolerance)
                     && near(q.z, expected[2], tolerance),
                 qPrintable(QStringLiteral("(%1, %2, %3)").arg(q.x).arg(q.y).arg(q.z)));
    }

    void wheelCircle_data()
    {
        QTest::addColumn<QList<float>>("left"); // x, y, z triples
        QTest::addColumn<QList<float>>("bottom");
        QTest::addColumn<QList<float>>("right");
        QTest::addColumn<QList<float>>("circle");

        // The circle x^2 + y^2 = 25 through (-5, 0), (0, -5), (5, 0); the first of equal
        // extremes counts, the z of the chosen points plays no part.
        const QList<float> left{-3, 4, 0, -5, 0, 9, -5, 3, 2};
        const QList<float> bottom{3, -4, 1, 0, -5, -2, 4, 3, 7};
        const QList<float> right{5, 0, 8, 4, 3, 0};
        QTest::newRow("three extremes") << left << bottom << right << QList<float>{0, 0, 5};
        QTest::newRow("points on one line")
            << QList<float>{0, 0, 0} << QList<float>{1, 1, 0} << QList<float>{2, 2, 0}
            << QList<float>{NaN, NaN, NaN};
        QTest::newRow("empty left") << QList<float>{} << bottom << right << QList<float>{NaN, NaN, NaN};
        QTest::newRow("empty bottom") << left << QList<float>{} << right << QList<float>{NaN, NaN, NaN};
        QTest::newRow("empty right") << left << bottom << QList<float>{} << QList<float>{NaN, NaN, NaN};
        QTest::newRow("bottom without a z") << left << QList<float>{0, -5, NaN} << right
                                            << QList<float>{NaN, NaN, NaN};
    }

    void wheelCircle()
    {
        QFETCH(QList<float>, left);
        QFETCH(QList<float>, bottom);
        QFETCH(QList<float>, right);
        QFETCH(QList<float>, circle);
        const auto cloud = [](const QList<float>& xyz) {
            VelaPointCloud<VelaPointXYZ> c;
            for (int i = 0; i + 2 < xyz.size(); i += 3)
                c.points.append(VelaPointXYZ(xyz[i], xyz[i + 1], xyz[i + 2]));
            return c;
        };
        VelaPointCloud<VelaPointXYZ> l = cloud(left), b = cloud(bottom), r = cloud(right);
        VelaCircle out(1, 2, 3);
        METRO_calcWheel(l, b, r, out);
        QVERIFY2(near(out.x, circle[0], 1e-4f) && near(out.y, circle[1], 1e-4f)
                     && near(out.r, circle[2], 1e-4f),
                 qPrintable(QStringLiteral("(%1, %2, %3)").arg(out.x).arg(out.y).arg(out.r)));
    }

    void axleDistance()
    {
        // Face A: y = 2 x + 9 over its first half; the second half lies elsewhere. Its
        // calibration line rises at 60 degrees from b = 4, so the offset 5 counts half.
        // Face B: y = 1 over its first 3 of 7 points, calibration line flat at b = -2.
        VelaProfile a = heights({9, 11, 13, 15, 50, 60, 70, 80});
        VelaProfile b = heights({1, 1, 1, 40, 40, 40, 40});
        const float d = METRO_calcWheelsDist(a, b, VelaLine(float(std::sqrt(3.0)), 4),
                                             VelaLine(0, -2), 500);
        QVERIFY2(qAbs(d - (5 * 0.5f + 500 + 3)) < 1e-3f, qPrintable(QString::number(d)));
        QCOMPARE(a.size(), 4);
        QCOMPARE(b.size(), 3);

        // A face of one point fits no line.
        VelaProfile one = heights({1, 2, 3});
        QVERIFY(std::isnan(METRO_calcWheelsDist(one, b, VelaLine(0, 0), VelaLine(0, 0), 500)));
    }
};

QTEST_GUILESS_MAIN(tst_WheelGeometry)
#include "tst_wheelgeometry.moc"
