// A receiver that takes its time, queued or connected directly, must never see a record
// change under its hands, nor one rewritten before its queued call came: the rings wait for the
// receivers in the streamer object's thread. Worth running under the thread sanitizer.

#include "StreamerTestSupport.h"

#include <QByteArray>
#include <QThread>

using namespace StreamerTest;
using VelaStreamer::LS74Streamer;

namespace {

// Reads each record twice, a few milliseconds apart, and checks the Z sequence.
class SlowReceiver : public QObject
{
    Q_OBJECT

public:
    int profiles = 0;
    int images = 0;
    int changedUnderHand = 0;
    int outOfSequence = 0;
    float lastZ = -1.0f;
    int holdMs = 3;
    // A slot that runs an event loop, as a dialog or a wait with events would.
    bool handlesEvents = false;

public slots:
    void onProfile(uchar, const void* record, ushort, ushort)
    {
        const QByteArray before(static_cast<const char*>(record), sizeof(LS74Streamer::ProfileDataStruct));
        QThread::msleep(holdMs);
        if (before != QByteArray::fromRawData(static_cast<const char*>(record), before.size()))
            ++changedUnderHand;
        float z = 0;
        std::memcpy(&z, before.constData() + offsetof(LS74Streamer::ProfileDataStruct, z), sizeof z);
        if (z != lastZ + 1.0f)
            ++outOfSequence;
        lastZ = z;
        ++profiles;
        // Bounded, so that a hand-out that repeats a record fails the test instead of hanging it.
        if (handlesEvents && profiles < 200)
            QCoreApplication::processEvents();
    }
    void onImage(uchar, const void* image)
    {
        const QByteArray before(static_cast<const char*>(image), sizeof(VelaStreamer::ImageDataStruct));
        QThread::msleep(holdMs * 5);
        if (before != QByteArray::fromRawData(static_cast<const char*>(image), before.size()))
            ++changedUnderHand;
        ++images;
    }
};

} // namespace

class tst_SlowReceiver : public QObject
{
    Q_OBJECT

private slots:
    void profilesStayIntactWhileRead_data();
    void profilesStayIntactWhileRead();
    void imagesStayIntactWhileRead();
    void aStalledReceiverCostsProfilesNotTheStream();
};

void tst_SlowReceiver::profilesStayIntactWhileRead_data()
{
    QTest::addColumn<Qt::ConnectionType>("connection");
    QTest::addColumn<bool>("handlesEvents");
    QTest::newRow("queued") << Qt::QueuedConnection << false;
    QTest::newRow("direct") << Qt::AutoConnection << false;
    QTest::newRow("direct, events handled in the slot") << Qt::AutoConnection << true;
}

// Every profile comes once and in order, also to a slot that lets the next ones in meanwhile.
void tst_SlowReceiver::profilesStayIntactWhileRead()
{
    QFETCH(Qt::ConnectionType, connection);
    QFETCH(bool, handlesEvents);
    auto emulator = startEmulator({{Model::LS74}}, 1000);
    const auto block = blockOf(*emulator, 0);
    VelaDevice::LS74Device device(&block);
    LS74Streamer streamer;
    streamer.setLS74(&device);
    streamer.readPckCounter(true);
    streamer.setStep(1.0f);
    SlowReceiver receiver;
    receiver.handlesEvents = handlesEvents;
    connect(&streamer, qOverload<uchar, const void*, ushort, ushort>(&LS74Streamer::receivedProfile),
            &receiver, &SlowReceiver::onProfile, connection);
    streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(receiver.profiles >= 150, 20000);
    stopLikeTheApplication(streamer);
    QVERIFY(streamer.wait(3000));
    QCOMPARE(receiver.changedUnderHand, 0);
    QCOMPARE(receiver.outOfSequence, 0);
}

void tst_SlowReceiver::imagesStayIntactWhileRead()
{
    auto emulator = startEmulator({{Model::LS74}});
    const auto block = blockOf(*emulator, 0);
    VelaDevice::LS74Device device(&block);
    LS74Streamer streamer;
    streamer.setLS74(&device);
    streamer.setMode(VelaStreamer::StreamerModeTCP);
    streamer.readImages(true);
    SlowReceiver receiver;
    connect(&streamer, &LS74Streamer::receivedImage, &receiver, &SlowReceiver::onImage, Qt::QueuedConnection);
    streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(receiver.images >= 20, 20000);
    stopLikeTheApplication(streamer);
    QVERIFY(streamer.wait(3000));
    QCOMPARE(receiver.changedUnderHand, 0);
}

// The receivers' thread does not handle events for a while: the streamer waits briefly, then
// drops what it cannot hand out, counts it, and delivers again, in sequence, once the thread is
// back. The count starts again with the next run.
void tst_SlowReceiver::aStalledReceiverCostsProfilesNotTheStream()
{
    auto emulator = startEmulator({{Model::LS74}}, 500);
    const auto block = blockOf(*emulator, 0);
    VelaDevice::LS74Device device(&block);
    LS74Streamer streamer;
    streamer.setLS74(&device);
    streamer.readPckCounter(true);
    streamer.setStep(1.0f);
    SlowReceiver receiver;
    receiver.holdMs = 0;
    QList<ushort> packetCounters;
    connect(&streamer, qOverload<uchar, const void*, ushort, ushort>(&LS74Streamer::receivedProfile),
            &receiver, &SlowReceiver::onProfile, Qt::QueuedConnection);
    connect(&streamer, qOverload<uchar, const void*, ushort, ushort>(&LS74Streamer::receivedProfile),
            this, [&](uchar, const void*, ushort, ushort packet) { packetCounters << packet; }, Qt::QueuedConnection);
    streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(receiver.profiles >= 10, 5000);
    QThread::msleep(600);   // no events handled: the ring fills up
    const int afterStall = receiver.profiles + 16 + 2;
    QTRY_VERIFY_WITH_TIMEOUT(receiver.profiles >= afterStall + 20, 10000);
    QVERIFY(streamer.isRunningLoop());
    stopLikeTheApplication(streamer);
    QVERIFY(streamer.wait(3000));
    QTest::qWait(50);
    QCOMPARE(receiver.outOfSequence, 0);
    QCOMPARE(receiver.changedUnderHand, 0);
    // The results of the stall that found no free record are missing from the counters, and
    // counted; a result lost on the way adds to the gaps only.
    int missing = 0;
    for (int k = 1; k < packetCounters.size(); ++k)
        missing += ushort(packetCounters[k] - packetCounters[k - 1]) - 1;
    const int dropped = streamer.getDroppedCount();
    QVERIFY2(dropped >= 1 && dropped <= missing, qPrintable(QString("%1 dropped, %2 missing").arg(dropped).arg(missing)));

    const int before = receiver.profiles;
    streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(receiver.profiles >= before + 20, 10000);
    QCOMPARE(streamer.getDroppedCount(), 0);
    stopLikeTheApplication(streamer);
    QVERIFY(streamer.wait(3000));
}

QTEST_MAIN(tst_SlowReceiver)
#include "tst_slowreceiver.moc"
