#pragma once

// Emulated scanners for the fuzzers that need running ones: their flash starts with internal
// sampling off, so that their threads push no results and add no coverage of their own.

#include "Flash.h"
#include "SensorModel.h"

#include <cstdlib>
#include <cstring>
#include <string>

inline void writeQuietFlash(const std::string& path, VelaEmulator::Model model)
{
    const uint8_t address[4] = {127, 0, 0, 1};
    VelaEmulator::FlashContent content{};
    content.config = VelaEmulator::factoryParams(model, address, 0, 0);
    content.config.udpFrequency = 0;
    content.defaults = content.factory = content.config;
    std::memset(content.fpga, 128, sizeof content.fpga);
    content.firmwareVersion = VelaEmulator::describe(model).firmwareVersion;
    if (!VelaEmulator::Flash(path).store(content))
        std::abort();
}
