#pragma once

#include "veladevice_global.h"

namespace VelaDevice {

// How many Initialize calls have no Cleanup yet: lets tests see that the application ends
// every use of a device before it gives the library up.
VELADEVICE_EXPORT int libraryUsers();

} // namespace VelaDevice
