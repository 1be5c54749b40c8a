#include "RecordRing.h"

#include <chrono>

namespace VelaStreamer {

RingAccount::RingAccount(int capacity)
    : m_capacity(quint64(capacity))
{
}

bool RingAccount::claim(int waitMs)
{
    if (m_holding)
        return true;
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto slotFree = [this] { return m_claimed - m_returned < m_capacity; };
    m_holding = slotFree()
        || (!m_starved && m_slotReturned.wait_for(lock, std::chrono::milliseconds(waitMs), slotFree));
    if (m_holding)
        ++m_claimed;
    m_starved = !m_holding;
    return m_holding;
}

void RingAccount::publish()
{
    m_holding = false;
    m_position = quint64(m_position) + 1 == m_capacity ? 0 : m_position + 1;
    m_published.store(m_published.load(std::memory_order_relaxed) + 1);
}

void RingAccount::received(quint64 upTo)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (upTo > m_returned)
            m_returned = upTo;
    }
    m_slotReturned.notify_one();
}

} // namespace VelaStreamer
