#include <QtTest>

#include "VelaProfile.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstring>

using namespace VelaMath;

namespace {

const float NaN = velaNaN;

VelaProfile profileOf(std::initializer_list<VelaPointXY> pts)
{
    VelaProfile p;
    for (const VelaPointXY& pt : pts)
        p.points.append(pt);
    return p;
}

bool same(float a, float b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

bool same(const VelaPointXY& a, const VelaPointXY& b)
{
    return same(a.x, b.x) && same(a.y, b.y);
}

bool near(const VelaPointXY& a, const VelaPointXY& b, float tolerance)
{
    return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

enum TrimKind { Trim, TrimRect, TrimX, TrimY, TrimLower, TrimUpper };

} // namespace

class TestProfile : public QObject
{
    Q_OBJECT

private slots:
    void buildFromBuffers();

    void rangeAsBoundsAndIndices();
    void rangeTiesKeepTheFirstPoint();
    void rangePassesOverUndefinedPoints();
    void rangeAsRectangleIsYUp();
    void rangeOfEmptyProfileAndCentre();

    void trims_data();
    void trims();

    void toPolar_data();
    void toPolar();
    void rotations();
    void rotateFixedAboutOwnPoint();

    void correlation_data();
    void correlation();
    void findZeros_data();
    void findZeros();

    void levelLines();
    void removeLinePartsKeepsCurvedSegments();
    void removeLinePartsNeedsTwoParts();
    void detectJointFindsGrooveWalls();
    void detectJointRejectsPlainSurfaces();

    void csvBytes();
    void csvRoundTripToSixDigits();
    void csvReading_data();
    void csvReading();
    void csvFailures();
};

void TestProfile::buildFromBuffers()
{
    // Received records carry their pairs at an odd offset.
    const float a[] = {1, 2, 3, 4};
    const float b[] = {5, 6};
    QByteArray unaligned(1 + sizeof a, '\0');
    std::memcpy(unaligned.data() + 1, a, sizeof a);

    VelaProfile p(reinterpret_cast<const float*>(unaligned.constData() + 1), 2);
    p.copyFromXYPointsBuffer(b, 1);
    p.copyFromXYPointsBuffer(b, 0);
    QCOMPARE(p.size(), 3);
    QVERIFY(same(p.points[0], VelaPointXY(1, 2)));
    QVERIFY(same(p.points[1], VelaPointXY(3, 4)));
    QVERIFY(same(p.points[2], VelaPointXY(5, 6)));
    QVERIFY(std::isnan(p.minX)); // the range is not updated
}

void TestProfile::rangeAsBoundsAndIndices()
{
    VelaProfile p = profileOf({{2, 5}, {-1, 7}, {4, -3}, {3, 0}});
    p.minZ = 7;
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    int indices[4] = {-1, -1, -1, -1};
    QVERIFY(p.calcRange(&x0, &y0, &x1, &y1, indices));
    QCOMPARE(x0, -1.0f);
    QCOMPARE(x1, 4.0f);
    QCOMPARE(y0, -3.0f);
    QCOMPARE(y1, 7.0f);
    QCOMPARE(QList<int>(indices, indices + 4), (QList<int>{1, 2, 2, 1}));
    QVERIFY(std::isnan(p.minX)); // this form leaves the fields

    QVERIFY(p.calcRange());
    QCOMPARE(p.minX, -1.0f);
    QCOMPARE(p.maxX, 4.0f);
    QCOMPARE(p.minY, -3.0f);
    QCOMPARE(p.maxY, 7.0f);
    QCOMPARE(p.minZ, 7.0f); // the Z pair is untouched
}

void TestProfile::rangeTiesKeepTheFirstPoint()
{
    const VelaProfile p = profileOf({{1, 2}, {0, 9}, {5, 2}, {0, 9}, {5, 1}});
    float x0, y0, x1, y1;
    int indices[4];
    QVERIFY(p.calcRange(&x0, &y0, &x1, &y1, indices));
    QCOMPARE(QList<int>(indices, indices + 4), (QList<int>{1, 2, 4, 1}));
}

void TestProfile::rangePassesOverUndefinedPoints()
{
    // An invalid first point must not make the whole range undefined.
    VelaProfile p = profileOf({{NaN, NaN}, {2, NaN}, {1, 5}, {NaN, 3}});
    float x0, y0, x1, y1;
    int indices[4];
    QVERIFY(p.calcRange(&x0, &y0, &x1, &y1, indices));
    QCOMPARE(x0, 1.0f);
    QCOMPARE(x1, 2.0f);
    QCOMPARE(y0, 3.0f);
    QCOMPARE(y1, 5.0f);
    QCOMPARE(QList<int>(indices, indices + 4), (QList<int>{2, 1, 3, 2}));

    VelaProfile undefined = profileOf({{NaN, NaN}});
    QVERIFY(undefined.calcRange());
    QVERIFY(std::isnan(undefined.minX) && std::isnan(undefined.maxY));
}

void TestProfile::rangeAsRectangleIsYUp()
{
    const VelaProfile p = profileOf({{0, 1}, {4, 3}});
    QRectF r;
    QVERIFY(p.calcRange(r, nullptr));
    QCOMPARE(r.x(), 0.0);
    QCOMPARE(r.y(), 3.0);
    QCOMPARE(r.width(), 4.0);
    QCOMPARE(r.height(), -2.0);
    int indices[4];
    QVERIFY(p.calcRange(r, indices));
    QCOMPARE(indices[3], 1);
}

void TestProfile::rangeOfEmptyProfileAndCentre()
{
    VelaProfile p;
    float x0 = 11, y0 = 12, x1 = 13, y1 = 14;
    int indices[4] = {7, 7, 7, 7};
    QVERIFY(!p.calcRange(&x0, &y0, &x1, &y1, indices));
    QCOMPARE(x0, 11.0f);
    QCOMPARE(indices[0], 7);
    QRectF r(1, 2, 3, 4);
    QVERIFY(!p.calcRange(r, nullptr));
    QCOMPARE(r, QRectF(1, 2, 3, 4));
    p.minX = 5;
    QVERIFY(!p.calcRange());
    QCOMPARE(p.minX, 5.0f);
    QVERIFY(std::isnan(p.calcCenterX()));
    QVERIFY(std::isnan(p.calcCenterY()));
    p = profileOf({{-2, 4}, {6, 10}, {0, 0}});
    QCOMPARE(p.calcCenterX(), 2.0f);
    QCOMPARE(p.calcCenterY(), 5.0f);
}

void TestProfile::trims_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QList<float>>("args");
    QTest::addColumn<QList<int>>("kept"); // indices of the points that stay
    // points: (0,-1) (1,0) (2,1) (3,2) (NaN,-5) (4,NaN)
    QTest::newRow("trimX without bounds") << int(TrimX) << QList<float>{NaN, NaN} << QList<int>{0, 1, 2, 3, 4, 5};
    QTest::newRow("trimX") << int(TrimX) << QList<float>{1, 3} << QList<int>{1, 2, 3, 4};
    QTest::newRow("trimY") << int(TrimY) << QList<float>{0, 1} << QList<int>{1, 2, 5};
    QTest::newRow("trimLower(0)") << int(TrimLower) << QList<float>{0} << QList<int>{1, 2, 3, 5};
    QTest::newRow("trimUpper(1)") << int(TrimUpper) << QList<float>{1} << QList<int>{0, 1, 2, 4, 5};
    QTest::newRow("trim box") << int(Trim) << QList<float>{1, -2, 2, 5} << QList<int>{1, 2};
    QTest::newRow("trim open box") << int(Trim) << QList<float>{NaN, 0, 3, NaN} << QList<int>{1, 2, 3};
    QTest::newRow("trim rect") << int(TrimRect) << QList<float>{1, 0, 2, 1} << QList<int>{1, 2};
}

void TestProfile::trims()
{
    QFETCH(int, kind);
    QFETCH(QList<float>, args);
    QFETCH(QList<int>, kept);
    const VelaProfile original = profileOf({{0, -1}, {1, 0}, {2, 1}, {3, 2}, {NaN, -5}, {4, NaN}});
    VelaProfile p(original);
    p.minY = 100;
    int removed = -1;
    switch (kind) {
    case Trim: removed = p.trim(args[0], args[1], args[2], args[3]); break;
    case TrimRect: removed = p.trim(QRectF(args[0], args[1], args[2], args[3])); break;
    case TrimX: removed = p.trimX(args[0], args[1]); break;
    case TrimY: removed = p.trimY(args[0], args[1]); break;
    case TrimLower: removed = p.trimLower(args[0]); break;
    case TrimUpper: removed = p.trimUpper(args[0]); break;
    }
    QCOMPARE(removed, original.size() - int(kept.size()));
    QCOMPARE(p.size(), int(kept.size()));
    for (int i = 0; i < p.size(); ++i)
        QVERIFY(same(p.points[i], original.points[kept[i]]));
    QCOMPARE(p.minY, 100.0f);
}

void TestProfile::toPolar_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<float>("r");
    QTest::addColumn<float>("angle");
    const float root2 = std::sqrt(2.0f);
    QTest::newRow("+x axis") << 1.0f << 0.0f << 1.0f << 0.0f;
    QTest::newRow("+y axis") << 0.0f << 2.0f << 2.0f << 90.0f;
    QTest::newRow("-x axis") << -1.0f << 0.0f << 1.0f << 180.0f;
    QTest::newRow("-y axis") << 0.0f << -3.0f << 3.0f << 270.0f;
    QTest::newRow("origin") << 0.0f << 0.0f << 0.0f << 0.0f;
    QTest::newRow("first quadrant") << 1.0f << 1.0f << root2 << 45.0f;
    QTest::newRow("second quadrant") << -1.0f << 1.0f << root2 << 135.0f;
    QTest::newRow("third quadrant") << -1.0f << -1.0f << root2 << 225.0f;
    QTest::newRow("fourth quadrant") << 1.0f << -1.0f << root2 << 315.0f;
}

void TestProfile::toPolar()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(float, r);
    QFETCH(float, angle);
    VelaProfile p = profileOf({{x, y}});
    p.toPolar();
    QCOMPARE(p.points[0].x, r);
    QVERIFY2(std::fabs(p.points[0].y - angle) < 1e-4f, qPrintable(QString::number(p.points[0].y)));
    QVERIFY(p.points[0].y >= 0.0f && p.points[0].y < 360.0f);
}

void TestProfile::rotations()
{
    VelaProfile p = profileOf({{1, 0}});
    p.rotateEvklid(90);
    // cos of the single-precision pi / 2
    QVERIFY2(p.points[0].x < -4.3e-8f && p.points[0].x > -4.45e-8f, qPrintable(QString::number(p.points[0].x)));
    QCOMPARE(p.points[0].y, 1.0f);

    VelaProfile q = profileOf({{0.3f, 0.7f}});
    q.rotateEvklid(0);
    QVERIFY(same(q.points[0], VelaPointXY(0.3f, 0.7f))); // no polar round trip at all

    VelaProfile polar = profileOf({{2, 350}});
    polar.rotatePolar(30);
    QCOMPARE(polar.points[0].y, 380.0f); // no wrapping
    polar.rotatePolar(0);
    QCOMPARE(polar.points[0].y, 380.0f);

    VelaProfile fixed = profileOf({{2, 1}, {1, 3}});
    fixed.rotateFixed(90, VelaPointXY(1, 1));
    QVERIFY(near(fixed.points[0], VelaPointXY(1, 2), 1e-5f));
    QVERIFY(near(fixed.points[1], VelaPointXY(-1, 1), 1e-5f));

    VelaProfile undefinedAngle = profileOf({{2, 1}});
    undefinedAngle.rotateFixed(NaN, VelaPointXY(1, 1));
    QVERIFY(undefinedAngle.points[0].isNull());
}

void TestProfile::rotateFixedAboutOwnPoint()
{
    VelaProfile p = profileOf({{1, 1}, {2, 1}});
    p.rotateFixed(180, p.points[0]);
    QVERIFY(near(p.points[0], VelaPointXY(1, 1), 1e-5f));
    QVERIFY(near(p.points[1], VelaPointXY(0, 1), 1e-5f));
}

void TestProfile::correlation_data()
{
    QTest::addColumn<QList<float>>("xs");
    QTest::addColumn<QList<float>>("ys");
    QTest::addColumn<float>("expected");
    QTest::newRow("rising line") << QList<float>{0, 1, 2, 3} << QList<float>{1, 3, 5, 7} << 1.0f;
    QTest::newRow("falling line") << QList<float>{0.1f, 0.2f, 0.3f} << QList<float>{9, 8, 7} << -1.0f;
    QTest::newRow("symmetric parabola") << QList<float>{-2, -1, 0, 1, 2} << QList<float>{4, 1, 0, 1, 4} << 0.0f;
    // mean-centred textbook value for this set: 0.7745967
    QTest::newRow("scatter") << QList<float>{1, 2, 3, 4, 5} << QList<float>{2, 1, 4, 3, 5} << 0.8f;
    QTest::newRow("constant height") << QList<float>(40, 0.1f) << QList<float>(40, 0.3f) << NaN;
    QTest::newRow("flat line") << QList<float>{0.1f, 0.2f, 0.3f, 0.4f} << QList<float>(4, 1.7f) << NaN;
    QTest::newRow("vertical") << QList<float>(4, 2.2f) << QList<float>{1, 2, 3, 4} << NaN;
    QTest::newRow("one point") << QList<float>{1} << QList<float>{1} << NaN;
    QTest::newRow("empty") << QList<float>{} << QList<float>{} << NaN;
}

void TestProfile::correlation()
{
    QFETCH(QList<float>, xs);
    QFETCH(QList<float>, ys);
    QFETCH(float, expected);
    VelaProfile p;
    for (int i = 0; i < xs.size(); ++i)
        p.points.append(VelaPointXY(xs[i], ys[i]));
    const float r = p.calcCorrelation();
    if (std::isnan(expected))
        QVERIFY2(std::isnan(r), qPrintable(QString::number(r)));
    else
        QVERIFY2(std::fabs(r - expected) < 1e-5f, qPrintable(QString::number(r)));
}

void TestProfile::findZeros_data()
{
    QTest::addColumn<QList<float>>("ys");
    QTest::addColumn<QList<float>>("zeros"); // x = 10 * index
    QTest::newRow("zero breaks the change") << QList<float>{1, 0, -1} << QList<float>{};
    QTest::newRow("one change") << QList<float>{1, -1} << QList<float>{10};
    QTest::newRow("several") << QList<float>{-2, 3, 4, -1, -1, 5} << QList<float>{10, 30, 50};
    QTest::newRow("NaN is no sign") << QList<float>{1, NaN, -1} << QList<float>{};
    QTest::newRow("single point") << QList<float>{-1} << QList<float>{};
}

void TestProfile::findZeros()
{
    QFETCH(QList<float>, ys);
    QFETCH(QList<float>, zeros);
    VelaProfile p;
    for (int i = 0; i < ys.size(); ++i)
        p.points.append(VelaPointXY(float(10 * i), ys[i]));
    QList<float> out(std::max<qsizetype>(ys.size() - 1, 1), -99.0f);
    const int count = p.findZeros(out.data());
    QCOMPARE(out.mid(0, count), zeros);
}

void TestProfile::levelLines()
{
    const VelaLine diagonal(1, 0);
    const VelaProfile p = profileOf({{0, 1}, {1, 0}, {2, 2}, {NaN, 0}, {3, 1}});
    VelaProfile high(p);
    high.removeHighLevel(diagonal);
    QCOMPARE(high.size(), 2);
    QVERIFY(same(high.points[0], VelaPointXY(1, 0)));
    QVERIFY(same(high.points[1], VelaPointXY(3, 1)));
    VelaProfile low(p);
    low.removeLowLevel(diagonal);
    QCOMPARE(low.size(), 1);
    QVERIFY(same(low.points[0], VelaPointXY(0, 1)));
}

void TestProfile::removeLinePartsKeepsCurvedSegments()
{
    // A straight segment, a curved one, and a curved last one, separated by gaps of 10.
    VelaProfile p;
    for (int i = 0; i < 10; ++i)
        p.points.append(VelaPointXY(float(i), 2.0f * i));
    for (int i = 0; i < 10; ++i)
        p.points.append(VelaPointXY(30.0f + i, (i - 4.5f) * (i - 4.5f) * 0.1f));
    for (int i = 0; i < 8; ++i)
        p.points.append(VelaPointXY(50.0f + i, (i - 3.5f) * (i - 3.5f) * 0.1f));
    std::reverse(p.points.begin(), p.points.end()); // the operation sorts first
    p.minX = -7;

    VelaProfile three(p);
    three.removeLineParts(3, 0.9f, 5.0f, 4);
    QCOMPARE(three.size(), 10 + 7); // the last point of the profile never joins a segment
    QCOMPARE(three.points.first().x, 30.0f);
    QCOMPARE(three.points.last().x, 56.0f);
    QCOMPARE(three.minX, -7.0f);

    VelaProfile two(p);
    two.removeLineParts(2, 0.9f, 5.0f, 4); // the points after the second segment join none
    QCOMPARE(two.size(), 10);
    QCOMPARE(two.points.last().x, 39.0f);

    VelaProfile strict(p);
    strict.removeLineParts(3, 0.9f, 5.0f, 9); // a segment needs more than 9 points
    QCOMPARE(strict.size(), 10);
}

void TestProfile::removeLinePartsNeedsTwoParts()
{
    VelaProfile p = profileOf({{3, 1}, {1, 2}, {2, 0}});
    p.removeLineParts(1, 2.0f, 0.5f, 0);
    QCOMPARE(p.size(), 3);
    QCOMPARE(p.points[0].x, 3.0f); // not even sorted
}

void TestProfile::detectJointFindsGrooveWalls()
{
    // A flat surface at y = 0 with a V groove 4 deep between x = 25 and x = 35.
    VelaProfile p;
    for (int i = 0; i <= 240; ++i) {
        const float x = 0.25f * i;
        const float y = x > 25 && x < 35 ? -4.0f + 0.8f * std::fabs(x - 30) : 0.0f;
        p.points.append(VelaPointXY(x, y));
    }
    VelaPointCloud<VelaPointXY> out;
    out.points.append(VelaPointXY(-100, -100)); // appended to, and not taken for an edge
    QVERIFY(p.detectJoint(out));
    QCOMPARE(out.size(), 5);
    QVERIFY(near(out.points[1], VelaPointXY(25, 0), 1e-4f));
    QVERIFY(near(out.points[2], VelaPointXY(35, 0), 1e-4f));
    QVERIFY2(near(out.points[3], VelaPointXY(30, -4), 1e-3f), qPrintable(QString::number(out.points[3].x)));
    QVERIFY(near(out.points[4], VelaPointXY(30, -4), 1e-3f));
    QCOMPARE(p.minY, -4.0f); // the profile's range was refreshed
}

void TestProfile::detectJointRejectsPlainSurfaces()
{
    VelaProfile flat;
    for (int i = 0; i < 100; ++i)
        flat.points.append(VelaPointXY(float(i), 1.0f));
    VelaPointCloud<VelaPointXY> out;
    QVERIFY(!flat.detectJoint(out));
    QVERIFY(out.isEmpty());

    VelaProfile few;
    for (int i = 0; i < 10; ++i)
        few.points.append(VelaPointXY(float(i), 0.0f));
    QVERIFY(!few.detectJoint(out));
    QVERIFY(!VelaProfile().detectJoint(out));
}

void TestProfile::csvBytes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("p.csv");
    const VelaProfile p = profileOf({{12.5f, -3.25f}, {1234567, 0.1f}, {-0.000012345678f, 100}});
    QVERIFY(p.writeToCSVFile(path));
    QCOMPARE(fileBytes(path), QByteArray("12,5;-3,25\n1,23457e+06;0,1\n-1,23457e-05;100\n"));

    QVERIFY(VelaProfile().writeToCSVFile(path));
    QCOMPARE(fileBytes(path), QByteArray()); // truncated, no header
}

void TestProfile::csvRoundTripToSixDigits()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("round.csv");
    QRandomGenerator rng(3);
    VelaProfile p;
    for (int i = 0; i < 300; ++i)
        p.points.append(VelaPointXY(float(rng.bounded(2000.0) - 1000), float(rng.bounded(2e-3) - 1e-3)));
    QVERIFY(p.writeToCSVFile(path));
    VelaProfile back;
    QCOMPARE(back.readFromCSVFile(path, 0, 1), p.size());
    for (int i = 0; i < p.size(); ++i) {
        const float x6 = QString::number(p.points[i].x, 'g', 6).toFloat();
        const float y6 = QString::number(p.points[i].y, 'g', 6).toFloat();
        QCOMPARE(back.points[i].x, x6);
        QCOMPARE(back.points[i].y, y6);
        QVERIFY(std::fabs(back.points[i].x - p.points[i].x) <= 5e-6f * std::fabs(p.points[i].x));
    }
}

void TestProfile::csvReading_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("xColumn");
    QTest::addColumn<int>("yColumn");
    QTest::addColumn<QList<QPointF>>("expected");
    QTest::newRow("plain") << QByteArray("1,5;2\n3;-4,25\n") << 0 << 1 << QList<QPointF>{{1.5, 2}, {3, -4.25}};
    QTest::newRow("no final newline") << QByteArray("1;2\n3;4") << 0 << 1 << QList<QPointF>{{1, 2}, {3, 4}};
    QTest::newRow("stops at an empty line") << QByteArray("1;2\n\n3;4\n") << 0 << 1 << QList<QPointF>{{1, 2}};
    QTest::newRow("short lines skipped") << QByteArray("1\n2;3\n4;5;6\n") << 1 << 2 << QList<QPointF>{{5, 6}};
    QTest::newRow("empty fields count") << QByteArray("1;;3\n;;\n") << 0 << 2 << QList<QPointF>{{1, 3}, {0, 0}};
    QTest::newRow("text reads as 0") << QByteArray("x;y\nabc;7\n") << 0 << 1 << QList<QPointF>{{0, 0}, {0, 7}};
    QTest::newRow("swapped columns") << QByteArray("1;2;3\n") << 2 << 0 << QList<QPointF>{{3, 1}};
    QTest::newRow("CRLF lines") << QByteArray("1;2\r\n3;4\r\n\r\n5;6\r\n") << 0 << 1 << QList<QPointF>{{1, 2}, {3, 4}};
    QTest::newRow("exponent") << QByteArray("1,5e+03;-2e-2\n") << 0 << 1 << QList<QPointF>{{1500, -0.02}};
    QTest::newRow("negative column") << QByteArray("1;2\n") << -1 << 0 << QList<QPointF>{};
    QTest::newRow("empty file") << QByteArray() << 0 << 1 << QList<QPointF>{};
    QTest::newRow("binary junk") << QByteArray("\x02\xff\x00;\x80\x81\n", 7) << 0 << 1 << QList<QPointF>{{0, 0}};
}

void TestProfile::csvReading()
{
    QFETCH(QByteArray, content);
    QFETCH(int, xColumn);
    QFETCH(int, yColumn);
    QFETCH(QList<QPointF>, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("in.csv");
    writeFile(path, content);
    VelaProfile p = profileOf({{9, 9}});
    p.minX = 4;
    QCOMPARE(p.readFromCSVFile(path, xColumn, yColumn), int(expected.size()));
    QCOMPARE(p.size(), int(expected.size()));
    for (int i = 0; i < p.size(); ++i)
        QVERIFY(same(p.points[i], VelaPointXY(float(expected[i].x()), float(expected[i].y()))));
    QVERIFY(std::isnan(p.minX)); // cleared, and the range is not updated
}

void TestProfile::csvFailures()
{
    QTemporaryDir dir;
    VelaProfile p = profileOf({{1, 2}, {3, 4}});
    p.minX = 1;
    QCOMPARE(p.readFromCSVFile(dir.filePath("absent.csv"), 0, 1), 2);
    QCOMPARE(p.minX, 1.0f); // untouched
    QVERIFY(!p.writeToCSVFile(dir.filePath("no/such/dir.csv")));
    if (QFile::exists("/dev/full"))
        QVERIFY(!p.writeToCSVFile(QStringLiteral("/dev/full"))); // the writes fail
}

QTEST_APPLESS_MAIN(TestProfile)
#include "tst_profile.moc"
