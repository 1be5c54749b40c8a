#include "RecordPoints.h"

#include <QtGlobal>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "records are read as the host's floats");

RecordPoints::RecordPoints(QIODevice& input)
    : m_reader(input, ReadAhead), m_raw(size_t(ChunkPoints) * 4), m_xyz(size_t(ChunkPoints) * 3)
{
}

int RecordPoints::nextRawChunk(const float** values)
{
    *values = m_raw.data();
    return m_reader.readPoints(reinterpret_cast<uchar*>(m_raw.data()), ChunkPoints);
}

int RecordPoints::nextChunk(const float** xyz)
{
    const VelaMath::VelaRecordHeader& h = m_reader.header();
    const float* src = nullptr;
    const int n = nextRawChunk(&src);
    const int stride = h.pointBytes / 4;
    float* dst = m_xyz.data();
    if (stride == 2) {
        for (int i = 0; i < n; ++i, src += 2, dst += 3) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = h.z;
        }
    } else {
        for (int i = 0; i < n; ++i, src += stride, dst += 3) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
        }
    }
    *xyz = m_xyz.data();
    return n;
}
