// The whole receiving path of LS7x-SU in one process against an emulated LS74 whose results
// are paced: MainWindow, offscreen, with the Result Viewer shown and the acquisition started,
// counts, filters and draws every profile its LS74Streamer reads.
//  - ProfileCost/rate/transport/filter: in one run, first a bare loop on the same stream
//    (UDP, transport 0: a blocking poll + recv on the host port; TCP, transport 1: one
//    GetResult request after the other on a control connection of its own), then the window
//    with that filter (0 "No filter", 1 "Kih filter", 2 "Spline int.", 3 "Splash filter",
//    4 "Window flt."), in UDP after "Listen UDP", in TCP at the TCP frequency the program sets.
//    The rate paces the UDP results; TCP results come as fast as the requests do.
//  - WindowSlot/filter: the window alone, profiles handed straight to its slot.
//  - LossFreeRate/filter: UDP results at stepped rates:
//    loss_free_per_s is the highest rate that reached the window without a single counter
//    gap, first_lossy_per_s the lowest that lost one (0 when none did).
// Counters of ProfileCost: program_us and bare_us, CPU per profile of every thread of the
// program (the emulator's threads left out) and of the bare loop; ratio, their quotient;
// gui_us, the GUI thread's share of program_us; emulator_us, what the emulated sensor took
// meanwhile (on this machine it shares the cores); profiles_per_s and lost (profiles the sensor
// sent that never arrived, from the packet counters; UDP only) of both; max_timer_delay_ms, how late a
// 10 ms timer of the GUI thread fired at worst; accepted_per_s, the profiles that passed the
// duplicate filter (the emulated camera measures once per exposure time; results beyond that
// repeat a measurement).

#include "CommandLine.h"
#include "DeviceEntry.h"
#include "LS7xEmulator.h"
#include "UdpFlood.h"
#include "VelaProtocol.h"
#include "VelaSocket.h"
#include "mainwindow.h"

#include <LS74Streamer.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace {

using namespace VelaEmulator;
using namespace UdpFlood;

constexpr int WarmUpMs = 500;
constexpr int WindowMs = 3000;
constexpr int TimerMs = 10;
constexpr int PacedSettleMs = 300;
constexpr int PacedWindowMs = 1500;
constexpr double PacedFirstRate = 1000;
constexpr double PacedLastRate = 256000;
constexpr int PacedBisections = 4;
constexpr int DefaultRate = 5000;

bool runEventsUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        runEvents(20);
    }
    return true;
}

// CPU nanoseconds a thread of this process has run, from the scheduler's account.
quint64 threadCpuNs(const QString& tid)
{
    QFile file(QStringLiteral("/proc/self/task/%1/schedstat").arg(tid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readLine().split(' ').value(0).toULongLong();
}

QStringList threadIds()
{
    return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

// CPU of every thread but the emulator's, of the GUI thread alone, and of the emulator.
struct ProgramCpu
{
    quint64 programNs = 0;
    quint64 guiNs = 0;
    quint64 emulatorNs = 0;
};

std::set<QString> emulatorThreads;

ProgramCpu programCpu()
{
    ProgramCpu cpu;
    const QString gui = QString::number(::getpid());
    for (const QString& tid : threadIds()) {
        const quint64 ns = threadCpuNs(tid);
        if (emulatorThreads.count(tid)) {
            cpu.emulatorNs += ns;
            continue;
        }
        cpu.programNs += ns;
        if (tid == gui)
            cpu.guiNs = ns;
    }
    return cpu;
}

double threadCpuNsNow()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

// Worst lateness of a repeating timer in the calling thread.
class TimerDelay
{
public:
    TimerDelay()
    {
        m_timer.setInterval(TimerMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_worst = std::max(m_worst, m_clock.restart() - TimerMs);
        });
    }
    void start()
    {
        m_worst = 0;
        m_clock.start();
        m_timer.start();
    }
    qint64 stop()
    {
        m_timer.stop();
        return m_worst;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_worst = 0;
};

struct Measured
{
    double cpuNs = 0;
    double profiles = 0;
    double lost = 0;
};

// Runs a bare loop's steps one after the other through the warm-up and the window, and measures
// the window: the thread's CPU time and the packets the steps tallied. A failing step ends it.
template <class Step>
Measured measureBareLoop(Step step)
{
    PacketTally tally;
    QElapsedTimer clock;
    clock.start();
    Reading start;
    double cpu0 = 0;
    bool measuring = false;
    while (clock.elapsed() < WarmUpMs + WindowMs) {
        if (!measuring && clock.elapsed() >= WarmUpMs) {
            measuring = true;
            start = read(tally);
            cpu0 = threadCpuNsNow();
        }
        if (!step(tally))
            return {};
    }
    const Reading end = read(tally);
    const double received = double(end.received - start.received);
    return { threadCpuNsNow() - cpu0, received, double(end.span - start.span) - received };
}

// The bare UDP loop: a blocking poll + recv on the host port, nothing else.
Measured bareUdp(const SensorInfo& sensor)
{
    const uint8_t loopback[4] = { 127, 0, 0, 1 };
    VelaNet::Fd socket = VelaNet::bindUdp(VelaNet::makeAddress(loopback, sensor.hostPort));
    if (!socket.valid())
        return {};
    // The receive buffer the device library asks for.
    const int buffer = 8 << 20;
    ::setsockopt(socket.get(), SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    std::vector<uint8_t> datagram(sizeof(VelaProtocol::ResultHeader) + sizeof(VelaProtocol::LS74RawResult));
    return measureBareLoop([&](PacketTally& tally) {
        if (!VelaNet::waitReadable(socket.get(), 100))
            return true;
        const ssize_t n = ::recv(socket.get(), datagram.data(), datagram.size(), 0);
        if (n == ssize_t(datagram.size())) {
            ushort packet = 0;
            std::memcpy(&packet, datagram.data() + sizeof(VelaProtocol::ResultHeader) + 2, sizeof packet);
            tally.add(packet);
        }
        return true;
    });
}

// The bare TCP loop: one GetResult request after the other, each answer read whole.
Measured bareTcp(const SensorInfo& sensor)
{
    uint8_t address[4];
    VelaNet::parseIPv4(sensor.address, address);
    VelaNet::Fd socket = VelaNet::connectTcp(VelaNet::makeAddress(address, sensor.controlPort), VelaNet::Deadline(2000));
    if (!socket.valid())
        return {};
    std::vector<uint8_t> answer(sizeof(VelaProtocol::LS74RawResult));
    uint32_t sequence = 0;
    Measured measured = measureBareLoop([&](PacketTally& tally) {
        const VelaProtocol::FrameHeader request { VelaProtocol::FrameMagic, VelaProtocol::CmdGetResult, 0, ++sequence, 0 };
        VelaProtocol::FrameHeader header {};
        const VelaNet::Deadline deadline(1000);
        if (!VelaNet::sendAll(socket.get(), &request, sizeof request, deadline)
            || !VelaNet::recvAll(socket.get(), &header, sizeof header, deadline)
            || header.length != answer.size()
            || !VelaNet::recvAll(socket.get(), answer.data(), answer.size(), deadline))
            return false;
        ushort packet = 0;
        std::memcpy(&packet, answer.data() + 2, sizeof packet);
        tally.add(packet);
        return true;
    });
    // Losses are counted for UDP only: an answer to every request is all TCP promises.
    measured.lost = 0;
    return measured;
}

// A window connected to one LS74 emulated in this process, on the Result Viewer tab.
class Rig
{
public:
    bool open()
    {
        const QStringList before = threadIds();
        EmulatorConfig config = EmulatorConfig::forTests();
        config.sensors = { { Model::LS74 } };
        config.resultRate = DefaultRate;
        config.repeatPoints = true; // the points are computed once: the sensor side costs little
        emulator = std::make_unique<Emulator>(config);
        if (!emulator->start())
            return false;
        for (const QString& tid : threadIds()) {
            if (!before.contains(tid))
                emulatorThreads.insert(tid);
        }
        qputenv("VELA_DEVICE_SEARCH", QByteArray::fromStdString(emulator->searchEndpoint()));
        CommandLine::setArguments(QStringList());
        window = std::make_unique<MainWindow>();
        window->show();
        auto* search = window->findChild<QPushButton*>("buttonSearch");
        search->click();
        if (!runEventsUntil([&] { return window->entryCount() > 0 && search->isEnabled(); }, 15000))
            return false;
        DeviceEntry* entry = window->entryAt(0);
        QObject::connect(entry->ls74Streamer(),
                         qOverload<uchar, const void*, ushort, ushort>(&VelaStreamer::LS74Streamer::receivedProfile),
                         entry->ls74Streamer(),
                         [this](uchar, const void*, ushort, ushort packet) { tally.add(packet); },
                         Qt::DirectConnection);
        window->onClickedDeviceTableCell(0, 1);
        window->findChild<QPushButton*>("buttonConnect")->click();
        auto* table = window->findChild<QTableWidget*>("tableDeviceList");
        if (!runEventsUntil([&] { return table->item(0, 4)->text() == "Connected"; }, 15000))
            return false;
        window->findChild<QTabWidget*>("tabWidget")->setCurrentIndex(1);
        return true;
    }

    DeviceEntry& entry() const { return *window->entryAt(0); }

    // Acquisition of the chosen transport running, or nothing running at all.
    bool acquire(bool udp, bool on)
    {
        if (entry().acquiringProfiles)
            window->findChild<QPushButton*>("buttonDrawProfiles")->click();
        if (entry().listeningUDP != udp) {
            window->onClickedDeviceTableCell(0, 1);
            window->findChild<QCheckBox*>("checkUDP")->setChecked(udp);
            // The streamer's run starts over in the other loop.
            if (!runEventsUntil([&] { return entry().ls74Streamer()->isRunningLoop(); }, 5000))
                return false;
            runEvents(300);
        }
        if (on)
            window->findChild<QPushButton*>("buttonDrawProfiles")->click();
        return entry().acquiringProfiles == on;
    }

    void close()
    {
        if (window)
            window->close();
        window.reset();
        emulator.reset();
    }

    std::unique_ptr<Emulator> emulator;
    std::unique_ptr<MainWindow> window;
    PacketTally tally;
    bool opened = false;
};

std::unique_ptr<Rig> rig;

bool openRig()
{
    if (!rig) {
        rig = std::make_unique<Rig>();
        rig->opened = rig->open();
    }
    return rig->opened;
}

void setFilter(int index)
{
    rig->window->findChild<QComboBox*>("comboFilter")->setCurrentIndex(index);
}

void ProfileCost(benchmark::State& state)
{
    const bool udp = state.range(1) == 0;
    if (!openRig() || !rig->acquire(false, false)) {
        state.SkipWithError("window did not connect");
        return;
    }
    rig->emulator->setResultRate(double(state.range(0)));
    setFilter(int(state.range(2)));
    const SensorInfo sensor = rig->emulator->sensor(0);
    TimerDelay delay;
    for (auto _ : state) {
        // The bare loop takes the stream while the window's streamer leaves it alone.
        const Measured bare = udp ? bareUdp(sensor) : bareTcp(sensor);
        if (bare.profiles == 0 || !rig->acquire(udp, true)) {
            state.SkipWithError("no stream");
            return;
        }
        runEvents(WarmUpMs);
        const Reading start = read(rig->tally);
        const qint32 accepted0 = rig->entry().statistics.packetTotal;
        const ProgramCpu cpu0 = programCpu();
        delay.start();
        runEvents(WindowMs);
        const qint64 worstDelay = delay.stop();
        const ProgramCpu cpu1 = programCpu();
        const Reading end = read(rig->tally);
        const qint32 accepted = rig->entry().statistics.packetTotal - accepted0;
        rig->acquire(false, false);

        const double profiles = double(end.received - start.received);
        const double programUs = profiles > 0 ? double(cpu1.programNs - cpu0.programNs) / profiles / 1e3 : 0;
        const double bareUs = bare.cpuNs / bare.profiles / 1e3;
        state.counters["program_us"] = programUs;
        state.counters["gui_us"] = profiles > 0 ? double(cpu1.guiNs - cpu0.guiNs) / profiles / 1e3 : 0;
        state.counters["bare_us"] = bareUs;
        state.counters["emulator_us"] = profiles > 0 ? double(cpu1.emulatorNs - cpu0.emulatorNs) / profiles / 1e3 : 0;
        state.counters["ratio"] = programUs / bareUs;
        state.counters["profiles_per_s"] = profiles * 1000.0 / WindowMs;
        state.counters["bare_per_s"] = bare.profiles * 1000.0 / WindowMs;
        state.counters["accepted_per_s"] = double(accepted) * 1000.0 / WindowMs;
        // The emulator's UDP results count on the packet counter too: TCP shows no loss this way.
        if (udp) {
            state.counters["lost"] = double(end.span - start.span) - profiles;
            state.counters["bare_lost"] = bare.lost;
        }
        state.counters["max_timer_delay_ms"] = double(worstDelay);
    }
}

// The window's own share: profiles of 1,280 points handed straight to onRecvProfile on the
// GUI thread, each a new measurement, with the events they cause (repaints) handled in between.
void WindowSlot(benchmark::State& state)
{
    if (!openRig() || !rig->acquire(true, true)) {
        state.SkipWithError("window did not start acquiring");
        return;
    }
    MainWindow& window = *rig->window;
    rig->entry().ls74Streamer()->pause();
    setFilter(int(state.range(0)));
    runEvents(200);

    auto record = std::make_unique<VelaStreamer::LS74ProfileDataStruct>();
    const ushort count = 1280;
    auto* bytes = reinterpret_cast<unsigned char*>(record.get());
    std::memcpy(bytes, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        // A belt with a bump, as the emulated sensor sees it.
        const float pair[2] = { -100.0f + 0.15f * float(i), 200.0f + (i > 500 && i < 700 ? 60.0f : 0.0f) };
        std::memcpy(bytes + 2 + 8 * i, pair, sizeof pair);
    }
    ushort measCounter = 0;
    for (auto _ : state) {
        ++measCounter;
        window.onRecvProfile(0, record.get(), measCounter, measCounter);
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations());
    rig->entry().ls74Streamer()->resume();
}

struct PacedStep
{
    double deliveredPerS = 0;
    bool lossFree = false;
};

PacedStep runPaced(double rate)
{
    rig->emulator->setResultRate(rate);
    runEvents(PacedSettleMs);
    const Reading start = read(rig->tally);
    runEvents(PacedWindowMs);
    const Reading end = read(rig->tally);
    const quint64 received = end.received - start.received;
    return { double(received) * 1000.0 / PacedWindowMs, received > 0 && end.span - start.span == received };
}

// Doubles the rate until a window loses a result, then halves the gap between the last
// loss-free rate and the first lossy one a few times.
void LossFreeRate(benchmark::State& state)
{
    if (!openRig() || !rig->acquire(true, true)) {
        state.SkipWithError("window did not start acquiring");
        return;
    }
    setFilter(int(state.range(0)));
    for (auto _ : state) {
        double good = 0, bad = 0;
        PacedStep best;
        for (double rate = PacedFirstRate; rate <= PacedLastRate; rate *= 2) {
            const PacedStep step = runPaced(rate);
            if (!step.lossFree) {
                bad = rate;
                break;
            }
            good = rate;
            best = step;
        }
        for (int i = 0; bad > 0 && good > 0 && i < PacedBisections; ++i) {
            const double rate = (good + bad) / 2;
            const PacedStep step = runPaced(rate);
            if (step.lossFree) {
                good = rate;
                best = step;
            } else {
                bad = rate;
            }
        }
        state.counters["loss_free_per_s"] = best.deliveredPerS;
        state.counters["first_lossy_per_s"] = bad;
    }
    rig->emulator->setResultRate(DefaultRate);
    runEvents(PacedSettleMs);
}

} // namespace

BENCHMARK(ProfileCost)
    ->ArgNames({ "rate", "tcp", "filter" })
    ->ArgsProduct({ { DefaultRate }, { 0, 1 }, { 0, 1, 2, 3, 4 } })
    ->Args({ 30000, 0, 0 })
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(WindowSlot)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(LossFreeRate)->DenseRange(0, 4)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (rig)
        rig->close();
    rig.reset();
    benchmark::Shutdown();
    return 0;
}
