#pragma once

#include "velastreamer_global.h"

#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>

namespace VelaStreamer {

// Bookkeeping of a ring whose records are handed to receivers by pointer.
//
// The streamer thread claims the slot it fills and publishes it after the emission; the
// streamer then posts a hand-back to its own object. Queued calls reach a thread in the order
// they were posted, so the hand-back runs after the receivers' slots (in the streamer object's
// thread) for everything published before it, and only then does the slot come free again.
// Hand-backs are batched to keep them cheap: one is posted once half the ring is out, and
// never while another is on its way.
class VELASTREAMER_EXPORT RingAccount
{
public:
    explicit RingAccount(int capacity);

    // Streamer thread. True when the current slot is ours to fill. Waits up to waitMs for the
    // receivers to hand a slot back; after a claim has failed it does not wait again until a
    // slot is free, so a stalled receiver costs one wait, not one per profile.
    bool claim(int waitMs);
    int position() const { return m_position; }
    // The current slot has been emitted: moves on to the next. True when a hand-back of
    // everything up to *upTo has to be posted.
    bool publish(quint64* upTo);

    // Streamer object's thread: the receivers are done with everything published up to upTo.
    // True when a further hand-back up to *repostUpTo has to be posted.
    bool handBack(quint64 upTo, quint64* repostUpTo);

private:
    const quint64 m_capacity;
    const quint64 m_batch;
    // Standard primitives rather than Qt's, whose futexes the thread sanitizer cannot follow.
    std::mutex m_mutex;
    std::condition_variable m_slotReturned;
    // Streamer thread only.
    quint64 m_claimed = 0;
    int m_position = 0;
    bool m_holding = false;
    bool m_starved = false;
    // Shared.
    std::atomic<quint64> m_published{0};
    std::atomic<bool> m_handBackPending{false};
    std::atomic<quint64> m_returned{0};   // written under m_mutex by the streamer object's thread
};

// A ring of preallocated records plus one spare that takes a reading nobody can be given.
template <class Record, int Capacity>
class RecordRing : public RingAccount
{
public:
    static constexpr int capacity = Capacity;

    RecordRing() : RingAccount(Capacity) {}

    // Allocates the record of a slot (the spare for slot -1) unless it exists.
    bool allocate(int slot)
    {
        std::unique_ptr<Record>& record = slot < 0 ? m_spare : m_records[slot];
        if (!record)
            record.reset(new (std::nothrow) Record());
        return record != nullptr;
    }

    Record* record(int slot) const { return m_records[slot].get(); }

    // The record to fill next: the current slot, or the spare when no slot came free in time.
    Record* claimRecord(int waitMs) { return claim(waitMs) ? record(position()) : m_spare.get(); }
    bool isSpare(const Record* record) const { return record == m_spare.get(); }

private:
    std::unique_ptr<Record> m_records[Capacity];
    std::unique_ptr<Record> m_spare;
};

} // namespace VelaStreamer
