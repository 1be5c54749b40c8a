#include "PointSensor.h"

#include "VelaProtocol.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace VelaEmulator {

using namespace VelaProtocol;

namespace {

uint8_t checksum(const uint8_t* data, size_t size)
{
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum += data[i];
    return uint8_t(sum);
}

} // namespace

PointSensor::PointSensor(uint32_t serial, uint8_t address, LogFunction log)
    : m_serial(serial), m_address(address), m_log(std::move(log)), m_random(serial * 977 + 3),
      m_start(std::chrono::steady_clock::now())
{
}

PointSensor::~PointSensor()
{
    stop();
}

bool PointSensor::start(std::string* error)
{
    m_master.reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    const char* name = m_master.valid() && ::grantpt(m_master.get()) == 0 && ::unlockpt(m_master.get()) == 0
        ? ::ptsname(m_master.get()) : nullptr;
    if (name)
        m_slave.reset(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    termios tio{};
    if (!m_slave.valid() || ::tcgetattr(m_slave.get(), &tio) != 0) {
        if (error)
            *error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    // Raw from the start: an echoing terminal would hand our answers back to us as requests.
    ::cfmakeraw(&tio);
    ::tcsetattr(m_slave.get(), TCSANOW, &tio);
    VelaNet::setNonBlocking(m_master.get());
    m_path = name;
    m_worker.start([this] { run(); });
    return true;
}

void PointSensor::stop()
{
    m_worker.stop();
    m_master.reset();
    m_slave.reset();
}

SensorInfo PointSensor::info() const
{
    SensorInfo info;
    info.model = Model::LP81;
    info.serial = m_serial;
    info.ptyPath = m_path;
    info.online = m_master.valid();
    return info;
}

void PointSensor::setFaults(const Faults& faults)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults = faults;
}

Faults PointSensor::faults() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_faults;
}

uint16_t PointSensor::reading()
{
    const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    const double share = 0.5 + 0.35 * std::sin(2 * 3.14159265358979 * t / 5.0) + 0.002 * m_random.normal();
    return uint16_t(std::clamp(share, 0.0, 1.0) * 16384);
}

void PointSensor::answer(const uint8_t* request, const Faults& faults)
{
    uint8_t frame[3 + sizeof(VelaDevice::_VelaCOM_HELLO_ANSWER_)];
    frame[0] = m_address;
    frame[1] = request[1];
    size_t payload;
    if (request[1] == SerialHello) {
        const VelaDevice::_VelaCOM_HELLO_ANSWER_ hello{uint8_t(VelaDevice::DeviceTypeLP81), m_address,
                                                       uint16_t(m_serial), Base, Range};
        std::memcpy(frame + 2, &hello, sizeof hello);
        payload = sizeof hello;
    } else {
        const uint16_t raw = reading();
        std::memcpy(frame + 2, &raw, sizeof raw);
        payload = sizeof raw;
    }
    frame[2 + payload] = checksum(frame, 2 + payload);
    if (faults.answerDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(faults.answerDelayMs));
    VelaNet::Deadline deadline(1000);
    for (size_t done = 0; done < payload + 3;) {
        const ssize_t n = ::write(m_master.get(), frame + done, payload + 3 - done);
        if (n > 0)
            done += size_t(n);
        else if (errno != EINTR && (errno != EAGAIN || !VelaNet::waitWritable(m_master.get(), deadline.remainingMs())))
            return;
    }
}

void PointSensor::run()
{
    while (!m_worker.stopping()) {
        const Worker::Wait wait = m_worker.waitReadable(m_master.get(), 500);
        if (wait == Worker::Wait::Failed)
            return;
        if (wait != Worker::Wait::Readable)
            continue;
        uint8_t chunk[256];
        const ssize_t n = ::read(m_master.get(), chunk, sizeof chunk);
        if (n <= 0)
            continue;
        m_input.insert(m_input.end(), chunk, chunk + n);
        const Faults faults = this->faults();
        // Requests are three bytes; anything else is skipped a byte at a time until one fits.
        size_t at = 0;
        while (m_input.size() - at >= 3) {
            const uint8_t* r = m_input.data() + at;
            const bool valid = r[0] == m_address && (r[1] == SerialHello || r[1] == SerialMeasure)
                && r[2] == checksum(r, 2);
            if (!valid) {
                ++at;
                continue;
            }
            if (!faults.silent)
                answer(r, faults);
            at += 3;
        }
        m_input.erase(m_input.begin(), m_input.begin() + long(at));
    }
}

} // namespace VelaEmulator
