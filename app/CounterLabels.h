#pragma once

#include <QObject>
#include <QTimer>

class QLabel;

// The measurement and packet totals of the Result Viewer. A person reads them a few times a
// second; painting a new text for every profile cost more than all the rest of its way through
// the window. A total given after a quiet spell shows at once, later ones at most every
// RefreshMs, and the last one given always reaches its label.
class CounterLabels : public QObject
{
    Q_OBJECT

public:
    static constexpr int RefreshMs = 250;

    CounterLabels(QLabel* measurements, QLabel* packets, QObject* parent);

    // Per profile: nothing is allocated or painted here.
    void show(qint32 measTotal, qint32 packetTotal);
    // Both labels to "0" at once, dropping a total not yet shown.
    void reset();

private:
    void write();
    void refresh();

    QLabel* m_measurements;
    QLabel* m_packets;
    QTimer m_refresh;
    qint32 m_measTotal = 0;
    qint32 m_packetTotal = 0;
    bool m_pending = false;
};
