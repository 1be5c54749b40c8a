#pragma once

#include "VelaDeviceTypes.h"
#include "veladevice_global.h"

#include <vector>

namespace VelaDevice {

// Finds line scanners over UDP. The endpoints searched come from the environment variable
// VELA_DEVICE_SEARCH (comma-separated host[:port]); without it, 127.0.0.1:7471. The blocks
// found stay valid while the detector lives and until its next Search.
class VELADEVICE_EXPORT VelaEthernetDetector
{
public:
    VelaEthernetDetector();
    ~VelaEthernetDetector();
    VelaEthernetDetector(const VelaEthernetDetector&) = delete;
    VelaEthernetDetector& operator=(const VelaEthernetDetector&) = delete;

    // Asks every endpoint `rounds` times (at least once), listening 100 ms after each request,
    // and keeps the sensors of type `deviceType` (DeviceTypeAll: every type), each serial number
    // once, in order of arrival. Returns the number of sensors found.
    int Search(unsigned short deviceType, int rounds);

    int GetSize() const;
    // Block i of the last search; null outside 0..GetSize()-1.
    _UDP_DEVINFOBLOCK_PC* GetDevBlock(int i);
    _UDP_DEVINFOBLOCK_PC* operator[](int i);

private:
    std::vector<_UDP_DEVINFOBLOCK_PC> m_blocks;
};

} // namespace VelaDevice
