#pragma once

#include "VelaCOMDevice.h"
#include "VelaDeviceTypes.h"

namespace VelaDevice {

// LP81 laser point sensor. A reading is raw 0..16384 over the measuring range that the hello
// answer reports: distance = raw x Range / 16384.
class VELADEVICE_EXPORT LP81Device : public VelaCOMDevice
{
public:
    explicit LP81Device(unsigned char address = 1);
    ~LP81Device() override;

    unsigned char GetAddress() const;
    void SetAddress(unsigned char address);

    // Identification exchange; its answer is kept for GetHelloAnswer. Non-zero = answered.
    int HelloCmd();
    int GetHelloAnswer(_VelaCOM_HELLO_ANSWER_* answer) const;
    int GetSingleMeasure(unsigned short* raw);

private:
    // One request and its answer carrying payloadSize bytes, checked against address,
    // command and checksum.
    bool command(unsigned char code, unsigned char* payload, int payloadSize);

    unsigned char m_address;
    _VelaCOM_HELLO_ANSWER_ m_hello;
    bool m_helloValid = false;
};

} // namespace VelaDevice
