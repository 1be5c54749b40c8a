#include "LP81Streamer.h"

#include "TimedWait.h"

#include <VelaDeviceTypes.h>

namespace VelaStreamer {

namespace {
// A paused loop looks at its flags this often instead of spinning a core.
constexpr int PauseWaitMs = 50;
constexpr float RawFullScale = 16384.0f;
}

LP81Streamer::LP81Streamer(QObject* parent)
    : QThread(parent)
{
    qRegisterMetaType<uchar>("uchar");
}

LP81Streamer::LP81Streamer(QString port, unsigned long baud, uchar address, uchar id, QObject* parent)
    : QThread(parent), m_id(id), m_portName(std::move(port)), m_baudRate(baud), m_deviceAddress(address)
{
    qRegisterMetaType<uchar>("uchar");
}

LP81Streamer::~LP81Streamer()
{
    while (isRunningLoop() || isRunning()) {
        shutdown();
        wait(100);
    }
}

void LP81Streamer::setLP81(VelaDevice::LP81Device* device) { m_device = device; }
VelaDevice::LP81Device* LP81Streamer::getLP81() const { return m_device; }
void LP81Streamer::setId(uchar id) { m_id = id; }
uchar LP81Streamer::id() const { return m_id; }
void LP81Streamer::setFrequency(int frequency) { m_frequency = frequency; }
int LP81Streamer::errorCounter() const { return m_errorCounter; }
void LP81Streamer::pause() { m_paused = true; }
void LP81Streamer::resume() { m_paused = false; }
void LP81Streamer::shutdown() { m_stopRequest = true; }
bool LP81Streamer::isRunningLoop() const { return m_runningLoop; }

void LP81Streamer::run()
{
    // Before anything else, the last run's final store: whoever started this run may have
    // waited for that one through QThread alone, an order the thread sanitizer cannot see.
    m_runningLoop.load(std::memory_order_acquire);
    m_stopRequest = false;
    // Without a device there is nothing to open either: refused like a missing port.
    if (m_portName.isEmpty() || m_baudRate == 0 || m_deviceAddress == 0 || !m_device.load()) {
        emit complete(m_id, rc_USERBRK);
    } else {
        m_device.load()->ClosePort();
        m_errorCounter = 0;
        m_runningLoop = true;
        m_paused = false;
        loop();
    }
    // Stored last in every run, so that a caller who reads it false also sees everything the
    // run did (the thread sanitizer cannot see the ordering QThread::wait gives).
    m_runningLoop = false;
}

void LP81Streamer::loop()
{
    VelaDevice::LP81Device& device = *m_device.load();
    if (!device.OpenPort(m_portName.toUtf8().constData(), m_baudRate) || !device.HelloCmd()) {
        emit complete(m_id, rc_ERRCONN);
        return;
    }
    VelaDevice::_VelaCOM_HELLO_ANSWER_ hello{};
    device.GetHelloAnswer(&hello);
    emit connected(m_id);
    const int frequency = m_frequency;
    const int period = frequency > 0 ? int(1000.0 / frequency) : 0;
    const float factor = float(hello.Range) / RawFullScale;
    while (!m_stopRequest) {
        if (m_paused) {
            timedWait(PauseWaitMs, m_stopRequest);
            continue;
        }
        unsigned short raw = 0;
        if (device.GetSingleMeasure(&raw)) {
            emit receivedMeasure(m_id, float(raw) * factor);
            m_errorCounter = 0;
            timedWait(period, m_stopRequest);
        } else {
            ++m_errorCounter;
            emit readError(m_id);
            timedWait(FailureWaitMs, m_stopRequest);
        }
    }
    cleanup();
    device.ClosePort();
    emit complete(m_id, rc_USERBRK);
}

// The point sensor holds no buffers: nothing to free.
void LP81Streamer::cleanup()
{
}

} // namespace VelaStreamer
