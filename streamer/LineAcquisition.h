#pragma once

// The acquisition steps the LS71 and LS74 streamers share. Streamer is LS71Streamer or
// LS74Streamer; the differences between them are the static loop parameters of each class and
// the device calls overloaded below.

#include "TimedWait.h"

#include <LS71Device.h>
#include <LS74Device.h>
#include <VelaEthernetDetector.h>

#include <cstddef>
#include <cstring>
#include <iterator>
#include <new>

namespace VelaStreamer {

namespace DeviceCalls {

inline int readRaw(VelaDevice::LS7xDevice& device, bool udp, void* raw)
{
    return udp ? device.UDPGetResult(raw) : device.GetResult(raw);
}

inline void convert(VelaDevice::LS71Device& device, const void* raw, float* pairs, ushort* count, bool mirrored)
{
    device.ConvertResultToPoints(raw, pairs, count, mirrored ? 1 : 0);
}

// The LS74 conversion takes no mirror flag from the streamer.
inline void convert(VelaDevice::LS74Device& device, const void* raw, float* pairs, ushort* count, bool)
{
    device.ConvertResultToPoints(raw, pairs, count, nullptr, nullptr, 0);
}

inline void readNormalized(VelaDevice::LS71Device& device, bool udp, float* pairs, ushort* count, bool mirrored)
{
    if (udp)
        device.UDPGetNormalizedResult(pairs, count, mirrored ? 1 : 0);
    else
        device.GetNormalizedResult(pairs, count, mirrored ? 1 : 0);
}

inline void readNormalized(VelaDevice::LS74Device& device, bool udp, float* pairs, ushort* count, bool)
{
    if (udp)
        device.UDPGetNormalizedResult(pairs, count, nullptr, nullptr);
    else
        device.GetNormalizedResult(pairs, count, nullptr, nullptr);
}

} // namespace DeviceCalls

template <class Streamer>
class LineAcquisition
{
public:
    using Device = typename Streamer::Device;
    using Record = typename Streamer::ProfileDataStruct;
    static constexpr int ValuesCount = Device::ProfileValuesCount;
    static constexpr int RawSize = Device::ProfileBufferSize;
    static constexpr ushort FailedCount = 65535;
    // Longest wait for receivers that are a whole ring behind before a reading is dropped.
    static constexpr int RingWaitMs = 100;
    static constexpr int PixelWords = 640;

    explicit LineAcquisition(Streamer& streamer) : s(streamer) {}

    void run();
    void loopUDP();
    void loopTCP();
    void cleanup();

    // Hands a filled profile record to the receivers, unless it is the ring's spare; then the
    // rules that follow every valid profile.
    void deliverProfile(Record* record, bool withCounters, ushort measCounter, ushort pckCounter);
    // cleanup, then complete.
    void endRun(uchar rc);
    // The run's last signal, behind every record it read.
    void complete(uchar rc);
    // The streamer object's thread: see LineStreamerBase::handOutPublished and emitFollowUp.
    quint64 handOutPublished();
    void emitFollowUp(typename Streamer::FollowUp signal, uchar rc);
    void wait(int ms) { timedWait(ms, s.m_stopRequest); }

private:
    // The steps before the loop; false when the run has already ended.
    bool prepare();
    bool allocateRings();
    bool findDevice();
    // One profile read; true when a valid profile came (delivered or dropped).
    bool profileStep(Device& device, bool udp, ushort* loopPckCounter, int reportEvery);
    bool imageStep(Device& device);
    bool pixelsStep(Device& device, ushort* loopPckCounter);
    template <class Ring, class Emit> quint64 handOutRing(Ring& ring, Emit emitRecord);
    void countFailure(int reportEvery);
    void reportReadError();
    // After a reported read error: false when the sensor no longer takes a connection.
    bool sensorStillThere(Device& device);

    Streamer& s;
    bool m_failureReported = false;
};

template <class Streamer>
void LineAcquisition<Streamer>::run()
{
    // Before anything else, the last run's final store: whoever started this run may have
    // waited for that one through QThread alone, an order the thread sanitizer cannot see.
    s.m_runningLoop.load(std::memory_order_acquire);
    if (prepare()) {
        s.m_runningLoop = true;
        s.enterLoop();
    }
    // Stored last in every run, so that a caller who reads it false also sees everything the
    // run did (the thread sanitizer cannot see the ordering QThread::wait gives).
    s.m_runningLoop = false;
}

template <class Streamer>
bool LineAcquisition<Streamer>::prepare()
{
    timedWait(s.m_startDelay);
    s.m_stopRequest = false;
    s.m_droppedCount = 0;
    cleanup();
    if (!allocateRings()) {
        endRun(Streamer::rc_ERRMALLOC);
        return false;
    }
    if (!s.m_device.load() && !findDevice())
        return false;
    Device& device = *s.m_device.load();
    device.Disconnect();
    device.UDPDisconnect();
    wait(100);
    s.m_errorCounter = 0;
    return true;
}

// Profile and image records alternate while both rings fill, so that a failing allocation
// leaves neither ring far ahead of the other. Records already there from an earlier run are
// kept: a receiver may not have read them yet.
template <class Streamer>
bool LineAcquisition<Streamer>::allocateRings()
{
    constexpr int images = Streamer::ImageRing::capacity;
    constexpr int profiles = decltype(s.m_profiles)::capacity;
    for (int i = 0; i < profiles; ++i) {
        if (!s.m_profiles.allocate(i) || (i < images && !s.m_images.allocate(i)))
            return false;
    }
    return s.m_profiles.allocate(-1) && s.m_images.allocate(-1);
}

template <class Streamer>
bool LineAcquisition<Streamer>::findDevice()
{
    VelaDevice::VelaEthernetDetector detector;
    bool found = false;
    while (!found && !s.m_stopRequest)
        found = detector.Search(Streamer::SearchModel, 3) > 0;
    if (!found) {
        endRun(Streamer::rc_USERBRK);
        return false;
    }
    Device* device = new (std::nothrow) Device(detector[0]);
    if (!device) {
        endRun(Streamer::rc_ERRMALLOC);
        return false;
    }
    s.m_device = device;
    s.m_ownsDevice = true;
    return true;
}

template <class Streamer>
void LineAcquisition<Streamer>::cleanup()
{
    if (s.m_ownsDevice) {
        delete s.m_device.exchange(nullptr);
        s.m_ownsDevice = false;
    }
}

template <class Streamer>
void LineAcquisition<Streamer>::endRun(uchar rc)
{
    cleanup();
    complete(rc);
}

template <class Streamer>
void LineAcquisition<Streamer>::complete(uchar rc)
{
    s.signalAfterRecords(Streamer::CompleteFollows, rc);
}

template <class Streamer>
void LineAcquisition<Streamer>::loopUDP()
{
    Device& device = *s.m_device.load();
    ushort port = s.m_udpPort;
    if (port == 0)
        port = device.GetHostPortNumber();
    if (port < 1024) {
        if (!device.Connect() || !device.ReadParams()) {
            endRun(Streamer::rc_ERRTCPCONN);
            return;
        }
        device.Disconnect();
        port = device.GetHostPortNumber();
    }
    if (port < 1024) {
        endRun(Streamer::rc_ERRINVPORT);
        return;
    }
    if (!device.UDPConnect(port, nullptr)) {
        endRun(Streamer::rc_ERRUDPCONN);
        return;
    }
    emit s.connected(s.m_id);
    wait(100);
    ushort pckCounter = 0;
    while (!s.m_stopRequest) {
        if (s.m_paused)
            wait(100);
        else
            profileStep(device, true, &pckCounter, 1);
    }
    device.UDPDisconnect();
    complete(Streamer::rc_USERBRK);
}

template <class Streamer>
void LineAcquisition<Streamer>::loopTCP()
{
    Device& device = *s.m_device.load();
    if (!device.Connect()) {
        endRun(Streamer::rc_ERRTCPCONN);
        return;
    }
    emit s.connected(s.m_id);
    wait(100);
    ushort pckCounter = 0;
    while (!s.m_stopRequest) {
        if (s.m_paused) {
            wait(Streamer::TCPPauseWaitMs);
            continue;
        }
        // Taken every iteration, so that a new frequency applies at once.
        const int frequency = s.m_tcpFrequency;
        const int period = frequency > 0 ? int(1000.0 / frequency) : 0;
        bool pace = false;
        if constexpr (Streamer::ServesPixelsAndSpeedTest) {
            // Neither failure is a read error; the rest after it keeps the loop off the core.
            if (s.m_speedTest) {
                if (device.SpeedTest())
                    emit s.receivedSpeedTestResponse(s.m_id);
                else
                    wait(FailureWaitMs);
                continue;
            }
            if (s.m_pixelsMode) {
                if (!pixelsStep(device, &pckCounter))
                    wait(FailureWaitMs);
                else if (period > 1)
                    wait(period);
                continue;
            }
        }
        if (s.m_readImages)
            pace = imageStep(device);
        else
            pace = profileStep(device, false, &pckCounter, Streamer::TCPErrorReportEvery);
        if (!sensorStillThere(device)) {
            device.Disconnect();
            endRun(Streamer::rc_ERRCONNLOST);
            return;
        }
        if (pace && period > 1)
            wait(period);
    }
    device.Disconnect();
    timedWait(Streamer::TCPDisconnectWaitMs);
    complete(Streamer::rc_USERBRK);
}

template <class Streamer>
bool LineAcquisition<Streamer>::profileStep(Device& device, bool udp, ushort* loopPckCounter, int reportEvery)
{
    Record* record = s.m_profiles.claimRecord(RingWaitMs);
    const bool withCounters = s.m_readPckCounter;
    const bool mirrored = s.m_mirrored;
    // The record's floats are unaligned; the device library writes into aligned storage.
    float pairs[ValuesCount];
    ushort count = FailedCount;
    ushort measCounter = 0;
    ushort pckCounter = 0;
    if (withCounters) {
        alignas(8) unsigned char raw[RawSize];
        if (DeviceCalls::readRaw(device, udp, raw)) {
            std::memcpy(&measCounter, raw, sizeof measCounter);
            std::memcpy(&pckCounter, raw + sizeof measCounter, sizeof pckCounter);
            *loopPckCounter = pckCounter;
            DeviceCalls::convert(device, raw, pairs, &count, mirrored);
        }
    } else {
        DeviceCalls::readNormalized(device, udp, pairs, &count, mirrored);
    }
    if (count == FailedCount || count > ValuesCount / 2) {
        record->count = FailedCount;
        countFailure(reportEvery);
        return false;
    }
    record->count = count;
    std::memcpy(reinterpret_cast<unsigned char*>(record) + offsetof(Record, values), pairs,
                std::size_t(count) * 2 * sizeof(float));
    deliverProfile(record, withCounters, measCounter, pckCounter);
    return true;
}

template <class Streamer>
void LineAcquisition<Streamer>::countFailure(int reportEvery)
{
    const int errors = ++s.m_errorCounter;
    if (reportEvery > 1 && errors < reportEvery)
        return;
    if (reportEvery > 1)
        s.m_errorCounter = 0;
    reportReadError();
}

template <class Streamer>
void LineAcquisition<Streamer>::reportReadError()
{
    m_failureReported = true;
    s.signalAfterRecords(Streamer::ReadErrorFollows);
}

// Reads fail alike when the sensor is busy and when it is gone; only a refused connection tells
// them apart. The check runs once per reported error, so a live sensor costs nothing.
template <class Streamer>
bool LineAcquisition<Streamer>::sensorStillThere(Device& device)
{
    if (!m_failureReported || s.m_stopRequest)
        return true;
    m_failureReported = false;
    return device.Connect() != 0;
}

template <class Streamer>
void LineAcquisition<Streamer>::deliverProfile(Record* record, bool withCounters, ushort measCounter,
                                               ushort pckCounter)
{
    record->z = s.m_z;
    s.m_errorCounter = 0;
    if (s.m_profiles.isSpare(record)) {
        ++s.m_droppedCount;
        return;
    }
    s.m_profileTags[s.m_profiles.position()] = {measCounter, pckCounter, withCounters};
    s.m_profiles.publish();
    s.scheduleHandOut(s.m_profiles);
    const float step = s.m_step;
    if (step != 0.0f)
        s.m_z = s.m_z + step;
}

template <class Streamer>
bool LineAcquisition<Streamer>::imageStep(Device& device)
{
    ImageDataStruct* image = s.m_images.claimRecord(RingWaitMs);
    if (device.GetImage(image->pixels) != 1) {
        ++s.m_errorCounter;
        reportReadError();
        return false;
    }
    s.m_errorCounter = 0;
    if (s.m_images.isSpare(image)) {
        ++s.m_droppedCount;
        return true;
    }
    s.m_images.publish();
    s.scheduleHandOut(s.m_images);
    return true;
}

template <class Streamer>
quint64 LineAcquisition<Streamer>::handOutPublished()
{
    const uchar id = s.m_id;
    const quint64 profiles = handOutRing(s.m_profiles, [this, id](Record* record, quint64 n) {
        const typename Streamer::ProfileTag& tag = s.m_profileTags[n % std::size(s.m_profileTags)];
        if (tag.withCounters)
            emit s.receivedProfile(id, record, tag.measCounter, tag.pckCounter);
        else
            emit s.receivedProfile(id, record);
    });
    return profiles + handOutRing(s.m_images, [this, id](ImageDataStruct* image, quint64) {
        emit s.receivedImage(id, image);
    });
}

template <class Streamer>
void LineAcquisition<Streamer>::emitFollowUp(typename Streamer::FollowUp signal, uchar rc)
{
    if (signal == Streamer::CompleteFollows)
        emit s.complete(s.m_id, rc);
    else
        emit s.readError(s.m_id);
}

template <class Streamer>
template <class Ring, class Emit>
quint64 LineAcquisition<Streamer>::handOutRing(Ring& ring, Emit emitRecord)
{
    const quint64 published = ring.published();
    quint64 count = 0;
    // Counted before each emission, so that a receiver running an event loop, and with it a
    // nested hand-out, neither repeats a record nor skips one.
    for (quint64 n = ring.handedOut(); n < published; n = ring.handedOut()) {
        ring.setHandedOut(n + 1);
        emitRecord(ring.publishedRecord(n), n);
        ++count;
    }
    if (count > 0)
        s.giveBackAfterQueuedDeliveries(ring);
    return count;
}

// A pixel line travels in a profile record: 640 raw 32-bit words in place of the pairs, and a
// packet counter of the loop's own.
template <class Streamer>
bool LineAcquisition<Streamer>::pixelsStep(Device& device, ushort* loopPckCounter)
{
    alignas(8) unsigned char raw[RawSize];
    if (!device.GetPixels(raw))
        return false;
    Record* record = s.m_profiles.claimRecord(RingWaitMs);
    ++*loopPckCounter;
    record->count = PixelWords;
    std::memcpy(reinterpret_cast<unsigned char*>(record) + offsetof(Record, values), raw,
                PixelWords * sizeof(quint32));
    ushort measCounter = 0;
    std::memcpy(&measCounter, raw, sizeof measCounter);
    deliverProfile(record, s.m_readPckCounter, measCounter, *loopPckCounter);
    return true;
}

} // namespace VelaStreamer
