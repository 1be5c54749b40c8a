#include "Scanner.h"

#include "ControlFraming.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace VelaEmulator {

using namespace VelaProtocol;

namespace {

constexpr int IdlePollMs = 200;
constexpr int AnswerTimeoutMs = 2000;
constexpr int ReadChunk = 65536;
constexpr int MaxBurst = 64;

timespec timeUntil(std::chrono::steady_clock::time_point at)
{
    const auto left = std::max(std::chrono::steady_clock::duration::zero(), at - std::chrono::steady_clock::now());
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    return timespec{time_t(ns / 1000000000), long(ns % 1000000000)};
}

uint32_t addressWord(const uint8_t a[4])
{
    uint32_t w;
    std::memcpy(&w, a, 4);
    return w;
}

} // namespace

Scanner::Scanner(ScannerSetup setup)
    : m_setup(std::move(setup)),
      m_state(m_setup.model, m_setup.serial, Flash(m_setup.statePath), m_setup.log),
      m_random(m_setup.serial * 0x9E3779B97F4A7C15ull + 7)
{
    std::memcpy(m_address, m_setup.address, 4);
    m_resultRate = m_setup.resultRate;
    m_state.setRepeatPoints(m_setup.repeatPoints);
    m_state.setRecording(std::move(m_setup.recording));
}

Scanner::~Scanner()
{
    stop();
}

void Scanner::log(const std::string& text) const
{
    if (m_setup.log)
        m_setup.log(std::string(modelName(m_setup.model)) + " " + std::to_string(m_setup.serial) + ": " + text);
}

bool Scanner::start(std::string* error)
{
    m_state.boot(m_setup.address, m_setup.hostPort, m_setup.tcpDataPort, m_setup.firstCounter);
    if (!bringUp(error))
        return false;
    m_worker.start([this] { run(); });
    return true;
}

void Scanner::stop()
{
    m_worker.stop();
    goDown();
}

bool Scanner::bringUp(std::string* error)
{
    ParamBlock& params = m_state.params();
    // A new address from the parameter block counts from a start on, and only on loopback.
    if (VelaNet::isLoopback(params.deviceIP))
        std::memcpy(m_address, params.deviceIP, 4);
    else
        log("device address " + VelaNet::formatIPv4(params.deviceIP) + " is outside 127.0.0.0/8; staying at "
            + VelaNet::formatIPv4(m_address));

    const uint16_t wantedControl = m_info.controlPort ? m_info.controlPort : m_setup.controlPort;
    m_controlListener = VelaNet::listenTcp(VelaNet::makeAddress(m_address, wantedControl));
    if (!m_controlListener.valid() && m_setup.controlPort == 0)
        m_controlListener = VelaNet::listenTcp(VelaNet::makeAddress(m_address, 0));
    if (!m_controlListener.valid()) {
        if (error)
            *error = "cannot listen on " + VelaNet::formatIPv4(m_address) + ":" + std::to_string(wantedControl)
                + ": " + std::strerror(errno);
        return false;
    }
    if (params.tcpDataPort)
        m_dataListener = VelaNet::listenTcp(VelaNet::makeAddress(m_address, params.tcpDataPort));
    if (!m_dataListener.valid()) {
        m_dataListener = VelaNet::listenTcp(VelaNet::makeAddress(m_address, 0));
        const uint16_t port = VelaNet::localPort(m_dataListener.get());
        if (params.tcpDataPort)
            log("TCP data port " + std::to_string(params.tcpDataPort) + " is taken; using " + std::to_string(port));
        params.tcpDataPort = port;
    }
    m_udp = VelaNet::bindUdp(VelaNet::makeAddress(m_address, 0));
    const int sendBuffer = 4 << 20;
    ::setsockopt(m_udp.get(), SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    m_online = true;
    m_pushRate = -2;   // restart the pacing
    publish();
    return true;
}

void Scanner::goDown()
{
    // Offline and deaf first; a client that sees its connection close finds the sensor gone.
    m_online = false;
    publish();
    m_controlListener.reset();
    m_dataListener.reset();
    m_udp.reset();
    m_clients.clear();
    m_dataClients.clear();
}

void Scanner::publish()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_info.model = m_setup.model;
    m_info.serial = m_setup.serial;
    m_info.address = VelaNet::formatIPv4(m_address);
    if (m_online) {
        m_info.controlPort = VelaNet::localPort(m_controlListener.get());
        m_info.dataPort = VelaNet::localPort(m_dataListener.get());
    }
    m_info.hostPort = m_state.params().hostPort;
    m_info.online = m_online;
    m_info.firmwareVersion = m_state.firmwareVersion();
    m_block = makeInfoBlock(m_setup.model, m_setup.serial, m_address, m_info.controlPort, m_info.firmwareVersion);
}

SensorInfo Scanner::info() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_info;
}

bool Scanner::discoveryAnswer(uint16_t deviceType, DiscoveryAnswer* answer) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_info.online || m_faults.silent)
        return false;
    if (deviceType != VelaDevice::DeviceTypeAll && deviceType != m_block.DeviceType)
        return false;
    answer->magic = DiscoveryAnswerMagic;
    answer->block = m_block;
    return true;
}

void Scanner::setFaults(const Faults& faults)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_faults = faults;
    }
    m_worker.wake();
}

Faults Scanner::faults() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_faults;
}

void Scanner::countServedResult()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_faults.dropAfterResults > 0)
        --m_faults.dropAfterResults;
}

bool Scanner::takeDueDrop()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_faults.dropAfterResults != 0)
        return false;
    m_faults.dropAfterResults = -1;
    return true;
}

void Scanner::run()
{
    std::vector<pollfd> fds;
    while (!m_worker.stopping()) {
        Faults faults = this->faults();
        Clock::time_point wakeAt = Clock::now() + std::chrono::milliseconds(IdlePollMs);
        if (!m_online) {
            if (!m_poweredOff && Clock::now() >= m_backOnline) {
                m_state.boot(m_setup.address, m_setup.hostPort, m_setup.tcpDataPort, m_setup.firstCounter);
                std::string error;
                if (bringUp(&error)) {
                    log("back online at " + VelaNet::formatIPv4(m_address));
                    m_restartFailing = false;
                } else {
                    // Tried again after another reboot time; the reason does not change, so
                    // it is told once.
                    if (!m_restartFailing)
                        log("stays offline: " + error + "; trying again every " + std::to_string(m_setup.rebootMs) + " ms");
                    m_restartFailing = true;
                    m_backOnline = Clock::now() + std::chrono::milliseconds(m_setup.rebootMs);
                }
                continue;
            }
            if (!m_poweredOff)
                wakeAt = m_backOnline;
        } else if (!faults.silent) {
            wakeAt = std::min(wakeAt, pushResults(faults));
        }

        fds.clear();
        fds.push_back({m_worker.wakeFd(), POLLIN, 0});
        if (m_online) {
            fds.push_back({m_controlListener.get(), POLLIN, 0});
            fds.push_back({m_dataListener.get(), POLLIN, 0});
            for (const Client& c : m_clients)
                fds.push_back({c.fd.get(), POLLIN, 0});
            for (const DataClient& c : m_dataClients)
                fds.push_back({c.fd.get(), short(c.pending.empty() ? POLLIN : POLLIN | POLLOUT), 0});
        }
        // To the nanosecond: a result due in 0.4 ms is waited for, not polled for.
        const timespec timeout = timeUntil(wakeAt);
        if (::ppoll(fds.data(), fds.size(), &timeout, nullptr) < 0 && errno != EINTR)
            break;
        if (fds[0].revents)
            m_worker.clearWake();
        if (!m_online)
            continue;
        // Faults set while we slept apply to what woke us.
        faults = this->faults();
        size_t i = 3;
        Action action = Action::None;
        for (auto it = m_clients.begin(); it != m_clients.end() && i < fds.size(); ++i) {
            const bool keep = !fds[i].revents || action != Action::None || readClient(*it, faults, &action);
            it = keep ? std::next(it) : m_clients.erase(it);
        }
        // Data clients follow the control clients in fds, in the same order as their list.
        for (auto it = m_dataClients.begin(); it != m_dataClients.end() && i < fds.size(); ++i) {
            bool keep = true;
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
                keep = readDataClient(*it, faults.silent);
            if (keep && (fds[i].revents & POLLOUT))
                flushDataClient(*it);
            it = keep && it->fd.valid() ? std::next(it) : m_dataClients.erase(it);
        }
        if (action != Action::None) {
            perform(action);
            continue;
        }
        // New clients join after the loops above, which walk the lists in step with fds.
        if (fds[1].revents)
            acceptControl();
        if (fds[2].revents)
            acceptData();
    }
}

void Scanner::perform(Action action)
{
    goDown();
    if (action == Action::Reboot) {
        log("rebooting");
        m_backOnline = Clock::now() + std::chrono::milliseconds(m_setup.rebootMs);
    } else {
        log("powered off until the emulator restarts");
        m_poweredOff = true;
    }
}

void Scanner::acceptControl()
{
    for (;;) {
        VelaNet::Fd fd = VelaNet::acceptTcp(m_controlListener.get());
        if (!fd.valid())
            return;
        m_clients.push_back(Client{std::move(fd), {}});
    }
}

void Scanner::acceptData()
{
    for (;;) {
        VelaNet::Fd fd = VelaNet::acceptTcp(m_dataListener.get());
        if (!fd.valid())
            return;
        DataClient client;
        client.fd = std::move(fd);
        m_dataClients.push_back(std::move(client));
    }
}

bool Scanner::readClient(Client& client, const Faults& faults, Action* action)
{
    uint8_t chunk[ReadChunk];
    const ssize_t n = ::recv(client.fd.get(), chunk, sizeof chunk, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
        return false;
    if (n > 0)
        client.input.insert(client.input.end(), chunk, chunk + n);

    bool keep = true;
    const long consumed = takeRequests(client.input.data(), client.input.size(),
                                       [&](const FrameHeader& header, const uint8_t* payload) {
        if (!faults.silent)
            keep = serveRequest(client, header, payload, faults, action);
        return keep && *action == Action::None;
    });
    if (consumed < 0)
        return false;   // not our protocol: hang up
    client.input.erase(client.input.begin(), client.input.begin() + consumed);
    return keep;
}

bool Scanner::serveRequest(Client& client, const FrameHeader& header, const uint8_t* payload,
                           const Faults& faults, Action* action)
{
    {
        std::lock_guard<std::mutex> lock(m_observerMutex);
        if (m_requestObserver)
            m_requestObserver(header.command);
    }
    if (takeDueDrop()) {
        log("dropping the control connection (fault)");
        return false;
    }
    const Reply reply = m_state.handle(header.command, payload, header.length, faults.refuseWrites, action);
    if (faults.answerDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(faults.answerDelayMs));
    const FrameHeader answer{FrameMagic, header.command, reply.status, header.sequence,
                             reply.status == StatusOk ? reply.size : 0};
    const VelaNet::Deadline deadline(AnswerTimeoutMs);
    if (!VelaNet::sendAll(client.fd.get(), &answer, sizeof answer, deadline)
        || (answer.length > 0 && !VelaNet::sendAll(client.fd.get(), reply.data, answer.length, deadline)))
        return false;
    const bool result = header.command == CmdGetResult || header.command == CmdGetPixels;
    if (result && reply.status == StatusOk)
        countServedResult();
    return true;
}

bool Scanner::readDataClient(DataClient& client, bool silent)
{
    uint8_t chunk[256];
    const ssize_t n = ::recv(client.fd.get(), chunk, sizeof chunk, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
        return false;
    if (client.greeted || n < 0)
        return true;   // nothing is expected from the host after the hello
    client.input.insert(client.input.end(), chunk, chunk + n);
    if (client.input.size() < 8)
        return true;
    uint32_t magic;
    std::memcpy(&magic, client.input.data(), sizeof magic);
    if (magic != DataHelloMagic)
        return false;
    if (silent)
        return true;
    const uint32_t ack[2] = {DataHelloMagic, m_setup.serial};
    client.greeted = VelaNet::sendAll(client.fd.get(), ack, sizeof ack, VelaNet::Deadline(AnswerTimeoutMs));
    return client.greeted;
}

void Scanner::flushDataClient(DataClient& client)
{
    while (!client.pending.empty()) {
        const ssize_t n = ::send(client.fd.get(), client.pending.data(), client.pending.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            client.pending.erase(client.pending.begin(), client.pending.begin() + n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        client.fd.reset();
        return;
    }
}

void Scanner::setRequestObserver(RequestObserver observer)
{
    std::lock_guard<std::mutex> lock(m_observerMutex);
    m_requestObserver = std::move(observer);
}

void Scanner::setResultRate(double rate)
{
    m_resultRate = rate;
    m_worker.wake();
}

Scanner::Clock::time_point Scanner::pushResults(const Faults& faults)
{
    const double samplingRate = m_state.samplingRate();
    const double rate = samplingRate <= 0 ? 0 : (m_resultRate != 0 ? m_resultRate.load() : samplingRate);
    const Clock::time_point now = Clock::now();
    if (rate != m_pushRate) {
        m_pushRate = rate;
        m_pushStart = now;
        m_pushed = 0;
    }
    if (rate == 0)
        return now + std::chrono::milliseconds(IdlePollMs);
    if (rate < 0) {
        for (int i = 0; i < MaxBurst; ++i)
            pushOne(faults, std::nullopt);
        return now;
    }
    const double elapsed = std::chrono::duration<double>(now - m_pushStart).count();
    uint64_t due = uint64_t(elapsed * rate) + 1;
    if (due > m_pushed + uint64_t(rate) + MaxBurst) {
        // Far behind (a stall): start the pacing afresh rather than burst.
        m_pushStart = now;
        m_pushed = 0;
        due = 1;
    }
    // Internal sampling triggers one measurement per result, when the result is due.
    for (int i = 0; m_pushed < due && i < MaxBurst; ++i, ++m_pushed)
        pushOne(faults, pushDue(m_pushed, rate));
    return pushDue(m_pushed, rate);
}

// Rounded up, so that a wake-up at that time finds the result due rather than a hair early.
Scanner::Clock::time_point Scanner::pushDue(uint64_t index, double rate) const
{
    return m_pushStart + std::chrono::ceil<Clock::duration>(std::chrono::duration<double>(double(index) / rate));
}

void Scanner::pushOne(const Faults& faults, std::optional<Clock::time_point> triggeredAt)
{
    const uint8_t* result = m_state.nextResult(triggeredAt);
    const ResultHeader header{ResultMagic, typeCode(m_setup.model), ResultProfile, m_setup.serial, m_state.resultSize()};

    if (faults.udpLossShare <= 0 || m_random.uniform() >= faults.udpLossShare) {
        const ParamBlock& params = m_state.params();
        uint8_t host[4];
        std::memcpy(host, params.hostIP, 4);
        if (!VelaNet::isLoopback(host)) {
            if (m_warnedHost != addressWord(host))
                log("host address " + VelaNet::formatIPv4(host) + " is outside 127.0.0.0/8; results go to 127.0.0.1");
            m_warnedHost = addressWord(host);
            const uint8_t loopback[4] = {127, 0, 0, 1};
            std::memcpy(host, loopback, 4);
        }
        if (params.hostPort != 0) {
            sockaddr_in to = VelaNet::makeAddress(host, params.hostPort);
            iovec parts[2] = {{const_cast<ResultHeader*>(&header), sizeof header},
                              {const_cast<uint8_t*>(result), m_state.resultSize()}};
            msghdr message{};
            message.msg_name = &to;
            message.msg_namelen = sizeof to;
            message.msg_iov = parts;
            message.msg_iovlen = 2;
            ::sendmsg(m_udp.get(), &message, MSG_DONTWAIT);
        }
    }
    for (DataClient& client : m_dataClients) {
        if (client.greeted && client.pending.empty() && client.fd.valid()) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(&header);
            client.pending.assign(bytes, bytes + sizeof header);
            client.pending.insert(client.pending.end(), result, result + m_state.resultSize());
            flushDataClient(client);
        }
    }
}
} // namespace VelaEmulator
