#pragma once

#include "Scanner.h"
#include "VelaSocket.h"
#include "Worker.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace VelaEmulator {

// The type filter a discovery request asks for, or nothing when the datagram is not one.
// `size` is the length the datagram had, which exceeds the buffer of a truncated receive.
std::optional<uint16_t> discoveryFilter(const void* datagram, size_t size);

// Answers discovery requests on one UDP endpoint for every scanner of the emulator.
class Discovery
{
public:
    explicit Discovery(std::vector<Scanner*> scanners);
    ~Discovery();

    bool start(const sockaddr_in& endpoint, std::string* error);
    void stop();
    uint16_t port() const { return m_port; }

private:
    void run();

    std::vector<Scanner*> m_scanners;
    VelaNet::Fd m_socket;
    uint16_t m_port = 0;
    Worker m_worker;
};

} // namespace VelaEmulator
