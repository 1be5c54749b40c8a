#pragma once

#include <cstdint>

namespace VelaEmulator {

// Small, fast pseudo-random numbers (xorshift64*); the scene draws several per point.
class Random
{
public:
    explicit Random(uint64_t seed) : m_state(seed ? seed : 0x9E3779B97F4A7C15ull) {}
    uint64_t next()
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return m_state * 0x2545F4914F6CDD1Dull;
    }
    // Uniform in [0, 1).
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    // Roughly normal, mean 0, deviation 1 (sum of four uniforms).
    double normal() { return (uniform() + uniform() + uniform() + uniform() - 2.0) * 1.7320508; }

private:
    uint64_t m_state;
};

// One ray of the laser fan where it meets the scene.
struct SurfacePoint {
    float x;            // mm across the fan, 0 in the middle
    float z;            // mm from the start of the measuring range
    float column;       // camera column 0..640
    float row;          // camera row 0..511
    float reflectivity; // 0..1
    bool inRange;       // the surface lies within the measuring range
};

// The moving scene in front of a scanner: a slightly tilted conveyor belt with a round object
// swinging across it and a narrow ridge moving the other way. Noise and an occasional spike
// make the profiles look like measured ones.
class Scene
{
public:
    Scene(double rangeZ, double rangeXSMR, double rangeXEMR, uint64_t seed);

    // Samples `count` rays spread evenly over the 640 camera columns at time t (seconds).
    void sample(double t, int count, SurfacePoint* out);
    // Where the camera sees a surface point at x, z (mm), with full reflectivity.
    SurfacePoint seenAt(float x, float z) const;

private:
    struct Layout {
        double objectCentre;
        double ridgeCentre;
    };
    double surface(double x, const Layout& layout, float* reflectivity) const;
    double width(double z) const;

    double m_rangeZ;
    double m_xSMR;
    double m_xEMR;
    Random m_random;
};

} // namespace VelaEmulator
