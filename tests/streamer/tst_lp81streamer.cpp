// The point-sensor streamer against an emulated LP81 on a pseudo-terminal.

#include "StreamerTestSupport.h"

#include "LP81Streamer.h"

#include <cmath>
#include <ctime>

using namespace StreamerTest;
using VelaStreamer::LP81Streamer;

namespace {

constexpr unsigned long Baud = 115200;

class MeasureRecorder : public QObject
{
    Q_OBJECT

public:
    explicit MeasureRecorder(LP81Streamer* streamer)
    {
        connect(streamer, &LP81Streamer::connected, this, [this](uchar id) { note(id, "connected"); }, Qt::QueuedConnection);
        connect(streamer, &LP81Streamer::receivedMeasure, this, [this](uchar id, float value) {
            note(id, "measure");
            values << value;
        }, Qt::QueuedConnection);
        connect(streamer, &LP81Streamer::readError, this, [this](uchar id) { note(id, "error"); ++readErrors; },
                Qt::QueuedConnection);
        connect(streamer, &LP81Streamer::complete, this, [this](uchar id, uchar rc) {
            note(id, "complete");
            rcs << rc;
        }, Qt::QueuedConnection);
    }

    QStringList events;
    QList<uchar> ids;
    QList<float> values;
    QList<uchar> rcs;
    int readErrors = 0;

private:
    void note(uchar id, const char* event)
    {
        ids << id;
        events << QString::fromLatin1(event);
    }
};

struct Rig {
    Rig(const QString& port, unsigned long baud, uchar address)
        : emulator(startEmulator({{Model::LP81}})),
          streamer(port.isNull() ? QString::fromStdString(emulator->sensor(0).ptyPath) : port, baud, address, 9),
          recorder(&streamer)
    {
        streamer.setLP81(&device);
    }
    Rig() : Rig(QString(), Baud, 1) {}
    ~Rig()
    {
        while (streamer.isRunningLoop()) {
            streamer.shutdown();
            QTest::qWait(200);
        }
        streamer.wait();
    }

    std::unique_ptr<Emulator> emulator;
    VelaDevice::LP81Device device{1};
    LP81Streamer streamer;
    MeasureRecorder recorder;
};

double processCpuMs()
{
    return 1000.0 * double(std::clock()) / CLOCKS_PER_SEC;
}

} // namespace

class tst_LP81Streamer : public QObject
{
    Q_OBJECT

private slots:
    void refusesWithoutWhatItNeeds_data();
    void refusesWithoutWhatItNeeds();
    void streamerWithoutPortRefusesEveryStart();
    void connectionFailures_data();
    void connectionFailures();
    void readingsBecomeDistances();
    void frequencyPacesTheReadings();
    void failedReadsAreCountedAndReported();
    void vanishedTerminalIsReportedAtABoundedRate();
    void pausedLoopReadsNothingAndRestsItsCore();
};

void tst_LP81Streamer::refusesWithoutWhatItNeeds_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<qulonglong>("baud");
    QTest::addColumn<int>("address");
    QTest::newRow("no port name") << QString("") << qulonglong(Baud) << 1;
    QTest::newRow("baud rate 0") << QString() << qulonglong(0) << 1;
    QTest::newRow("address 0") << QString() << qulonglong(Baud) << 0;
}

void tst_LP81Streamer::refusesWithoutWhatItNeeds()
{
    QFETCH(QString, port);
    QFETCH(qulonglong, baud);
    QFETCH(int, address);
    Rig rig(port, baud, uchar(address));
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.recorder.rcs.isEmpty(), 3000);
    QCOMPARE(rig.recorder.events, QStringList{"complete"});
    QCOMPARE(rig.recorder.rcs, QList<uchar>{LP81Streamer::rc_USERBRK});
    QCOMPARE(rig.recorder.ids, QList<uchar>{9});
}

void tst_LP81Streamer::streamerWithoutPortRefusesEveryStart()
{
    LP81Streamer streamer;
    VelaDevice::LP81Device device;
    streamer.setLP81(&device);
    streamer.setId(4);
    MeasureRecorder recorder(&streamer);
    for (int run = 1; run <= 3; ++run) {
        streamer.start();
        QVERIFY(streamer.wait(2000));
        QTRY_COMPARE_WITH_TIMEOUT(recorder.rcs.size(), run, 2000);
    }
    QCOMPARE(recorder.events, QStringList(3, "complete"));
    QCOMPARE(recorder.rcs, QList<uchar>(3, LP81Streamer::rc_USERBRK));
    QCOMPARE(recorder.ids, QList<uchar>(3, 4));
}

void tst_LP81Streamer::connectionFailures_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("silent");
    QTest::newRow("port cannot be opened") << QString("/nonexistent/ttyLP81") << false;
    QTest::newRow("sensor does not answer") << QString() << true;
}

void tst_LP81Streamer::connectionFailures()
{
    QFETCH(QString, port);
    QFETCH(bool, silent);
    Rig rig(port, Baud, 1);
    Faults faults;
    faults.silent = silent;
    rig.emulator->setFaults(0, faults);
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.recorder.rcs.isEmpty(), 5000);
    QCOMPARE(rig.recorder.events, QStringList{"complete"});
    QCOMPARE(rig.recorder.rcs, QList<uchar>{LP81Streamer::rc_ERRCONN});
    QVERIFY(rig.streamer.wait(2000));
    QVERIFY(!rig.streamer.isRunningLoop());
}

// The emulated sensor's range is 50 mm: every distance is a raw reading times 50 / 16384.
void tst_LP81Streamer::readingsBecomeDistances()
{
    Rig rig;
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.values.size() >= 20, 5000);
    for (float value : rig.recorder.values) {
        QVERIFY(value >= 0.0f && value <= 50.0f);
        const double raw = double(value) * 16384.0 / 50.0;
        QVERIFY2(std::abs(raw - std::round(raw)) < 1e-3, qPrintable(QString::number(value)));
    }
    QCOMPARE(rig.recorder.events.first(), QStringLiteral("connected"));
    QCOMPARE(rig.recorder.readErrors, 0);
    rig.streamer.shutdown();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.recorder.rcs.isEmpty(), 3000);
    QCOMPARE(rig.recorder.rcs, QList<uchar>{LP81Streamer::rc_USERBRK});
    QCOMPARE(rig.recorder.events.last(), QStringLiteral("complete"));
}

// Frequency 5 waits 200 ms after each good reading; the bound holds whatever the machine's speed.
void tst_LP81Streamer::frequencyPacesTheReadings()
{
    Rig rig;
    rig.streamer.setFrequency(5);
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.recorder.values.isEmpty(), 5000);
    QElapsedTimer clock;
    clock.start();
    const int first = int(rig.recorder.values.size());
    QTest::qWait(1000);
    const int paced = int(rig.recorder.values.size()) - first;
    QVERIFY2(paced >= 1 && paced <= int(clock.elapsed() / 200) + 2, qPrintable(QString::number(paced)));
}

void tst_LP81Streamer::failedReadsAreCountedAndReported()
{
    Rig rig;
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.recorder.values.isEmpty(), 5000);
    Faults silent;
    silent.silent = true;
    rig.emulator->setFaults(0, silent);
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.readErrors >= 2, 8000);
    QVERIFY(rig.streamer.errorCounter() >= 2);
    rig.emulator->setFaults(0, Faults());
    const int before = int(rig.recorder.values.size());
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.values.size() > before + 2, 5000);
    QCOMPARE(rig.streamer.errorCounter(), 0);
}

// The pseudo-terminal goes away: every read fails at once, and each failure is still reported,
// but after a rest rather than back to back.
void tst_LP81Streamer::vanishedTerminalIsReportedAtABoundedRate()
{
    Rig rig;
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.recorder.values.isEmpty(), 5000);
    rig.emulator->stop();
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.readErrors > 0, 5000);
    const int first = rig.recorder.readErrors;
    QTest::qWait(500);
    const int errors = rig.recorder.readErrors - first;
    QVERIFY2(errors >= 1 && errors <= 50, qPrintable(QString::number(errors)));
    QVERIFY(rig.streamer.errorCounter() >= rig.recorder.readErrors);
}

void tst_LP81Streamer::pausedLoopReadsNothingAndRestsItsCore()
{
    Rig rig;
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.recorder.values.isEmpty(), 5000);
    rig.streamer.pause();
    QTest::qWait(200);
    const int paused = int(rig.recorder.values.size());
    const double cpuBefore = processCpuMs();
    QTest::qWait(600);
    // A loop that only tested its flags would burn about as much CPU time as passed.
    QVERIFY(processCpuMs() - cpuBefore < 300);
    QCOMPARE(int(rig.recorder.values.size()), paused);
    rig.streamer.resume();
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.values.size() > paused + 2, 5000);
}

QTEST_MAIN(tst_LP81Streamer)
#include "tst_lp81streamer.moc"
