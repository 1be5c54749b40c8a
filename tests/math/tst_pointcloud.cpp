#include <QtTest>

#include "VelaPointCloud.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstring>

using namespace VelaMath;

using Cloud2 = VelaPointCloud<VelaPointXY>;
using Cloud3 = VelaPointCloud<VelaPointXYZ>;
using CloudRGB = VelaPointCloud<VelaPointXYZRGB>;

namespace {

const float NaN = velaNaN;

quint32 bits(float v)
{
    quint32 b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Bit-exact, so that NaN equals NaN and a moved point is told from an equal-valued one.
bool same(const VelaPointXY& a, const VelaPointXY& b)
{
    return bits(a.x) == bits(b.x) && bits(a.y) == bits(b.y);
}
bool same(const VelaPointXYZ& a, const VelaPointXYZ& b)
{
    return bits(a.x) == bits(b.x) && bits(a.y) == bits(b.y) && bits(a.z) == bits(b.z);
}
template<class T>
bool samePoints(const QList<T>& a, const QList<T>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!same(a[i], b[i]))
            return false;
    }
    return true;
}

Cloud2 cloudOf(std::initializer_list<VelaPointXY> pts)
{
    Cloud2 c;
    for (const VelaPointXY& p : pts)
        c.points.append(p);
    return c;
}

Cloud2 numbered(int n)
{
    Cloud2 c;
    for (int i = 0; i < n; ++i)
        c.points.append(VelaPointXY(float(i), float(10 * i)));
    return c;
}

// The sort as defined: bubble passes from the last index down, neighbours exchanged in place,
// never a pair that involves NaN, repeated until a pass exchanges nothing.
template<class T, class Key>
void bubbleSort(QList<T>& v, Key key, bool ascending)
{
    for (bool exchanged = true; exchanged;) {
        exchanged = false;
        for (qsizetype i = v.size() - 1; i >= 1; --i) {
            const float a = key(v[i - 1]);
            const float b = key(v[i]);
            if (ascending ? a > b : a < b) {
                std::swap(v[i - 1], v[i]);
                exchanged = true;
            }
        }
    }
}

// removeIndeces as defined: sort, then removeAt from the last entry to the first.
int removeOneByOne(QList<VelaPointXY>& pts, QList<int> indices)
{
    std::sort(indices.begin(), indices.end());
    int counted = 0;
    for (qsizetype k = indices.size() - 1; k >= 0; --k) {
        const int i = indices[k];
        if (i >= pts.size())
            continue;
        ++counted;
        if (i >= 0)
            pts.removeAt(i);
    }
    return counted;
}

float randomKey(QRandomGenerator& rng)
{
    // Few distinct values, so equal keys (stability) and NaN barriers are frequent.
    const int r = rng.bounded(12);
    return r == 0 ? NaN : float(r % 6) - 2.0f;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray leFloat(float v)
{
    return le32(bits(v));
}

} // namespace

class TestPointCloud : public QObject
{
    Q_OBJECT

private slots:
    void pointsAndDistances();

    void copyTakesPointsAndRangeButNotTheZIndex();
    void appendMergesTheRange_data();
    void appendMergesTheRange();

    void calcRangeSkipsNaNAndEmptyIsUndefined();
    void centreAndAverages();
    void indexOfFirstEqualCoordinate();
    void rangeIndices_data();
    void rangeIndices();
    void rangeIndices3DAndSphere();

    void removeIndecesExample();
    void removeIndecesEdgeEntries_data();
    void removeIndecesEdgeEntries();
    void removeIndecesMatchesOneByOneRemoval();
    void removeIndecesInvalidatesZIndexOnlyWhenCounted();
    void shiftAndResize();

    void sortMatchesBubbleSortWithNaN();
    void sort3DByZThenXWithinRuns();
    void sort3DWithoutZOrderSortsByX();
    void buildZIndexEntries();

    void rotations3D();
    void trim3DRemovesAndNarrowsRange();
    void removeByYLevel_data();
    void removeByYLevel();

    void fileRoundTrip2DWithBytes();
    void fileRoundTrip3DAndRGB();
    void severalCloudsInOneFile();
    void emptyCloudWritesMarkerAndZeroCount();
    void oversized2DCloudIsRefused();
    void compatXYZFile();
    void writeFailuresAnswerFalse();
    void hostileFiles_data();
    void hostileFiles();
    void truncatedRecordsKeepCompletePoints();
};

void TestPointCloud::pointsAndDistances()
{
    QVERIFY(VelaPointXY().isNull());
    QVERIFY(!VelaPointXY(0, 0).isNull());
    QVERIFY(VelaPointXY(1, NaN).isNull());
    QVERIFY(std::isnan(VelaPointXYZRGB().z));
    QCOMPARE(VelaPointXYZRGB().rgb, quint32(0));
    QCOMPARE(VelaPointXY(0, 0).calcDistance(VelaPointXY(3, 4)), 5.0f);
    QCOMPARE(VelaPointXY::calcDistance(VelaPointXY(1, 1), VelaPointXY(4, 5)), 5.0f);
    QVERIFY(std::isnan(VelaPointXY(NaN, 0).calcDistance(VelaPointXY(1, 1))));
    QCOMPARE(VelaPointXYZ(1, 2, 3).calcDistance(VelaPointXYZ(3, 5, 9)), 7.0f);
    QVERIFY(std::isnan(VelaPointXYZ::calcDistance(VelaPointXYZ(0, 0, NaN), VelaPointXYZ(0, 0, 0))));
}

void TestPointCloud::copyTakesPointsAndRangeButNotTheZIndex()
{
    Cloud3 a;
    a.points = {VelaPointXYZ(1, 2, 3), VelaPointXYZ(4, 5, 3)};
    a.calcRange();
    a.buildZIndex();
    QCOMPARE(a.zIndexValid, 1);

    const Cloud3 b(a);
    QVERIFY(samePoints(b.points, a.points));
    QCOMPARE(b.minX, 1.0f);
    QCOMPARE(b.maxY, 5.0f);
    QCOMPARE(b.minZ, 3.0f);
    QCOMPARE(b.zIndexValid, 0);
    QVERIFY(b.zIndex.isEmpty());

    Cloud3 c;
    c = a;
    QCOMPARE(c.size(), 2);
    QCOMPARE(c.zIndexValid, 0);
    QCOMPARE(a.zIndexValid, 1);

    Cloud3& self = c;
    c = self;
    QCOMPARE(c.size(), 2);

    QList<Cloud2> list{numbered(3), numbered(5)}; // lives in lists
    QCOMPARE(list[1].size(), 5);

    a.clear(); // keeps the z index
    QVERIFY(a.isEmpty() && std::isnan(a.minX) && std::isnan(a.maxZ));
    QCOMPARE(a.zIndexValid, 1);
    QCOMPARE(a.zIndex.size(), 1);
}

void TestPointCloud::appendMergesTheRange_data()
{
    QTest::addColumn<float>("ownMin");
    QTest::addColumn<float>("ownMax");
    QTest::addColumn<float>("otherMin");
    QTest::addColumn<float>("otherMax");
    QTest::addColumn<float>("mergedMin");
    QTest::addColumn<float>("mergedMax");
    QTest::newRow("other wider") << 2.0f << 5.0f << 1.0f << 7.0f << 1.0f << 7.0f;
    QTest::newRow("other inside") << 2.0f << 5.0f << 3.0f << 4.0f << 2.0f << 5.0f;
    QTest::newRow("own undefined stays") << NaN << NaN << 1.0f << 7.0f << NaN << NaN;
    QTest::newRow("other undefined ignored") << 2.0f << 5.0f << NaN << NaN << 2.0f << 5.0f;
}

void TestPointCloud::appendMergesTheRange()
{
    QFETCH(float, ownMin);
    QFETCH(float, ownMax);
    QFETCH(float, otherMin);
    QFETCH(float, otherMax);
    QFETCH(float, mergedMin);
    QFETCH(float, mergedMax);

    Cloud3 own;
    own.points = {VelaPointXYZ(0, 0, 0)};
    own.minX = own.minY = own.minZ = ownMin;
    own.maxX = own.maxY = own.maxZ = ownMax;
    own.zIndexValid = 1;
    Cloud3 other;
    other.points = {VelaPointXYZ(1, 1, 1), VelaPointXYZ(2, 2, 2)};
    other.minX = other.minY = other.minZ = otherMin;
    other.maxX = other.maxY = other.maxZ = otherMax;

    own += other;
    QCOMPARE(own.size(), 3);
    QVERIFY(same(own.points[2], VelaPointXYZ(2, 2, 2)));
    for (float v : {own.minX, own.minY, own.minZ})
        QCOMPARE(v, mergedMin);
    for (float v : {own.maxX, own.maxY, own.maxZ})
        QCOMPARE(v, mergedMax);
    QCOMPARE(own.zIndexValid, 0);
}

void TestPointCloud::calcRangeSkipsNaNAndEmptyIsUndefined()
{
    Cloud2 empty;
    empty.minX = 1;
    empty.calcRange();
    QVERIFY(std::isnan(empty.minX) && std::isnan(empty.maxY));
    QVERIFY(std::isnan(empty.size_x()));

    Cloud2 c = cloudOf({{NaN, 4}, {3, NaN}, {-1, 2}, {5, 9}});
    c.calcRange();
    QCOMPARE(c.minX, -1.0f);
    QCOMPARE(c.maxX, 5.0f);
    QCOMPARE(c.minY, 2.0f);
    QCOMPARE(c.maxY, 9.0f);
    QVERIFY(std::isnan(c.minZ));
    QCOMPARE(c.size_x(), 6.0f);
    QVERIFY(std::isnan(c.size_z()));

    Cloud2 appended;
    appended += c;
    QVERIFY(std::isnan(appended.minX));
    appended.calcRange();
    QCOMPARE(appended.maxY, 9.0f);
}

void TestPointCloud::centreAndAverages()
{
    Cloud2 empty;
    VelaPointXY untouched(7, 7);
    QVERIFY(!empty.calcCenterPoint(untouched));
    QVERIFY(!empty.caclCenterMassPoint(untouched));
    QVERIFY(same(untouched, VelaPointXY(7, 7)));
    QCOMPARE(empty.calcAverageY(), 0.0f);

    Cloud2 c = cloudOf({{0, 0}, {1, 0}, {8, 6}});
    QCOMPARE(c.calcAverageY(), 2.0f);
    VelaPointXY centre;
    QVERIFY(c.calcCenterPoint(centre)); // range undefined: computed first
    QVERIFY(same(centre, VelaPointXY(4, 3)));
    QCOMPARE(c.maxX, 8.0f);
    VelaPointXY mass;
    QVERIFY(c.caclCenterMassPoint(mass));
    QVERIFY(same(mass, VelaPointXY(3, 2)));

    c.minX = 10; // a defined range is trusted as it stands
    c.maxX = 20;
    QVERIFY(c.calcCenterPoint(centre));
    QVERIFY(same(centre, VelaPointXY(15, 3)));

    Cloud3 c3;
    c3.points = {VelaPointXYZ(0, 0, 2), VelaPointXYZ(2, 4, 6)};
    VelaPointXYZ centre3;
    QVERIFY(c3.calcCenterPoint(centre3));
    QVERIFY(same(centre3, VelaPointXYZ(1, 2, 4)));
}

void TestPointCloud::indexOfFirstEqualCoordinate()
{
    Cloud3 c;
    c.points = {VelaPointXYZ(1, 5, 9), VelaPointXYZ(2, 5, 8), VelaPointXYZ(2, 6, 8)};
    QCOMPARE(c.getIndexX(2), 1);
    QCOMPARE(c.getIndexY(5), 0);
    QCOMPARE(c.getIndexZ(8), 1);
    QCOMPARE(c.getIndexX(3), -1);
    QCOMPARE(c.getIndexX(NaN), -1);
    QCOMPARE(Cloud2().getIndexY(0), -1);
}

void TestPointCloud::rangeIndices_data()
{
    QTest::addColumn<float>("minX");
    QTest::addColumn<float>("maxX");
    QTest::addColumn<float>("minY");
    QTest::addColumn<float>("maxY");
    QTest::addColumn<QList<int>>("expected");
    // points: (1,1) (2,5) (3,NaN) (NaN,2) (4,4)
    QTest::newRow("no bounds") << NaN << NaN << NaN << NaN << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("min x inclusive") << 2.0f << NaN << NaN << NaN << QList<int>{1, 2, 4};
    QTest::newRow("max x inclusive") << NaN << 2.0f << NaN << NaN << QList<int>{0, 1};
    QTest::newRow("y window") << NaN << NaN << 2.0f << 4.0f << QList<int>{3, 4};
    QTest::newRow("box") << 1.5f << 4.0f << 1.0f << 5.0f << QList<int>{1, 4};
    QTest::newRow("empty box") << 5.0f << 6.0f << NaN << NaN << QList<int>{};
}

void TestPointCloud::rangeIndices()
{
    QFETCH(float, minX);
    QFETCH(float, maxX);
    QFETCH(float, minY);
    QFETCH(float, maxY);
    QFETCH(QList<int>, expected);
    const Cloud2 c = cloudOf({{1, 1}, {2, 5}, {3, NaN}, {NaN, 2}, {4, 4}});
    QList<int> out{99, 98};
    QCOMPARE(c.getRangeIndeces(out, minX, maxX, minY, maxY), int(expected.size()));
    QCOMPARE(out, expected);
}

void TestPointCloud::rangeIndices3DAndSphere()
{
    Cloud3 c;
    c.points = {VelaPointXYZ(0, 0, 0), VelaPointXYZ(1, 0, 0), VelaPointXYZ(0, 0, 2),
                VelaPointXYZ(0, NaN, 0), VelaPointXYZ(0, 1, -1)};
    QList<int> out;
    QCOMPARE(c.getRangeIndeces(out, NaN, NaN, NaN, NaN, 0.0f, 1.0f), 3);
    QCOMPARE(out, (QList<int>{0, 1, 3}));
    QCOMPARE(c.getRangeIndeces(out, NaN, 0.5f, NaN, NaN, NaN, NaN), 4);
    QCOMPARE(out, (QList<int>{0, 2, 3, 4}));
    QCOMPARE(c.getRangeIndeces(out, VelaPointXYZ(0, 0, 0), 2.0f), 2);
    QCOMPARE(out, (QList<int>{0, 1}));
    QCOMPARE(c.getRangeIndeces(out, VelaPointXYZ(0, 0, 0), 4.0f), 4); // the NaN point never
    QCOMPARE(out, (QList<int>{0, 1, 2, 4}));
}

void TestPointCloud::removeIndecesExample()
{
    Cloud2 c = numbered(10);
    QList<int> indices{5, 1, 5};
    QCOMPARE(c.removeIndeces(indices), 3);
    QCOMPARE(indices, (QList<int>{1, 5, 5})); // sorted in place
    QList<float> xs;
    for (const VelaPointXY& p : c.points)
        xs.append(p.x);
    QCOMPARE(xs, (QList<float>{0, 2, 3, 4, 7, 8, 9}));
}

void TestPointCloud::removeIndecesEdgeEntries_data()
{
    QTest::addColumn<QList<int>>("indices");
    QTest::addColumn<int>("counted");
    QTest::addColumn<QList<float>>("remainingX");
    QTest::newRow("no entries") << QList<int>{} << 0 << QList<float>{0, 1, 2, 3};
    QTest::newRow("negative counted, removes nothing") << QList<int>{-1, -7} << 2 << QList<float>{0, 1, 2, 3};
    QTest::newRow("beyond the end skipped") << QList<int>{4, 9} << 0 << QList<float>{0, 1, 2, 3};
    QTest::newRow("last index") << QList<int>{3} << 1 << QList<float>{0, 1, 2};
    QTest::newRow("repeated past the shrinking end") << QList<int>{3, 3} << 1 << QList<float>{0, 1, 2};
    QTest::newRow("repeated first index empties") << QList<int>{0, 0, 0, 0, 0} << 4 << QList<float>{};
    QTest::newRow("mixed") << QList<int>{2, -3, 2, 8, 0} << 4 << QList<float>{1};
}

void TestPointCloud::removeIndecesEdgeEntries()
{
    QFETCH(QList<int>, indices);
    QFETCH(int, counted);
    QFETCH(QList<float>, remainingX);
    Cloud2 c = numbered(4);
    c.calcRange();
    QCOMPARE(c.removeIndeces(indices), counted);
    QList<float> xs;
    for (const VelaPointXY& p : c.points)
        xs.append(p.x);
    QCOMPARE(xs, remainingX);
    QCOMPARE(c.maxX, 3.0f); // the range is left as it was
}

void TestPointCloud::removeIndecesMatchesOneByOneRemoval()
{
    QRandomGenerator rng(4711);
    for (int round = 0; round < 300; ++round) {
        const int n = rng.bounded(40);
        Cloud2 c = numbered(n);
        QList<VelaPointXY> expected = c.points;
        QList<int> indices;
        const int k = rng.bounded(30);
        for (int i = 0; i < k; ++i)
            indices.append(rng.bounded(-3, n + 4));
        QList<int> copy = indices;
        const int expectedCount = removeOneByOne(expected, indices);
        QCOMPARE(c.removeIndeces(copy), expectedCount);
        QVERIFY2(samePoints(c.points, expected), qPrintable(QString("round %1").arg(round)));
    }
}

void TestPointCloud::removeIndecesInvalidatesZIndexOnlyWhenCounted()
{
    Cloud3 c;
    c.points = {VelaPointXYZ(0, 0, 0), VelaPointXYZ(1, 1, 1)};
    c.buildZIndex();
    QList<int> beyond{5};
    QCOMPARE(c.removeIndeces(beyond), 0);
    QCOMPARE(c.zIndexValid, 1);
    QList<int> negative{-1};
    QCOMPARE(c.removeIndeces(negative), 1);
    QCOMPARE(c.zIndexValid, 0);
    QCOMPARE(c.size(), 2);
}

void TestPointCloud::shiftAndResize()
{
    Cloud2 c = cloudOf({{1, 2}, {-0.0f, 4}});
    c.calcRange();
    c.shift(0, 1, 100);
    QVERIFY(same(c.points[0], VelaPointXY(1, 3)));
    QVERIFY(std::signbit(c.points[1].x)); // a zero offset is not applied at all
    QCOMPARE(c.maxY, 4.0f);                // range untouched
    c.resize(2, 1, 0);
    QVERIFY(same(c.points[0], VelaPointXY(2, 3)));
    c.shift(NaN, 0, 0); // a NaN offset is applied
    QVERIFY(std::isnan(c.points[0].x));

    Cloud3 c3;
    c3.points = {VelaPointXYZ(1, 1, 1)};
    c3.shift(0, 0, 2);
    QVERIFY(same(c3.points[0], VelaPointXYZ(1, 1, 3)));
}

void TestPointCloud::sortMatchesBubbleSortWithNaN()
{
    QRandomGenerator rng(1234);
    const auto byX = [](const auto& p) { return p.x; };
    // Every order other than ascending sorts descending.
    const VelaSortOrder orders[] = {SortAscending, SortDescending, SortNone, VelaSortOrder(7)};
    for (int round = 0; round < 400; ++round) {
        const VelaSortOrder order = orders[round % 4];
        const bool ascending = order == SortAscending;
        Cloud2 c;
        Cloud3 c3;
        const int n = rng.bounded(60);
        for (int i = 0; i < n; ++i) {
            const float x = randomKey(rng);
            c.points.append(VelaPointXY(x, float(i)));
            c3.points.append(VelaPointXYZ(x, float(i), float(-i)));
        }
        QList<VelaPointXY> expected = c.points;
        QList<VelaPointXYZ> expected3 = c3.points;
        bubbleSort(expected, byX, ascending);
        bubbleSort(expected3, byX, ascending);
        c.sort(order, SortAscending);
        c3.sort(order, SortNone);
        QVERIFY2(samePoints(c.points, expected), qPrintable(QString("round %1").arg(round)));
        QVERIFY2(samePoints(c3.points, expected3), qPrintable(QString("round %1").arg(round)));
    }
}

void TestPointCloud::sort3DByZThenXWithinRuns()
{
    QRandomGenerator rng(99);
    for (int round = 0; round < 100; ++round) {
        Cloud3 c;
        const int n = rng.bounded(1, 50);
        for (int i = 0; i < n; ++i)
            c.points.append(VelaPointXYZ(float(rng.bounded(5)), float(i), float(rng.bounded(4))));
        const bool zAscending = round % 2 == 0;
        c.sort(SortAscending, zAscending ? SortAscending : SortDescending);
        QCOMPARE(c.zIndexValid, 1);
        for (int i = 1; i < n; ++i) {
            const VelaPointXYZ& a = c.points[i - 1];
            const VelaPointXYZ& b = c.points[i];
            QVERIFY(zAscending ? a.z <= b.z : a.z >= b.z);
            if (a.z == b.z) {
                QVERIFY(a.x <= b.x);
                if (a.x == b.x)
                    QVERIFY(a.y < b.y); // stable
            }
        }
        // every distinct z is in the index and points at a boundary of its run
        for (auto it = c.zIndex.cbegin(); it != c.zIndex.cend(); ++it) {
            const int at = it.value();
            QVERIFY(at >= 0 && at < n);
            const bool startsRun = c.points[at].z == it.key();
            const bool endsPreviousRun = at + 1 < n && c.points[at + 1].z == it.key();
            QVERIFY(startsRun || endsPreviousRun);
        }
        QSet<float> zs;
        for (const VelaPointXYZ& p : c.points)
            zs.insert(p.z);
        QCOMPARE(c.zIndex.size(), zs.size());
    }

    Cloud3 unsortedX;
    unsortedX.points = {VelaPointXYZ(3, 0, 1), VelaPointXYZ(1, 0, 1), VelaPointXYZ(2, 0, 0)};
    unsortedX.sort(SortNone, SortAscending); // z only
    QVERIFY(same(unsortedX.points[1], VelaPointXYZ(3, 0, 1)));
    QVERIFY(same(unsortedX.points[2], VelaPointXYZ(1, 0, 1)));
}

void TestPointCloud::sort3DWithoutZOrderSortsByX()
{
    CloudRGB c;
    c.points = {VelaPointXYZRGB(1, 0, 5, 0xff), VelaPointXYZRGB(3, 0, 4, 0xee),
                VelaPointXYZRGB(2, 0, 6, 0xdd)};
    c.sort(SortNone, SortNone);
    QCOMPARE(c.points[0].x, 3.0f);
    QCOMPARE(c.points[0].rgb, quint32(0xee)); // the colour travels with its point
    QCOMPARE(c.points[2].x, 1.0f);
    QCOMPARE(c.zIndexValid, 0);
}

void TestPointCloud::buildZIndexEntries()
{
    Cloud3 c;
    c.points = {VelaPointXYZ(0, 0, 1), VelaPointXYZ(0, 0, 1), VelaPointXYZ(0, 0, 2),
                VelaPointXYZ(0, 0, NaN), VelaPointXYZ(0, 0, 2), VelaPointXYZ(0, 0, 3)};
    c.buildZIndex();
    QCOMPARE(c.zIndexValid, 1);
    QCOMPARE(c.zIndex.size(), 3);
    QCOMPARE(c.zIndex.value(1.0f), 0);
    QCOMPARE(c.zIndex.value(2.0f), 1); // index 2 enters as 2 - 1
    QCOMPARE(c.zIndex.value(3.0f), 4);

    Cloud3 empty;
    empty.zIndex.insert(5, 5);
    empty.buildZIndex();
    QVERIFY(empty.zIndex.isEmpty());
    QCOMPARE(empty.zIndexValid, 1);
}

void TestPointCloud::rotations3D()
{
    Cloud3 c;
    c.points = {VelaPointXYZ(1, 0, 5)};
    c.rotateXY(90);
    QVERIFY(std::fabs(c.points[0].x) < 1e-6f);
    QCOMPARE(c.points[0].y, 1.0f);
    QCOMPARE(c.points[0].z, 5.0f);

    c.points = {VelaPointXYZ(2, 7, 0)};
    c.rotateXZ(180);
    QVERIFY(qFuzzyCompare(c.points[0].x, -2.0f));
    QVERIFY(std::fabs(c.points[0].z) < 1e-5f);
    QCOMPARE(c.points[0].y, 7.0f);

    c.points = {VelaPointXYZ(9, 0, 3)};
    c.rotateYZ(-90);
    QVERIFY(qFuzzyCompare(c.points[0].y, 3.0f));
    QVERIFY(std::fabs(c.points[0].z) < 1e-5f);

    // undefined and zero angles are skipped, so the point stays bit-exact
    c.points = {VelaPointXYZ(0.3f, 0.7f, 1.1f)};
    c.rotate(NaN, 0, NaN);
    QVERIFY(same(c.points[0], VelaPointXYZ(0.3f, 0.7f, 1.1f)));
    c.rotate(90, NaN, 90);
    QVERIFY(std::fabs(c.points[0].x + 0.7f) < 1e-6f);
    QVERIFY(std::fabs(c.points[0].y + 1.1f) < 1e-6f);
    QVERIFY(std::fabs(c.points[0].z - 0.3f) < 1e-6f);
}

void TestPointCloud::trim3DRemovesAndNarrowsRange()
{
    Cloud3 c;
    c.points = {VelaPointXYZ(0, 0, 0), VelaPointXYZ(5, 5, 5), VelaPointXYZ(10, 10, 10),
                VelaPointXYZ(NaN, 10, 5)};
    c.calcRange();
    c.buildZIndex();
    QCOMPARE(c.trim(1, NaN, NaN, 12, 2, 8), 2);
    QCOMPARE(c.size(), 2);
    QVERIFY(same(c.points[0], VelaPointXYZ(5, 5, 5)));
    QVERIFY(std::isnan(c.points[1].x)); // a NaN coordinate is never out of bounds
    QCOMPARE(c.minX, 1.0f);             // bound greater than the stored minimum
    QVERIFY(std::isnan(c.maxX));        // NaN bound
    QVERIFY(std::isnan(c.minY));
    QCOMPARE(c.maxY, 10.0f);            // a looser bound leaves the stored one
    QCOMPARE(c.minZ, 2.0f);
    QCOMPARE(c.maxZ, 8.0f);
    QCOMPARE(c.zIndexValid, 0);

    c.trim(-5, 100, NaN, NaN, NaN, NaN); // wider bounds leave the stored ones
    QCOMPARE(c.minX, 1.0f);
    QVERIFY(std::isnan(c.maxX));
}

void TestPointCloud::removeByYLevel_data()
{
    QTest::addColumn<bool>("above");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QList<float>>("remainingY");
    QTest::newRow("at or below") << false << 2 << QList<float>{3, NaN};
    QTest::newRow("at or above") << true << 2 << QList<float>{1, NaN};
}

void TestPointCloud::removeByYLevel()
{
    QFETCH(bool, above);
    QFETCH(int, removed);
    QFETCH(QList<float>, remainingY);
    Cloud3 c;
    for (float y : {1.0f, 2.0f, 3.0f, NaN})
        c.points.append(VelaPointXYZ(0, y, 0));
    QCOMPARE(c.removePointsByYLevel(2, above), removed);
    QCOMPARE(c.size(), int(remainingY.size()));
    for (int i = 0; i < c.size(); ++i)
        QCOMPARE(c.points[i].y, remainingY[i]);
}

void TestPointCloud::fileRoundTrip2DWithBytes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cloud.bin");
    const Cloud2 c = cloudOf({{1.5f, -2}, {NaN, 3.25f}});
    QVERIFY(c.writeToFile(path));

    const QByteArray expected = QByteArray("\x02\x02\x00", 3) + leFloat(1.5f) + leFloat(-2)
                                + leFloat(NaN) + leFloat(3.25f);
    QCOMPARE(fileBytes(path), expected);

    Cloud2 back = cloudOf({{9, 9}});
    QCOMPARE(back.readFromFile(path), 2);
    QVERIFY(samePoints(back.points, c.points));
    QCOMPARE(back.minX, 1.5f); // the reader keeps the range, passing NaN over
    QCOMPARE(back.maxX, 1.5f);
    QCOMPARE(back.minY, -2.0f);
    QCOMPARE(back.maxY, 3.25f);

    // rewriting truncates
    QVERIFY(cloudOf({{0, 0}}).writeToFile(path));
    QCOMPARE(fileBytes(path).size(), 3 + 8);
}

void TestPointCloud::fileRoundTrip3DAndRGB()
{
    QTemporaryDir dir;
    Cloud3 c;
    c.points = {VelaPointXYZ(1, 2, 3), VelaPointXYZ(-4, 5, -6)};
    QVERIFY(c.writeToFile(dir.filePath("a.bin")));
    QCOMPARE(fileBytes(dir.filePath("a.bin")),
             QByteArray(1, '\x03') + le32(2) + leFloat(1) + leFloat(2) + leFloat(3) + leFloat(-4)
                 + leFloat(5) + leFloat(-6));
    Cloud3 back;
    back.zIndexValid = 1;
    QCOMPARE(back.readFromFile(dir.filePath("a.bin")), 2);
    QVERIFY(samePoints(back.points, c.points));
    QCOMPARE(back.minZ, -6.0f);
    QCOMPARE(back.maxZ, 3.0f);
    QCOMPARE(back.zIndexValid, 0);

    CloudRGB rgb;
    rgb.points = {VelaPointXYZRGB(1, 2, 3, 0x11223344)};
    QVERIFY(rgb.writeToFile(dir.filePath("b.bin")));
    QCOMPARE(fileBytes(dir.filePath("b.bin")),
             QByteArray(1, '\x04') + le32(1) + leFloat(1) + leFloat(2) + leFloat(3) + le32(0x11223344));
    CloudRGB rgbBack;
    QCOMPARE(rgbBack.readFromFile(dir.filePath("b.bin")), 1);
    QCOMPARE(rgbBack.points[0].rgb, quint32(0x11223344));
    QCOMPARE(rgbBack.points[0].z, 3.0f);
}

void TestPointCloud::severalCloudsInOneFile()
{
    QTemporaryDir dir;
    QFile f(dir.filePath("many.bin"));
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(numbered(3).writeToFile(f));
    Cloud3 c3;
    c3.points = {VelaPointXYZ(7, 8, 9)};
    QVERIFY(c3.writeToFile(f));
    QVERIFY(numbered(70).writeToFile(f));
    QVERIFY(f.seek(0));

    Cloud2 a;
    Cloud2 wrongType;
    Cloud3 b;
    QCOMPARE(a.readFromFile(f), 3);
    QCOMPARE(wrongType.readFromFile(f), -1); // a 3-D record: rewound for the next reader
    QCOMPARE(f.pos(), qint64(3 + 3 * 8));
    QCOMPARE(b.readFromFile(f), 1);
    QVERIFY(same(b.points[0], VelaPointXYZ(7, 8, 9)));
    QCOMPARE(a.readFromFile(f), 70);
    QVERIFY(same(a.points[69], VelaPointXY(69, 690)));
    QCOMPARE(a.readFromFile(f), -1); // end of file
    QVERIFY(f.atEnd());
}

void TestPointCloud::emptyCloudWritesMarkerAndZeroCount()
{
    QTemporaryDir dir;
    QVERIFY(Cloud2().writeToFile(dir.filePath("e2")));
    QCOMPARE(fileBytes(dir.filePath("e2")), QByteArray("\x02\x00\x00", 3));
    QVERIFY(Cloud3().writeToFile(dir.filePath("e3")));
    QCOMPARE(fileBytes(dir.filePath("e3")), QByteArray(1, '\x03') + le32(0));
    Cloud3 back = Cloud3();
    QCOMPARE(back.readFromFile(dir.filePath("e3")), 0);
    QVERIFY(back.isEmpty());
}

void TestPointCloud::oversized2DCloudIsRefused()
{
    QTemporaryDir dir;
    QFile f(dir.filePath("big.bin"));
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(numbered(65535).writeToFile(f));
    const qint64 afterLargest = f.pos();
    QCOMPARE(afterLargest, qint64(3 + 65535 * 8));
    QVERIFY(!numbered(70000).writeToFile(f)); // its count could not be read back
    QCOMPARE(f.pos(), afterLargest);
    QCOMPARE(f.size(), afterLargest);
}

void TestPointCloud::compatXYZFile()
{
    QTemporaryDir dir;
    Cloud3 c;
    c.points = {VelaPointXYZ(1, 2, 3), VelaPointXYZ(4, 5, 6)};
    QVERIFY(c.compat_writeToXYZFile(dir.filePath("c.xyz")));
    QCOMPARE(fileBytes(dir.filePath("c.xyz")),
             leFloat(1) + leFloat(2) + leFloat(3) + leFloat(0) + leFloat(4) + leFloat(5) + leFloat(6)
                 + leFloat(0));
    QVERIFY(!c.compat_writeToXYZFile(dir.filePath("missing/c.xyz")));
}

void TestPointCloud::writeFailuresAnswerFalse()
{
    QTemporaryDir dir;
    QVERIFY(!numbered(3).writeToFile(dir.filePath("no/such/dir.bin")));
    QVERIFY(!numbered(3).writeToFile(dir.path())); // a directory
    QCOMPARE(numbered(3).readFromFile(dir.filePath("absent.bin")), -1);
    if (QFile::exists("/dev/full")) {
        // the device accepts the open and fails the writes
        QVERIFY(!numbered(3).writeToFile(QStringLiteral("/dev/full")));
        Cloud3 c;
        c.points = {VelaPointXYZ(1, 2, 3)};
        QVERIFY(!c.compat_writeToXYZFile(QStringLiteral("/dev/full")));
    }
}

void TestPointCloud::hostileFiles_data()
{
    QTest::addColumn<QByteArray>("prefix"); // bytes before the record, skipped first
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("pointsKept");
    const QByteArray x1 = leFloat(1) + leFloat(2);
    QTest::newRow("empty") << QByteArray() << QByteArray() << 0;
    QTest::newRow("wrong marker") << QByteArray() << QByteArray("\x03\x01\x00", 3) + x1 << 0;
    QTest::newRow("marker only") << QByteArray() << QByteArray(1, '\x02') << 0;
    QTest::newRow("half a count") << QByteArray() << QByteArray("\x02\x05", 2) << 0;
    QTest::newRow("count beyond the file") << QByteArray() << QByteArray("\x02\xff\xff", 3) + x1 << 1;
    QTest::newRow("record cut in y") << QByteArray() << QByteArray("\x02\x02\x00", 3) + x1 + leFloat(3) << 1;
    QTest::newRow("record cut inside a float") << QByteArray() << QByteArray("\x02\x01\x00\x00\x00", 5) << 0;
    QTest::newRow("text") << QByteArray() << QByteArray("x,y\n1,2\n") << 0;
    QTest::newRow("at an offset") << QByteArray("junk") << QByteArray("\x02\x03\x00", 3) + x1 << 1;
}

void TestPointCloud::hostileFiles()
{
    QFETCH(QByteArray, prefix);
    QFETCH(QByteArray, content);
    QFETCH(int, pointsKept);
    QTemporaryDir dir;
    QFile f(dir.filePath("hostile.bin"));
    QVERIFY(f.open(QIODevice::ReadWrite));
    f.write(prefix + content);
    QVERIFY(f.seek(prefix.size()));

    Cloud2 c = cloudOf({{5, 5}});
    c.calcRange();
    QCOMPARE(c.readFromFile(f), -1);
    QCOMPARE(f.pos(), qint64(prefix.size()));
    QCOMPARE(c.size(), pointsKept);
    if (pointsKept == 0)
        QVERIFY(std::isnan(c.minX)); // cleared before reading
    else
        QCOMPARE(c.minX, 1.0f);
}

void TestPointCloud::truncatedRecordsKeepCompletePoints()
{
    // A 3-D record claiming four billion points must fail fast, without a claim-sized buffer.
    QTemporaryDir dir;
    QFile f(dir.filePath("claim.bin"));
    QVERIFY(f.open(QIODevice::ReadWrite));
    f.write(QByteArray(1, '\x03') + le32(0xffffffffu) + leFloat(1) + leFloat(2) + leFloat(3) + leFloat(4));
    QVERIFY(f.seek(0));
    Cloud3 c;
    QCOMPARE(c.readFromFile(f), -1);
    QCOMPARE(f.pos(), qint64(0));
    QVERIFY(c.points.capacity() < 1000);

    f.resize(0);
    f.write(QByteArray(1, '\x03') + le32(1000) + QByteArray(600 * 12 + 5, '\0'));
    QVERIFY(f.seek(0));
    QCOMPARE(c.readFromFile(f), -1);
    QCOMPARE(c.size(), 600);
    QCOMPARE(f.pos(), qint64(0));
}

QTEST_APPLESS_MAIN(TestPointCloud)
#include "tst_pointcloud.moc"
