#include "RecordPoints.h"

#include <QtEndian>

RecordPoints::RecordPoints(QIODevice& input)
    : m_reader(input), m_raw(size_t(ChunkPoints) * 16), m_xyz(size_t(ChunkPoints) * 3)
{
}

int RecordPoints::nextChunk(const float** xyz)
{
    const VelaMath::VelaRecordHeader& h = m_reader.header();
    const int n = m_reader.readPoints(m_raw.data(), ChunkPoints);
    const uchar* src = m_raw.data();
    float* dst = m_xyz.data();
    const bool ownZ = h.kind == VelaMath::VelaRecordKind::Cloud3D || h.kind == VelaMath::VelaRecordKind::CloudRGB;
    for (int i = 0; i < n; ++i, src += h.pointBytes, dst += 3) {
        dst[0] = qFromLittleEndian<float>(src);
        dst[1] = qFromLittleEndian<float>(src + 4);
        dst[2] = ownZ ? qFromLittleEndian<float>(src + 8) : h.z;
    }
    *xyz = m_xyz.data();
    return n;
}
