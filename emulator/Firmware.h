#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace VelaEmulator {

enum class FirmwareCheck { Ok, TooShort, BadMagic, BadFormat, WrongDevice, BadLength, BadCrc };

// Checks a firmware file (*.fw, see PROTOCOL.md) for a sensor of the given type code and
// gives the version it installs.
FirmwareCheck checkFirmware(const uint8_t* data, size_t size, uint16_t deviceType, uint32_t* version);
const char* describeFirmwareCheck(FirmwareCheck check);

// A firmware file carrying `payload`, for tests and for `ls7x-emulator --make-firmware`.
std::vector<uint8_t> makeFirmware(uint16_t deviceType, uint32_t version, const std::vector<uint8_t>& payload);

} // namespace VelaEmulator
