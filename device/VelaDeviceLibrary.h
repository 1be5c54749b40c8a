#pragma once

#include "veladevice_global.h"

namespace VelaDevice {

// Called once before the first and once after the last use of the library. Sockets need no
// process-wide set-up on POSIX systems, so both only keep the library's use count; they are
// kept for callers written against the vendor's library, which needs them.
VELADEVICE_EXPORT int Initialize();
VELADEVICE_EXPORT void Cleanup();

} // namespace VelaDevice
