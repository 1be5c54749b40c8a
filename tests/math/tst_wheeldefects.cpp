#include "VelaMetro.h"
#include "tst_wheelfixtures.h"

#include <QtTest>

#include <cmath>

using namespace VelaMath;
using namespace WheelFixtures;

namespace {

VelaProfile fromXY(const QList<float>& xs, const QList<float>& ys)
{
    VelaProfile p;
    for (int i = 0; i < xs.size(); ++i)
        p.points.append(VelaPointXY(xs[i], ys[i]));
    return p;
}

// A smooth tread, 400 points over x = -20 .. 20 around y = 100, with `spikes` points lifted
// by 3 and, when `junk`, points outside the default level lines (y = 300 and y = 20) that the
// level cleaning has to remove.
QList<VelaPointXY> tread(int spikes, bool junk = false)
{
    QList<VelaPointXY> points;
    for (int i = 0; i < 400; ++i) {
        const float x = -20.0f + 0.1f * float(i);
        const bool lifted = i % 50 == 25 && i / 50 < spikes;
        points.append(VelaPointXY(x, 100.0f + 0.01f * x * x + (lifted ? 3.0f : 0.0f)));
    }
    for (int i = 0; junk && i < 10; ++i) {
        points.append(VelaPointXY(float(i), 300.0f));
        points.append(VelaPointXY(float(i), 20.0f));
    }
    return points;
}

} // namespace

class tst_WheelDefects : public QObject
{
    Q_OBJECT

    std::unique_ptr<WorkDir> work;

private slots:
    void init() { work = std::make_unique<WorkDir>(); }
    void cleanup() { work.reset(); }

    void polynomCoeffs_data()
    {
        QTest::addColumn<QList<float>>("xs");
        QTest::addColumn<QList<float>>("ys");
        QTest::addColumn<int>("degree");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QList<double>>("coeffs"); // empty: not checked

        QList<float> xs, ys;
        for (int i = 0; i <= 40; ++i) {
            const double x = -2.0 + 0.1 * i;
            xs << float(x);
            ys << float(2 - 3 * x + 0.5 * x * x + 0.25 * x * x * x);
        }
        QTest::newRow("cubic recovered") << xs << ys << 3 << true
                                         << QList<double>{2, -3, 0.5, 0.25};
        QTest::newRow("line through a parabola") << QList<float>{-1, 0, 1} << QList<float>{1, 0, 1}
                                                 << 1 << true << QList<double>{2.0 / 3, 0};
        QTest::newRow("degree 0 is the mean") << QList<float>{0, 1, 2} << QList<float>{1, 2, 6} << 0
                                              << true << QList<double>{3};
        const QList<float> tiny{0, 1e-30f, 2e-30f};
        QTest::newRow("tiny spread, degree 1") << tiny << QList<float>{1, 2, 3} << 1 << true
                                               << QList<double>{};
        QTest::newRow("tiny spread, pivot below the limit")
            << tiny << QList<float>{1, 2, 3} << 2 << false << QList<double>{};
        QTest::newRow("one x for all") << QList<float>{3, 3, 3} << QList<float>{1, 2, 3} << 1
                                       << false << QList<double>{};
        QTest::newRow("no points") << QList<float>{} << QList<float>{} << 0 << false
                                   << QList<double>{};
        QTest::newRow("degree 50") << xs << ys << 50 << true << QList<double>{};
        QTest::newRow("degree 51") << xs << ys << 51 << false << QList<double>{};
        QTest::newRow("negative degree") << xs << ys << -1 << false << QList<double>{};
    }

    void polynomCoeffs()
    {
        QFETCH(QList<float>, xs);
        QFETCH(QList<float>, ys);
        QFETCH(int, degree);
        QFETCH(bool, ok);
        QFETCH(QList<double>, coeffs);
        VelaProfile p = fromXY(xs, ys);
        double c[52];
        QCOMPARE(p.calcPolynomCoeffs(degree, c), ok);
        for (int k = 0; k < coeffs.size(); ++k)
            QVERIFY2(std::fabs(c[k] - coeffs[k]) < 1e-4, qPrintable(QString::number(c[k])));

        // The fit replaces the heights by the polynomial's values, or leaves them on failure.
        VelaProfile fitted = p;
        QCOMPARE(fitted.polynomFit(degree), ok);
        for (int i = 0; i < p.size(); ++i) {
            double expected = p.points[i].y;
            if (!coeffs.isEmpty()) {
                expected = 0;
                for (int k = int(coeffs.size()) - 1; k >= 0; --k)
                    expected = expected * xs[i] + coeffs[k];
            }
            if (ok && coeffs.isEmpty())
                continue;
            QVERIFY(std::fabs(fitted.points[i].y - expected) < 1e-4);
            QCOMPARE(fitted.points[i].x, p.points[i].x);
        }
    }

    void defectTest_data()
    {
        QTest::addColumn<int>("spikes");
        QTest::addColumn<int>("pointsHigher");
        QTest::addColumn<bool>("passes");
        QTest::newRow("five deviating points") << 5 << 5 << true;
        QTest::newRow("six deviating points") << 6 << 5 << false;
        QTest::newRow("six with a limit of six") << 6 << 6 << true;
        QTest::newRow("smooth, negative limit") << 0 << -1 << false;
    }

    void defectTest()
    {
        QFETCH(int, spikes);
        QFETCH(int, pointsHigher);
        QFETCH(bool, passes);
        const VelaProfile p = profileOf(tread(spikes));
        QCOMPARE(METRO_detectWheelDefect(p, 20, 0.3f, pointsHigher), passes);
        const QList<VelaPointXY> original = tread(spikes);
        for (int i = 0; i < p.size(); ++i)
            QCOMPARE(p.points[i].y, original[i].y);
    }

    void failedFitPasses()
    {
        // All points at one x: the fit is singular, so nothing deviates from the copy.
        const VelaProfile p = fromXY({1, 1, 1, 1}, {0, 50, -50, 9});
        QVERIFY(METRO_detectWheelDefect(p, 2, 0.3f, 0));
    }

    void trainScan_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("low"); // flags after the scan, all 1 before
        QTest::addColumn<QByteArray>("high");

        const QByteArray untouched("\1\1\1\1", 4);
        const QByteArray first("\0\1\1\1", 4);
        const QByteArray firstTwo("\0\0\1\1", 4);
        const QStringList use{"use=1"};
        QTest::newRow("sensor 10 clears the first array")
            << "train_110.bin" << use << true << first << untouched;
        QTest::newRow("sensor 11 clears the second array")
            << "/elsewhere/train_111.bin" << use << true << untouched << first;
        QTest::newRow("minimalDefectsProf 0") << "train_110.bin" << use + QStringList{"minimalDefectsProf=0"}
                                              << true << firstTwo << untouched;
        QTest::newRow("pointsHigher 6") << "train_110.bin" << use + QStringList{"pointsHigher=6"}
                                        << true << firstTwo << untouched;
        QTest::newRow("degree above 50 fails every fit")
            << "train_110.bin" << use + QStringList{"polynomDegree=51"} << true << firstTwo
            << untouched;
        QTest::newRow("low level line of the defect scan")
            << "train_110.bin" << use + QStringList{"SENSOR10/lowLevel_b=150"} << true << firstTwo
            << untouched;
        QTest::newRow("spelling of the detection ignored")
            << "train_110.bin" << use + QStringList{"SENSOR10/lowlevel_b=150"} << true << first
            << untouched;
        QTest::newRow("use missing") << "train_110.bin" << QStringList{} << false << untouched
                                     << untouched;
        QTest::newRow("use 0") << "train_110.bin" << QStringList{"use=0"} << false << untouched
                               << untouched;
        QTest::newRow("no folder for the sensor") << "train_103.bin" << use << false << untouched
                                                  << untouched;
        QTest::newRow("search through all sensors") << "train_999.bin" << use << false << untouched
                                                    << untouched;
        QTest::newRow("unset serial ends the search")
            << "train_110.bin" << use + QStringList{"SENSOR5/SN=0"} << false << untouched
            << untouched;
        QTest::newRow("serial not a number") << "train_11x.bin" << use << false << untouched
                                             << untouched;
    }

    void trainScan()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, entries);
        QFETCH(bool, ok);
        QFETCH(QByteArray, low);
        QFETCH(QByteArray, high);

        QStringList all = entries;
        for (int i = 1; i <= 49; ++i) {
            if (!all.contains(QStringLiteral("SENSOR%1/SN=0").arg(i)))
                all << QStringLiteral("SENSOR%1/SN=%2").arg(i).arg(100 + i);
        }
        const auto settings = iniSettings(work->path("settings.ini"), all);
        const QByteArray pass = record(tread(0, true), false);
        const QByteArray fail = record(tread(6, true), false);
        for (const char* folder : {"SENSOR10", "SENSOR11"}) {
            QVERIFY(QDir().mkpath(folder));
            const QString dir = QString::fromLatin1(folder) + QLatin1Char('/');
            // Wheel 0: two passing profiles around a damaged file; wheel 1: one of each;
            // wheel 2: no first file; wheel 3: beyond the wheel count.
            QVERIFY(writeBytes(dir + "00_00.bin", pass) && writeBytes(dir + "00_01.bin", "\x02\x05")
                    && writeBytes(dir + "00_02.bin", pass));
            QVERIFY(writeBytes(dir + "01_00.bin", pass) && writeBytes(dir + "01_01.bin", fail));
            QVERIFY(writeBytes(dir + "02_01.bin", pass) && writeBytes(dir + "02_02.bin", pass));
            QVERIFY(writeBytes(dir + "03_00.bin", pass) && writeBytes(dir + "03_01.bin", pass));
        }

        unsigned char flagsLow[4] = {1, 1, 1, 1};
        unsigned char flagsHigh[4] = {1, 1, 1, 1};
        QCOMPARE(METRO_detectDefectsInTrain(path, settings.get(), flagsLow, flagsHigh, 3), ok);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(flagsLow), 4), low);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(flagsHigh), 4), high);
    }
};

QTEST_GUILESS_MAIN(tst_WheelDefects)
#include "tst_wheeldefects.moc"
