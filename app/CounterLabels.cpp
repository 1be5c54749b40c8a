#include "CounterLabels.h"

#include <QLabel>

CounterLabels::CounterLabels(QLabel* measurements, QLabel* packets, QObject* parent)
    : QObject(parent), m_measurements(measurements), m_packets(packets)
{
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(RefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &CounterLabels::refresh);
}

void CounterLabels::show(qint32 measTotal, qint32 packetTotal)
{
    m_measTotal = measTotal;
    m_packetTotal = packetTotal;
    if (m_refresh.isActive()) {
        m_pending = true;
        return;
    }
    write();
    m_refresh.start();
}

void CounterLabels::reset()
{
    m_refresh.stop();
    show(0, 0);
}

void CounterLabels::write()
{
    m_pending = false;
    m_measurements->setText(QString::number(m_measTotal));
    m_packets->setText(QString::number(m_packetTotal));
}

// While totals keep coming the timer keeps running, so that they show every RefreshMs.
void CounterLabels::refresh()
{
    if (!m_pending)
        return;
    write();
    m_refresh.start();
}
