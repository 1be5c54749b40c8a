#pragma once

#include <VelaRecordReader.h>

#include <QIODevice>

#include <vector>

// The points of a recording, record by record, decoded into x, y, z floats in large chunks:
// what info and export walk. z is the record's z for Z-profile records (NaN in dumps), the
// point's own in 3-D clouds and NaN in 2-D clouds. Colour is not carried.
class RecordPoints
{
public:
    static constexpr int ChunkPoints = 16384;
    static constexpr int ReadAhead = 1 << 20;

    explicit RecordPoints(QIODevice& input);

    bool nextRecord() { return m_reader.nextRecord(); }
    const VelaMath::VelaRecordHeader& header() const { return m_reader.header(); }
    // The next points of the current record as x, y, z triples; 0 once it is read (or the
    // input ends inside it: reader().failed()).
    int nextChunk(const float** xyz);
    // The same points as they stand in the file, header().pointBytes / 4 values each (x, y,
    // then z and the colour word where the record has them): little-endian floats are the
    // host's.
    int nextRawChunk(const float** values);
    VelaMath::VelaRecordReader& reader() { return m_reader; }

private:
    VelaMath::VelaRecordReader m_reader;
    std::vector<float> m_raw;
    std::vector<float> m_xyz;
};
