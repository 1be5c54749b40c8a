#include "DeviceTestSupport.h"
#include "PointSensor.h"

#include <fcntl.h>
#include <unistd.h>

using namespace DeviceTest;
using VelaDevice::LP81Device;

class tst_PointSensor : public QObject
{
    Q_OBJECT

private slots:
    void helloAndMeasurements();
    void portsThatCannotBeOpened_data();
    void portsThatCannotBeOpened();
    void wrongAddressIsNotAnswered();
    void silentSensorFailsWithinTheBound();
    void lineNoiseIsSkipped();
};

void tst_PointSensor::helloAndMeasurements()
{
    auto emulator = startEmulator({{Model::LP81, 4321}});
    const SensorInfo info = emulator->sensor(0);
    QVERIFY(!info.ptyPath.empty());
    LP81Device device;
    VelaDevice::_VelaCOM_HELLO_ANSWER_ hello{};
    QCOMPARE(device.GetHelloAnswer(&hello), 0);   // no hello yet
    QCOMPARE(device.OpenPort(info.ptyPath.c_str(), 115200), 1);
    QCOMPARE(device.IsOpen(), 1);
    QCOMPARE(device.HelloCmd(), 1);
    QCOMPARE(device.GetHelloAnswer(&hello), 1);
    QCOMPARE(int(hello.DeviceType), int(VelaDevice::DeviceTypeLP81));
    QCOMPARE(int(hello.SerialNumber), 4321);
    QCOMPARE(int(hello.Range), int(PointSensor::Range));
    unsigned short minimum = 65535, maximum = 0;
    for (int i = 0; i < 30; ++i) {
        unsigned short raw = 0;
        QCOMPARE(device.GetSingleMeasure(&raw), 1);
        QVERIFY(raw <= 16384);
        minimum = std::min(minimum, raw);
        maximum = std::max(maximum, raw);
    }
    QVERIFY(maximum > minimum);   // a live reading, not a constant
    QCOMPARE(device.ClosePort(), 1);
    QCOMPARE(device.GetSingleMeasure(nullptr), 0);
    unsigned short raw;
    QCOMPARE(device.GetSingleMeasure(&raw), 0);
    // The pseudo-terminal takes the next user.
    QCOMPARE(device.OpenPort(info.ptyPath.c_str(), 9600), 1);
    QCOMPARE(device.GetSingleMeasure(&raw), 1);
}

void tst_PointSensor::portsThatCannotBeOpened_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("baud");
    QTest::newRow("missing") << "/dev/no-such-port" << 115200;
    QTest::newRow("not a terminal") << "/dev/null" << 115200;
    QTest::newRow("unknown baud rate") << "" << 12345;
}

void tst_PointSensor::portsThatCannotBeOpened()
{
    QFETCH(QString, port);
    QFETCH(int, baud);
    auto emulator = startEmulator({{Model::LP81, 0}});
    const std::string path = port.isEmpty() ? emulator->sensor(0).ptyPath : port.toStdString();
    LP81Device device;
    QCOMPARE(device.OpenPort(path.c_str(), (unsigned long)baud), 0);
    QCOMPARE(device.IsOpen(), 0);
    QCOMPARE(device.HelloCmd(), 0);
}

void tst_PointSensor::wrongAddressIsNotAnswered()
{
    auto emulator = startEmulator({{Model::LP81, 0}});
    LP81Device device(7);
    QCOMPARE(device.OpenPort(emulator->sensor(0).ptyPath.c_str(), 115200), 1);
    QCOMPARE(device.HelloCmd(), 0);
    device.SetAddress(1);
    QCOMPARE(device.HelloCmd(), 1);
}

void tst_PointSensor::silentSensorFailsWithinTheBound()
{
    auto emulator = startEmulator({{Model::LP81, 0}});
    LP81Device device;
    QCOMPARE(device.OpenPort(emulator->sensor(0).ptyPath.c_str(), 115200), 1);
    Faults silent;
    silent.silent = true;
    emulator->setFaults(0, silent);
    unsigned short raw = 0;
    const qint64 ms = elapsedMs([&] { QCOMPARE(device.GetSingleMeasure(&raw), 0); });
    QVERIFY2(ms >= timeoutMs() * 9 / 10 && ms < timeoutMs() * 3 / 2, qPrintable(QString::number(ms)));
    emulator->setFaults(0, Faults());
    QCOMPARE(device.GetSingleMeasure(&raw), 1);
}

void tst_PointSensor::lineNoiseIsSkipped()
{
    auto emulator = startEmulator({{Model::LP81, 0}});
    const std::string path = emulator->sensor(0).ptyPath;
    // Noise from another party on the line before our request.
    const int noise = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    QVERIFY(noise >= 0);
    const unsigned char garbage[] = {0x01, 0x99, 0x42, 0xFF, 0x00, 0x01};
    QCOMPARE(int(::write(noise, garbage, sizeof garbage)), int(sizeof garbage));
    ::close(noise);
    LP81Device device;
    QCOMPARE(device.OpenPort(path.c_str(), 115200), 1);
    QCOMPARE(device.HelloCmd(), 1);
    unsigned short raw = 0;
    QCOMPARE(device.GetSingleMeasure(&raw), 1);
}

QTEST_GUILESS_MAIN(tst_PointSensor)
#include "tst_pointsensor.moc"
