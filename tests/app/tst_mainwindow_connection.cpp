#include "AppTestSupport.h"
#include "DeviceEntry.h"
#include "private/LibraryUse.h"

#include <LS71Streamer.h>
#include <LS74Streamer.h>

#include <QCheckBox>
#include <QSlider>
#include <QTabWidget>

#include <atomic>

using VelaEmulator::Model;

namespace {
constexpr quint32 LS71Serial = 12345;
constexpr quint32 LS74Serial = 777;

QThread* streamerOf(const DeviceEntry& entry)
{
    QThread* thread = nullptr;
    entry.forStreamer([&thread](auto& streamer) { thread = &streamer; });
    return thread;
}
}

class TestMainWindowConnection : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void connectShowsConnected_data();
    void connectShowsConnected();
    void doubleClickConnects();
    void connectingSecondSensorDisconnectsFirst_data();
    void connectingSecondSensorDisconnectsFirst();
    void disconnect();
    void failedConnectKeepsEntryConnecting();
    void listeningEntryCannotBeConnected();
    void stopRightAfterStartWaitsForThread();
    void closeWhileStreamingStopsStreamer();
    void listenUDPLeavesNoTCPRun();

private:
    // Shows the window, searches, and selects the sensor; returns its row.
    int searchAndSelect(MainWindow& window, quint32 serial);
    bool connectRow(MainWindow& window, int row);

    std::unique_ptr<EmulatedSensors> m_sensors;
};

void TestMainWindowConnection::init()
{
    CommandLine::setArguments(QStringList());
    m_sensors = std::make_unique<EmulatedSensors>(std::vector<VelaEmulator::SensorSpec> {
        { Model::LS71, LS71Serial }, { Model::LS74, LS74Serial } });
    QVERIFY(m_sensors->start());
}

void TestMainWindowConnection::cleanup()
{
    m_sensors.reset();
}

int TestMainWindowConnection::searchAndSelect(MainWindow& window, quint32 serial)
{
    window.show();
    if (!searchAndWait(window))
        return -1;
    const int row = rowOfSerial(window, serial);
    window.onClickedDeviceTableCell(row, 1);
    return row;
}

bool TestMainWindowConnection::connectRow(MainWindow& window, int row)
{
    window.onClickedDeviceTableCell(row, 1);
    widget<QPushButton>(window, "buttonConnect")->click();
    return waitForCell(window, row, 4, "Connected");
}

void TestMainWindowConnection::connectShowsConnected_data()
{
    QTest::addColumn<quint32>("serial");
    QTest::newRow("LS71") << LS71Serial;
    QTest::newRow("LS74") << LS74Serial;
}

void TestMainWindowConnection::connectShowsConnected()
{
    QFETCH(quint32, serial);
    MainWindow window;
    const int row = searchAndSelect(window, serial);
    QVERIFY(row >= 0);
    StatusLog status(window);

    widget<QPushButton>(window, "buttonConnect")->click();
    QCOMPARE(cellText(window, row, 4), QString("Connecting"));
    QVERIFY(!widget<QPushButton>(window, "buttonSearch")->isEnabled());
    QCOMPARE(widget<QComboBox>(window, "cobmoDrawProfiles")->currentIndex(), row);
    QCOMPARE(widget<QComboBox>(window, "cobmoDrawImages")->currentIndex(), row);

    QVERIFY(waitForCell(window, row, 4, "Connected"));
    QVERIFY(status.messages.contains(QString("127.0.0.1 (SN: %1): connected").arg(serial)));
    QCOMPARE(widget<QPushButton>(window, "buttonConnect")->text(), QString("Disconnect"));
    QCOMPARE(comboItems(window, "cobmoDrawProfiles").at(row), QString("127.0.0.1 - Connected"));
    QCOMPARE(comboItems(window, "cobmoDrawImages").at(row), QString("127.0.0.1 - Connected"));
    QVERIFY(widget<QPushButton>(window, "buttonSearch")->isEnabled());
    QPushButton* drawProfiles = widget<QPushButton>(window, "buttonDrawProfiles");
    QVERIFY(drawProfiles->isEnabled());
    QCOMPARE(drawProfiles->text(), QString("Start"));
    QVERIFY(widget<QPushButton>(window, "buttonDrawImages")->isEnabled());
    QVERIFY(widget<QCheckBox>(window, "checkDumpUDP")->isEnabled());
    for (const char* tabs : { "tabWidget", "tabWidget_2" }) {
        QVERIFY(widget<QTabWidget>(window, tabs)->isTabEnabled(1));
        QVERIFY(widget<QTabWidget>(window, tabs)->isTabEnabled(2));
    }
    QVERIFY(window.entryAt(row)->connected);
    QVERIFY(!window.entryAt(row)->connecting);
    QCOMPARE(window.activeEntryCount(), 1);
}

void TestMainWindowConnection::doubleClickConnects()
{
    MainWindow window;
    const int row = searchAndSelect(window, LS74Serial);
    const int other = 1 - row;
    window.onDoubleClickedDeviceTableCell(other, 3);
    QVERIFY(waitForCell(window, other, 4, "Connected"));
    QCOMPARE(widget<QTableWidget>(window, "tableDeviceList")->currentRow(), other);
}

void TestMainWindowConnection::connectingSecondSensorDisconnectsFirst_data()
{
    QTest::addColumn<QString>("acquiring");
    QTest::newRow("nothing") << "";
    QTest::newRow("profiles") << "buttonDrawProfiles";
    QTest::newRow("images") << "buttonDrawImages";
}

void TestMainWindowConnection::connectingSecondSensorDisconnectsFirst()
{
    QFETCH(QString, acquiring);
    MainWindow window;
    const int first = searchAndSelect(window, LS74Serial);
    const int second = rowOfSerial(window, LS71Serial);
    QVERIFY(connectRow(window, first));
    DeviceEntry& entry = *window.entryAt(first);
    QThread* firstStreamer = streamerOf(entry);
    QVERIFY(firstStreamer->isRunning());
    QPushButton* start = acquiring.isEmpty() ? nullptr : widget<QPushButton>(window, qPrintable(acquiring));
    if (start) {
        start->click();
        QVERIFY(QTest::qWaitFor([&] { return entry.statistics.packetTotal + entry.statistics.frameTotal > 0; },
                                10000));
    }

    StatusLog status(window);
    QVERIFY(connectRow(window, second));
    QCOMPARE(cellText(window, first, 4), QString("Not connected"));
    QVERIFY(!entry.connected);
    QVERIFY(!firstStreamer->isRunning());
    QVERIFY(status.messages.contains(QString("127.0.0.1 (SN: %1): connected").arg(LS71Serial)));
    QCOMPARE(window.activeEntryCount(), 1);
    // It acquires nothing any more and the statistics no longer count for it.
    QVERIFY(!entry.acquiringProfiles && !entry.acquiringImages && !entry.speedTest);
    window.calculatePerSecValues();
    QCOMPARE(entry.statistics.profileSeconds + entry.statistics.imageSeconds, 0);
    QCOMPARE(entry.statistics.packetTotal + entry.statistics.frameTotal, 0);
    QCOMPARE(comboItems(window, "cobmoDrawProfiles").at(first), QString("127.0.0.1 - Not connected"));

    // Connected again, its Start starts.
    if (start) {
        QVERIFY(connectRow(window, first));
        QCOMPARE(start->text(), QString("Start"));
        start->click();
        QCOMPARE(start->text(), QString("Stop"));
        QVERIFY(entry.acquiringProfiles || entry.acquiringImages);
    }
}

void TestMainWindowConnection::disconnect()
{
    MainWindow window;
    const int row = searchAndSelect(window, LS74Serial);
    QVERIFY(connectRow(window, row));
    widget<QSlider>(window, "sliderLaserLevel")->setValue(7);
    QTabWidget* mainTabs = widget<QTabWidget>(window, "tabWidget");
    QTabWidget* settingsTabs = widget<QTabWidget>(window, "tabWidget_2");
    mainTabs->setCurrentIndex(1);
    settingsTabs->setCurrentIndex(2);
    StatusLog status(window);

    widget<QPushButton>(window, "buttonConnect")->click();
    QCOMPARE(cellText(window, row, 4), QString("Not connected"));
    QCOMPARE(status.messages.last(), QString("127.0.0.1 (SN: %1): disconnected").arg(LS74Serial));
    QCOMPARE(widget<QPushButton>(window, "buttonConnect")->text(), QString("Connect"));
    QCOMPARE(comboItems(window, "cobmoDrawProfiles").at(row), QString("127.0.0.1 - Not connected"));
    QCOMPARE(comboItems(window, "cobmoDrawImages").at(row), QString("127.0.0.1 - Not connected"));
    QCOMPARE(widget<QSlider>(window, "sliderLaserLevel")->value(), 0);
    QVERIFY(!widget<QPushButton>(window, "buttonDrawProfiles")->isEnabled());
    QVERIFY(!widget<QPushButton>(window, "buttonDrawImages")->isEnabled());
    for (QTabWidget* tabs : { mainTabs, settingsTabs }) {
        QVERIFY(!tabs->isTabEnabled(1));
        QVERIFY(!tabs->isTabEnabled(2));
        QCOMPARE(tabs->currentIndex(), 0);
    }
    QVERIFY(!streamerOf(*window.entryAt(row))->isRunning());
    QCOMPARE(window.activeEntryCount(), 0);

    // The sensor can be connected again.
    QVERIFY(connectRow(window, row));
}

void TestMainWindowConnection::failedConnectKeepsEntryConnecting()
{
    MainWindow window;
    const int row = searchAndSelect(window, LS74Serial);
    m_sensors->emulator().stop();

    widget<QPushButton>(window, "buttonConnect")->click();
    QTRY_COMPARE_WITH_TIMEOUT(
        statusText(window),
        QString("127.0.0.1 (SN: %1): Stream ended abnormally; rc=2 (TCP connect failed)").arg(LS74Serial),
        15000);
    QCOMPARE(cellText(window, row, 4), QString("Not connected"));
    QVERIFY(widget<QPushButton>(window, "buttonSearch")->isEnabled());
    QVERIFY(window.entryAt(row)->connecting);
    QVERIFY(!window.entryAt(row)->connected);

    // Connect does nothing until a new search rebuilds the list.
    QVERIFY(m_sensors->emulator().start());
    widget<QPushButton>(window, "buttonConnect")->click();
    QCOMPARE(cellText(window, row, 4), QString("Not connected"));
    QVERIFY(!streamerOf(*window.entryAt(row))->isRunning());
}

void TestMainWindowConnection::listeningEntryCannotBeConnected()
{
    MainWindow window;
    const int row = searchAndSelect(window, LS71Serial);
    QVERIFY(widget<QPushButton>(window, "buttonConnect")->isEnabled());
    window.entryAt(row)->listeningUDP = true;
    window.onClickedDeviceTableCell(row, 0);
    QVERIFY(!widget<QPushButton>(window, "buttonConnect")->isEnabled());
    QCOMPARE(window.activeEntryCount(), 1);
}

void TestMainWindowConnection::stopRightAfterStartWaitsForThread()
{
    MainWindow window;
    const int row = searchAndSelect(window, LS74Serial);
    widget<QPushButton>(window, "buttonConnect")->click();
    auto* streamer = window.entryAt(row)->ls74Streamer();
    QVERIFY(streamer->isRunning());

    // The stop request comes before the run has reached its loop.
    window.stopStreamer(streamer);
    QVERIFY(!streamer->isRunning());
}

void TestMainWindowConnection::closeWhileStreamingStopsStreamer()
{
    MainWindow window;
    const int row = searchAndSelect(window, LS71Serial);
    QVERIFY(connectRow(window, row));
    QPointer<VelaStreamer::LS71Streamer> streamer = window.entryAt(row)->ls71Streamer();
    // The library's use count as the streamer's run ends (in its thread, before the run's last
    // store, which the streamer's destruction waits for): still held by the window.
    std::atomic<int> usersAtFinish { -1 };
    QObject::connect(streamer, &VelaStreamer::LS71Streamer::complete, streamer,
                     [&usersAtFinish] { usersAtFinish = VelaDevice::libraryUsers(); }, Qt::DirectConnection);
    const int usersBeforeClose = VelaDevice::libraryUsers();
    widget<QPushButton>(window, "buttonDrawProfiles")->click();
    // Slow answers keep the streamer inside a result read when the window closes.
    VelaEmulator::Faults slow;
    slow.answerDelayMs = 300;
    m_sensors->emulator().setFaults(0, slow);
    {
        RequestLog log(m_sensors->emulator(), 0, *window.entryAt(row));
        QVERIFY(log.waitForRunningStream());
    }

    // The close ends with the device library's Cleanup: the thread is over before it.
    QVERIFY(window.close());
    QCOMPARE(usersAtFinish.load(), usersBeforeClose);
    QCOMPARE(VelaDevice::libraryUsers(), usersBeforeClose - 1);
    QVERIFY(!streamer);
    QCOMPARE(window.entryCount(), 0);
    QCOMPARE(widget<QTableWidget>(window, "tableDeviceList")->rowCount(), 0);
}

void TestMainWindowConnection::listenUDPLeavesNoTCPRun()
{
    MainWindow window;
    const int row = searchAndSelect(window, LS74Serial);
    DeviceEntry& entry = *window.entryAt(row);
    QCheckBox* listen = widget<QCheckBox>(window, "checkUDP");
    listen->setEnabled(true);
    listen->setChecked(true);
    QCOMPARE(cellText(window, row, 4), QString("UDP mode"));

    // The results come over UDP only: the run that asked for them over TCP has ended.
    RequestLog log(m_sensors->emulator(), 1, entry);
    window.onClickedDrawProfilesButton();
    QVERIFY(entry.acquiringProfiles);
    QVERIFY(QTest::qWaitFor([&] { return entry.statistics.packetTotal >= 20; }, 10000));
    for (const RequestLog::Request& request : log.requests())
        QVERIFY(!RequestLog::isResult(request.command));
}

QTEST_MAIN(TestMainWindowConnection)
#include "tst_mainwindow_connection.moc"
