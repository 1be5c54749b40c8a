// How many LS74 results per second reach a UDPGetResult loop while the emulator pushes them
// as fast as it can, against a bare recv loop on the same datagrams (this machine's ceiling),
// and which share of the sensor's packets never arrives (gaps in the packet counter).
#include "LS7xEmulator.h"
#include "SensorModel.h"
#include "VelaDevice.h"
#include "VelaProtocol.h"
#include "VelaSocket.h"

#include <benchmark/benchmark.h>

#include <sys/socket.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace VelaEmulator;

namespace {

Emulator& flatOutEmulator()
{
    static std::unique_ptr<Emulator> emulator = [] {
        EmulatorConfig config = EmulatorConfig::forTests();
        config.sensors = {{Model::LS74, 0}};
        config.resultRate = -1;
        auto e = std::make_unique<Emulator>(config);
        e->start();
        return e;
    }();
    return *emulator;
}

VelaDevice::_UDP_DEVINFOBLOCK_PC blockOfSensor(const Emulator& emulator)
{
    const SensorInfo info = emulator.sensor(0);
    uint8_t address[4];
    VelaNet::parseIPv4(info.address, address);
    return makeInfoBlock(info.model, info.serial, address, info.controlPort, info.firmwareVersion);
}

// Counts received results and the packets missing between them.
struct LossCounter {
    bool first = true;
    uint16_t last = 0;
    int64_t received = 0;
    int64_t lost = 0;

    void add(uint16_t packet)
    {
        if (!first)
            lost += uint16_t(packet - last - 1);
        first = false;
        last = packet;
        ++received;
    }
    void report(benchmark::State& state) const
    {
        state.counters["results_per_s"] = benchmark::Counter(double(received), benchmark::Counter::kIsRate);
        state.counters["lost_share"] = received + lost ? double(lost) / double(received + lost) : 0;
    }
};

void BM_UDPGetResult(benchmark::State& state)
{
    Emulator& emulator = flatOutEmulator();
    const auto block = blockOfSensor(emulator);
    VelaDevice::LS74Device device(&block);
    if (!device.ReadParams() || !device.UDPConnect(device.GetHostPortNumber(), nullptr)) {
        state.SkipWithError("no sensor");
        return;
    }
    VelaProtocol::LS74RawResult raw;
    LossCounter counter;
    for (auto _ : state) {
        if (device.UDPGetResult(&raw))
            counter.add(raw.packetCounter);
    }
    device.UDPDisconnect();
    counter.report(state);
}

void BM_BareRecv(benchmark::State& state)
{
    Emulator& emulator = flatOutEmulator();
    const uint8_t any[4] = {0, 0, 0, 0};
    VelaNet::Fd fd = VelaNet::bindUdp(VelaNet::makeAddress(any, emulator.sensor(0).hostPort));
    const int buffer = 8 << 20;   // what the device library asks for
    ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    std::vector<uint8_t> datagram(sizeof(VelaProtocol::ResultHeader) + sizeof(VelaProtocol::LS74RawResult));
    LossCounter counter;
    for (auto _ : state) {
        if (!VelaNet::waitReadable(fd.get(), 1000))
            continue;
        const ssize_t n = ::recv(fd.get(), datagram.data(), datagram.size(), 0);
        if (n == ssize_t(datagram.size())) {
            uint16_t packet;
            std::memcpy(&packet, datagram.data() + sizeof(VelaProtocol::ResultHeader) + 2, sizeof packet);
            counter.add(packet);
        }
    }
    counter.report(state);
}

} // namespace

BENCHMARK(BM_BareRecv)->MinTime(3.0)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UDPGetResult)->MinTime(3.0)->UseRealTime()->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
