#include "Platform.h"

#include <QElapsedTimer>
#include <QThread>

namespace {
quint32 monotonicTickCount()
{
    QElapsedTimer clock;
    clock.start();
    return static_cast<quint32>(clock.msecsSinceReference());
}

TickCountSource tickCountSource = monotonicTickCount;
}

quint32 GetTickCount()
{
    return tickCountSource();
}

void setTickCountSource(TickCountSource source)
{
    tickCountSource = source ? source : monotonicTickCount;
}

void Sleep(quint32 milliseconds)
{
    QThread::msleep(milliseconds);
}
