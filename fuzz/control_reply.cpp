// Answers on the control connection: a stand-in sensor sends the input as the answers to the
// requests of a session the application could run (parameters read and written, results,
// images, service commands), and the device library reads them through its own calls.

#include "FakePeer.h"
#include "FuzzInput.h"
#include "LS71Device.h"
#include "LS74Device.h"
#include "VelaProtocol.h"
#include "VelaSocket.h"

#include <cstdlib>
#include <cstring>
#include <memory>

using namespace VelaDevice;
using namespace VelaProtocol;

namespace {

int listener()
{
    static const VelaNet::Fd fd = [] {
        const uint8_t loopback[4] = {127, 0, 0, 1};
        VelaNet::Fd socket = VelaNet::listenTcp(VelaNet::makeAddress(loopback, 0));
        if (!socket.valid())
            std::abort();
        return socket;
    }();
    return fd.get();
}

size_t answerPayload(uint16_t command, bool ls71)
{
    switch (command) {
    case CmdReadParams: return sizeof(ParamBlock);
    case CmdGetResult: return ls71 ? LS71Device::ProfileBufferSize : LS74Device::ProfileBufferSize;
    case CmdGetImage: return ImageSize;
    case CmdGetPixels: return PixelLineSize;
    case CmdSpeedTest: return SpeedTestSize;
    case CmdGetAutoExposure: return 2;
    case CmdReadFpga: return FpgaTableSize;
    default: return 0;
    }
}

FrameHeader headerOf(const uint8_t* bytes)
{
    FrameHeader header;
    std::memcpy(&header, bytes, sizeof header);
    return header;
}

PeerProtocol controlProtocol(bool ls71)
{
    PeerProtocol protocol;
    protocol.headerSize = sizeof(FrameHeader);
    protocol.payloadSize = [](const uint8_t* h) { return size_t(headerOf(h).length); };
    protocol.answerSize = [ls71](const uint8_t* h) {
        return sizeof(FrameHeader) + answerPayload(headerOf(h).command, ls71);
    };
    protocol.hangsUpAfter = [](const uint8_t* h) {
        const uint16_t command = headerOf(h).command;
        return command == CmdReboot || command == CmdPowerOff;
    };
    return protocol;
}

// What the application reads from the parameter copy after ReadParams.
void readParameters(const LS7xDevice& device)
{
    const std::string texts[] = {device.GetHumanReadableDeviceIPAddress(), device.GetHumanReadableNetworkMask(),
                                 device.GetHumanReadableHostIPAddress()};
    volatile size_t sink = texts[0].size() + texts[1].size() + texts[2].size();
    sink = sink + device.GetUDPFrequency() + device.GetHostPortNumber() + device.GetExposureTime()
        + device.GetLaserLevel() + device.GetLeftBoundary() + device.GetWindowWidth();
}

void session(LS71Device& device)
{
    static float pairs[LS71Device::ProfileValuesCount];
    unsigned short count = 0;
    device.Connect();
    device.ReadParams();
    readParameters(device);
    device.GetNormalizedResult(pairs, &count, 0);
    device.GetRotationAngle();
    device.WriteParams();
    device.FlushParams(0);
    device.Reboot();
    // The largest answers come last: an input seldom holds them whole.
    static uint8_t image[ImageSize];
    device.GetImage(image);
}

void session(LS74Device& device)
{
    static float pairs[LS74Device::ProfileValuesCount];
    unsigned short count = 0;
    unsigned short measCounter = 0;
    unsigned short pckCounter = 0;
    unsigned short exposure = 0;
    static uint8_t pixels[LS74Device::PixelsBufferSize];
    static uint8_t fpga[LS74Device::FpgaParamsSize];
    device.Connect();
    device.ReadParams();
    readParameters(device);
    _LS71HS_MODBUS_INFO modbus;
    device.GetModbusInfo(&modbus);
    device.GetHumanReadableModbusTcpAddress();
    device.GetNormalizedResult(pairs, &count, &measCounter, &pckCounter);
    device.GetAutoExposure(&exposure);
    device.SetCalibrationMode(1);
    device.GetPixels(pixels);
    device.ReadFpgaParams(fpga);
    device.WriteParams();
    device.FlushFactoryParams(0);
    device.Reboot();
    device.SpeedTest();
    static uint8_t image[ImageSize];
    device.GetImage(image);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const bool ls71 = input.take<uint8_t>() & 1;
    _UDP_DEVINFOBLOCK_PC block{};
    block.DeviceType = ls71 ? DeviceTypeLS71 : DeviceTypeLS74;
    block.IPAddress[0] = 127;
    block.IPAddress[3] = 1;
    block.ControlPort = VelaNet::localPort(listener());
    block.DiscreteValue = 100;

    FakePeer sensor(controlProtocol(ls71), input.rest());
    sensor.serveListener(listener());
    if (ls71) {
        LS71Device device(&block);
        session(device);
    } else {
        LS74Device device(&block);
        session(device);
    }
    sensor.finish();
    return 0;
}
