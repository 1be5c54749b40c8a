#pragma once

#include "EmulatorTypes.h"
#include "VelaDeviceTypes.h"
#include "VelaSocket.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace StreamerTest {

// A line scanner's control port that answers result requests from a script, for failure
// sequences the emulator cannot produce on demand. Every other request is refused.
class ScriptedSensor
{
public:
    enum class Answer {
        Result,   // a valid result of two points
        Refuse,   // the request fails at once
        Hold,     // no answer until the sensor stops or the device gives up
    };

    explicit ScriptedSensor(VelaEmulator::Model model);
    ~ScriptedSensor();

    // Answers for the next result requests; after the script every request gets a result.
    void script(std::initializer_list<std::pair<Answer, int>> answers);
    // Result requests seen so far.
    int requests() const { return m_requests; }
    VelaDevice::_UDP_DEVINFOBLOCK_PC block() const;

private:
    void serve();
    bool answer(int fd, const void* header);
    Answer next();

    const VelaEmulator::Model m_model;
    VelaNet::Fd m_listener;
    uint16_t m_port = 0;
    std::atomic<int> m_requests{0};
    uint16_t m_counter = 0;
    std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stop = false;
    std::deque<Answer> m_script;
    std::thread m_thread;
};

} // namespace StreamerTest
