#include "Discovery.h"

#include "VelaProtocol.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace VelaEmulator {

using namespace VelaProtocol;

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
        if (n != ssize_t(sizeof request) || request.magic != DiscoveryRequestMagic)
            continue;
        for (const Scanner* scanner : m_scanners) {
            DiscoveryAnswer answer;
            if (scanner->discoveryAnswer(request.deviceType, &answer))
                ::sendto(m_socket.get(), &answer, sizeof answer, 0, reinterpret_cast<const sockaddr*>(&from), fromLen);
        }
    }
}

} // namespace VelaEmulator
