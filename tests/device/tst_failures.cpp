#include "DeviceTestSupport.h"
#include "VelaProtocol.h"

#include <sys/socket.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

using namespace DeviceTest;
using VelaDevice::LS74Device;

class tst_Failures : public QObject
{
    Q_OBJECT

private slots:
    void noSensorFailsAtOnce();
    void silentSensorFailsWithinTheBound_data();
    void silentSensorFailsWithinTheBound();
    void slowAnswers();
    void droppedConnectionFailsOneCall();
    void garbageRepliesFail_data();
    void garbageRepliesFail();
    void udpReadWithoutResultsTimesOut();
    void concurrentCallsDoNotInterleave();
    void dataHandOverFailures();
    void emulatorSurvivesGarbage();
};

using Call = std::function<int(LS74Device&)>;
Q_DECLARE_METATYPE(Call)

namespace {

std::vector<uint8_t> g_buffer(VelaProtocol::ImageSize);

const uint8_t loopback[4] = {127, 0, 0, 1};

// A TCP server that answers each request of each connection with `reply(requestHeader)`.
class FakeSensor
{
public:
    explicit FakeSensor(std::function<std::vector<uint8_t>(const VelaProtocol::FrameHeader&)> reply)
        : m_listener(VelaNet::listenTcp(VelaNet::makeAddress(loopback, 0))), m_reply(std::move(reply))
    {
        m_thread = std::thread([this] { run(); });
    }
    ~FakeSensor()
    {
        m_done = true;
        m_thread.join();
    }
    uint16_t port() const { return VelaNet::localPort(m_listener.get()); }

private:
    void run()
    {
        while (!m_done) {
            if (!VelaNet::waitReadable(m_listener.get(), 20))
                continue;
            VelaNet::Fd client(::accept4(m_listener.get(), nullptr, nullptr, SOCK_NONBLOCK));
            VelaProtocol::FrameHeader header;
            if (!client.valid() || !VelaNet::recvAll(client.get(), &header, sizeof header, VelaNet::Deadline(500)))
                continue;
            const std::vector<uint8_t> answer = m_reply(header);
            VelaNet::sendAll(client.get(), answer.data(), answer.size(), VelaNet::Deadline(500));
            // Hold the connection a little, as a confused sensor would.
            VelaNet::waitReadable(client.get(), 100);
        }
    }

    VelaNet::Fd m_listener;
    std::function<std::vector<uint8_t>(const VelaProtocol::FrameHeader&)> m_reply;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

std::vector<uint8_t> frame(const VelaProtocol::FrameHeader& header, size_t payload)
{
    std::vector<uint8_t> bytes(sizeof header + payload, 0);
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes;
}

} // namespace

void tst_Failures::noSensorFailsAtOnce()
{
    // A port on which nobody listens: the connection is refused at once.
    VelaNet::Fd reserved = VelaNet::listenTcp(VelaNet::makeAddress(loopback, 0));
    const uint16_t port = VelaNet::localPort(reserved.get());
    reserved.reset();
    const auto block = makeInfoBlock(Model::LS74, 1, loopback, port, 1);
    LS74Device device(&block);
    const qint64 ms = elapsedMs([&] {
        QCOMPARE(device.Connect(), 0);
        QCOMPARE(device.ReadParams(), 0);
        QCOMPARE(device.GetResult(g_buffer.data()), 0);
        QCOMPARE(device.GetImage(g_buffer.data()), 0);
        QCOMPARE(device.Reboot(), 0);
        QCOMPARE(device.UpgradeFirmware("/nonexistent/file.fw"), 0);
    });
    QVERIFY2(ms < timeoutMs() / 2, qPrintable(QString::number(ms)));
    QVERIFY(device.GetHostPortNumber() < 1024);
}

void tst_Failures::silentSensorFailsWithinTheBound_data()
{
    QTest::addColumn<Call>("call");
    QTest::newRow("ReadParams") << Call([](LS74Device& d) { return d.ReadParams(); });
    QTest::newRow("GetResult") << Call([](LS74Device& d) { return d.GetResult(g_buffer.data()); });
    QTest::newRow("GetImage") << Call([](LS74Device& d) { return d.GetImage(g_buffer.data()); });
}

void tst_Failures::silentSensorFailsWithinTheBound()
{
    QFETCH(Call, call);
    auto emulator = startEmulator({{Model::LS74, 0}});
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    QCOMPARE(device.Connect(), 1);
    Faults silent;
    silent.silent = true;
    emulator->setFaults(0, silent);
    int result = -1;
    const qint64 ms = elapsedMs([&] { result = call(device); });
    QCOMPARE(result, 0);
    QVERIFY2(ms >= timeoutMs() * 9 / 10 && ms < timeoutMs() * 3 / 2, qPrintable(QString::number(ms)));
    // Once the sensor answers again, so does the device object.
    emulator->setFaults(0, Faults());
    QCOMPARE(call(device), 1);
}

void tst_Failures::slowAnswers()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    Faults slow;
    slow.answerDelayMs = int(timeoutMs() * 3 / 10);
    emulator->setFaults(0, slow);
    qint64 ms = elapsedMs([&] { QCOMPARE(device.ReadParams(), 1); });
    QVERIFY2(ms >= slow.answerDelayMs && ms < timeoutMs(), qPrintable(QString::number(ms)));
    slow.answerDelayMs = int(timeoutMs() * 8 / 5);
    emulator->setFaults(0, slow);
    ms = elapsedMs([&] { QCOMPARE(device.ReadParams(), 0); });
    QVERIFY2(ms < timeoutMs() * 3 / 2, qPrintable(QString::number(ms)));
    // The late answer of the failed call must not be taken for the answer of the next one.
    emulator->setFaults(0, Faults());
    QTest::qSleep(int(timeoutMs() * 7 / 10));
    QCOMPARE(device.GetResult(g_buffer.data()), 1);
    QCOMPARE(device.ReadParams(), 1);
}

void tst_Failures::droppedConnectionFailsOneCall()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    QCOMPARE(device.Connect(), 1);
    Faults drop;
    drop.dropAfterResults = 3;
    emulator->setFaults(0, drop);
    QCOMPARE(device.GetResult(g_buffer.data()), 1);
    QCOMPARE(device.GetResult(g_buffer.data()), 1);
    QCOMPARE(device.GetResult(g_buffer.data()), 1);
    const qint64 ms = elapsedMs([&] { QCOMPARE(device.GetResult(g_buffer.data()), 0); });
    QVERIFY2(ms < timeoutMs() / 2, "a closed connection is noticed without waiting for the time-out");
    // The next call connects again; the fault was one-shot.
    QCOMPARE(device.GetResult(g_buffer.data()), 1);
    QCOMPARE(emulator->faults(0).dropAfterResults, -1);
}

void tst_Failures::garbageRepliesFail_data()
{
    using Reply = std::function<std::vector<uint8_t>(const VelaProtocol::FrameHeader&)>;
    QTest::addColumn<Reply>("reply");
    const uint32_t block = sizeof(VelaProtocol::ParamBlock);
    QTest::newRow("wrong magic") << Reply([=](const VelaProtocol::FrameHeader& h) {
        return frame({0x11223344, h.command, 0, h.sequence, block}, block);
    });
    QTest::newRow("wrong sequence") << Reply([=](const VelaProtocol::FrameHeader& h) {
        return frame({VelaProtocol::FrameMagic, h.command, 0, h.sequence + 1, block}, block);
    });
    QTest::newRow("wrong command") << Reply([=](const VelaProtocol::FrameHeader& h) {
        return frame({VelaProtocol::FrameMagic, uint16_t(h.command + 1), 0, h.sequence, block}, block);
    });
    QTest::newRow("huge length") << Reply([=](const VelaProtocol::FrameHeader& h) {
        return frame({VelaProtocol::FrameMagic, h.command, 0, h.sequence, 0xFFFFFFF0u}, 64);
    });
    QTest::newRow("payload cut short") << Reply([=](const VelaProtocol::FrameHeader& h) {
        return frame({VelaProtocol::FrameMagic, h.command, 0, h.sequence, block}, block / 2);
    });
    QTest::newRow("header cut short") << Reply([=](const VelaProtocol::FrameHeader& h) {
        std::vector<uint8_t> f = frame({VelaProtocol::FrameMagic, h.command, 0, h.sequence, block}, 0);
        f.resize(7);
        return f;
    });
    QTest::newRow("block of another size") << Reply([=](const VelaProtocol::FrameHeader& h) {
        return frame({VelaProtocol::FrameMagic, h.command, 0, h.sequence, block}, block);   // size field 0
    });
}

void tst_Failures::garbageRepliesFail()
{
    using Reply = std::function<std::vector<uint8_t>(const VelaProtocol::FrameHeader&)>;
    QFETCH(Reply, reply);
    FakeSensor fake(reply);
    const auto block = makeInfoBlock(Model::LS74, 1, loopback, fake.port(), 1);
    LS74Device device(&block);
    const qint64 ms = elapsedMs([&] { QCOMPARE(device.ReadParams(), 0); });
    QVERIFY2(ms < timeoutMs() * 3 / 2, qPrintable(QString::number(ms)));
    QVERIFY(device.GetHostPortNumber() < 1024);
}

void tst_Failures::udpReadWithoutResultsTimesOut()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    QCOMPARE(device.ReadParams(), 1);
    device.SetUDPFrequency(0);
    QCOMPARE(device.WriteParams(), 1);
    QCOMPARE(device.UDPConnect(device.GetHostPortNumber(), nullptr), 1);
    std::vector<float> pairs(LS74Device::ProfileValuesCount);
    unsigned short count = 0;
    const qint64 ms = elapsedMs([&] { device.UDPGetNormalizedResult(pairs.data(), &count, nullptr, nullptr); });
    QCOMPARE(count, uint16_t(65535));
    QVERIFY2(ms >= timeoutMs() * 9 / 10 && ms < timeoutMs() * 3 / 2, qPrintable(QString::number(ms)));
    // A second object cannot take the same port while the first holds it.
    LS74Device other(&block);
    QCOMPARE(other.UDPConnect(device.GetHostPortNumber(), nullptr), 0);
}

void tst_Failures::concurrentCallsDoNotInterleave()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    QCOMPARE(device.Connect(), 1);
    QCOMPARE(device.ReadParams(), 1);
    std::atomic<int> failures{0};
    // The streamer's thread reads results while the GUI thread writes parameters and reads images.
    std::thread streamer([&] {
        VelaProtocol::LS74RawResult raw;
        for (int i = 0; i < 300; ++i) {
            if (!device.GetResult(&raw) || raw.count > 1280)
                ++failures;
        }
    });
    std::vector<uint8_t> image(LS74Device::ImageBufferSize);
    for (int i = 0; i < 30; ++i) {
        device.SetLaserLevel(uint8_t(10 + i % 10));
        if (!device.WriteParams() || !device.GetImage(image.data()) || !device.ReadParams())
            ++failures;
    }
    streamer.join();
    QCOMPARE(failures.load(), 0);
}

void tst_Failures::dataHandOverFailures()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    const auto block = blockOf(*emulator, 0);
    LS74Device device(&block);
    const SensorInfo info = emulator->sensor(0);
    QCOMPARE(device.TCPDataConnect(loopback, info.dataPort), 1);
    QCOMPARE(device.TCPDataDisconnect(), 1);

    Faults silent;
    silent.silent = true;
    emulator->setFaults(0, silent);
    const qint64 ms = elapsedMs([&] { QCOMPARE(device.TCPDataConnect(loopback, info.dataPort), 0); });
    QVERIFY2(ms >= timeoutMs() * 9 / 10 && ms < timeoutMs() * 3 / 2, qPrintable(QString::number(ms)));
    QCOMPARE(device.TCPDataConnect(loopback, 0), 0);
}

void tst_Failures::emulatorSurvivesGarbage()
{
    auto emulator = startEmulator({{Model::LS74, 0}});
    const SensorInfo info = emulator->sensor(0);
    const auto block = blockOf(*emulator, 0);

    // Discovery: datagrams of every wrong shape.
    VelaNet::Fd udp = VelaNet::bindUdp(VelaNet::makeAddress(loopback, 0));
    const sockaddr_in discovery = VelaNet::makeAddress(loopback, emulator->discoveryPort());
    const std::vector<std::vector<uint8_t>> datagrams = {{}, {1}, std::vector<uint8_t>(8, 0xFF), std::vector<uint8_t>(9000, 0x31)};
    for (const auto& d : datagrams)
        ::sendto(udp.get(), d.data(), d.size(), 0, reinterpret_cast<const sockaddr*>(&discovery), sizeof discovery);
    QVERIFY(!VelaNet::waitReadable(udp.get(), 200));   // none of them is answered

    const sockaddr_in control = VelaNet::makeAddress(loopback, info.controlPort);
    // A request of the wrong size is answered "bad request" and the connection stays usable.
    {
        VelaNet::Fd fd = VelaNet::connectTcp(control, VelaNet::Deadline(1000));
        QVERIFY(fd.valid());
        const VelaProtocol::FrameHeader shortWrite{VelaProtocol::FrameMagic, VelaProtocol::CmdWriteParams, 0, 7, 10};
        std::vector<uint8_t> request = frame(shortWrite, 10);
        const VelaProtocol::FrameHeader read{VelaProtocol::FrameMagic, VelaProtocol::CmdReadParams, 0, 8, 0};
        const std::vector<uint8_t> second = frame(read, 0);
        request.insert(request.end(), second.begin(), second.end());
        QVERIFY(VelaNet::sendAll(fd.get(), request.data(), request.size(), VelaNet::Deadline(1000)));
        VelaProtocol::FrameHeader answer{};
        QVERIFY(VelaNet::recvAll(fd.get(), &answer, sizeof answer, VelaNet::Deadline(1000)));
        QCOMPARE(int(answer.status), int(VelaProtocol::StatusBadRequest));
        QCOMPARE(answer.sequence, 7u);
        QCOMPARE(answer.length, 0u);
        QVERIFY(VelaNet::recvAll(fd.get(), &answer, sizeof answer, VelaNet::Deadline(1000)));
        QCOMPARE(int(answer.status), int(VelaProtocol::StatusOk));
        QCOMPARE(answer.length, uint32_t(sizeof(VelaProtocol::ParamBlock)));
        std::vector<uint8_t> block(answer.length);
        QVERIFY(VelaNet::recvAll(fd.get(), block.data(), block.size(), VelaNet::Deadline(1000)));
        // An unknown command is answered as such.
        const VelaProtocol::FrameHeader unknown{VelaProtocol::FrameMagic, 999, 0, 9, 0};
        QVERIFY(VelaNet::sendAll(fd.get(), &unknown, sizeof unknown, VelaNet::Deadline(1000)));
        QVERIFY(VelaNet::recvAll(fd.get(), &answer, sizeof answer, VelaNet::Deadline(1000)));
        QCOMPARE(int(answer.status), int(VelaProtocol::StatusUnsupported));
    }
    // Bytes that are not our protocol, and a header announcing more than any request may carry:
    // the sensor hangs up.
    for (const VelaProtocol::FrameHeader& header : {VelaProtocol::FrameHeader{0x54534547, 1, 0, 1, 0},
                                                   VelaProtocol::FrameHeader{VelaProtocol::FrameMagic, 10, 0, 1, 0x7FFFFFFF}}) {
        VelaNet::Fd fd = VelaNet::connectTcp(control, VelaNet::Deadline(1000));
        QVERIFY(VelaNet::sendAll(fd.get(), &header, sizeof header, VelaNet::Deadline(1000)));
        char byte;
        QVERIFY(VelaNet::waitReadable(fd.get(), 1000));
        QCOMPARE(int(::recv(fd.get(), &byte, 1, 0)), 0);
    }
    // Still serving.
    LS74Device device(&block);
    QCOMPARE(device.ReadParams(), 1);
    qputenv("VELA_DEVICE_SEARCH", QByteArray::fromStdString(emulator->searchEndpoint()));
    VelaDevice::VelaEthernetDetector detector;
    QCOMPARE(detector.Search(VelaDevice::DeviceTypeAll, 1), 1);
}

QTEST_GUILESS_MAIN(tst_Failures)
#include "tst_failures.moc"
