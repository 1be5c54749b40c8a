// Records handed out by pointer live until every queued delivery has run: past the end of a
// run, past the start of the next one and past the streamer's destruction. Meant for the
// address sanitizer, which reports a delivery that reads a freed record.

#include "StreamerTestSupport.h"

#include <QThread>

using namespace StreamerTest;
using VelaStreamer::LS71Streamer;
using VelaStreamer::LS74Streamer;

namespace {

void useDevice(LS71Streamer& s, VelaDevice::LS71Device* d) { s.setLS71(d); }
void useDevice(LS74Streamer& s, VelaDevice::LS74Device* d) { s.setLS74(d); }

// Streams until the recorder has seen something, then lets deliveries pile up unhandled, ends
// the run, has the streamer hand out what it read (the recorder is connected queued, so its
// deliveries are only queued) and deletes the streamer before a single one of them has run.
template <class Streamer> void deleteWithDeliveriesQueued(Model model, bool images)
{
    auto emulator = startEmulator({{model}}, 1000);
    const auto block = blockOf(*emulator, 0);
    typename Streamer::Device device(&block);
    auto* streamer = new Streamer;
    useDevice(*streamer, &device);
    if (images) {
        if constexpr (std::is_same_v<Streamer, LS74Streamer>)
            streamer->setMode(VelaStreamer::StreamerModeTCP);
        else
            streamer->setTCPMode(true);
        streamer->readImages(true);
    }
    Recorder recorder;
    recorder.attach(streamer);
    streamer->start();
    QTRY_VERIFY_WITH_TIMEOUT(recorder.profiles.size() + recorder.images.size() >= 3, 10000);
    QThread::msleep(150);
    streamer->shutdown();
    QVERIFY(streamer->wait(10000));
    const int handled = int(recorder.profiles.size() + recorder.images.size());
    QCoreApplication::sendPostedEvents(streamer);
    delete streamer;
    QTest::qWait(50);
    // Deliveries were queued at the deletion, and they have run on the records they carry.
    QVERIFY(recorder.profiles.size() + recorder.images.size() > handled);
    for (const ReceivedProfile& p : std::as_const(recorder.profiles))
        QVERIFY(p.count > 0 && p.count != 65535);
}

} // namespace

class tst_RecordLife : public QObject
{
    Q_OBJECT

private slots:
    void deletedStreamerLeavesQueuedRecordsReadable_data();
    void deletedStreamerLeavesQueuedRecordsReadable();
    void newRunLeavesTheLastRunsRecordsAlone();
};

void tst_RecordLife::deletedStreamerLeavesQueuedRecordsReadable_data()
{
    QTest::addColumn<bool>("ls74");
    QTest::addColumn<bool>("images");
    QTest::newRow("LS71 profiles") << false << false;
    QTest::newRow("LS74 profiles") << true << false;
    QTest::newRow("LS74 images") << true << true;
}

void tst_RecordLife::deletedStreamerLeavesQueuedRecordsReadable()
{
    QFETCH(bool, ls74);
    QFETCH(bool, images);
    if (ls74)
        deleteWithDeliveriesQueued<LS74Streamer>(Model::LS74, images);
    else
        deleteWithDeliveriesQueued<LS71Streamer>(Model::LS71, images);
}

// The second run starts while the first run's profiles still wait for their receiver: each of
// them must still carry the first run's scan coordinates when it is finally read.
void tst_RecordLife::newRunLeavesTheLastRunsRecordsAlone()
{
    auto emulator = startEmulator({{Model::LS74}}, 1000);
    const auto block = blockOf(*emulator, 0);
    VelaDevice::LS74Device device(&block);
    LS74Streamer streamer;
    streamer.setLS74(&device);
    streamer.setStep(1.0f);
    Recorder recorder;
    recorder.attach(&streamer);
    streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(recorder.profiles.size() >= 3, 10000);
    QThread::msleep(100);
    streamer.shutdown();
    QVERIFY(streamer.wait(10000));
    const int handled = int(recorder.profiles.size());
    streamer.setZ(100000.0f);
    streamer.start();
    QThread::msleep(400);   // the new run streams into the ring while nothing is handled
    QTRY_VERIFY_WITH_TIMEOUT(recorder.complete(), 5000);
    const int firstRun = int(recorder.events.mid(0, recorder.events.indexOf("complete")).count("profile"));
    QVERIFY(firstRun > handled);
    QTRY_VERIFY_WITH_TIMEOUT(recorder.profiles.size() > firstRun + 5, 10000);
    for (int k = 0; k < recorder.profiles.size(); ++k) {
        const bool ofFirstRun = k < firstRun;
        QVERIFY2((recorder.profiles[k].z < 100000.0f) == ofFirstRun, qPrintable(QString::number(k)));
    }
    stopLikeTheApplication(streamer);
    QVERIFY(streamer.wait(10000));
}

QTEST_MAIN(tst_RecordLife)
#include "tst_recordlife.moc"
