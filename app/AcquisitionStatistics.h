#pragma once

#include <QtGlobal>

#include <array>

// Acquisition counters of one sensor: totals of the received profiles and images, their
// per-tick differences over the last five statistics ticks, and the rates derived from them.
struct AcquisitionStatistics
{
    static constexpr int WindowSize = 5;
    // Last measurement counter before the first profile.
    static constexpr quint16 NoLastMeasCounter = 43981;
    // Previous measurement counter when none is stored yet.
    static constexpr quint16 NoPrevMeasCounter = 65535;
    // Counter steps above this are taken as a step backwards.
    static constexpr quint16 MaxForwardStep = 4096;

    // Duplicate filter: false when the counter equals the last one; otherwise stores it.
    bool acceptMeasCounter(quint16 measCounter);
    // Adds the counter step since the previous profile to the measurement total and one
    // packet to the packet total.
    void countProfile(quint16 measCounter);
    // Statistics tick: moves the totals since the last tick into the measurement and packet
    // windows at the current position, advances the position and answers the differences.
    struct ProfileStep
    {
        qint32 measurements;
        qint32 packets;
    };
    ProfileStep advanceProfileWindows();
    // Statistics tick: the same for the frame window; answers the new frames.
    qint32 advanceFrameWindow();
    // The rate windows and their position back to empty.
    void clearWindows();

    // Averages per second over the ticks in which profiles (measurements or packets) came.
    qint32 averageMeasurementRate(float factor) const;
    qint32 averagePacketRate(float factor) const;
    // Average frames per tick over the ticks in which frames came.
    qint32 averageFrameRate() const;
    // Network speed in kB/s of a speed test whose answers are counted as frames.
    double speedTestKBps() const;

    // Scale of a tick's differences to one second: 1 without a previous tick (0), else
    // 1000 / elapsed milliseconds, the difference taken on the wrapping 32-bit tick count.
    static float tickFactor(quint32 now, quint32 previousTick);
    // A count scaled by the factor, rounded up as the rate labels show it.
    static qint32 perSecond(qint32 count, float factor);

    qint32 measTotal = 0;
    qint32 lastMeasCounter = NoLastMeasCounter;
    qint32 measTotalLastSecond = 0;
    qint32 packetTotal = 0;
    qint32 packetTotalLastSecond = 0;
    qint32 frameTotal = 0;
    qint32 frameTotalLastSecond = 0;
    quint16 prevMeasCounter = NoPrevMeasCounter;
    qint32 profileSeconds = 0;
    qint32 imageSeconds = 0;
    std::array<qint32, WindowSize> measWindow {};
    std::array<qint32, WindowSize> packetWindow {};
    std::array<qint32, WindowSize> frameWindow {};
    qint32 windowPos = 0;

private:
    qint32 averageProfileWindow(const std::array<qint32, WindowSize>& window, float factor) const;
    void advanceWindowPos();
};
