#include "LS71Streamer.h"

#include "LineAcquisition.h"

namespace VelaStreamer {

LS71Streamer::LS71Streamer(QObject* parent)
    : LineStreamerBase(parent)
{
}

LS71Streamer::~LS71Streamer()
{
    stopAndWait();
    cleanup();
    releaseAfterQueuedDeliveries(m_profiles.takeRecords());
}

void LS71Streamer::setLS71(VelaDevice::LS71Device* device) { m_device = device; }
VelaDevice::LS71Device* LS71Streamer::getLS71() const { return m_device; }
void LS71Streamer::setTCPMode(bool tcp) { m_tcpMode = tcp; }

void LS71Streamer::run()
{
    LineAcquisition<LS71Streamer>(*this).run();
}

void LS71Streamer::enterLoop()
{
    if (m_tcpMode)
        loopTCP();
    else
        loopUDP();
}

void LS71Streamer::loopUDP()
{
    LineAcquisition<LS71Streamer>(*this).loopUDP();
}

void LS71Streamer::loopTCP()
{
    LineAcquisition<LS71Streamer>(*this).loopTCP();
}

void LS71Streamer::cleanup()
{
    LineAcquisition<LS71Streamer>(*this).cleanup();
}

quint64 LS71Streamer::handOutPublished()
{
    return LineAcquisition<LS71Streamer>(*this).handOutPublished();
}

void LS71Streamer::emitFollowUp(FollowUp signal, uchar rc)
{
    LineAcquisition<LS71Streamer>(*this).emitFollowUp(signal, rc);
}

} // namespace VelaStreamer
