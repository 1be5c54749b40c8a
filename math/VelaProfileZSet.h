#pragma once

#include "VelaPointCloud.h"
#include "VelaProfileZ.h"
#include "velamath_global.h"

#include <QList>
#include <QString>

namespace VelaMath {

// The profiles of one surface scan in scanning order. Its file is a plain
// sequence of Z-profile records without a header.
class VELAMATH_EXPORT VelaProfileZSet
{
public:
    VelaProfileZSet() = default;

    // Removes the profiles; the range fields and zStep stay.
    void clear() { profiles.clear(); }
    int size() const { return int(profiles.size()); }
    bool isEmpty() const { return size() < 1; }

    // Reads Z-profile records up to the first one that cannot be read, skipping
    // empty records. Returns the number of profiles (0 when the file does not open).
    int readFromFile(const QString& path);
    // Reads 2-D cloud records as profiles at z0, z0 + step, ... (an empty record
    // takes its z too). Returns the number of profiles.
    int readFromFile(const QString& path, float z0, float step);
    // False, with an existing file left as it was, when a profile does not fit a record.
    bool writeToFile(const QString& path) const;

    // Profile i gets z = i * step + z0.
    void setZ(float z0, float step);
    // Copies the profiles with zMin <= z <= zMax into `out` (replacing its
    // profiles; `out` may be this set). Returns out's size.
    int getRange(float zMin, float zMax, VelaProfileZSet& out) const;
    void calcRange();
    float calcAverageY() const;

    // The points of profiles first..last as (x, y, z of the profile). Indices
    // outside the set give an empty cloud. Returns the cloud's size.
    int toPointCloud(VelaPointCloud<VelaPointXYZ>& cloud, int first, int last) const;
    int toPointCloud(VelaPointCloud<VelaPointXYZ>& cloud) const;

    QList<VelaProfileZ> profiles;
    float minX = velaNaN;
    float maxX = velaNaN;
    float minY = velaNaN;
    float maxY = velaNaN;
    float minZ = velaNaN;
    float maxZ = velaNaN;
    float zStep = velaNaN;
};

} // namespace VelaMath
