#include "VelaLine.h"

#include "VelaPolar.h"

#include <cmath>

namespace VelaMath {

bool VelaLine::calcFromTwoPoints(const VelaPointXY& p1, const VelaPointXY& p2)
{
    const float dx = p1.x - p2.x;
    k = (p1.y - p2.y) / dx;
    if (std::fabs(dx) >= 0.00001f) {
        b = (p1.x * p2.y - p2.x * p1.y) / dx;
        return true;
    }
    k = 0.0f;
    b = 0.0f;
    return false;
}

bool VelaLine::calcFromPointCloud(const VelaPointCloud<VelaPointXY>& cloud)
{
    const int n = cloud.size();
    if (n < 2)
        return false;
    float sx = 0, sy = 0, sxx = 0, sxy = 0;
    bool xVaries = false;
    const float x0 = cloud.points[0].x;
    for (const VelaPointXY& p : cloud.points) {
        sx += p.x;
        sy += p.y;
        sxx += p.x * p.x;
        sxy += p.x * p.y;
        xVaries = xVaries || p.x != x0;
    }
    if (!xVaries) // a vertical line has no slope form
        return false;
    if (sx == 0.0f) {
        // The elimination below divides by Sx; with the x centred on 0 the least-squares
        // solution is direct.
        k = sxy / sxx;
        b = sy / float(n);
        return true;
    }
    const double N = n;
    b = float((double(sxy) - double(sy) * sxx / sx) / (double(sx) - N * sxx / sx));
    k = float((double(sy) - N * b) / sx);
    return true;
}

float VelaLine::calcDistanceToPoint(const VelaLine& l, const VelaPointXY& p)
{
    const float norm = std::sqrt(l.k * l.k + 1.0f);
    if (norm == 0.0f || std::isnan(norm))
        return velaNaN;
    return std::fabs(l.k * p.x - p.y + l.b) / norm;
}

bool VelaLine::calcIntersection(const VelaLine& l1, const VelaLine& l2, VelaPointXY& out)
{
    if (l1.k == l2.k)
        return false;
    const float x = (l2.b - l1.b) / (l1.k - l2.k);
    out.x = x;
    out.y = x * l1.k + l1.b;
    return true;
}

float VelaLine::calcAngle(const VelaLine& l1, const VelaLine& l2)
{
    return (std::atan(l1.k) - std::atan(l2.k)) * 180.0f / velaPi;
}

} // namespace VelaMath
