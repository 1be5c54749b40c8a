// Built only under the thread sanitizer, and expected to fail: a receiver keeps the pointer of
// the first record it is given and reads that record again from later queued slots, long after
// handing it back, while the streamer thread rewrites it on every round of the ring. The
// sanitizer must report that race, or the suppressions hide what its pass is for. Exits with 0
// (so the test fails) when the race did not come about or was not reported.

#include "StreamerTestSupport.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

using namespace StreamerTest;
using VelaStreamer::LS74Streamer;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    auto emulator = startEmulator({{Model::LS74}}, 2000);
    const auto block = blockOf(*emulator, 0);
    VelaDevice::LS74Device device(&block);
    LS74Streamer streamer;
    streamer.setLS74(&device);
    const void* kept = nullptr;
    int staleReads = 0;
    QByteArray copy(sizeof(LS74Streamer::ProfileDataStruct), 0);
    QObject receiver;
    QObject::connect(&streamer, qOverload<uchar, const void*>(&LS74Streamer::receivedProfile), &receiver,
                     [&](uchar, const void* record) {
                         if (!kept) {
                             kept = record;
                         } else if (record != kept) {
                             std::memcpy(copy.data(), kept, size_t(copy.size()));   // the planted fault
                             ++staleReads;
                         }
                         // A slow receiver keeps the streamer a ring ahead of it.
                         QThread::msleep(1);
                     },
                     Qt::QueuedConnection);
    streamer.start();
    QTest::qWaitFor([&] { return staleReads >= 300; }, 30000);
    while (streamer.isRunningLoop()) {
        streamer.shutdown();
        QTest::qWait(100);
    }
    streamer.wait();
    std::printf("%d reads of a record handed back\n", staleReads);
    return 0;
}
