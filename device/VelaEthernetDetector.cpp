#include "VelaEthernetDetector.h"

#include "VelaProtocol.h"
#include "VelaSocket.h"
#include "private/DatagramChecks.h"

#include <sys/socket.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace VelaDevice {

using namespace VelaProtocol;

namespace {

constexpr int ListenMsPerRound = 100;

std::vector<sockaddr_in> searchEndpoints()
{
    std::vector<sockaddr_in> endpoints;
    const char* variable = std::getenv("VELA_DEVICE_SEARCH");
    std::istringstream list(variable && *variable ? variable : "127.0.0.1");
    std::string item;
    while (std::getline(list, item, ',')) {
        item.erase(std::remove(item.begin(), item.end(), ' '), item.end());
        sockaddr_in endpoint{};
        if (VelaNet::parseEndpoint(item, DefaultDiscoveryPort, &endpoint))
            endpoints.push_back(endpoint);
    }
    return endpoints;
}

} // namespace

VelaEthernetDetector::VelaEthernetDetector() = default;
VelaEthernetDetector::~VelaEthernetDetector() = default;

int VelaEthernetDetector::Search(unsigned short deviceType, int rounds)
{
    m_blocks.clear();
    const uint8_t any[4] = {0, 0, 0, 0};
    VelaNet::Fd fd = VelaNet::bindUdp(VelaNet::makeAddress(any, 0));
    if (!fd.valid())
        return 0;
    const std::vector<sockaddr_in> endpoints = searchEndpoints();
    const DiscoveryRequest request{DiscoveryRequestMagic, deviceType, 0};
    for (int round = 0; round < std::max(rounds, 1); ++round) {
        for (const sockaddr_in& endpoint : endpoints)
            ::sendto(fd.get(), &request, sizeof request, 0, reinterpret_cast<const sockaddr*>(&endpoint), sizeof endpoint);
        const VelaNet::Deadline deadline(ListenMsPerRound);
        while (VelaNet::waitReadable(fd.get(), deadline.remainingMs())) {
            DiscoveryAnswer answer;
            const ssize_t n = ::recv(fd.get(), &answer, sizeof answer, MSG_TRUNC);
            if (n > 0)
                takeDiscoveryAnswer(m_blocks, deviceType, &answer, size_t(n));
        }
    }
    return GetSize();
}

int VelaEthernetDetector::GetSize() const
{
    return int(m_blocks.size());
}

_UDP_DEVINFOBLOCK_PC* VelaEthernetDetector::GetDevBlock(int i)
{
    return i >= 0 && i < GetSize() ? &m_blocks[size_t(i)] : nullptr;
}

_UDP_DEVINFOBLOCK_PC* VelaEthernetDetector::operator[](int i)
{
    return GetDevBlock(i);
}

} // namespace VelaDevice
