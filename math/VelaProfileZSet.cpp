#include "VelaProfileZSet.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace VelaMath {

namespace {

// A defined value replaces a NaN bound or a less extreme one.
void lowerTo(float& bound, float v)
{
    if (!std::isnan(v) && (std::isnan(bound) || v < bound))
        bound = v;
}

void raiseTo(float& bound, float v)
{
    if (!std::isnan(v) && (std::isnan(bound) || v > bound))
        bound = v;
}

} // namespace

int VelaProfileZSet::readFromFile(const QString& path)
{
    profiles.clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (;;) {
        // Read straight into a new element: the profiles are not copied.
        const int count = profiles.emplaceBack().readFromFile(f);
        if (count > 0)
            continue;
        profiles.removeLast();
        if (count < 0)
            break;
    }
    return size();
}

int VelaProfileZSet::readFromFile(const QString& path, float z0, float step)
{
    profiles.clear();
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) {
        VelaProfile record;
        for (float z = z0;; z += step) {
            const int count = record.readFromFile(f);
            if (count < 0)
                break;
            if (count > 0)
                profiles.emplaceBack(z).points = record.points;
        }
    }
    zStep = step;
    return size();
}

bool VelaProfileZSet::writeToFile(const QString& path) const
{
    // A profile that no record can hold is known before the file is touched.
    const auto fits = [](const VelaProfileZ& p) { return p.fitsRecord(); };
    if (!std::all_of(profiles.cbegin(), profiles.cend(), fits))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Truncate))
        return false;
    for (const VelaProfileZ& p : profiles) {
        if (!p.writeToFile(f))
            return false;
    }
    return f.flush();
}

void VelaProfileZSet::setZ(float z0, float step)
{
    for (int i = 0; i < size(); ++i)
        profiles[i].z = float(double(i) * step + z0);
    zStep = step;
}

int VelaProfileZSet::getRange(float zMin, float zMax, VelaProfileZSet& out) const
{
    // Collected apart first, so that `out` may be this set.
    QList<VelaProfileZ> inside;
    for (const VelaProfileZ& p : profiles) {
        if (zMin <= p.z && p.z <= zMax)
            inside.append(p);
    }
    out.profiles = inside;
    return out.size();
}

void VelaProfileZSet::calcRange()
{
    if (isEmpty())
        return;
    minX = maxX = minY = maxY = velaNaN;
    for (const VelaProfileZ& p : profiles) {
        float pMinX, pMinY, pMaxX, pMaxY;
        if (!p.calcRange(&pMinX, &pMinY, &pMaxX, &pMaxY, nullptr))
            continue;
        lowerTo(minX, pMinX);
        raiseTo(maxX, pMaxX);
        lowerTo(minY, pMinY);
        raiseTo(maxY, pMaxY);
    }
    if (!std::isnan(profiles.first().z))
        minZ = profiles.first().z;
    if (!std::isnan(profiles.last().z))
        maxZ = profiles.last().z;
}

float VelaProfileZSet::calcAverageY() const
{
    if (isEmpty())
        return 0.0f;
    float sum = 0.0f;
    for (const VelaProfileZ& p : profiles)
        sum += p.calcAverageY();
    return sum / float(size());
}

int VelaProfileZSet::toPointCloud(VelaPointCloud<VelaPointXYZ>& cloud, int first, int last) const
{
    cloud.clear();
    if (first < 0 || last >= size() || first > last)
        return 0;
    qsizetype total = 0;
    for (int i = first; i <= last; ++i)
        total += profiles[i].points.size();
    cloud.points.reserve(total);
    for (int i = first; i <= last; ++i) {
        const float z = profiles[i].z;
        for (const VelaPointXY& p : profiles[i].points)
            cloud.points.append(VelaPointXYZ(p.x, p.y, z));
    }
    return cloud.size();
}

int VelaProfileZSet::toPointCloud(VelaPointCloud<VelaPointXYZ>& cloud) const
{
    return toPointCloud(cloud, 0, size() - 1);
}

} // namespace VelaMath
