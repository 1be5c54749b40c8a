#include "DeviceTestSupport.h"
#include "VelaProtocol.h"

#include <VelaPointCloud.h>
#include <VelaProfileZ.h>

#include <QTemporaryDir>

#include <cstring>

using namespace DeviceTest;
using VelaDevice::LS71Device;
using VelaDevice::LS74Device;
using VelaMath::VelaPointXY;

namespace {

struct Profile {
    QList<VelaPointXY> points;
    int counterStep = -1;   // from the previous profile, as recorded
};

// Values the way the device library produces them, so that a replay can give them back exactly.
float ls74Value(int micrometres)
{
    return float(micrometres) * 0.001f;
}

float ls71Value(int steps)
{
    return float(steps) * (1.0f / 100.0f);
}

// A dump as LS7x-SU records it: counters in the NaN positions, with a gap and an empty profile.
QList<Profile> writeDump(const QString& path)
{
    const int steps[] = {1, 1, 4, 1, 2, 1};
    QList<Profile> profiles;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    quint16 counter = 65533;   // wraps in the middle
    for (int i = 0; i < 6; ++i) {
        counter = quint16(counter + steps[i]);
        VelaMath::VelaProfileZ record(VelaMath::VelaProfileZ::counterTag(counter));
        const int n = i == 3 ? 0 : 40 + 200 * i;
        for (int j = 0; j < n; ++j)
            record.points.append({ls74Value(-90000 + 111 * j + i), ls74Value(150000 + 7 * j - 3 * i)});
        record.writeToFile(file);
        profiles.append({record.points, i == 0 ? -1 : steps[i]});
    }
    return profiles;
}

// The profiles a result stream carries, read off UDP.
template <class Device, class Convert>
QList<QList<VelaPointXY>> receive(Device& device, int results, QList<quint16>* counters, Convert convert)
{
    QList<QList<VelaPointXY>> received;
    std::vector<uint8_t> raw(Device::ProfileBufferSize);
    std::vector<float> pairs(Device::ProfileValuesCount);
    for (int i = 0; i < results; ++i) {
        if (!device.UDPGetResult(raw.data()))
            break;
        quint16 meas;
        std::memcpy(&meas, raw.data(), 2);
        counters->append(meas);
        unsigned short count = 0;
        convert(raw.data(), pairs.data(), &count);
        QList<VelaPointXY> points;
        for (int k = 0; k < count && count != 65535; ++k)
            points.append({pairs[2 * k], pairs[2 * k + 1]});
        received.append(points);
    }
    return received;
}

bool samePoints(const QList<VelaPointXY>& a, const QList<VelaPointXY>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (std::memcmp(&a[i].x, &b[i].x, 4) != 0 || std::memcmp(&a[i].y, &b[i].y, 4) != 0)
            return false;
    }
    return true;
}

// Where the received stream stands in the looped recording: every profile in turn, bit for
// bit, with the recorded counter steps (the step into the first profile is the sensor's own).
void checkLoopedPlay(const QList<Profile>& file, const QList<QList<VelaPointXY>>& received,
                     const QList<quint16>& counters)
{
    QVERIFY(received.size() > file.size());
    qsizetype at = -1;
    for (qsizetype k = 0; k < file.size() && at < 0; ++k) {
        if (samePoints(file[k].points, received[0]) && samePoints(file[(k + 1) % file.size()].points, received[1]))
            at = k;
    }
    QVERIFY2(at >= 0, "the first result is no profile of the recording");
    for (qsizetype i = 0; i < received.size(); ++i) {
        const Profile& expected = file[(at + i) % file.size()];
        QVERIFY2(samePoints(expected.points, received[i]), qPrintable(QString("result %1").arg(i)));
        if (i > 0 && expected.counterStep >= 0)
            QCOMPARE(quint16(counters[i] - counters[i - 1]), quint16(expected.counterStep));
    }
}

std::unique_ptr<Emulator> startReplay(const SensorSpec& spec, std::string* error,
                                      std::vector<std::string>* log = nullptr)
{
    EmulatorConfig config = EmulatorConfig::forTests();
    config.sensors = {spec};
    if (log)
        config.log = [log](const std::string& line) { log->push_back(line); };
    auto emulator = std::make_unique<Emulator>(config);
    if (!emulator->start(error))
        return nullptr;
    return emulator;
}

SensorSpec replaying(Model model, const QString& path, bool loop = true)
{
    SensorSpec spec(model);
    spec.replayPath = path.toStdString();
    spec.replayLoop = loop;
    spec.replayRate = 250;
    return spec;
}

} // namespace

class tst_Replay : public QObject
{
    Q_OBJECT

private slots:
    void dumpPlaysBitForBitWithItsCounterSteps()
    {
        QTemporaryDir dir;
        const QList<Profile> file = writeDump(dir.filePath("dump.bin"));
        std::string error;
        auto emulator = startReplay(replaying(Model::LS74, dir.filePath("dump.bin")), &error);
        QVERIFY2(emulator, error.c_str());
        const auto block = blockOf(*emulator, 0);
        LS74Device device(&block);
        QCOMPARE(device.ReadParams(), 1);
        QCOMPARE(device.UDPConnect(device.GetHostPortNumber(), nullptr), 1);
        QList<quint16> counters;
        const auto received = receive(device, 15, &counters, [&](const void* raw, float* pairs, unsigned short* n) {
            device.ConvertResultToPoints(raw, pairs, n, nullptr, nullptr, 0);
        });
        checkLoopedPlay(file, received, counters);
    }

    // A 2-D cloud is one profile, a 3-D cloud one profile per run of equal z.
    void cloudFilesPlayProfilesOnAnLS71()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("clouds.bin");
        QList<Profile> file(3);
        {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            VelaMath::VelaPointCloud<VelaPointXY> flat;
            for (int j = 0; j < 700; ++j)
                flat.points.append({ls71Value(-3000 + 9 * j), ls71Value(9000 + j)});
            QVERIFY(flat.writeToFile(out));
            file[0].points = flat.points;
            VelaMath::VelaPointCloud<VelaMath::VelaPointXYZ> scan;
            for (int run = 1; run <= 2; ++run) {
                for (int j = 0; j < 10 * run; ++j) {
                    scan.points.append({ls71Value(100 * j), ls71Value(5000 + run), float(run) * 0.5f});
                    file[run].points.append({ls71Value(100 * j), ls71Value(5000 + run)});
                }
            }
            QVERIFY(scan.writeToFile(out));
        }
        std::string error;
        auto emulator = startReplay(replaying(Model::LS71, path), &error);
        QVERIFY2(emulator, error.c_str());
        const auto block = blockOf(*emulator, 0);
        LS71Device device(&block);
        QCOMPARE(device.ReadParams(), 1);
        QCOMPARE(device.UDPConnect(device.GetHostPortNumber(), nullptr), 1);
        QList<quint16> counters;
        const auto received = receive(device, 8, &counters, [&](const void* raw, float* pairs, unsigned short* n) {
            device.ConvertResultToPoints(raw, pairs, n, 0);
        });
        checkLoopedPlay(file, received, counters);
    }

    // After the last profile nothing more is pushed, and requests get the last profile again.
    void playEndsWithItsLastProfile()
    {
        QTemporaryDir dir;
        const QList<Profile> file = writeDump(dir.filePath("dump.bin"));
        std::string error;
        auto emulator = startReplay(replaying(Model::LS74, dir.filePath("dump.bin"), false), &error);
        QVERIFY2(emulator, error.c_str());
        const auto block = blockOf(*emulator, 0);
        LS74Device device(&block);
        QCOMPARE(device.ReadParams(), 1);
        QTest::qWait(200);   // six profiles at 250 per second are long sent
        QCOMPARE(device.UDPConnect(device.GetHostPortNumber(), nullptr), 1);
        std::vector<uint8_t> raw(LS74Device::ProfileBufferSize);
        QCOMPARE(device.UDPGetResult(raw.data()), 0);

        QCOMPARE(device.Connect(), 1);
        std::vector<float> pairs(LS74Device::ProfileValuesCount);
        unsigned short count = 0, meas[2] = {0, 0}, packet = 0;
        for (unsigned short& m : meas)
            QCOMPARE(device.GetNormalizedResult(pairs.data(), &count, &m, &packet), 1);
        QCOMPARE(meas[1], meas[0]);
        QCOMPARE(int(count), file.last().points.size());
        QCOMPARE(pairs[2 * count - 1], file.last().points.last().y);
    }

    void unplayableFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("error");
        QTest::newRow("stray byte") << QByteArray("\x05\x01\x00\x00\x00\xC0\x7F\x00\x00\x80\x3F\x00\x00\x80\x3FZ", 16)
                                    << "byte 0x5a starts no record at byte 15";
        QTest::newRow("empty") << QByteArray() << "holds no profile to play";
        QTest::newRow("text") << QByteArray("x;y\n1;2\n") << "byte 0x78 starts no record at byte 0";
    }

    void unplayableFilesAreRefused()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath("bad.bin");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        std::string reason;
        QVERIFY(!startReplay(replaying(Model::LS74, path), &reason));
        QCOMPARE(QString::fromStdString(reason), "cannot replay " + path + ": " + error);
        QVERIFY(!startReplay(replaying(Model::LS74, dir.filePath("missing.bin")), &reason));
        QVERIFY(QString::fromStdString(reason).startsWith("cannot replay " + dir.filePath("missing.bin") + ": "));
    }

    // A recording cut off while it was written still plays, without its last record.
    void cutShortLastRecordIsLeftOut()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("cut.bin");
        QList<Profile> file = writeDump(path);
        QVERIFY(QFile::resize(path, QFileInfo(path).size() - 5));
        file.removeLast();
        std::string error;
        std::vector<std::string> log;
        auto emulator = startReplay(replaying(Model::LS74, path), &error, &log);
        QVERIFY2(emulator, error.c_str());
        QVERIFY(!log.empty());
        QVERIFY2(QString::fromStdString(log[0]).contains(QString("at byte %1; that last record is left out")
                                                             .arg(QFileInfo(path).size() + 5 - 7 - 8 * 1040)),
                 log[0].c_str());
        const auto block = blockOf(*emulator, 0);
        LS74Device device(&block);
        QCOMPARE(device.ReadParams(), 1);
        QCOMPARE(device.UDPConnect(device.GetHostPortNumber(), nullptr), 1);
        QList<quint16> counters;
        const auto received = receive(device, 12, &counters, [&](const void* raw, float* pairs, unsigned short* n) {
            device.ConvertResultToPoints(raw, pairs, n, nullptr, nullptr, 0);
        });
        checkLoopedPlay(file, received, counters);
    }

    void cameraFrameShowsTheRecordedLine()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("line.bin");
        {
            // A level line at 150 mm across the middle of an LS74's range (300 mm deep).
            VelaMath::VelaProfileZ line;
            for (int j = -50; j <= 50; ++j)
                line.points.append({float(j), 150.0f});
            QVERIFY(line.writeToFile(path));
        }
        std::string error;
        auto emulator = startReplay(replaying(Model::LS74, path), &error);
        QVERIFY2(emulator, error.c_str());
        const auto block = blockOf(*emulator, 0);
        LS74Device device(&block);
        QCOMPARE(device.Connect(), 1);
        std::vector<uint8_t> frame(LS74Device::ImageBufferSize);
        QCOMPARE(device.GetImage(frame.data()), 1);
        const auto pixel = [&](int row, int column) { return int(frame[size_t(row * 640 + column)]); };
        const int lineRow = qRound(150.0 / 300.0 * 511);
        QVERIFY2(pixel(lineRow, 320) > 100, qPrintable(QString::number(pixel(lineRow, 320))));
        QVERIFY(pixel(lineRow - 20, 320) < 30);
        QVERIFY(pixel(lineRow, 20) < 30);   // the line is 100 mm wide, the fan about 200 mm there
    }
};

QTEST_MAIN(tst_Replay)
#include "tst_replay.moc"
