#include "LS74Streamer.h"

#include "LineAcquisition.h"

#include <cstring>

namespace VelaStreamer {

LS74Streamer::LS74Streamer(QObject* parent)
    : LineStreamerBase(parent)
{
}

LS74Streamer::~LS74Streamer()
{
    stopAndWait();
    cleanup();
    releaseAfterQueuedDeliveries(m_profiles.takeRecords());
}

void LS74Streamer::setLS74(VelaDevice::LS74Device* device) { m_device = device; }
VelaDevice::LS74Device* LS74Streamer::getLS74() const { return m_device; }
void LS74Streamer::speedTestMode(bool enabled) { m_speedTest = enabled; }
void LS74Streamer::setPixelsMode(bool enabled) { m_pixelsMode = enabled; }
void LS74Streamer::setTCPDataPort(ushort port) { m_tcpDataPort = port; }

void LS74Streamer::setTCPDataIPAddress(uchar address[4])
{
    quint32 packed = 0;
    std::memcpy(&packed, address, sizeof packed);
    m_tcpDataAddress = packed;
}

void LS74Streamer::setMode(VelaStreamerMode mode)
{
    switch (mode) {
    case StreamerModeUDP:
    case StreamerModeTCP:
        m_tcpData = false;
        m_tcp = mode == StreamerModeTCP;
        break;
    case StreamerModeTCPData:
        m_tcpData = true;
        break;
    }
}

VelaStreamerMode LS74Streamer::getMode() const
{
    if (m_tcpData)
        return StreamerModeTCPData;
    return m_tcp ? StreamerModeTCP : StreamerModeUDP;
}

void LS74Streamer::run()
{
    LineAcquisition<LS74Streamer>(*this).run();
}

void LS74Streamer::enterLoop()
{
    if (m_tcpData)
        loopTCPData();
    else if (!m_tcp)
        loopUDP();
    else
        loopTCP();
}

void LS74Streamer::loopUDP()
{
    LineAcquisition<LS74Streamer>(*this).loopUDP();
}

void LS74Streamer::loopTCP()
{
    LineAcquisition<LS74Streamer>(*this).loopTCP();
}

// The sensor sends its results to the data connection; nothing passes through the streamer.
void LS74Streamer::loopTCPData()
{
    LineAcquisition<LS74Streamer> acquisition(*this);
    uchar address[4];
    const quint32 packed = m_tcpDataAddress;
    std::memcpy(address, &packed, sizeof address);
    Device& device = *m_device.load();
    if (!device.TCPDataConnect(address, m_tcpDataPort)) {
        acquisition.endRun(rc_ERRTCPCONN);
        return;
    }
    emit connected(m_id);
    acquisition.wait(100);
    device.TCPDataDisconnect();
    timedWait(500);
    acquisition.complete(rc_USERBRK);
}

void LS74Streamer::cleanup()
{
    LineAcquisition<LS74Streamer>(*this).cleanup();
}

quint64 LS74Streamer::handOutPublished()
{
    return LineAcquisition<LS74Streamer>(*this).handOutPublished();
}

void LS74Streamer::emitFollowUp(FollowUp signal, uchar rc)
{
    LineAcquisition<LS74Streamer>(*this).emitFollowUp(signal, rc);
}

} // namespace VelaStreamer
