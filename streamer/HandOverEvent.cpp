#include "HandOverEvent.h"

#include "RecordRing.h"

#include <new>

namespace VelaStreamer {

namespace {

// Events in flight: one hand-out and a few give-backs per streamer.
constexpr int PoolSize = 256;

struct alignas(HandOverEvent) PoolSlot
{
    unsigned char bytes[sizeof(HandOverEvent)];
};

PoolSlot pool[PoolSize];
std::atomic<bool> inUse[PoolSize];
std::atomic<unsigned> nextSlot{0};

int slotOf(const void* event)
{
    const auto* slot = static_cast<const PoolSlot*>(event);
    return slot >= pool && slot < pool + PoolSize ? int(slot - pool) : -1;
}

} // namespace

QEvent::Type HandOverEvent::eventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

HandOverEvent::HandOverEvent(RingAccount* ring, quint64 value, uchar rc)
    : QEvent(eventType())
{
    // Atomic stores rather than initialisation: the pool slot was last read by another thread.
    m_ring.store(ring, std::memory_order_relaxed);
    m_value.store(value, std::memory_order_relaxed);
    m_rc.store(rc, std::memory_order_relaxed);
}

void HandOverEvent::giveBackRecords() const
{
    m_ring.load(std::memory_order_relaxed)->received(m_value.load(std::memory_order_relaxed));
}

void* HandOverEvent::operator new(std::size_t size)
{
    const unsigned start = nextSlot.fetch_add(1, std::memory_order_relaxed);
    for (unsigned k = 0; k < PoolSize; ++k) {
        const unsigned i = (start + k) % PoolSize;
        bool expected = false;
        // Acquires the previous user's release, so that its writes precede ours.
        if (!inUse[i].load(std::memory_order_relaxed)
            && inUse[i].compare_exchange_strong(expected, true, std::memory_order_acquire))
            return pool + i;
    }
    return ::operator new(size);
}

void HandOverEvent::operator delete(void* event)
{
    const int slot = slotOf(event);
    if (slot < 0)
        ::operator delete(event);
    else
        inUse[slot].store(false, std::memory_order_release);
}

} // namespace VelaStreamer
