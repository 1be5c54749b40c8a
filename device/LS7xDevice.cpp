#include "LS7xDevice.h"

#include "private/LS7xConnection.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace VelaDevice {

using namespace VelaProtocol;

namespace {

// A firmware file, read whole but never beyond what a sensor accepts.
bool readFirmwareFile(const char* path, std::vector<uint8_t>* content)
{
    if (!path)
        return false;
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    content->resize(sizeof(FirmwareHeader) + MaxFirmwareSize + 1);
    const size_t n = std::fread(content->data(), 1, content->size(), file);
    std::fclose(file);
    if (n == 0 || n == content->size())
        return false;
    content->resize(n);
    return true;
}

} // namespace

LS7xDevice::LS7xDevice(const _UDP_DEVINFOBLOCK_PC* block, int profileBufferSize)
    : d(new LS7xConnection(block, uint32_t(profileBufferSize)))
{
}

LS7xDevice::~LS7xDevice() = default;

int LS7xDevice::Connect()
{
    return d->connect() ? 1 : 0;
}

int LS7xDevice::Disconnect()
{
    d->disconnect();
    d->dataClose();
    return 1;
}

int LS7xDevice::ReadParams()
{
    ParamBlock block{};
    if (!d->exchange(CmdReadParams, nullptr, 0, &block, sizeof block) || block.size != sizeof block)
        return 0;
    d->setParams(block);
    return 1;
}

int LS7xDevice::WriteParams()
{
    const ParamBlock block = d->params();
    return d->exchange(CmdWriteParams, &block, sizeof block, nullptr, 0) ? 1 : 0;
}

int LS7xDevice::FlushParams(int area)
{
    return d->sendMode(CmdFlushParams, area) ? 1 : 0;
}

int LS7xDevice::Reboot()
{
    return d->exchangeUntilClosed(CmdReboot) ? 1 : 0;
}

int LS7xDevice::PowerOff()
{
    return d->exchangeUntilClosed(CmdPowerOff) ? 1 : 0;
}

int LS7xDevice::UpgradeFirmware(const char* path)
{
    std::vector<uint8_t> content;
    if (!readFirmwareFile(path, &content))
        return 0;
    // Loopback moves megabytes per millisecond; a real link gets a second per 10 MB on top.
    const int timeoutMs = exchangeTimeoutMs() + int(content.size() / 10000);
    return d->exchange(CmdUpgradeFirmware, content.data(), uint32_t(content.size()), nullptr, 0, timeoutMs) ? 1 : 0;
}

int LS7xDevice::UDPConnect(unsigned short port, const char* address)
{
    return port != 0 && d->udpOpen(port, address) ? 1 : 0;
}

int LS7xDevice::UDPDisconnect()
{
    d->udpClose();
    return 1;
}

int LS7xDevice::UDPGetResult(void* raw)
{
    return raw && d->udpReceive(ResultProfile, raw, d->rawSize) ? 1 : 0;
}

int LS7xDevice::GetResult(void* raw)
{
    return raw && d->exchange(CmdGetResult, nullptr, 0, raw, d->rawSize) ? 1 : 0;
}

int LS7xDevice::GetImage(void* image)
{
    return image && d->exchange(CmdGetImage, nullptr, 0, image, ImageSize) ? 1 : 0;
}

_UDP_DEVINFOBLOCK_PC* LS7xDevice::GetDevBlock()
{
    return &d->block;
}

unsigned short LS7xDevice::GetMeasurementBase() const { return d->block.Base; }
unsigned short LS7xDevice::GetMeasurementRangeZ() const { return d->block.RangeZ; }
unsigned short LS7xDevice::GetMeasurementRangeXSMR() const { return d->block.RangeXSMR; }
unsigned short LS7xDevice::GetMeasurementRangeXEMR() const { return d->block.RangeXEMR; }

unsigned int LS7xDevice::GetSerialNumber() const
{
    const uint8_t* s = d->block.SerialNumber;
    return s[0] | (s[1] << 8) | (s[2] << 16);
}

unsigned char LS7xDevice::GetLeftBoundary() const { return d->params().leftBoundary; }
unsigned char LS7xDevice::GetUpperBoundary() const { return d->params().upperBoundary; }
unsigned char LS7xDevice::GetWindowWidth() const { return d->params().windowWidth; }
unsigned char LS7xDevice::GetWindowHeight() const { return d->params().windowHeight; }
unsigned char LS7xDevice::GetLaserLevel() const { return d->params().laserLevel; }
unsigned short LS7xDevice::GetExposureTime() const { return d->params().exposureTime; }
int LS7xDevice::GetExternalResultSyncEnabled() const { return d->params().externalResultSync ? 1 : 0; }
int LS7xDevice::GetExternalMeasurementSyncEnabled() const { return d->params().externalMeasurementSync ? 1 : 0; }
unsigned char LS7xDevice::GetUDPFrequency() const { return d->params().udpFrequency; }
unsigned short LS7xDevice::GetHostPortNumber() const { return d->params().hostPort; }

int LS7xDevice::SetLeftBoundary(unsigned char v) { return d->changeParams([v](ParamBlock& p) { p.leftBoundary = v; }); }
int LS7xDevice::SetUpperBoundary(unsigned char v) { return d->changeParams([v](ParamBlock& p) { p.upperBoundary = v; }); }
int LS7xDevice::SetWindowWidth(unsigned char v) { return d->changeParams([v](ParamBlock& p) { p.windowWidth = v; }); }
int LS7xDevice::SetWindowHeight(unsigned char v) { return d->changeParams([v](ParamBlock& p) { p.windowHeight = v; }); }
int LS7xDevice::SetLaserLevel(unsigned char v) { return d->changeParams([v](ParamBlock& p) { p.laserLevel = v; }); }
int LS7xDevice::SetExposureTime(unsigned short v) { return d->changeParams([v](ParamBlock& p) { p.exposureTime = v; }); }
int LS7xDevice::SetUDPFrequency(unsigned char v) { return d->changeParams([v](ParamBlock& p) { p.udpFrequency = v; }); }
int LS7xDevice::SetHostPortNumber(unsigned short v) { return d->changeParams([v](ParamBlock& p) { p.hostPort = v; }); }

int LS7xDevice::SetExternalResultSyncEnabled(int enabled)
{
    return d->changeParams([enabled](ParamBlock& p) { p.externalResultSync = enabled ? 1 : 0; });
}

std::string LS7xDevice::GetHumanReadableDeviceIPAddress() const { return VelaNet::formatIPv4(d->params().deviceIP); }
std::string LS7xDevice::GetHumanReadableNetworkMask() const { return VelaNet::formatIPv4(d->params().networkMask); }
std::string LS7xDevice::GetHumanReadableHostIPAddress() const { return VelaNet::formatIPv4(d->params().hostIP); }

int LS7xDevice::SetDeviceIPAddress(const unsigned char address[4])
{
    return d->changeParams([address](ParamBlock& p) { storeReversedAddress(p.deviceIP, address); });
}

int LS7xDevice::SetNetworkMask(const unsigned char mask[4])
{
    return d->changeParams([mask](ParamBlock& p) { storeReversedAddress(p.networkMask, mask); });
}

int LS7xDevice::SetHostIPAddress(const unsigned char address[4])
{
    return d->changeParams([address](ParamBlock& p) { storeReversedAddress(p.hostIP, address); });
}

} // namespace VelaDevice
