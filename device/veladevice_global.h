#pragma once

// The device library has no Qt dependency, so it carries its own export macro.
#if defined(VELADEVICE_LIBRARY)
#define VELADEVICE_EXPORT __attribute__((visibility("default")))
#else
#define VELADEVICE_EXPORT
#endif
