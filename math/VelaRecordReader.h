#pragma once

#include "VelaPoint.h"
#include "VelaPointTraits.h"
#include "velamath_global.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QString>

#include <vector>

namespace VelaMath {

// The binary records of point-cloud files, profile sets and dumps. The value is the record's
// marker byte.
enum class VelaRecordKind : quint8 {
    Cloud2D = 0x02,    // uint16 count, then float x, y per point
    Cloud3D = 0x03,    // uint32 count, then float x, y, z
    CloudRGB = 0x04,   // uint32 count, then float x, y, z, uint32 rgb
    ProfileZ = 0x05,   // uint16 count, float z, then float x, y
};

struct VelaRecordHeader {
    VelaRecordKind kind = VelaRecordKind::ProfileZ;
    qint64 offset = 0;      // of the marker byte in the file (in the stream for pipes)
    quint32 count = 0;      // points the record claims
    float z = velaNaN;      // Z-profile records only
    int headerBytes = 0;    // marker, count and z
    int pointBytes = 0;     // one point's record
};

// Reads such records one after another from a device, from its position at construction:
// files, pipes and memory buffers alike. Without read-ahead it never reads beyond the record
// it is in, so that a caller may stop after any record and read on with something else; with
// read-ahead it reads the device in blocks of that size, for whole files read fast. Nothing
// it allocates depends on the counts a file claims; points go in chunks into the caller's
// buffer.
class VELAMATH_EXPORT VelaRecordReader
{
    Q_DECLARE_TR_FUNCTIONS(VelaRecordReader)

public:
    enum class Fault {
        None,
        UnknownMarker,  // a byte that starts no record
        CutShort,       // the input ends inside a record
        ReadError,      // the device failed
    };

    explicit VelaRecordReader(QIODevice& device, int readAhead = 0);

    // Reads the next record's header, skipping what is left of the current record. False at
    // the end of the input, and on a fault (fault() tells which).
    bool nextRecord();
    const VelaRecordHeader& header() const { return m_header; }
    // The header's bytes as they stand in the input.
    const uchar* rawHeader() const { return m_raw; }

    // Up to maxPoints further points of the current record into `destination` (room for
    // maxPoints * header().pointBytes bytes), packed as in the file. Answers the number of
    // whole points delivered: 0 once the record is read, fewer than asked (and a fault) when
    // the input ends inside it.
    int readPoints(uchar* destination, int maxPoints);
    // Points of the current record not read yet.
    quint32 pointsLeft() const { return m_pointsLeft; }

    Fault fault() const { return m_fault; }
    bool failed() const { return m_fault != Fault::None; }
    // What is wrong and where, for a person: "... at byte N".
    QString errorString() const;
    // The byte where the faulty record (or byte) begins.
    qint64 errorOffset() const { return m_errorOffset; }
    // The next byte the reader would read, counted as header().offset is.
    qint64 position() const { return m_position; }

private:
    qint64 readFully(uchar* to, qint64 bytes);
    qint64 readDevice(uchar* to, qint64 bytes);
    bool skipRest();
    bool cutShort(qint64 pointBytesPresent);
    bool setFault(Fault fault, qint64 offset, const QString& reason);

    QIODevice& m_device;
    std::vector<uchar> m_block;     // read ahead; m_blockAt..m_blockEnd not handed out yet
    qint64 m_blockAt = 0;
    qint64 m_blockEnd = 0;
    VelaRecordHeader m_header;
    uchar m_raw[8] = {};
    quint32 m_pointsLeft = 0;
    qint64 m_position = 0;
    Fault m_fault = Fault::None;
    qint64 m_errorOffset = -1;
    QString m_reason;
};

// Hands each point of the reader's current record, decoded as Point, to `each`, in chunks
// through a small stack buffer. False when the input ends inside the record; the points
// before that have been handed over.
template<class Point, class Each>
bool velaReadRecordPoints(VelaRecordReader& reader, Each each)
{
    using Traits = VelaPointTraits<Point>;
    constexpr int chunkPoints = 512;
    uchar buffer[chunkPoints * Traits::recordBytes];
    for (;;) {
        const int n = reader.readPoints(buffer, chunkPoints);
        for (int i = 0; i < n; ++i)
            each(Traits::load(buffer + i * Traits::recordBytes));
        if (n < chunkPoints)
            return !reader.failed();
    }
}

} // namespace VelaMath
