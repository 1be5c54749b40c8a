#pragma once

#include "EmulatorTypes.h"
#include "VelaProtocol.h"

namespace VelaEmulator {

// What is fixed by a scanner model: its measuring range, its result format, its defaults.
struct ScannerDescription {
    Model model;
    double base;            // mm
    double rangeZ;          // mm
    double rangeXSMR;       // mm
    double rangeXEMR;       // mm
    int pointsPerResult;    // samples of one profile (LS74: with interpolation on)
    uint32_t rawSize;       // bytes of one raw result
    uint8_t laserColor;
    uint8_t modification;
    uint32_t firmwareVersion;
};

const ScannerDescription& describe(Model model);

// LS71 raw coordinates count in steps of 1 / LS71DiscreteValue mm.
constexpr uint16_t LS71DiscreteValue = 100;

// The information block the sensor reports in discovery.
VelaProtocol::_UDP_DEVINFOBLOCK_PC makeInfoBlock(Model model, uint32_t serial, const uint8_t address[4],
                                                 uint16_t controlPort, uint32_t firmwareVersion);

// The parameter block a sensor leaves the factory with.
VelaProtocol::ParamBlock factoryParams(Model model, const uint8_t address[4], uint16_t hostPort,
                                       uint16_t tcpDataPort);

// Modbus TCP defaults: read 30 input registers from 2, write 30 registers to 0x0400.
VelaProtocol::_LS71HS_MODBUS_INFO defaultModbusInfo();

} // namespace VelaEmulator
