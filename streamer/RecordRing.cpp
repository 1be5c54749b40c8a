#include "RecordRing.h"

namespace VelaStreamer {

RingAccount::RingAccount(int capacity)
    : m_capacity(capacity), m_batch(quint64(capacity > 1 ? capacity / 2 : 1)), m_free(capacity)
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
    return *upTo - m_returned.load() >= m_batch && !m_handBackPending.exchange(true);
}

bool RingAccount::handBack(quint64 upTo, quint64* repostUpTo)
{
    const quint64 returned = m_returned.load();
    if (upTo > returned) {
        m_free.release(int(upTo - returned));
        m_returned.store(upTo);
    }
    // Emissions published while this hand-back travelled posted none of their own: cover them
    // with a new one, queued behind their receivers' calls.
    m_handBackPending.store(false);
    *repostUpTo = m_published.load();
    return *repostUpTo - m_returned.load() >= m_batch && !m_handBackPending.exchange(true);
}

} // namespace VelaStreamer
