#include "ScannerState.h"

#include "Firmware.h"
#include "Recording.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

namespace VelaEmulator {

using namespace VelaProtocol;

namespace {

constexpr double MaxMeasurementRate = 4000;
constexpr float AutoExposureTarget = 180;

bool isStateChange(uint16_t command)
{
    switch (command) {
    case CmdWriteParams:
    case CmdFlushParams:
    case CmdUpgradeFirmware:
    case CmdWriteFpga:
    case CmdFlushFpga:
    case CmdFlushFactory:
        return true;
    default:
        return false;
    }
}

bool isLS74Only(uint16_t command)
{
    switch (command) {
    case CmdGetPixels:
    case CmdSpeedTest:
    case CmdSetCalibrationMode:
    case CmdGetAutoExposure:
    case CmdReadFpga:
    case CmdWriteFpga:
    case CmdFlushFpga:
    case CmdFlushFactory:
        return true;
    default:
        return false;
    }
}

// Size of the request payload a command takes; -1 = any (firmware).
int requestSize(uint16_t command)
{
    switch (command) {
    case CmdWriteParams: return sizeof(ParamBlock);
    case CmdFlushParams:
    case CmdSetCalibrationMode:
    case CmdFlushFpga:
    case CmdFlushFactory: return 4;
    case CmdWriteFpga: return FpgaTableSize;
    case CmdUpgradeFirmware: return -1;
    default: return 0;
    }
}

uint32_t modeOf(const uint8_t* payload)
{
    uint32_t mode;
    std::memcpy(&mode, payload, sizeof mode);
    return mode;
}

} // namespace

ScannerState::ScannerState(Model model, uint32_t serial, Flash flash, LogFunction log)
    : m_model(model), m_serial(serial), m_description(describe(model)), m_flashStore(std::move(flash)),
      m_log(std::move(log)), m_camera(m_description, serial * 2654435761ull + 1),
      m_start(std::chrono::steady_clock::now()), m_result(m_description.rawSize), m_image(ImageSize),
      m_pixels(PixelLineSize / 4), m_speedTest(SpeedTestSize)
{
    for (size_t i = 0; i < m_speedTest.size(); ++i)
        m_speedTest[i] = uint8_t(i * 31 + 7);
    std::memset(m_fpga, 128, sizeof m_fpga);
}

ScannerState::~ScannerState() = default;

void ScannerState::setRecording(std::unique_ptr<Recording> recording)
{
    m_recording = std::move(recording);
}

void ScannerState::boot(const uint8_t factoryAddress[4], uint16_t hostPort, uint16_t tcpDataPort,
                        uint16_t firstCounter)
{
    if (!m_flashStore.load(&m_flash)) {
        const ParamBlock factory = factoryParams(m_model, factoryAddress, hostPort, tcpDataPort);
        m_flash.config = m_flash.defaults = m_flash.factory = factory;
        std::memset(m_flash.fpga, 128, sizeof m_flash.fpga);
        m_flash.firmwareVersion = m_description.firmwareVersion;
        m_flash.pendingFirmware = 0;
        m_flashStore.store(m_flash);
    }
    if (m_flash.pendingFirmware) {
        m_flash.firmwareVersion = m_flash.pendingFirmware;
        m_flash.pendingFirmware = 0;
        m_flashStore.store(m_flash);
        if (m_log)
            m_log(std::string(modelName(m_model)) + " " + std::to_string(m_serial) + ": firmware "
                  + std::to_string(m_flash.firmwareVersion) + " installed");
    }
    m_params = m_flash.config;
    std::memcpy(m_fpga, m_flash.fpga, sizeof m_fpga);
    if (m_recording)
        m_recording->rewind();
    m_calibrationMode = false;
    m_resultCurrent = false;
    m_measCounter = m_packetCounter = firstCounter;
    m_pendingMeasurements = 0;
    m_lastMeasurement = seconds();
    m_exposureEnds = 0;
}

double ScannerState::seconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

double ScannerState::samplingRate() const
{
    if (m_params.externalResultSync || m_params.udpFrequency == 0 || m_params.udpFrequency > 250)
        return 0;
    if (m_recording && m_recording->ended())
        return 0;
    return m_params.udpFrequency;
}

bool ScannerState::countMeasurement(Demand demand, double when)
{
    ++m_packetCounter;
    // A pushed result that goes out late was triggered when it was due.
    double now = std::max(when, m_lastMeasurement);
    double taken = 1;   // under external measurement synchronisation every request triggers one
    if (!m_params.externalMeasurementSync) {
        const double rate = std::min(MaxMeasurementRate, 1e6 / (m_params.exposureTime + 100.0));
        m_pendingMeasurements += (now - m_lastMeasurement) * rate;
        // Never more than 4000 at once, so that the step stays unambiguous for a 16-bit reader.
        taken = std::min(std::floor(m_pendingMeasurements), 4000.0);
    }
    // A frame, and the first result under new parameters, must be a new measurement.
    const bool repeatable = demand != Demand::Frame && m_resultCurrent;
    const bool exposing = now < m_exposureEnds;
    if (repeatable && (exposing || (taken < 1 && demand == Demand::Taken))) {
        m_lastMeasurement = now;
        return false;
    }
    if (exposing) {
        std::this_thread::sleep_until(m_start + std::chrono::ceil<std::chrono::steady_clock::duration>(
                                                    std::chrono::duration<double>(m_exposureEnds)));
        now = seconds();
    }
    taken = std::max(taken, 1.0);
    if (!m_params.externalMeasurementSync)
        m_pendingMeasurements = std::max(0.0, m_pendingMeasurements - taken);
    m_lastMeasurement = now;
    m_exposureEnds = now + std::max(1, int(m_params.exposureTime)) / 1e6;
    m_measCounter = uint16_t(m_measCounter + uint16_t(taken));
    return true;
}

void ScannerState::measure(int rays)
{
    if (m_recording)
        m_camera.measureRecorded(m_recording->points(), m_recording->count(), m_params);
    else
        m_camera.measure(seconds(), m_params, m_fpga, rays);
    if (!isLS74() || m_params.autoExposureMode != 1)
        return;
    // The sensor steers its exposure towards a bright but unsaturated line.
    const float peak = m_camera.peakBrightness();
    const double factor = peak < 1 ? 1.5 : std::sqrt(AutoExposureTarget / peak);
    m_params.exposureTime = uint16_t(std::clamp(m_params.exposureTime * factor, 10.0, 3600.0));
}

const uint8_t* ScannerState::nextResult(std::optional<std::chrono::steady_clock::time_point> triggeredAt)
{
    const uint16_t lastMeasCounter = m_measCounter;
    const double when = triggeredAt ? std::chrono::duration<double>(*triggeredAt - m_start).count() : seconds();
    if (!countMeasurement(triggeredAt ? Demand::Triggered : Demand::Taken, when) || (m_recording && !nextRecorded(lastMeasCounter))) {
        // Faster than the camera (or past the recording's end): the last measurement goes
        // out again in a new packet.
        std::memcpy(m_result.data() + 2, &m_packetCounter, sizeof m_packetCounter);
        return m_result.data();
    }
    if (m_repeatPoints && m_resultCurrent) {
        std::memcpy(m_result.data(), &m_measCounter, sizeof m_measCounter);
        std::memcpy(m_result.data() + 2, &m_packetCounter, sizeof m_packetCounter);
        return m_result.data();
    }
    m_resultCurrent = true;
    if (m_model == Model::LS71) {
        measure(1024);
        m_camera.writeLS71(m_measCounter, m_packetCounter, LS71DiscreteValue, reinterpret_cast<LS71RawResult*>(m_result.data()));
    } else {
        measure(m_params.interpolation ? 1280 : 640);
        m_camera.writeLS74(m_measCounter, m_packetCounter, uint32_t(seconds() * 1e6),
                           reinterpret_cast<LS74RawResult*>(m_result.data()));
    }
    return m_result.data();
}

bool ScannerState::nextRecorded(uint16_t lastMeasCounter)
{
    if (!m_recording->next()) {
        // Ended: the last profile stays the measurement, under its counter.
        m_measCounter = lastMeasCounter;
        return !m_resultCurrent;
    }
    if (m_recording->counterStep() >= 0)
        m_measCounter = uint16_t(lastMeasCounter + m_recording->counterStep());
    return true;
}

Reply ScannerState::handle(uint16_t command, const uint8_t* payload, uint32_t size, bool refuseWrites, Action* action)
{
    *action = Action::None;
    const int expected = requestSize(command);
    if (expected >= 0 && size != uint32_t(expected))
        return {StatusBadRequest, nullptr, 0};
    if (isLS74Only(command) && !isLS74())
        return {StatusUnsupported, nullptr, 0};
    if (refuseWrites && isStateChange(command))
        return {StatusRefused, nullptr, 0};

    switch (command) {
    case CmdReadParams:
        return ok(&m_params, sizeof m_params);
    case CmdWriteParams: {
        ParamBlock block;
        std::memcpy(&block, payload, sizeof block);
        if (block.size != sizeof block)
            return {StatusBadRequest, nullptr, 0};
        m_params = block;
        m_resultCurrent = false;
        return ok();
    }
    case CmdFlushParams:
        return flushParams(modeOf(payload));
    case CmdGetResult:
        return ok(nextResult(), resultSize());
    case CmdGetImage:
        countMeasurement(Demand::Frame, seconds());
        measure(ImageWidth);
        m_camera.writeImage(m_frameNumber++, m_image.data());
        return ok(m_image.data(), ImageSize);
    case CmdGetPixels:
        if (!m_calibrationMode)
            return {StatusRefused, nullptr, 0};
        countMeasurement(Demand::Frame, seconds());
        measure(ImageWidth);
        m_camera.writePixels(m_measCounter, m_packetCounter, uint32_t(seconds() * 1000), m_pixels.data());
        return ok(m_pixels.data(), PixelLineSize);
    case CmdSpeedTest:
        return ok(m_speedTest.data(), SpeedTestSize);
    case CmdReboot:
        *action = Action::Reboot;
        return ok();
    case CmdPowerOff:
        *action = Action::PowerOff;
        return ok();
    case CmdUpgradeFirmware:
        return upgradeFirmware(payload, size);
    case CmdSetCalibrationMode:
        if (modeOf(payload) > 1)
            return {StatusBadRequest, nullptr, 0};
        m_calibrationMode = modeOf(payload) == 1;
        return ok();
    case CmdGetAutoExposure:
        m_word = m_params.exposureTime;
        return ok(&m_word, sizeof m_word);
    case CmdReadFpga:
        return ok(m_fpga, sizeof m_fpga);
    case CmdWriteFpga:
        std::memcpy(m_fpga, payload, sizeof m_fpga);
        m_resultCurrent = false;
        return ok();
    case CmdFlushFpga:
        return flushFpga(modeOf(payload));
    case CmdFlushFactory:
        return flushFactory(modeOf(payload));
    default:
        return {StatusUnsupported, nullptr, 0};
    }
}

Reply ScannerState::storeFlash()
{
    return m_flashStore.store(m_flash) ? ok() : Reply{StatusRefused, nullptr, 0};
}

Reply ScannerState::flushParams(uint32_t area)
{
    if (area > 1)
        return {StatusBadRequest, nullptr, 0};
    m_flash.config = m_params;
    if (area == 1)
        m_flash.defaults = m_params;
    return storeFlash();
}

Reply ScannerState::flushFactory(uint32_t mode)
{
    if (mode > 1)
        return {StatusBadRequest, nullptr, 0};
    if (mode == 0) {
        m_flash.factory = m_params;
    } else {
        m_flash.config = m_flash.defaults = m_flash.factory;
        m_params = m_flash.factory;
        m_resultCurrent = false;
    }
    return storeFlash();
}

Reply ScannerState::flushFpga(uint32_t mode)
{
    if (mode > 1)
        return {StatusBadRequest, nullptr, 0};
    if (mode == 1) {
        std::memset(m_fpga, 128, sizeof m_fpga);
        m_resultCurrent = false;
    }
    std::memcpy(m_flash.fpga, m_fpga, sizeof m_fpga);
    return storeFlash();
}

Reply ScannerState::upgradeFirmware(const uint8_t* data, uint32_t size)
{
    uint32_t version = 0;
    const FirmwareCheck check = checkFirmware(data, size, typeCode(m_model), &version);
    if (m_log)
        m_log(std::string(modelName(m_model)) + " " + std::to_string(m_serial) + ": firmware upgrade "
              + describeFirmwareCheck(check));
    if (check != FirmwareCheck::Ok)
        return {StatusRefused, nullptr, 0};
    m_flash.pendingFirmware = version;
    return storeFlash();
}

} // namespace VelaEmulator
