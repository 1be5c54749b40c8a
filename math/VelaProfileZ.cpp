#include "VelaProfileZ.h"

#include "VelaPointTraits.h"
#include "VelaRecordReader.h"

#include <QtEndian>

#include <cstring>
#include <vector>

namespace VelaMath {

namespace {

// Appending to an empty list just shares the other's points.
void appendPoints(QList<VelaPointXY>& to, const QList<VelaPointXY>& from)
{
    if (to.isEmpty())
        to = from;
    else
        to.append(from);
}

using XYTraits = VelaPointTraits<VelaPointXY>;
constexpr int headerBytes = 1 + 2 + 4;

} // namespace

VelaProfileZ::VelaProfileZ(float z, const float* buffer, quint16 count)
    : z(z)
{
    copyFromXYPointsBuffer(buffer, count);
}

VelaProfileZ::VelaProfileZ(const VelaProfileZ& other)
    : VelaProfile(other)
    , z(other.z)
{
}

VelaProfileZ::VelaProfileZ(const VelaProfile& p)
{
    *this = p;
}

VelaProfileZ& VelaProfileZ::operator=(const VelaProfileZ& other)
{
    if (&other != this) {
        appendPoints(points, other.points);
        z = other.z;
    }
    return *this;
}

VelaProfileZ& VelaProfileZ::operator=(const VelaProfile& p)
{
    if (&p != static_cast<const VelaProfile*>(this)) {
        appendPoints(points, p.points);
        z = velaNaN;
    }
    return *this;
}

namespace {
// A quiet NaN (0x7FC00000) with payload bit 16 set marks a counter in the low 16 bits.
constexpr quint32 counterTagBits = 0x7FC10000u;
constexpr quint32 counterTagMask = 0xFFFF0000u;
}

float VelaProfileZ::counterTag(quint16 measCounter)
{
    const quint32 bits = counterTagBits | measCounter;
    float z;
    std::memcpy(&z, &bits, sizeof z);
    return z;
}

bool VelaProfileZ::taggedCounter(float z, quint16* measCounter)
{
    quint32 bits;
    std::memcpy(&bits, &z, sizeof bits);
    if ((bits & counterTagMask) != counterTagBits)
        return false;
    *measCounter = quint16(bits);
    return true;
}

void VelaProfileZ::clear()
{
    points.clear();
    z = velaNaN;
}

bool VelaProfileZ::writeToFile(QFile& f) const
{
    if (!fitsRecord())
        return false;
    const qsizetype n = points.size();
    // The whole record goes out in one write; the buffer grows once per thread.
    thread_local std::vector<uchar> record;
    record.resize(headerBytes + std::size_t(n) * XYTraits::recordBytes);
    uchar* dst = record.data();
    dst[0] = recordMarker;
    qToLittleEndian(quint16(n), dst + 1);
    qToLittleEndian(z, dst + 3);
    dst += headerBytes;
    for (const VelaPointXY& p : points) {
        XYTraits::store(p, dst);
        dst += XYTraits::recordBytes;
    }
    const qint64 bytes = qint64(record.size());
    return f.write(reinterpret_cast<const char*>(record.data()), bytes) == bytes;
}

bool VelaProfileZ::writeToFile(const QString& path) const
{
    if (!fitsRecord())
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Truncate))
        return false;
    const bool written = writeToFile(f);
    return f.flush() && written;
}

int VelaProfileZ::readFromFile(QFile& f)
{
    const qint64 start = f.pos();
    points.clear();
    VelaRecordReader reader(f);
    if (reader.nextRecord() && reader.header().kind == VelaRecordKind::ProfileZ) {
        z = reader.header().z;
        // The list grows with the points that arrive, never by what the record claims.
        if (velaReadRecordPoints<VelaPointXY>(reader, [this](const VelaPointXY& p) { points.append(p); }))
            return int(reader.header().count);
    }
    f.seek(start);
    return -1;
}

int VelaProfileZ::readFromFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return readFromFile(f);
}

} // namespace VelaMath
