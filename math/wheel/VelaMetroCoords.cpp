// Sensor-to-world conversion of profiles and the wheel circle through three extreme points.

#include "VelaMetro.h"
#include "VelaPolar.h"

#include <cmath>

namespace VelaMath {

namespace {

float sinF(float a)
{
    return float(std::sin(double(a)));
}

float cosF(float a)
{
    return float(std::cos(double(a)));
}

// Sines and cosines of the three mounting angles, each rounded to single precision.
struct Mounting
{
    explicit Mounting(float a, float b, float g)
        : sa(sinF(a)), ca(cosF(a)), sb(sinF(b)), cb(cosF(b)), sg(sinF(g)), cg(cosF(g))
    {
    }
    float sa, ca, sb, cb, sg, cg;
};

float toRadians(float degrees)
{
    return float(double(degrees) / 180.0 * double(velaPi));
}

// The rotation and shift common to both forms, in double precision; the rolling terms are
// taken from X and added to X and Z last. No reserve: callers append profile after profile,
// and an exact reserve per call would copy the whole cloud every time.
void convert(const VelaProfile& profile, VelaPointCloud<VelaPointXYZ>& out,
             const _VelaMETRO_SensorCoord_& c, const Mounting& m, double advance, double rollX,
             double rollZ)
{
    const double sa = m.sa, ca = m.ca, sb = m.sb, cb = m.cb, sg = m.sg, cg = m.cg;
    for (const VelaPointXY& p : profile.points) {
        const double x = p.x;
        const double y = p.y;
        const double X = (sa * cb * cg + sg * sb) * x + c.x0 + y * ca * cb - advance + rollX;
        const double Y = (sa * sb * cg - sg * cb) * x + c.y0 + y * ca * sb;
        const double Z = ca * cg * x + c.z0 - y * sa + rollZ;
        out.points.append(VelaPointXYZ(float(X), float(Y), float(Z)));
    }
}

} // namespace

void METRO_XYtoXYZ(const VelaProfile& profile, VelaPointCloud<VelaPointXYZ>& out,
                   const _VelaMETRO_SensorCoord_& c)
{
    const Mounting m(toRadians(c.a), toRadians(c.b), toRadians(c.g));
    convert(profile, out, c, m, 0.0, 0.0, 0.0);
}

void METRO_XYtoXYZ(const VelaProfile& profile, VelaPointCloud<VelaPointXYZ>& out,
                   const _VelaMETRO_SensorCoord_& c, float r, float s, int k)
{
    // The wheel has turned by theta since the first profile and advanced by k * s.
    const float theta = float(-(double(s) / double(r)) * k);
    const float cosTheta = cosF(theta);
    const float sinTheta = sinF(theta);
    const Mounting m(c.a, c.b, c.g);
    convert(profile, out, c, m, double(k) * s, double(cosTheta) * r, double(sinTheta) * r);
}

void METRO_calcWheel(VelaPointCloud<VelaPointXYZ>& left, VelaPointCloud<VelaPointXYZ>& bottom,
                     VelaPointCloud<VelaPointXYZ>& right, VelaCircle& out)
{
    out = VelaCircle();
    left.calcRange();
    bottom.calcRange();
    right.calcRange();
    const int l = left.getIndexX(left.minX);
    const int b = bottom.getIndexZ(bottom.minZ);
    const int r = right.getIndexX(right.maxX);
    if (l < 0 || b < 0 || r < 0)
        return; // a cloud without a usable point

    VelaProfile extremes;
    extremes.points = {VelaPointXY(left.points[l].x, left.points[l].y),
                       VelaPointXY(bottom.points[b].x, bottom.points[b].y),
                       VelaPointXY(right.points[r].x, right.points[r].y)};
    VelaCircle circle;
    circle.calcFromPointCloud(extremes);
    out = circle;
}

} // namespace VelaMath
