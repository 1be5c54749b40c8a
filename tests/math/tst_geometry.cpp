#include <QtTest>

#include "VelaCircle.h"
#include "VelaFreeVector.h"
#include "VelaLine.h"
#include "VelaPlane.h"
#include "VelaProfile.h"

#include <QRandomGenerator>

using namespace VelaMath;

namespace {

const float NaN = velaNaN;

VelaPointCloud<VelaPointXY> cloudOf(const QList<QPointF>& pts)
{
    VelaPointCloud<VelaPointXY> c;
    for (const QPointF& p : pts)
        c.points.append(VelaPointXY(float(p.x()), float(p.y())));
    return c;
}

bool close(float a, float b, float tolerance = 1e-5f)
{
    return std::fabs(a - b) <= tolerance;
}

} // namespace

class TestGeometry : public QObject
{
    Q_OBJECT

private slots:
    void lineFromTwoPoints_data();
    void lineFromTwoPoints();
    void lineFitExactLines_data();
    void lineFitExactLines();
    void lineFitMatchesLeastSquares();
    void lineFitRejectsDegenerateClouds_data();
    void lineFitRejectsDegenerateClouds();
    void lineQueries();

    void circleFit();
    void circleFitRejectsDegenerateClouds_data();
    void circleFitRejectsDegenerateClouds();

    void planeFromPoints();

    void vectorLengthAndResize_data();
    void vectorLengthAndResize();
    void vectorSumAndAngle();
    void vectorFromCloud_data();
    void vectorFromCloud();
};

void TestGeometry::lineFromTwoPoints_data()
{
    QTest::addColumn<QPointF>("p1");
    QTest::addColumn<QPointF>("p2");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<float>("k");
    QTest::addColumn<float>("b");
    QTest::newRow("rising") << QPointF(0, 1) << QPointF(2, 5) << true << 2.0f << 1.0f;
    QTest::newRow("falling, reversed order") << QPointF(4, -1) << QPointF(2, 0) << true << -0.5f << 1.0f;
    QTest::newRow("x closer than 1e-5") << QPointF(1.000005, 3) << QPointF(1, 2) << false << 0.0f << 0.0f;
    QTest::newRow("same x") << QPointF(2, 3) << QPointF(2, 9) << false << 0.0f << 0.0f;
}

void TestGeometry::lineFromTwoPoints()
{
    QFETCH(QPointF, p1);
    QFETCH(QPointF, p2);
    QFETCH(bool, ok);
    QFETCH(float, k);
    QFETCH(float, b);
    VelaLine line;
    QCOMPARE(line.calcFromTwoPoints(VelaPointXY(float(p1.x()), float(p1.y())),
                                    VelaPointXY(float(p2.x()), float(p2.y()))),
             ok);
    QVERIFY(close(line.k, k));
    QVERIFY(close(line.b, b));
}

void TestGeometry::lineFitExactLines_data()
{
    QTest::addColumn<QList<QPointF>>("points");
    QTest::addColumn<float>("k");
    QTest::addColumn<float>("b");
    QTest::newRow("on y = 3x - 2") << QList<QPointF>{{1, 1}, {2, 4}, {3, 7}, {5, 13}} << 3.0f << -2.0f;
    QTest::newRow("two points, x summing to 0") << QList<QPointF>{{-1, 1}, {1, 3}} << 1.0f << 2.0f;
    // x summing to 0 with more points: the least-squares line, not a biased one
    QTest::newRow("three points, x summing to 0") << QList<QPointF>{{-1, 0}, {0, 0}, {1, 1}} << 0.5f
                                                  << float(1.0 / 3.0);
    QTest::newRow("centred, on y = -2x + 4") << QList<QPointF>{{-2, 8}, {0, 4}, {-1, 6}, {3, -2}, {0, 4}}
                                             << -2.0f << 4.0f;
}

void TestGeometry::lineFitExactLines()
{
    QFETCH(QList<QPointF>, points);
    QFETCH(float, k);
    QFETCH(float, b);
    VelaLine line;
    QVERIFY(line.calcFromPointCloud(cloudOf(points)));
    QVERIFY2(close(line.k, k) && close(line.b, b), qPrintable(QString("k %1 b %2").arg(line.k).arg(line.b)));
}

void TestGeometry::lineFitMatchesLeastSquares()
{
    QRandomGenerator rng(11);
    for (int round = 0; round < 50; ++round) {
        VelaProfile p;
        const int n = rng.bounded(2, 200);
        const double k = rng.bounded(6.0) - 3, b = rng.bounded(20.0) - 10;
        for (int i = 0; i < n; ++i) {
            const double x = rng.bounded(100.0) - 20;
            p.points.append(VelaPointXY(float(x), float(k * x + b + rng.bounded(2.0) - 1)));
        }
        // mean-centred normal equations in double
        double mx = 0, my = 0;
        for (const VelaPointXY& pt : p.points) {
            mx += pt.x;
            my += pt.y;
        }
        mx /= n;
        my /= n;
        double sxy = 0, sxx = 0;
        for (const VelaPointXY& pt : p.points) {
            sxy += (pt.x - mx) * (pt.y - my);
            sxx += (pt.x - mx) * (pt.x - mx);
        }
        const double refK = sxy / sxx;
        const double refB = my - refK * mx;

        VelaLine line;
        QVERIFY(p.calcLine(line));
        QVERIFY2(std::fabs(line.k - refK) < 1e-3 && std::fabs(line.b - refB) < 2e-2,
                 qPrintable(QString("round %1: k %2/%3 b %4/%5").arg(round).arg(line.k).arg(refK).arg(line.b).arg(refB)));
    }
}

void TestGeometry::lineFitRejectsDegenerateClouds_data()
{
    QTest::addColumn<QList<QPointF>>("points");
    QTest::newRow("empty") << QList<QPointF>{};
    QTest::newRow("one point") << QList<QPointF>{{1, 1}};
    QTest::newRow("all x zero") << QList<QPointF>{{0, 1}, {0, 2}, {0, 5}};
    QTest::newRow("all x equal") << QList<QPointF>{{2.5, 1}, {2.5, 2}};
    QTest::newRow("the same point twice") << QList<QPointF>{{1, 1}, {1, 1}};
}

void TestGeometry::lineFitRejectsDegenerateClouds()
{
    QFETCH(QList<QPointF>, points);
    VelaLine line(7, 8);
    QVERIFY(!line.calcFromPointCloud(cloudOf(points)));
}

void TestGeometry::lineQueries()
{
    const VelaLine diagonal(1, 0);
    const VelaLine falling(-1, 2);
    QCOMPARE(falling.y(3), -1.0f);
    QCOMPARE(falling.x(-1), 3.0f);
    QCOMPARE(diagonal.calcDistanceToPoint(VelaPointXY(0, 2)), std::sqrt(2.0f));
    QCOMPARE(VelaLine::calcDistanceToPoint(VelaLine(0, 1), VelaPointXY(5, -2)), 3.0f);
    QVERIFY(std::isnan(VelaLine().calcDistanceToPoint(VelaPointXY(0, 0))));

    VelaPointXY meet;
    QVERIFY(diagonal.calcIntersection(falling, meet));
    QCOMPARE(meet.x, 1.0f);
    QCOMPARE(meet.y, 1.0f);
    VelaPointXY untouched(5, 6);
    QVERIFY(!VelaLine::calcIntersection(diagonal, VelaLine(1, 3), untouched));
    QCOMPARE(untouched.x, 5.0f);
    QCOMPARE(untouched.y, 6.0f);

    QVERIFY(close(VelaLine::calcAngle(diagonal, VelaLine(0, 0)), 45.0f, 1e-4f));
    QVERIFY(close(VelaLine(0, 0).calcAngle(diagonal), -45.0f, 1e-4f));
    QVERIFY(close(diagonal.calcAngle(falling), 90.0f, 1e-4f));
}

void TestGeometry::circleFit()
{
    VelaProfile exact;
    for (int i = 0; i < 12; ++i) {
        const double a = i * 0.4;
        exact.points.append(VelaPointXY(float(3 + 5 * std::cos(a)), float(-2 + 5 * std::sin(a))));
    }
    VelaCircle c;
    QVERIFY(exact.calcCircle(c));
    QVERIFY2(close(c.x, 3, 1e-3f) && close(c.y, -2, 1e-3f) && close(c.r, 5, 1e-3f),
             qPrintable(QString("%1 %2 %3").arg(c.x).arg(c.y).arg(c.r)));

    // r is the root-mean-square distance from the fitted centre
    VelaProfile rings;
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        const double r = i % 2 ? 9 : 11;
        rings.points.append(VelaPointXY(float(r * std::cos(a)), float(r * std::sin(a))));
    }
    QVERIFY(rings.calcCircle(c));
    QVERIFY(close(c.x, 0, 1e-4f) && close(c.y, 0, 1e-4f));
    QVERIFY(close(c.r, float(std::sqrt((81.0 + 121.0) / 2)), 1e-4f));
}

void TestGeometry::circleFitRejectsDegenerateClouds_data()
{
    QTest::addColumn<QList<QPointF>>("points");
    QTest::newRow("empty") << QList<QPointF>{};
    QTest::newRow("one point") << QList<QPointF>{{1, 1}};
    QTest::newRow("two points") << QList<QPointF>{{0, 0}, {2, 0}};
    QTest::newRow("collinear") << QList<QPointF>{{0, 0}, {1, 1}, {2, 2}};
}

void TestGeometry::circleFitRejectsDegenerateClouds()
{
    QFETCH(QList<QPointF>, points);
    VelaCircle c(1, 2, 3);
    QVERIFY(!c.calcFromPointCloud(cloudOf(points)));
    QCOMPARE(c.x, 1.0f);
    QCOMPARE(c.y, 2.0f);
    QCOMPARE(c.r, 3.0f);
}

void TestGeometry::planeFromPoints()
{
    VelaPlane plane;
    plane.calcFromPoints(VelaPointXYZ(1, 0, 0), VelaPointXYZ(0, 1, 0), VelaPointXYZ(0, 0, 1));
    QVERIFY(plane.a != 0);
    QCOMPARE(plane.b, plane.a);
    QCOMPARE(plane.c, plane.a);
    QCOMPARE(plane.d, -plane.a);
    QVERIFY(close(plane.calcDistance(VelaPointXYZ(0, 0, 0)), 1.0f / std::sqrt(3.0f)));
    QVERIFY(close(VelaPlane::calcDistance(plane, VelaPointXYZ(1, 1, 1)), 2.0f / std::sqrt(3.0f)));

    VelaPlane tilted; // z = 2x + 3, through (0,0,3), (1,0,5), (0,1,3)
    tilted.calcFromPoints(VelaPointXYZ(0, 0, 3), VelaPointXYZ(1, 0, 5), VelaPointXYZ(0, 1, 3));
    QVERIFY(close(tilted.calcDistance(VelaPointXYZ(7, -4, 17)), 0.0f));
    QVERIFY(close(tilted.calcDistance(VelaPointXYZ(0, 0, 8)), 5.0f / std::sqrt(5.0f)));

    VelaPlane line;
    line.calcFromPoints(VelaPointXYZ(0, 0, 0), VelaPointXYZ(1, 1, 1), VelaPointXYZ(2, 2, 2));
    QCOMPARE(line.a, 0.0f);
    QCOMPARE(line.b, 0.0f);
    QCOMPARE(line.c, 0.0f);
    QVERIFY(std::isnan(line.calcDistance(VelaPointXYZ(1, 0, 0))));
    QVERIFY(std::isnan(VelaPlane().calcDistance(VelaPointXYZ(1, 0, 0))));
}

void TestGeometry::vectorLengthAndResize_data()
{
    QTest::addColumn<QPointF>("vector");
    QTest::addColumn<float>("length");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QPointF>("result");
    QTest::newRow("to 2") << QPointF(3, 4) << 2.0f << true << QPointF(1.2, 1.6);
    QTest::newRow("to 10") << QPointF(0, -0.5) << 10.0f << true << QPointF(0, -10);
    QTest::newRow("zero length") << QPointF(3, 4) << 0.0f << false << QPointF(3, 4);
    QTest::newRow("negative length") << QPointF(3, 4) << -1.0f << false << QPointF(3, 4);
    QTest::newRow("undefined length") << QPointF(3, 4) << NaN << false << QPointF(3, 4);
    QTest::newRow("zero vector") << QPointF(0, 0) << 1.0f << false << QPointF(0, 0);
}

void TestGeometry::vectorLengthAndResize()
{
    QFETCH(QPointF, vector);
    QFETCH(float, length);
    QFETCH(bool, ok);
    QFETCH(QPointF, result);
    VelaFreeVector v(float(vector.x()), float(vector.y()));
    QCOMPARE(v.resize(length), ok);
    QVERIFY(close(v.x, float(result.x())) && close(v.y, float(result.y())));
    if (ok)
        QVERIFY(close(v.size(), length));
}

void TestGeometry::vectorSumAndAngle()
{
    QCOMPARE(VelaFreeVector(3, 4).size(), 5.0f);
    VelaFreeVector sum;
    QVERIFY(sum.sumVectors(VelaFreeVector(2, 0), VelaFreeVector(0, 2)));
    QVERIFY(close(sum.x, std::sqrt(0.5f)) && close(sum.y, std::sqrt(0.5f)));
    QVERIFY(!sum.sumVectors(VelaFreeVector(1, 0), VelaFreeVector(-1, 0)));
    QVERIFY(close(sum.x, std::sqrt(0.5f))); // unchanged
    QVERIFY(!sum.sumVectors(VelaFreeVector(NaN, 0), VelaFreeVector(1, 0)));

    QVERIFY(close(VelaFreeVector::calcAngleBetweenVectors(VelaFreeVector(1, 0), VelaFreeVector(0, 3)), 90.0f, 1e-4f));
    QVERIFY(close(VelaFreeVector(1, 1).calcAngleBetweenVectors(VelaFreeVector(-2, -2)), 180.0f, 1e-4f));
    QVERIFY(close(VelaFreeVector(1, 0).calcAngleBetweenVectors(VelaFreeVector(1, -1)), 45.0f, 1e-4f));
    // parallel vectors whose rounded cosine lands just above 1
    QRandomGenerator rng(5);
    for (int i = 0; i < 200; ++i) {
        const VelaFreeVector v(float(rng.bounded(10.0) - 5), float(rng.bounded(10.0) - 5));
        const float angle = v.calcAngleBetweenVectors(VelaFreeVector(v.x * 3, v.y * 3));
        QVERIFY2(angle >= 0.0f && angle < 0.1f, qPrintable(QString::number(angle)));
    }
    QVERIFY(std::isnan(VelaFreeVector(0, 0).calcAngleBetweenVectors(VelaFreeVector(1, 0))));
}

void TestGeometry::vectorFromCloud_data()
{
    QTest::addColumn<QList<QPointF>>("points");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("direction");
    QTest::addColumn<float>("length");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QPointF>("result");
    const QList<QPointF> bent{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}};
    QTest::newRow("forward until the length") << bent << 0 << 1 << 2.0f << true << QPointF(1, 0);
    QTest::newRow("forward to the end") << bent << 0 << 1 << NaN << true << QPointF(0.894427, 0.447214);
    QTest::newRow("length beyond the end") << bent << 0 << 1 << 100.0f << true << QPointF(0.894427, 0.447214);
    QTest::newRow("backward") << bent << 4 << -1 << 1.5f << true << QPointF(-1, 0);
    QTest::newRow("bad direction") << bent << 1 << 2 << 1.0f << false << QPointF(7, 7);
    QTest::newRow("no direction") << bent << 1 << 0 << 1.0f << false << QPointF(7, 7);
    QTest::newRow("index before the cloud") << bent << -1 << 1 << 1.0f << false << QPointF(7, 7);
    QTest::newRow("anchor past the end") << bent << 4 << 1 << 1.0f << false << QPointF(7, 7);
    QTest::newRow("anchor before the start") << bent << 0 << -1 << 1.0f << false << QPointF(7, 7);
    QTest::newRow("anchor is the last point") << bent << 3 << 1 << 1.0f << false << QPointF(7, 7);
    QTest::newRow("no length to walk") << bent << 0 << 1 << 0.0f << false << QPointF(7, 7);
    QTest::newRow("points on the anchor") << QList<QPointF>{{0, 0}, {1, 1}, {1, 1}} << 0 << 1 << 5.0f << false
                                          << QPointF(7, 7);
    QTest::newRow("empty cloud") << QList<QPointF>{} << 0 << 1 << 1.0f << false << QPointF(7, 7);
}

void TestGeometry::vectorFromCloud()
{
    QFETCH(QList<QPointF>, points);
    QFETCH(int, index);
    QFETCH(int, direction);
    QFETCH(float, length);
    QFETCH(bool, ok);
    QFETCH(QPointF, result);
    VelaFreeVector v(7, 7);
    QCOMPARE(v.calcFromPointCloud(cloudOf(points), index, direction, length), ok);
    QVERIFY2(close(v.x, float(result.x())) && close(v.y, float(result.y())),
             qPrintable(QString("%1 %2").arg(v.x).arg(v.y)));
}

QTEST_APPLESS_MAIN(TestGeometry)
#include "tst_geometry.moc"
