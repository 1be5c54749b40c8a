#pragma once

#include "VelaPoint.h"

#include <QtEndian>

namespace VelaMath {

// What the point-cloud code needs to know about a point type: its axes and its file record
// (little-endian, no padding).
template<class T> struct VelaPointTraits;

template<> struct VelaPointTraits<VelaPointXY>
{
    static constexpr bool hasZ = false;
    static constexpr quint8 marker = 0x02;
    static constexpr int countBytes = 2;
    static constexpr int recordBytes = 8;

    static void store(const VelaPointXY& p, uchar* dst)
    {
        qToLittleEndian(p.x, dst);
        qToLittleEndian(p.y, dst + 4);
    }
    static VelaPointXY load(const uchar* src)
    {
        return VelaPointXY(qFromLittleEndian<float>(src), qFromLittleEndian<float>(src + 4));
    }
};

template<> struct VelaPointTraits<VelaPointXYZ>
{
    static constexpr bool hasZ = true;
    static constexpr quint8 marker = 0x03;
    static constexpr int countBytes = 4;
    static constexpr int recordBytes = 12;

    static void store(const VelaPointXYZ& p, uchar* dst)
    {
        qToLittleEndian(p.x, dst);
        qToLittleEndian(p.y, dst + 4);
        qToLittleEndian(p.z, dst + 8);
    }
    static VelaPointXYZ load(const uchar* src)
    {
        return VelaPointXYZ(qFromLittleEndian<float>(src), qFromLittleEndian<float>(src + 4),
                            qFromLittleEndian<float>(src + 8));
    }
};

template<> struct VelaPointTraits<VelaPointXYZRGB>
{
    static constexpr bool hasZ = true;
    static constexpr quint8 marker = 0x04;
    static constexpr int countBytes = 4;
    static constexpr int recordBytes = 16;

    static void store(const VelaPointXYZRGB& p, uchar* dst)
    {
        qToLittleEndian(p.x, dst);
        qToLittleEndian(p.y, dst + 4);
        qToLittleEndian(p.z, dst + 8);
        qToLittleEndian(p.rgb, dst + 12);
    }
    static VelaPointXYZRGB load(const uchar* src)
    {
        return VelaPointXYZRGB(qFromLittleEndian<float>(src), qFromLittleEndian<float>(src + 4),
                               qFromLittleEndian<float>(src + 8), qFromLittleEndian<quint32>(src + 12));
    }
};

} // namespace VelaMath
