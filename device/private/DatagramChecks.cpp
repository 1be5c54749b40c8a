#include "DatagramChecks.h"

#include "VelaProtocol.h"

#include <algorithm>
#include <cstring>

namespace VelaDevice {

using namespace VelaProtocol;

namespace {

uint32_t serialOf(const _UDP_DEVINFOBLOCK_PC& block)
{
    return block.SerialNumber[0] | (block.SerialNumber[1] << 8) | (block.SerialNumber[2] << 16);
}

} // namespace

bool takeDiscoveryAnswer(std::vector<_UDP_DEVINFOBLOCK_PC>& found, uint16_t deviceType,
                         const void* datagram, size_t size)
{
    DiscoveryAnswer answer;
    if (size != sizeof answer)
        return false;
    std::memcpy(&answer, datagram, sizeof answer);
    if (answer.magic != DiscoveryAnswerMagic)
        return false;   // not an answer of ours
    if (deviceType != DeviceTypeAll && answer.block.DeviceType != deviceType)
        return false;
    const uint32_t serial = serialOf(answer.block);
    const bool known = std::any_of(found.begin(), found.end(), [&](const _UDP_DEVINFOBLOCK_PC& b) {
        return serialOf(b) == serial && b.DeviceType == answer.block.DeviceType;
    });
    if (known)
        return false;
    found.push_back(answer.block);
    return true;
}

DatagramVerdict judgeResultDatagram(const void* datagram, size_t size, const sockaddr_in& from,
                                    const _UDP_DEVINFOBLOCK_PC& sensor, uint16_t kind, uint32_t resultSize)
{
    ResultHeader header{};
    if (size < sizeof header)
        return DatagramVerdict::Fail;
    std::memcpy(&header, datagram, sizeof header);
    if (header.magic != ResultMagic || size != sizeof header + header.length)
        return DatagramVerdict::Fail;
    const uint32_t serial = serialOf(sensor);
    uint32_t ip = 0;
    std::memcpy(&ip, sensor.IPAddress, 4);
    const bool ours = (serial == 0 || header.serialNumber == serial) && (ip == 0 || from.sin_addr.s_addr == ip);
    if (!ours || header.kind != kind)
        return DatagramVerdict::PassOver;   // another sensor's or another kind of result: not a failure of ours
    return header.length == resultSize ? DatagramVerdict::Take : DatagramVerdict::Fail;
}

} // namespace VelaDevice
