#pragma once

#include "velastreamer_global.h"

#include <QEvent>

#include <atomic>
#include <cstddef>

namespace VelaStreamer {

class RingAccount;

// Posted to the streamer object just before a ring record is emitted, so that it is handled in
// the receivers' thread ahead of that record's deliveries and behind those of every earlier
// record: it hands the record's content over to that thread (an acquire the thread sanitizer
// sees, not only Qt's posting lock) and gives the earlier records back to the ring.
//
// One such event goes with every emission, so they come from a fixed pool: the hot path
// allocates nothing. Should the pool run dry, the heap takes over.
class VELASTREAMER_EXPORT HandOverEvent : public QEvent
{
public:
    static QEvent::Type eventType();

    // upTo: how many of the ring's records were emitted before the one this event goes with.
    HandOverEvent(RingAccount* ring, quint64 upTo);

    // Receivers' thread.
    void deliver() const;

    static void* operator new(std::size_t size);
    static void operator delete(void* event);

private:
    // Written by the streamer thread, read in the receivers' thread.
    std::atomic<RingAccount*> m_ring;
    std::atomic<quint64> m_upTo;
};

} // namespace VelaStreamer
