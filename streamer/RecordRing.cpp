#include "RecordRing.h"

#include <chrono>

namespace VelaStreamer {

RingAccount::RingAccount(int capacity)
    : m_capacity(quint64(capacity)), m_batch(quint64(capacity > 1 ? capacity / 2 : 1))
{
}

bool RingAccount::claim(int waitMs)
{
    if (m_holding)
        return true;
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto slotFree = [this] { return m_claimed - m_returned.load() < m_capacity; };
    m_holding = slotFree()
        || (!m_starved && m_slotReturned.wait_for(lock, std::chrono::milliseconds(waitMs), slotFree));
    if (m_holding)
        ++m_claimed;
    m_starved = !m_holding;
    return m_holding;
}

bool RingAccount::publish(quint64* upTo)
{
    m_holding = false;
    m_position = quint64(m_position) + 1 == m_capacity ? 0 : m_position + 1;
    *upTo = m_published.fetch_add(1) + 1;
    return *upTo - m_returned.load() >= m_batch && !m_handBackPending.exchange(true);
}

bool RingAccount::handBack(quint64 upTo, quint64* repostUpTo)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (upTo > m_returned.load())
            m_returned.store(upTo);
    }
    m_slotReturned.notify_one();
    // Emissions published while this hand-back travelled posted none of their own: cover them
    // with a new one, queued behind their receivers' calls.
    m_handBackPending.store(false);
    *repostUpTo = m_published.load();
    return *repostUpTo - m_returned.load() >= m_batch && !m_handBackPending.exchange(true);
}

} // namespace VelaStreamer
