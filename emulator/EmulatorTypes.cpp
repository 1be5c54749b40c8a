#include "EmulatorTypes.h"

#include "VelaDeviceTypes.h"

namespace VelaEmulator {

const char* modelName(Model model)
{
    switch (model) {
    case Model::LS71: return "LS71";
    case Model::LS74: return "LS74";
    case Model::LS74B: return "LS74B";
    case Model::LP81: return "LP81";
    }
    return "?";
}

uint16_t typeCode(Model model)
{
    switch (model) {
    case Model::LS71: return VelaDevice::DeviceTypeLS71;
    case Model::LS74: return VelaDevice::DeviceTypeLS74;
    case Model::LS74B: return VelaDevice::DeviceTypeLS74Compatible;
    case Model::LP81: return VelaDevice::DeviceTypeLP81;
    }
    return 0;
}

bool isScanner(Model model)
{
    return model != Model::LP81;
}

} // namespace VelaEmulator
