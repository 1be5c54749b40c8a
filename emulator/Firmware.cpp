#include "Firmware.h"

#include "VelaDeviceTypes.h"
#include "VelaProtocol.h"
#include "VelaSocket.h"

#include <cstring>

namespace VelaEmulator {

using VelaProtocol::FirmwareHeader;

FirmwareCheck checkFirmware(const uint8_t* data, size_t size, uint16_t deviceType, uint32_t* version)
{
    FirmwareHeader header;
    if (!data || size < sizeof header)
        return FirmwareCheck::TooShort;
    std::memcpy(&header, data, sizeof header);
    if (header.magic != VelaProtocol::FirmwareMagic)
        return FirmwareCheck::BadMagic;
    if (header.formatVersion != 1)
        return FirmwareCheck::BadFormat;
    // Both LS74 revisions run the same firmware.
    const bool ls74Family = deviceType == VelaDevice::DeviceTypeLS74Compatible
        && header.deviceType == VelaDevice::DeviceTypeLS74;
    if (header.deviceType != deviceType && !ls74Family)
        return FirmwareCheck::WrongDevice;
    if (header.length != size - sizeof header || header.length > VelaProtocol::MaxFirmwareSize)
        return FirmwareCheck::BadLength;
    if (VelaNet::crc32(data + sizeof header, header.length) != header.crc)
        return FirmwareCheck::BadCrc;
    *version = header.version;
    return FirmwareCheck::Ok;
}

const char* describeFirmwareCheck(FirmwareCheck check)
{
    switch (check) {
    case FirmwareCheck::Ok: return "accepted";
    case FirmwareCheck::TooShort: return "shorter than a firmware header";
    case FirmwareCheck::BadMagic: return "not a firmware file";
    case FirmwareCheck::BadFormat: return "unknown firmware format version";
    case FirmwareCheck::WrongDevice: return "firmware for another device type";
    case FirmwareCheck::BadLength: return "length does not match the header";
    case FirmwareCheck::BadCrc: return "checksum mismatch";
    }
    return "?";
}

std::vector<uint8_t> makeFirmware(uint16_t deviceType, uint32_t version, const std::vector<uint8_t>& payload)
{
    const FirmwareHeader header{VelaProtocol::FirmwareMagic, 1, deviceType, version, uint32_t(payload.size()),
                                VelaNet::crc32(payload.data(), payload.size())};
    std::vector<uint8_t> file(sizeof header + payload.size());
    std::memcpy(file.data(), &header, sizeof header);
    if (!payload.empty())
        std::memcpy(file.data() + sizeof header, payload.data(), payload.size());
    return file;
}

} // namespace VelaEmulator
