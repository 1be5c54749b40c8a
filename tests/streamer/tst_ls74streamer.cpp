// What only the LS74 streamer does: its transport modes, the speed test, pixel lines and the
// TCP-data hand-over.

#include "StreamerTestSupport.h"

#include "VelaProtocol.h"

#include <atomic>

using namespace StreamerTest;
using VelaStreamer::LS74Streamer;
using VelaStreamer::VelaStreamerMode;

namespace {

struct Rig {
    explicit Rig(std::unique_ptr<Emulator> started)
        : emulator(std::move(started)), block(blockOf(*emulator, 0)), device(&block)
    {
        streamer.setLS74(&device);
        streamer.setId(3);
        streamer.setMode(VelaStreamer::StreamerModeTCP);
        recorder.attach(&streamer);
    }
    ~Rig()
    {
        stopLikeTheApplication(streamer);
        streamer.wait();
    }

    std::unique_ptr<Emulator> emulator;
    VelaDevice::_UDP_DEVINFOBLOCK_PC block;
    VelaDevice::LS74Device device;
    LS74Streamer streamer;
    Recorder recorder;
};

} // namespace

class tst_LS74Streamer : public QObject
{
    Q_OBJECT

private slots:
    void modeFlags_data();
    void modeFlags();
    void speedTestAnswersOnly();
    void pixelLinesTravelInProfileRecords_data();
    void pixelLinesTravelInProfileRecords();
    void failingRequestsAreRetriedAtABoundedRate_data();
    void failingRequestsAreRetriedAtABoundedRate();
    void tcpDataHandOver_data();
    void tcpDataHandOver();
};

void tst_LS74Streamer::modeFlags_data()
{
    QTest::addColumn<QList<int>>("modes");
    QTest::addColumn<int>("expected");
    QTest::newRow("initial") << QList<int>{} << 0;
    QTest::newRow("TCP") << QList<int>{1} << 1;
    QTest::newRow("TCP data") << QList<int>{2} << 2;
    QTest::newRow("TCP data over TCP") << QList<int>{1, 2} << 2;
    QTest::newRow("back to UDP") << QList<int>{2, 0} << 0;
    QTest::newRow("unknown value ignored") << QList<int>{1, 3} << 1;
    QTest::newRow("negative value ignored") << QList<int>{2, -1} << 2;
}

void tst_LS74Streamer::modeFlags()
{
    QFETCH(QList<int>, modes);
    QFETCH(int, expected);
    LS74Streamer streamer;
    for (int mode : modes)
        streamer.setMode(VelaStreamerMode(mode));
    QCOMPARE(int(streamer.getMode()), expected);
}

void tst_LS74Streamer::speedTestAnswersOnly()
{
    Rig rig(startEmulator({{Model::LS74}}));
    rig.streamer.speedTestMode(true);
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.speedTests >= 5, 5000);
    QVERIFY(rig.recorder.profiles.isEmpty());
    QCOMPARE(rig.recorder.readErrors, 0);

    rig.streamer.speedTestMode(false);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.recorder.profiles.isEmpty(), 5000);
}

void tst_LS74Streamer::pixelLinesTravelInProfileRecords_data()
{
    QTest::addColumn<bool>("counters");
    QTest::newRow("with counters") << true;
    QTest::newRow("without counters") << false;
}

void tst_LS74Streamer::pixelLinesTravelInProfileRecords()
{
    QFETCH(bool, counters);
    Rig rig(startEmulator({{Model::LS74}}));
    QVERIFY(rig.device.SetCalibrationMode(1));
    rig.streamer.readPckCounter(counters);
    rig.streamer.setPixelsMode(true);
    rig.streamer.setZ(1.0f);
    rig.streamer.setStep(2.0f);
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.profiles.size() >= 5, 5000);
    const auto& p = rig.recorder.profiles;
    for (int k = 0; k < p.size(); ++k) {
        QCOMPARE(p[k].count, ushort(640));
        QCOMPARE(p[k].withCounters, counters);
        QCOMPARE(p[k].z, 1.0f + 2.0f * float(k));
        if (counters) {
            // The line's own first word carries the measurement counter in its low half.
            QCOMPARE(p[k].measCounter, ushort(p[k].firstWord & 0xFFFF));
            QCOMPARE(p[k].pckCounter, ushort(k + 1));
        }
    }
}

// Refused pixel lines and speed tests fail at once; the loop rests after each, reports
// nothing (neither is a read error) and goes on when the sensor serves again.
void tst_LS74Streamer::failingRequestsAreRetriedAtABoundedRate_data()
{
    QTest::addColumn<bool>("speedTest");
    QTest::newRow("pixels outside calibration mode") << false;
    QTest::newRow("speed test on a sensor without one") << true;
}

void tst_LS74Streamer::failingRequestsAreRetriedAtABoundedRate()
{
    QFETCH(bool, speedTest);
    const uint16_t command = speedTest ? VelaProtocol::CmdSpeedTest : VelaProtocol::CmdGetPixels;
    // An LS71 answers no speed test; an LS74 outside calibration mode no pixel line.
    Rig rig(startEmulator({{speedTest ? Model::LS71 : Model::LS74}}));
    std::atomic<int> requests{0};
    rig.emulator->setRequestObserver(0, [&requests, command](uint16_t seen) {
        if (seen == command)
            ++requests;
    });
    rig.streamer.speedTestMode(speedTest);
    rig.streamer.setPixelsMode(!speedTest);
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(requests > 0, 5000);
    const int first = requests;
    QTest::qWait(500);
    // A loop that retried at once would have sent thousands.
    QVERIFY2(requests - first <= 50, qPrintable(QString::number(requests - first)));
    rig.emulator->setRequestObserver(0, nullptr);
    QCOMPARE(rig.recorder.events, QStringList{"connected"});
    QCOMPARE(rig.streamer.errorCounter(), 0);
}

void tst_LS74Streamer::tcpDataHandOver_data()
{
    QTest::addColumn<bool>("sensorUp");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("rc");
    QTest::newRow("accepted") << true << QStringList{"connected", "complete"} << 0;
    QTest::newRow("nobody there") << false << QStringList{"complete"} << 2;
}

void tst_LS74Streamer::tcpDataHandOver()
{
    QFETCH(bool, sensorUp);
    QFETCH(QStringList, events);
    QFETCH(int, rc);
    Rig rig(startEmulator({{Model::LS74}}));
    const ushort port = rig.emulator->sensor(0).dataPort;
    if (!sensorUp)
        rig.emulator->stop();
    uchar address[4] = {127, 0, 0, 1};
    rig.streamer.setMode(VelaStreamer::StreamerModeTCPData);
    rig.streamer.setTCPDataIPAddress(address);
    rig.streamer.setTCPDataPort(port);
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.complete(), 5000);
    QCOMPARE(rig.recorder.events, events);
    QCOMPARE(rig.recorder.rcs, QList<uchar>{uchar(rc)});
    QVERIFY(rig.streamer.wait(1000));
}

QTEST_MAIN(tst_LS74Streamer)
#include "tst_ls74streamer.moc"
