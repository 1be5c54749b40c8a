#pragma once

#include "VelaSocket.h"

#include <atomic>
#include <functional>
#include <thread>

namespace VelaEmulator {

// A thread that sleeps in poll and can be woken and stopped from any other thread: its body
// polls wakeFd() along with its sockets and ends when stopping() turns true.
class Worker
{
public:
    Worker();
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void start(std::function<void()> body);
    void stop();
    void wake();
    // Drains the wake-ups; call when wakeFd() is readable.
    void clearWake();

    enum class Wait { Readable, Idle, Failed };
    // Sleeps until fd is readable, a wake-up comes or the time-out passes (wake-ups are drained).
    Wait waitReadable(int fd, int timeoutMs);

    int wakeFd() const { return m_wake.get(); }
    bool stopping() const { return m_stopping.load(); }

private:
    VelaNet::Fd m_wake;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

} // namespace VelaEmulator
