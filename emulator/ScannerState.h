#pragma once

#include "Camera.h"
#include "EmulatorTypes.h"
#include "Flash.h"
#include "SensorModel.h"
#include "VelaProtocol.h"

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

namespace VelaEmulator {

class Recording;

// The answer to one control request; data points into the state's own buffers.
struct Reply {
    uint16_t status;
    const void* data;
    uint32_t size;
};

enum class Action { None, Reboot, PowerOff };

// Everything a scanner knows and does apart from its sockets: parameter block, flash,
// counters, camera, and the meaning of every control command. Used by one thread only.
class ScannerState
{
public:
    ScannerState(Model model, uint32_t serial, Flash flash, LogFunction log);
    ~ScannerState();

    // Starts the sensor as after power-on: flash loaded (or made from the factory defaults),
    // pending firmware installed, counters at firstCounter.
    void boot(const uint8_t factoryAddress[4], uint16_t hostPort, uint16_t tcpDataPort, uint16_t firstCounter);

    Reply handle(uint16_t command, const uint8_t* payload, uint32_t size, bool refuseWrites, Action* action);

    // The next result as a raw block of the model (ProfileBufferSize bytes): a new measurement
    // if the camera took one since the last result, or if internal sampling triggered one at
    // triggeredAt and the camera had finished its last exposure by then; else the last
    // measurement again in a new packet.
    const uint8_t* nextResult(std::optional<std::chrono::steady_clock::time_point> triggeredAt = std::nullopt);
    // Benchmarks: a new measurement keeps the last points and only advances the counters, so
    // that results can be paced faster than points can be computed.
    void setRepeatPoints(bool repeat) { m_repeatPoints = repeat; }
    // Measurements come from this recording, one profile each, instead of the scene; the
    // counter steps it shows are kept. Once it has ended, internal sampling sends nothing.
    void setRecording(std::unique_ptr<Recording> recording);
    uint32_t resultSize() const { return m_description.rawSize; }

    // Results per second pushed over UDP: 0 when internal sampling is off.
    double samplingRate() const;

    VelaProtocol::ParamBlock& params() { return m_params; }
    const VelaProtocol::ParamBlock& params() const { return m_params; }
    Model model() const { return m_model; }
    uint32_t serial() const { return m_serial; }
    uint32_t firmwareVersion() const { return m_flash.firmwareVersion; }

private:
    Reply ok(const void* data = nullptr, uint32_t size = 0) const { return {VelaProtocol::StatusOk, data, size}; }
    Reply flushParams(uint32_t area);
    Reply flushFactory(uint32_t mode);
    Reply flushFpga(uint32_t mode);
    Reply upgradeFirmware(const uint8_t* data, uint32_t size);
    Reply storeFlash();
    bool isLS74() const { return m_model != Model::LS71; }
    double seconds() const;
    // What a request asks of the camera: the measurements it took since the last result
    // (Taken), one more unless it is still exposing (Triggered: a pushed result under internal
    // sampling), or a new one, waited for while it is still exposing (Frame: images, pixel lines).
    enum class Demand { Taken, Triggered, Frame };
    // Advances the measurement counter by the measurements the camera took up to `when`
    // (seconds); false when it took none, so that the last measurement is sent again. Never
    // more than one measurement per exposure time, whatever the demand.
    bool countMeasurement(Demand demand, double when);
    void measure(int rays);
    // The recording's next profile becomes the new measurement, with the counter step the
    // recording shows; false when there is none and the last result is to be repeated.
    bool nextRecorded(uint16_t lastMeasCounter);

    Model m_model;
    uint32_t m_serial;
    const ScannerDescription& m_description;
    Flash m_flashStore;
    LogFunction m_log;
    FlashContent m_flash{};
    VelaProtocol::ParamBlock m_params{};
    uint8_t m_fpga[VelaProtocol::FpgaTableSize];
    bool m_calibrationMode = false;

    Camera m_camera;
    std::unique_ptr<Recording> m_recording;
    std::chrono::steady_clock::time_point m_start;
    double m_lastMeasurement = 0;
    double m_pendingMeasurements = 0;
    double m_exposureEnds = 0;      // seconds; no new measurement starts before
    bool m_repeatPoints = false;
    bool m_resultCurrent = false;   // m_result holds a measurement under the working parameters
    uint16_t m_measCounter = 0;
    uint16_t m_packetCounter = 0;
    uint32_t m_frameNumber = 0;

    std::vector<uint8_t> m_result;
    std::vector<uint8_t> m_image;
    std::vector<uint32_t> m_pixels;
    std::vector<uint8_t> m_speedTest;
    uint16_t m_word = 0;
};

} // namespace VelaEmulator
