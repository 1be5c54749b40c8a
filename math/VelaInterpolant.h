#pragma once

#include "VelaInterpolantType.h"
#include "VelaPointCloud.h"
#include "velamath_global.h"

#include <vector>

namespace VelaMath {

// A curve through the points of a 2-D cloud, evaluated by x. The only kind is
// the Akima spline: piecewise cubics whose knot tangents follow the local
// slopes, so a single outlier does not make the curve ring.
//
// Knots and coefficients are held by value: copies are independent.
class VELAMATH_EXPORT VelaInterpolant
{
public:
    VelaInterpolant() = default;
    VelaInterpolant(const VelaPointCloud<VelaPointXY>& cloud, _VelaInterpolantType_ type);

    void clear();

    // Builds the curve through the cloud's points taken in ascending x, from the first to the
    // last defined point. Returns 0 when nothing was built (unknown type, fewer than 3 points).
    int buildFromPointCloud(const VelaPointCloud<VelaPointXY>& cloud, _VelaInterpolantType_ type);

    // The curve's value at x; NaN outside the knots or when nothing is built.
    float calcY(float x) const;

    // Samples the curve from max(from, first knot) in steps of `step` while x
    // stays below min(to, last knot); NaN limits mean the knots. The samples
    // replace the points of `out`. Returns the number of points in `out`.
    int generatePointCloud(VelaPointCloud<VelaPointXY>& out, float step, float from, float to) const;
    // Kept for the exported interface: samples nothing and returns 0.
    int generatePointCloudH(VelaPointCloud<VelaPointXY>& out, float, float, float, float) const;

    int count() const { return m_count; }
    int type() const { return m_type; }

private:
    int buildAkimaSpline(const QList<VelaPointXY>& sorted);
    bool covers(float x) const;
    int bisect(float x) const;
    float evaluate(int segment, float x) const;
    static float diff3p(float x, float x0, float y0, float x1, float y1, float x2, float y2);

    std::vector<float> m_knots;
    std::vector<float> m_coefficients; // c0, c1, c2, c3 of the cubic starting at each knot
    int m_count = 0;
    int m_type = -1;
    bool m_orderedKnots = false;
};

} // namespace VelaMath
