#include "VelaCOMDevice.h"

#include "VelaSocket.h"
#include "private/Timeouts.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace VelaDevice {

namespace {

bool baudConstant(unsigned long baud, speed_t* out)
{
    static const struct { unsigned long baud; speed_t constant; } table[] = {
        {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600},
        {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
    };
    for (const auto& entry : table) {
        if (entry.baud == baud) {
            *out = entry.constant;
            return true;
        }
    }
    return false;
}

} // namespace

VelaCOMDevice::VelaCOMDevice() = default;

VelaCOMDevice::~VelaCOMDevice()
{
    ClosePort();
}

int VelaCOMDevice::OpenPort(const char* name, unsigned long baud)
{
    speed_t speed;
    if (!name || !baudConstant(baud, &speed))
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    const int fd = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        ::close(fd);   // not a terminal
        return 0;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        ::close(fd);
        return 0;
    }
    ::tcflush(fd, TCIOFLUSH);
    m_fd = fd;
    return 1;
}

int VelaCOMDevice::ClosePort()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    return 1;
}

int VelaCOMDevice::IsOpen() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_fd >= 0 ? 1 : 0;
}

bool VelaCOMDevice::exchange(const unsigned char* request, int requestSize,
                             unsigned char* answer, int answerSize)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_fd < 0)
        return false;
    const VelaNet::Deadline deadline(exchangeTimeoutMs());
    // Bytes left from an answer that came too late belong to no request any more.
    ::tcflush(m_fd, TCIFLUSH);
    for (int done = 0; done < requestSize;) {
        const ssize_t n = ::write(m_fd, request + done, size_t(requestSize - done));
        if (n > 0)
            done += int(n);
        else if (n < 0 && errno != EINTR && (errno != EAGAIN || !VelaNet::waitWritable(m_fd, deadline.remainingMs())))
            return false;
    }
    for (int done = 0; done < answerSize;) {
        const ssize_t n = ::read(m_fd, answer + done, size_t(answerSize - done));
        if (n > 0)
            done += int(n);
        else if (n == 0 || (errno != EINTR && (errno != EAGAIN || !VelaNet::waitReadable(m_fd, deadline.remainingMs()))))
            return false;
    }
    return true;
}

} // namespace VelaDevice
