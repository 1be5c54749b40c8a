#pragma once

#include "Scene.h"
#include "SensorModel.h"
#include "VelaProtocol.h"

#include <vector>

namespace VelaEmulator {

// The scanner's camera: looks at the scene with the working parameters (laser level, exposure,
// measurement window, brightness threshold, FPGA column gains) and writes what a scanner
// sends: raw results, pixel lines and camera frames.
// Whether the model's raw result carries this point exactly, so that the device library's
// ConvertResultToPoints gives back the very same floats.
bool carriesExactly(Model model, float x, float z);

class Camera
{
public:
    Camera(const ScannerDescription& description, uint64_t seed);

    // One measurement at time t (seconds) over `count` rays (at most 1280).
    void measure(double t, const VelaProtocol::ParamBlock& params, const uint8_t* fpgaGains, int count);
    // A recorded measurement instead: count X, Z pairs in mm (at most 1280), every one valid.
    void measureRecorded(const float* xz, int count, const VelaProtocol::ParamBlock& params);
    // Brightest laser line pixel of the last measurement, 0..255.
    float peakBrightness() const { return m_peak; }
    int validCount() const;

    void writeLS71(uint16_t measCounter, uint16_t packetCounter, uint16_t discreteValue,
                   VelaProtocol::LS71RawResult* out) const;
    void writeLS74(uint16_t measCounter, uint16_t packetCounter, uint32_t timestampUs,
                   VelaProtocol::LS74RawResult* out) const;
    // The last measurement must have had 640 rays.
    void writePixels(uint16_t measCounter, uint16_t packetCounter, uint32_t timestampMs,
                     uint32_t* words) const;
    void writeImage(uint32_t frameNumber, uint8_t* frame) const;

private:
    Scene m_scene;
    std::vector<SurfacePoint> m_points;
    std::vector<float> m_brightness;
    std::vector<uint8_t> m_valid;
    std::vector<uint8_t> m_noise;   // dark frame noise, a little larger than a frame
    int m_count = 0;
    float m_peak = 0;
    VelaProtocol::ParamBlock m_params{};
    bool m_ls71;
};

} // namespace VelaEmulator
