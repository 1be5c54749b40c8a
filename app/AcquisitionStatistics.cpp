#include "AcquisitionStatistics.h"

#include <cmath>

bool AcquisitionStatistics::acceptMeasCounter(quint16 measCounter)
{
    if (measCounter == lastMeasCounter)
        return false;
    lastMeasCounter = measCounter;
    return true;
}

// 65535 doubles as "no counter yet", so a step onto 65535 counts but the step from it does not.
void AcquisitionStatistics::countProfile(quint16 measCounter)
{
    quint16 step = 0;
    if (prevMeasCounter != NoPrevMeasCounter) {
        step = quint16(measCounter - prevMeasCounter);
        if (step > MaxForwardStep)
            step = quint16(65535 - step);
    }
    prevMeasCounter = measCounter;
    measTotal += step;
    ++packetTotal;
}

AcquisitionStatistics::ProfileStep AcquisitionStatistics::advanceProfileWindows()
{
    const ProfileStep step { measTotal - measTotalLastSecond, packetTotal - packetTotalLastSecond };
    measTotalLastSecond = measTotal;
    packetTotalLastSecond = packetTotal;
    measWindow[windowPos] = step.measurements;
    packetWindow[windowPos] = step.packets;
    advanceWindowPos();
    return step;
}

qint32 AcquisitionStatistics::advanceFrameWindow()
{
    const qint32 frames = frameTotal - frameTotalLastSecond;
    frameTotalLastSecond = frameTotal;
    frameWindow[windowPos] = frames;
    advanceWindowPos();
    return frames;
}

void AcquisitionStatistics::clearWindows()
{
    measWindow.fill(0);
    packetWindow.fill(0);
    frameWindow.fill(0);
    windowPos = 0;
}

void AcquisitionStatistics::advanceWindowPos()
{
    windowPos = (windowPos + 1) % WindowSize;
}

// A slot counts when measurements or packets came in it, so that seconds without data
// (a pause) do not pull the average down.
qint32 AcquisitionStatistics::averageProfileWindow(const std::array<qint32, WindowSize>& window,
                                                   float factor) const
{
    qint32 sum = 0;
    int slots = 0;
    for (int i = 0; i < WindowSize; ++i) {
        if (measWindow[i] > 0 || packetWindow[i] > 0) {
            sum += window[i];
            ++slots;
        }
    }
    if (slots == 0)
        return 0;
    return qint32(std::ceil(float(sum) * factor / float(slots)));
}

qint32 AcquisitionStatistics::averageMeasurementRate(float factor) const
{
    return averageProfileWindow(measWindow, factor);
}

qint32 AcquisitionStatistics::averagePacketRate(float factor) const
{
    return averageProfileWindow(packetWindow, factor);
}

qint32 AcquisitionStatistics::averageFrameRate() const
{
    qint32 sum = 0;
    int slots = 0;
    for (qint32 frames : frameWindow) {
        if (frames > 0) {
            sum += frames;
            ++slots;
        }
    }
    if (slots == 0)
        return 0;
    return qint32(std::ceil(float(sum) / float(slots)));
}

// Each speed-test answer carries 63165 bytes.
double AcquisitionStatistics::speedTestKBps() const
{
    return double(averageFrameRate()) * 63.165;
}

float AcquisitionStatistics::tickFactor(quint32 now, quint32 previousTick)
{
    if (previousTick == 0)
        return 1.0f;
    const quint32 elapsed = now - previousTick;
    // Two ticks within the same millisecond: treat as one millisecond rather than divide by 0.
    return 1000.0f / float(elapsed == 0 ? 1 : elapsed);
}

qint32 AcquisitionStatistics::perSecond(qint32 count, float factor)
{
    return qint32(std::ceil(float(count) * factor));
}
