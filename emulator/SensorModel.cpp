#include "SensorModel.h"

#include <cstring>

namespace VelaEmulator {

using namespace VelaProtocol;

namespace {

uint16_t bigEndian(uint16_t value)
{
    return uint16_t((value >> 8) | (value << 8));
}

const ScannerDescription ls71{Model::LS71, 80, 100, 40, 60, 1024, sizeof(LS71RawResult),
                              VelaDevice::LaserColorRed, 0x2F, 104};
const ScannerDescription ls74{Model::LS74, 200, 300, 150, 250, 1280, sizeof(LS74RawResult),
                              VelaDevice::LaserColorBlue, 0x03, 4190};
const ScannerDescription ls74b{Model::LS74B, 120, 180, 90, 150, 1280, sizeof(LS74RawResult),
                               VelaDevice::LaserColorGreen, 0x03, 4195};

} // namespace

const ScannerDescription& describe(Model model)
{
    switch (model) {
    case Model::LS71: return ls71;
    case Model::LS74B: return ls74b;
    default: return ls74;
    }
}

_UDP_DEVINFOBLOCK_PC makeInfoBlock(Model model, uint32_t serial, const uint8_t address[4],
                                   uint16_t controlPort, uint32_t firmwareVersion)
{
    const ScannerDescription& d = describe(model);
    _UDP_DEVINFOBLOCK_PC block;
    std::memset(&block, 0, sizeof block);
    block.DeviceType = typeCode(model);
    std::memcpy(block.IPAddress, address, 4);
    // Locally administered MAC: 02-4C-53 followed by the serial number.
    const uint8_t mac[6] = {0x02, 0x4C, 0x53, uint8_t(serial >> 16), uint8_t(serial >> 8), uint8_t(serial)};
    std::memcpy(block.MACAddress, mac, 6);
    block.Modification = d.modification;
    block.SerialNumber[0] = uint8_t(serial);
    block.SerialNumber[1] = uint8_t(serial >> 8);
    block.SerialNumber[2] = uint8_t(serial >> 16);
    block.Base = uint16_t(d.base);
    block.RangeZ = uint16_t(d.rangeZ);
    block.RangeXSMR = uint16_t(d.rangeXSMR);
    block.RangeXEMR = uint16_t(d.rangeXEMR);
    block.FirmwareVersion = firmwareVersion;
    block.LaserColor = d.laserColor;
    if (model == Model::LS71) {
        block.DiscreteValue = LS71DiscreteValue;
        block.ErrorValue = -3;
    } else {
        block.CoreAVersion = 215;
        block.CoreBVersion = 215;
        block.FpgaVersion = 1031;
    }
    block.ControlPort = controlPort;
    return block;
}

_LS71HS_MODBUS_INFO defaultModbusInfo()
{
    _LS71HS_MODBUS_INFO info;
    std::memset(&info, 0, sizeof info);
    info.Delay = 100;
    info.ProtoID = bigEndian(0x0000);
    info.UnitID = 0x01;
    info.TransID1 = bigEndian(0x020A);
    info.Length1 = bigEndian(0x0006);
    info.Funct1 = 0x04;
    info.StAddr1 = bigEndian(0x0002);
    info.RegCnt1 = bigEndian(0x001E);
    info.TransID2 = bigEndian(0x0102);
    info.Length2 = bigEndian(0x0043);
    info.Funct2 = 0x10;
    info.StAddr2 = bigEndian(0x0400);
    info.RegCnt2 = bigEndian(0x001E);
    info.ByteCnt2 = 0x3C;
    return info;
}

ParamBlock factoryParams(Model model, const uint8_t address[4], uint16_t hostPort, uint16_t tcpDataPort)
{
    ParamBlock p;
    std::memset(&p, 0, sizeof p);
    p.size = sizeof p;
    p.laserLevel = 20;
    p.leftBoundary = 0;
    p.upperBoundary = 0;
    p.windowWidth = 255;
    p.windowHeight = 255;
    p.exposureTime = 400;
    p.udpFrequency = 100;
    std::memcpy(p.deviceIP, address, 4);
    const uint8_t mask[4] = {255, 0, 0, 0};
    std::memcpy(p.networkMask, mask, 4);
    const uint8_t host[4] = {127, 0, 0, 1};
    std::memcpy(p.hostIP, host, 4);
    p.hostPort = hostPort;
    p.tcpDataPort = tcpDataPort;
    std::memcpy(p.modbusIP, host, 4);
    p.modbusPort = 502;
    p.modbusInfo = defaultModbusInfo();
    p.interpolation = model == Model::LS71 ? 0 : 1;
    p.pixelBrightnessThreshold = 30;
    return p;
}

} // namespace VelaEmulator
