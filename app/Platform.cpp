#include "Platform.h"

#include <QElapsedTimer>
#include <QThread>

quint32 GetTickCount()
{
    QElapsedTimer clock;
    clock.start();
    return static_cast<quint32>(clock.msecsSinceReference());
}

void Sleep(quint32 milliseconds)
{
    QThread::msleep(milliseconds);
}
