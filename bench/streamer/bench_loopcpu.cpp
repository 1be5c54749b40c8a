// What a loop costs when it has nothing useful to do: CPU time per second of wall time, each
// case measured over one window after it has settled.
//  - LP81PtyGone: an LP81Streamer whose pseudo-terminal went away (the emulator stopped);
//  - LS74PixelsRefused: an LS74Streamer in pixel mode against a sensor not in calibration mode;
//  - LS74SpeedTestSensorGone: an LS74Streamer running a speed test after the sensor stopped;
//  - EmulatorPacing/100, /1000: an emulated LS74 pushing that many results per second;
//  - EmulatorFailedRestart: an emulated LS74 rebooted while its control port is taken.
// Counters: loop_cpu_ms_per_s of the thread that runs the loop (the streamer thread, or for the
// emulator every thread but the benchmark's own), process_cpu_ms_per_s of the whole process,
// and events_per_s: signals the streamer emitted, results that arrived, or emulator log lines.

#include "LP81Streamer.h"
#include "LS74Streamer.h"
#include "LS7xEmulator.h"
#include "SensorModel.h"
#include "UdpFlood.h"
#include "VelaProtocol.h"
#include "VelaSocket.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <pthread.h>
#include <sys/socket.h>
#include <time.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace VelaEmulator;
using UdpFlood::runEvents;

constexpr int SettleMs = 500;
constexpr int WindowMs = 2000;

double cpuMs(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The CPU clock of the thread that runs a QThread's loop, taken in that thread as it starts.
struct LoopClock {
    std::atomic<bool> known{false};
    clockid_t clock{};

    void follow(QThread& thread)
    {
        QObject::connect(&thread, &QThread::started, &thread, [this] {
            pthread_getcpuclockid(pthread_self(), &clock);
            known = true;
        }, Qt::DirectConnection);
    }
};

// Runs events for the window and reports the CPU figures and the events counted meanwhile.
// Without a loop clock the loop's share is the process's minus this thread's own.
template <class Count> void measure(benchmark::State& state, const LoopClock* loop, Count events)
{
    for (auto _ : state) {
        runEvents(SettleMs);
        const auto loopCpu = [&] {
            return loop ? cpuMs(loop->clock) : cpuMs(CLOCK_PROCESS_CPUTIME_ID) - cpuMs(CLOCK_THREAD_CPUTIME_ID);
        };
        QElapsedTimer wall;
        wall.start();
        const double loop0 = loopCpu();
        const double process0 = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
        const double events0 = double(events());
        runEvents(WindowMs);
        const double seconds = double(wall.nsecsElapsed()) / 1e9;
        state.counters["loop_cpu_ms_per_s"] = (loopCpu() - loop0) / seconds;
        state.counters["process_cpu_ms_per_s"] = (cpuMs(CLOCK_PROCESS_CPUTIME_ID) - process0) / seconds;
        state.counters["events_per_s"] = (double(events()) - events0) / seconds;
    }
}

std::unique_ptr<Emulator> startEmulator(EmulatorConfig config)
{
    auto emulator = std::make_unique<Emulator>(std::move(config));
    return emulator->start() ? std::move(emulator) : nullptr;
}

std::unique_ptr<Emulator> startEmulator(Model model)
{
    EmulatorConfig config = EmulatorConfig::forTests();
    config.sensors = {{model}};
    return startEmulator(config);
}

VelaDevice::_UDP_DEVINFOBLOCK_PC blockOf(const Emulator& emulator)
{
    const SensorInfo info = emulator.sensor(0);
    uint8_t address[4];
    VelaNet::parseIPv4(info.address, address);
    return makeInfoBlock(info.model, info.serial, address, info.controlPort, info.firmwareVersion);
}

template <class Streamer> void stop(Streamer& streamer)
{
    while (streamer.isRunningLoop()) {
        streamer.shutdown();
        runEvents(200);
    }
    streamer.wait();
}

void LP81PtyGone(benchmark::State& state)
{
    auto emulator = startEmulator(Model::LP81);
    if (!emulator) {
        state.SkipWithError("emulator did not start");
        return;
    }
    VelaDevice::LP81Device device(1);
    VelaStreamer::LP81Streamer streamer(QString::fromStdString(emulator->sensor(0).ptyPath), 115200, 1, 0);
    streamer.setLP81(&device);
    LoopClock clock;
    clock.follow(streamer);
    std::atomic<quint64> errors{0};
    std::atomic<bool> measured{false};
    QObject::connect(&streamer, &VelaStreamer::LP81Streamer::readError, &streamer, [&errors] { ++errors; },
                     Qt::DirectConnection);
    QObject::connect(&streamer, &VelaStreamer::LP81Streamer::receivedMeasure, &streamer,
                     [&measured] { measured = true; }, Qt::DirectConnection);
    streamer.start();
    for (int i = 0; i < 50 && !measured; ++i)
        runEvents(100);
    emulator->stop();
    if (!measured || !clock.known)
        state.SkipWithError("no measurement before the pseudo-terminal went");
    else
        measure(state, &clock, [&errors] { return errors.load(); });
    stop(streamer);
}

// An LS74Streamer in TCP mode; every signal it emits is counted.
struct LS74Rig {
    explicit LS74Rig(std::unique_ptr<Emulator> started)
        : emulator(std::move(started)), block(blockOf(*emulator)), device(&block)
    {
        streamer.setLS74(&device);
        streamer.setMode(VelaStreamer::StreamerModeTCP);
        clock.follow(streamer);
        using S = VelaStreamer::LS74Streamer;
        const auto count = [this] { ++signalCount; };
        QObject::connect(&streamer, &S::readError, &streamer, count, Qt::DirectConnection);
        QObject::connect(&streamer, &S::receivedSpeedTestResponse, &streamer, count, Qt::DirectConnection);
        QObject::connect(&streamer, qOverload<uchar, const void*>(&S::receivedProfile), &streamer, count,
                         Qt::DirectConnection);
        QObject::connect(&streamer, &S::connected, &streamer, [this] { connected = true; }, Qt::DirectConnection);
    }
    ~LS74Rig() { stop(streamer); }

    bool waitFor(const std::atomic<bool>& flag)
    {
        for (int i = 0; i < 50 && !flag; ++i)
            runEvents(100);
        return flag && clock.known;
    }

    std::unique_ptr<Emulator> emulator;
    VelaDevice::_UDP_DEVINFOBLOCK_PC block;
    VelaDevice::LS74Device device;
    VelaStreamer::LS74Streamer streamer;
    LoopClock clock;
    std::atomic<quint64> signalCount{0};
    std::atomic<bool> connected{false};
};

void LS74PixelsRefused(benchmark::State& state)
{
    auto emulator = startEmulator(Model::LS74);
    if (!emulator) {
        state.SkipWithError("emulator did not start");
        return;
    }
    LS74Rig rig(std::move(emulator));
    rig.streamer.setPixelsMode(true);   // the sensor is not in calibration mode
    rig.streamer.start();
    if (!rig.waitFor(rig.connected))
        state.SkipWithError("streamer did not connect");
    else
        measure(state, &rig.clock, [&rig] { return rig.signalCount.load(); });
}

void LS74SpeedTestSensorGone(benchmark::State& state)
{
    auto emulator = startEmulator(Model::LS74);
    if (!emulator) {
        state.SkipWithError("emulator did not start");
        return;
    }
    LS74Rig rig(std::move(emulator));
    rig.streamer.speedTestMode(true);
    rig.streamer.start();
    std::atomic<bool> answered{false};
    QObject::connect(&rig.streamer, &VelaStreamer::LS74Streamer::receivedSpeedTestResponse, &rig.streamer,
                     [&answered] { answered = true; }, Qt::DirectConnection);
    if (!rig.waitFor(answered)) {
        state.SkipWithError("no speed-test answer before the sensor went");
        return;
    }
    rig.emulator->stop();
    measure(state, &rig.clock, [&rig] { return rig.signalCount.load(); });
}

void EmulatorPacing(benchmark::State& state)
{
    EmulatorConfig config = EmulatorConfig::forTests();
    config.sensors = {{Model::LS74}};
    config.resultRate = double(state.range(0));
    config.repeatPoints = true;
    auto emulator = startEmulator(config);
    if (!emulator) {
        state.SkipWithError("emulator did not start");
        return;
    }
    // The results that arrive are counted, to show the rate kept.
    const uint8_t loopback[4] = {127, 0, 0, 1};
    VelaNet::Fd socket = VelaNet::bindUdp(VelaNet::makeAddress(loopback, emulator->sensor(0).hostPort));
    const int buffer = 8 << 20;
    ::setsockopt(socket.get(), SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    quint64 results = 0;
    std::vector<uint8_t> datagram(sizeof(VelaProtocol::ResultHeader) + sizeof(VelaProtocol::LS74RawResult));
    QTimer drain;
    QObject::connect(&drain, &QTimer::timeout, [&] {
        while (::recv(socket.get(), datagram.data(), datagram.size(), MSG_DONTWAIT) > 0)
            ++results;
    });
    drain.start(20);
    measure(state, nullptr, [&results] { return results; });
}

void EmulatorFailedRestart(benchmark::State& state)
{
    // A fixed control port, so that the scanner cannot move to another one after the reboot.
    const uint8_t loopback[4] = {127, 0, 0, 1};
    VelaNet::Fd probe = VelaNet::listenTcp(VelaNet::makeAddress(loopback, 0));
    const uint16_t port = VelaNet::localPort(probe.get());
    probe.reset();
    std::atomic<quint64> lines{0};
    EmulatorConfig config = EmulatorConfig::forTests();
    config.sensors = {{Model::LS74}};
    config.controlPort = port;
    config.log = [&lines](const std::string&) { ++lines; };
    auto emulator = startEmulator(config);
    if (!emulator) {
        state.SkipWithError("emulator did not start");
        return;
    }
    const auto block = blockOf(*emulator);
    VelaDevice::LS74Device device(&block);
    device.Reboot();
    VelaNet::Fd squatter;
    for (int i = 0; i < 1000 && !squatter.valid(); ++i) {
        squatter = VelaNet::listenTcp(VelaNet::makeAddress(loopback, port));
        if (!squatter.valid())
            runEvents(1);
    }
    if (!squatter.valid()) {
        state.SkipWithError("could not take the control port");
        return;
    }
    measure(state, nullptr, [&lines] { return lines.load(); });
}

} // namespace

BENCHMARK(LP81PtyGone)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LS74PixelsRefused)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LS74SpeedTestSensorGone)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EmulatorPacing)->Arg(100)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EmulatorFailedRestart)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
