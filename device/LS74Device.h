#pragma once

#include "LS7xDevice.h"

namespace VelaDevice {

// LS74 line scanner: up to 1280 points per profile, Modbus TCP client, TCP data port,
// auto exposure, pixel lines and a per-column FPGA amplitude table.
class VELADEVICE_EXPORT LS74Device : public LS7xDevice
{
public:
    static constexpr int ProfileValuesCount = 2560;   // floats of one converted profile
    static constexpr int ProfileBufferSize = 10768;   // bytes of one raw result
    static constexpr int ImageBufferSize = 327680;    // bytes of one camera frame
    static constexpr int PixelsBufferSize = 2560;     // bytes of one pixel line (640 words)
    static constexpr int FpgaParamsSize = 1024;       // bytes of the FPGA table
    static constexpr int SpeedTestSize = 63165;       // bytes the sensor sends per speed test

    explicit LS74Device(const _UDP_DEVINFOBLOCK_PC* block);
    ~LS74Device() override;

    // Converts a raw result into X, Z pairs (mm) and their count. measCounter and pckCounter
    // receive the counters of the result when not null; mirror (0/1) negates X. The count is
    // 65535 and the result 0 when the block is not a valid result.
    int ConvertResultToPoints(const void* raw, float* pairs, unsigned short* count,
                              unsigned short* measCounter, unsigned short* pckCounter, int mirror);
    // Read and convert in one step; the count is 65535 when no valid result was read.
    int UDPGetNormalizedResult(float* pairs, unsigned short* count,
                               unsigned short* measCounter, unsigned short* pckCounter);
    int GetNormalizedResult(float* pairs, unsigned short* count,
                            unsigned short* measCounter, unsigned short* pckCounter);

    // One camera line: 640 unsigned 32-bit words. Words 0 to 5 are a header (word 0: measurement
    // counter in its low half, packet counter in its high half); word i from 6 on is the laser
    // line's row in column i in millionths of a pixel, 0xFFFFFFFF where no line was found.
    int GetPixels(void* raw);
    // One exchange of SpeedTestSize bytes.
    int SpeedTest();
    // Hands the result stream over to a TCP connection to the sensor's data port (address with
    // the FIRST octet first); TCPDataDisconnect ends it.
    int TCPDataConnect(const unsigned char address[4], unsigned short port);
    int TCPDataDisconnect();
    // Calibration mode: on (1) the sensor serves pixel lines (GetPixels), off (0) it refuses them.
    int SetCalibrationMode(int enabled);

    unsigned char GetPixelBrightnessThreshold() const;
    int SetPixelBrightnessThreshold(unsigned char value);
    unsigned char GetAutoExposureMode() const;    // 1 = on
    int SetAutoExposureMode(unsigned char mode);
    // The exposure the sensor chose itself, in microseconds.
    int GetAutoExposure(unsigned short* exposure);
    int GetEnabledRawImageMode() const;
    int SetEnableRawImageMode(int enabled);
    int GetEnabledInterpolation() const;
    int SetEnableInterpolation(int enabled);
    int SetExternalMeasurementSyncEnabled(int enabled);
    unsigned short GetTcpDataPort() const;
    int SetTcpDataPort(unsigned short port);

    int GetEnabledModbusTcp() const;
    int SetEnableModbusTcp(int enabled);
    std::string GetHumanReadableModbusTcpAddress() const;
    int SetModbusTcpAddress(const unsigned char address[4]);
    unsigned short GetModbusTcpPort() const;
    int SetModbusTcpPort(unsigned short port);
    int GetModbusInfo(_LS71HS_MODBUS_INFO* info) const;
    int SetModbusInfo(const _LS71HS_MODBUS_INFO* info);

    // Factory area. 0: the working block becomes the factory configuration; 1: factory reset,
    // every configuration area and the working block return to the factory configuration.
    int FlushFactoryParams(int mode);
    // FPGA table of FpgaParamsSize bytes; bytes 0 to 639 are the amplitude of each camera
    // column (128 = unity gain). Flush 0 stores the table; flush 1 restores the factory table.
    int ReadFpgaParams(void* table);
    int WriteFpgaParams(const void* table);
    int FlushFpgaParams(int mode);
};

} // namespace VelaDevice
