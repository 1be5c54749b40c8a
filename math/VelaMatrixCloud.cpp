#include "VelaMatrixCloud.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace VelaMath {

VelaMatrixCloud::VelaMatrixCloud()
    : m_step(velaNaN)
{
    std::fill(std::begin(m_params), std::end(m_params), velaNaN);
}

void VelaMatrixCloud::clear()
{
    std::vector<float>().swap(m_cells);
    m_width = -1;
    m_height = -1;
    m_step = velaNaN;
}

bool VelaMatrixCloud::initMatrix(int width, int height, float step,
                                 float minX, float maxX, float minY, float maxY, float minZ, float maxZ)
{
    clear();
    // Every count this class answers is an int, so a grid holds at most INT_MAX cells.
    if (width < 0 || height < 0 || qint64(width) * height > std::numeric_limits<int>::max())
        return false;
    try {
        // Unwritten cells read as "no value" rather than as garbage.
        m_cells.assign(std::size_t(width) * std::size_t(height), velaNaN);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    m_width = width;
    m_height = height;
    m_step = step;
    const float params[6] = {minX, maxX, minY, maxY, minZ, maxZ};
    std::copy(std::begin(params), std::end(params), std::begin(m_params));
    return true;
}

float VelaMatrixCloud::cell(int r, int c) const
{
    return hasCell(r, c) ? row(r)[c] : velaNaN;
}

void VelaMatrixCloud::setCell(int r, int c, float v)
{
    if (hasCell(r, c))
        row(r)[c] = v;
}

int VelaMatrixCloud::size() const
{
    if (m_height < 1)
        return 0;
    return int(std::count_if(m_cells.begin(), m_cells.end(), [](float v) { return !std::isnan(v); }));
}

int VelaMatrixCloud::trim(int c0, int c1, float vMin, float vMax, int r0, int r1)
{
    if (m_height < 1)
        return 0;
    int cleared = 0;
    for (int r = 0; r < m_height; ++r) {
        const bool rowInside = (r0 <= 0 || r >= r0) && (r1 <= 0 || r <= r1);
        float* cells = row(r);
        for (int c = 0; c < m_width; ++c) {
            const float v = cells[c];
            if (std::isnan(v))
                continue;
            const bool stays = rowInside
                && (c0 <= 0 || c >= c0) && (c1 <= 0 || c <= c1)
                && (std::isnan(vMin) || v >= vMin) && (std::isnan(vMax) || v <= vMax);
            if (!stays) {
                cells[c] = velaNaN;
                ++cleared;
            }
        }
    }
    return cleared;
}

int VelaMatrixCloud::trim(int c0, int c1, int r0, int r1)
{
    // Only the part of the window that lies on the grid is written and counted.
    const int rFirst = std::max(r0, 0);
    const int rLast = std::min(r1, m_height - 1);
    const int cFirst = std::max(c0, 0);
    const int cLast = std::min(c1, m_width - 1);
    if (rFirst > rLast || cFirst > cLast)
        return 0;
    for (int r = rFirst; r <= rLast; ++r)
        std::fill(row(r) + cFirst, row(r) + cLast + 1, velaNaN);
    return int(qint64(rLast - rFirst + 1) * (cLast - cFirst + 1));
}

void VelaMatrixCloud::reflect()
{
    for (float& v : m_cells) {
        if (!std::isnan(v))
            v = -v;
    }
}

void VelaMatrixCloud::appendCell(VelaPointCloud<VelaPointXYZ>& out, int r, int c, float v) const
{
    out.points.append(VelaPointXYZ(float(double(c) * m_step), v, float(double(r) * m_step)));
}

int VelaMatrixCloud::toPointCloud(VelaPointCloud<VelaPointXYZ>& out) const
{
    if (!out.isEmpty())
        out.clear();
    for (int r = 0; r < m_height; ++r) {
        const float* cells = row(r);
        for (int c = 0; c < m_width; ++c) {
            if (!std::isnan(cells[c]))
                appendCell(out, r, c, cells[c]);
        }
    }
    return out.size();
}

int VelaMatrixCloud::extractToPointCloud(VelaPointCloud<VelaPointXYZ>& out, int c0, int r0, int w, int h, bool remove)
{
    if (w <= 0 || h <= 0)
        return out.size();
    // The window is clipped to the grid; the caller's window may reach past it.
    const int rFirst = std::max(r0, 0);
    const int rEnd = int(std::min<qint64>(qint64(r0) + h, m_height));
    const int cFirst = std::max(c0, 0);
    const int cEnd = int(std::min<qint64>(qint64(c0) + w, m_width));
    for (int r = rFirst; r < rEnd; ++r) {
        float* cells = row(r);
        for (int c = cFirst; c < cEnd; ++c) {
            if (std::isnan(cells[c]))
                continue;
            appendCell(out, r, c, cells[c]);
            if (remove)
                cells[c] = velaNaN;
        }
    }
    return out.size();
}

int VelaMatrixCloud::clearEdgeEffect()
{
    const int edge = m_height / 5;
    if (edge < 1)
        return 0;
    int cleared = 0;
    for (int c = 0; c < m_width; ++c) {
        float lo = velaNaN;
        float hi = velaNaN;
        for (int r = edge; r < m_height - edge; ++r) {
            const float v = row(r)[c];
            if (std::isnan(v))
                continue;
            if (std::isnan(lo) || v < lo)
                lo = v;
            if (std::isnan(hi) || v > hi)
                hi = v;
        }
        if (std::isnan(lo))
            continue;
        const float span = hi - lo;
        const float lower = lo - span;
        const float upper = hi + span;
        auto clearOutliers = [&](int rFirst, int rEnd) {
            for (int r = rFirst; r < rEnd; ++r) {
                float& v = row(r)[c];
                if (v < lower || v > upper) {
                    v = velaNaN;
                    ++cleared;
                }
            }
        };
        clearOutliers(0, edge);
        clearOutliers(m_height - edge, m_height);
    }
    return cleared;
}

} // namespace VelaMath
