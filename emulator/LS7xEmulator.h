#pragma once

// The sensor emulator as a library: tests start it in-process, the program ls7x-emulator
// runs it from the command line. See emulator/README.md.
//
// Typical test use, every sensor on 127.0.0.1 with ports of its own:
//
//     VelaEmulator::EmulatorConfig config = VelaEmulator::EmulatorConfig::forTests();
//     config.sensors = {{VelaEmulator::Model::LS74}, {VelaEmulator::Model::LS71}};
//     VelaEmulator::Emulator emulator(config);
//     if (!emulator.start()) ...
//     setenv("VELA_DEVICE_SEARCH", emulator.searchEndpoint().c_str(), 1);
//     ... VelaDevice::VelaEthernetDetector finds both sensors ...
//     emulator.setFaults(0, faults);   // make sensor 0 misbehave

#include "EmulatorTypes.h"
#include "Scanner.h"

#include <memory>
#include <string>
#include <vector>

namespace VelaEmulator {

class Discovery;
class PointSensor;

struct SensorSpec {
    SensorSpec(Model model = Model::LS74, uint32_t serial = 0) : model(model), serial(serial) {}

    Model model = Model::LS74;
    uint32_t serial = 0;            // 0 = a default by model and position
    // A scanner that plays this recording (dump, profile set or point-cloud file) instead of
    // looking at its scene; see Recording.h.
    std::string replayPath;
    bool replayLoop = false;        // start again after the last profile
    double replayRate = 0;          // results per second; 0 = as EmulatorConfig::resultRate
};

struct EmulatorConfig {
    std::vector<SensorSpec> sensors;
    // Scanner i listens on firstAddress + i (last octet), or on firstAddress itself for all
    // when consecutiveAddresses is false. Always inside 127.0.0.0/8.
    std::string firstAddress = "127.0.0.11";
    bool consecutiveAddresses = true;
    uint16_t controlPort = 6001;        // 0 = a free port per scanner
    uint16_t tcpDataPort = 6603;        // factory TCP data port; 0 = a free port per scanner
    uint16_t hostPort = 6003;           // factory host port for results; 0 = a free port per scanner
    std::string discoveryAddress = "127.0.0.1";
    uint16_t discoveryPort = 7471;      // 0 = a free port
    std::string stateDirectory;         // flash files <MODEL>-<serial>.state; empty = in memory
    double resultRate = 0;              // 0 = UDP frequency, > 0 = results per second, < 0 = flat out
    // Benchmarks: every new measurement repeats the last points with new counters, so that a
    // paced rate is not limited by computing points.
    bool repeatPoints = false;
    int rebootMs = 1000;
    uint16_t firstCounter = 0;          // measurement and packet counters after power-up
    Faults faults;                      // for every sensor at start
    LogFunction log;                    // null = quiet

    // Everything on 127.0.0.1 with free ports, quick reboots: what parallel tests need.
    static EmulatorConfig forTests();
};

class Emulator
{
public:
    explicit Emulator(EmulatorConfig config);
    ~Emulator();
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    // Starts every sensor and the discovery responder. On failure nothing keeps running and
    // error (if given) says why (for a recording that cannot be played: what and where).
    bool start(std::string* error = nullptr);
    void stop();
    bool isRunning() const { return m_running; }

    uint16_t discoveryPort() const;
    // "address:port" of the discovery responder, the value for VELA_DEVICE_SEARCH.
    std::string searchEndpoint() const;

    int sensorCount() const { return int(m_config.sensors.size()); }
    SensorInfo sensor(int index) const;

    // Faults of one sensor, or of all with index -1.
    void setFaults(int index, const Faults& faults);
    Faults faults(int index) const;
    // Results per second of every scanner from now on, as EmulatorConfig::resultRate.
    void setResultRate(double rate);

    const EmulatorConfig& config() const { return m_config; }

private:
    EmulatorConfig m_config;
    std::vector<std::unique_ptr<Scanner>> m_scanners;
    std::vector<std::unique_ptr<PointSensor>> m_pointSensors;
    std::vector<std::pair<bool, size_t>> m_index;   // per sensor: scanner?, position
    std::unique_ptr<Discovery> m_discovery;
    bool m_running = false;
};

// A UDP port that is free on 127.0.0.1 right now.
uint16_t freeUdpPort();

} // namespace VelaEmulator
