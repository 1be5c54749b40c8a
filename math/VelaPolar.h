#pragma once

#include "velamath_global.h"

namespace VelaMath {

// Angles are in degrees and use the single-precision value of pi.
inline constexpr float velaPi = 3.1415927410125732f;

// (x, y) -> (radius, angle in [0, 360)), every intermediate rounded to float.
VELAMATH_EXPORT void velaToPolar(float& x, float& y);
// (radius, angle) -> (x, y).
VELAMATH_EXPORT void velaToEvklid(float& r, float& a);
// Counter-clockwise rotation about the origin through the polar form; nothing for angle 0.
VELAMATH_EXPORT void velaRotatePolarMethod(float& x, float& y, float angle);

} // namespace VelaMath
