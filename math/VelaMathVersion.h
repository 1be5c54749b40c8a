#pragma once

#include "velamath_global.h"

// Version of the math library, the project's version ("2.0.10").
extern "C" VELAMATH_EXPORT const char* VelaMath_GetVersionString();
