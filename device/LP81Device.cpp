#include "LP81Device.h"

#include "VelaProtocol.h"

#include <cstring>

namespace VelaDevice {

using namespace VelaProtocol;

namespace {

unsigned char checksum(const unsigned char* data, int size)
{
    unsigned sum = 0;
    for (int i = 0; i < size; ++i)
        sum += data[i];
    return static_cast<unsigned char>(sum);
}

} // namespace

LP81Device::LP81Device(unsigned char address)
    : m_address(address), m_hello()
{
}

LP81Device::~LP81Device() = default;

unsigned char LP81Device::GetAddress() const
{
    return m_address;
}

void LP81Device::SetAddress(unsigned char address)
{
    m_address = address;
}

bool LP81Device::command(unsigned char code, unsigned char* payload, int payloadSize)
{
    unsigned char request[3] = {m_address, code, 0};
    request[2] = checksum(request, 2);
    unsigned char answer[3 + sizeof(_VelaCOM_HELLO_ANSWER_)];
    const int answerSize = payloadSize + 3;
    if (answerSize > int(sizeof answer) || !exchange(request, sizeof request, answer, answerSize))
        return false;
    if (answer[0] != m_address || answer[1] != code || answer[answerSize - 1] != checksum(answer, answerSize - 1))
        return false;
    std::memcpy(payload, answer + 2, size_t(payloadSize));
    return true;
}

int LP81Device::HelloCmd()
{
    _VelaCOM_HELLO_ANSWER_ hello;
    if (!command(SerialHello, reinterpret_cast<unsigned char*>(&hello), sizeof hello))
        return 0;
    m_hello = hello;
    m_helloValid = true;
    return 1;
}

int LP81Device::GetHelloAnswer(_VelaCOM_HELLO_ANSWER_* answer) const
{
    if (!answer || !m_helloValid)
        return 0;
    *answer = m_hello;
    return 1;
}

int LP81Device::GetSingleMeasure(unsigned short* raw)
{
    uint16_t value = 0;
    if (!raw || !command(SerialMeasure, reinterpret_cast<unsigned char*>(&value), sizeof value))
        return 0;
    *raw = value;
    return 1;
}

} // namespace VelaDevice
