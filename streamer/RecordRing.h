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
// The streamer thread claims the slot it fills and publishes the filled record. The streamer
// object's thread (the receivers' thread) takes what has been published, hands it out and, once
// the deliveries of those records have run, gives them back (received), which frees their slots
// for the streamer thread again. The n-th record published is in slot n % capacity.
class VELASTREAMER_EXPORT RingAccount
{
public:
    explicit RingAccount(int capacity);

    // Streamer thread. True when the current slot is ours to fill. Waits up to waitMs for the
    // receivers to give a slot back; after a claim has failed it does not wait again until a
    // slot is free, so a stalled receiver costs one wait, not one per reading.
    bool claim(int waitMs);
    int position() const { return m_position; }
    // Streamer thread, the current record is filled: everything written before this call is seen
    // by the thread that takes it with published(). Moves on to the next slot.
    void publish();
    // Streamer thread: records published and not yet handed out.
    quint64 waiting() const { return m_published.load() - m_handedOut.load(); }
    bool threeQuartersWaiting() const { return 4 * waiting() >= 3 * m_capacity; }

    // Streamer object's thread: how many records have been published so far; acquires their
    // content.
    quint64 published() const { return m_published.load(); }
    quint64 handedOut() const { return m_handedOut.load(std::memory_order_relaxed); }
    void setHandedOut(quint64 count) { m_handedOut.store(count, std::memory_order_relaxed); }
    // Streamer object's thread: the receivers are done with the first upTo records published.
    void received(quint64 upTo);

private:
    const quint64 m_capacity;
    // Standard primitives rather than Qt's, whose futexes the thread sanitizer cannot follow.
    std::mutex m_mutex;
    std::condition_variable m_slotReturned;
    quint64 m_returned = 0;   // under m_mutex
    // Streamer thread only.
    quint64 m_claimed = 0;
    int m_position = 0;
    bool m_holding = false;
    bool m_starved = false;
    // Sequentially consistent, as the decision to wake the receivers' thread depends on it
    // (LineStreamerBase::scheduleHandOut).
    std::atomic<quint64> m_published{0};
    std::atomic<quint64> m_handedOut{0};
};

// A ring of preallocated records plus one spare that takes a reading nobody can be given.
//
// The records live in a home of their own, so that the owner can keep them for deliveries still
// queued when it goes (see takeRecords).
template <class Record, int Capacity>
class RecordRing : public RingAccount
{
public:
    static constexpr int capacity = Capacity;

    RecordRing() : RingAccount(Capacity) {}

    // Allocates the record of a slot (the spare for slot -1) unless it exists.
    bool allocate(int slot)
    {
        if (!m_home) {
            m_home.reset(new (std::nothrow) Records());
            if (!m_home)
                return false;
        }
        std::unique_ptr<Record>& record = slot < 0 ? m_home->spare : m_home->records[slot];
        if (!record)
            record.reset(new (std::nothrow) Record());
        return record != nullptr;
    }

    // The record to fill next: the current slot, or the spare when no slot came free in time.
    Record* claimRecord(int waitMs) { return claim(waitMs) ? m_home->records[position()].get() : m_home->spare.get(); }
    // The record of the n-th publication.
    Record* publishedRecord(quint64 n) const { return m_home->records[n % Capacity].get(); }
    bool isSpare(const Record* record) const { return record == m_home->spare.get(); }

    // Leaves the ring without records; they live as long as the pointer answered.
    std::shared_ptr<void> takeRecords() { return std::move(m_home); }

private:
    struct Records
    {
        std::unique_ptr<Record> records[Capacity];
        std::unique_ptr<Record> spare;
    };
    std::shared_ptr<Records> m_home;
};

} // namespace VelaStreamer
