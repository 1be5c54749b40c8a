#include "DeviceBlockView.h"
#include "DeviceInfoPage.h"

#include <QtTest>

#include <array>

using Model = DeviceInfoPage::Model;
Q_DECLARE_METATYPE(DeviceInfoPage::Model)

namespace {

// A device-information block written byte by byte at the documented offsets.
struct Block
{
    std::array<uchar, DeviceBlockView::Size> bytes {};

    Block& u8(int offset, uchar value) { bytes[offset] = value; return *this; }
    Block& u16(int offset, quint16 value)
    {
        bytes[offset] = uchar(value);
        bytes[offset + 1] = uchar(value >> 8);
        return *this;
    }
    Block& u32(int offset, quint32 value)
    {
        for (int i = 0; i < 4; ++i)
            bytes[offset + i] = uchar(value >> (8 * i));
        return *this;
    }
    DeviceBlockView view() const { return DeviceBlockView(bytes.data()); }
};

const QString modificationHeading =
    "<span style=\"font-size:11pt; color:blue;\"><b>DEVICE MODIFICATION</b></span><br />";
const QString serialHeading =
    "<br /><span style=\"font-size:11pt; color:blue;\"><b>SERIAL NUMBER</b></span><br />";
const QString rangeHeading =
    "<br /><span style=\"font-size:11pt; color:blue;\"><b>MEASURING RANGE</b></span><br />";
const QString discreteHeading =
    "<br /><span style=\"font-size:11pt; color:blue;\"><b>DISCRETE TRANSFORMATION</b></span><br />";
const QString firmwareHeading =
    "<br /><span style=\"font-size:11pt; color:blue;\"><b>FIRMWARE</b></span><br />";

const QString rs485 = "<u>Interface:</u> <b>rs485</b><br />";
const QString ethernet = "<u>Interface:</u> <b>Ethernet</b><br />";
const QString syncInternal = "<u>Result synchronization:</u> <b>internal</b><br />";
const QString syncBoth = "<u>Result synchronization:</u> <b>external, internal</b><br />";

QString ranges(int base, int z, int xsmr, int xemr)
{
    return rangeHeading + QString("<u>Base:</u> <b>%1 mm</b><br />").arg(base)
        + QString("<u>Range of Z:</u> <b>%1 mm</b><br />").arg(z)
        + QString("<u>Range of X(SMR):</u> <b>%1 mm</b><br />").arg(xsmr)
        + QString("<u>Range of X(EMR):</u> <b>%1 mm</b><br />").arg(xemr);
}

} // namespace

class TestDeviceInfoPage : public QObject
{
    Q_OBJECT

private slots:
    void blockFields();
    void serialNumberUsesThreeBytes();
    void modificationLines_data();
    void modificationLines();
    void laserColor_data();
    void laserColor();
    void ls71Page();
    void ls74Page();
    void pageWithoutDevice();
};

void TestDeviceInfoPage::blockFields()
{
    Block block;
    block.u16(0, 74).u8(2, 127).u8(3, 0).u8(4, 0).u8(5, 12);
    const uchar mac[] = { 0x0A, 0x00, 0x3F, 0x01, 0x02, 0xFF };
    for (int i = 0; i < 6; ++i)
        block.u8(6 + i, mac[i]);
    block.u8(13, 0x39).u8(14, 0x30).u8(15, 0x00);

    const DeviceBlockView view = block.view();
    QCOMPARE(view.typeCode(), quint16(74));
    QCOMPARE(view.ipText(), QString("127.0.0.12"));
    QCOMPARE(view.macText(), QString("0A-00-3F-01-02-FF"));
    QCOMPARE(view.serialNumber(), quint32(12345));
}

void TestDeviceInfoPage::serialNumberUsesThreeBytes()
{
    Block block;
    block.u8(12, 0xEE).u8(13, 0xFF).u8(14, 0xFF).u8(15, 0xFF).u8(16, 0xEE);
    QCOMPARE(block.view().serialNumber(), quint32(16777215));
}

void TestDeviceInfoPage::modificationLines_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<int>("modification");
    QTest::addColumn<QString>("lines");

    const QString measInternal = "<u>Measure synchronization:</u> <b>internal</b><br />";
    const QString measBoth = "<u>Measure synchronization:</u> <b>external, internal</b><br />";
    const QString analog = "<u>Analog out:</u> ";
    const QString modulation = "<u>Laser beam modulation:</u> ";
    const QString notPresent = "<b>not present</b><br />";

    QTest::newRow("LS71 all clear") << Model::LS71 << 0x00
        << rs485 + syncInternal + measInternal + analog + notPresent + modulation + notPresent;
    QTest::newRow("LS71 interface 1 is rs485") << Model::LS71 << 0x01
        << rs485 + syncInternal + measInternal + analog + notPresent + modulation + notPresent;
    QTest::newRow("LS71 voltage, modulation") << Model::LS71 << 0x2E
        << ethernet + syncInternal + measBoth + analog + "<b>voltage</b><br />" + modulation
            + "<b>present</b><br />";
    QTest::newRow("LS71 current, modulation 2") << Model::LS71 << 0x53
        << ethernet + syncBoth + measInternal + analog + "<b>current</b><br />" + modulation;
    QTest::newRow("LS71 every bit") << Model::LS71 << 0x7F
        << ethernet + syncBoth + measBoth + analog + modulation;
    QTest::newRow("LS74 ignores option bits") << Model::LS74 << 0x7F << ethernet + syncBoth;
    QTest::newRow("LS74 ethernet, internal") << Model::LS74 << 0x02 << ethernet + syncInternal;
}

void TestDeviceInfoPage::modificationLines()
{
    QFETCH(Model, model);
    QFETCH(int, modification);
    QFETCH(QString, lines);

    Block block;
    block.u8(12, uchar(modification));
    const QString html = DeviceInfoPage::build(block.view(), model).html;
    QCOMPARE(html.left(modificationHeading.size() + lines.size() + serialHeading.size()),
             modificationHeading + lines + serialHeading);
}

void TestDeviceInfoPage::laserColor_data()
{
    QTest::addColumn<int>("laser");
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QString>("color");

    const QString label = "<u>Laser beam color:</u> ";
    QTest::newRow("none") << 0 << QString() << "red";
    QTest::newRow("red") << 1 << label + "<span style=\"color:red\"><b>red</b></span><br />"
                         << "red";
    QTest::newRow("blue") << 2 << label + "<span style=\"color:blue\"><b>blue</b></span><br />"
                          << "mediumslateblue";
    QTest::newRow("green") << 3
                           << label + "<span style=\"color:green\"><b>green</b></span><br />"
                           << "limegreen";
    QTest::newRow("infrared") << 4 << label + "<b>infrared</b><br />" << "red";
    QTest::newRow("unknown") << 5 << label << "red";
}

void TestDeviceInfoPage::laserColor()
{
    QFETCH(int, laser);
    QFETCH(QString, lines);

    Block block;
    block.u8(12, 0x02).u8(32, uchar(laser));
    const DeviceInfoPage page = DeviceInfoPage::build(block.view(), Model::LS74);
    QCOMPARE(page.html.left(modificationHeading.size() + ethernet.size() + syncInternal.size()
                            + lines.size() + serialHeading.size()),
             modificationHeading + ethernet + syncInternal + lines + serialHeading);
    QTEST(page.colorName, "color");
}

void TestDeviceInfoPage::ls71Page()
{
    Block block;
    block.u16(0, 71).u8(12, 0x02).u8(13, 0x39).u8(14, 0x30).u8(15, 0x00);
    block.u16(16, 80).u16(18, 250).u16(20, 90).u16(22, 180);
    block.u16(24, 60000).u16(26, quint16(-12)).u32(28, 3000000000u).u8(32, 1);
    block.u32(33, 7).u32(37, 8).u32(41, 9); // LS74 versions: not an LS71's business

    const QString expected = modificationHeading + ethernet + syncInternal
        + "<u>Measure synchronization:</u> <b>internal</b><br />"
        + "<u>Analog out:</u> <b>not present</b><br />"
        + "<u>Laser beam modulation:</u> <b>not present</b><br />"
        + "<u>Laser beam color:</u> <span style=\"color:red\"><b>red</b></span><br />"
        + serialHeading + "<b>12345</b><br />" + ranges(80, 250, 90, 180) + discreteHeading
        + "<u>Discrete value:</u> <b>60000</b><br />" + "<u>Error value:</u> <b>-12</b><br />"
        + firmwareHeading + "<u>Version:</u> <b>3000000000</b><br />";
    QCOMPARE(DeviceInfoPage::build(block.view(), Model::LS71).html, expected);
}

void TestDeviceInfoPage::ls74Page()
{
    Block block;
    block.u16(0, 74).u8(12, 0x03).u8(13, 0x01).u8(14, 0x02).u8(15, 0x03);
    block.u16(16, 300).u16(18, 500).u16(20, 200).u16(22, 400);
    block.u16(24, 11).u16(26, 22).u32(28, 20140604).u8(32, 3);
    block.u32(33, 0x01020304).u32(37, 4294967295u).u32(41, 42);

    const QString expected = modificationHeading + ethernet + syncBoth
        + "<u>Laser beam color:</u> <span style=\"color:green\"><b>green</b></span><br />"
        + serialHeading + "<b>197121</b><br />" + ranges(300, 500, 200, 400) + firmwareHeading
        + "<u>Linux version:</u> <b>20140604</b><br />"
        + "<u>CoreA version:</u> <b>16909060</b><br />"
        + "<u>CoreB version:</u> <b>4294967295</b><br />"
        + "<u>FPGA version:</u> <b>42</b><br />";
    QCOMPARE(DeviceInfoPage::build(block.view(), Model::LS74).html, expected);
}

void TestDeviceInfoPage::pageWithoutDevice()
{
    Block zeroFilled;
    zeroFilled.u16(0, 0xBEEF);
    const DeviceInfoPage page = DeviceInfoPage::build(zeroFilled.view(), Model::None);
    QCOMPARE(page.html, modificationHeading + rs485 + syncInternal + serialHeading
                            + "<b>0</b><br />" + ranges(0, 0, 0, 0) + firmwareHeading);
    QCOMPARE(page.colorName, QString("red"));
}

QTEST_GUILESS_MAIN(TestDeviceInfoPage)
#include "tst_deviceinfopage.moc"
