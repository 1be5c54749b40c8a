#pragma once

#include "EmulatorTypes.h"
#include "Recording.h"
#include "ScannerState.h"
#include "VelaProtocol.h"
#include "VelaSocket.h"
#include "Worker.h"

#include <atomic>
#include <chrono>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace VelaEmulator {

struct ScannerSetup {
    Model model = Model::LS74;
    uint32_t serial = 0;
    uint8_t address[4] = {127, 0, 0, 11};
    uint16_t controlPort = 6001;    // 0 = any free port
    uint16_t hostPort = 6003;       // factory host port of the parameter block
    uint16_t tcpDataPort = 6603;    // factory TCP data port; 0 = any free port
    std::string statePath;          // empty = flash kept in memory
    double resultRate = 0;          // 0 = the UDP frequency, > 0 = this rate, < 0 = as fast as possible
    bool repeatPoints = false;      // see ScannerState::setRepeatPoints
    int rebootMs = 1000;
    uint16_t firstCounter = 0;
    LogFunction log;
    std::unique_ptr<Recording> recording;   // null = the scene
};

// What the emulator tells about one of its sensors.
struct SensorInfo {
    Model model = Model::LS74;
    uint32_t serial = 0;
    std::string address;            // scanners: dotted IPv4
    uint16_t controlPort = 0;
    uint16_t dataPort = 0;          // TCP data hand-over
    uint16_t hostPort = 0;          // where results go
    std::string ptyPath;            // LP81: the pseudo-terminal to open
    bool online = false;
    uint32_t firmwareVersion = 0;
};

// One emulated LS71 or LS74: its sockets and the thread that serves them.
class Scanner
{
public:
    explicit Scanner(ScannerSetup setup);
    ~Scanner();

    bool start(std::string* error);
    void stop();

    SensorInfo info() const;
    // The answer to a discovery request with this type filter, unless the sensor is
    // offline, silent or of another type.
    bool discoveryAnswer(uint16_t deviceType, VelaProtocol::DiscoveryAnswer* answer) const;
    void setFaults(const Faults& faults);
    Faults faults() const;
    // Replaces the setup's result rate while the sensor runs.
    void setResultRate(double rate);
    // Null removes it; once this returns, the previous observer is not running and is not
    // called again.
    void setRequestObserver(RequestObserver observer);

private:
    struct Client {
        VelaNet::Fd fd;
        std::vector<uint8_t> input;
    };
    struct DataClient {
        VelaNet::Fd fd;
        bool greeted = false;
        std::vector<uint8_t> input;
        std::vector<uint8_t> pending;   // the unsent tail of the last result
    };
    using Clock = std::chrono::steady_clock;

    void run();
    bool bringUp(std::string* error);
    void goDown();
    void publish();
    void log(const std::string& text) const;

    void acceptControl();
    void acceptData();
    // False when the client is to be closed; a reboot or power-off request sets action.
    bool readClient(Client& client, const Faults& faults, Action* action);
    void perform(Action action);
    bool serveRequest(Client& client, const VelaProtocol::FrameHeader& header, const uint8_t* payload,
                      const Faults& faults, Action* action);
    bool readDataClient(DataClient& client, bool silent);
    void flushDataClient(DataClient& client);
    // Pushes the results that are due; gives the time the next one is due.
    Clock::time_point pushResults(const Faults& faults);
    // When result number index of the current pacing is due.
    Clock::time_point pushDue(uint64_t index, double rate) const;
    // triggeredAt: when internal sampling triggered the result's measurement; none flat out.
    void pushOne(const Faults& faults, std::optional<Clock::time_point> triggeredAt);
    // Counts a result served on a control connection towards the drop fault.
    void countServedResult();
    // True once when the drop fault is due: the connection goes without an answer.
    bool takeDueDrop();

    ScannerSetup m_setup;
    ScannerState m_state;
    Worker m_worker;
    Random m_random;

    // Sockets, used by the thread only.
    uint8_t m_address[4];
    VelaNet::Fd m_controlListener;
    VelaNet::Fd m_dataListener;
    VelaNet::Fd m_udp;
    std::list<Client> m_clients;
    std::list<DataClient> m_dataClients;
    bool m_online = false;
    bool m_poweredOff = false;
    Clock::time_point m_backOnline;
    bool m_restartFailing = false;
    std::atomic<double> m_resultRate;
    double m_pushRate = 0;
    Clock::time_point m_pushStart;
    uint64_t m_pushed = 0;
    uint32_t m_warnedHost = 0;

    mutable std::mutex m_mutex;   // guards what other threads read or set
    std::mutex m_observerMutex;   // held while the observer runs
    RequestObserver m_requestObserver;
    Faults m_faults;
    SensorInfo m_info;
    VelaProtocol::_UDP_DEVINFOBLOCK_PC m_block{};
};

} // namespace VelaEmulator
