#include "DeviceTestSupport.h"
#include "VelaProtocol.h"

#include <sys/socket.h>

#include <atomic>
#include <cstring>
#include <thread>

using namespace DeviceTest;
using VelaDevice::VelaEthernetDetector;

class tst_Discovery : public QObject
{
    Q_OBJECT

private slots:
    void typeFilter_data();
    void typeFilter();
    void blocksDescribeTheSensors();
    void nothingFoundWithoutEmulator();
    void searchesEveryListedEndpoint();
    void silentSensorIsNotFound();
    void malformedAnswersAreIgnored();
};

static std::vector<SensorSpec> mixedSensors()
{
    return {{Model::LS71, 0}, {Model::LS74, 0}, {Model::LS74B, 0}, {Model::LS74, 0}, {Model::LP81, 0}};
}

void tst_Discovery::typeFilter_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<int>("expected");
    QTest::newRow("all") << int(VelaDevice::DeviceTypeAll) << 4;
    QTest::newRow("LS71") << int(VelaDevice::DeviceTypeLS71) << 1;
    QTest::newRow("LS74") << int(VelaDevice::DeviceTypeLS74) << 2;
    QTest::newRow("LS74 compatible") << int(VelaDevice::DeviceTypeLS74Compatible) << 1;
    QTest::newRow("point sensors are never searched") << int(VelaDevice::DeviceTypeLP81) << 0;
    QTest::newRow("unknown code") << 4711 << 0;
}

void tst_Discovery::typeFilter()
{
    QFETCH(int, filter);
    QFETCH(int, expected);
    auto emulator = startEmulator(mixedSensors());
    QVERIFY(emulator->isRunning());
    qputenv("VELA_DEVICE_SEARCH", QByteArray::fromStdString(emulator->searchEndpoint()));

    VelaEthernetDetector detector;
    QCOMPARE(detector.Search(uint16_t(filter), 1), expected);
    QCOMPARE(detector.GetSize(), expected);
    for (int i = 0; i < expected; ++i) {
        if (filter != VelaDevice::DeviceTypeAll)
            QCOMPARE(int(detector[i]->DeviceType), filter);
    }
    QVERIFY(detector.GetDevBlock(expected) == nullptr);
    QVERIFY(detector[-1] == nullptr);
}

void tst_Discovery::blocksDescribeTheSensors()
{
    auto emulator = startEmulator({{Model::LS71, 123456}, {Model::LS74, 0x0A0B0C}});
    qputenv("VELA_DEVICE_SEARCH", QByteArray::fromStdString(emulator->searchEndpoint()));

    VelaEthernetDetector detector;
    // Three rounds ask each sensor three times; each is reported once.
    QCOMPARE(detector.Search(VelaDevice::DeviceTypeAll, 3), 2);
    for (int i = 0; i < 2; ++i) {
        const VelaDevice::_UDP_DEVINFOBLOCK_PC* block = detector.GetDevBlock(i);
        const SensorInfo info = emulator->sensor(block->DeviceType == VelaDevice::DeviceTypeLS71 ? 0 : 1);
        const uint32_t serial = block->SerialNumber[0] | block->SerialNumber[1] << 8 | block->SerialNumber[2] << 16;
        QCOMPARE(serial, info.serial);
        QCOMPARE(block->ControlPort, info.controlPort);
        QCOMPARE(QString::fromStdString(VelaNet::formatIPv4(block->IPAddress)), QString::fromStdString(info.address));
        QVERIFY(block->RangeZ > 0 && block->RangeXEMR > block->RangeXSMR);
        QCOMPARE(block->MACAddress[5], uint8_t(serial));
    }
}

void tst_Discovery::nothingFoundWithoutEmulator()
{
    qputenv("VELA_DEVICE_SEARCH", QByteArray("127.0.0.1:") + QByteArray::number(freeUdpPort()));
    VelaEthernetDetector detector;
    int found = -1;
    const qint64 ms = elapsedMs([&] { found = detector.Search(VelaDevice::DeviceTypeAll, 3); });
    QCOMPARE(found, 0);
    QCOMPARE(detector.GetSize(), 0);
    QVERIFY(detector.GetDevBlock(0) == nullptr);
    QVERIFY2(ms < 1000, qPrintable(QString::number(ms)));
}

void tst_Discovery::searchesEveryListedEndpoint()
{
    auto first = startEmulator({{Model::LS71, 0}});
    auto second = startEmulator({{Model::LS74, 0}});
    // Unusable entries are skipped, spaces are allowed.
    qputenv("VELA_DEVICE_SEARCH", QByteArray::fromStdString(first->searchEndpoint() + ", no-such-host:1,"
                                                           + second->searchEndpoint() + ",127.0.0.1:99999"));
    VelaEthernetDetector detector;
    QCOMPARE(detector.Search(VelaDevice::DeviceTypeAll, 1), 2);
    // A new search replaces the blocks of the last one.
    qputenv("VELA_DEVICE_SEARCH", QByteArray::fromStdString(second->searchEndpoint()));
    QCOMPARE(detector.Search(VelaDevice::DeviceTypeAll, 1), 1);
    QCOMPARE(int(detector[0]->DeviceType), int(VelaDevice::DeviceTypeLS74));
}

void tst_Discovery::silentSensorIsNotFound()
{
    auto emulator = startEmulator({{Model::LS74, 0}, {Model::LS74, 0}});
    qputenv("VELA_DEVICE_SEARCH", QByteArray::fromStdString(emulator->searchEndpoint()));
    Faults silent;
    silent.silent = true;
    emulator->setFaults(0, silent);
    VelaEthernetDetector detector;
    QCOMPARE(detector.Search(VelaDevice::DeviceTypeAll, 1), 1);
    QCOMPARE(detector[0]->SerialNumber[0], uint8_t(emulator->sensor(1).serial));
}

void tst_Discovery::malformedAnswersAreIgnored()
{
    // A responder that answers every request with garbage around one valid answer.
    const uint8_t loopback[4] = {127, 0, 0, 1};
    VelaNet::Fd responder = VelaNet::bindUdp(VelaNet::makeAddress(loopback, 0));
    QVERIFY(responder.valid());
    std::atomic<bool> done{false};
    std::thread thread([&] {
        while (!done) {
            if (!VelaNet::waitReadable(responder.get(), 50))
                continue;
            char request[64];
            sockaddr_in from{};
            socklen_t len = sizeof from;
            if (::recvfrom(responder.get(), request, sizeof request, 0, reinterpret_cast<sockaddr*>(&from), &len) <= 0)
                continue;
            auto send = [&](const void* data, size_t size) {
                ::sendto(responder.get(), data, size, 0, reinterpret_cast<sockaddr*>(&from), len);
            };
            VelaProtocol::DiscoveryAnswer answer{};
            answer.magic = VelaProtocol::DiscoveryAnswerMagic;
            answer.block = makeInfoBlock(Model::LS74, 4242, loopback, 1234, 1);
            send(&answer, 10);                                  // short
            std::vector<char> oversized(sizeof answer + 100, 'x');
            std::memcpy(oversized.data(), &answer, sizeof answer);
            send(oversized.data(), oversized.size());           // oversized
            VelaProtocol::DiscoveryAnswer foreign = answer;
            foreign.magic = 0x12345678;
            send(&foreign, sizeof foreign);                     // wrong magic
            send(&answer, sizeof answer);                       // valid
        }
    });
    qputenv("VELA_DEVICE_SEARCH", QByteArray("127.0.0.1:") + QByteArray::number(VelaNet::localPort(responder.get())));
    VelaEthernetDetector detector;
    const int found = detector.Search(VelaDevice::DeviceTypeAll, 2);
    done = true;
    thread.join();
    QCOMPARE(found, 1);
    QCOMPARE(detector[0]->ControlPort, uint16_t(1234));
}

QTEST_GUILESS_MAIN(tst_Discovery)
#include "tst_discovery.moc"
