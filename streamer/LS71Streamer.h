#pragma once

#include "LineStreamerBase.h"
#include "ProfileDataStruct.h"
#include "RecordRing.h"
#include "velastreamer_global.h"

#include <LS71Device.h>
#include <VelaDeviceTypes.h>

#include <atomic>

namespace VelaStreamer {

// Acquisition thread of one LS71 line scanner: turns the device's blocking result reads into
// profile, image and error signals, one complete(id, rc) per run. Thread rules and the life of
// the records handed out: see LineStreamerBase.
//
// run enters the TCP loop when the TCP flag is set (setTCPMode(true)) and the UDP loop
// otherwise, and leaves the flag as it was. The TCP loop is the one that serves camera images,
// which the application asks of every scanner it connects in TCP mode.
class VELASTREAMER_EXPORT LS71Streamer : public LineStreamerBase
{
    Q_OBJECT

public:
    using Device = VelaDevice::LS71Device;
    using ProfileDataStruct = LS71ProfileDataStruct;

    static constexpr uchar rc_USERBRK = 0;
    static constexpr uchar rc_ERRMALLOC = 1;
    static constexpr uchar rc_ERRTCPCONN = 2;
    static constexpr uchar rc_ERRINVPORT = 3;
    static constexpr uchar rc_ERRUDPCONN = 4;
    // The TCP loop's reads failed and the sensor refused a new connection.
    static constexpr uchar rc_ERRCONNLOST = 5;

    explicit LS71Streamer(QObject* parent = nullptr);
    // Ends a run still going (bounded by the device's time-outs), then frees a device the
    // streamer created itself; the records go once the deliveries queued to them have run.
    ~LS71Streamer() override;

    void setLS71(VelaDevice::LS71Device* device);
    VelaDevice::LS71Device* getLS71() const;
    void setTCPMode(bool tcp);

    void run() override;

signals:
    void connected(uchar id);
    void receivedProfile(uchar id, const void* lpProfileDataStruct);
    void receivedProfile(uchar id, const void* lpProfileDataStruct, ushort measCounter, ushort pckCounter);
    void receivedImage(uchar id, const void* lpImageData);
    void readError(uchar id);
    void complete(uchar id, uchar rc);

private:
    // Loop parameters that set this scanner apart from the LS74.
    static constexpr unsigned short SearchModel = VelaDevice::DeviceTypeLS71;
    static constexpr int TCPPauseWaitMs = 100;
    static constexpr int TCPErrorReportEvery = 1;
    static constexpr int TCPDisconnectWaitMs = 0;
    static constexpr bool ServesPixelsAndSpeedTest = false;

    void loopUDP();
    void loopTCP();
    void cleanup();
    void enterLoop();

    quint64 handOutPublished() override;
    void emitFollowUp(FollowUp signal, uchar rc) override;

    RecordRing<ProfileDataStruct, 16> m_profiles;
    ProfileTag m_profileTags[16];
    std::atomic<VelaDevice::LS71Device*> m_device{nullptr};
    bool m_ownsDevice = false;
    std::atomic<bool> m_tcpMode{false};

    friend class LineAcquisition<LS71Streamer>;
};

} // namespace VelaStreamer
