#pragma once

#include "VelaPoint.h"
#include "VelaPointCloud.h"
#include "velamath_global.h"

namespace VelaMath {

class VELAMATH_EXPORT VelaCircle
{
public:
    VelaCircle() = default;
    VelaCircle(float x, float y, float r) : x(x), y(y), r(r) {}

    // Algebraic least-squares circle; false (fields unchanged) when the points determine none.
    bool calcFromPointCloud(const VelaPointCloud<VelaPointXY>& cloud);

    float x = velaNaN;
    float y = velaNaN;
    float r = velaNaN;
};

} // namespace VelaMath
