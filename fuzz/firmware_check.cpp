// A firmware file as the emulated sensors receive it, checked for every model.

#include "Firmware.h"
#include "VelaDeviceTypes.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (const uint16_t type : {VelaDevice::DeviceTypeLS71, VelaDevice::DeviceTypeLS74,
                                VelaDevice::DeviceTypeLS74Compatible}) {
        uint32_t version = 0;
        const VelaEmulator::FirmwareCheck check = VelaEmulator::checkFirmware(data, size, type, &version);
        volatile size_t sink = std::strlen(VelaEmulator::describeFirmwareCheck(check)) + version;
        (void)sink;
    }
    return 0;
}
