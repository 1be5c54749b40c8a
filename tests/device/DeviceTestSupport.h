#pragma once

// Helpers shared by the device tests: an in-process emulator on free loopback ports and the
// information block a search would report for one of its sensors.

#include "LS7xEmulator.h"
#include "SensorModel.h"
#include "VelaDevice.h"
#include "VelaSocket.h"
#include "private/Timeouts.h"

#include <QtTest>

#include <chrono>
#include <memory>

namespace DeviceTest {

using namespace VelaEmulator;

inline std::unique_ptr<Emulator> startEmulator(std::vector<SensorSpec> sensors,
                                               void (*adjust)(EmulatorConfig&) = nullptr)
{
    EmulatorConfig config = EmulatorConfig::forTests();
    config.sensors = std::move(sensors);
    if (adjust)
        adjust(config);
    auto emulator = std::make_unique<Emulator>(config);
    std::string error;
    if (!emulator->start(&error))
        qWarning("emulator did not start: %s", error.c_str());
    return emulator;
}

inline VelaDevice::_UDP_DEVINFOBLOCK_PC blockOf(const Emulator& emulator, int index)
{
    const SensorInfo info = emulator.sensor(index);
    uint8_t address[4];
    VelaNet::parseIPv4(info.address, address);
    return makeInfoBlock(info.model, info.serial, address, info.controlPort, info.firmwareVersion);
}

// The library's bound on one exchange (VELA_DEVICE_TIMEOUT_MS raises it for sanitizer runs).
inline qint64 timeoutMs()
{
    return VelaDevice::exchangeTimeoutMs();
}

// Milliseconds a call takes.
template <typename F> qint64 elapsedMs(F&& call)
{
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

} // namespace DeviceTest
