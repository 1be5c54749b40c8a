#include "VelaInterpolant.h"

#include <algorithm>
#include <cmath>

namespace VelaMath {

namespace {

// True when the stable ascending sort would not move any point.
bool isAscending(const QList<VelaPointXY>& points)
{
    for (qsizetype i = 1; i < points.size(); ++i) {
        if (points[i - 1].x > points[i].x)
            return false;
    }
    return true;
}

} // namespace

VelaInterpolant::VelaInterpolant(const VelaPointCloud<VelaPointXY>& cloud, _VelaInterpolantType_ type)
{
    buildFromPointCloud(cloud, type);
}

void VelaInterpolant::clear()
{
    // The buffers keep their capacity: the live spline filter rebuilds the
    // curve for every profile.
    m_knots.clear();
    m_coefficients.clear();
    m_count = 0;
    m_type = -1;
    m_orderedKnots = false;
}

int VelaInterpolant::buildFromPointCloud(const VelaPointCloud<VelaPointXY>& cloud, _VelaInterpolantType_ type)
{
    if (int(type) == -1)
        return 0;
    clear();
    if (type != InterpolantAkima)
        return 0;
    if (isAscending(cloud.points))
        return buildAkimaSpline(cloud.points);
    VelaPointCloud<VelaPointXY> sorted;
    sorted.points = cloud.points;
    sorted.sort(SortAscending, SortAscending);
    return buildAkimaSpline(sorted.points);
}

float VelaInterpolant::diff3p(float x, float x0, float y0, float x1, float y1, float x2, float y2)
{
    const float d1 = x1 - x0;
    const float d2 = x2 - x0;
    const float a = ((y2 - y0) - d2 / d1 * (y1 - y0)) / (d2 * d2 - d2 * d1);
    const float b = ((y1 - y0) - a * d1 * d1) / d1;
    return b + 2 * a * (x - x0);
}

int VelaInterpolant::buildAkimaSpline(const QList<VelaPointXY>& sorted)
{
    // Sensors report undefined points where they see no line. At the ends such points would
    // leave the curve without a first or last knot, so it runs from the first to the last
    // defined point.
    const VelaPointXY* p = sorted.constData();
    const VelaPointXY* end = p + sorted.size();
    while (p != end && p->isNull())
        ++p;
    while (end != p && end[-1].isNull())
        --end;
    const int n = int(end - p);
    if (n < 3)
        return 0;

    // Slopes m and weights w live only during the build; the tangents go
    // straight into the c1 slots.
    thread_local std::vector<float> m;
    thread_local std::vector<float> w;
    m.resize(n);
    w.resize(n);
    m_knots.resize(n);
    m_coefficients.resize(4 * std::size_t(n));
    auto t = [this](int i) -> float& { return m_coefficients[4 * std::size_t(i) + 1]; };

    for (int i = 0; i < n - 1; ++i)
        m[i] = (p[i + 1].y - p[i].y) / (p[i + 1].x - p[i].x);
    m[n - 1] = m[n - 2];
    w[0] = 0;
    for (int i = 1; i < n; ++i)
        w[i] = std::fabs(m[i] - m[i - 1]);

    // Interior knots; the two knots at each end are fitted to a parabola below.
    for (int i = 2; i <= n - 3; ++i) {
        if (std::fabs(w[i - 1]) + std::fabs(w[i + 1]) != 0) {
            t(i) = (m[i - 1] * w[i + 1] + m[i] * w[i - 1]) / (w[i + 1] + w[i - 1]);
        } else {
            t(i) = ((p[i + 1].x - p[i].x) * m[i - 1] + (p[i].x - p[i - 1].x) * m[i])
                / (p[i + 1].x - p[i - 1].x);
        }
    }
    t(0) = diff3p(p[0].x, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
    t(1) = diff3p(p[1].x, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
    const VelaPointXY& a = p[n - 3];
    const VelaPointXY& b = p[n - 2];
    const VelaPointXY& c = p[n - 1];
    t(n - 2) = diff3p(b.x, a.x, a.y, b.x, b.y, c.x, c.y);
    t(n - 1) = diff3p(c.x, a.x, a.y, b.x, b.y, c.x, c.y);

    for (int i = 0; i < n; ++i) {
        float* coeff = &m_coefficients[4 * std::size_t(i)];
        m_knots[i] = p[i].x;
        coeff[0] = p[i].y;
        if (i == n - 1) {
            // The last knot starts no segment.
            coeff[2] = 0;
            coeff[3] = 0;
            break;
        }
        const float h = p[i + 1].x - p[i].x;
        const float dy = p[i + 1].y - p[i].y;
        const float t0 = t(i);
        const float t1 = t(i + 1);
        coeff[2] = (3 * dy - 2 * t0 * h - t1 * h) / (h * h);
        coeff[3] = (t0 * h + t1 * h - 2 * dy) / (h * h * h);
    }
    m_count = n;
    m_type = InterpolantAkima;
    // The sort leaves a NaN x where it was; without one the knots ascend.
    m_orderedKnots = std::none_of(m_knots.begin(), m_knots.end(), [](float x) { return std::isnan(x); });
    return n;
}

bool VelaInterpolant::covers(float x) const
{
    return m_type == InterpolantAkima && m_count > 0 && x >= m_knots[0] && x <= m_knots[m_count - 1];
}

int VelaInterpolant::bisect(float x) const
{
    int lo = 0;
    int hi = m_count;
    while (lo != hi - 1) {
        const int mid = (lo + hi) / 2;
        if (m_knots[mid] >= x)
            hi = mid;
        else
            lo = mid;
    }
    return lo;
}

float VelaInterpolant::evaluate(int segment, float x) const
{
    const float* c = &m_coefficients[4 * std::size_t(segment)];
    const float u = x - m_knots[segment];
    return ((c[3] * u + c[2]) * u + c[1]) * u + c[0];
}

float VelaInterpolant::calcY(float x) const
{
    return covers(x) ? evaluate(bisect(x), x) : velaNaN;
}

int VelaInterpolant::generatePointCloud(VelaPointCloud<VelaPointXY>& out, float step, float from, float to) const
{
    if (!(step > 0) || m_count < 1)
        return 0;
    // The first and the last knot are always defined points.
    const float first = m_knots[0];
    const float last = m_knots[m_count - 1];
    const float start = std::isnan(from) ? first : std::max(from, first);
    const float end = std::isnan(to) ? last : std::min(to, last);
    if (!out.isEmpty())
        out.clear();
    int segment = 0;
    for (float x = start;;) {
        if (covers(x)) {
            // x only grows, so over ordered knots its segment only moves forward: walking
            // finds the segment the bisection would, without a search per sample.
            if (m_orderedKnots) {
                while (segment < m_count - 2 && m_knots[segment + 1] < x)
                    ++segment;
            } else {
                segment = bisect(x);
            }
            const float y = evaluate(segment, x);
            if (!std::isnan(y))
                out.points.append(VelaPointXY(x, y));
        }
        const float next = x + step;
        // A step below the resolution of x would never reach the end.
        if (next >= end || next == x)
            break;
        x = next;
    }
    return out.size();
}

int VelaInterpolant::generatePointCloudH(VelaPointCloud<VelaPointXY>&, float, float, float, float) const
{
    return 0;
}

} // namespace VelaMath
