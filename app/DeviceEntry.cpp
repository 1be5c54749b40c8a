#include "DeviceEntry.h"

#include "DeviceBlockView.h"

#include <LS71Device.h>
#include <LS71Streamer.h>
#include <LS74Device.h>
#include <LS74Streamer.h>

#include <cstring>

static_assert(sizeof(VelaDevice::_UDP_DEVINFOBLOCK_PC) == DeviceBlockView::Size,
              "device-information block size");

DeviceEntry::DeviceEntry(const VelaDevice::_UDP_DEVINFOBLOCK_PC& found)
    : m_typeCode(found.DeviceType)
{
    using namespace VelaDevice;
    if (m_typeCode == DeviceTypeLS71) {
        m_ls71 = std::make_unique<LS71Device>(&found);
        m_ls71Streamer = std::make_unique<VelaStreamer::LS71Streamer>(nullptr);
        m_ls71Streamer->setLS71(m_ls71.get());
        m_ls71Streamer->setTCPMode(true);
        m_ls71Streamer->setTCPFrequency(1000);
        m_ls71Streamer->readPckCounter(true);
    } else if (m_typeCode == DeviceTypeLS74 || m_typeCode == DeviceTypeLS74Compatible) {
        m_ls74 = std::make_unique<LS74Device>(&found);
        m_ls74Streamer = std::make_unique<VelaStreamer::LS74Streamer>(nullptr);
        m_ls74Streamer->setLS74(m_ls74.get());
        m_ls74Streamer->setMode(VelaStreamer::StreamerModeTCP);
        m_ls74Streamer->setTCPFrequency(1000);
        m_ls74Streamer->readPckCounter(true);
    }

    std::memset(&m_block, 0, sizeof m_block);
    m_block.DeviceType = BlockNotCopied;

    const DeviceBlockView view(&found);
    ipText = view.ipText();
    macText = view.macText();
    serialNumber = view.serialNumber();
}

// The streamers go first (see the member order); each ends a run still going.
DeviceEntry::~DeviceEntry() = default;

VelaDevice::LS7xDevice* DeviceEntry::device() const
{
    if (m_ls71)
        return m_ls71.get();
    return m_ls74.get();
}

bool DeviceEntry::isStreamerThreadRunning() const
{
    bool running = false;
    forStreamer([&running](auto& streamer) { running = streamer.isRunning(); });
    return running;
}

DeviceInfoPage::Model DeviceEntry::model() const
{
    if (m_ls71)
        return DeviceInfoPage::Model::LS71;
    if (m_ls74)
        return DeviceInfoPage::Model::LS74;
    return DeviceInfoPage::Model::None;
}

QString DeviceEntry::infoPageHtml()
{
    // Without a device there is nothing to ask: the page shows the zero-filled copy.
    if (m_block.DeviceType == BlockNotCopied && device()) {
        if (const VelaDevice::_UDP_DEVINFOBLOCK_PC* block = device()->GetDevBlock())
            std::memcpy(&m_block, block, sizeof m_block);
    }
    const DeviceInfoPage page = DeviceInfoPage::build(DeviceBlockView(&m_block), model());
    displayColor = QColor(page.colorName);
    return page.html;
}
