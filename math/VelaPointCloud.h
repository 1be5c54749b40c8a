#pragma once

#include "VelaPoint.h"
#include "VelaPointTraits.h"
#include "VelaPolar.h"
#include "VelaRecordReader.h"

#include <QFile>
#include <QList>
#include <QMap>
#include <QString>

#include <algorithm>
#include <climits>
#include <cmath>
#include <type_traits>
#include <vector>

namespace VelaMath {

// Every value other than SortAscending sorts descending where an order is applied; the fixed
// underlying type makes any int a valid order.
enum VelaSortOrder : int { SortNone = 0, SortAscending = 1, SortDescending = 2 };

// A cloud of VelaPointXY, VelaPointXYZ or VelaPointXYZRGB, stored by value in one contiguous
// list. The range fields are only touched by the operations that say so; run calcRange()
// when a fresh range is needed. Members marked "3-D" exist for the two 3-D point types only
// (using them on a 2-D cloud does not compile).
template<class T>
class VelaPointCloud
{
    using Traits = VelaPointTraits<T>;
    static constexpr bool hasZ = Traits::hasZ;

public:
    VelaPointCloud();
    VelaPointCloud(const VelaPointCloud& other);
    VelaPointCloud& operator=(const VelaPointCloud& other);
    ~VelaPointCloud() = default;

    // Points and the six range fields; zIndex is not copied and zIndexValid becomes 0.
    void copyFromPointCloud(const VelaPointCloud& other);
    // Appends the points and merges the range (a NaN bound on either side stays / is ignored).
    void appendFromPointCloud(const VelaPointCloud& other);
    VelaPointCloud& operator+=(const VelaPointCloud& other);
    // Removes the points and sets the range to NaN; zIndex and zIndexValid stay.
    void clear();

    int size() const { return int(points.size()); }
    bool isEmpty() const { return size() < 1; }
    float size_x() const { return extent(minX, maxX); }
    float size_y() const { return extent(minY, maxY); }
    float size_z() const { return extent(minZ, maxZ); }

    void calcRange();

    float calcAverageY() const;
    bool calcCenterPoint(T& out);
    bool caclCenterMassPoint(T& out) const;
    int getIndexX(float v) const;
    int getIndexY(float v) const;
    int getIndexZ(float v) const; // 3-D

    // A NaN bound is no bound; a NaN coordinate fails every defined bound on its axis.
    int getRangeIndeces(QList<int>& out, float minX, float maxX, float minY, float maxY) const; // 2-D
    int getRangeIndeces(QList<int>& out, float minX, float maxX, float minY, float maxY,
                        float minZ, float maxZ) const; // 3-D
    int getRangeIndeces(QList<int>& out, VelaPointXYZ centre, float diameter) const; // VelaPointXYZ only

    // Sorts `indices` ascending in place, then removes from the last entry to the first.
    int removeIndeces(QList<int>& indices);
    void shift(float dx, float dy, float dz);
    void resize(float sx, float sy, float sz); // 2-D
    void sort(VelaSortOrder xOrder, VelaSortOrder zOrder);
    // Maps each distinct z to a boundary index of its run. A NaN z cannot key the map and is
    // passed over.
    void buildZIndex(); // 3-D

    void rotateXY(float a); // 3-D
    void rotateXZ(float a); // 3-D
    void rotateYZ(float a); // 3-D
    void rotate(float aXY, float aXZ, float aYZ); // 3-D
    int trim(float minX, float maxX, float minY, float maxY, float minZ, float maxZ); // 3-D
    int removePointsByYLevel(float level, bool above); // 3-D

    // Binary cloud record: marker byte, point count, little-endian float records. A 2-D cloud
    // of more than 65535 points does not fit its 16-bit count: false, and nothing is written
    // (the path form leaves an existing file as it was).
    bool writeToFile(QFile& f) const;
    bool writeToFile(const QString& path) const;
    // -1 on any failure, with the file rewound to where the read began; the complete points
    // read before a short record stay. The count is never trusted for an allocation.
    int readFromFile(QFile& f);
    int readFromFile(const QString& path);
    // Bare 16-byte records x, y, z, 0.0 without marker or count.
    bool compat_writeToXYZFile(const QString& path) const; // VelaPointXYZ only

    QList<T> points;
    float minX, maxX, minY, maxY, minZ, maxZ;
    QMap<float, int> zIndex;
    int zIndexValid;

protected:
    void updateRange(const T& p);
    // Removes every point for which keep(p) is false, keeping the order of the rest.
    template<class Keep> int keepOnly(Keep keep);
    static bool readMarker(QFile& f, quint8 marker);
    static bool writeMarker(QFile& f, quint8 marker);

private:
    static float extent(float lo, float hi)
    {
        return std::isnan(lo) || std::isnan(hi) ? velaNaN : hi - lo;
    }
    static bool inBounds(float v, float lo, float hi)
    {
        return (std::isnan(lo) || v >= lo) && (std::isnan(hi) || v <= hi);
    }
    template<class Match> int collectIndices(QList<int>& out, Match match) const;
    template<class Key> int findFirst(Key key, float v) const;
    template<int RecordBytes, class Store> bool writeRecords(QIODevice& f, Store store) const;
    // The count field must hold the real count, or no reader could read the record back.
    bool fitsCountField() const
    {
        constexpr qint64 maxCount = Traits::countBytes == 2 ? 0xFFFF : 0xFFFFFFFF;
        return points.size() <= maxCount;
    }
};

namespace VelaPointCloudDetail {

// Stable sort of [first, last) by key; sorted and strictly reversed input (the usual case
// for scan lines) is settled in linear time without allocating.
template<class T, class Key>
void sortStable(T* first, T* last, Key key, bool ascending)
{
    const auto before = [&](const T& a, const T& b) {
        return ascending ? key(a) < key(b) : key(b) < key(a);
    };
    if (std::is_sorted(first, last, before))
        return;
    const auto notStrictlyReversed = [&](const T& a, const T& b) { return !before(b, a); };
    if (std::adjacent_find(first, last, notStrictlyReversed) == last) {
        std::reverse(first, last);
        return;
    }
    std::stable_sort(first, last, before);
}

// The defined sort never exchanges a pair involving a NaN key, so NaN points stay where they
// are and split the list into stretches that are sorted independently.
template<class T, class Key>
void sortAroundNaN(T* first, T* last, Key key, bool ascending)
{
    T* stretch = first;
    for (T* p = first; p != last; ++p) {
        if (std::isnan(key(*p))) {
            sortStable(stretch, p, key, ascending);
            stretch = p + 1;
        }
    }
    sortStable(stretch, last, key, ascending);
}

inline void widen(float v, float& lo, float& hi)
{
    if (std::isnan(lo) || v < lo)
        lo = v;
    if (std::isnan(hi) || v > hi)
        hi = v;
}

} // namespace VelaPointCloudDetail

template<class T>
VelaPointCloud<T>::VelaPointCloud()
{
    clear();
    zIndexValid = 0;
}

template<class T>
VelaPointCloud<T>::VelaPointCloud(const VelaPointCloud& other) : VelaPointCloud()
{
    copyFromPointCloud(other);
}

template<class T>
VelaPointCloud<T>& VelaPointCloud<T>::operator=(const VelaPointCloud& other)
{
    copyFromPointCloud(other);
    return *this;
}

template<class T>
void VelaPointCloud<T>::copyFromPointCloud(const VelaPointCloud& other)
{
    points = other.points; // also safe for self-assignment
    minX = other.minX;
    maxX = other.maxX;
    minY = other.minY;
    maxY = other.maxY;
    minZ = other.minZ;
    maxZ = other.maxZ;
    zIndexValid = 0;
}

template<class T>
void VelaPointCloud<T>::appendFromPointCloud(const VelaPointCloud& other)
{
    points.append(other.points);
    // Comparisons with NaN are false: a NaN bound here stays, a NaN bound there is ignored.
    if (minX > other.minX) minX = other.minX;
    if (minY > other.minY) minY = other.minY;
    if (minZ > other.minZ) minZ = other.minZ;
    if (maxX < other.maxX) maxX = other.maxX;
    if (maxY < other.maxY) maxY = other.maxY;
    if (maxZ < other.maxZ) maxZ = other.maxZ;
    zIndexValid = 0;
}

template<class T>
VelaPointCloud<T>& VelaPointCloud<T>::operator+=(const VelaPointCloud& other)
{
    appendFromPointCloud(other);
    return *this;
}

template<class T>
void VelaPointCloud<T>::clear()
{
    points.clear();
    minX = maxX = minY = maxY = minZ = maxZ = velaNaN;
}

template<class T>
void VelaPointCloud<T>::updateRange(const T& p)
{
    VelaPointCloudDetail::widen(p.x, minX, maxX);
    VelaPointCloudDetail::widen(p.y, minY, maxY);
    if constexpr (hasZ)
        VelaPointCloudDetail::widen(p.z, minZ, maxZ);
}

template<class T>
void VelaPointCloud<T>::calcRange()
{
    minX = maxX = minY = maxY = minZ = maxZ = velaNaN;
    for (const T& p : points)
        updateRange(p);
}

template<class T>
float VelaPointCloud<T>::calcAverageY() const
{
    if (isEmpty())
        return 0.0f;
    float sum = 0.0f;
    for (const T& p : points)
        sum += p.y;
    return sum / float(size());
}

template<class T>
bool VelaPointCloud<T>::calcCenterPoint(T& out)
{
    if (isEmpty())
        return false;
    if (std::isnan(size_x()) || std::isnan(size_y()))
        calcRange();
    out.x = (minX + maxX) * 0.5f;
    out.y = (minY + maxY) * 0.5f;
    if constexpr (hasZ)
        out.z = (minZ + maxZ) * 0.5f;
    return true;
}

template<class T>
bool VelaPointCloud<T>::caclCenterMassPoint(T& out) const
{
    if (isEmpty())
        return false;
    float sx = 0.0f, sy = 0.0f, sz = 0.0f;
    for (const T& p : points) {
        sx += p.x;
        sy += p.y;
        if constexpr (hasZ)
            sz += p.z;
    }
    const float n = float(size());
    out.x = sx / n;
    out.y = sy / n;
    if constexpr (hasZ)
        out.z = sz / n;
    return true;
}

template<class T>
template<class Key>
int VelaPointCloud<T>::findFirst(Key key, float v) const
{
    for (int i = 0; i < size(); ++i) {
        if (key(points[i]) == v)
            return i;
    }
    return -1;
}

template<class T>
int VelaPointCloud<T>::getIndexX(float v) const
{
    return findFirst([](const T& p) { return p.x; }, v);
}

template<class T>
int VelaPointCloud<T>::getIndexY(float v) const
{
    return findFirst([](const T& p) { return p.y; }, v);
}

template<class T>
int VelaPointCloud<T>::getIndexZ(float v) const
{
    static_assert(hasZ, "getIndexZ needs a 3-D cloud");
    return findFirst([](const T& p) { return p.z; }, v);
}

template<class T>
template<class Match>
int VelaPointCloud<T>::collectIndices(QList<int>& out, Match match) const
{
    out.clear();
    for (int i = 0; i < size(); ++i) {
        if (match(points[i]))
            out.append(i);
    }
    return int(out.size());
}

template<class T>
int VelaPointCloud<T>::getRangeIndeces(QList<int>& out, float minX, float maxX, float minY,
                                       float maxY) const
{
    static_assert(!hasZ, "a 3-D cloud takes z bounds too");
    return collectIndices(out, [&](const T& p) {
        return inBounds(p.x, minX, maxX) && inBounds(p.y, minY, maxY);
    });
}

template<class T>
int VelaPointCloud<T>::getRangeIndeces(QList<int>& out, float minX, float maxX, float minY,
                                       float maxY, float minZ, float maxZ) const
{
    static_assert(hasZ, "z bounds need a 3-D cloud");
    return collectIndices(out, [&](const T& p) {
        return inBounds(p.x, minX, maxX) && inBounds(p.y, minY, maxY) && inBounds(p.z, minZ, maxZ);
    });
}

template<class T>
int VelaPointCloud<T>::getRangeIndeces(QList<int>& out, VelaPointXYZ centre, float diameter) const
{
    static_assert(std::is_same_v<T, VelaPointXYZ>, "a sphere query needs a VelaPointXYZ cloud");
    const float radius = diameter * 0.5f;
    return collectIndices(out, [&](const T& p) { return p.calcDistance(centre) <= radius; });
}

template<class T>
int VelaPointCloud<T>::removeIndeces(QList<int>& indices)
{
    if (indices.isEmpty())
        return 0;
    std::sort(indices.begin(), indices.end());

    // Walking the entries from the largest down, every removal so far lies at or after the
    // current entry's original position, so current index i is the first surviving original
    // position >= i. `next` finds that survivor (union-find with path halving), which turns
    // the repeated removeAt of the definition into one linear compaction.
    const int n = size();
    std::vector<int> next;
    int removed = 0;
    int counted = 0;
    for (auto it = indices.crbegin(); it != indices.crend(); ++it) {
        const int i = *it;
        if (i >= n - removed)
            continue;
        ++counted;
        if (i < 0)
            continue;
        if (next.empty()) {
            next.resize(size_t(n) + 1);
            for (int k = 0; k <= n; ++k)
                next[size_t(k)] = k;
        }
        int j = i;
        while (next[size_t(j)] != j) {
            next[size_t(j)] = next[size_t(next[size_t(j)])];
            j = next[size_t(j)];
        }
        next[size_t(j)] = j + 1;
        ++removed;
    }
    if (removed > 0) {
        T* data = points.data();
        int kept = 0;
        for (int k = 0; k < n; ++k) {
            if (next[size_t(k)] == k)
                data[kept++] = data[k];
        }
        points.resize(kept);
    }
    if constexpr (hasZ) {
        if (counted > 0)
            zIndexValid = 0;
    }
    return counted;
}

template<class T>
void VelaPointCloud<T>::shift(float dx, float dy, [[maybe_unused]] float dz)
{
    // A NaN offset counts as non-zero and is applied.
    for (T& p : points) {
        if (dx != 0.0f)
            p.x += dx;
        if (dy != 0.0f)
            p.y += dy;
        if constexpr (hasZ) {
            if (dz != 0.0f)
                p.z += dz;
        }
    }
}

template<class T>
void VelaPointCloud<T>::resize(float sx, float sy, float)
{
    static_assert(!hasZ, "resize is a 2-D cloud operation");
    for (T& p : points) {
        if (sx != 1.0f)
            p.x *= sx;
        if (sy != 1.0f)
            p.y *= sy;
    }
}

template<class T>
void VelaPointCloud<T>::sort(VelaSortOrder xOrder, [[maybe_unused]] VelaSortOrder zOrder)
{
    using VelaPointCloudDetail::sortAroundNaN;
    const auto byX = [](const T& p) { return p.x; };
    T* first = points.data();
    T* last = first + points.size();
    if constexpr (!hasZ) {
        sortAroundNaN(first, last, byX, xOrder == SortAscending);
    } else {
        if (zOrder == SortNone) {
            sortAroundNaN(first, last, byX, xOrder == SortAscending);
            return;
        }
        sortAroundNaN(first, last, [](const T& p) { return p.z; }, zOrder == SortAscending);
        buildZIndex();
        if (xOrder == SortNone)
            return;
        // x order within each run of equal z
        for (T* run = first; run != last;) {
            T* end = run + 1;
            while (end != last && end->z == run->z)
                ++end;
            sortAroundNaN(run, end, byX, xOrder == SortAscending);
            run = end;
        }
    }
}

template<class T>
void VelaPointCloud<T>::buildZIndex()
{
    static_assert(hasZ, "buildZIndex needs a 3-D cloud");
    zIndex.clear();
    bool entered = false;
    float last = velaNaN;
    for (int i = 0; i < size(); ++i) {
        const float z = points[i].z;
        if (std::isnan(z))
            continue;
        if (!entered || z != last) {
            zIndex.insert(z, i == 0 ? 0 : i - 1);
            last = z;
            entered = true;
        }
    }
    zIndexValid = 1;
}

template<class T>
void VelaPointCloud<T>::rotateXY(float a)
{
    static_assert(hasZ, "rotateXY is a 3-D cloud operation; profiles use rotateEvklid");
    for (T& p : points)
        velaRotatePolarMethod(p.x, p.y, a);
}

template<class T>
void VelaPointCloud<T>::rotateXZ(float a)
{
    static_assert(hasZ, "rotateXZ needs a 3-D cloud");
    for (T& p : points)
        velaRotatePolarMethod(p.x, p.z, a);
}

template<class T>
void VelaPointCloud<T>::rotateYZ(float a)
{
    static_assert(hasZ, "rotateYZ needs a 3-D cloud");
    for (T& p : points)
        velaRotatePolarMethod(p.y, p.z, a);
}

template<class T>
void VelaPointCloud<T>::rotate(float aXY, float aXZ, float aYZ)
{
    const auto applies = [](float a) { return !std::isnan(a) && a != 0.0f; };
    if (applies(aXY))
        rotateXY(aXY);
    if (applies(aXZ))
        rotateXZ(aXZ);
    if (applies(aYZ))
        rotateYZ(aYZ);
}

template<class T>
template<class Keep>
int VelaPointCloud<T>::keepOnly(Keep keep)
{
    // Stable compaction: the same result as removing from the last point to the first.
    const auto end = std::remove_if(points.begin(), points.end(),
                                    [&](const T& p) { return !keep(p); });
    const int removed = int(points.end() - end);
    points.erase(end, points.end());
    return removed;
}

template<class T>
int VelaPointCloud<T>::trim(float minX, float maxX, float minY, float maxY, float minZ, float maxZ)
{
    static_assert(hasZ, "a profile trims with VelaProfile::trim");
    // Comparisons with NaN are false: a NaN bound removes nothing, a NaN coordinate stays.
    const int removed = keepOnly([&](const T& p) {
        return !(p.x < minX || p.x > maxX || p.y < minY || p.y > maxY || p.z < minZ || p.z > maxZ);
    });
    const auto narrowMin = [](float bound, float& field) {
        if (std::isnan(bound))
            field = velaNaN;
        else if (bound > field)
            field = bound;
    };
    const auto narrowMax = [](float bound, float& field) {
        if (std::isnan(bound))
            field = velaNaN;
        else if (bound < field)
            field = bound;
    };
    narrowMin(minX, this->minX);
    narrowMax(maxX, this->maxX);
    narrowMin(minY, this->minY);
    narrowMax(maxY, this->maxY);
    narrowMin(minZ, this->minZ);
    narrowMax(maxZ, this->maxZ);
    zIndexValid = 0;
    return removed;
}

template<class T>
int VelaPointCloud<T>::removePointsByYLevel(float level, bool above)
{
    static_assert(hasZ, "removePointsByYLevel needs a 3-D cloud");
    if (above)
        return keepOnly([&](const T& p) { return !(p.y >= level); });
    return keepOnly([&](const T& p) { return !(p.y <= level); });
}

template<class T>
bool VelaPointCloud<T>::readMarker(QFile& f, quint8 marker)
{
    char byte = 0;
    return f.read(&byte, 1) == 1 && quint8(byte) == marker;
}

template<class T>
bool VelaPointCloud<T>::writeMarker(QFile& f, quint8 marker)
{
    const char byte = char(marker);
    return f.write(&byte, 1) > 0;
}

template<class T>
template<int RecordBytes, class Store>
bool VelaPointCloud<T>::writeRecords(QIODevice& f, Store store) const
{
    // Encoded through a small stack buffer: no allocation, few write calls.
    constexpr int chunkPoints = 512;
    uchar buffer[chunkPoints * RecordBytes];
    for (qsizetype first = 0; first < points.size(); first += chunkPoints) {
        const qsizetype count = std::min<qsizetype>(chunkPoints, points.size() - first);
        for (qsizetype i = 0; i < count; ++i)
            store(points[first + i], buffer + i * RecordBytes);
        const qint64 bytes = count * RecordBytes;
        if (f.write(reinterpret_cast<const char*>(buffer), bytes) != bytes)
            return false;
    }
    return true;
}

template<class T>
bool VelaPointCloud<T>::writeToFile(QFile& f) const
{
    if (!fitsCountField())
        return false;
    if (!writeMarker(f, Traits::marker))
        return false;
    uchar count[4];
    if constexpr (Traits::countBytes == 2)
        qToLittleEndian(quint16(points.size()), count);
    else
        qToLittleEndian(quint32(points.size()), count);
    if (f.write(reinterpret_cast<const char*>(count), Traits::countBytes) != Traits::countBytes)
        return false;
    return writeRecords<Traits::recordBytes>(f, &Traits::store);
}

template<class T>
bool VelaPointCloud<T>::writeToFile(const QString& path) const
{
    if (!fitsCountField())
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Truncate))
        return false;
    const bool written = writeToFile(f);
    return f.flush() && written; // a full disk shows only when the buffer is flushed
}

template<class T>
int VelaPointCloud<T>::readFromFile(QFile& f)
{
    const qint64 start = f.pos();
    clear();
    if constexpr (hasZ)
        zIndexValid = 0;
    VelaRecordReader reader(f);
    if (reader.nextRecord() && quint8(reader.header().kind) == Traits::marker
        && reader.header().count <= quint32(INT_MAX)) {
        const quint32 count = reader.header().count;
        // The count is untrusted: reserve no more than the rest of the file can hold.
        if (!f.isSequential())
            points.reserve(qsizetype(std::min<qint64>(count, (f.size() - f.pos()) / Traits::recordBytes)));
        const bool whole = velaReadRecordPoints<T>(reader, [this](const T& p) {
            points.append(p);
            updateRange(p);
        });
        if (whole)
            return int(count);
    }
    f.seek(start); // the complete points read so far stay
    return -1;
}

template<class T>
int VelaPointCloud<T>::readFromFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return readFromFile(f);
}

template<class T>
bool VelaPointCloud<T>::compat_writeToXYZFile(const QString& path) const
{
    static_assert(std::is_same_v<T, VelaPointXYZ>, "the compatibility form is for VelaPointXYZ");
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Truncate))
        return false;
    const bool written = writeRecords<16>(f, [](const T& p, uchar* dst) {
        Traits::store(p, dst);
        qToLittleEndian(0.0f, dst + 12);
    });
    return f.flush() && written;
}

} // namespace VelaMath
