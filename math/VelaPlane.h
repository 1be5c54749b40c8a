#pragma once

#include "VelaPoint.h"
#include "velamath_global.h"

namespace VelaMath {

// The plane a*x + b*y + c*z + d = 0; the coefficients are not normalised.
class VELAMATH_EXPORT VelaPlane
{
public:
    void calcFromPoints(const VelaPointXYZ& p1, const VelaPointXYZ& p2, const VelaPointXYZ& p3);

    // NaN when the normal has no length (for instance a plane from collinear points).
    float calcDistance(const VelaPointXYZ& p) const { return calcDistance(*this, p); }
    static float calcDistance(const VelaPlane& pl, const VelaPointXYZ& p);

    float a = velaNaN;
    float b = velaNaN;
    float c = velaNaN;
    float d = velaNaN;
};

} // namespace VelaMath
