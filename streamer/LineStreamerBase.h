#pragma once

#include "ProfileDataStruct.h"
#include "RecordRing.h"
#include "velastreamer_global.h"

#include <QThread>

#include <atomic>

namespace VelaStreamer {

template <class Streamer> class LineAcquisition;

// What the LS71 and LS74 streamers share: the options and flags of their acquisition loop and
// the ring of camera images.
//
// Threads: the setters, getters, pause, resume and shutdown may be called from any thread; each
// value is atomic and taken by the acquisition loop at the point where it needs it, without any
// ordering between values. Signals are emitted from the streamer thread.
//
// Records handed out by pointer (profiles, images) stay valid and unchanged until every
// receiver running in the streamer object's thread (normally the GUI thread, which creates the
// streamer) has returned from its slot for them, and directly connected receivers until they
// return. A receiver in any other thread must copy the record before that. When the receivers
// fall a whole ring behind, the streamer waits briefly for them, then reads on and drops what
// it cannot hand out; the measurement counters show the gap.
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

protected:
    explicit LineStreamerBase(QObject* parent);
    ~LineStreamerBase() override;

    // For the destructors of the subclasses: ends a run still going before their members go.
    void stopAndWait();
    // Posts the hand-back of a ring's records to this object's thread.
    void handBackLater(RingAccount* ring, quint64 upTo);

    using ImageRing = RecordRing<ImageDataStruct, 4>;

    std::atomic<uchar> m_id{0};
    ImageRing m_images;
    std::atomic<bool> m_stopRequest{false};
    std::atomic<float> m_z{0.0f};
    std::atomic<float> m_step{0.0f};
    std::atomic<int> m_tcpFrequency{DefaultTCPFrequency};
    std::atomic<int> m_errorCounter{0};
    std::atomic<bool> m_runningLoop{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_readPckCounter{false};
    std::atomic<bool> m_readImages{false};
    std::atomic<bool> m_mirrored{false};
    std::atomic<ushort> m_udpPort{0};
    std::atomic<int> m_startDelay{0};

private:
    void handBack(RingAccount* ring, quint64 upTo);

    template <class Streamer> friend class LineAcquisition;
};

} // namespace VelaStreamer
