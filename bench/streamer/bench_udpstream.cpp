// An LS74 emulator pushes UDP results as fast as it can. Measured in one run:
//  - ReceiveCeiling: a bare socket receiving the same datagrams, nothing else;
//  - StreamerDelivery/0: an LS74Streamer in counter mode delivering them to a receiver in the
//    streamer object's thread that only counts (queued, as the application receives them);
//    StreamerDelivery/1: the same receiver connected directly, run in the streamer thread, to
//    tell the streamer loop's own cost from that of queued delivery;
//  - HandBack / QueuedSignalOnly: the cost of the record hand-back next to the queued signal
//    that it follows.
// Counters: profiles_per_s delivered, lost_share from the packet counters (results the sensor
// sent that never arrived).

#include "HandOverEvent.h"
#include "LS74Streamer.h"
#include "UdpFlood.h"
#include "LS7xEmulator.h"
#include "SensorModel.h"
#include "VelaProtocol.h"
#include "VelaSocket.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/socket.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace VelaEmulator;
using namespace UdpFlood;

constexpr int WarmUpMs = 300;
constexpr int WindowMs = 3000;

void ReceiveCeiling(benchmark::State& state)
{
    measureReceiveCeiling(state, WarmUpMs, WindowMs);
}

void StreamerDelivery(benchmark::State& state)
{
    auto emulator = floodingEmulator();
    if (!emulator) {
        state.SkipWithError("emulator did not start");
        return;
    }
    const SensorInfo info = emulator->sensor(0);
    uint8_t address[4];
    VelaNet::parseIPv4(info.address, address);
    const auto block = makeInfoBlock(info.model, info.serial, address, info.controlPort, info.firmwareVersion);
    VelaDevice::LS74Device device(&block);
    VelaStreamer::LS74Streamer streamer;
    streamer.setLS74(&device);
    streamer.readPckCounter(true);
    PacketTally tally;
    QObject receiver;
    QObject::connect(&streamer, qOverload<uchar, const void*, ushort, ushort>(&VelaStreamer::LS74Streamer::receivedProfile),
                     &receiver, [&tally](uchar, const void*, ushort, ushort packet) { tally.add(packet); },
                     state.range(0) ? Qt::DirectConnection : Qt::QueuedConnection);
    streamer.start();
    for (auto _ : state) {
        runEvents(WarmUpMs + 300);
        const Reading start = read(tally);
        runEvents(WindowMs);
        report(state, start, read(tally), WindowMs);
    }
    while (streamer.isRunningLoop()) {
        streamer.shutdown();
        runEvents(200);
    }
    streamer.wait();
}

// Publishing a record, posting its hand-over and handling it, without any device.
class HandBackProbe : public QObject
{
    Q_OBJECT

public:
    VelaStreamer::RingAccount ring{16};
    void publishOne()
    {
        ring.claim(0);
        auto* event = new VelaStreamer::HandOverEvent(&ring, ring.published());
        ring.publish();
        QCoreApplication::postEvent(this, event);
    }

signals:
    void record(uchar id, const void* data, ushort meas, ushort packet);

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != VelaStreamer::HandOverEvent::eventType())
            return QObject::event(event);
        static_cast<VelaStreamer::HandOverEvent*>(event)->deliver();
        return true;
    }
};

void QueuedSignalOnly(benchmark::State& state)
{
    HandBackProbe probe;
    QObject receiver;
    quint64 received = 0;
    QObject::connect(&probe, &HandBackProbe::record, &receiver,
                     [&received](uchar, const void*, ushort, ushort) { ++received; }, Qt::QueuedConnection);
    for (auto _ : state) {
        emit probe.record(0, &probe, 1, 2);
        QCoreApplication::processEvents();
    }
    benchmark::DoNotOptimize(received);
}

void HandBack(benchmark::State& state)
{
    HandBackProbe probe;
    QObject receiver;
    quint64 received = 0;
    QObject::connect(&probe, &HandBackProbe::record, &receiver,
                     [&received](uchar, const void*, ushort, ushort) { ++received; }, Qt::QueuedConnection);
    for (auto _ : state) {
        probe.publishOne();
        emit probe.record(0, &probe, 1, 2);
        QCoreApplication::processEvents();
    }
    benchmark::DoNotOptimize(received);
}

} // namespace

BENCHMARK(ReceiveCeiling)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(StreamerDelivery)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(QueuedSignalOnly);
BENCHMARK(HandBack);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#include "bench_udpstream.moc"
