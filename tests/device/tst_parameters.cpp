#include "DeviceTestSupport.h"

#include <QTemporaryDir>

#include <cstring>

using namespace DeviceTest;
using VelaDevice::LS71Device;
using VelaDevice::LS74Device;

class tst_Parameters : public QObject
{
    Q_OBJECT

private slots:
    void hostPortIsUnknownUntilRead();
    void roundTripLS74();
    void roundTripLS71();
    void writeOfAnUnreadBlockIsRejected();
    void flushSurvivesRestart();
    void defaultAndFactoryAreas();
    void refusedWrites();
    void fpgaTable();
    void commandsOfAnotherModelFail();
};

void tst_Parameters::hostPortIsUnknownUntilRead()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    QVERIFY(device.GetHostPortNumber() < 1024);
    QCOMPARE(device.ReadParams(), 1);
    QCOMPARE(device.GetHostPortNumber(), emulator->sensor(0).hostPort);
    QVERIFY(device.GetHostPortNumber() >= 1024);
    QCOMPARE(QString::fromStdString(device.GetHumanReadableDeviceIPAddress()), QString("127.0.0.1"));
}

void tst_Parameters::roundTripLS74()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    const auto block = blockOf(*emulator, 0);
    LS74Device writer(&block);
    QCOMPARE(writer.ReadParams(), 1);

    // Addresses go in with the last octet first.
    const unsigned char deviceIP[4] = {20, 0, 0, 127};
    const unsigned char mask[4] = {0, 255, 255, 255};
    const unsigned char hostIP[4] = {5, 0, 0, 127};
    const unsigned char modbusIP[4] = {9, 8, 7, 6};
    VelaDevice::_LS71HS_MODBUS_INFO modbus;
    std::memset(&modbus, 0, sizeof modbus);
    modbus.Delay = 250;
    modbus.TransID1 = 0x0A02;
    modbus.ByteCnt2 = 0x3C;

    writer.SetLeftBoundary(10);
    writer.SetUpperBoundary(20);
    writer.SetWindowWidth(200);
    writer.SetWindowHeight(100);
    writer.SetLaserLevel(31);
    writer.SetExposureTime(3600);
    writer.SetExternalResultSyncEnabled(1);
    writer.SetUDPFrequency(250);
    writer.SetDeviceIPAddress(deviceIP);
    writer.SetNetworkMask(mask);
    writer.SetHostIPAddress(hostIP);
    writer.SetHostPortNumber(40001);
    writer.SetPixelBrightnessThreshold(99);
    writer.SetAutoExposureMode(0);
    writer.SetEnableRawImageMode(1);
    writer.SetEnableInterpolation(0);
    writer.SetExternalMeasurementSyncEnabled(1);
    writer.SetTcpDataPort(7000);
    writer.SetEnableModbusTcp(1);
    writer.SetModbusTcpAddress(modbusIP);
    writer.SetModbusTcpPort(1502);
    writer.SetModbusInfo(&modbus);
    QCOMPARE(writer.WriteParams(), 1);

    LS74Device reader(&block);
    QCOMPARE(reader.ReadParams(), 1);
    QCOMPARE(int(reader.GetLeftBoundary()), 10);
    QCOMPARE(int(reader.GetUpperBoundary()), 20);
    QCOMPARE(int(reader.GetWindowWidth()), 200);
    QCOMPARE(int(reader.GetWindowHeight()), 100);
    QCOMPARE(int(reader.GetLaserLevel()), 31);
    QCOMPARE(int(reader.GetExposureTime()), 3600);
    QCOMPARE(reader.GetExternalResultSyncEnabled(), 1);
    QCOMPARE(int(reader.GetUDPFrequency()), 250);
    QCOMPARE(QString::fromStdString(reader.GetHumanReadableDeviceIPAddress()), QString("127.0.0.20"));
    QCOMPARE(QString::fromStdString(reader.GetHumanReadableNetworkMask()), QString("255.255.255.0"));
    QCOMPARE(QString::fromStdString(reader.GetHumanReadableHostIPAddress()), QString("127.0.0.5"));
    QCOMPARE(int(reader.GetHostPortNumber()), 40001);
    QCOMPARE(int(reader.GetPixelBrightnessThreshold()), 99);
    QCOMPARE(int(reader.GetAutoExposureMode()), 0);
    QCOMPARE(reader.GetEnabledRawImageMode(), 1);
    QCOMPARE(reader.GetEnabledInterpolation(), 0);
    QCOMPARE(reader.GetExternalMeasurementSyncEnabled(), 1);
    QCOMPARE(int(reader.GetTcpDataPort()), 7000);
    QCOMPARE(reader.GetEnabledModbusTcp(), 1);
    QCOMPARE(QString::fromStdString(reader.GetHumanReadableModbusTcpAddress()), QString("6.7.8.9"));
    QCOMPARE(int(reader.GetModbusTcpPort()), 1502);
    VelaDevice::_LS71HS_MODBUS_INFO back;
    QCOMPARE(reader.GetModbusInfo(&back), 1);
    QCOMPARE(std::memcmp(&back, &modbus, sizeof modbus), 0);
}

void tst_Parameters::roundTripLS71()
{
    auto emulator = startEmulator({{Model::LS71, 0}});
    const auto block = blockOf(*emulator, 0);
    LS71Device writer(&block);
    QCOMPARE(writer.ReadParams(), 1);
    // The factory block carries the Modbus defaults even where an LS71 does not use them.
    QCOMPARE(int(writer.GetUDPFrequency()), 100);
    writer.SetRotationAngle(-1234);
    writer.SetLaserLevel(3);
    writer.SetExternalResultSyncEnabled(0);
    QCOMPARE(writer.WriteParams(), 1);

    LS71Device reader(&block);
    QCOMPARE(reader.ReadParams(), 1);
    QCOMPARE(int(reader.GetRotationAngle()), -1234);
    QCOMPARE(int(reader.GetLaserLevel()), 3);
    QCOMPARE(reader.GetExternalMeasurementSyncEnabled(), 0);
    QCOMPARE(reader.GetSerialNumber(), emulator->sensor(0).serial);
    QCOMPARE(int(reader.GetMeasurementRangeZ()), int(block.RangeZ));
    QCOMPARE(int(reader.GetMeasurementRangeXEMR()), int(block.RangeXEMR));
}

void tst_Parameters::writeOfAnUnreadBlockIsRejected()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    device.SetLaserLevel(5);
    // The copy holds nothing but the laser level: the sensor must not take it for a block.
    QCOMPARE(device.WriteParams(), 0);
    LS74Device reader(&block);
    QCOMPARE(reader.ReadParams(), 1);
    QCOMPARE(int(reader.GetLaserLevel()), 20);
}

static void keepStateIn(EmulatorConfig& config)
{
    static QTemporaryDir directory;
    config.stateDirectory = directory.path().toStdString();
}

void tst_Parameters::flushSurvivesRestart()
{
    auto emulator = startEmulator({{Model::LS74, 0}}, keepStateIn);
    {
        const auto block = blockOf(*emulator, 0);
        LS74Device device(&block);
        QCOMPARE(device.ReadParams(), 1);
        device.SetLaserLevel(7);
        QCOMPARE(device.WriteParams(), 1);
        QCOMPARE(device.FlushParams(0), 1);
        device.SetExposureTime(999);      // written but never flushed
        QCOMPARE(device.WriteParams(), 1);
    }
    emulator->stop();
    emulator = startEmulator({{Model::LS74, 0}}, keepStateIn);
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    QCOMPARE(device.ReadParams(), 1);
    QCOMPARE(int(device.GetLaserLevel()), 7);
    QCOMPARE(int(device.GetExposureTime()), 400);
    QCOMPARE(device.FlushParams(2), 0);
    QCOMPARE(device.FlushParams(-1), 0);
}

void tst_Parameters::defaultAndFactoryAreas()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    QCOMPARE(device.ReadParams(), 1);
    device.SetLaserLevel(9);
    QCOMPARE(device.WriteParams(), 1);
    QCOMPARE(device.FlushParams(1), 1);

    // A factory reset brings back the factory block, not the user default.
    QCOMPARE(device.FlushFactoryParams(1), 1);
    QCOMPARE(device.ReadParams(), 1);
    QCOMPARE(int(device.GetLaserLevel()), 20);

    // Flush 0 makes the working block the factory block.
    device.SetLaserLevel(11);
    QCOMPARE(device.WriteParams(), 1);
    QCOMPARE(device.FlushFactoryParams(0), 1);
    device.SetLaserLevel(12);
    QCOMPARE(device.WriteParams(), 1);
    QCOMPARE(device.FlushFactoryParams(1), 1);
    QCOMPARE(device.ReadParams(), 1);
    QCOMPARE(int(device.GetLaserLevel()), 11);
    QCOMPARE(device.FlushFactoryParams(2), 0);
}

void tst_Parameters::refusedWrites()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    const auto block = blockOf(*emulator, 0);
    Faults refuse;
    refuse.refuseWrites = true;
    emulator->setFaults(0, refuse);

    LS74Device device(&block);
    QCOMPARE(device.ReadParams(), 1);
    device.SetLaserLevel(1);
    QCOMPARE(device.WriteParams(), 0);
    QCOMPARE(device.FlushParams(0), 0);
    QCOMPARE(device.FlushFactoryParams(1), 0);
    QCOMPARE(device.FlushFpgaParams(0), 0);
    // The local copy keeps the change; the sensor does not.
    QCOMPARE(int(device.GetLaserLevel()), 1);
    QCOMPARE(device.ReadParams(), 1);
    QCOMPARE(int(device.GetLaserLevel()), 20);

    emulator->setFaults(0, Faults());
    device.SetLaserLevel(1);
    QCOMPARE(device.WriteParams(), 1);
}

void tst_Parameters::fpgaTable()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    std::vector<uint8_t> table(LS74Device::FpgaParamsSize, 0);
    QCOMPARE(device.ReadFpgaParams(table.data()), 1);
    QCOMPARE(int(table[0]), 128);
    QCOMPARE(int(table[639]), 128);
    for (int i = 0; i < 640; ++i)
        table[size_t(i)] = uint8_t(i % 256);
    QCOMPARE(device.WriteFpgaParams(table.data()), 1);
    std::vector<uint8_t> back(LS74Device::FpgaParamsSize, 0);
    QCOMPARE(device.ReadFpgaParams(back.data()), 1);
    QVERIFY(back == table);
    QCOMPARE(device.FlushFpgaParams(1), 1);
    QCOMPARE(device.ReadFpgaParams(back.data()), 1);
    QCOMPARE(int(back[300]), 128);
    QCOMPARE(device.ReadFpgaParams(nullptr), 0);
}

void tst_Parameters::commandsOfAnotherModelFail()
{
    auto emulator = startEmulator({{Model::LS71, 0}});
    const auto block = blockOf(*emulator, 0);
    // An LS74 object pointed at an LS71 reaches it, but the LS74 commands are not the LS71's.
    LS74Device device(&block);
    QCOMPARE(device.ReadParams(), 1);
    unsigned short exposure = 0;
    QCOMPARE(device.GetAutoExposure(&exposure), 0);
    QCOMPARE(device.SpeedTest(), 0);
    QCOMPARE(device.SetCalibrationMode(1), 0);
    // The connection survives refused commands.
    QCOMPARE(device.ReadParams(), 1);
}

QTEST_GUILESS_MAIN(tst_Parameters)
#include "tst_parameters.moc"
