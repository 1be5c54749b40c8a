#pragma once

#include <QtGlobal>

#include <cmath>
#include <limits>

namespace VelaMath {

// A NaN coordinate means "no value" throughout the library.
inline constexpr float velaNaN = std::numeric_limits<float>::quiet_NaN();

class VelaPointXY
{
public:
    VelaPointXY() = default;
    VelaPointXY(float x, float y) : x(x), y(y) {}

    bool isNull() const { return std::isnan(x) || std::isnan(y); }

    // No NaN test: a NaN coordinate simply propagates.
    float calcDistance(VelaPointXY p) const { return calcDistance(*this, p); }
    static float calcDistance(VelaPointXY a, VelaPointXY b)
    {
        const float dx = a.x - b.x;
        const float dy = a.y - b.y;
        return std::sqrt(dx * dx + dy * dy);
    }

    float x = velaNaN;
    float y = velaNaN;
};

class VelaPointXYZ
{
public:
    VelaPointXYZ() = default;
    VelaPointXYZ(float x, float y, float z) : x(x), y(y), z(z) {}

    float calcDistance(VelaPointXYZ p) const { return calcDistance(*this, p); }
    static float calcDistance(VelaPointXYZ a, VelaPointXYZ b)
    {
        if (std::isnan(a.x) || std::isnan(a.y) || std::isnan(a.z)
            || std::isnan(b.x) || std::isnan(b.y) || std::isnan(b.z))
            return velaNaN;
        const float dx = a.x - b.x;
        const float dy = a.y - b.y;
        const float dz = a.z - b.z;
        return std::sqrt(dx * dx + dy * dy + dz * dz);
    }

    float x = velaNaN;
    float y = velaNaN;
    float z = velaNaN;
};

class VelaPointXYZRGB
{
public:
    VelaPointXYZRGB() = default;
    VelaPointXYZRGB(float x, float y, float z, quint32 rgb) : x(x), y(y), z(z), rgb(rgb) {}

    float x = velaNaN;
    float y = velaNaN;
    float z = velaNaN;
    quint32 rgb = 0;
};

} // namespace VelaMath
