#pragma once

// Wire format between the device library and the sensors (emulated or not); described for
// people in device/PROTOCOL.md. Everything is little-endian and packed.

#include "VelaDeviceTypes.h"

#include <cstddef>
#include <cstdint>

namespace VelaProtocol {

using VelaDevice::_LS71HS_MODBUS_INFO;
using VelaDevice::_UDP_DEVINFOBLOCK_PC;

constexpr uint16_t DefaultDiscoveryPort = 7471;

constexpr uint32_t DiscoveryRequestMagic = 0x31534456;  // "VDS1"
constexpr uint32_t DiscoveryAnswerMagic = 0x31414456;   // "VDA1"
constexpr uint32_t FrameMagic = 0x31434C56;             // "VLC1"
constexpr uint32_t ResultMagic = 0x31524C56;            // "VLR1"
constexpr uint32_t DataHelloMagic = 0x31444C56;         // "VLD1"

#pragma pack(push, 1)

struct DiscoveryRequest {
    uint32_t magic;
    uint16_t deviceType;    // filter, 65535 = all
    uint16_t reserved;
};

struct DiscoveryAnswer {
    uint32_t magic;
    _UDP_DEVINFOBLOCK_PC block;
};

// Header of every request and answer on the control connection.
struct FrameHeader {
    uint32_t magic;
    uint16_t command;
    uint16_t status;        // answers only
    uint32_t sequence;      // echoed by the answer
    uint32_t length;        // payload bytes that follow
};

// Header of every result, in a UDP datagram or on a TCP data connection.
struct ResultHeader {
    uint32_t magic;
    uint16_t deviceType;
    uint16_t kind;          // ResultKind
    uint32_t serialNumber;
    uint32_t length;        // bytes that follow
};

// The sensor's parameter block, 128 bytes. Addresses first octet first.
struct ParamBlock {
    uint16_t size;                      // sizeof(ParamBlock)
    uint8_t laserLevel;
    uint8_t leftBoundary;
    uint8_t upperBoundary;
    uint8_t windowWidth;
    uint8_t windowHeight;
    uint16_t exposureTime;              // us
    uint8_t externalResultSync;
    uint8_t externalMeasurementSync;
    uint8_t udpFrequency;               // results per second, 0 = off
    uint8_t deviceIP[4];
    uint8_t networkMask[4];
    uint8_t hostIP[4];
    uint16_t hostPort;
    uint16_t tcpDataPort;
    uint8_t modbusEnabled;
    uint8_t modbusIP[4];
    uint16_t modbusPort;
    _LS71HS_MODBUS_INFO modbusInfo;
    uint8_t autoExposureMode;
    uint8_t rawImageMode;
    uint8_t interpolation;
    uint8_t pixelBrightnessThreshold;
    int16_t rotationAngle;              // 0.01 degree
    uint8_t reserved[63];
};

// LS71 raw result: counters, then 1024 points of X (signed) and Z (0 = no point) in steps of
// 1 / DiscreteValue mm.
struct LS71RawPoint {
    int16_t x;
    uint16_t z;
};
struct LS71RawResult {
    uint16_t measCounter;
    uint16_t packetCounter;
    LS71RawPoint points[1024];
};

// LS74 raw result: counters and a header, then `count` points in micrometres.
struct LS74RawPoint {
    int32_t x;
    int32_t z;
};
struct LS74RawResult {
    uint16_t measCounter;
    uint16_t packetCounter;
    uint16_t count;
    uint16_t flags;
    uint32_t timestampUs;
    uint32_t exposureUs;
    LS74RawPoint points[1280];
    uint8_t reserved[512];
};

#pragma pack(pop)

static_assert(sizeof(DiscoveryRequest) == 8, "layout");
static_assert(sizeof(DiscoveryAnswer) == 276, "layout");
static_assert(sizeof(FrameHeader) == 16, "layout");
static_assert(sizeof(ResultHeader) == 16, "layout");
static_assert(sizeof(ParamBlock) == 128, "layout");
static_assert(offsetof(ParamBlock, modbusInfo) == 35, "layout");
static_assert(offsetof(ParamBlock, rotationAngle) == 63, "layout");
static_assert(sizeof(LS71RawResult) == 4100, "layout");
static_assert(sizeof(LS74RawResult) == 10768, "layout");

enum Command : uint16_t {
    CmdReadParams = 1,
    CmdWriteParams = 2,
    CmdFlushParams = 3,
    CmdGetResult = 4,
    CmdGetImage = 5,
    CmdGetPixels = 6,
    CmdSpeedTest = 7,
    CmdReboot = 8,
    CmdPowerOff = 9,
    CmdUpgradeFirmware = 10,
    CmdSetCalibrationMode = 11,
    CmdGetAutoExposure = 12,
    CmdReadFpga = 13,
    CmdWriteFpga = 14,
    CmdFlushFpga = 15,
    CmdFlushFactory = 16,
};

enum Status : uint16_t {
    StatusOk = 0,
    StatusRefused = 1,      // the sensor will not do it (fault injection, bad firmware file)
    StatusBadRequest = 2,   // malformed request
    StatusUnsupported = 3,  // not a command of this model
};

enum ResultKind : uint16_t {
    ResultProfile = 0,      // raw result block of the model
    ResultPixels = 1,       // pixel line (calibration mode)
};

constexpr int ImageWidth = 640;
constexpr int ImageHeight = 512;
constexpr uint32_t ImageSize = ImageWidth * ImageHeight;
constexpr uint32_t PixelLineSize = 640 * 4;
constexpr uint32_t FpgaTableSize = 1024;
constexpr uint32_t SpeedTestSize = 63165;
constexpr uint32_t MaxFirmwareSize = 16u << 20;
// No answer or request on the control connection is larger than a firmware file.
constexpr uint32_t MaxPayload = MaxFirmwareSize + 64;

// Firmware file (*.fw): this header, then `length` bytes whose CRC-32 (IEEE) is `crc`.
constexpr uint32_t FirmwareMagic = 0x57464C56;          // "VLFW"
#pragma pack(push, 1)
struct FirmwareHeader {
    uint32_t magic;
    uint16_t formatVersion;     // 1
    uint16_t deviceType;        // type code the image is built for
    uint32_t version;           // firmware version it installs
    uint32_t length;
    uint32_t crc;
};
#pragma pack(pop)
static_assert(sizeof(FirmwareHeader) == 20, "layout");

// LP81 serial frames: request {address, command, checksum}; answer {address, command,
// payload, checksum}; checksum = sum of the preceding bytes modulo 256.
constexpr uint8_t SerialHello = 0x01;       // answer payload: _VelaCOM_HELLO_ANSWER_
constexpr uint8_t SerialMeasure = 0x02;     // answer payload: u16 raw reading

} // namespace VelaProtocol
