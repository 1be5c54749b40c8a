#include "AppTestSupport.h"
#include "DeviceEntry.h"

#include <LS71Streamer.h>
#include <LS74Streamer.h>

#include <QGroupBox>
#include <QProgressBar>
#include <QTextEdit>

#include <cstring>

using VelaEmulator::Model;

namespace {
constexpr quint32 LS71Serial = 12345;
constexpr quint32 LS74Serial = 777;

VelaDevice::_UDP_DEVINFOBLOCK_PC* blockOfType(unsigned short type)
{
    auto* block = new VelaDevice::_UDP_DEVINFOBLOCK_PC;
    std::memset(block, 0, sizeof *block);
    block->DeviceType = type;
    const unsigned char ip[] = { 127, 0, 0, 99 };
    const unsigned char mac[] = { 0x0A, 0x00, 0x3F, 0x01, 0x02, 0xFF };
    std::memcpy(block->IPAddress, ip, 4);
    std::memcpy(block->MACAddress, mac, 6);
    const unsigned char serial[] = { 0x39, 0x30, 0x00 };
    std::memcpy(block->SerialNumber, serial, 3);
    block->Modification = 0x7F;
    block->RangeZ = 400;
    return block;
}

unsigned char streamerId(const DeviceEntry& entry)
{
    unsigned char id = 255;
    entry.forStreamer([&id](auto& streamer) { id = streamer.id(); });
    return id;
}
}

class TestMainWindowSearch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void searchListsEverySensor();
    void autoSearchOnFirstShow();
    void searchFindsNothing();
    void secondSearchRebuildsListWithIdsFromZero();
    void queuedSignalsOfDestroyedEntriesAreDropped();
    void informationPagesOfBothModels();
    void sensorOfAnotherType();
    void closingDuringSearch();

private:
    std::unique_ptr<EmulatedSensors> m_sensors;
};

void TestMainWindowSearch::initTestCase()
{
    m_sensors = std::make_unique<EmulatedSensors>(std::vector<VelaEmulator::SensorSpec> {
        { Model::LS71, LS71Serial }, { Model::LS74, LS74Serial } });
    QVERIFY(m_sensors->start());
}

void TestMainWindowSearch::init()
{
    CommandLine::setArguments(QStringList());
}

void TestMainWindowSearch::searchListsEverySensor()
{
    MainWindow window;
    window.show();
    QVERIFY(searchAndWait(window));

    QCOMPARE(statusText(window), QString("Found 2 devices."));
    QCOMPARE(widget<QTableWidget>(window, "tableDeviceList")->rowCount(), 2);
    const int ls71 = rowOfSerial(window, LS71Serial);
    const int ls74 = rowOfSerial(window, LS74Serial);
    QVERIFY(ls71 >= 0 && ls74 >= 0);
    QCOMPARE(cellText(window, ls71, 0), QString("71"));
    QCOMPARE(cellText(window, ls74, 0), QString("74"));
    const QRegularExpression mac("^([0-9A-F]{2}-){5}[0-9A-F]{2}$");
    for (int row : { ls71, ls74 }) {
        QCOMPARE(cellText(window, row, 2), QString("127.0.0.1"));
        QVERIFY2(mac.match(cellText(window, row, 3)).hasMatch(), qPrintable(cellText(window, row, 3)));
        QCOMPARE(cellText(window, row, 4), QString("Not connected"));
    }
    QVERIFY(cellText(window, 0, 3) != cellText(window, 1, 3));

    const QStringList items { "127.0.0.1 - Not connected", "127.0.0.1 - Not connected" };
    QCOMPARE(comboItems(window, "cobmoDrawProfiles"), items);
    QCOMPARE(comboItems(window, "cobmoDrawImages"), items);

    // The first row is selected, and current, as if it had been clicked.
    QTableWidget* table = widget<QTableWidget>(window, "tableDeviceList");
    QVERIFY(table->isEnabled());
    QCOMPARE(table->currentRow(), 0);
    QPushButton* connect = widget<QPushButton>(window, "buttonConnect");
    QVERIFY(connect->isEnabled());
    QCOMPARE(connect->text(), QString("Connect"));
    QVERIFY(widget<QTextEdit>(window, "editInfo")->toPlainText().contains(cellText(window, 0, 1)));
    QCOMPARE(widget<QProgressBar>(window, "progressBar")->value(), 0);
    QVERIFY(widget<QPushButton>(window, "buttonSearch")->isEnabled());

    // The README's screenshot comes from here: LS7X_SCREENSHOT=docs/mainwindow.png
    const QString screenshot = qEnvironmentVariable("LS7X_SCREENSHOT");
    if (!screenshot.isEmpty())
        QVERIFY(window.grab().save(screenshot));
}

void TestMainWindowSearch::autoSearchOnFirstShow()
{
    CommandLine::setArguments({ "/AutoSearch" });
    MainWindow window;
    window.show();
    QVERIFY(!widget<QPushButton>(window, "buttonSearch")->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(statusText(window), QString("Found 2 devices."), 15000);
}

void TestMainWindowSearch::searchFindsNothing()
{
    const QByteArray endpoint = qgetenv("VELA_DEVICE_SEARCH");
    qputenv("VELA_DEVICE_SEARCH", "127.0.0.1:" + QByteArray::number(VelaEmulator::freeUdpPort()));
    MainWindow window;
    window.show();
    const bool searched = searchAndWait(window);
    qputenv("VELA_DEVICE_SEARCH", endpoint);
    QVERIFY(searched);

    QCOMPARE(statusText(window), QString("Nothing found."));
    QCOMPARE(widget<QTableWidget>(window, "tableDeviceList")->rowCount(), 0);
    QVERIFY(!widget<QPushButton>(window, "buttonConnect")->isEnabled());
    QVERIFY(comboItems(window, "cobmoDrawProfiles").isEmpty());
}

void TestMainWindowSearch::secondSearchRebuildsListWithIdsFromZero()
{
    MainWindow window;
    window.show();
    QVERIFY(searchAndWait(window));
    const int ls74 = rowOfSerial(window, LS74Serial);
    window.onClickedDeviceTableCell(ls74, 1);
    window.onClickedConnectButton();
    QVERIFY(waitForCell(window, ls74, 4, "Connected"));
    const QPointer<DeviceEntry> first = window.entryAt(ls74);

    QVERIFY(searchAndWait(window));
    QVERIFY(!first);
    QCOMPARE(statusText(window), QString("Found 2 devices."));
    QCOMPARE(window.entryCount(), 2);
    QCOMPARE(widget<QTableWidget>(window, "tableDeviceList")->rowCount(), 2);
    QCOMPARE(comboItems(window, "cobmoDrawImages").size(), 2);
    for (int id = 0; id < window.entryCount(); ++id) {
        QCOMPARE(int(streamerId(*window.entryAt(id))), id);
        QCOMPARE(cellText(window, id, 4), QString("Not connected"));
        QVERIFY(!window.entryAt(id)->connected);
    }
}

void TestMainWindowSearch::queuedSignalsOfDestroyedEntriesAreDropped()
{
    MainWindow window;
    window.show();
    QVERIFY(searchAndWait(window));
    auto* block = new VelaDevice::_UDP_DEVINFOBLOCK_PC(window.entryAt(0)->blockCopy());
    QCOMPARE(int(block->DeviceType), cellText(window, 0, 0).toInt());

    // A stream end is still queued when the list is rebuilt and a new entry takes id 0.
    window.entryAt(0)->forStreamer([](auto& streamer) { emit streamer.complete(0, 2); });
    window.disconnectAll();
    window.onFoundDevice(block);
    QCOMPARE(window.entryCount(), 1);
    const QString before = statusText(window);
    QTest::qWait(50);

    QCOMPARE(statusText(window), before);
    QVERIFY(!statusText(window).contains("Stream ended"));
}

void TestMainWindowSearch::informationPagesOfBothModels()
{
    MainWindow window;
    window.show();
    QVERIFY(searchAndWait(window));
    QTextEdit* info = widget<QTextEdit>(window, "editInfo");
    // The group's own state: its tab stays disabled until a sensor is connected.
    QGroupBox* threshold = widget<QGroupBox>(window, "groupPixBrightnessThres");
    QWidget* group = threshold->parentWidget();

    window.onClickedDeviceTableCell(rowOfSerial(window, LS71Serial), 2);
    QString page = info->toPlainText();
    QVERIFY2(page.startsWith("DEVICE MODIFICATION\nInterface: Ethernet\n"), qPrintable(page));
    QVERIFY(page.contains("SERIAL NUMBER\n12345\n"));
    QVERIFY(page.contains("DISCRETE TRANSFORMATION"));
    QVERIFY(page.contains("FIRMWARE\nVersion: "));
    QVERIFY(!threshold->isEnabledTo(group));

    window.onClickedDeviceTableCell(rowOfSerial(window, LS74Serial), 2);
    page = info->toPlainText();
    QVERIFY(page.contains("SERIAL NUMBER\n777\n"));
    QVERIFY(!page.contains("DISCRETE TRANSFORMATION"));
    QVERIFY(page.contains("FIRMWARE\nLinux version: "));
    QVERIFY(page.contains("FPGA version: "));
    QVERIFY(threshold->isEnabledTo(group));
    QCOMPARE(widget<QTableWidget>(window, "tableDeviceList")->currentRow(),
             rowOfSerial(window, LS74Serial));
}

void TestMainWindowSearch::sensorOfAnotherType()
{
    MainWindow window;
    window.show();
    window.onFoundDevice(blockOfType(99));

    QCOMPARE(cellText(window, 0, 0), QString("99"));
    QCOMPARE(cellText(window, 0, 1), QString("12345"));
    QCOMPARE(cellText(window, 0, 2), QString("127.0.0.99"));
    QCOMPARE(cellText(window, 0, 3), QString("0A-00-3F-01-02-FF"));
    QCOMPARE(comboItems(window, "cobmoDrawProfiles"), QStringList { "127.0.0.99 - Not connected" });

    // No device to ask: the page shows the zero-filled copy, not the found block.
    window.onClickedDeviceTableCell(0, 1);
    const QString page = widget<QTextEdit>(window, "editInfo")->toPlainText();
    QVERIFY2(page.contains("Interface: rs485\nResult synchronization: internal\n"), qPrintable(page));
    QVERIFY(page.contains("SERIAL NUMBER\n0\n"));
    QVERIFY(page.contains("Range of Z: 0 mm"));
    QVERIFY(page.trimmed().endsWith("FIRMWARE"));

    window.onClickedConnectButton();
    QCOMPARE(cellText(window, 0, 4), QString("Connecting"));
    QVERIFY(!widget<QPushButton>(window, "buttonSearch")->isEnabled());
}

void TestMainWindowSearch::closingDuringSearch()
{
    MainWindow window;
    window.show();
    widget<QPushButton>(window, "buttonSearch")->click();
    QCOMPARE(statusText(window), QString("Searching..."));
    QVERIFY(window.close());
    QCOMPARE(window.entryCount(), 0);
    QCOMPARE(widget<QTableWidget>(window, "tableDeviceList")->rowCount(), 0);
}

QTEST_MAIN(TestMainWindowSearch)
#include "tst_mainwindow_search.moc"
