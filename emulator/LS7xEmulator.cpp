#include "LS7xEmulator.h"

#include "Discovery.h"
#include "PointSensor.h"
#include "Recording.h"

#include <cstring>

namespace VelaEmulator {

namespace {

uint32_t defaultSerial(Model model, int position)
{
    switch (model) {
    case Model::LS71: return 710001 + position;
    case Model::LS74: return 740001 + position;
    case Model::LS74B: return 750001 + position;
    case Model::LP81: return 8101 + position;
    }
    return 1;
}

} // namespace

EmulatorConfig EmulatorConfig::forTests()
{
    EmulatorConfig config;
    config.firstAddress = "127.0.0.1";
    config.consecutiveAddresses = false;
    config.controlPort = 0;
    config.tcpDataPort = 0;
    config.hostPort = 0;
    config.discoveryPort = 0;
    config.rebootMs = 200;
    return config;
}

uint16_t freeUdpPort()
{
    const uint8_t loopback[4] = {127, 0, 0, 1};
    VelaNet::Fd fd = VelaNet::bindUdp(VelaNet::makeAddress(loopback, 0));
    return fd.valid() ? VelaNet::localPort(fd.get()) : 0;
}

Emulator::Emulator(EmulatorConfig config)
    : m_config(std::move(config))
{
}

Emulator::~Emulator()
{
    stop();
}

bool Emulator::start(std::string* error)
{
    stop();
    uint8_t first[4];
    if (!VelaNet::parseIPv4(m_config.firstAddress, first) || !VelaNet::isLoopback(first)) {
        if (error)
            *error = "the first sensor address must lie in 127.0.0.0/8";
        return false;
    }
    sockaddr_in discoveryEndpoint{};
    if (!VelaNet::parseEndpoint(m_config.discoveryAddress + ":1", 1, &discoveryEndpoint)) {
        if (error)
            *error = "bad discovery address " + m_config.discoveryAddress;
        return false;
    }
    discoveryEndpoint.sin_port = htons(m_config.discoveryPort);

    std::vector<Scanner*> scanners;
    int byModel[4] = {0, 0, 0, 0};
    int scannerPosition = 0;
    for (const SensorSpec& spec : m_config.sensors) {
        const uint32_t serial = spec.serial ? spec.serial : defaultSerial(spec.model, byModel[int(spec.model)]);
        ++byModel[int(spec.model)];
        if (spec.model == Model::LP81) {
            m_index.emplace_back(false, m_pointSensors.size());
            m_pointSensors.push_back(std::make_unique<PointSensor>(serial, uint8_t(1), m_config.log));
            continue;
        }
        ScannerSetup setup;
        setup.model = spec.model;
        setup.serial = serial;
        std::memcpy(setup.address, first, 4);
        if (m_config.consecutiveAddresses)
            setup.address[3] = uint8_t(first[3] + scannerPosition);
        ++scannerPosition;
        setup.controlPort = m_config.controlPort;
        setup.hostPort = m_config.hostPort ? m_config.hostPort : freeUdpPort();
        setup.tcpDataPort = m_config.tcpDataPort;
        if (!m_config.stateDirectory.empty())
            setup.statePath = m_config.stateDirectory + "/" + modelName(spec.model) + "-" + std::to_string(serial) + ".state";
        setup.resultRate = spec.replayRate > 0 ? spec.replayRate : m_config.resultRate;
        if (!spec.replayPath.empty()) {
            setup.recording = std::make_unique<Recording>();
            std::string failure;
            std::vector<std::string> warnings;
            const bool playable = setup.recording->open(spec.replayPath, spec.model, spec.replayLoop, &failure, &warnings);
            for (const std::string& warning : warnings) {
                if (m_config.log)
                    m_config.log("replay " + warning);
            }
            if (!playable) {
                if (error)
                    *error = "cannot replay " + failure;
                m_scanners.clear();
                m_pointSensors.clear();
                m_index.clear();
                return false;
            }
        }
        setup.repeatPoints = m_config.repeatPoints;
        setup.rebootMs = m_config.rebootMs;
        setup.firstCounter = m_config.firstCounter;
        setup.log = m_config.log;
        m_index.emplace_back(true, m_scanners.size());
        m_scanners.push_back(std::make_unique<Scanner>(std::move(setup)));
        scanners.push_back(m_scanners.back().get());
    }

    m_running = true;   // so that stop() below undoes a partial start
    std::string failure;
    bool ok = true;
    for (auto& scanner : m_scanners) {
        scanner->setFaults(m_config.faults);
        ok = ok && scanner->start(&failure);
    }
    for (auto& sensor : m_pointSensors) {
        sensor->setFaults(m_config.faults);
        ok = ok && sensor->start(&failure);
    }
    m_discovery = std::make_unique<Discovery>(scanners);
    ok = ok && m_discovery->start(discoveryEndpoint, &failure);
    if (!ok) {
        if (error)
            *error = failure;
        stop();
    }
    return ok;
}

void Emulator::stop()
{
    if (!m_running)
        return;
    if (m_discovery)
        m_discovery->stop();
    for (auto& scanner : m_scanners)
        scanner->stop();
    for (auto& sensor : m_pointSensors)
        sensor->stop();
    m_discovery.reset();
    m_scanners.clear();
    m_pointSensors.clear();
    m_index.clear();
    m_running = false;
}

uint16_t Emulator::discoveryPort() const
{
    return m_discovery ? m_discovery->port() : 0;
}

std::string Emulator::searchEndpoint() const
{
    return m_config.discoveryAddress + ":" + std::to_string(discoveryPort());
}

SensorInfo Emulator::sensor(int index) const
{
    if (index < 0 || size_t(index) >= m_index.size())
        return {};
    const auto& [scanner, position] = m_index[size_t(index)];
    return scanner ? m_scanners[position]->info() : m_pointSensors[position]->info();
}

void Emulator::setFaults(int index, const Faults& faults)
{
    for (size_t i = 0; i < m_index.size(); ++i) {
        if (index >= 0 && size_t(index) != i)
            continue;
        const auto& [scanner, position] = m_index[i];
        if (scanner)
            m_scanners[position]->setFaults(faults);
        else
            m_pointSensors[position]->setFaults(faults);
    }
}

void Emulator::setResultRate(double rate)
{
    m_config.resultRate = rate;
    for (auto& scanner : m_scanners)
        scanner->setResultRate(rate);
}

Faults Emulator::faults(int index) const
{
    if (index < 0 || size_t(index) >= m_index.size())
        return {};
    const auto& [scanner, position] = m_index[size_t(index)];
    return scanner ? m_scanners[position]->faults() : m_pointSensors[position]->faults();
}

} // namespace VelaEmulator
