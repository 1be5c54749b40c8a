// An LS74 emulator pushes UDP results as fast as it can. Measured in one run:
//  - ReceiveCeiling: a bare socket receiving the same datagrams, nothing else;
//  - StreamerDelivery/1: an LS74Streamer in counter mode delivering them to a receiver in the
//    streamer object's thread that only counts, connected directly (as the application
//    receives them); StreamerDelivery/0: the same receiver connected queued.
// Counters: profiles_per_s delivered, lost_share from the packet counters (results the sensor
// sent that never arrived).

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

} // namespace

BENCHMARK(ReceiveCeiling)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(StreamerDelivery)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
