#pragma once

#include <cstdlib>

namespace VelaDevice {

// How long any exchange with a sensor may take before the call fails: one second, or the
// milliseconds in VELA_DEVICE_TIMEOUT_MS (100 to 60000), for slow builds such as sanitizer runs.
inline int exchangeTimeoutMs()
{
    static const int ms = [] {
        const char* text = std::getenv("VELA_DEVICE_TIMEOUT_MS");
        const long value = text ? std::strtol(text, nullptr, 10) : 0;
        return value >= 100 && value <= 60000 ? int(value) : 1000;
    }();
    return ms;
}

} // namespace VelaDevice
