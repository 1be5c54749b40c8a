#pragma once

#include "VelaPoint.h"
#include "VelaPointCloud.h"
#include "velamath_global.h"

namespace VelaMath {

// A 2-D direction or displacement.
class VELAMATH_EXPORT VelaFreeVector
{
public:
    VelaFreeVector() = default;
    VelaFreeVector(float x, float y) : x(x), y(y) {}

    float size() const;
    // Scales to `length`; false when length is not positive or the vector has no length.
    bool resize(float length);
    // Becomes the unit vector of first + second; false (unchanged) when the sum has no length.
    bool sumVectors(const VelaFreeVector& first, const VelaFreeVector& second);

    // In [0, 180] degrees; NaN when either vector has no length.
    float calcAngleBetweenVectors(const VelaFreeVector& second) const
    {
        return calcAngleBetweenVectors(*this, second);
    }
    static float calcAngleBetweenVectors(const VelaFreeVector& first, const VelaFreeVector& second);

    // Unit direction from the point at index + direction towards the points beyond it, walking
    // until `length` is reached or the cloud ends. direction is +1 or -1.
    bool calcFromPointCloud(const VelaPointCloud<VelaPointXY>& cloud, int index, int direction,
                            float length);

    float x = velaNaN;
    float y = velaNaN;
};

} // namespace VelaMath
