#include "LineStreamerBase.h"

namespace VelaStreamer {

namespace {
// Queued connections name these types; registering them lets any receiver, also one connected
// by signature text, get the streamers' signals across threads.
void registerSignalTypes()
{
    static const bool registered = [] {
        qRegisterMetaType<uchar>("uchar");
        qRegisterMetaType<ushort>("ushort");
        qRegisterMetaType<const void*>("const void*");
        return true;
    }();
    Q_UNUSED(registered);
}
}

LineStreamerBase::LineStreamerBase(QObject* parent)
    : QThread(parent)
{
    registerSignalTypes();
}

LineStreamerBase::~LineStreamerBase() = default;

void LineStreamerBase::stopAndWait()
{
    while (isRunningLoop() || isRunning()) {
        shutdown();
        wait(100);
    }
}

void LineStreamerBase::handBackLater(RingAccount* ring, quint64 upTo)
{
    QMetaObject::invokeMethod(this, [this, ring, upTo] { handBack(ring, upTo); }, Qt::QueuedConnection);
}

void LineStreamerBase::handBack(RingAccount* ring, quint64 upTo)
{
    quint64 more = 0;
    if (ring->handBack(upTo, &more))
        handBackLater(ring, more);
}

void LineStreamerBase::setId(uchar id) { m_id = id; }
uchar LineStreamerBase::id() const { return m_id; }
void LineStreamerBase::setZ(float z) { m_z = z; }
void LineStreamerBase::setStep(float step) { m_step = step; }
void LineStreamerBase::setMirrored(bool mirrored) { m_mirrored = mirrored; }
void LineStreamerBase::setTCPFrequency(int frequency) { m_tcpFrequency = frequency; }
void LineStreamerBase::setUDPPort(ushort port) { m_udpPort = port; }
void LineStreamerBase::setStartDelay(int ms) { m_startDelay = ms; }
void LineStreamerBase::readPckCounter(bool enabled) { m_readPckCounter = enabled; }
void LineStreamerBase::readImages(bool enabled) { m_readImages = enabled; }
void LineStreamerBase::pause() { m_paused = true; }
void LineStreamerBase::resume() { m_paused = false; }
bool LineStreamerBase::isPaused() const { return m_paused; }
void LineStreamerBase::shutdown() { m_stopRequest = true; }
bool LineStreamerBase::isRunningLoop() const { return m_runningLoop; }
int LineStreamerBase::errorCounter() const { return m_errorCounter; }

} // namespace VelaStreamer
