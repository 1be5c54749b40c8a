#include "VelaPlane.h"

#include <cmath>

namespace VelaMath {

void VelaPlane::calcFromPoints(const VelaPointXYZ& p1, const VelaPointXYZ& p2, const VelaPointXYZ& p3)
{
    a = p1.y * (p2.z - p3.z) + p2.y * (p3.z - p1.z) + p3.y * (p1.z - p2.z);
    b = p1.z * (p2.x - p3.x) + p2.z * (p3.x - p1.x) + p3.z * (p1.x - p2.x);
    c = p2.x * (p3.y - p1.y) + p1.x * (p2.y - p3.y) + p3.x * (p1.y - p2.y);
    d = -(p2.x * (p3.y * p1.z - p1.y * p3.z) + p1.x * (p2.y * p3.z - p2.z * p3.y)
          + p3.x * (p2.z * p1.y - p2.y * p1.z));
}

float VelaPlane::calcDistance(const VelaPlane& pl, const VelaPointXYZ& p)
{
    const float norm = std::sqrt(pl.a * pl.a + pl.b * pl.b + pl.c * pl.c);
    if (norm == 0.0f || std::isnan(norm))
        return velaNaN;
    return std::fabs(pl.a * p.x + pl.b * p.y + pl.c * p.z + pl.d) / norm;
}

} // namespace VelaMath
