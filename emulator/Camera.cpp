#include "Camera.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace VelaEmulator {

using namespace VelaProtocol;

namespace {

constexpr int MaxRays = 1280;
constexpr int NoiseSlack = 4096;
constexpr float LS71Threshold = 20;
const float lineProfile[5] = {0.2f, 0.6f, 1.0f, 0.6f, 0.2f};

struct Window {
    int left, right, top, bottom;
};

Window windowOf(const ParamBlock& p)
{
    const int left = p.leftBoundary * ImageWidth / 255;
    const int top = p.upperBoundary * ImageHeight / 255;
    return {left, left + p.windowWidth * ImageWidth / 255, top, top + p.windowHeight * ImageHeight / 255};
}

// Raw coordinates as each model sends them: LS74 in micrometres, LS71 in steps of 1/100 mm
// (Z = 0 would mean "no point").
int32_t ls74Raw(float mm)
{
    return int32_t(std::clamp(std::round(mm * 1000), -2147483520.0f, 2147483520.0f));
}

int16_t ls71RawX(float mm, float steps)
{
    return int16_t(std::clamp(std::round(mm * steps), -32768.0f, 32767.0f));
}

uint16_t ls71RawZ(float mm, float steps)
{
    return uint16_t(std::clamp(std::round(mm * steps), 1.0f, 65535.0f));
}

float lightOf(const ParamBlock& p)
{
    return 255.0f * p.laserLevel / 31.0f * p.exposureTime / 500.0f;
}

} // namespace

bool carriesExactly(Model model, float x, float z)
{
    // The device library turns raw values back into millimetres this way.
    if (model == Model::LS71) {
        const float step = 1.0f / float(LS71DiscreteValue);
        return float(ls71RawX(x, LS71DiscreteValue)) * step == x && float(ls71RawZ(z, LS71DiscreteValue)) * step == z;
    }
    return float(ls74Raw(x)) * 0.001f == x && float(ls74Raw(z)) * 0.001f == z;
}

Camera::Camera(const ScannerDescription& description, uint64_t seed)
    : m_scene(description.rangeZ, description.rangeXSMR, description.rangeXEMR, seed),
      m_points(MaxRays), m_brightness(MaxRays), m_valid(MaxRays),
      m_noise(ImageSize + NoiseSlack), m_ls71(description.model == Model::LS71)
{
    Random random(seed ^ 0x5DEECE66Dull);
    for (uint8_t& v : m_noise)
        v = uint8_t(4 + random.next() % 9);
}

void Camera::measure(double t, const ParamBlock& params, const uint8_t* fpgaGains, int count)
{
    m_count = std::min(count, MaxRays);
    m_params = params;
    m_scene.sample(t, m_count, m_points.data());
    const Window w = windowOf(params);
    const float threshold = m_ls71 ? LS71Threshold : std::max<float>(1, params.pixelBrightnessThreshold);
    const float light = lightOf(params);
    m_peak = 0;
    for (int i = 0; i < m_count; ++i) {
        const SurfacePoint& p = m_points[i];
        const int column = std::min(int(p.column), ImageWidth - 1);
        const float b = std::min(255.0f, light * p.reflectivity * fpgaGains[column] / 128.0f);
        m_brightness[i] = p.inRange ? b : 0;
        m_peak = std::max(m_peak, m_brightness[i]);
        m_valid[i] = p.inRange && b >= threshold && column >= w.left && column < w.right
            && p.row >= w.top && p.row < w.bottom;
    }
}

void Camera::measureRecorded(const float* xz, int count, const ParamBlock& params)
{
    m_count = std::min(count, MaxRays);
    m_params = params;
    const float light = std::min(255.0f, lightOf(params));
    m_peak = 0;
    for (int i = 0; i < m_count; ++i) {
        m_points[i] = m_scene.seenAt(xz[2 * i], xz[2 * i + 1]);
        m_brightness[i] = m_points[i].inRange ? light : 0;
        m_peak = std::max(m_peak, m_brightness[i]);
        m_valid[i] = 1;   // the recording holds what the sensor measured
    }
}

int Camera::validCount() const
{
    return int(std::count(m_valid.begin(), m_valid.begin() + m_count, uint8_t(1)));
}

void Camera::writeLS71(uint16_t measCounter, uint16_t packetCounter, uint16_t discreteValue,
                       LS71RawResult* out) const
{
    out->measCounter = measCounter;
    out->packetCounter = packetCounter;
    const float steps = discreteValue ? discreteValue : 100;
    const int n = std::min(m_count, 1024);
    for (int i = 0; i < 1024; ++i) {
        LS71RawPoint& raw = out->points[i];
        if (i >= n || !m_valid[i]) {
            raw = {0, 0};
            continue;
        }
        raw = {ls71RawX(m_points[i].x, steps), ls71RawZ(m_points[i].z, steps)};
    }
}

void Camera::writeLS74(uint16_t measCounter, uint16_t packetCounter, uint32_t timestampUs,
                       LS74RawResult* out) const
{
    out->measCounter = measCounter;
    out->packetCounter = packetCounter;
    out->flags = 0;
    out->timestampUs = timestampUs;
    out->exposureUs = m_params.exposureTime;
    uint16_t n = 0;
    for (int i = 0; i < m_count; ++i) {
        if (m_valid[i])
            out->points[n++] = {ls74Raw(m_points[i].x), ls74Raw(m_points[i].z)};
    }
    out->count = n;
    std::memset(out->points + n, 0, sizeof(LS74RawPoint) * (1280 - n));
    std::memset(out->reserved, 0, sizeof out->reserved);
}

void Camera::writePixels(uint16_t measCounter, uint16_t packetCounter, uint32_t timestampMs,
                         uint32_t* words) const
{
    words[0] = measCounter | uint32_t(packetCounter) << 16;
    words[1] = timestampMs;
    words[2] = m_params.exposureTime;
    words[3] = m_params.laserLevel;
    words[4] = m_params.pixelBrightnessThreshold;
    words[5] = ImageWidth;
    for (int c = 6; c < ImageWidth; ++c) {
        const bool valid = c < m_count && m_valid[c];
        words[c] = valid ? uint32_t(m_points[c].row * 1e6f) : std::numeric_limits<uint32_t>::max();
    }
}

void Camera::writeImage(uint32_t frameNumber, uint8_t* frame) const
{
    // Dark noise grows with the exposure; the offset makes it flicker from frame to frame.
    uint8_t dark[256];
    const float gain = m_params.exposureTime / 400.0f;
    for (int v = 0; v < 256; ++v)
        dark[v] = uint8_t(std::min(255.0f, v * gain));
    const uint8_t* noise = m_noise.data() + (frameNumber * 7919u) % NoiseSlack;
    for (uint32_t i = 0; i < ImageSize; ++i)
        frame[i] = dark[noise[i]];

    for (int i = 0; i < m_count; ++i) {
        const SurfacePoint& p = m_points[i];
        if (!p.inRange)
            continue;
        const int c = std::clamp(int(p.column), 0, ImageWidth - 1);
        const int row = int(std::lround(p.row));
        for (int k = -2; k <= 2; ++k) {
            const int r = row + k;
            if (r < 0 || r >= ImageHeight)
                continue;
            uint8_t& pixel = frame[r * ImageWidth + c];
            pixel = std::max(pixel, uint8_t(m_brightness[i] * lineProfile[k + 2]));
        }
    }
    if (m_params.rawImageMode)
        return;
    // Outside raw image mode the sensor sends only what lies inside the measurement window.
    const Window w = windowOf(m_params);
    for (int r = 0; r < ImageHeight; ++r) {
        uint8_t* line = frame + r * ImageWidth;
        if (r < w.top || r >= w.bottom) {
            std::memset(line, 0, ImageWidth);
            continue;
        }
        std::memset(line, 0, size_t(std::clamp(w.left, 0, ImageWidth)));
        if (w.right < ImageWidth)
            std::memset(line + w.right, 0, size_t(ImageWidth - w.right));
    }
}

} // namespace VelaEmulator
