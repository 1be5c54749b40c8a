#include "ScriptedSensor.h"

#include "SensorModel.h"
#include "VelaProtocol.h"

#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <cstring>
#include <vector>

namespace StreamerTest {

using namespace VelaProtocol;

namespace {
const uint8_t Loopback[4] = {127, 0, 0, 1};
constexpr int HoldMs = 1500;   // longer than the device's time-out
}

ScriptedSensor::ScriptedSensor(VelaEmulator::Model model)
    : m_model(model), m_listener(VelaNet::listenTcp(VelaNet::makeAddress(Loopback, 0)))
{
    m_port = VelaNet::localPort(m_listener.get());
    m_thread = std::thread([this] { serve(); });
}

ScriptedSensor::~ScriptedSensor()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_stopped.notify_all();
    m_thread.join();
}

void ScriptedSensor::script(std::initializer_list<std::pair<Answer, int>> answers)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [answer, times] : answers)
        m_script.insert(m_script.end(), size_t(times), answer);
}

VelaDevice::_UDP_DEVINFOBLOCK_PC ScriptedSensor::block() const
{
    return VelaEmulator::makeInfoBlock(m_model, 4242, Loopback, m_port, 1);
}

ScriptedSensor::Answer ScriptedSensor::next()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_script.empty())
        return Answer::Result;
    const Answer answer = m_script.front();
    m_script.pop_front();
    return answer;
}

void ScriptedSensor::serve()
{
    VelaNet::Fd client;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stop)
                return;
        }
        pollfd fds[2] = {{m_listener.get(), POLLIN, 0}, {client.get(), POLLIN, 0}};
        if (::poll(fds, client.valid() ? 2 : 1, 20) <= 0)
            continue;
        if (fds[0].revents) {
            // The device opens a new connection after every failed exchange.
            client = VelaNet::Fd(::accept4(m_listener.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
            continue;
        }
        FrameHeader header{};
        if (!VelaNet::recvAll(client.get(), &header, sizeof header, VelaNet::Deadline(1000)) || !answer(client.get(), &header))
            client.reset();
    }
}

bool ScriptedSensor::answer(int fd, const void* request)
{
    FrameHeader header;
    std::memcpy(&header, request, sizeof header);
    std::vector<uint8_t> payload(header.length);
    const VelaNet::Deadline deadline(1000);
    if (header.length > 0 && !VelaNet::recvAll(fd, payload.data(), payload.size(), deadline))
        return false;
    FrameHeader reply{FrameMagic, header.command, StatusRefused, header.sequence, 0};
    std::vector<uint8_t> result;
    if (header.command == CmdGetResult) {
        ++m_requests;
        const Answer answer = next();
        if (answer == Answer::Hold) {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_stopped.wait_for(lock, std::chrono::milliseconds(HoldMs), [this] { return m_stop; });
            return false;
        }
        if (answer == Answer::Result) {
            ++m_counter;
            if (m_model == VelaEmulator::Model::LS71) {
                LS71RawResult raw{};
                raw.measCounter = raw.packetCounter = m_counter;
                raw.points[10] = {100, 5000};
                raw.points[11] = {200, 5100};
                result.assign(reinterpret_cast<uint8_t*>(&raw), reinterpret_cast<uint8_t*>(&raw) + sizeof raw);
            } else {
                LS74RawResult raw{};
                raw.measCounter = raw.packetCounter = m_counter;
                raw.count = 2;
                raw.points[0] = {1000, 50000};
                raw.points[1] = {2000, 51000};
                result.assign(reinterpret_cast<uint8_t*>(&raw), reinterpret_cast<uint8_t*>(&raw) + sizeof raw);
            }
            reply.status = StatusOk;
            reply.length = uint32_t(result.size());
        }
    }
    return VelaNet::sendAll(fd, &reply, sizeof reply, deadline)
        && (result.empty() || VelaNet::sendAll(fd, result.data(), result.size(), deadline));
}

} // namespace StreamerTest
