#pragma once

#include "VelaPoint.h"
#include "VelaPointCloud.h"
#include "velamath_global.h"

namespace VelaMath {

// The line y = k * x + b; a vertical line cannot be represented.
class VELAMATH_EXPORT VelaLine
{
public:
    VelaLine() = default;
    VelaLine(float k, float b) : k(k), b(b) {}

    float y(float x) const { return k * x + b; }
    float x(float y) const { return (y - b) / k; }

    // False (k = b = 0) when the two x are closer than 1e-5.
    bool calcFromTwoPoints(const VelaPointXY& p1, const VelaPointXY& p2);
    // Least-squares fit; false for fewer than two points or points that all share one x.
    bool calcFromPointCloud(const VelaPointCloud<VelaPointXY>& cloud);

    float calcDistanceToPoint(const VelaPointXY& p) const { return calcDistanceToPoint(*this, p); }
    static float calcDistanceToPoint(const VelaLine& l, const VelaPointXY& p);

    // False for parallel lines (equal slopes), leaving `out` untouched.
    bool calcIntersection(const VelaLine& other, VelaPointXY& out) const
    {
        return calcIntersection(*this, other, out);
    }
    static bool calcIntersection(const VelaLine& l1, const VelaLine& l2, VelaPointXY& out);

    // Signed angle from l2 to l1 in degrees.
    float calcAngle(const VelaLine& other) const { return calcAngle(*this, other); }
    static float calcAngle(const VelaLine& l1, const VelaLine& l2);

    float k = velaNaN;
    float b = velaNaN;
};

} // namespace VelaMath
