#include "LineStreamerBase.h"

#include "HandOverEvent.h"

#include <QCoreApplication>
#include <QTimerEvent>

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

LineStreamerBase::~LineStreamerBase()
{
    releaseAfterQueuedDeliveries(m_images.takeRecords());
}

void LineStreamerBase::stopAndWait()
{
    // isRunning first: once it is false, the load of the loop flag sees the run's last store,
    // and with it everything the run did.
    while (isRunning() || isRunningLoop()) {
        shutdown();
        wait(100);
    }
}

void LineStreamerBase::scheduleHandOut(const RingAccount& ring)
{
    // The running tick takes the record, unless records come faster than it ticks.
    if (m_tickArmed && !ring.threeQuartersWaiting())
        return;
    if (!m_handOutPosted.exchange(true))
        QCoreApplication::postEvent(this, HandOverEvent::handOut());
}

void LineStreamerBase::signalAfterRecords(FollowUp signal, uchar rc)
{
    QCoreApplication::postEvent(this, HandOverEvent::handOut(signal, rc));
}

void LineStreamerBase::giveBackAfterQueuedDeliveries(RingAccount& ring)
{
    QCoreApplication::postEvent(this, HandOverEvent::giveBack(&ring, ring.handedOut()));
}

bool LineStreamerBase::event(QEvent* event)
{
    if (event->type() != HandOverEvent::eventType())
        return QThread::event(event);
    const auto* step = static_cast<HandOverEvent*>(event);
    if (!step->isHandOut()) {
        step->giveBackRecords();
        return true;
    }
    if (step->followUp() != 0) {
        handOutPublished();
        emitFollowUp(FollowUp(step->followUp()), step->rc());
        return true;
    }
    // Cleared before taking what is published: a record published from now on is either taken
    // here or posts a hand-out of its own.
    m_handOutPosted = false;
    if (handOutPublished() > 0 && !m_tick.isActive())
        startTick();
    return true;
}

void LineStreamerBase::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_tick.timerId()) {
        QThread::timerEvent(event);
        return;
    }
    if (handOutPublished() > 0)
        return;
    m_tick.stop();
    m_tickArmed = false;
    // A record published while the tick was being stopped may have counted on it.
    if (handOutPublished() > 0)
        startTick();
}

void LineStreamerBase::startTick()
{
    m_tickArmed = true;
    m_tick.start(HandOutTickMs, Qt::PreciseTimer, this);
}

// Queued calls reach a thread in the order they were posted, so a call posted now runs behind
// every delivery already queued to this thread; until it has run it keeps the records.
void LineStreamerBase::releaseAfterQueuedDeliveries(std::shared_ptr<void> records)
{
    if (!records)
        return;
    QThread* current = QThread::currentThread();
    // The main thread's QThread lives in its own thread; another thread needs an object of its own.
    QObject* context = current->thread() == current ? static_cast<QObject*>(current) : new QObject;
    QMetaObject::invokeMethod(context, [records = std::move(records)]() mutable { records.reset(); },
                              Qt::QueuedConnection);
    if (context != current)
        context->deleteLater();
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
int LineStreamerBase::getDroppedCount() const { return m_droppedCount; }

} // namespace VelaStreamer
