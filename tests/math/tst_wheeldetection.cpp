#include "VelaMetro.h"
#include "tst_wheelfixtures.h"

#include <QtTest>

#include <cmath>

using namespace VelaMath;
using namespace WheelFixtures;

class tst_WheelDetection : public QObject
{
    Q_OBJECT

    std::unique_ptr<WorkDir> work;

    // Names "01_01.bin" ... for the given profile count of every wheel.
    static QStringList wheelFileNames(const QList<int>& profilesPerWheel)
    {
        QStringList names;
        for (int w = 0; w < profilesPerWheel.size(); ++w) {
            for (int p = 1; p <= profilesPerWheel[w]; ++p)
                names << QString::asprintf("%02d_%02d.bin", w + 1, p);
        }
        return names;
    }

    static QStringList filesIn(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files, QDir::Name);
    }

    static QStringList lines(const QString& path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {QStringLiteral("<missing>")};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // Detects the wheels of `pattern` as sensor 1 (serial 7) with the given extra settings.
    int detect(const QString& pattern, int sensorKind, const QStringList& entries, bool* ok)
    {
        const auto settings = iniSettings(work->path("settings.ini"),
                                          QStringList{QStringLiteral("SENSOR1/SN=7")} + entries);
        writeBytes(QStringLiteral("pass_7.bin"), recording(pattern, CloudRecords));
        int wheels = -1;
        *ok = METRO_detectWheels(QStringLiteral("pass_7.bin"), settings.get(), sensorKind, &wheels);
        return wheels;
    }

private slots:
    void init() { work = std::make_unique<WorkDir>(); }
    void cleanup() { work.reset(); }

    void removeNoise_data()
    {
        QTest::addColumn<QList<float>>("heights");
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("higher");
        QTest::addColumn<QList<float>>("kept");

        QTest::newRow("default drops a window with two steps")
            << QList<float>{0, 0, 0, 0, 5, 0, 0, 0, 0, 1} << 3 << 1 << QList<float>{0, 0, 0, 0, 0, 0};
        QTest::newRow("one step stays") << QList<float>{0, 0, 5, 5, 5, 5, 9} << 3 << 1
                                        << QList<float>{0, 0, 5, 5, 5, 5};
        QTest::newRow("a step equal to maxdY does not count")
            << QList<float>{0, 1.5f, 3, 0, 0, 0, 7} << 3 << 0 << QList<float>{0, 1.5f, 3, 0, 0, 0};
        QTest::newRow("window ending at the last point is dropped")
            << QList<float>{1, 1, 1, 2, 2, 2} << 3 << 1 << QList<float>{1, 1, 1};
        QTest::newRow("window longer than the profile") << QList<float>{1, 2, 3} << 5 << 1
                                                        << QList<float>{};
        QTest::newRow("negative limit drops everything") << QList<float>{1, 1, 1, 1, 1} << 2 << -1
                                                         << QList<float>{};
        QTest::newRow("window 0 changes nothing") << QList<float>{1, 9, 1} << 0 << 1
                                                  << QList<float>{1, 9, 1};
        QTest::newRow("negative window changes nothing") << QList<float>{1, 9, 1} << -3 << 1
                                                         << QList<float>{1, 9, 1};
    }

    void removeNoise()
    {
        QFETCH(QList<float>, heights);
        QFETCH(int, window);
        QFETCH(int, higher);
        QFETCH(QList<float>, kept);
        VelaProfile p;
        for (int i = 0; i < heights.size(); ++i)
            p.points.append(VelaPointXY(float(i), heights[i]));
        p.removeNoise(window, higher, 1.5f, 123.0f);
        QList<float> got;
        for (const VelaPointXY& q : p.points)
            got << q.y;
        QCOMPARE(got, kept);
    }

    void isWheel_data()
    {
        QTest::addColumn<QList<float>>("heights"); // at x = 5
        QTest::addColumn<bool>("twoLines");
        QTest::addColumn<int>("minPoints");
        QTest::addColumn<bool>("wheel");

        // Level y = x (5 at x = 5), low level y = 1: only 3 and 4 lie strictly between.
        const QList<float> heights{1, 3, 4, 5, 7};
        QTest::newRow("below level, more than minPoints") << heights << false << 2 << true;
        QTest::newRow("below level, exactly minPoints") << heights << false << 3 << false;
        QTest::newRow("between lines, more than minPoints") << heights << true << 1 << true;
        QTest::newRow("between lines, exactly minPoints") << heights << true << 2 << false;
        QTest::newRow("empty profile, negative minPoints") << QList<float>{} << true << -1 << true;
    }

    void isWheel()
    {
        QFETCH(QList<float>, heights);
        QFETCH(bool, twoLines);
        QFETCH(int, minPoints);
        QFETCH(bool, wheel);
        VelaProfile p;
        for (float y : heights)
            p.points.append(VelaPointXY(5.0f, y));
        const VelaLine level(1.0f, 0.0f);
        const VelaLine lowLevel(0.0f, 1.0f);
        QCOMPARE(twoLines ? METRO_isWheel(p, level, lowLevel, minPoints)
                          : METRO_isWheel(p, level, minPoints),
                 wheel);
    }

    void wheelRuns_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<int>>("profilesPerWheel");
        QTest::addColumn<QList<int>>("firstProfiles"); // Wheel_1, Wheel_2, ... as left in results
        QTest::addColumn<QStringList>("csv");

        const QString twoWheels = QStringLiteral("GGWWWWWWGGGWWWWWWWG");
        const QStringList twoWheelsCsv{"1;3", "2;12"};
        QTest::newRow("2-D records") << twoWheels << int(CloudRecords) << QList<int>{6, 7}
                                     << QList<int>{3, 12} << twoWheelsCsv;
        QTest::newRow("Z records") << twoWheels << int(ZRecords) << QList<int>{6, 7}
                                   << QList<int>{3, 12} << twoWheelsCsv;
        QTest::newRow("mixed records") << twoWheels << int(MixedRecords) << QList<int>{6, 7}
                                       << QList<int>{3, 12} << twoWheelsCsv;
        QTest::newRow("runs of three are no wheels")
            << "GWWWGWWWGWWWG" << int(CloudRecords) << QList<int>{} << QList<int>{10}
            << QStringList{"1;2", "1;6", "1;10"};
        QTest::newRow("run of exactly five") << "GWWWWWG" << int(CloudRecords) << QList<int>{5}
                                             << QList<int>{2} << QStringList{"1;2"};
        QTest::newRow("short wheel open at the end")
            << "GWWWWWWGWW" << int(ZRecords) << QList<int>{6, 2} << QList<int>{2, 9}
            << QStringList{"1;2", "2;9"};
        QTest::newRow("short run between wheels")
            << "WWWWWGWWGWWWWW" << int(CloudRecords) << QList<int>{5, 5} << QList<int>{1, 10}
            << QStringList{"1;1", "2;7", "2;10"};
        QTest::newRow("empty recording") << "" << int(CloudRecords) << QList<int>{}
                                         << QList<int>{} << QStringList{};
    }

    void wheelRuns()
    {
        QFETCH(QString, pattern);
        QFETCH(int, kind);
        QFETCH(QList<int>, profilesPerWheel);
        QFETCH(QList<int>, firstProfiles);
        QFETCH(QStringList, csv);

        const auto settings = iniSettings(work->path("settings.ini"), {"SENSOR1/SN=7"});
        QVERIFY(writeBytes("pass_7.bin", recording(pattern, RecordKind(kind))));

        int wheels = -1;
        QVERIFY(METRO_detectWheels("pass_7.bin", settings.get(), 1, &wheels));
        QCOMPARE(wheels, profilesPerWheel.size());
        QCOMPARE(filesIn("pass_7"), wheelFileNames(profilesPerWheel));
        QVERIFY(!QFile::exists("test.csv"));
        for (int w = 1; w <= wheels; ++w) {
            // The first profile of a wheel, cleaned: the noise filter drops the last point.
            VelaProfile first;
            QCOMPARE(first.readFromFile(QString::asprintf("pass_7/%02d_01.bin", w)), 39);
            const QList<VelaPointXY> arc = shape(QLatin1Char('W'));
            for (int i = 0; i < 39; ++i) {
                QCOMPARE(first.points[i].x, arc[i].x);
                QCOMPARE(first.points[i].y, arc[i].y);
            }
        }

        const auto results = iniSettings(work->path("results.ini"), {});
        wheels = -1;
        QVERIFY(METRO_detectWheels_Test("pass_7.bin", settings.get(), 1, &wheels, results.get()));
        QCOMPARE(wheels, profilesPerWheel.size());
        QCOMPARE(filesIn("pass_7"), wheelFileNames(profilesPerWheel));
        QList<int> keys;
        for (int w = 1; results->contains(QStringLiteral("Wheel_%1/firstProfInWheel").arg(w)); ++w)
            keys << results->value(QStringLiteral("Wheel_%1/firstProfInWheel").arg(w)).toInt();
        QCOMPARE(keys, firstProfiles);
        QCOMPARE(lines("test.csv"), csv);
    }

    void sensorSearch_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("wheels");

        // Sensors other than the one expected see no wheel: their level line lies below it.
        QTest::newRow("third sensor matches")
            << QStringList{"SENSOR1/SN=11", "SENSOR1/level_b=0", "SENSOR2/SN=12",
                           "SENSOR2/level_b=0", "SENSOR3/SN=13"}
            << "p_13.bin" << true << 1;
        QTest::newRow("an unset serial ends the search")
            << QStringList{"SENSOR1/SN=11", "SENSOR2/SN=0", "SENSOR3/SN=13"} << "p_13.bin" << false
            << -1;
        QTest::newRow("no settings at all") << QStringList{} << "p_13.bin" << false << -1;
        QTest::newRow("serial 0 takes the first unset sensor")
            << QStringList{"SENSOR1/SN=11", "SENSOR1/level_b=0"} << "p_0.bin" << true << 1;
        QTest::newRow("name without underscore") << QStringList{"SENSOR1/SN=13"} << "13.bin" << true
                                                 << 1;
        QTest::newRow("serial after the first underscore only")
            << QStringList{"SENSOR1/SN=13"} << "p_x_13.bin" << false << -1;
        QTest::newRow("serial not a number") << QStringList{"SENSOR1/SN=13"} << "p_13a.bin" << false
                                             << -1;

        QStringList allSet;
        for (int i = 1; i <= 49; ++i)
            allSet << QStringLiteral("SENSOR%1/SN=%2").arg(i).arg(1000 + i)
                   << QStringLiteral("SENSOR%1/level_b=0").arg(i);
        QTest::newRow("search ends at sensor 50 with defaults") << allSet << "p_5.bin" << true << 1;
        QTest::newRow("sensor 50 reads its own keys")
            << allSet + QStringList{"SENSOR50/level_b=0"} << "p_5.bin" << true << 0;
    }

    void sensorSearch()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, file);
        QFETCH(bool, ok);
        QFETCH(int, wheels);

        const auto settings = iniSettings(work->path("settings.ini"), entries);
        QVERIFY(writeBytes(file, recording("GWWWWWG", CloudRecords)));
        int count = -1;
        QCOMPARE(METRO_detectWheels(file, settings.get(), 1, &count), ok);
        QCOMPARE(count, wheels);
        // A failed search touches no file.
        QCOMPARE(QDir(file.chopped(4)).exists(), ok);
    }

    void detectionSettings_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("wheels");

        // 'T' profiles hold exactly two points in the wheel zone.
        QTest::newRow("minPointsIn defaults to 2") << "GTTTTTG" << 1 << QStringList{} << 0;
        QTest::newRow("minPointsIn text 1.5 reads as 0")
            << "GTTTTTG" << 1 << QStringList{"SENSOR1/minPointsIn=1.5"} << 1;
        QTest::newRow("minPointsIn 1") << "GTTTTTG" << 1 << QStringList{"SENSOR1/minPointsIn=1"} << 1;
        QTest::newRow("higherPoinInWnd 0 drops the window with the step")
            << "GTTTTTG" << 1 << QStringList{"SENSOR1/minPointsIn=0", "SENSOR1/higherPoinInWnd=0"}
            << 0;
        QTest::newRow("maxdY above the step keeps it")
            << "GTTTTTG" << 1
            << QStringList{"SENSOR1/minPointsIn=0", "SENSOR1/higherPoinInWnd=0", "SENSOR1/maxdY=200"}
            << 1;
        QTest::newRow("level line below the wheel") << "GWWWWWG" << 1
                                                    << QStringList{"SENSOR1/level_b=50"} << 0;
        QTest::newRow("minProfsInWheel 7") << "GWWWWWWG" << 1 << QStringList{"minProfsInWheel=7"}
                                           << 0;
        QTest::newRow("window 0 keeps every point") << "GWWWWWG" << 1
                                                    << QStringList{"SENSOR1/wndSize=0"} << 1;
        QTest::newRow("negative window") << "GWWWWWG" << 1 << QStringList{"SENSOR1/wndSize=-4"} << 1;
        QTest::newRow("window longer than a profile")
            << "GWWWWWG" << 1 << QStringList{"SENSOR1/wndSize=100"} << 0;
        QTest::newRow("negative minProfsInWheel keeps single profiles")
            << "GWGWG" << 1 << QStringList{"minProfsInWheel=-3"} << 2;

        // The two-line sensor: straight parts go, the low level line bounds the zone.
        const QStringList threeParts{"SENSOR1/parts=2.7"};
        QTest::newRow("ramp is a wheel for the one-line test") << "GRRRRRG" << 1 << threeParts << 1;
        QTest::newRow("ramp removed as a straight part") << "GRRRRRG" << 3 << threeParts << 0;
        QTest::newRow("parts below 2 remove nothing") << "GRRRRRG" << 3 << QStringList{} << 1;
        QTest::newRow("arc is no straight part") << "GWWWWWG" << 3 << threeParts << 1;
        QTest::newRow("arc below the low level line")
            << "GWWWWWG" << 3 << QStringList{"SENSOR1/lowlevel_b=120"} << 0;
        QTest::newRow("low level read with its own spelling")
            << "GWWWWWG" << 3 << QStringList{"SENSOR1/lowLevel_b=120"} << 1;
        QTest::newRow("absurd parts") << "GRRRRRG" << 3 << QStringList{"SENSOR1/parts=1e30"} << 1;
    }

    void detectionSettings()
    {
        QFETCH(QString, pattern);
        QFETCH(int, kind);
        QFETCH(QStringList, entries);
        QFETCH(int, wheels);
        bool ok = false;
        QCOMPARE(detect(pattern, kind, entries, &ok), wheels);
        QVERIFY(ok);
    }

    void untrustedRecordings_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no recording
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QList<int>>("profilesPerWheel");

        const QByteArray wheel = record(shape(QLatin1Char('W')), false);
        QTest::newRow("missing recording") << QByteArray() << false << QList<int>{};
        QTest::newRow("truncated last record")
            << recording("GWWWWWG", CloudRecords) + wheel.left(50) << true << QList<int>{5};
        QTest::newRow("truncated record inside a wheel")
            << recording("GWW", ZRecords) + record(shape(QLatin1Char('W')), true).left(100) << true
            << QList<int>{2};
        QTest::newRow("unknown record ends the recording")
            << recording("GWWW", CloudRecords) + QByteArray("\x07\x01\x00", 3)
                   + recording("WWWWWG", CloudRecords)
            << true << QList<int>{3};
        QByteArray oversized = wheel;
        oversized[1] = char(0xFF);
        oversized[2] = char(0xFF);
        QTest::newRow("count beyond the file") << recording("GWWWWW", CloudRecords) + oversized
                                               << true << QList<int>{5};
    }

    void untrustedRecordings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        QFETCH(QList<int>, profilesPerWheel);
        const auto settings = iniSettings(work->path("settings.ini"), {"SENSOR1/SN=7"});
        if (!bytes.isNull())
            QVERIFY(writeBytes("pass_7.bin", bytes));
        int wheels = -1;
        QCOMPARE(METRO_detectWheels("pass_7.bin", settings.get(), 1, &wheels), ok);
        if (ok)
            QCOMPARE(wheels, profilesPerWheel.size());
        QCOMPARE(filesIn("pass_7"), wheelFileNames(profilesPerWheel));
    }

    void wheelFolderBesideRecording_data()
    {
        QTest::addColumn<QString>("folder"); // relative to the working directory
        QTest::addColumn<bool>("absolute");
        QTest::newRow("relative path") << "rec/sub/pass_7" << false;
        QTest::newRow("absolute path") << "abs/pass_7" << true;
        QTest::newRow("percent signs in the path") << "a%1b%2/pass_7" << false;
    }

    void wheelFolderBesideRecording()
    {
        QFETCH(QString, folder);
        QFETCH(bool, absolute);
        const auto settings = iniSettings(work->path("settings.ini"), {"SENSOR1/SN=7"});
        QVERIFY(QDir().mkpath(QFileInfo(folder).path()));
        const QString path = (absolute ? work->path(folder) : folder) + ".bin";
        QVERIFY(writeBytes(path, recording("GWWWWWG", CloudRecords)));
        int wheels = -1;
        QVERIFY(METRO_detectWheels(path, settings.get(), 1, &wheels));
        QCOMPARE(wheels, 1);
        QCOMPARE(filesIn(folder), wheelFileNames({5}));
        QVERIFY(!QDir("pass_7").exists());
    }

    void staleWheelFilesRemoved()
    {
        const auto settings = iniSettings(work->path("settings.ini"), {"SENSOR1/SN=7"});
        QVERIFY(QDir().mkpath("pass_7/02_01.bin")); // a folder, not a wheel file
        for (const char* name : {"03_01.bin", "01_09.bin", "notes.txt", "1_1.bin"})
            QVERIFY(writeBytes(QStringLiteral("pass_7/") + name, "x"));
        QVERIFY(writeBytes("pass_7.bin", recording("GWWWWWG", CloudRecords)));
        int wheels = -1;
        QVERIFY(METRO_detectWheels("pass_7.bin", settings.get(), 1, &wheels));
        QCOMPARE(wheels, 1);
        const QStringList kept{"1_1.bin", "notes.txt"};
        QCOMPARE(filesIn("pass_7"), wheelFileNames({5}) + kept);
        QVERIFY(QDir("pass_7/02_01.bin").exists());
    }

    void unwritableWheelFile()
    {
        const auto settings = iniSettings(work->path("settings.ini"), {"SENSOR1/SN=7"});
        QVERIFY(QDir().mkpath("pass_7/01_03.bin"));
        QVERIFY(writeBytes("pass_7.bin", recording("GWWWWWGWWWWWG", CloudRecords)));
        int wheels = -1;
        QVERIFY(!METRO_detectWheels("pass_7.bin", settings.get(), 1, &wheels));
        // The recording is still finished.
        QCOMPARE(wheels, 2);
        QCOMPARE(filesIn("pass_7").size(), 9);
    }

    void axleDistancesInTrain_data()
    {
        QTest::addColumn<QString>("pathA");
        QTest::addColumn<QString>("pathB");
        QTest::addColumn<int>("wheelCount");
        QTest::addColumn<bool>("ok");
        QTest::newRow("two wheels") << "left_2.bin" << "right_1.bin" << 2 << true;
        QTest::newRow("no wheels asked") << "left_2.bin" << "right_1.bin" << 0 << true;
        QTest::newRow("third wheel missing") << "left_2.bin" << "right_1.bin" << 3 << false;
        QTest::newRow("serial of neither sensor") << "left_5.bin" << "right_1.bin" << 1 << false;
        QTest::newRow("serial not a number") << "left_2.bin" << "right_one.bin" << 1 << false;
        QTest::newRow("no wheel folder") << "left_2.bin" << "other_1.bin" << 1 << false;
    }

    void axleDistancesInTrain()
    {
        QFETCH(QString, pathA);
        QFETCH(QString, pathB);
        QFETCH(int, wheelCount);
        QFETCH(bool, ok);

        // Group 2 (serial 2) has a 45-degree calibration line at b = 3, group 1 a flat one at
        // b = 10; the calibration lines are 1000 apart.
        const auto settings = iniSettings(
            work->path("settings.ini"),
            {"SENSOR1/SN=1", "SENSOR2/SN=2", "SENSOR1/k2=0", "SENSOR1/b2=10", "SENSOR2/k2=1",
             "SENSOR2/b2=3", "calibrLines2=1000"});
        QVERIFY(QDir().mkpath("left_2") && QDir().mkpath("right_1"));
        // Line y = k x + b over the first `onLine` points, then `after` points at height y.
        const auto wheelFile = [](const QString& name, int onLine, float k, float b, int after,
                                  float y) {
            QList<VelaPointXY> points;
            for (int i = 0; i < onLine + after; ++i)
                points << VelaPointXY(float(i), i < onLine ? k * i + b : y);
            return writeBytes(name, record(points, false));
        };
        // Wheel 1, left: the second file has more points, but fewer below the level line.
        QVERIFY(wheelFile("left_2/01_01.bin", 5, 1, 7, 5, 60));
        QVERIFY(wheelFile("left_2/01_02.bin", 7, 1, 20, 7, 300));
        QVERIFY(wheelFile("right_1/01_01.bin", 4, 0, 15, 4, 40));
        // Wheel 2, left: two files of equal size, the first one counts.
        QVERIFY(wheelFile("left_2/02_01.bin", 6, 1, 5, 0, 0));
        QVERIFY(wheelFile("left_2/02_02.bin", 6, 1, 9, 0, 0));
        QVERIFY(wheelFile("right_1/02_01.bin", 4, 0, 12, 0, 0));

        float distances[3] = {-1, -1, -1};
        QCOMPARE(METRO_calcWheelsDistInTrain(pathA, pathB, wheelCount, settings.get(), distances), ok);
        if (ok && wheelCount == 2) {
            const float halfRoot2 = float(std::sqrt(0.5));
            QVERIFY(qAbs(distances[0] - ((7 - 3) * halfRoot2 + 1000 + (15 - 10))) < 1e-3f);
            QVERIFY(qAbs(distances[1] - ((5 - 3) * halfRoot2 + 1000 + (12 - 10))) < 1e-3f);
        }
        QCOMPARE(distances[2], -1.0f);
    }
};

QTEST_GUILESS_MAIN(tst_WheelDetection)
#include "tst_wheeldetection.moc"
