#pragma once

#include "velastreamer_global.h"

#include <QEvent>

#include <atomic>
#include <cstddef>

namespace VelaStreamer {

class RingAccount;

// The steps of handing ring records to receivers, all posted to the streamer object and handled
// in its thread (the receivers' thread):
// - hand out: the streamer thread has published records; emit their signals, then, if the event
//   names one, the signal that followed them in the streamer thread (readError, complete);
// - give back (a ring and a count): posted right after a hand-out, so that it runs behind every
//   queued delivery of the records handed out; gives them back to the ring.
//
// Events come from a fixed pool, so that steady streaming allocates nothing. Should the pool run
// dry, the heap takes over.
class VELASTREAMER_EXPORT HandOverEvent : public QEvent
{
public:
    static QEvent::Type eventType();

    // followUp and rc: the streamer's code of the signal to emit after the records, 0 for none.
    static HandOverEvent* handOut(uchar followUp = 0, uchar rc = 0) { return new HandOverEvent(nullptr, followUp, rc); }
    // upTo: how many of the ring's records have been handed out.
    static HandOverEvent* giveBack(RingAccount* ring, quint64 upTo) { return new HandOverEvent(ring, upTo, 0); }

    bool isHandOut() const { return m_ring.load(std::memory_order_relaxed) == nullptr; }
    uchar followUp() const { return uchar(m_value.load(std::memory_order_relaxed)); }
    uchar rc() const { return m_rc.load(std::memory_order_relaxed); }
    // Receivers' thread, a give-back event.
    void giveBackRecords() const;

    static void* operator new(std::size_t size);
    static void operator delete(void* event);

private:
    HandOverEvent(RingAccount* ring, quint64 value, uchar rc);

    // Written by the posting thread, read in the receivers' thread.
    std::atomic<RingAccount*> m_ring;
    std::atomic<quint64> m_value;   // give back: the count; hand out: the follow-up signal
    std::atomic<uchar> m_rc;
};

} // namespace VelaStreamer
