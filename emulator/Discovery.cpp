#include "Discovery.h"

#include "VelaProtocol.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace VelaEmulator {

using namespace VelaProtocol;

std::optional<uint16_t> discoveryFilter(const void* datagram, size_t size)
{
    DiscoveryRequest request;
    if (size != sizeof request)
        return std::nullopt;
    std::memcpy(&request, datagram, sizeof request);
    if (request.magic != DiscoveryRequestMagic)
        return std::nullopt;
    return request.deviceType;
}

Discovery::Discovery(std::vector<Scanner*> scanners)
    : m_scanners(std::move(scanners))
{
}

Discovery::~Discovery()
{
    stop();
}

bool Discovery::start(const sockaddr_in& endpoint, std::string* error)
{
    m_socket = VelaNet::bindUdp(endpoint);
    if (!m_socket.valid()) {
        if (error)
            *error = "cannot bind the discovery endpoint port " + std::to_string(ntohs(endpoint.sin_port)) + ": "
                + std::strerror(errno);
        return false;
    }
    m_port = VelaNet::localPort(m_socket.get());
    m_worker.start([this] { run(); });
    return true;
}

void Discovery::stop()
{
    m_worker.stop();
    m_socket.reset();
}

void Discovery::run()
{
    while (!m_worker.stopping()) {
        const Worker::Wait wait = m_worker.waitReadable(m_socket.get(), 500);
        if (wait == Worker::Wait::Failed)
            return;
        if (wait != Worker::Wait::Readable)
            continue;
        DiscoveryRequest request;
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        const ssize_t n = ::recvfrom(m_socket.get(), &request, sizeof request, MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&from), &fromLen);
        const std::optional<uint16_t> filter = n > 0 ? discoveryFilter(&request, size_t(n)) : std::nullopt;
        if (!filter)
            continue;
        for (const Scanner* scanner : m_scanners) {
            DiscoveryAnswer answer;
            if (scanner->discoveryAnswer(*filter, &answer))
                ::sendto(m_socket.get(), &answer, sizeof answer, 0, reinterpret_cast<const sockaddr*>(&from), fromLen);
        }
    }
}

} // namespace VelaEmulator
