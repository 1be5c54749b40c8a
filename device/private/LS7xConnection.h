#pragma once

#include "VelaDeviceTypes.h"
#include "VelaProtocol.h"
#include "VelaSocket.h"
#include "Timeouts.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace VelaDevice {

// The state behind one scanner object: its information block, its copy of the parameter
// block, and the three links to the sensor (control, UDP results, TCP data), each with its own
// lock so that one exchange never interleaves with another on the same link.
// Address setters take the address with its last octet first; the block keeps the first first.
inline void storeReversedAddress(uint8_t target[4], const unsigned char address[4])
{
    for (int i = 0; i < 4; ++i)
        target[i] = address[3 - i];
}

class LS7xConnection
{
public:
    using ParamBlock = VelaProtocol::ParamBlock;

    LS7xConnection(const _UDP_DEVINFOBLOCK_PC* block, uint32_t rawSize);

    _UDP_DEVINFOBLOCK_PC block;
    const uint32_t rawSize;

    // The parameter copy, read and changed under its own lock.
    ParamBlock params() const;
    template <typename F> int changeParams(F&& change)
    {
        std::lock_guard<std::mutex> lock(m_paramMutex);
        change(m_params);
        return 1;
    }
    void setParams(const ParamBlock& params);

    bool connect();
    void disconnect();
    // A command after which the sensor goes away (reboot, power off): true once it has
    // accepted it and closed the link, so that the caller knows the sensor is down.
    bool exchangeUntilClosed(uint16_t command);
    // One request and its answer, which must carry StatusOk and exactly answerSize bytes
    // (read and thrown away when answer is null). Without Connect the exchange opens a connection of its own and closes it afterwards.
    bool exchange(uint16_t command, const void* request, uint32_t requestSize,
                  void* answer, uint32_t answerSize, int timeoutMs = exchangeTimeoutMs());

    // A command whose request is a mode of 0 or 1 and whose answer is empty.
    bool sendMode(uint16_t command, int mode);

    bool udpOpen(uint16_t port, const char* address);
    void udpClose();
    // Waits for the next result of this sensor of the given kind, exactly size bytes.
    bool udpReceive(uint16_t kind, void* out, uint32_t size);

    bool dataConnect(const uint8_t address[4], uint16_t port);
    void dataClose();

private:
    bool ensureControl(const VelaNet::Deadline& deadline);
    bool transfer(uint16_t command, const void* request, uint32_t requestSize,
                  void* answer, uint32_t answerSize, const VelaNet::Deadline& deadline);

    mutable std::mutex m_paramMutex;
    ParamBlock m_params{};

    std::mutex m_controlMutex;
    VelaNet::Fd m_control;
    bool m_persistent = false;
    uint32_t m_sequence = 0;

    std::mutex m_udpMutex;
    VelaNet::Fd m_udp;
    std::vector<uint8_t> m_datagram;

    std::mutex m_dataMutex;
    VelaNet::Fd m_data;
};

} // namespace VelaDevice
