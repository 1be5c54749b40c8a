#include "DeviceTestSupport.h"
#include "VelaProtocol.h"

#include <sys/socket.h>

#include <cmath>
#include <cstring>

using namespace DeviceTest;
using VelaDevice::LS71Device;
using VelaDevice::LS74Device;

class tst_Results : public QObject
{
    Q_OBJECT

private slots:
    void tcpResultsCountMeasurementsAndPackets();
    void pointsLieInTheMeasuringRange_data();
    void pointsLieInTheMeasuringRange();
    void mirrorNegatesX();
    void windowLimitsWherePointsAppear();
    void brightnessDecidesValidPoints_data();
    void brightnessDecidesValidPoints();
    void interpolationDoublesThePoints();
    void udpStreamCounters();
    void udpLossShowsAsCounterGaps();
    void udpCountersWrap();
    void resultRateChangesWhileRunning();
    void malformedDatagramsFailTheRead();
    void invalidRawBlockFailsConversion();
};

namespace {

std::unique_ptr<LS74Device> connectedLS74(const Emulator& emulator, int index, VelaDevice::_UDP_DEVINFOBLOCK_PC* block)
{
    *block = blockOf(emulator, index);
    auto device = std::make_unique<LS74Device>(block);
    if (!device->Connect() || !device->ReadParams())
        return nullptr;
    return device;
}

// Points of one LS74 result under the given parameter change.
int pointsWith(LS74Device& device, void (*change)(LS74Device&))
{
    QTest::qWait(0);
    if (change)
        change(device);
    if (!device.WriteParams())
        return -1;
    std::vector<float> pairs(LS74Device::ProfileValuesCount);
    unsigned short count = 0;
    device.GetNormalizedResult(pairs.data(), &count, nullptr, nullptr);
    return count;
}

} // namespace

void tst_Results::tcpResultsCountMeasurementsAndPackets()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    VelaDevice::_UDP_DEVINFOBLOCK_PC block;
    auto device = connectedLS74(*emulator, 0, &block);
    QVERIFY(device);
    // Results on request only: every packet of the sensor is one of ours.
    device->SetUDPFrequency(0);
    QCOMPARE(device->WriteParams(), 1);
    VelaProtocol::LS74RawResult first, second;
    QCOMPARE(device->GetResult(&first), 1);
    QTest::qSleep(20);   // the camera measures at about 2000 per second meanwhile
    QCOMPARE(device->GetResult(&second), 1);
    QCOMPARE(uint16_t(second.packetCounter - first.packetCounter), uint16_t(1));
    const uint16_t measured = uint16_t(second.measCounter - first.measCounter);
    QVERIFY2(measured > 10 && measured < 4096, qPrintable(QString::number(measured)));

    unsigned short meas = 0, packet = 0, count = 0;
    std::vector<float> pairs(LS74Device::ProfileValuesCount);
    QCOMPARE(device->ConvertResultToPoints(&second, pairs.data(), &count, &meas, &packet, 0), 1);
    QCOMPARE(meas, second.measCounter);
    QCOMPARE(packet, second.packetCounter);
    QCOMPARE(count, second.count);
}

void tst_Results::pointsLieInTheMeasuringRange_data()
{
    QTest::addColumn<int>("model");
    QTest::newRow("LS71") << int(Model::LS71);
    QTest::newRow("LS74") << int(Model::LS74);
    QTest::newRow("LS74B") << int(Model::LS74B);
}

void tst_Results::pointsLieInTheMeasuringRange()
{
    QFETCH(int, model);
    auto emulator = startEmulator({{Model(model), 0}});
    const auto block = blockOf(*emulator, 0);
    std::vector<float> pairs(LS74Device::ProfileValuesCount);
    unsigned short count = 0;
    int maxPoints;
    if (Model(model) == Model::LS71) {
        LS71Device device(&block);
        QCOMPARE(device.GetNormalizedResult(pairs.data(), &count, 0), 1);
        maxPoints = LS71Device::ProfileValuesCount / 2;
    } else {
        LS74Device device(&block);
        QCOMPARE(device.GetNormalizedResult(pairs.data(), &count, nullptr, nullptr), 1);
        maxPoints = LS74Device::ProfileValuesCount / 2;
    }
    QVERIFY2(count > maxPoints / 2 && count <= maxPoints, qPrintable(QString::number(count)));
    const float halfWidth = block.RangeXEMR / 2.0f;
    float minZ = 1e9f, maxZ = -1e9f;
    for (int i = 0; i < count; ++i) {
        const float x = pairs[size_t(2 * i)], z = pairs[size_t(2 * i + 1)];
        QVERIFY2(std::fabs(x) <= halfWidth && z >= 0 && z <= block.RangeZ, qPrintable(QString("%1 %2").arg(x).arg(z)));
        minZ = std::min(minZ, z);
        maxZ = std::max(maxZ, z);
    }
    // Rays run from left to right.
    QVERIFY(pairs[0] < 0 && pairs[size_t(2 * count - 2)] > 0);
    // Not a flat line: the scene has relief.
    QVERIFY(maxZ - minZ > block.RangeZ * 0.05f);
}

void tst_Results::mirrorNegatesX()
{
    auto emulator = startEmulator({{Model::LS71, 0}});
    const auto block = blockOf(*emulator, 0);
    LS71Device device(&block);
    VelaProtocol::LS71RawResult raw;
    QCOMPARE(device.GetResult(&raw), 1);
    std::vector<float> plain(LS71Device::ProfileValuesCount), mirrored(LS71Device::ProfileValuesCount);
    unsigned short n1 = 0, n2 = 0;
    QCOMPARE(device.ConvertResultToPoints(&raw, plain.data(), &n1, 0), 1);
    QCOMPARE(device.ConvertResultToPoints(&raw, mirrored.data(), &n2, 1), 1);
    QCOMPARE(n1, n2);
    QVERIFY(n1 > 0);
    for (int i = 0; i < n1; ++i) {
        QCOMPARE(mirrored[size_t(2 * i)], -plain[size_t(2 * i)]);
        QCOMPARE(mirrored[size_t(2 * i + 1)], plain[size_t(2 * i + 1)]);
    }
    // Raw steps are hundredths of a millimetre.
    const int firstValid = int(std::find_if(std::begin(raw.points), std::end(raw.points),
                                            [](const VelaProtocol::LS71RawPoint& p) { return p.z != 0; }) - raw.points);
    QCOMPARE(plain[1], raw.points[firstValid].z / 100.0f);
}

void tst_Results::windowLimitsWherePointsAppear()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    VelaDevice::_UDP_DEVINFOBLOCK_PC block;
    auto device = connectedLS74(*emulator, 0, &block);
    QVERIFY(device);
    const int full = pointsWith(*device, nullptr);
    // The left half of the camera frame sees the left half of the fan.
    device->SetLeftBoundary(0);
    device->SetWindowWidth(127);
    QCOMPARE(device->WriteParams(), 1);
    std::vector<float> pairs(LS74Device::ProfileValuesCount);
    unsigned short count = 0;
    QCOMPARE(device->GetNormalizedResult(pairs.data(), &count, nullptr, nullptr), 1);
    QVERIFY2(count > full / 3 && count < full * 2 / 3, qPrintable(QString("%1 of %2").arg(count).arg(full)));
    for (int i = 0; i < count; ++i)
        QVERIFY(pairs[size_t(2 * i)] < 0);
    // A window of no height leaves nothing.
    device->SetWindowHeight(0);
    QCOMPARE(pointsWith(*device, nullptr), 0);
}

void tst_Results::brightnessDecidesValidPoints_data()
{
    QTest::addColumn<int>("laserLevel");
    QTest::addColumn<int>("exposure");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<bool>("fewer");
    QTest::newRow("laser off") << 0 << 400 << 30 << true;
    QTest::newRow("short exposure") << 20 << 60 << 30 << true;
    QTest::newRow("weak laser") << 4 << 400 << 30 << true;
    QTest::newRow("high threshold") << 20 << 400 << 120 << true;
    QTest::newRow("more light") << 31 << 1000 << 30 << false;
}

void tst_Results::brightnessDecidesValidPoints()
{
    QFETCH(int, laserLevel);
    QFETCH(int, exposure);
    QFETCH(int, threshold);
    QFETCH(bool, fewer);
    auto emulator = startEmulator({{Model::LS74, 0}});
    VelaDevice::_UDP_DEVINFOBLOCK_PC block;
    auto device = connectedLS74(*emulator, 0, &block);
    QVERIFY(device);
    const int normal = pointsWith(*device, nullptr);
    device->SetLaserLevel(uint8_t(laserLevel));
    device->SetExposureTime(uint16_t(exposure));
    device->SetPixelBrightnessThreshold(uint8_t(threshold));
    const int changed = pointsWith(*device, nullptr);
    QVERIFY2(fewer ? changed < normal * 0.8 : changed >= normal - 20,
             qPrintable(QString("%1 against %2").arg(changed).arg(normal)));
    if (laserLevel == 0)
        QCOMPARE(changed, 0);
}

void tst_Results::interpolationDoublesThePoints()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    VelaDevice::_UDP_DEVINFOBLOCK_PC block;
    auto device = connectedLS74(*emulator, 0, &block);
    QVERIFY(device);
    QCOMPARE(device->GetEnabledInterpolation(), 1);
    const int with = pointsWith(*device, nullptr);
    const int without = pointsWith(*device, [](LS74Device& d) { d.SetEnableInterpolation(0); });
    QVERIFY2(with > 640 && without <= 640 && without > 320, qPrintable(QString("%1 %2").arg(with).arg(without)));
}

void tst_Results::udpStreamCounters()
{
    auto emulator = startEmulator({{Model::LS74, 0}, {Model::LS71, 0}});
    for (int sensor = 0; sensor < 2; ++sensor) {
        const auto block = blockOf(*emulator, sensor);
        std::unique_ptr<VelaDevice::LS7xDevice> device;
        if (sensor == 0)
            device = std::make_unique<LS74Device>(&block);
        else
            device = std::make_unique<LS71Device>(&block);
        QCOMPARE(device->ReadParams(), 1);
        device->SetUDPFrequency(250);
        QCOMPARE(device->WriteParams(), 1);
        QCOMPARE(device->UDPConnect(device->GetHostPortNumber(), nullptr), 1);
        std::vector<uint8_t> raw(LS74Device::ProfileBufferSize);
        uint16_t lastPacket = 0, lastMeas = 0;
        for (int i = 0; i < 20; ++i) {
            QCOMPARE(device->UDPGetResult(raw.data()), 1);
            uint16_t meas, packet;
            std::memcpy(&meas, raw.data(), 2);
            std::memcpy(&packet, raw.data() + 2, 2);
            if (i > 0) {
                QCOMPARE(uint16_t(packet - lastPacket), uint16_t(1));
                QVERIFY(uint16_t(meas - lastMeas) >= 1);
            }
            lastPacket = packet;
            lastMeas = meas;
        }
        QCOMPARE(device->UDPDisconnect(), 1);
        QCOMPARE(device->UDPGetResult(raw.data()), 0);
    }
}

void tst_Results::udpLossShowsAsCounterGaps()
{
    auto emulator = startEmulator({{Model::LS71, 0}}, [](EmulatorConfig& c) { c.resultRate = 2000; });
    Faults loss;
    loss.udpLossShare = 0.5;
    emulator->setFaults(0, loss);
    const auto block = blockOf(*emulator, 0);
    LS71Device device(&block);
    QCOMPARE(device.ReadParams(), 1);
    QCOMPARE(device.UDPConnect(device.GetHostPortNumber(), "127.0.0.1"), 1);
    VelaProtocol::LS71RawResult raw;
    QCOMPARE(device.UDPGetResult(&raw), 1);
    const uint16_t first = raw.packetCounter;
    for (int i = 0; i < 100; ++i)
        QCOMPARE(device.UDPGetResult(&raw), 1);
    const int sent = uint16_t(raw.packetCounter - first);
    // 100 received of about 200 sent.
    QVERIFY2(sent > 140 && sent < 300, qPrintable(QString::number(sent)));
}

void tst_Results::udpCountersWrap()
{
    auto emulator = startEmulator({{Model::LS71, 0}}, [](EmulatorConfig& c) {
        c.firstCounter = 65000;
        c.resultRate = 500;
    });
    const auto block = blockOf(*emulator, 0);
    LS71Device device(&block);
    QCOMPARE(device.ReadParams(), 1);
    QCOMPARE(device.UDPConnect(device.GetHostPortNumber(), nullptr), 1);
    VelaProtocol::LS71RawResult raw;
    QCOMPARE(device.UDPGetResult(&raw), 1);
    uint16_t packet = raw.packetCounter, meas = raw.measCounter;
    bool packetWrapped = false, measWrapped = false;
    for (int i = 0; i < 2000 && !(packetWrapped && measWrapped); ++i) {
        QCOMPARE(device.UDPGetResult(&raw), 1);
        QCOMPARE(uint16_t(raw.packetCounter - packet), uint16_t(1));
        QVERIFY(uint16_t(raw.measCounter - meas) >= 1 && uint16_t(raw.measCounter - meas) < 4096);
        packetWrapped = packetWrapped || raw.packetCounter < packet;
        measWrapped = measWrapped || raw.measCounter < meas;
        packet = raw.packetCounter;
        meas = raw.measCounter;
    }
    QVERIFY(packetWrapped && measWrapped);
}

// One result every twenty seconds would fail reads that wait a second; after the change the
// results come at once. Paced results are new measurements; with repeated points only their
// counters change.
void tst_Results::resultRateChangesWhileRunning()
{
    auto emulator = startEmulator({{Model::LS74, 0}}, [](EmulatorConfig& c) {
        c.resultRate = 0.05;
        c.repeatPoints = true;
    });
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    QCOMPARE(device.ReadParams(), 1);
    QCOMPARE(device.UDPConnect(device.GetHostPortNumber(), nullptr), 1);
    VelaProtocol::LS74RawResult first, raw;
    device.UDPGetResult(&first);   // the first result of a pacing goes out at once
    QCOMPARE(device.UDPGetResult(&raw), 0);

    emulator->setResultRate(2000);
    QCOMPARE(device.UDPGetResult(&first), 1);
    uint16_t meas = first.measCounter;
    for (int i = 1; i < 100; ++i) {
        QCOMPARE(device.UDPGetResult(&raw), 1);
        QCOMPARE(uint16_t(raw.packetCounter - first.packetCounter), uint16_t(i));
        QVERIFY(uint16_t(raw.measCounter - meas) >= 1 && uint16_t(raw.measCounter - meas) < 4096);
        QVERIFY(std::memcmp(raw.points, first.points, sizeof raw.points) == 0);
        meas = raw.measCounter;
    }
}

void tst_Results::malformedDatagramsFailTheRead()
{
    const uint8_t loopback[4] = {127, 0, 0, 1};
    const auto block = makeInfoBlock(Model::LS74, 5555, loopback, 1, 1);
    LS74Device device(&block);
    const uint16_t port = freeUdpPort();
    QCOMPARE(device.UDPConnect(port, "127.0.0.1"), 1);
    VelaNet::Fd sender = VelaNet::bindUdp(VelaNet::makeAddress(loopback, 0));
    const sockaddr_in to = VelaNet::makeAddress(loopback, port);
    auto send = [&](const std::vector<uint8_t>& datagram) {
        ::sendto(sender.get(), datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    };
    auto datagram = [](uint32_t serial, uint32_t length, size_t actual, uint32_t magic = VelaProtocol::ResultMagic) {
        std::vector<uint8_t> d(sizeof(VelaProtocol::ResultHeader) + actual, 0);
        const VelaProtocol::ResultHeader header{magic, VelaDevice::DeviceTypeLS74, VelaProtocol::ResultProfile, serial, length};
        std::memcpy(d.data(), &header, sizeof header);
        return d;
    };
    const uint32_t size = LS74Device::ProfileBufferSize;
    std::vector<uint8_t> raw(size);

    const std::vector<std::vector<uint8_t>> malformed = {
        {1, 2, 3, 4, 5},                            // short
        datagram(5555, size, size, 0xDEADBEEF),     // not ours
        datagram(5555, size, size - 10),            // shorter than it says
        datagram(5555, size + 100, size + 100),     // larger than a result
        std::vector<uint8_t>(70000 > 65507 ? 65507 : 70000, 0x55),   // maximal garbage
    };
    for (const auto& bad : malformed) {
        send(bad);
        qint64 ms = elapsedMs([&] { QCOMPARE(device.UDPGetResult(raw.data()), 0); });
        QVERIFY2(ms < timeoutMs() / 2, "a malformed datagram fails at once, without waiting for the time-out");
    }
    // Another sensor's result is passed over; ours is taken.
    send(datagram(6666, size, size));
    std::vector<uint8_t> ours = datagram(5555, size, size);
    ours[sizeof(VelaProtocol::ResultHeader)] = 0x42;   // measurement counter
    send(ours);
    QCOMPARE(device.UDPGetResult(raw.data()), 1);
    QCOMPARE(int(raw[0]), 0x42);
}

void tst_Results::invalidRawBlockFailsConversion()
{
    const uint8_t loopback[4] = {127, 0, 0, 1};
    const auto block = makeInfoBlock(Model::LS74, 1, loopback, 1, 1);
    LS74Device device(&block);
    VelaProtocol::LS74RawResult raw{};
    raw.count = 1281;
    std::vector<float> pairs(LS74Device::ProfileValuesCount);
    unsigned short count = 0;
    QCOMPARE(device.ConvertResultToPoints(&raw, pairs.data(), &count, nullptr, nullptr, 0), 0);
    QCOMPARE(count, uint16_t(65535));
    raw.count = 2;
    raw.points[1] = {-1500, 2500};
    QCOMPARE(device.ConvertResultToPoints(&raw, pairs.data(), &count, nullptr, nullptr, 1), 1);
    QCOMPARE(count, uint16_t(2));
    QCOMPARE(pairs[2], 1.5f);
    QCOMPARE(pairs[3], 2.5f);
    QCOMPARE(device.ConvertResultToPoints(nullptr, pairs.data(), &count, nullptr, nullptr, 0), 0);
    QCOMPARE(count, uint16_t(65535));
}

QTEST_GUILESS_MAIN(tst_Results)
#include "tst_results.moc"
