#include "RecordRing.h"

namespace VelaStreamer {

RingAccount::RingAccount(int capacity)
    : m_capacity(capacity), m_free(capacity)
{
}

bool RingAccount::claim(int waitMs)
{
    if (m_holding)
        return true;
    m_holding = m_free.tryAcquire(1, m_starved ? 0 : waitMs);
    m_starved = !m_holding;
    return m_holding;
}

bool RingAccount::publish(quint64* upTo)
{
    m_holding = false;
    m_position = (m_position + 1) % m_capacity;
    *upTo = m_published.fetch_add(1) + 1;
    return !m_handBackPending.exchange(true);
}

bool RingAccount::handBack(quint64 upTo, quint64* repostUpTo)
{
    if (upTo > m_returned) {
        m_free.release(int(upTo - m_returned));
        m_returned = upTo;
    }
    // Emissions published while this hand-back travelled posted none of their own: cover them
    // with a new one, queued behind their receivers' calls.
    m_handBackPending.store(false);
    *repostUpTo = m_published.load();
    return *repostUpTo > m_returned && !m_handBackPending.exchange(true);
}

} // namespace VelaStreamer
