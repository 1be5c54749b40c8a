#include "DeviceInfoPage.h"

#include "DeviceBlockView.h"

namespace {
QString heading(const QString& title)
{
    return QStringLiteral("<span style=\"font-size:11pt; color:blue;\"><b>%1</b></span><br />")
        .arg(title);
}
}

DeviceInfoPage DeviceInfoPage::build(const DeviceBlockView& block, Model model)
{
    DeviceInfoPage page;
    page.html += heading(tr("DEVICE MODIFICATION"));
    page.appendInterface(block.modification());
    if (model == Model::LS71)
        page.appendLS71Options(block.modification());
    page.appendLaserColor(block.laserColor());
    page.appendSerialNumber(block.serialNumber());
    page.appendMeasuringRange(block);
    if (model == Model::LS71)
        page.appendDiscreteTransformation(block);
    page.appendFirmware(block, model);
    return page;
}

void DeviceInfoPage::appendInterface(quint8 modification)
{
    const int kind = modification & 0x03;
    html += kind < 2 ? tr("<u>Interface:</u> <b>rs485</b><br />")
                     : tr("<u>Interface:</u> <b>Ethernet</b><br />");
    html += kind < 3 ? tr("<u>Result synchronization:</u> <b>internal</b><br />")
                     : tr("<u>Result synchronization:</u> <b>external, internal</b><br />");
}

void DeviceInfoPage::appendLS71Options(quint8 modification)
{
    html += tr("<u>Measure synchronization:</u> ");
    html += (modification & 0x04) ? tr("<b>external, internal</b><br />")
                                   : tr("<b>internal</b><br />");

    html += tr("<u>Analog out:</u> ");
    switch ((modification >> 3) & 0x03) {
    case 0: html += tr("<b>not present</b><br />"); break;
    case 1: html += tr("<b>voltage</b><br />"); break;
    case 2: html += tr("<b>current</b><br />"); break;
    default: break;
    }

    html += tr("<u>Laser beam modulation:</u> ");
    switch ((modification >> 5) & 0x03) {
    case 0: html += tr("<b>not present</b><br />"); break;
    case 1: html += tr("<b>present</b><br />"); break;
    default: break;
    }
}

void DeviceInfoPage::appendLaserColor(quint8 laserColor)
{
    colorName = QStringLiteral("red");
    if (laserColor == 0)
        return;
    html += tr("<u>Laser beam color:</u> ");
    switch (laserColor) {
    case 1:
        html += tr("<span style=\"color:red\"><b>red</b></span><br />");
        break;
    case 2:
        html += tr("<span style=\"color:blue\"><b>blue</b></span><br />");
        colorName = QStringLiteral("mediumslateblue");
        break;
    case 3:
        html += tr("<span style=\"color:green\"><b>green</b></span><br />");
        colorName = QStringLiteral("limegreen");
        break;
    case 4:
        html += tr("<b>infrared</b><br />");
        break;
    default:
        break;
    }
}

void DeviceInfoPage::appendSerialNumber(quint32 serialNumber)
{
    html += QStringLiteral("<br />") + heading(tr("SERIAL NUMBER"));
    html += tr("<b>%1</b><br />").arg(serialNumber);
}

void DeviceInfoPage::appendMeasuringRange(const DeviceBlockView& block)
{
    html += QStringLiteral("<br />") + heading(tr("MEASURING RANGE"));
    html += tr("<u>Base:</u> <b>%1 mm</b><br />").arg(block.u16(16));
    html += tr("<u>Range of Z:</u> <b>%1 mm</b><br />").arg(block.u16(18));
    html += tr("<u>Range of X(SMR):</u> <b>%1 mm</b><br />").arg(block.u16(20));
    html += tr("<u>Range of X(EMR):</u> <b>%1 mm</b><br />").arg(block.u16(22));
}

void DeviceInfoPage::appendDiscreteTransformation(const DeviceBlockView& block)
{
    html += QStringLiteral("<br />") + heading(tr("DISCRETE TRANSFORMATION"));
    html += tr("<u>Discrete value:</u> <b>%1</b><br />").arg(block.u16(24));
    html += tr("<u>Error value:</u> <b>%1</b><br />").arg(block.i16(26));
}

void DeviceInfoPage::appendFirmware(const DeviceBlockView& block, Model model)
{
    html += QStringLiteral("<br />") + heading(tr("FIRMWARE"));
    if (model == Model::LS71) {
        html += tr("<u>Version:</u> <b>%1</b><br />").arg(block.u32(28));
    } else if (model == Model::LS74) {
        html += tr("<u>Linux version:</u> <b>%1</b><br />").arg(block.u32(28));
        html += tr("<u>CoreA version:</u> <b>%1</b><br />").arg(block.u32(33));
        html += tr("<u>CoreB version:</u> <b>%1</b><br />").arg(block.u32(37));
        html += tr("<u>FPGA version:</u> <b>%1</b><br />").arg(block.u32(41));
    }
}
