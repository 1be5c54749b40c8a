#pragma once

#include "AcquisitionStatistics.h"
#include "DeviceInfoPage.h"

#include <QColor>
#include <QObject>
#include <QString>

#include <VelaDeviceTypes.h>

#include <array>
#include <memory>

namespace VelaDevice {
class LS7xDevice;
class LS71Device;
class LS74Device;
}
namespace VelaStreamer {
class LS71Streamer;
class LS74Streamer;
}

// One sensor found by the last search: its device object, its streamer thread and what the
// main window keeps about it. Its position in the main window's list is the id its
// streamer carries in every signal.
//
// The entry is a QObject living in the GUI thread so that it can be the context of its
// streamer's queued connections: signals still queued when the entry is destroyed are
// dropped with it and never reach an entry of a later search that carries the same id.
class DeviceEntry : public QObject
{
    Q_OBJECT

public:
    // Marker in the type field of the block copy until the block has been copied.
    static constexpr unsigned short BlockNotCopied = 0xBEEF;

    explicit DeviceEntry(const VelaDevice::_UDP_DEVINFOBLOCK_PC& found);
    ~DeviceEntry() override;

    VelaDevice::LS71Device* ls71() const { return m_ls71.get(); }
    VelaDevice::LS74Device* ls74() const { return m_ls74.get(); }
    VelaDevice::LS7xDevice* device() const;
    VelaStreamer::LS71Streamer* ls71Streamer() const { return m_ls71Streamer.get(); }
    VelaStreamer::LS74Streamer* ls74Streamer() const { return m_ls74Streamer.get(); }
    unsigned short typeCode() const { return m_typeCode; }

    // Calls f with the entry's streamer (the LS71 one first); does nothing without one.
    template <class F>
    void forStreamer(F&& f) const
    {
        if (m_ls71Streamer)
            f(*m_ls71Streamer);
        else if (m_ls74Streamer)
            f(*m_ls74Streamer);
    }
    bool hasStreamer() const { return m_ls71Streamer || m_ls74Streamer; }
    // True while the streamer's thread runs, whatever its loop flag says.
    bool isStreamerThreadRunning() const;

    // Builds the information page; also sets the display colour.
    QString infoPageHtml();
    const VelaDevice::_UDP_DEVINFOBLOCK_PC& blockCopy() const { return m_block; }

    // Counters and acquisition state start over (a disconnected sensor acquires nothing);
    // the listening flag stays.
    void resetStatistics()
    {
        statistics = AcquisitionStatistics();
        acquiringProfiles = false;
        acquiringImages = false;
        speedTest = false;
    }

    QString ipText;
    QString macText;
    quint32 serialNumber = 0;
    QColor displayColor;
    bool connected = false;
    bool connecting = false;
    bool listeningUDP = false;
    bool acquiringProfiles = false;
    bool acquiringImages = false;
    bool speedTest = false;
    bool pixelsMode = false;
    quint8 laserLevel = 0;
    quint16 exposureTime = 0;
    quint8 pixelBrightnessThreshold = 0;
    qint16 rotationAngle = 0;
    AcquisitionStatistics statistics;

private:
    DeviceInfoPage::Model model() const;

    unsigned short m_typeCode;
    // Declared before the streamers: a streamer holds its device and must go first.
    std::unique_ptr<VelaDevice::LS71Device> m_ls71;
    std::unique_ptr<VelaDevice::LS74Device> m_ls74;
    std::unique_ptr<VelaStreamer::LS71Streamer> m_ls71Streamer;
    std::unique_ptr<VelaStreamer::LS74Streamer> m_ls74Streamer;
    VelaDevice::_UDP_DEVINFOBLOCK_PC m_block;
};
