#include "Worker.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <cerrno>
#include <unistd.h>

namespace VelaEmulator {

Worker::Worker()
    : m_wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

Worker::~Worker()
{
    stop();
}

void Worker::start(std::function<void()> body)
{
    m_stopping = false;
    m_thread = std::thread(std::move(body));
}

void Worker::stop()
{
    m_stopping = true;
    wake();
    if (m_thread.joinable())
        m_thread.join();
}

void Worker::wake()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wake.get(), &one, sizeof one);
}

void Worker::clearWake()
{
    uint64_t count;
    [[maybe_unused]] const ssize_t n = ::read(m_wake.get(), &count, sizeof count);
}

Worker::Wait Worker::waitReadable(int fd, int timeoutMs)
{
    pollfd fds[2] = {{m_wake.get(), POLLIN, 0}, {fd, POLLIN, 0}};
    if (::poll(fds, 2, timeoutMs) < 0)
        return errno == EINTR ? Wait::Idle : Wait::Failed;
    if (fds[0].revents)
        clearWake();
    return (fds[1].revents & POLLIN) ? Wait::Readable : Wait::Idle;
}

} // namespace VelaEmulator
