#pragma once

// Small POSIX socket helpers shared by the device library and the emulator. Every socket is
// non-blocking; waits go through poll with a deadline, so no call blocks without bound.

#include <netinet/in.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace VelaNet {

// Owns one file descriptor.
class Fd
{
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : m_fd(other.release()) {}
    Fd& operator=(Fd&& other) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release();
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

class Deadline
{
public:
    explicit Deadline(int ms) : m_end(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms)) {}
    // Milliseconds left, 0 once passed (rounded up, so a wait never spins at 0 too early).
    int remainingMs() const;
    bool expired() const { return std::chrono::steady_clock::now() >= m_end; }

private:
    std::chrono::steady_clock::time_point m_end;
};

// Dotted IPv4 text; false for anything that is not exactly four decimal octets.
bool parseIPv4(const std::string& text, uint8_t out[4]);
std::string formatIPv4(const uint8_t address[4]);
sockaddr_in makeAddress(const uint8_t address[4], uint16_t port);
// "host[:port]" with a dotted IPv4 host or "localhost".
bool parseEndpoint(const std::string& text, uint16_t defaultPort, sockaddr_in* out);
bool isLoopback(const uint8_t address[4]);

bool setNonBlocking(int fd);
// Waits until fd is readable (or writable); false on time-out or error.
bool waitReadable(int fd, int timeoutMs);
bool waitWritable(int fd, int timeoutMs);

Fd connectTcp(const sockaddr_in& to, const Deadline& deadline);
Fd listenTcp(const sockaddr_in& at);
// Accepts one waiting connection (non-blocking, no Nagle delay); invalid when none waits.
Fd acceptTcp(int listener);
Fd bindUdp(const sockaddr_in& at);
uint16_t localPort(int fd);

// Whole buffers within the deadline; false on time-out, error or a closed peer.
bool sendAll(int fd, const void* data, size_t size, const Deadline& deadline);
bool recvAll(int fd, void* data, size_t size, const Deadline& deadline);

uint32_t crc32(const void* data, size_t size);

} // namespace VelaNet
