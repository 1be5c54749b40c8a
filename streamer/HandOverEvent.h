#pragma once

#include "velastreamer_global.h"

#include <QEvent>

#include <atomic>
#include <cstddef>

namespace VelaStreamer {

class RingAccount;

// The two steps of handing ring records to receivers, both posted to the streamer object and
// handled in its thread (the receivers' thread):
// - hand out (no ring): the streamer thread has published records; emit their signals;
// - give back (a ring and a count): posted right after a hand-out, so that it runs behind every
//   queued delivery of the records handed out; gives them back to the ring.
//
// Events come from a fixed pool, so that steady streaming allocates nothing. Should the pool run
// dry, the heap takes over.
class VELASTREAMER_EXPORT HandOverEvent : public QEvent
{
public:
    static QEvent::Type eventType();

    static HandOverEvent* handOut() { return new HandOverEvent(nullptr, 0); }
    // upTo: how many of the ring's records have been handed out.
    static HandOverEvent* giveBack(RingAccount* ring, quint64 upTo) { return new HandOverEvent(ring, upTo); }

    bool isHandOut() const { return m_ring.load(std::memory_order_relaxed) == nullptr; }
    // Receivers' thread, a give-back event.
    void giveBackRecords() const;

    static void* operator new(std::size_t size);
    static void operator delete(void* event);

private:
    HandOverEvent(RingAccount* ring, quint64 upTo);

    // Written by the posting thread, read in the receivers' thread.
    std::atomic<RingAccount*> m_ring;
    std::atomic<quint64> m_upTo;
};

} // namespace VelaStreamer
