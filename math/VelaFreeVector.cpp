#include "VelaFreeVector.h"

#include "VelaPolar.h"

#include <algorithm>
#include <cmath>

namespace VelaMath {

float VelaFreeVector::size() const
{
    return std::sqrt(x * x + y * y);
}

bool VelaFreeVector::resize(float length)
{
    const float current = size();
    if (!(length > 0.0f) || !(current > 0.0f))
        return false;
    const float scale = length / current;
    x *= scale;
    y *= scale;
    return true;
}

bool VelaFreeVector::sumVectors(const VelaFreeVector& first, const VelaFreeVector& second)
{
    const VelaFreeVector sum(first.x + second.x, first.y + second.y);
    const float length = sum.size();
    if (!(length > 0.0f))
        return false;
    x = sum.x / length;
    y = sum.y / length;
    return true;
}

float VelaFreeVector::calcAngleBetweenVectors(const VelaFreeVector& first, const VelaFreeVector& second)
{
    const float denominator = std::sqrt((first.x * first.x + first.y * first.y)
                                        * (second.x * second.x + second.y * second.y));
    if (!(denominator > 0.0f))
        return velaNaN;
    // Rounding may push the cosine of (anti)parallel vectors just past 1.
    const float cosine = std::clamp((first.x * second.x + first.y * second.y) / denominator, -1.0f, 1.0f);
    return std::acos(cosine) * 180.0f / velaPi;
}

bool VelaFreeVector::calcFromPointCloud(const VelaPointCloud<VelaPointXY>& cloud, int index,
                                        int direction, float length)
{
    if (direction != 1 && direction != -1)
        return false;
    const int n = cloud.size();
    const int anchorIndex = index + direction;
    if (index < 0 || index >= n || anchorIndex < 0 || anchorIndex >= n)
        return false;
    const VelaPointXY anchor = cloud.points[anchorIndex];
    float dx = 0, dy = 0, d = 0;
    // A NaN length never stops the walk (d >= NaN is false).
    for (int i = anchorIndex + direction; i >= 0 && i < n && !(d >= length); i += direction) {
        dx = cloud.points[i].x - anchor.x;
        dy = cloud.points[i].y - anchor.y;
        d = std::sqrt(dx * dx + dy * dy);
    }
    if (!(d > 0.0f)) // no point reached, or only points on the anchor
        return false;
    x = dx / d;
    y = dy / d;
    return true;
}

} // namespace VelaMath
