// Interface skeleton: every operation answers failure until the protocol implementation lands.
#include "VelaDevice.h"

#include <cstring>

namespace VelaDevice {

class LS7xConnection {};

int Initialize() { return 1; }
void Cleanup() {}

VelaEthernetDetector::VelaEthernetDetector() = default;
VelaEthernetDetector::~VelaEthernetDetector() = default;
int VelaEthernetDetector::Search(unsigned short, int) { return 0; }
int VelaEthernetDetector::GetSize() const { return int(m_blocks.size()); }
_UDP_DEVINFOBLOCK_PC* VelaEthernetDetector::GetDevBlock(int i) { return i >= 0 && i < GetSize() ? &m_blocks[i] : nullptr; }
_UDP_DEVINFOBLOCK_PC* VelaEthernetDetector::operator[](int i) { return GetDevBlock(i); }

static _UDP_DEVINFOBLOCK_PC s_block;
LS7xDevice::LS7xDevice(const _UDP_DEVINFOBLOCK_PC*, int) {}
LS7xDevice::~LS7xDevice() = default;
int LS7xDevice::Connect() { return 0; }
int LS7xDevice::Disconnect() { return 0; }
int LS7xDevice::ReadParams() { return 0; }
int LS7xDevice::WriteParams() { return 0; }
int LS7xDevice::FlushParams(int) { return 0; }
int LS7xDevice::Reboot() { return 0; }
int LS7xDevice::PowerOff() { return 0; }
int LS7xDevice::UpgradeFirmware(const char*) { return 0; }
int LS7xDevice::UDPConnect(unsigned short, const char*) { return 0; }
int LS7xDevice::UDPDisconnect() { return 0; }
int LS7xDevice::UDPGetResult(void*) { return 0; }
int LS7xDevice::GetResult(void*) { return 0; }
int LS7xDevice::GetImage(void*) { return 0; }
_UDP_DEVINFOBLOCK_PC* LS7xDevice::GetDevBlock() { return &s_block; }
unsigned short LS7xDevice::GetMeasurementBase() const { return 0; }
unsigned short LS7xDevice::GetMeasurementRangeZ() const { return 0; }
unsigned short LS7xDevice::GetMeasurementRangeXSMR() const { return 0; }
unsigned short LS7xDevice::GetMeasurementRangeXEMR() const { return 0; }
unsigned int LS7xDevice::GetSerialNumber() const { return 0; }
unsigned char LS7xDevice::GetLeftBoundary() const { return 0; }
int LS7xDevice::SetLeftBoundary(unsigned char) { return 0; }
unsigned char LS7xDevice::GetUpperBoundary() const { return 0; }
int LS7xDevice::SetUpperBoundary(unsigned char) { return 0; }
unsigned char LS7xDevice::GetWindowWidth() const { return 0; }
int LS7xDevice::SetWindowWidth(unsigned char) { return 0; }
unsigned char LS7xDevice::GetWindowHeight() const { return 0; }
int LS7xDevice::SetWindowHeight(unsigned char) { return 0; }
unsigned char LS7xDevice::GetLaserLevel() const { return 0; }
int LS7xDevice::SetLaserLevel(unsigned char) { return 0; }
unsigned short LS7xDevice::GetExposureTime() const { return 0; }
int LS7xDevice::SetExposureTime(unsigned short) { return 0; }
int LS7xDevice::GetExternalResultSyncEnabled() const { return 0; }
int LS7xDevice::SetExternalResultSyncEnabled(int) { return 0; }
int LS7xDevice::GetExternalMeasurementSyncEnabled() const { return 0; }
unsigned char LS7xDevice::GetUDPFrequency() const { return 0; }
int LS7xDevice::SetUDPFrequency(unsigned char) { return 0; }
std::string LS7xDevice::GetHumanReadableDeviceIPAddress() const { return "0.0.0.0"; }
std::string LS7xDevice::GetHumanReadableNetworkMask() const { return "0.0.0.0"; }
std::string LS7xDevice::GetHumanReadableHostIPAddress() const { return "0.0.0.0"; }
int LS7xDevice::SetDeviceIPAddress(const unsigned char[4]) { return 0; }
int LS7xDevice::SetNetworkMask(const unsigned char[4]) { return 0; }
int LS7xDevice::SetHostIPAddress(const unsigned char[4]) { return 0; }
unsigned short LS7xDevice::GetHostPortNumber() const { return 0; }
int LS7xDevice::SetHostPortNumber(unsigned short) { return 0; }

LS71Device::LS71Device(const _UDP_DEVINFOBLOCK_PC* b) : LS7xDevice(b, ProfileBufferSize) {}
LS71Device::~LS71Device() = default;
int LS71Device::ConvertResultToPoints(const void*, float*, unsigned short* c, int) { *c = 65535; return 0; }
int LS71Device::UDPGetNormalizedResult(float*, unsigned short* c, int) { *c = 65535; return 0; }
int LS71Device::GetNormalizedResult(float*, unsigned short* c, int) { *c = 65535; return 0; }
short LS71Device::GetRotationAngle() const { return 0; }
int LS71Device::SetRotationAngle(short) { return 0; }

LS74Device::LS74Device(const _UDP_DEVINFOBLOCK_PC* b) : LS7xDevice(b, ProfileBufferSize) {}
LS74Device::~LS74Device() = default;
int LS74Device::ConvertResultToPoints(const void*, float*, unsigned short* c, unsigned short*, unsigned short*, int) { *c = 65535; return 0; }
int LS74Device::UDPGetNormalizedResult(float*, unsigned short* c, unsigned short*, unsigned short*) { *c = 65535; return 0; }
int LS74Device::GetNormalizedResult(float*, unsigned short* c, unsigned short*, unsigned short*) { *c = 65535; return 0; }
int LS74Device::GetPixels(void*) { return 0; }
int LS74Device::SpeedTest() { return 0; }
int LS74Device::TCPDataConnect(const unsigned char[4], unsigned short) { return 0; }
int LS74Device::TCPDataDisconnect() { return 0; }
int LS74Device::SetCalibrationMode(int) { return 0; }
unsigned char LS74Device::GetPixelBrightnessThreshold() const { return 0; }
int LS74Device::SetPixelBrightnessThreshold(unsigned char) { return 0; }
unsigned char LS74Device::GetAutoExposureMode() const { return 0; }
int LS74Device::SetAutoExposureMode(unsigned char) { return 0; }
int LS74Device::GetAutoExposure(unsigned short*) { return 0; }
int LS74Device::GetEnabledRawImageMode() const { return 0; }
int LS74Device::SetEnableRawImageMode(int) { return 0; }
int LS74Device::GetEnabledInterpolation() const { return 0; }
int LS74Device::SetEnableInterpolation(int) { return 0; }
int LS74Device::SetExternalMeasurementSyncEnabled(int) { return 0; }
unsigned short LS74Device::GetTcpDataPort() const { return 0; }
int LS74Device::SetTcpDataPort(unsigned short) { return 0; }
int LS74Device::GetEnabledModbusTcp() const { return 0; }
int LS74Device::SetEnableModbusTcp(int) { return 0; }
std::string LS74Device::GetHumanReadableModbusTcpAddress() const { return "0.0.0.0"; }
int LS74Device::SetModbusTcpAddress(const unsigned char[4]) { return 0; }
unsigned short LS74Device::GetModbusTcpPort() const { return 0; }
int LS74Device::SetModbusTcpPort(unsigned short) { return 0; }
int LS74Device::GetModbusInfo(_LS71HS_MODBUS_INFO* i) const { std::memset(i, 0, sizeof *i); return 0; }
int LS74Device::SetModbusInfo(const _LS71HS_MODBUS_INFO*) { return 0; }
int LS74Device::FlushFactoryParams(int) { return 0; }
int LS74Device::ReadFpgaParams(void*) { return 0; }
int LS74Device::WriteFpgaParams(const void*) { return 0; }
int LS74Device::FlushFpgaParams(int) { return 0; }

VelaCOMDevice::VelaCOMDevice() = default;
VelaCOMDevice::~VelaCOMDevice() = default;
int VelaCOMDevice::OpenPort(const char*, unsigned long) { return 0; }
int VelaCOMDevice::ClosePort() { return 0; }
int VelaCOMDevice::IsOpen() const { return 0; }
bool VelaCOMDevice::exchange(const unsigned char*, int, unsigned char*, int) { return false; }

LP81Device::LP81Device(unsigned char a) : m_address(a), m_hello() {}
LP81Device::~LP81Device() = default;
unsigned char LP81Device::GetAddress() const { return m_address; }
void LP81Device::SetAddress(unsigned char a) { m_address = a; }
int LP81Device::HelloCmd() { return 0; }
int LP81Device::GetHelloAnswer(_VelaCOM_HELLO_ANSWER_*) const { return 0; }
int LP81Device::GetSingleMeasure(unsigned short*) { return 0; }

} // namespace VelaDevice
