#pragma once

// Helpers shared by the streamer tests: an in-process emulator on free loopback ports, and a
// receiver in the test's thread that records what a streamer emits, as the application does.

#include "LS71Streamer.h"
#include "LS74Streamer.h"
#include "LS7xEmulator.h"

#include <QList>
#include <QObject>
#include <QtTest>

#include <cstring>
#include <memory>
#include <type_traits>

namespace StreamerTest {

using namespace VelaEmulator;

std::unique_ptr<Emulator> startEmulator(std::vector<SensorSpec> sensors, double resultRate = 0);
VelaDevice::_UDP_DEVINFOBLOCK_PC blockOf(const Emulator& emulator, int index);

// What one profile signal carried, copied inside the receiving slot.
struct ReceivedProfile {
    const void* record = nullptr;
    bool withCounters = false;
    ushort measCounter = 0;
    ushort pckCounter = 0;
    ushort count = 0;
    float z = 0;
    float firstX = 0;
    quint32 firstWord = 0;
};

class Recorder : public QObject
{
    Q_OBJECT

public:
    // Connected queued, the way the application connects its window.
    template <class Streamer> void attach(Streamer* streamer)
    {
        zOffset = offsetof(typename Streamer::ProfileDataStruct, z);
        const auto queued = Qt::QueuedConnection;
        connect(streamer, &Streamer::connected, this, &Recorder::onConnected, queued);
        connect(streamer, qOverload<uchar, const void*>(&Streamer::receivedProfile), this,
                &Recorder::onProfile, queued);
        connect(streamer, qOverload<uchar, const void*, ushort, ushort>(&Streamer::receivedProfile), this,
                &Recorder::onCountedProfile, queued);
        connect(streamer, &Streamer::receivedImage, this, &Recorder::onImage, queued);
        connect(streamer, &Streamer::readError, this, &Recorder::onReadError, queued);
        connect(streamer, &Streamer::complete, this, &Recorder::onComplete, queued);
        if constexpr (std::is_same_v<Streamer, VelaStreamer::LS74Streamer>)
            connect(streamer, &Streamer::receivedSpeedTestResponse, this, &Recorder::onSpeedTest, queued);
    }

    QList<uchar> ids;               // of every signal, in order
    QStringList events;             // "connected", "profile", "image", "error", "speed", "complete"
    QList<ReceivedProfile> profiles;
    QList<const void*> images;
    QList<uchar> imageFirstBytes;
    QList<uchar> rcs;
    int readErrors = 0;
    int speedTests = 0;
    bool complete() const { return !rcs.isEmpty(); }
    int count(const QString& event) const { return int(events.count(event)); }

public slots:
    void onConnected(uchar id) { note(id, "connected"); }
    void onProfile(uchar id, const void* record) { takeProfile(id, record, false, 0, 0); }
    void onCountedProfile(uchar id, const void* record, ushort meas, ushort pck) { takeProfile(id, record, true, meas, pck); }
    void onImage(uchar id, const void* image)
    {
        note(id, "image");
        images << image;
        imageFirstBytes << *static_cast<const uchar*>(image);
    }
    void onReadError(uchar id) { note(id, "error"); ++readErrors; }
    void onSpeedTest(uchar id) { note(id, "speed"); ++speedTests; }
    void onComplete(uchar id, uchar rc) { note(id, "complete"); rcs << rc; }

private:
    void note(uchar id, const char* event) { ids << id; events << QString::fromLatin1(event); }
    void takeProfile(uchar id, const void* record, bool counters, ushort meas, ushort pck)
    {
        note(id, "profile");
        const auto* bytes = static_cast<const unsigned char*>(record);
        ReceivedProfile p;
        p.record = record;
        p.withCounters = counters;
        p.measCounter = meas;
        p.pckCounter = pck;
        std::memcpy(&p.count, bytes, sizeof p.count);
        std::memcpy(&p.z, bytes + zOffset, sizeof p.z);
        std::memcpy(&p.firstX, bytes + 2, sizeof p.firstX);
        std::memcpy(&p.firstWord, bytes + 2, sizeof p.firstWord);
        profiles << p;
    }

    size_t zOffset = 0;
};

// The application's stop sequence: shut down while the loop runs, waiting with events.
template <class Streamer> void stopLikeTheApplication(Streamer& streamer)
{
    while (streamer.isRunningLoop()) {
        streamer.shutdown();
        QTest::qWait(200);
    }
}

} // namespace StreamerTest
