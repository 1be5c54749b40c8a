#include "Scene.h"

#include <cmath>

namespace VelaEmulator {

namespace {
constexpr double Pi = 3.14159265358979323846;
constexpr double SpikeShare = 0.002;
}

Scene::Scene(double rangeZ, double rangeXSMR, double rangeXEMR, uint64_t seed)
    : m_rangeZ(rangeZ), m_xSMR(rangeXSMR), m_xEMR(rangeXEMR), m_random(seed)
{
}

double Scene::width(double z) const
{
    return m_xSMR + (m_xEMR - m_xSMR) * z / m_rangeZ;
}

double Scene::surface(double x, const Layout& layout, float* reflectivity) const
{
    const double belt = m_rangeZ * (0.75 + 0.05 * x / m_xEMR);
    const double objectRadius = 0.12 * m_xEMR;
    const double u = (x - layout.objectCentre) / objectRadius;
    if (u > -1 && u < 1) {
        *reflectivity = 1.0f;
        return belt - 0.35 * m_rangeZ * std::sqrt(1 - u * u);
    }
    if (std::fabs(x - layout.ridgeCentre) < 0.025 * m_xEMR) {
        *reflectivity = 0.8f;
        return belt - 0.1 * m_rangeZ;
    }
    // Stripes on the belt, 10 mm apart: a triangle wave between 0.4 and 0.7.
    const double phase = std::fabs(x * 0.1 - std::floor(x * 0.1) - 0.5);
    *reflectivity = float(0.4 + 0.6 * phase);
    return belt;
}

void Scene::sample(double t, int count, SurfacePoint* out)
{
    const Layout layout{0.3 * m_xEMR * std::sin(2 * Pi * t / 6.0), -0.35 * m_xEMR * std::sin(2 * Pi * t / 9.0 + 1.0)};
    const double beltWidth = width(0.75 * m_rangeZ);
    const double noise = 0.0008 * m_rangeZ;
    for (int i = 0; i < count; ++i) {
        const double u = (i + 0.5) / count - 0.5;
        float reflectivity;
        // The ray's X depends on the depth it hits; one refinement step is close enough.
        double z = surface(u * beltWidth, layout, &reflectivity);
        const double x = u * width(z);
        z = surface(x, layout, &reflectivity) + noise * m_random.normal();
        if (m_random.uniform() < SpikeShare)
            z += (m_random.uniform() < 0.5 ? -1 : 1) * m_rangeZ * (0.05 + 0.15 * m_random.uniform());
        out[i] = {float(x), float(z), float((u + 0.5) * 640), float(z / m_rangeZ * 511), reflectivity,
                  z >= 0 && z <= m_rangeZ};
    }
}

SurfacePoint Scene::seenAt(float x, float z) const
{
    // The inverse of the ray geometry above: the fan is width(z) wide at depth z.
    const double u = x / width(z);
    return {x, z, float((u + 0.5) * 640), float(z / m_rangeZ * 511), 1.0f, z >= 0 && z <= m_rangeZ && std::fabs(u) <= 0.5};
}

} // namespace VelaEmulator
