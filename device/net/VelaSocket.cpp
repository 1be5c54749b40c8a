#include "VelaSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace VelaNet {

Fd& Fd::operator=(Fd&& other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

int Fd::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void Fd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

int Deadline::remainingMs() const
{
    const auto left = m_end - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero())
        return 0;
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(left).count()) + 1;
}

bool parseIPv4(const std::string& text, uint8_t out[4])
{
    unsigned v[4];
    char tail;
    if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%c", &v[0], &v[1], &v[2], &v[3], &tail) != 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        if (v[i] > 255)
            return false;
        out[i] = uint8_t(v[i]);
    }
    return true;
}

std::string formatIPv4(const uint8_t a[4])
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", a[0], a[1], a[2], a[3]);
    return text;
}

sockaddr_in makeAddress(const uint8_t address[4], uint16_t port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    std::memcpy(&sa.sin_addr.s_addr, address, 4);
    return sa;
}

bool parseEndpoint(const std::string& text, uint16_t defaultPort, sockaddr_in* out)
{
    const auto colon = text.rfind(':');
    std::string host = text.substr(0, colon);
    unsigned port = defaultPort;
    if (colon != std::string::npos) {
        char tail;
        if (std::sscanf(text.c_str() + colon + 1, "%5u%c", &port, &tail) != 1 || port == 0 || port > 65535)
            return false;
    }
    if (host == "localhost")
        host = "127.0.0.1";
    uint8_t ip[4];
    if (!parseIPv4(host, ip))
        return false;
    *out = makeAddress(ip, uint16_t(port));
    return true;
}

bool isLoopback(const uint8_t address[4])
{
    return address[0] == 127;
}

bool setNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

static bool waitFor(int fd, short events, int timeoutMs)
{
    pollfd p{fd, events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, timeoutMs);
        if (n > 0)
            return (p.revents & (events | POLLHUP | POLLERR)) != 0;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

bool waitReadable(int fd, int timeoutMs)
{
    return waitFor(fd, POLLIN, timeoutMs);
}

bool waitWritable(int fd, int timeoutMs)
{
    return waitFor(fd, POLLOUT, timeoutMs);
}

Fd connectTcp(const sockaddr_in& to, const Deadline& deadline)
{
    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.valid())
        return {};
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0)
        return fd;
    if (errno != EINPROGRESS || !waitWritable(fd.get(), deadline.remainingMs()))
        return {};
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0)
        return {};
    const int one = 1;
    ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

Fd listenTcp(const sockaddr_in& at)
{
    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.valid())
        return {};
    const int one = 1;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 || ::listen(fd.get(), 8) != 0)
        return {};
    return fd;
}

Fd acceptTcp(int listener)
{
    Fd fd(::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (fd.valid()) {
        // Answers go out as header and payload; waiting for an ACK in between costs 40 ms.
        const int one = 1;
        ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    return fd;
}

Fd bindUdp(const sockaddr_in& at)
{
    Fd fd(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.valid() || ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0)
        return {};
    return fd;
}

uint16_t localPort(int fd)
{
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        return 0;
    return ntohs(sa.sin_port);
}

bool sendAll(int fd, const void* data, size_t size, const Deadline& deadline)
{
    auto p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL);
        if (n > 0) {
            p += n;
            size -= size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitWritable(fd, deadline.remainingMs()))
            continue;
        return false;
    }
    return true;
}

bool recvAll(int fd, void* data, size_t size, const Deadline& deadline)
{
    auto p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::recv(fd, p, size, 0);
        if (n > 0) {
            p += n;
            size -= size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitReadable(fd, deadline.remainingMs()))
            continue;
        return false;   // closed by the peer, error or time-out
    }
    return true;
}

static std::array<uint32_t, 256> makeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

uint32_t crc32(const void* data, size_t size)
{
    static const std::array<uint32_t, 256> table = makeCrcTable();
    uint32_t c = 0xFFFFFFFFu;
    auto p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i)
        c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

} // namespace VelaNet
