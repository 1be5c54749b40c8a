#include "VelaCircle.h"

#include <cmath>

namespace VelaMath {

bool VelaCircle::calcFromPointCloud(const VelaPointCloud<VelaPointXY>& cloud)
{
    const int n = cloud.size();
    if (n < 1)
        return false;
    float sumX = 0, sumY = 0;
    for (const VelaPointXY& p : cloud.points) {
        sumX += p.x;
        sumY += p.y;
    }
    const float mx = sumX / float(n);
    const float my = sumY / float(n);

    float sa = 0, sb = 0, sc = 0, sd = 0, se = 0, sf = 0;
    for (const VelaPointXY& p : cloud.points) {
        const float u = p.x - mx;
        const float v = p.y - my;
        const float q = p.x * p.x + p.y * p.y;
        sa += p.x * u;
        sb += p.y * u;
        sc += p.x * v;
        sd += p.y * v;
        se += u * q;
        sf += v * q;
    }
    const float a1 = 2 * sd, a2 = 2 * sa, a3 = 2 * sc, a4 = 2 * sb;
    const float det = a1 * a2 - a3 * a4;
    if (det == 0.0f || !std::isfinite(det))
        return false;
    const float cx = (a1 * se - a4 * sf) / det;
    const float cy = (a2 * sf - a3 * se) / det;

    float sum = 0;
    for (const VelaPointXY& p : cloud.points)
        sum += (p.x - cx) * (p.x - cx) + (p.y - cy) * (p.y - cy);
    x = cx;
    y = cy;
    r = std::sqrt(sum / float(n));
    return true;
}

} // namespace VelaMath
