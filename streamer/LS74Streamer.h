#pragma once

#include "LineStreamerBase.h"
#include "ProfileDataStruct.h"
#include "RecordRing.h"
#include "velastreamer_global.h"

#include <LS74Device.h>
#include <VelaDeviceTypes.h>

#include <atomic>

namespace VelaStreamer {

// Transport of an LS74 streamer, chosen by setMode before run.
enum VelaStreamerMode {
    StreamerModeUDP = 0,      // UDP loop
    StreamerModeTCP = 1,      // TCP loop: profiles, images, pixel lines, speed test
    StreamerModeTCPData = 2,  // hands the result stream over to the sensor's TCP data port
};

// Acquisition thread of one LS74 line scanner: turns the device's blocking result reads into
// profile, image, speed-test and error signals, one complete(id, rc) per run. Thread rules and
// the life of the records handed out: see LineStreamerBase.
class VELASTREAMER_EXPORT LS74Streamer : public LineStreamerBase
{
    Q_OBJECT

public:
    using Device = VelaDevice::LS74Device;
    using ProfileDataStruct = LS74ProfileDataStruct;

    static constexpr uchar rc_USERBRK = 0;
    static constexpr uchar rc_ERRMALLOC = 1;
    static constexpr uchar rc_ERRTCPCONN = 2;
    static constexpr uchar rc_ERRINVPORT = 3;
    static constexpr uchar rc_ERRUDPCONN = 4;
    // The TCP loop's reads failed and the sensor refused a new connection.
    static constexpr uchar rc_ERRCONNLOST = 5;

    explicit LS74Streamer(QObject* parent = nullptr);
    // Ends a run still going (bounded by the device's time-outs), then frees a device the
    // streamer created itself; the records go once the deliveries queued to them have run.
    ~LS74Streamer() override;

    void setLS74(VelaDevice::LS74Device* device);
    VelaDevice::LS74Device* getLS74() const;
    // Any value other than the three modes leaves the mode as it is.
    void setMode(VelaStreamerMode mode);
    VelaStreamerMode getMode() const;
    void speedTestMode(bool enabled);
    void setPixelsMode(bool enabled);
    void setTCPDataPort(ushort port);
    void setTCPDataIPAddress(uchar address[4]);

    void run() override;

signals:
    void connected(uchar id);
    void disconnected(uchar id);
    void receivedProfile(uchar id, const void* lpProfileDataStruct);
    void receivedProfile(uchar id, const void* lpProfileDataStruct, ushort measureCnt, ushort packetCnt);
    void receivedImage(uchar id, const void* lpImageData);
    void receivedSpeedTestResponse(uchar id);
    void readError(uchar id);
    void complete(uchar id, uchar rc);

private:
    // Loop parameters that set this scanner apart from the LS71.
    static constexpr unsigned short SearchModel = VelaDevice::DeviceTypeLS74;
    static constexpr int TCPPauseWaitMs = 50;
    static constexpr int TCPErrorReportEvery = 10;
    static constexpr int TCPDisconnectWaitMs = 500;
    static constexpr bool ServesPixelsAndSpeedTest = true;

    void loopUDP();
    void loopTCP();
    void loopTCPData();
    void cleanup();
    void enterLoop();

    quint64 handOutPublished() override;
    void emitFollowUp(FollowUp signal, uchar rc) override;

    RecordRing<ProfileDataStruct, 16> m_profiles;
    ProfileTag m_profileTags[16];
    std::atomic<VelaDevice::LS74Device*> m_device{nullptr};
    bool m_ownsDevice = false;
    std::atomic<bool> m_tcp{false};
    std::atomic<bool> m_tcpData{false};
    std::atomic<bool> m_speedTest{false};
    std::atomic<ushort> m_tcpDataPort{0};
    std::atomic<quint32> m_tcpDataAddress{0};   // four address bytes, first in the lowest byte
    std::atomic<bool> m_pixelsMode{false};

    friend class LineAcquisition<LS74Streamer>;
};

} // namespace VelaStreamer
