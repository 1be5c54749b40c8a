#include "VelaPolar.h"

#include <cmath>

namespace VelaMath {

void velaToPolar(float& x, float& y)
{
    const float r = std::sqrt(x * x + y * y);
    float a;
    if (x != 0.0f) {
        const float t = float(std::atan(double(y / x))) * 180.0f / velaPi;
        if (x < 0.0f)
            a = 180.0f + t;
        else if (y >= 0.0f)
            a = t;
        else
            a = t + 360.0f;
    } else {
        a = y > 0.0f ? 90.0f : y < 0.0f ? 270.0f : 0.0f;
    }
    x = r;
    y = a;
}

void velaToEvklid(float& r, float& a)
{
    const float radians = a * velaPi / 180.0f;
    const float x = r * float(std::cos(double(radians)));
    const float y = r * float(std::sin(double(radians)));
    r = x;
    a = y;
}

void velaRotatePolarMethod(float& x, float& y, float angle)
{
    if (angle == 0.0f)
        return;
    velaToPolar(x, y);
    y += angle;
    velaToEvklid(x, y);
}

} // namespace VelaMath
