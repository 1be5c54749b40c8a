#include "LS7xConnection.h"

#include "DatagramChecks.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace VelaDevice {

using namespace VelaProtocol;

namespace {
constexpr uint16_t DefaultControlPort = 6001;
constexpr int UdpReceiveBuffer = 8 << 20;
}

LS7xConnection::LS7xConnection(const _UDP_DEVINFOBLOCK_PC* source, uint32_t size)
    : block(), rawSize(size)
{
    if (source)
        block = *source;
}

LS7xConnection::ParamBlock LS7xConnection::params() const
{
    std::lock_guard<std::mutex> lock(m_paramMutex);
    return m_params;
}

void LS7xConnection::setParams(const ParamBlock& params)
{
    std::lock_guard<std::mutex> lock(m_paramMutex);
    m_params = params;
}

bool LS7xConnection::connect()
{
    std::lock_guard<std::mutex> lock(m_controlMutex);
    m_persistent = true;
    return ensureControl(VelaNet::Deadline(exchangeTimeoutMs()));
}

void LS7xConnection::disconnect()
{
    std::lock_guard<std::mutex> lock(m_controlMutex);
    m_persistent = false;
    m_control.reset();
}

bool LS7xConnection::ensureControl(const VelaNet::Deadline& deadline)
{
    // Between exchanges nothing may arrive: a readable link was closed by the sensor (or
    // carries bytes nobody asked for) and is replaced by a new one.
    if (m_control.valid() && VelaNet::waitReadable(m_control.get(), 0))
        m_control.reset();
    if (m_control.valid())
        return true;
    const uint16_t port = block.ControlPort ? block.ControlPort : DefaultControlPort;
    m_control = VelaNet::connectTcp(VelaNet::makeAddress(block.IPAddress, port), deadline);
    return m_control.valid();
}

bool LS7xConnection::exchange(uint16_t command, const void* request, uint32_t requestSize,
                              void* answer, uint32_t answerSize, int timeoutMs)
{
    std::lock_guard<std::mutex> lock(m_controlMutex);
    const VelaNet::Deadline deadline(timeoutMs);
    bool ok = ensureControl(deadline);
    if (ok)
        ok = transfer(command, request, requestSize, answer, answerSize, deadline);
    // A failed exchange leaves the link in an unknown state; a later call starts afresh.
    if (!ok || !m_persistent)
        m_control.reset();
    return ok;
}

bool LS7xConnection::transfer(uint16_t command, const void* request, uint32_t requestSize,
                              void* answer, uint32_t answerSize, const VelaNet::Deadline& deadline)
{
    const int fd = m_control.get();
    FrameHeader header{FrameMagic, command, 0, ++m_sequence, requestSize};
    if (!VelaNet::sendAll(fd, &header, sizeof header, deadline)
        || (requestSize > 0 && !VelaNet::sendAll(fd, request, requestSize, deadline)))
        return false;
    FrameHeader reply{};
    if (!VelaNet::recvAll(fd, &reply, sizeof reply, deadline))
        return false;
    if (reply.magic != FrameMagic || reply.command != command || reply.sequence != header.sequence)
        return false;
    if (reply.status != StatusOk)
        return false;
    if (reply.length != answerSize)
        return false;
    if (answer)
        return answerSize == 0 || VelaNet::recvAll(fd, answer, answerSize, deadline);
    char sink[4096];
    for (uint32_t left = answerSize; left > 0;) {
        const uint32_t chunk = left < sizeof sink ? left : uint32_t(sizeof sink);
        if (!VelaNet::recvAll(fd, sink, chunk, deadline))
            return false;
        left -= chunk;
    }
    return true;
}

bool LS7xConnection::sendMode(uint16_t command, int mode)
{
    const uint32_t value = uint32_t(mode);
    return mode >= 0 && mode <= 1 && exchange(command, &value, sizeof value, nullptr, 0);
}

bool LS7xConnection::exchangeUntilClosed(uint16_t command)
{
    std::lock_guard<std::mutex> lock(m_controlMutex);
    const VelaNet::Deadline deadline(exchangeTimeoutMs());
    bool ok = ensureControl(deadline) && transfer(command, nullptr, 0, nullptr, 0, deadline);
    if (ok) {
        char byte;
        ok = VelaNet::waitReadable(m_control.get(), deadline.remainingMs())
            && ::recv(m_control.get(), &byte, 1, 0) == 0;
    }
    m_control.reset();
    return ok;
}
bool LS7xConnection::udpOpen(uint16_t port, const char* address)
{
    std::lock_guard<std::mutex> lock(m_udpMutex);
    m_udp.reset();
    uint8_t ip[4] = {0, 0, 0, 0};
    if (address && !VelaNet::parseIPv4(address, ip))
        return false;
    m_udp = VelaNet::bindUdp(VelaNet::makeAddress(ip, port));
    if (!m_udp.valid())
        return false;
    ::setsockopt(m_udp.get(), SOL_SOCKET, SO_RCVBUF, &UdpReceiveBuffer, sizeof UdpReceiveBuffer);
    // Room for one byte more than the largest valid datagram, so that an oversized one shows.
    m_datagram.resize(sizeof(ResultHeader) + rawSize + 1);
    return true;
}

void LS7xConnection::udpClose()
{
    std::lock_guard<std::mutex> lock(m_udpMutex);
    m_udp.reset();
}

bool LS7xConnection::udpReceive(uint16_t kind, void* out, uint32_t size)
{
    std::lock_guard<std::mutex> lock(m_udpMutex);
    if (!m_udp.valid() || size + sizeof(ResultHeader) > m_datagram.size())
        return false;
    const VelaNet::Deadline deadline(exchangeTimeoutMs());
    for (;;) {
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        const ssize_t n = ::recvfrom(m_udp.get(), m_datagram.data(), m_datagram.size(), MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if ((errno == EAGAIN || errno == EWOULDBLOCK) && VelaNet::waitReadable(m_udp.get(), deadline.remainingMs()))
                continue;
            return false;
        }
        const DatagramVerdict verdict = judgeResultDatagram(m_datagram.data(), size_t(n), from, block, kind, size);
        if (verdict == DatagramVerdict::Fail)
            return false;
        if (verdict == DatagramVerdict::PassOver)
            continue;
        std::memcpy(out, m_datagram.data() + sizeof(ResultHeader), size);
        return true;
    }
}

bool LS7xConnection::dataConnect(const uint8_t address[4], uint16_t port)
{
    std::lock_guard<std::mutex> lock(m_dataMutex);
    m_data.reset();
    const VelaNet::Deadline deadline(exchangeTimeoutMs());
    VelaNet::Fd fd = VelaNet::connectTcp(VelaNet::makeAddress(address, port), deadline);
    const uint32_t hello[2] = {DataHelloMagic, 0};
    uint32_t ack[2] = {0, 0};
    if (!fd.valid() || !VelaNet::sendAll(fd.get(), hello, sizeof hello, deadline)
        || !VelaNet::recvAll(fd.get(), ack, sizeof ack, deadline) || ack[0] != DataHelloMagic)
        return false;
    m_data = std::move(fd);
    return true;
}

void LS7xConnection::dataClose()
{
    std::lock_guard<std::mutex> lock(m_dataMutex);
    m_data.reset();
}

} // namespace VelaDevice
