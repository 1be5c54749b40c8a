#pragma once

#include "VelaProfile.h"
#include "velamath_global.h"

#include <QFile>
#include <QString>

namespace VelaMath {

// A profile taken at a known position z along the scanning direction.
//
// File record (little-endian, no padding): marker 0x05, uint16 point count,
// float z, then count pairs of float x, float y. The count field limits a
// record to 65535 points.
class VELAMATH_EXPORT VelaProfileZ : public VelaProfile
{
public:
    static constexpr quint8 recordMarker = 0x05;
    static constexpr int maxRecordPoints = 0xFFFF;

    VelaProfileZ() = default;
    explicit VelaProfileZ(float z) : z(z) {}
    VelaProfileZ(float z, const float* buffer, quint16 count);
    // A copy holds the same values, range fields included: lists of Z profiles are shared
    // until one of them changes, and that copy must not change what a caller sees.
    VelaProfileZ(const VelaProfileZ& other);
    VelaProfileZ(const VelaProfile& p);

    // Both assignments append the other's points to the ones held already;
    // assigning a profile to itself changes nothing.
    VelaProfileZ& operator=(const VelaProfileZ& other);
    VelaProfileZ& operator=(const VelaProfile& p);

    // A recorded profile has no position: its z is NaN. A dump keeps the sensor's measurement
    // counter in the payload of that NaN, where every reader still sees "no position".
    static float counterTag(quint16 measCounter);
    // The counter a z carries; false for a position and for a NaN without a counter.
    static bool taggedCounter(float z, quint16* measCounter);

    // Removes the points and forgets z; the range fields stay as they are.
    void clear();

    // False for a profile of more than 65535 points, which no record can hold.
    bool fitsRecord() const { return points.size() <= maxRecordPoints; }
    // A profile that does not fit a record is refused before anything is written, and the
    // path form then leaves an existing file as it was.
    bool writeToFile(QFile& f) const;
    bool writeToFile(const QString& path) const;
    // The point count of the record, or -1 with the file rewound to where the
    // record began. Points read before a short read stay.
    int readFromFile(QFile& f);
    int readFromFile(const QString& path);

    float z = velaNaN;
};

} // namespace VelaMath

Q_DECLARE_TYPEINFO(VelaMath::VelaProfileZ, Q_RELOCATABLE_TYPE);
