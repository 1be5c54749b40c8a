#pragma once

#include "ProfileDataStruct.h"
#include "RecordRing.h"
#include "velastreamer_global.h"

#include <QBasicTimer>
#include <QThread>

#include <atomic>
#include <memory>

namespace VelaStreamer {

template <class Streamer> class LineAcquisition;

// What the LS71 and LS74 streamers share: the options and flags of their acquisition loop and
// the ring of camera images.
//
// Threads: the setters, getters, pause, resume and shutdown may be called from any thread; each
// value is atomic and taken by the acquisition loop at the point where it needs it, without any
// ordering between values.
//
// Signals: connected and the speed-test answer are emitted from the streamer thread; profiles,
// images, readError and complete from the streamer object's thread (normally the GUI thread,
// which creates the streamer), in the order they came about. The streamer thread publishes each
// record to its ring and wakes that thread at most every 2 ms while records keep coming, sooner
// when three quarters of a ring wait: a thread that sleeps between profiles then wakes for a few
// profiles at a time instead of for each one. Receivers in that thread are best connected
// directly (the default connection); queued ones are served too.
//
// Records handed out by pointer (profiles, images) stay valid and unchanged until every
// receiver running in the streamer object's thread has returned from its slot for them, queued
// deliveries included. A receiver in any other thread must copy the record before that. This
// holds past the end of a run, the start of the next one and the streamer's destruction: records
// still queued to receivers are freed only once those deliveries have run. When the receivers
// fall a whole ring behind, the streamer waits briefly for them, then reads on and drops what it
// cannot hand out; the measurement counters show the gap and getDroppedCount() counts it.
class VELASTREAMER_EXPORT LineStreamerBase : public QThread
{
    Q_OBJECT

public:
    // The application sets its own; 1000 per second means unpaced reads (a period of 1 ms is
    // not waited), so a TCP stream runs as fast as the sensor answers.
    static constexpr int DefaultTCPFrequency = 1000;

    void setId(uchar id);
    uchar id() const;
    void setZ(float z);
    void setStep(float step);
    void setMirrored(bool mirrored);
    void setTCPFrequency(int frequency);
    void setUDPPort(ushort port);
    void setStartDelay(int ms);
    void readPckCounter(bool enabled);
    void readImages(bool enabled);

    void pause();
    void resume();
    bool isPaused() const;
    void shutdown();
    bool isRunningLoop() const;
    int errorCounter() const;
    // Readings (profiles, pixel lines, images) of the current or last run that were read and
    // dropped because every record of their ring was still out to receivers after the wait.
    int getDroppedCount() const;

protected:
    explicit LineStreamerBase(QObject* parent);
    ~LineStreamerBase() override;

    // For the destructors of the subclasses: ends a run still going before their members go.
    void stopAndWait();
    // Streamer thread, a record of the ring has been published: makes sure the object's thread
    // hands it out soon (see the class comment).
    void scheduleHandOut(const RingAccount& ring);
    // Signals that follow records (readError, complete(rc)).
    enum FollowUp : uchar { ReadErrorFollows = 1, CompleteFollows = 2 };
    // Streamer thread: the signal is emitted from the object's thread once the records published
    // so far have been handed out there, so that every receiver, a queued one too, gets it
    // behind them.
    void signalAfterRecords(FollowUp signal, uchar rc = 0);
    // The object's thread: emits the signal.
    virtual void emitFollowUp(FollowUp signal, uchar rc) = 0;
    // The object's thread: emits the signals of every record published and not yet handed out,
    // then posts their give-back behind any queued delivery of them; answers how many.
    virtual quint64 handOutPublished() = 0;
    void giveBackAfterQueuedDeliveries(RingAccount& ring);
    // For the destructors: frees a ring's records once every delivery queued to this thread so
    // far has run.
    static void releaseAfterQueuedDeliveries(std::shared_ptr<void> records);

    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

    // What a profile's emission carries besides its record.
    struct ProfileTag
    {
        ushort measCounter = 0;
        ushort pckCounter = 0;
        bool withCounters = false;
    };

    using ImageRing = RecordRing<ImageDataStruct, 4>;

    std::atomic<uchar> m_id{0};
    ImageRing m_images;
    std::atomic<bool> m_stopRequest{false};
    std::atomic<float> m_z{0.0f};
    std::atomic<float> m_step{0.0f};
    std::atomic<int> m_tcpFrequency{DefaultTCPFrequency};
    std::atomic<int> m_errorCounter{0};
    std::atomic<int> m_droppedCount{0};
    std::atomic<bool> m_runningLoop{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_readPckCounter{false};
    std::atomic<bool> m_readImages{false};
    std::atomic<bool> m_mirrored{false};
    std::atomic<ushort> m_udpPort{0};
    std::atomic<int> m_startDelay{0};

private:
    // How often the object's thread takes records while they keep coming: far below what a
    // person sees, and a few profiles per wake-up at the rates of fast sensors.
    static constexpr int HandOutTickMs = 2;

    void startTick();

    // Set by the streamer thread when it posts a hand-out, cleared when that is handled.
    std::atomic<bool> m_handOutPosted{false};
    // True while the tick runs; the object's thread sets and clears it.
    std::atomic<bool> m_tickArmed{false};
    QBasicTimer m_tick;

    template <class Streamer> friend class LineAcquisition;
};

} // namespace VelaStreamer
