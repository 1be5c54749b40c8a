#include "VelaProfileZ.h"

#include "VelaPointTraits.h"

#include <QtEndian>

#include <algorithm>
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
    const auto fail = [&] {
        f.seek(start);
        return -1;
    };
    uchar header[headerBytes];
    if (f.read(reinterpret_cast<char*>(header), 1) != 1 || header[0] != recordMarker)
        return fail();
    if (f.read(reinterpret_cast<char*>(header + 1), headerBytes - 1) != headerBytes - 1)
        return fail();
    const int count = qFromLittleEndian<quint16>(header + 1);
    z = qFromLittleEndian<float>(header + 3);

    // The count is untrusted: never read (or allocate) past the end of the file.
    const qint64 claimed = qint64(count) * XYTraits::recordBytes;
    const qint64 wanted = f.isSequential() ? claimed : std::min(claimed, f.size() - f.pos());
    thread_local std::vector<uchar> record;
    record.resize(std::size_t(std::max<qint64>(wanted, 0)));
    const qint64 got = std::max<qint64>(f.read(reinterpret_cast<char*>(record.data()), qint64(record.size())), 0);
    const int complete = int(got / XYTraits::recordBytes);
    points.reserve(complete);
    for (int i = 0; i < complete; ++i)
        points.append(XYTraits::load(record.data() + i * XYTraits::recordBytes));
    if (got < claimed)
        return fail();
    return count;
}

int VelaProfileZ::readFromFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return readFromFile(f);
}

} // namespace VelaMath
