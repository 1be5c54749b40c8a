#include "LS74Device.h"

#include "private/LS7xConnection.h"

#include <cstring>

namespace VelaDevice {

using namespace VelaProtocol;

static_assert(sizeof(LS74RawResult) == LS74Device::ProfileBufferSize, "raw result size");
static_assert(LS74Device::ProfileValuesCount == 2 * 1280, "one X, Z pair per raw point");
static_assert(LS74Device::PixelsBufferSize == int(PixelLineSize), "pixel line size");
static_assert(LS74Device::FpgaParamsSize == int(FpgaTableSize), "FPGA table size");
static_assert(LS74Device::SpeedTestSize == int(SpeedTestSize), "speed test size");

LS74Device::LS74Device(const _UDP_DEVINFOBLOCK_PC* block)
    : LS7xDevice(block, ProfileBufferSize)
{
}

LS74Device::~LS74Device() = default;

int LS74Device::ConvertResultToPoints(const void* raw, float* pairs, unsigned short* count,
                                      unsigned short* measCounter, unsigned short* pckCounter, int mirror)
{
    if (!count)
        return 0;
    const auto* result = static_cast<const LS74RawResult*>(raw);
    if (!raw || !pairs || result->count > ProfileValuesCount / 2) {
        *count = 65535;
        return 0;
    }
    const float xScale = mirror ? -0.001f : 0.001f;
    for (unsigned i = 0; i < result->count; ++i) {
        pairs[2 * i] = float(result->points[i].x) * xScale;
        pairs[2 * i + 1] = float(result->points[i].z) * 0.001f;
    }
    *count = result->count;
    if (measCounter)
        *measCounter = result->measCounter;
    if (pckCounter)
        *pckCounter = result->packetCounter;
    return 1;
}

int LS74Device::UDPGetNormalizedResult(float* pairs, unsigned short* count,
                                       unsigned short* measCounter, unsigned short* pckCounter)
{
    LS74RawResult raw;
    if (!UDPGetResult(&raw)) {
        if (count)
            *count = 65535;
        return 0;
    }
    return ConvertResultToPoints(&raw, pairs, count, measCounter, pckCounter, 0);
}

int LS74Device::GetNormalizedResult(float* pairs, unsigned short* count,
                                    unsigned short* measCounter, unsigned short* pckCounter)
{
    LS74RawResult raw;
    if (!GetResult(&raw)) {
        if (count)
            *count = 65535;
        return 0;
    }
    return ConvertResultToPoints(&raw, pairs, count, measCounter, pckCounter, 0);
}

int LS74Device::GetPixels(void* raw)
{
    return raw && d->exchange(CmdGetPixels, nullptr, 0, raw, PixelLineSize) ? 1 : 0;
}

int LS74Device::SpeedTest()
{
    return d->exchange(CmdSpeedTest, nullptr, 0, nullptr, SpeedTestSize) ? 1 : 0;
}

int LS74Device::TCPDataConnect(const unsigned char address[4], unsigned short port)
{
    return address && port != 0 && d->dataConnect(address, port) ? 1 : 0;
}

int LS74Device::TCPDataDisconnect()
{
    d->dataClose();
    return 1;
}

int LS74Device::SetCalibrationMode(int enabled)
{
    return d->sendMode(CmdSetCalibrationMode, enabled ? 1 : 0) ? 1 : 0;
}

unsigned char LS74Device::GetPixelBrightnessThreshold() const { return d->params().pixelBrightnessThreshold; }
unsigned char LS74Device::GetAutoExposureMode() const { return d->params().autoExposureMode; }
int LS74Device::GetEnabledRawImageMode() const { return d->params().rawImageMode ? 1 : 0; }
int LS74Device::GetEnabledInterpolation() const { return d->params().interpolation ? 1 : 0; }
unsigned short LS74Device::GetTcpDataPort() const { return d->params().tcpDataPort; }
int LS74Device::GetEnabledModbusTcp() const { return d->params().modbusEnabled ? 1 : 0; }
unsigned short LS74Device::GetModbusTcpPort() const { return d->params().modbusPort; }

int LS74Device::SetPixelBrightnessThreshold(unsigned char v) { return d->changeParams([v](ParamBlock& p) { p.pixelBrightnessThreshold = v; }); }
int LS74Device::SetAutoExposureMode(unsigned char v) { return d->changeParams([v](ParamBlock& p) { p.autoExposureMode = v; }); }
int LS74Device::SetEnableRawImageMode(int v) { return d->changeParams([v](ParamBlock& p) { p.rawImageMode = v ? 1 : 0; }); }
int LS74Device::SetEnableInterpolation(int v) { return d->changeParams([v](ParamBlock& p) { p.interpolation = v ? 1 : 0; }); }
int LS74Device::SetExternalMeasurementSyncEnabled(int v) { return d->changeParams([v](ParamBlock& p) { p.externalMeasurementSync = v ? 1 : 0; }); }
int LS74Device::SetTcpDataPort(unsigned short v) { return d->changeParams([v](ParamBlock& p) { p.tcpDataPort = v; }); }
int LS74Device::SetEnableModbusTcp(int v) { return d->changeParams([v](ParamBlock& p) { p.modbusEnabled = v ? 1 : 0; }); }
int LS74Device::SetModbusTcpPort(unsigned short v) { return d->changeParams([v](ParamBlock& p) { p.modbusPort = v; }); }

int LS74Device::GetAutoExposure(unsigned short* exposure)
{
    uint16_t value = 0;
    if (!exposure || !d->exchange(CmdGetAutoExposure, nullptr, 0, &value, sizeof value))
        return 0;
    *exposure = value;
    return 1;
}

std::string LS74Device::GetHumanReadableModbusTcpAddress() const
{
    return VelaNet::formatIPv4(d->params().modbusIP);
}

int LS74Device::SetModbusTcpAddress(const unsigned char address[4])
{
    return d->changeParams([address](ParamBlock& p) { storeReversedAddress(p.modbusIP, address); });
}

int LS74Device::GetModbusInfo(_LS71HS_MODBUS_INFO* info) const
{
    if (!info)
        return 0;
    *info = d->params().modbusInfo;
    return 1;
}

int LS74Device::SetModbusInfo(const _LS71HS_MODBUS_INFO* info)
{
    if (!info)
        return 0;
    return d->changeParams([info](ParamBlock& p) { p.modbusInfo = *info; });
}

int LS74Device::FlushFactoryParams(int mode)
{
    return d->sendMode(CmdFlushFactory, mode) ? 1 : 0;
}

int LS74Device::ReadFpgaParams(void* table)
{
    return table && d->exchange(CmdReadFpga, nullptr, 0, table, FpgaTableSize) ? 1 : 0;
}

int LS74Device::WriteFpgaParams(const void* table)
{
    return table && d->exchange(CmdWriteFpga, table, FpgaTableSize, nullptr, 0) ? 1 : 0;
}

int LS74Device::FlushFpgaParams(int mode)
{
    return d->sendMode(CmdFlushFpga, mode) ? 1 : 0;
}

} // namespace VelaDevice
