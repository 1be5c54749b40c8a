#pragma once

#include "VelaDeviceTypes.h"
#include "veladevice_global.h"

#include <memory>
#include <string>

namespace VelaDevice {

class LS7xConnection;

// What the LS71 and LS74 scanners have in common: the control connection, the parameter
// block, the UDP result stream, images and service commands.
//
// Results: 1 = success, 0 = failure. Accessors (Get.../Set...) work on this object's copy of
// the parameter block; ReadParams and WriteParams exchange the copy with the sensor. Before the
// first successful ReadParams the copy is empty and GetHostPortNumber answers 0.
//
// Every call that talks to the sensor fails within about a second when the sensor is gone or
// does not answer. The object may be used from several threads: each exchange with the sensor
// holds the connection it uses for its whole duration.
//
// Address setters take four bytes with the LAST octet first: {1, 0, 0, 127} is 127.0.0.1.
class VELADEVICE_EXPORT LS7xDevice
{
public:
    virtual ~LS7xDevice();
    LS7xDevice(const LS7xDevice&) = delete;
    LS7xDevice& operator=(const LS7xDevice&) = delete;

    // Control connection. Calls that talk to the sensor without Connect open a connection for
    // their own exchange; after Connect they share one, reopened once if the sensor dropped it.
    int Connect();
    int Disconnect();

    int ReadParams();
    int WriteParams();
    // 0: the sensor stores its working block as the configuration it starts with;
    // 1: the same, and the block also becomes the sensor's default configuration.
    int FlushParams(int area);

    int Reboot();
    int PowerOff();
    // Sends a firmware file (*.fw) to the sensor, which checks it and keeps it for its next
    // start. Non-zero = accepted.
    int UpgradeFirmware(const char* path);

    // Results: a raw block of ProfileBufferSize bytes whose first two 16-bit words are the
    // measurement and the packet counter. UDP reads wait for the sensor's next pushed result.
    int UDPConnect(unsigned short port, const char* address);
    int UDPDisconnect();
    int UDPGetResult(void* raw);
    int GetResult(void* raw);
    // One 640 x 512 camera frame, one byte per pixel, row 0 first: ImageBufferSize bytes.
    int GetImage(void* image);

    // Device-information block this object was made from.
    _UDP_DEVINFOBLOCK_PC* GetDevBlock();
    unsigned short GetMeasurementBase() const;
    unsigned short GetMeasurementRangeZ() const;
    unsigned short GetMeasurementRangeXSMR() const;
    unsigned short GetMeasurementRangeXEMR() const;
    unsigned int GetSerialNumber() const;

    // Measurement window in 255ths of the 640 x 512 camera frame.
    unsigned char GetLeftBoundary() const;
    int SetLeftBoundary(unsigned char value);
    unsigned char GetUpperBoundary() const;
    int SetUpperBoundary(unsigned char value);
    unsigned char GetWindowWidth() const;
    int SetWindowWidth(unsigned char value);
    unsigned char GetWindowHeight() const;
    int SetWindowHeight(unsigned char value);

    unsigned char GetLaserLevel() const;
    int SetLaserLevel(unsigned char value);
    unsigned short GetExposureTime() const;         // microseconds
    int SetExposureTime(unsigned short value);

    int GetExternalResultSyncEnabled() const;        // 0 or 1
    int SetExternalResultSyncEnabled(int enabled);
    int GetExternalMeasurementSyncEnabled() const;   // 0 or 1
    unsigned char GetUDPFrequency() const;           // results per second, 0 = off
    int SetUDPFrequency(unsigned char value);

    std::string GetHumanReadableDeviceIPAddress() const;   // "a.b.c.d"
    std::string GetHumanReadableNetworkMask() const;
    std::string GetHumanReadableHostIPAddress() const;
    int SetDeviceIPAddress(const unsigned char address[4]);
    int SetNetworkMask(const unsigned char mask[4]);
    int SetHostIPAddress(const unsigned char address[4]);
    unsigned short GetHostPortNumber() const;
    int SetHostPortNumber(unsigned short port);

protected:
    LS7xDevice(const _UDP_DEVINFOBLOCK_PC* block, int profileBufferSize);

    std::unique_ptr<LS7xConnection> d;
};

} // namespace VelaDevice
