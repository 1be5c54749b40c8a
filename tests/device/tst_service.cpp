#include "DeviceTestSupport.h"
#include "Firmware.h"

#include <QTemporaryDir>

#include <fstream>

using namespace DeviceTest;
using VelaDevice::LS71Device;
using VelaDevice::LS74Device;

class tst_Service : public QObject
{
    Q_OBJECT

private slots:
    void rebootTakesTheSensorOfflineForAMoment();
    void newAddressCountsAfterFlushAndReboot();
    void powerOffLastsUntilRestart();
    void rebootOntoATakenPortRetriesQuietly();
    void firmwareUpgrade_data();
    void firmwareUpgrade();
    void speedTestAndDataHandOver();
};

namespace {

// Polls until the sensor is online again or the time is up.
bool waitOnline(const Emulator& emulator, int index, int ms)
{
    for (int waited = 0; waited < ms; waited += 20) {
        if (emulator.sensor(index).online)
            return true;
        QTest::qSleep(20);
    }
    return emulator.sensor(index).online;
}

} // namespace

void tst_Service::rebootTakesTheSensorOfflineForAMoment()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    QCOMPARE(device.Connect(), 1);
    QCOMPARE(device.ReadParams(), 1);
    device.SetUDPFrequency(0);               // results on request only, so we count every packet
    QCOMPARE(device.WriteParams(), 1);
    QCOMPARE(device.FlushParams(0), 1);
    std::vector<uint8_t> raw(LS74Device::ProfileBufferSize);
    QCOMPARE(device.GetResult(raw.data()), 1);
    const int firstPacket = raw[2] + (raw[3] << 8);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(device.GetResult(raw.data()), 1);
    QCOMPARE(raw[2] + (raw[3] << 8), firstPacket + 4);
    device.SetLaserLevel(3);                 // written, not flushed: lost by the reboot
    QCOMPARE(device.WriteParams(), 1);

    QCOMPARE(device.Reboot(), 1);
    QVERIFY(!emulator->sensor(0).online);
    QCOMPARE(device.ReadParams(), 0);
    QVERIFY(waitOnline(*emulator, 0, 2000));
    // Same address and port after the reboot; the working block is the flashed one.
    QCOMPARE(device.ReadParams(), 1);
    QCOMPARE(int(device.GetLaserLevel()), 20);
    QCOMPARE(int(device.GetUDPFrequency()), 0);
    QCOMPARE(device.GetResult(raw.data()), 1);
    QCOMPARE(raw[2] + (raw[3] << 8), 1);     // counters start again after power-up
}

void tst_Service::newAddressCountsAfterFlushAndReboot()
{
    auto emulator = startEmulator({{Model::LS71, 0}});
    auto block = blockOf(*emulator, 0);
    LS71Device device(&block);
    QCOMPARE(device.ReadParams(), 1);
    const unsigned char address[4] = {77, 0, 0, 127};   // 127.0.0.77, last octet first
    device.SetDeviceIPAddress(address);
    QCOMPARE(device.WriteParams(), 1);
    QCOMPARE(emulator->sensor(0).address, std::string("127.0.0.1"));
    QCOMPARE(device.FlushParams(0), 1);
    QCOMPARE(device.Reboot(), 1);
    QVERIFY(waitOnline(*emulator, 0, 2000));
    QCOMPARE(emulator->sensor(0).address, std::string("127.0.0.77"));
    // The old address is gone; a search reports the new one.
    QCOMPARE(device.ReadParams(), 0);
    qputenv("VELA_DEVICE_SEARCH", QByteArray::fromStdString(emulator->searchEndpoint()));
    VelaDevice::VelaEthernetDetector detector;
    QCOMPARE(detector.Search(VelaDevice::DeviceTypeLS71, 1), 1);
    QCOMPARE(VelaNet::formatIPv4(detector[0]->IPAddress), std::string("127.0.0.77"));
    LS71Device moved(detector[0]);
    QCOMPARE(moved.ReadParams(), 1);

    // An address outside loopback is kept in the block but not taken.
    const unsigned char outside[4] = {1, 1, 168, 192};
    moved.SetDeviceIPAddress(outside);
    QCOMPARE(moved.WriteParams(), 1);
    QCOMPARE(moved.FlushParams(0), 1);
    QCOMPARE(moved.Reboot(), 1);
    QVERIFY(waitOnline(*emulator, 0, 2000));
    QCOMPARE(emulator->sensor(0).address, std::string("127.0.0.77"));
    QCOMPARE(moved.ReadParams(), 1);
    QCOMPARE(moved.GetHumanReadableDeviceIPAddress(), std::string("192.168.1.1"));
}

void tst_Service::powerOffLastsUntilRestart()
{
    auto emulator = startEmulator({{Model::LS74, 0}}, [](EmulatorConfig& c) { c.rebootMs = 50; });
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    QCOMPARE(device.PowerOff(), 1);
    QTest::qSleep(300);
    QVERIFY(!emulator->sensor(0).online);
    QCOMPARE(device.ReadParams(), 0);
    QVERIFY(emulator->start());
    QVERIFY(emulator->sensor(0).online);
}

// The control port is taken while the sensor reboots: it stays offline, says so once, tries
// again after each reboot time and comes back once the port is free.
void tst_Service::rebootOntoATakenPortRetriesQuietly()
{
    const uint8_t loopback[4] = {127, 0, 0, 1};
    VelaNet::Fd probe = VelaNet::listenTcp(VelaNet::makeAddress(loopback, 0));
    const uint16_t port = VelaNet::localPort(probe.get());
    probe.reset();
    std::atomic<int> offlineLines{0};
    std::atomic<int> onlineLines{0};
    EmulatorConfig config = EmulatorConfig::forTests();
    config.sensors = {{Model::LS74, 0}};
    config.controlPort = port;   // fixed, so that the sensor cannot move to another port
    config.rebootMs = 50;
    config.log = [&](const std::string& line) {
        if (line.find("stays offline") != std::string::npos)
            ++offlineLines;
        if (line.find("back online") != std::string::npos)
            ++onlineLines;
    };
    Emulator emulator(config);
    QVERIFY(emulator.start());
    const auto block = blockOf(emulator, 0);
    LS74Device device(&block);
    QCOMPARE(device.Reboot(), 1);
    VelaNet::Fd squatter;
    for (int i = 0; i < 50 && !squatter.valid(); ++i) {
        squatter = VelaNet::listenTcp(VelaNet::makeAddress(loopback, port));
        if (!squatter.valid())
            QTest::qSleep(1);
    }
    QVERIFY(squatter.valid());
    QTRY_VERIFY_WITH_TIMEOUT(offlineLines > 0, 2000);
    QTest::qSleep(500);   // about ten more attempts
    QCOMPARE(offlineLines.load(), 1);
    QVERIFY(!emulator.sensor(0).online);
    QCOMPARE(onlineLines.load(), 0);

    squatter.reset();
    QVERIFY(waitOnline(emulator, 0, 2000));
    QCOMPARE(onlineLines.load(), 1);
    QCOMPARE(device.ReadParams(), 1);
}

void tst_Service::firmwareUpgrade_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("accepted");
    const std::vector<uint8_t> payload(5000, 0xA5);
    auto bytes = [](const std::vector<uint8_t>& v) { return QByteArray(reinterpret_cast<const char*>(v.data()), int(v.size())); };
    const QByteArray ls74 = bytes(makeFirmware(VelaDevice::DeviceTypeLS74, 4300, payload));
    QTest::newRow("LS74 file") << int(Model::LS74) << ls74 << true;
    QTest::newRow("LS74 file on revision B") << int(Model::LS74B) << ls74 << true;
    QTest::newRow("LS71 file") << int(Model::LS71) << bytes(makeFirmware(VelaDevice::DeviceTypeLS71, 200, payload)) << true;
    QTest::newRow("another type") << int(Model::LS71) << ls74 << false;
    QByteArray corrupt = ls74;
    corrupt[100] = char(corrupt[100] ^ 1);
    QTest::newRow("corrupt") << int(Model::LS74) << corrupt << false;
    QTest::newRow("truncated") << int(Model::LS74) << ls74.left(ls74.size() - 1) << false;
    QTest::newRow("header only") << int(Model::LS74) << ls74.left(10) << false;
    QTest::newRow("empty") << int(Model::LS74) << QByteArray() << false;
    QTest::newRow("text") << int(Model::LS74) << QByteArray("not a firmware file\n") << false;
}

void tst_Service::firmwareUpgrade()
{
    QFETCH(int, model);
    QFETCH(QByteArray, content);
    QFETCH(bool, accepted);
    auto emulator = startEmulator({{Model(model), 0}});
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    QTemporaryDir directory;
    const QString path = directory.filePath("upgrade.fw");
    {
        std::ofstream out(path.toStdString(), std::ios::binary);
        out.write(content.constData(), content.size());
    }
    const uint32_t before = emulator->sensor(0).firmwareVersion;
    QCOMPARE(device.UpgradeFirmware(path.toUtf8().constData()) != 0, accepted);
    // The new firmware runs from the next start on.
    QCOMPARE(emulator->sensor(0).firmwareVersion, before);
    QCOMPARE(device.Reboot(), 1);
    QVERIFY(waitOnline(*emulator, 0, 2000));
    const uint32_t after = emulator->sensor(0).firmwareVersion;
    QCOMPARE(after != before, accepted);
}

void tst_Service::speedTestAndDataHandOver()
{
    auto emulator = startEmulator({{Model::LS74, 0}}, [](EmulatorConfig& c) { c.resultRate = 500; });
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    QCOMPARE(device.Connect(), 1);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(device.SpeedTest(), 1);

    // The hand-over opens the data connection; results flow on it while it stays open.
    const SensorInfo info = emulator->sensor(0);
    const unsigned char address[4] = {127, 0, 0, 1};
    QCOMPARE(device.TCPDataConnect(address, info.dataPort), 1);
    QTest::qSleep(50);
    QCOMPARE(device.TCPDataDisconnect(), 1);
    QCOMPARE(device.SpeedTest(), 1);
    QCOMPARE(device.TCPDataConnect(address, info.controlPort), 0);   // not a data port
}

QTEST_GUILESS_MAIN(tst_Service)
#include "tst_service.moc"
