#pragma once

#include "velamath_global.h"

// Version of the math library, "2.0.10".
extern "C" VELAMATH_EXPORT const char* VelaMath_GetVersionString();
