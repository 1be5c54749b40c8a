#include <QtTest>

#include "VelaProfileZSet.h"

#include <QDataStream>
#include <QTemporaryDir>

#include <cmath>

using namespace VelaMath;

namespace {

const float NaN = velaNaN;

VelaProfile profileOf(std::initializer_list<VelaPointXY> pts)
{
    VelaProfile p;
    for (const VelaPointXY& q : pts)
        p.points.append(q);
    return p;
}

VelaProfileZ zProfile(float z, int count, float yBase = 0)
{
    VelaProfileZ p(z);
    for (int i = 0; i < count; ++i)
        p.points.append(VelaPointXY(float(i), yBase + float(i) * 0.5f));
    return p;
}

// A Z-profile record built byte by byte, apart from the code under test.
QByteArray zRecord(float z, const QList<VelaPointXY>& pts, int claimedCount = -1)
{
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s.setFloatingPointPrecision(QDataStream::SinglePrecision);
    s << quint8(0x05) << quint16(claimedCount < 0 ? pts.size() : claimedCount) << z;
    for (const VelaPointXY& p : pts)
        s << p.x << p.y;
    return bytes;
}

QByteArray cloudRecord(const QList<VelaPointXY>& pts)
{
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s.setFloatingPointPrecision(QDataStream::SinglePrecision);
    s << quint8(0x02) << quint16(pts.size());
    for (const VelaPointXY& p : pts)
        s << p.x << p.y;
    return bytes;
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool samePoints(const QList<VelaPointXY>& a, const QList<VelaPointXY>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].x != b[i].x || a[i].y != b[i].y)
            return false;
    }
    return true;
}

const QList<VelaPointXY> threePoints{{1.0f, 2.0f}, {-3.5f, 4.25f}, {5.0f, -6.0f}};

} // namespace

class TestProfileZ : public QObject
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(dir.isValid()); }

    // --- the profile at a position -------------------------------------------------------

    void constructors()
    {
        const VelaProfileZ none;
        QVERIFY(none.isEmpty());
        QVERIFY(std::isnan(none.z));
        QCOMPARE(VelaProfileZ(3.5f).z, 3.5f);

        float buffer[] = {1, 2, 3, 4};
        const VelaProfileZ fromBuffer(7.0f, buffer, 2);
        QCOMPARE(fromBuffer.z, 7.0f);
        QVERIFY(samePoints(fromBuffer.points, {{1, 2}, {3, 4}}));

        const VelaProfileZ copy(fromBuffer);
        QCOMPARE(copy.z, 7.0f);
        QVERIFY(samePoints(copy.points, fromBuffer.points));

        const VelaProfileZ fromProfile(profileOf({{1, 1}}));
        QCOMPARE(fromProfile.size(), 1);
        QVERIFY(std::isnan(fromProfile.z));
    }

    void assignmentsAppend()
    {
        VelaProfileZ p = zProfile(2.0f, 2);
        p = profileOf({{10, 0}, {11, 0}, {12, 0}, {13, 0}, {14, 0}});
        QCOMPARE(p.size(), 7);
        QVERIFY(std::isnan(p.z));
        QCOMPARE(p.points[2].x, 10.0f);

        p = zProfile(9.0f, 1, 100.0f);
        QCOMPARE(p.size(), 8);
        QCOMPARE(p.z, 9.0f);
        QCOMPARE(p.points.last().y, 100.0f);
    }

    void assignmentToItselfChangesNothing()
    {
        VelaProfileZ p = zProfile(4.0f, 3);
        VelaProfileZ& same = p;
        p = same;
        QCOMPARE(p.size(), 3);
        QCOMPARE(p.z, 4.0f);
        const VelaProfile& base = p;
        p = base;
        QCOMPARE(p.size(), 3);
        QCOMPARE(p.z, 4.0f);
    }

    void clearKeepsRange()
    {
        VelaProfileZ p = zProfile(1.0f, 4);
        p.calcRange();
        p.clear();
        QVERIFY(p.isEmpty());
        QVERIFY(std::isnan(p.z));
        QCOMPARE(p.maxX, 3.0f);
    }

    void recordLayout()
    {
        VelaProfileZ p(12.5f);
        p.points = threePoints;
        const QString path = dir.filePath("three.bin");
        QVERIFY(p.writeToFile(path));
        const QByteArray bytes = readBytes(path);
        QCOMPARE(bytes.size(), 31);
        QCOMPARE(bytes.left(7).toHex(), QByteArray("050300" "00004841"));
        QCOMPARE(bytes, zRecord(12.5f, threePoints));
    }

    void recordsFollowEachOther()
    {
        const QString path = dir.filePath("two.bin");
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite | QIODevice::Truncate));
        QVERIFY(zProfile(1.0f, 2).writeToFile(f));
        QVERIFY(VelaProfileZ(2.0f).writeToFile(f));
        QCOMPARE(f.size(), qint64(23 + 7));
        f.seek(0);
        VelaProfileZ r;
        QCOMPARE(r.readFromFile(f), 2);
        QCOMPARE(r.z, 1.0f);
        QVERIFY(samePoints(r.points, zProfile(1.0f, 2).points));
        QCOMPARE(r.readFromFile(f), 0);
        QCOMPARE(r.z, 2.0f);
        QVERIFY(r.isEmpty());
        QCOMPARE(r.readFromFile(f), -1);
        QCOMPARE(f.pos(), qint64(30));
    }

    void badRecordsRewind_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("pointsLeft");

        const QByteArray full = zRecord(1.0f, threePoints);
        QTest::newRow("empty file") << QByteArray() << 0;
        QTest::newRow("cloud record") << cloudRecord(threePoints) << 0;
        QTest::newRow("marker only") << full.left(1) << 0;
        QTest::newRow("count cut") << full.left(2) << 0;
        QTest::newRow("z cut") << full.left(5) << 0;
        QTest::newRow("inside the second point") << full.left(7 + 8 + 5) << 1;
        QTest::newRow("last coordinate missing") << full.left(full.size() - 4) << 2;
        QTest::newRow("count beyond the file") << zRecord(1.0f, threePoints, 65535) << 3;
    }

    void badRecordsRewind()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, pointsLeft);

        // Something in front, so that rewinding to 0 would be wrong.
        const QByteArray lead("xyz");
        const QString path = dir.filePath("bad.bin");
        writeBytes(path, lead + bytes);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.seek(lead.size()));
        VelaProfileZ p = zProfile(5.0f, 9);
        QCOMPARE(p.readFromFile(f), -1);
        QCOMPARE(f.pos(), qint64(lead.size()));
        QCOMPARE(p.size(), pointsLeft);
        QVERIFY(samePoints(p.points, threePoints.mid(0, pointsLeft)));
    }

    // A profile of more than 65535 points has no record; refusing it must leave an existing
    // file as it was.
    void refusedWritesLeaveTheFileWhole()
    {
        const QString path = dir.filePath("big.bin");
        const QByteArray old = zRecord(1.0f, threePoints);
        VelaProfileZ p(0.0f);
        p.points.resize(65536);
        VelaProfileZSet set;
        set.profiles << zProfile(1.0f, 2) << p;
        VelaPointCloud<VelaPointXY> cloud;
        cloud.points = p.points;

        writeBytes(path, old);
        QVERIFY(!p.writeToFile(path));
        QCOMPARE(readBytes(path), old);
        QVERIFY(!set.writeToFile(path));
        QCOMPARE(readBytes(path), old);
        QVERIFY(!cloud.writeToFile(path));
        QCOMPARE(readBytes(path), old);

        p.points.removeLast();
        QVERIFY(p.writeToFile(path));
        QCOMPARE(QFileInfo(path).size(), qint64(7 + 8 * 65535));
        VelaProfileZ back;
        QCOMPARE(back.readFromFile(path), 65535);
    }

    void unusablePaths()
    {
        VelaProfileZ p = zProfile(1.0f, 2);
        QCOMPARE(p.readFromFile(dir.filePath("missing.bin")), -1);
        QVERIFY(!p.writeToFile(dir.filePath("no/such/dir.bin")));
        VelaProfileZSet set;
        QCOMPARE(set.readFromFile(dir.filePath("missing.bin")), 0);
        QVERIFY(!set.writeToFile(dir.filePath("no/such/dir.bin")));
    }

    // --- sets ---------------------------------------------------------------------------

    void newSet()
    {
        const VelaProfileZSet set;
        QVERIFY(set.isEmpty());
        QVERIFY(std::isnan(set.zStep));
        QVERIFY(std::isnan(set.minZ));
        QCOMPARE(set.calcAverageY(), 0.0f);
    }

    void setRoundTripSkipsEmptyRecords()
    {
        VelaProfileZSet set;
        set.profiles << zProfile(0.0f, 3) << zProfile(1.0f, 0) << zProfile(2.0f, 2, 7.0f);
        const QString path = dir.filePath("set.bin");
        QVERIFY(set.writeToFile(path));
        QCOMPARE(QFileInfo(path).size(), qint64(31 + 7 + 23));

        VelaProfileZSet back;
        back.profiles << zProfile(9.0f, 1);
        QCOMPARE(back.readFromFile(path), 2);
        QCOMPARE(back.profiles[0].z, 0.0f);
        QCOMPARE(back.profiles[1].z, 2.0f);
        QVERIFY(samePoints(back.profiles[0].points, set.profiles[0].points));
        QVERIFY(samePoints(back.profiles[1].points, set.profiles[2].points));
    }

    void damagedSetFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<float>>("zs");

        const QByteArray a = zRecord(1.0f, threePoints);
        const QByteArray b = zRecord(2.0f, threePoints.mid(0, 1));
        QTest::newRow("empty file") << QByteArray() << QList<float>{};
        QTest::newRow("truncated last record") << a + b.left(b.size() - 1) << QList<float>{1.0f};
        QTest::newRow("count beyond the file") << a + zRecord(3.0f, threePoints, 60000) << QList<float>{1.0f};
        QTest::newRow("cloud record in between") << a + cloudRecord(threePoints) + b << QList<float>{1.0f};
        QTest::newRow("trailing garbage") << a + b + QByteArray("\x07\x01") << QList<float>{1.0f, 2.0f};
        QTest::newRow("only empty records") << zRecord(1.0f, {}) + zRecord(2.0f, {}) << QList<float>{};
    }

    void damagedSetFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<float>, zs);

        const QString path = dir.filePath("damaged.bin");
        writeBytes(path, bytes);
        VelaProfileZSet set;
        QCOMPARE(set.readFromFile(path), int(zs.size()));
        for (int i = 0; i < zs.size(); ++i)
            QCOMPARE(set.profiles[i].z, zs[i]);
    }

    void cloudFileAsSet()
    {
        const QString path = dir.filePath("clouds.bin");
        writeBytes(path, cloudRecord(threePoints) + cloudRecord({}) + cloudRecord(threePoints.mid(1))
                             + zRecord(9.0f, threePoints) + cloudRecord(threePoints));
        VelaProfileZSet set;
        QCOMPARE(set.readFromFile(path, 10.0f, 0.25f), 2);
        QCOMPARE(set.zStep, 0.25f);
        QCOMPARE(set.profiles[0].z, 10.0f);
        QCOMPARE(set.profiles[1].z, 10.5f); // the empty record took 10.25
        QVERIFY(samePoints(set.profiles[0].points, threePoints));
        QVERIFY(samePoints(set.profiles[1].points, threePoints.mid(1)));

        QCOMPARE(set.readFromFile(dir.filePath("missing.bin"), 0.0f, 2.0f), 0);
        QCOMPARE(set.zStep, 2.0f);
    }

    void setZ()
    {
        VelaProfileZSet set;
        set.profiles << zProfile(NaN, 1) << zProfile(NaN, 1) << zProfile(NaN, 1) << zProfile(NaN, 1);
        set.setZ(100.0f, 0.5f);
        QCOMPARE(set.zStep, 0.5f);
        const float expected[] = {100.0f, 100.5f, 101.0f, 101.5f};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(set.profiles[i].z, expected[i]);
    }

    void getRange_data()
    {
        QTest::addColumn<float>("zMin");
        QTest::addColumn<float>("zMax");
        QTest::addColumn<QList<float>>("zs");

        // Profiles at z = 0, 1, 1.5, NaN, 2, 3.
        QTest::newRow("bounds included") << 1.0f << 2.0f << QList<float>{1.0f, 1.5f, 2.0f};
        QTest::newRow("single z") << 3.0f << 3.0f << QList<float>{3.0f};
        QTest::newRow("empty window") << 2.0f << 1.0f << QList<float>{};
        QTest::newRow("NaN bound") << NaN << 5.0f << QList<float>{};
    }

    void getRange()
    {
        QFETCH(float, zMin);
        QFETCH(float, zMax);
        QFETCH(QList<float>, zs);

        VelaProfileZSet set;
        for (float z : {0.0f, 1.0f, 1.5f, NaN, 2.0f, 3.0f})
            set.profiles << zProfile(z, 2, z);
        VelaProfileZSet out;
        out.profiles << zProfile(50.0f, 1);
        QCOMPARE(set.getRange(zMin, zMax, out), int(zs.size()));
        for (int i = 0; i < zs.size(); ++i) {
            QCOMPARE(out.profiles[i].z, zs[i]);
            QCOMPARE(out.profiles[i].points[0].y, zs[i]);
        }
        QCOMPARE(set.size(), 6);

        // The set may narrow itself.
        QCOMPARE(set.getRange(zMin, zMax, set), int(zs.size()));
        QCOMPARE(set.size(), int(zs.size()));
    }

    void calcRange()
    {
        VelaProfileZSet set;
        set.calcRange(); // empty: nothing happens
        QVERIFY(std::isnan(set.minX));

        set.minZ = -7.0f;
        set.profiles << VelaProfileZ(NaN);
        set.profiles.last().points = {{2, 5}, {NaN, 9}, {4, -1}};
        set.profiles << VelaProfileZ(3.0f); // empty: contributes nothing
        set.profiles << VelaProfileZ(6.0f);
        set.profiles.last().points = {{-3, 0}, {1, 2}};
        set.calcRange();
        QCOMPARE(set.minX, -3.0f);
        QCOMPARE(set.maxX, 4.0f);
        QCOMPARE(set.minY, -1.0f);
        QCOMPARE(set.maxY, 9.0f);
        QCOMPARE(set.minZ, -7.0f); // the first profile's z is undefined
        QCOMPARE(set.maxZ, 6.0f);
    }

    void averageIsMeanOfProfileMeans()
    {
        VelaProfileZSet set;
        set.profiles << VelaProfileZ(0.0f) << VelaProfileZ(1.0f);
        set.profiles[0].points = {{0, 1}, {1, 1}, {2, 1}, {3, 1}};
        set.profiles[1].points = {{0, 4}};
        // (1 + 4) / 2, not the mean over all five points.
        QCOMPARE(set.calcAverageY(), 2.5f);
    }

    void toPointCloud_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<QList<float>>("zs");

        // Profiles at z = 10, 20, 30 with 2, 1, 3 points.
        QTest::newRow("all") << 0 << 2 << QList<float>{10, 10, 20, 30, 30, 30};
        QTest::newRow("middle") << 1 << 1 << QList<float>{20};
        QTest::newRow("reversed") << 2 << 1 << QList<float>{};
        QTest::newRow("first below") << -1 << 1 << QList<float>{};
        QTest::newRow("last past the end") << 1 << 3 << QList<float>{};
    }

    void toPointCloud()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QList<float>, zs);

        VelaProfileZSet set;
        set.profiles << zProfile(10.0f, 2, 100.0f) << zProfile(20.0f, 1, 200.0f) << zProfile(30.0f, 3, 300.0f);
        VelaPointCloud<VelaPointXYZ> cloud;
        cloud.points.append(VelaPointXYZ(1, 1, 1));
        QCOMPARE(set.toPointCloud(cloud, first, last), int(zs.size()));
        for (int i = 0; i < zs.size(); ++i) {
            QCOMPARE(cloud.points[i].z, zs[i]);
            const VelaProfileZ& from = set.profiles[int(zs[i] / 10) - 1];
            const VelaPointXY& p = from.points[int(cloud.points[i].x)];
            QCOMPARE(cloud.points[i].y, p.y);
        }
        VelaPointCloud<VelaPointXYZ> whole;
        QCOMPARE(set.toPointCloud(whole), 6);
    }

    void copiedSetIsIndependent()
    {
        VelaProfileZSet set;
        set.profiles << zProfile(1.0f, 2);
        set.zStep = 0.5f;
        VelaProfileZSet copy(set);
        copy.profiles[0].points[0].y = 99.0f;
        copy.setZ(5.0f, 1.0f);
        QCOMPARE(set.profiles[0].points[0].y, 0.0f);
        QCOMPARE(set.profiles[0].z, 1.0f);
        QCOMPARE(set.zStep, 0.5f);
        QCOMPARE(copy.zStep, 1.0f);
    }

    // Sharing between copies must never show: a change to one set keeps every value of both.
    void copiedSetsKeepTheirProfilesRanges()
    {
        VelaProfileZSet set;
        set.profiles << zProfile(1.0f, 3, 2.0f) << zProfile(2.0f, 4, -1.0f);
        for (VelaProfileZ& p : set.profiles)
            QVERIFY(p.calcRange());
        VelaProfileZSet constructed(set);
        VelaProfileZSet assigned;
        assigned = set;
        const auto keepsRanges = [](const VelaProfileZSet& s, float z0) {
            for (int i = 0; i < s.size(); ++i) {
                const VelaProfileZ& p = s.profiles[i];
                if (p.minX != 0.0f || p.maxX != float(p.size() - 1) || p.minY != p.points.first().y
                    || p.maxY != p.points.last().y || p.z != z0 + float(i))
                    return false;
            }
            return true;
        };
        set.setZ(10.0f, 1.0f);
        QVERIFY(keepsRanges(set, 10.0f));
        constructed.setZ(20.0f, 1.0f);
        QVERIFY(keepsRanges(constructed, 20.0f));
        QVERIFY(keepsRanges(assigned, 1.0f));
        assigned.setZ(30.0f, 1.0f);
        QVERIFY(keepsRanges(assigned, 30.0f));
    }

private:
    QTemporaryDir dir;
};

QTEST_APPLESS_MAIN(TestProfileZ)
#include "tst_profilez.moc"
