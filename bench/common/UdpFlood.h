#pragma once

// What the UDP delivery benchmarks share: an LS74 emulator pushing results as fast as it can,
// a tally of the packet counters seen, and the bare receive ceiling for the same datagrams.

#include "LS7xEmulator.h"
#include "VelaProtocol.h"
#include "VelaSocket.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/socket.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

namespace UdpFlood {

inline std::unique_ptr<VelaEmulator::Emulator> floodingEmulator()
{
    VelaEmulator::EmulatorConfig config = VelaEmulator::EmulatorConfig::forTests();
    config.sensors = { { VelaEmulator::Model::LS74 } };
    config.resultRate = -1; // as fast as it can
    config.repeatPoints = true; // the points are computed once: the sensor side costs little
    auto emulator = std::make_unique<VelaEmulator::Emulator>(config);
    return emulator->start() ? std::move(emulator) : nullptr;
}

inline void runEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Packet counters seen, with their 16-bit wrap unfolded. One thread adds, any thread reads.
struct PacketTally
{
    std::atomic<quint64> received { 0 };
    std::atomic<quint64> span { 0 };
    bool started = false;
    ushort last = 0;

    void add(ushort packet)
    {
        if (started)
            span.fetch_add(ushort(packet - last), std::memory_order_relaxed);
        started = true;
        last = packet;
        received.fetch_add(1, std::memory_order_relaxed);
    }
};

struct Reading
{
    quint64 received = 0;
    quint64 span = 0;
};

inline Reading read(const PacketTally& tally)
{
    return { tally.received.load(), tally.span.load() };
}

// profiles_per_s received over the window and lost_share of what the sensor sent meanwhile.
inline void report(benchmark::State& state, Reading start, Reading end, qint64 ms)
{
    const double received = double(end.received - start.received);
    const double span = double(end.span - start.span);
    state.counters["profiles_per_s"] = received * 1000.0 / double(ms);
    state.counters["lost_share"] = span > 0 ? 1.0 - received / span : 0.0;
}

// A bare socket receiving the flood's datagrams, nothing else: this machine's ceiling.
inline void measureReceiveCeiling(benchmark::State& state, int warmUpMs, int windowMs)
{
    auto emulator = floodingEmulator();
    if (!emulator) {
        state.SkipWithError("emulator did not start");
        return;
    }
    const uint8_t loopback[4] = { 127, 0, 0, 1 };
    VelaNet::Fd socket = VelaNet::bindUdp(VelaNet::makeAddress(loopback, emulator->sensor(0).hostPort));
    const int buffer = 8 << 20;
    ::setsockopt(socket.get(), SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    std::vector<uint8_t> datagram(sizeof(VelaProtocol::ResultHeader) + sizeof(VelaProtocol::LS74RawResult));
    for (auto _ : state) {
        PacketTally tally;
        QElapsedTimer clock;
        clock.start();
        Reading start;
        bool measuring = false;
        while (clock.elapsed() < warmUpMs + windowMs) {
            if (!measuring && clock.elapsed() >= warmUpMs) {
                measuring = true;
                start = read(tally);
            }
            if (!VelaNet::waitReadable(socket.get(), 100))
                continue;
            const ssize_t n = ::recv(socket.get(), datagram.data(), datagram.size(), 0);
            if (n != ssize_t(datagram.size()))
                continue;
            VelaProtocol::LS74RawResult raw;
            std::memcpy(&raw.measCounter, datagram.data() + sizeof(VelaProtocol::ResultHeader), 4);
            tally.add(raw.packetCounter);
        }
        report(state, start, read(tally), windowMs);
    }
}

} // namespace UdpFlood
