// Built only under the thread sanitizer, and expected to fail: a receiver in a thread of its own
// reads each record it is given a millisecond late. Such a receiver must copy the record in the
// streamer object's thread first; by the time it reads, the streamer has had the record back
// and is rewriting it. The sanitizer must report that race, or the suppressions hide what its
// pass is for. Exits with 0 (so the test fails) when the race was not reported.

#include "StreamerTestSupport.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
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
    QThread receiverThread;
    QObject receiver;
    receiver.moveToThread(&receiverThread);
    std::atomic<int> lateReads{0};
    QByteArray copy(sizeof(LS74Streamer::ProfileDataStruct), 0);
    QObject::connect(&streamer, qOverload<uchar, const void*>(&LS74Streamer::receivedProfile), &receiver,
                     [&](uchar, const void* record) {
                         QThread::msleep(1);
                         std::memcpy(copy.data(), record, size_t(copy.size()));   // the planted fault
                         ++lateReads;
                     });
    receiverThread.start();
    streamer.start();
    QTest::qWaitFor([&] { return lateReads >= 300; }, 30000);
    while (streamer.isRunningLoop()) {
        streamer.shutdown();
        QTest::qWait(100);
    }
    streamer.wait();
    receiverThread.quit();
    receiverThread.wait();
    std::printf("%d late reads of a record in another thread\n", lateReads.load());
    return 0;
}
