#include "TimedWait.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace VelaStreamer {

namespace {
// Longest stretch of an interruptible wait between two looks at the stop flag.
constexpr int StopCheckMs = 20;
}

void timedWait(int ms)
{
    if (ms <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void timedWait(int ms, const std::atomic<bool>& stop)
{
    QElapsedTimer clock;
    clock.start();
    for (qint64 left = ms; left > 0 && !stop.load(); left = ms - clock.elapsed())
        timedWait(int(std::min<qint64>(left, StopCheckMs)));
}

} // namespace VelaStreamer
