#pragma once

#include "VelaProtocol.h"

#include <string>

namespace VelaEmulator {

// What a scanner keeps across reboots: its configuration areas, FPGA table and firmware.
struct FlashContent {
    VelaProtocol::ParamBlock config;    // loaded at every start
    VelaProtocol::ParamBlock defaults;  // user defaults (FlushParams(1))
    VelaProtocol::ParamBlock factory;   // factory configuration (FlushFactoryParams)
    uint8_t fpga[VelaProtocol::FpgaTableSize];
    uint32_t firmwareVersion;           // running firmware
    uint32_t pendingFirmware;           // installed at the next start, 0 = none
};

// The flash memory of one scanner, kept in a state file when a path is given and in memory
// otherwise. A missing, short or foreign file reads as empty flash.
class Flash
{
public:
    explicit Flash(std::string path);

    bool load(FlashContent* content) const;
    bool store(const FlashContent& content);
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    FlashContent m_memory{};
    bool m_memoryValid = false;
};

} // namespace VelaEmulator
