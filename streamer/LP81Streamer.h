#pragma once

#include "velastreamer_global.h"

#include <LP81Device.h>

#include <QString>
#include <QThread>

#include <atomic>

namespace VelaStreamer {

// Acquisition thread of one LP81 laser point sensor on a serial line: opens the port, says
// hello, then reads single measurements and emits them as distances, one complete(id, rc) per
// run.
//
// Threads: setters, getters, pause, resume and shutdown may be called from any thread (the
// values are atomic); the device must be set before start. Signals are emitted from the
// streamer thread and carry their values by copy.
class VELASTREAMER_EXPORT LP81Streamer : public QThread
{
    Q_OBJECT

public:
    static constexpr uchar rc_USERBRK = 0;
    static constexpr uchar rc_ERRMALLOC = 1;
    static constexpr uchar rc_ERRCONN = 2;

    // Has no port, so every run ends at once with complete(id, rc_USERBRK).
    explicit LP81Streamer(QObject* parent = nullptr);
    LP81Streamer(QString port, unsigned long baud, uchar address, uchar id, QObject* parent = nullptr);
    // Ends a run still going (bounded by the serial time-out).
    ~LP81Streamer() override;

    void setLP81(VelaDevice::LP81Device* device);
    VelaDevice::LP81Device* getLP81() const;
    void setId(uchar id);
    uchar id() const;
    // Measurements per second; 0 reads back to back.
    void setFrequency(int frequency);
    int errorCounter() const;

    void pause();
    void resume();
    void shutdown();
    bool isRunningLoop() const;

    void run() override;

signals:
    void connected(uchar id);
    void receivedMeasure(uchar id, float value);
    void readError(uchar id);
    void complete(uchar id, uchar rc);

private:
    void loop();
    void cleanup();

    std::atomic<uchar> m_id{0};
    std::atomic<bool> m_stopRequest{false};
    std::atomic<VelaDevice::LP81Device*> m_device{nullptr};
    std::atomic<int> m_frequency{0};
    std::atomic<int> m_errorCounter{0};
    std::atomic<bool> m_runningLoop{false};
    std::atomic<bool> m_paused{false};
    const QString m_portName;
    const unsigned long m_baudRate = 0;
    const uchar m_deviceAddress = 0;
};

} // namespace VelaStreamer
