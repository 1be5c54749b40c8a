#pragma once

#include <cstddef>
#include <cstdint>

// Records shared with the sensors. All of them are little-endian on the wire, which is also
// the host order of every platform this library builds for.
#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "VelaDevice3 expects a little-endian host"
#endif

namespace VelaDevice {

// Device type codes, as found at offset 0 of the device-information block.
enum : unsigned short {
    DeviceTypeLS71 = 71,            // LS71 line scanner
    DeviceTypeLS74 = 74,            // LS74 line scanner
    DeviceTypeLS74Compatible = 75,  // LS74 hardware revision B; driven exactly like an LS74
    DeviceTypeLP81 = 81,            // LP81 point sensor (serial line, never found by a search)
    DeviceTypeAll = 65535           // search filter: every type
};

// Laser colours at offset 32 of the device-information block.
enum : unsigned char { LaserColorRed = 1, LaserColorBlue = 2, LaserColorGreen = 3, LaserColorInfrared = 4 };

#pragma pack(push, 1)

// Device-information block, as a search reports it: 272 bytes.
struct _UDP_DEVINFOBLOCK_PC {
    unsigned short DeviceType;          // 0
    unsigned char IPAddress[4];         // 2, first octet first
    unsigned char MACAddress[6];        // 6, first byte first
    unsigned char Modification;         // 12, interface and option bits
    unsigned char SerialNumber[3];      // 13, 24-bit little-endian
    unsigned short Base;                // 16, mm
    unsigned short RangeZ;              // 18, mm
    unsigned short RangeXSMR;           // 20, X range at the start of the measuring range, mm
    unsigned short RangeXEMR;           // 22, X range at the end of the measuring range, mm
    unsigned short DiscreteValue;       // 24, LS71: raw steps per mm
    short ErrorValue;                   // 26, LS71: calibration residual, raw steps
    unsigned int FirmwareVersion;       // 28, LS71 firmware or LS74 Linux version
    unsigned char LaserColor;           // 32
    unsigned int CoreAVersion;          // 33, LS74
    unsigned int CoreBVersion;          // 37, LS74
    unsigned int FpgaVersion;           // 41, LS74
    unsigned char Reserved1[3];         // 45
    unsigned short ControlPort;         // 48, TCP port of the control connection
    unsigned char Reserved2[222];       // 50
};

// Modbus TCP client record of an LS74: 24 bytes. Every two-byte field except Delay holds its
// value big-endian (high byte at the lower address), as on a Modbus TCP wire.
struct _LS71HS_MODBUS_INFO {
    unsigned short Delay;               // 0, host order, ms between requests
    unsigned short ProtoID;             // 2
    unsigned char UnitID;               // 4
    unsigned short TransID1;            // 5
    unsigned short Length1;             // 7
    unsigned char Funct1;               // 9
    unsigned short StAddr1;             // 10
    unsigned short RegCnt1;             // 12
    unsigned short TransID2;            // 14
    unsigned short Length2;             // 16
    unsigned char Funct2;               // 18
    unsigned short StAddr2;             // 19
    unsigned short RegCnt2;             // 21
    unsigned char ByteCnt2;             // 23
};

// Answer of an LP81 point sensor to the hello command: 8 bytes.
struct _VelaCOM_HELLO_ANSWER_ {
    unsigned char DeviceType;           // 0, DeviceTypeLP81
    unsigned char Address;              // 1, address on the serial line
    unsigned short SerialNumber;        // 2
    unsigned short Base;                // 4, mm
    unsigned short Range;               // 6, measuring range, mm
};

#pragma pack(pop)

static_assert(sizeof(_UDP_DEVINFOBLOCK_PC) == 272, "device-information block size");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, DeviceType) == 0, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, IPAddress) == 2, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, MACAddress) == 6, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, Modification) == 12, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, SerialNumber) == 13, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, Base) == 16, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, RangeZ) == 18, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, RangeXSMR) == 20, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, RangeXEMR) == 22, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, DiscreteValue) == 24, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, ErrorValue) == 26, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, FirmwareVersion) == 28, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, LaserColor) == 32, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, CoreAVersion) == 33, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, CoreBVersion) == 37, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, FpgaVersion) == 41, "block layout");
static_assert(offsetof(_UDP_DEVINFOBLOCK_PC, ControlPort) == 48, "block layout");

static_assert(sizeof(_LS71HS_MODBUS_INFO) == 24, "Modbus record size");
static_assert(offsetof(_LS71HS_MODBUS_INFO, ProtoID) == 2, "Modbus record layout");
static_assert(offsetof(_LS71HS_MODBUS_INFO, UnitID) == 4, "Modbus record layout");
static_assert(offsetof(_LS71HS_MODBUS_INFO, TransID1) == 5, "Modbus record layout");
static_assert(offsetof(_LS71HS_MODBUS_INFO, Length1) == 7, "Modbus record layout");
static_assert(offsetof(_LS71HS_MODBUS_INFO, Funct1) == 9, "Modbus record layout");
static_assert(offsetof(_LS71HS_MODBUS_INFO, StAddr1) == 10, "Modbus record layout");
static_assert(offsetof(_LS71HS_MODBUS_INFO, RegCnt1) == 12, "Modbus record layout");
static_assert(offsetof(_LS71HS_MODBUS_INFO, TransID2) == 14, "Modbus record layout");
static_assert(offsetof(_LS71HS_MODBUS_INFO, Length2) == 16, "Modbus record layout");
static_assert(offsetof(_LS71HS_MODBUS_INFO, Funct2) == 18, "Modbus record layout");
static_assert(offsetof(_LS71HS_MODBUS_INFO, StAddr2) == 19, "Modbus record layout");
static_assert(offsetof(_LS71HS_MODBUS_INFO, RegCnt2) == 21, "Modbus record layout");
static_assert(offsetof(_LS71HS_MODBUS_INFO, ByteCnt2) == 23, "Modbus record layout");

static_assert(sizeof(_VelaCOM_HELLO_ANSWER_) == 8, "hello answer size");
static_assert(offsetof(_VelaCOM_HELLO_ANSWER_, Range) == 6, "hello answer layout");

} // namespace VelaDevice
