#pragma once

#include "EmulatorTypes.h"
#include "Scanner.h"
#include "Scene.h"
#include "VelaSocket.h"
#include "Worker.h"

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

namespace VelaEmulator {

// One emulated LP81 point sensor behind a pseudo-terminal: it answers the hello with its
// measuring range and single measurements of a target swinging through that range.
class PointSensor
{
public:
    PointSensor(uint32_t serial, uint8_t address, LogFunction log);
    ~PointSensor();

    bool start(std::string* error);
    void stop();

    SensorInfo info() const;
    void setFaults(const Faults& faults);
    Faults faults() const;

    static constexpr uint16_t Base = 30;    // mm
    static constexpr uint16_t Range = 50;   // mm

private:
    void run();
    void answer(const uint8_t* request, const Faults& faults);
    uint16_t reading();

    uint32_t m_serial;
    uint8_t m_address;
    LogFunction m_log;
    Worker m_worker;
    VelaNet::Fd m_master;
    VelaNet::Fd m_slave;    // kept open so that the master never sees a hang-up between users
    std::string m_path;
    std::vector<uint8_t> m_input;
    Random m_random;
    std::chrono::steady_clock::time_point m_start;

    mutable std::mutex m_mutex;
    Faults m_faults;
};

} // namespace VelaEmulator
