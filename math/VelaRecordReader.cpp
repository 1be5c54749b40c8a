#include "VelaRecordReader.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace VelaMath {

namespace {

struct Layout {
    int countBytes;
    bool hasZ;
    int pointBytes;
};

bool layoutOf(quint8 marker, Layout* layout)
{
    switch (VelaRecordKind(marker)) {
    case VelaRecordKind::Cloud2D: *layout = {2, false, 8}; return true;
    case VelaRecordKind::Cloud3D: *layout = {4, false, 12}; return true;
    case VelaRecordKind::CloudRGB: *layout = {4, false, 16}; return true;
    case VelaRecordKind::ProfileZ: *layout = {2, true, 8}; return true;
    }
    return false;
}

} // namespace

VelaRecordReader::VelaRecordReader(QIODevice& device, int readAhead)
    : m_device(device), m_block(size_t(std::max(readAhead, 0))), m_position(device.isSequential() ? 0 : device.pos())
{
}

qint64 VelaRecordReader::readFully(uchar* to, qint64 bytes)
{
    qint64 done = 0;
    while (done < bytes) {
        if (m_blockAt == m_blockEnd) {
            // Large pieces go straight to the caller; small ones through the block.
            if (m_block.empty() || bytes - done >= qint64(m_block.size())) {
                done += readDevice(to + done, bytes - done);
                break;
            }
            m_blockAt = 0;
            m_blockEnd = readDevice(m_block.data(), qint64(m_block.size()));
            if (m_blockEnd == 0)
                break;
        }
        const qint64 n = std::min(bytes - done, m_blockEnd - m_blockAt);
        std::memcpy(to + done, m_block.data() + m_blockAt, size_t(n));
        m_blockAt += n;
        done += n;
    }
    m_position += done;
    return done;
}

qint64 VelaRecordReader::readDevice(uchar* to, qint64 bytes)
{
    // Pipes deliver in pieces; a file delivers all at once or reaches its end.
    qint64 done = 0;
    while (done < bytes) {
        const qint64 got = m_device.read(reinterpret_cast<char*>(to + done), bytes - done);
        if (got < 0) {
            setFault(Fault::ReadError, m_position, tr("read error (%1)").arg(m_device.errorString()));
            break;
        }
        if (got == 0 && !m_device.waitForReadyRead(-1))
            break;
        done += got;
    }
    return done;
}

bool VelaRecordReader::setFault(Fault fault, qint64 offset, const QString& reason)
{
    if (m_fault == Fault::None) {
        m_fault = fault;
        m_errorOffset = offset;
        m_reason = reason;
    }
    m_pointsLeft = 0;
    return false;
}

QString VelaRecordReader::errorString() const
{
    if (m_fault == Fault::None)
        return QString();
    return tr("%1 at byte %2").arg(m_reason).arg(m_errorOffset);
}

bool VelaRecordReader::skipRest()
{
    if (m_pointsLeft == 0)
        return true;
    const qint64 bytes = qint64(m_pointsLeft) * m_header.pointBytes;
    qint64 skipped = std::min(bytes, m_blockEnd - m_blockAt);
    m_blockAt += skipped;
    // A pipe skips no more than it has at hand.
    while (skipped < bytes) {
        const qint64 n = m_device.skip(bytes - skipped);
        if (n < 0 || (n == 0 && !m_device.waitForReadyRead(-1)))
            break;
        skipped += n;
    }
    m_position += skipped;
    if (skipped == bytes) {
        m_pointsLeft = 0;
        return true;
    }
    return cutShort(qint64(m_header.count - m_pointsLeft) * m_header.pointBytes + skipped);
}

bool VelaRecordReader::cutShort(qint64 pointBytesPresent)
{
    return setFault(Fault::CutShort, m_header.offset,
                    tr("the record claims %1 points (%2 bytes) but only %3 bytes follow")
                        .arg(m_header.count)
                        .arg(qint64(m_header.count) * m_header.pointBytes)
                        .arg(pointBytesPresent));
}

bool VelaRecordReader::nextRecord()
{
    if (failed() || !skipRest())
        return false;
    const qint64 offset = m_position;
    if (readFully(m_raw, 1) != 1)
        return false;   // the end of the input, or a read error
    Layout layout;
    if (!layoutOf(m_raw[0], &layout))
        return setFault(Fault::UnknownMarker, offset,
                        tr("byte 0x%1 starts no record").arg(m_raw[0], 2, 16, QLatin1Char('0')));
    const int rest = layout.countBytes + (layout.hasZ ? 4 : 0);
    const qint64 got = readFully(m_raw + 1, rest);
    if (got != rest)
        return setFault(Fault::CutShort, offset,
                        tr("the record header ends after %1 of %2 bytes").arg(got + 1).arg(rest + 1));
    m_header.kind = VelaRecordKind(m_raw[0]);
    m_header.offset = offset;
    m_header.count = layout.countBytes == 2 ? qFromLittleEndian<quint16>(m_raw + 1)
                                            : qFromLittleEndian<quint32>(m_raw + 1);
    m_header.z = layout.hasZ ? qFromLittleEndian<float>(m_raw + 1 + layout.countBytes) : velaNaN;
    m_header.headerBytes = 1 + rest;
    m_header.pointBytes = layout.pointBytes;
    m_pointsLeft = m_header.count;
    return true;
}

int VelaRecordReader::readPoints(uchar* destination, int maxPoints)
{
    const int wanted = int(std::min<quint32>(m_pointsLeft, quint32(std::max(maxPoints, 0))));
    if (wanted == 0)
        return 0;
    const qint64 bytes = qint64(wanted) * m_header.pointBytes;
    const qint64 got = readFully(destination, bytes);
    const int whole = int(got / m_header.pointBytes);
    m_pointsLeft -= quint32(whole);
    if (got < bytes)
        cutShort(qint64(m_header.count - m_pointsLeft) * m_header.pointBytes + got % m_header.pointBytes);
    return whole;
}

} // namespace VelaMath
