#pragma once

#include "VelaPointCloud.h"
#include "velamath_global.h"

#include <vector>

namespace VelaMath {

// Heights on a regular grid: row r, column c holds the height measured at
// x = c * step, z = r * step; NaN marks a node without a value.
//
// The cells are owned by value, so copies are independent deep copies and
// every object frees only its own storage.
class VELAMATH_EXPORT VelaMatrixCloud
{
public:
    VelaMatrixCloud();

    void clear();

    // The six parameters describe the scanned volume the grid was taken from
    // (x range, y range, z range, in this order). They are stored as given
    // for the caller and read by no operation here. False for a negative size,
    // for more than INT_MAX cells and when the cells cannot be allocated.
    bool initMatrix(int width, int height, float step,
                    float minX, float maxX, float minY, float maxY, float minZ, float maxZ);

    int width() const { return m_width; }
    int height() const { return m_height; }
    float step() const { return m_step; }
    float minX() const { return m_params[0]; }
    float maxX() const { return m_params[1]; }
    float minY() const { return m_params[2]; }
    float maxY() const { return m_params[3]; }
    float minZ() const { return m_params[4]; }
    float maxZ() const { return m_params[5]; }

    // Row access for filling and reading the grid; r must be in [0, height).
    float* row(int r) { return m_cells.data() + std::size_t(r) * std::size_t(m_width); }
    const float* row(int r) const { return m_cells.data() + std::size_t(r) * std::size_t(m_width); }
    // NaN outside the grid; setCell ignores positions outside the grid.
    float cell(int r, int c) const;
    void setCell(int r, int c, float v);

    int size() const;
    int trim(int c0, int c1, float vMin, float vMax, int r0, int r1);
    int trim(int c0, int c1, int r0, int r1);
    void reflect();
    int toPointCloud(VelaPointCloud<VelaPointXYZ>& out) const;
    int extractToPointCloud(VelaPointCloud<VelaPointXYZ>& out, int c0, int r0, int w, int h, bool remove);

    // Clears the spikes a scan picks up where it enters or leaves the object.
    // Per column, the middle rows [height / 5, height - height / 5) give the
    // column's height range [lo, hi]; a value in the first or the last
    // height / 5 rows is cleared when it lies further than (hi - lo) outside
    // that range. A surface that goes on rising or falling into the edge rows
    // stays, a lone jump does not. Columns whose middle holds no value, and
    // grids of fewer than 5 rows, are left as they are.
    // Returns the number of cells cleared.
    int clearEdgeEffect();

private:
    bool hasCell(int r, int c) const { return r >= 0 && r < m_height && c >= 0 && c < m_width; }
    void appendCell(VelaPointCloud<VelaPointXYZ>& out, int r, int c, float v) const;

    std::vector<float> m_cells;
    int m_width = -1;
    int m_height = -1;
    float m_step;
    float m_params[6];
};

} // namespace VelaMath
