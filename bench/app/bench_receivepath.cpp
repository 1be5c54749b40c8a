// The whole receiving path of LS7x-SU in one process: an LS74 emulator pushes UDP results as
// fast as it can, the entry's LS74Streamer reads them (UDP loop, counter mode), and MainWindow,
// offscreen with the Result Viewer shown and the acquisition started, counts, filters and
// draws them. Measured in one run:
//  - ReceiveCeiling: a bare socket receiving the same datagrams, nothing else;
//  - ReceivePath/<filter index>: the window with that filter selected (0 "No filter",
//    1 "Kih filter", 2 "Spline int.", 3 "Splash filter", 4 "Window flt.");
//  - WindowSlot/<filter index>: the window alone, profiles handed straight to its slot;
//  - LossFreeRate/<filter index>: the sensor paced at stepped rates (each result a new
//    measurement): loss_free_per_s is the highest rate that reached the window without a single
//    counter gap, first_lossy_per_s the lowest that lost one (0 when none did).
// Counters: profiles_per_s that reached the window (a record the window cannot take in time is
// dropped by the streamer, so this is the rate kept up with), lost_share of the results the
// sensor sent that never reached the window, accepted_per_s that passed the duplicate filter
// and were counted (the emulated camera measures about 2000 times a second, so results beyond
// that repeat a measurement), and max_timer_delay_ms, how late a 10 ms timer of the window's
// thread fired at worst (the window's responsiveness under the load).

#include "CommandLine.h"
#include "DeviceEntry.h"
#include "LS7xEmulator.h"
#include "UdpFlood.h"
#include "VelaProtocol.h"
#include "VelaSocket.h"
#include "mainwindow.h"

#include <LS74Streamer.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
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

// A window connected to a flooding LS74 over UDP, acquiring profiles on the Result Viewer.
class Rig
{
public:
    bool open()
    {
        emulator = floodingEmulator();
        if (!emulator)
            return false;
        qputenv("VELA_DEVICE_SEARCH", QByteArray::fromStdString(emulator->searchEndpoint()));
        CommandLine::setArguments(QStringList());
        window = std::make_unique<MainWindow>();
        window->show();
        auto* search = window->findChild<QPushButton*>("buttonSearch");
        search->click();
        if (!runEventsUntil([&] { return window->entryCount() > 0 && search->isEnabled(); }, 15000))
            return false;
        DeviceEntry* entry = window->entryAt(0);
        entry->ls74Streamer()->setMode(VelaStreamer::StreamerModeUDP);
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
        window->findChild<QPushButton*>("buttonDrawProfiles")->click();
        return entry->acquiringProfiles;
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

void ReceiveCeiling(benchmark::State& state)
{
    measureReceiveCeiling(state, WarmUpMs, WindowMs);
}

bool openRig()
{
    if (!rig) {
        rig = std::make_unique<Rig>();
        rig->opened = rig->open();
    }
    return rig->opened;
}

void ReceivePath(benchmark::State& state)
{
    if (!openRig()) {
        state.SkipWithError("window did not start acquiring");
        return;
    }
    MainWindow& window = *rig->window;
    window.findChild<QComboBox*>("comboFilter")->setCurrentIndex(int(state.range(0)));
    const AcquisitionStatistics& statistics = window.entryAt(0)->statistics;
    TimerDelay delay;
    for (auto _ : state) {
        runEvents(WarmUpMs);
        const Reading start = read(rig->tally);
        const qint32 accepted0 = statistics.packetTotal;
        delay.start();
        runEvents(WindowMs);
        const qint64 worstDelay = delay.stop();
        report(state, start, read(rig->tally), WindowMs);
        state.counters["accepted_per_s"] = double(statistics.packetTotal - accepted0) * 1000.0 / WindowMs;
        state.counters["max_timer_delay_ms"] = double(worstDelay);
    }
}

// The window's own share: profiles of 1,280 points handed straight to onRecvProfile on the
// GUI thread, each a new measurement, with the events they cause (repaints) handled in between.
void WindowSlot(benchmark::State& state)
{
    if (!openRig()) {
        state.SkipWithError("window did not start acquiring");
        return;
    }
    MainWindow& window = *rig->window;
    window.entryAt(0)->ls74Streamer()->pause();
    window.findChild<QComboBox*>("comboFilter")->setCurrentIndex(int(state.range(0)));
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
    window.entryAt(0)->ls74Streamer()->resume();
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
    if (!openRig()) {
        state.SkipWithError("window did not start acquiring");
        return;
    }
    rig->window->findChild<QComboBox*>("comboFilter")->setCurrentIndex(int(state.range(0)));
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
    rig->emulator->setResultRate(-1);
    runEvents(PacedSettleMs);
}

} // namespace

BENCHMARK(ReceiveCeiling)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ReceivePath)->DenseRange(0, 4)->Iterations(1)->Unit(benchmark::kMillisecond);
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
