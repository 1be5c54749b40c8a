#include "AppTestSupport.h"
#include "DeviceEntry.h"
#include "IPEditWidget.h"
#include "ImageViewer.h"

#include <LS71Device.h>
#include <LS71Streamer.h>
#include <LS74Device.h>
#include <LS74Streamer.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>

#include <functional>

using VelaEmulator::Model;

namespace {
constexpr quint32 LS71Serial = 7101;
constexpr quint32 LS74Serial = 7401;

QString sensorStatus(quint32 serial, const QString& text)
{
    return QString("127.0.0.1 (SN: %1): %2").arg(serial).arg(text);
}

bool streamerPaused(const DeviceEntry& entry)
{
    bool paused = false;
    entry.forStreamer([&paused](auto& streamer) { paused = streamer.isPaused(); });
    return paused;
}

void resumeStreamer(const DeviceEntry& entry)
{
    entry.forStreamer([](auto& streamer) { streamer.resume(); });
}

// What the sensor itself holds, read through a device object of its own.
struct SensorParams
{
    int laserLevel = -1;
    int exposure = -1;
    int frequency = -1;
    int externalSync = -1;
    int brightness = -1;
    QList<int> window;
    QString deviceAddress;
    int hostPort = -1;
};

// A device object of the test's own for the entry's sensor.
std::unique_ptr<VelaDevice::LS7xDevice> ownDevice(const DeviceEntry& entry)
{
    if (entry.ls71())
        return std::make_unique<VelaDevice::LS71Device>(&entry.blockCopy());
    return std::make_unique<VelaDevice::LS74Device>(&entry.blockCopy());
}

// Changes the sensor's block without the window's device object knowing.
bool changeOnSensor(const DeviceEntry& entry, const std::function<void(VelaDevice::LS7xDevice&)>& change)
{
    const std::unique_ptr<VelaDevice::LS7xDevice> device = ownDevice(entry);
    if (device->ReadParams() != 1)
        return false;
    change(*device);
    return device->WriteParams() == 1;
}

SensorParams sensorParams(const DeviceEntry& entry)
{
    SensorParams params;
    const std::unique_ptr<VelaDevice::LS7xDevice> device = ownDevice(entry);
    if (device->ReadParams() != 1)
        return params;
    params.laserLevel = device->GetLaserLevel();
    params.exposure = device->GetExposureTime();
    params.frequency = device->GetUDPFrequency();
    params.externalSync = device->GetExternalResultSyncEnabled();
    if (auto* ls74 = dynamic_cast<VelaDevice::LS74Device*>(device.get()))
        params.brightness = ls74->GetPixelBrightnessThreshold();
    params.window = { device->GetLeftBoundary(), device->GetUpperBoundary(),
                      device->GetWindowWidth(), device->GetWindowHeight() };
    params.deviceAddress = QString::fromStdString(device->GetHumanReadableDeviceIPAddress());
    params.hostPort = device->GetHostPortNumber();
    return params;
}
}

class TestMainWindowParameters : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void readFillsControls_data();
    void readFillsControls();
    void readOutOfRangeValues_data();
    void readOutOfRangeValues();
    void readFailureIsReported();
    void commandsOnUnconnectedRowReachNoSensor();
    void streamPausedAroundCommands();
    void slidersSendAndCommit();
    void tcpRequestSampling_data();
    void tcpRequestSampling();
    void windowFromRectangle_data();
    void windowFromRectangle();
    void autoExposureFollowsSensor();
    void refusedWriteShowsErrorAndKeepsStreamerPaused();
    void commitRetryIsBounded();
    void invalidAddressIsNotSent();
    void exportImportRoundTrip();
    void exportAsksBeforeReplacing();
    void exportFailureIsReported();
    void exportOverExistingFile();
    void importRefusesForeignFile();
    void importIgnoresOutOfRangeValues();
    void flushSurvivesEmulatorRestart();
    void networkHeights();

private:
    // Searches and connects the sensor; answers its row, -1 on failure. The read at
    // connection marks the sliders changed; the commit that follows is waited for.
    int connectSensor(MainWindow& window, quint32 serial);
    // Changes the sensor's block through the entry's device object.
    static bool setOnSensor(DeviceEntry& entry, const std::function<void(VelaDevice::LS7xDevice&)>& change);
    bool waitForStatus(MainWindow& window, const QString& text);
    void setFaults(const VelaEmulator::Faults& faults);

    std::unique_ptr<EmulatedSensors> m_sensors;
    std::unique_ptr<DialogRecorder> m_dialogs;
    QTemporaryDir m_dir;
};

void TestMainWindowParameters::init()
{
    CommandLine::setArguments(QStringList());
    m_sensors = std::make_unique<EmulatedSensors>(std::vector<VelaEmulator::SensorSpec> {
        { Model::LS71, LS71Serial }, { Model::LS74, LS74Serial } });
    QVERIFY(m_sensors->start());
    m_dialogs = std::make_unique<DialogRecorder>();
}

void TestMainWindowParameters::cleanup()
{
    m_dialogs.reset();
    m_sensors.reset();
}

int TestMainWindowParameters::connectSensor(MainWindow& window, quint32 serial)
{
    window.show();
    if (!searchAndWait(window))
        return -1;
    const int row = rowOfSerial(window, serial);
    window.onClickedDeviceTableCell(row, 1);
    widget<QPushButton>(window, "buttonConnect")->click();
    if (!waitForCell(window, row, 4, "Connected"))
        return -1;
    if (!waitForStatus(window, sensorStatus(serial, "interactive parameter updated"))) {
        qWarning("status: %s", qPrintable(statusText(window)));
        return -1;
    }
    return row;
}

bool TestMainWindowParameters::setOnSensor(DeviceEntry& entry,
                                           const std::function<void(VelaDevice::LS7xDevice&)>& change)
{
    VelaDevice::LS7xDevice* device = entry.device();
    if (device->ReadParams() != 1)
        return false;
    change(*device);
    return device->WriteParams() == 1;
}

bool TestMainWindowParameters::waitForStatus(MainWindow& window, const QString& text)
{
    return QTest::qWaitFor([&] { return statusText(window) == text; }, 10000);
}

void TestMainWindowParameters::setFaults(const VelaEmulator::Faults& faults)
{
    m_sensors->emulator().setFaults(-1, faults);
}

void TestMainWindowParameters::readFillsControls_data()
{
    QTest::addColumn<quint32>("serial");
    QTest::newRow("LS71") << LS71Serial;
    QTest::newRow("LS74") << LS74Serial;
}

void TestMainWindowParameters::readFillsControls()
{
    QFETCH(quint32, serial);
    MainWindow window;
    const int row = connectSensor(window, serial);
    QVERIFY(row >= 0);
    DeviceEntry* entry = window.entryAt(row);
    const bool ls74 = entry->ls74() != nullptr;
    QVERIFY(setOnSensor(*entry, [ls74](VelaDevice::LS7xDevice& device) {
        device.SetLaserLevel(12);
        device.SetExposureTime(777);
        device.SetUDPFrequency(50);
        device.SetLeftBoundary(51); // 128 pixels
        device.SetWindowWidth(102); // 256 pixels
        const unsigned char mask[4] = { 0, 0, 255, 255 };
        device.SetNetworkMask(mask);
        if (ls74) {
            auto& device74 = static_cast<VelaDevice::LS74Device&>(device);
            device74.SetPixelBrightnessThreshold(44);
            device74.SetEnableRawImageMode(1);
            device74.SetEnableModbusTcp(1);
            device74.SetModbusTcpPort(1502);
        }
    }));
    // What only the local object holds must not show: the read fetches the sensor's block.
    entry->device()->SetLaserLevel(3);

    window.readParamsToControls(row);
    QCOMPARE(statusText(window), sensorStatus(serial, "read settings"));
    QCOMPARE(widget<QSlider>(window, "sliderLaserLevel")->value(), 12);
    QCOMPARE(widget<QGroupBox>(window, "laserLevelGroup")->title(), QString("Laser level: 12"));
    QCOMPARE(widget<QSlider>(window, "sliderExposure")->value(), 777);
    QCOMPARE(widget<QGroupBox>(window, "exposureGroup")->title(), QString("Integration: 777 us"));
    QCOMPARE(entry->laserLevel, quint8(12));
    QCOMPARE(entry->exposureTime, quint16(777));
    QCOMPARE(widget<QComboBox>(window, "comboSamplingMode")->currentText(), QString("Internal sampling"));
    QCOMPARE(widget<QComboBox>(window, "comboFrequency")->currentText(), QString("50 Hz"));
    QVERIFY(!widget<QComboBox>(window, "comboFrequency")->isHidden());
    QCOMPARE(widget<IPEditWidget>(window, "ipctrlNetworkAddr")->text(), QString("127.0.0.1"));
    QCOMPARE(widget<IPEditWidget>(window, "ipctrlNetworkMask")->text(), QString("255.255.0.0"));
    QCOMPARE(widget<IPEditWidget>(window, "ipctrlUDPAddr")->text(), QString("127.0.0.1"));
    QCOMPARE(widget<QSpinBox>(window, "spinPort")->value(),
             int(m_sensors->emulator().sensor(ls74 ? 1 : 0).hostPort));
    QVERIFY(widget<QPushButton>(window, "buttonDefaultParams")->isEnabled());
    QVERIFY(widget<QComboBox>(window, "comboBox_modbusTest")->isHidden());
    QVERIFY(widget<QLabel>(window, "label_16")->isHidden());

    QCheckBox* rawImage = widget<QCheckBox>(window, "checkRawImage");
    QCOMPARE(widget<QGroupBox>(window, "groupPixBrightnessThres")->isEnabled(), ls74);
    QCOMPARE(rawImage->isEnabled(), ls74);
    QCOMPARE(rawImage->isChecked(), ls74);
    QCOMPARE(widget<QCheckBox>(window, "checkInterpolation")->isEnabled(), ls74);
    QCOMPARE(widget<QCheckBox>(window, "checkProfibus")->isEnabled(), ls74);
    QCOMPARE(widget<QSpinBox>(window, "spinTcpDataPort")->isEnabled(), ls74);
    if (ls74) {
        QCOMPARE(widget<QSlider>(window, "sliderPixBrThres")->value(), 44);
        QCOMPARE(entry->pixelBrightnessThreshold, quint8(44));
        QVERIFY(widget<QCheckBox>(window, "checkProfibus")->isChecked());
        QCOMPARE(widget<QSpinBox>(window, "spinModbusPort")->value(), 1502);
        QCOMPARE(widget<QSpinBox>(window, "spinTcpDataPort")->value(),
                 int(m_sensors->emulator().sensor(1).dataPort));
        // The emulator's standard read request: function 4, 30 registers from address 2.
        QCOMPARE(widget<QLineEdit>(window, "lineEdit_Funct1")->text(), QString("04"));
        QCOMPARE(widget<QLineEdit>(window, "lineEdit_RegCnt1")->text(), QString("001E"));
    }

    // The read marks the sliders changed; the next tick writes the block back.
    QVERIFY(waitForStatus(window, sensorStatus(serial, "interactive parameter updated")));
    QCOMPARE(sensorParams(*entry).laserLevel, 12);
}

void TestMainWindowParameters::readOutOfRangeValues_data()
{
    QTest::addColumn<int>("laserLevel");
    QTest::addColumn<int>("exposure");
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("shownLaserLevel");
    QTest::addColumn<int>("shownExposure");
    QTest::addColumn<int>("frequencyIndex");

    QTest::newRow("laser level 32") << 32 << 400 << 100 << 31 << 400 << 100;
    QTest::newRow("laser level 255") << 255 << 400 << 100 << 31 << 400 << 100;
    QTest::newRow("exposure 0") << 10 << 0 << 100 << 10 << 1 << 100;
    QTest::newRow("frequency 250") << 10 << 400 << 250 << 10 << 400 << 250;
    QTest::newRow("frequency 251") << 10 << 400 << 251 << 10 << 400 << -1;
    QTest::newRow("frequency 255") << 10 << 400 << 255 << 10 << 400 << -1;
}

void TestMainWindowParameters::readOutOfRangeValues()
{
    QFETCH(int, laserLevel);
    QFETCH(int, exposure);
    QFETCH(int, frequency);
    QFETCH(int, shownLaserLevel);
    QFETCH(int, shownExposure);
    QFETCH(int, frequencyIndex);
    MainWindow window;
    const int row = connectSensor(window, LS71Serial);
    QVERIFY(row >= 0);
    DeviceEntry* entry = window.entryAt(row);
    QVERIFY(setOnSensor(*entry, [&](VelaDevice::LS7xDevice& device) {
        device.SetLaserLevel(quint8(laserLevel));
        device.SetExposureTime(quint16(exposure));
        device.SetUDPFrequency(quint8(frequency));
    }));

    window.readParamsToControls(row);
    QCOMPARE(widget<QSlider>(window, "sliderLaserLevel")->value(), shownLaserLevel);
    QCOMPARE(widget<QSlider>(window, "sliderExposure")->value(), shownExposure);
    QCOMPARE(widget<QComboBox>(window, "comboFrequency")->currentIndex(), frequencyIndex);
    QVERIFY(waitForStatus(window, sensorStatus(LS71Serial, "interactive parameter updated")));
    const SensorParams sent = sensorParams(*entry);
    QCOMPARE(sent.laserLevel, shownLaserLevel);
    QCOMPARE(sent.exposure, shownExposure);

    // A code without an item is left as the sensor has it, never wrapped into another.
    widget<QPushButton>(window, "buttonWriteParams")->click();
    QCOMPARE(statusText(window), sensorStatus(LS71Serial, "parameters written"));
    QCOMPARE(sensorParams(*entry).frequency, frequency);
}

void TestMainWindowParameters::readFailureIsReported()
{
    MainWindow window;
    const int row = connectSensor(window, LS74Serial);
    QVERIFY(row >= 0);
    QVERIFY(changeOnSensor(*window.entryAt(row), [](VelaDevice::LS7xDevice& device) {
        device.SetLaserLevel(9);
    }));
    // Disconnected (which zeroes the sliders) and connected again to a sensor that takes the
    // connection but answers nothing.
    QPushButton* connect = widget<QPushButton>(window, "buttonConnect");
    connect->click();
    VelaEmulator::Faults faults;
    faults.silent = true;
    setFaults(faults);
    connect->click();
    QVERIFY(waitForCell(window, row, 4, "Connected"));
    QCOMPARE(statusText(window), sensorStatus(LS74Serial, "reading settings failed"));

    // The controls now show the window's stale copy: nothing of it goes back to the sensor,
    // and the failure stays on display.
    setFaults(VelaEmulator::Faults());
    QTest::qWait(600);
    QCOMPARE(statusText(window), sensorStatus(LS74Serial, "reading settings failed"));
    QCOMPARE(sensorParams(*window.entryAt(row)).laserLevel, 9);
}

void TestMainWindowParameters::commandsOnUnconnectedRowReachNoSensor()
{
    MainWindow window;
    // Connected once before, so the LS74's device object holds the sensor's own block.
    const int other = connectSensor(window, LS74Serial);
    QVERIFY(other >= 0);
    const int otherHostPort = sensorParams(*window.entryAt(other)).hostPort;
    const int connected = rowOfSerial(window, LS71Serial);
    window.onClickedDeviceTableCell(connected, 1);
    widget<QPushButton>(window, "buttonConnect")->click();
    QVERIFY(waitForCell(window, connected, 4, "Connected"));
    QVERIFY(waitForStatus(window, sensorStatus(LS71Serial, "interactive parameter updated")));

    // The pages show the LS71's values while the LS74's row is selected.
    window.onClickedDeviceTableCell(other, 1);
    const QString config = m_dir.filePath("other.ls71");
    QVERIFY(writeFile(config, "[LS71Config]\nLaserLevel=3\n"));
    m_dialogs->fileAnswer = config;
    RequestLog connectedLog(m_sensors->emulator(), 0, *window.entryAt(connected));
    RequestLog otherLog(m_sensors->emulator(), 1, *window.entryAt(other));
    const auto click = [&window](const char* name) {
        return [&window, name] { widget<QPushButton>(window, name)->click(); };
    };
    const std::pair<const char*, std::function<void()>> commands[] = {
        { "read", click("buttonReadParams") },
        { "write", click("buttonWriteParams") },
        { "flush", click("buttonFlushParams") },
        { "default", click("buttonDefaultParams") },
        { "import", click("buttonImportParams") },
        { "export", click("buttonExportParams") },
        { "window", [&window] { window.onImageWidgetFinishedRect(QPoint(10, 10), QPoint(200, 200)); } },
    };
    const QString refused =
        sensorStatus(LS74Serial, "not connected, nothing done; this page acts on the connected sensor only");
    for (const auto& [name, run] : commands) {
        window.statusBar()->clearMessage();
        run();
        QVERIFY2(statusText(window) == refused, qPrintable(QString("%1: %2").arg(name, statusText(window))));
    }
    QVERIFY(m_dialogs->messages.isEmpty());
    QVERIFY(m_dialogs->fileRequests.isEmpty());
    QTest::qWait(300); // a commit tick
    QCOMPARE(connectedLog.requests().size(), 0);
    QCOMPARE(otherLog.requests().size(), 0);
    QCOMPARE(sensorParams(*window.entryAt(other)).hostPort, otherHostPort);
}

void TestMainWindowParameters::streamPausedAroundCommands()
{
    using namespace VelaProtocol;
    MainWindow window;
    const int row = connectSensor(window, LS74Serial);
    QVERIFY(row >= 0);
    widget<QTabWidget>(window, "tabWidget")->setCurrentIndex(1);
    widget<QPushButton>(window, "buttonDrawProfiles")->click();
    RequestLog log(m_sensors->emulator(), 1, *window.entryAt(row));
    QSlider* laserLevel = widget<QSlider>(window, "sliderLaserLevel");
    const auto click = [&window](const char* name) {
        return [&window, name] { widget<QPushButton>(window, name)->click(); };
    };
    struct Command
    {
        const char* name;
        std::function<void()> run;
        QList<quint16> requests;
    };
    // The read comes last: the commit it causes would fall among the next command's requests.
    const Command commands[] = {
        { "write", click("buttonWriteParams"), { CmdWriteParams } },
        { "flush", click("buttonFlushParams"), { CmdWriteParams, CmdFlushParams } },
        { "default", click("buttonDefaultParams"), { CmdWriteParams, CmdFlushParams } },
        { "window", [&window] { window.onImageWidgetFinishedRect(QPoint(0, 0), QPoint(320, 256)); },
          { CmdWriteParams } },
        { "slider commit", [laserLevel] { laserLevel->setValue(laserLevel->value() == 9 ? 10 : 9); },
          { CmdWriteParams } },
        { "read", click("buttonReadParams"), { CmdReadParams } },
    };
    for (const Command& command : commands) {
        const QString fault = log.runWhileStreaming(command.run, command.requests);
        QVERIFY2(fault.isEmpty(), qPrintable(QString("%1: %2").arg(command.name, fault)));
    }
}

void TestMainWindowParameters::slidersSendAndCommit()
{
    MainWindow window;
    const int row = connectSensor(window, LS74Serial);
    QVERIFY(row >= 0);
    DeviceEntry* entry = window.entryAt(row);

    widget<QSlider>(window, "sliderLaserLevel")->setValue(5);
    widget<QSlider>(window, "sliderExposure")->setValue(1234);
    widget<QSlider>(window, "sliderPixBrThres")->setValue(99);
    QCOMPARE(widget<QGroupBox>(window, "groupPixBrightnessThres")->title(),
             QString("Pixel brightness threshold: 99"));
    QCOMPARE(entry->device()->GetLaserLevel(), quint8(5));
    QCOMPARE(entry->ls74()->GetPixelBrightnessThreshold(), quint8(99));

    // A streamer that runs is paused for the write and runs again afterwards.
    resumeStreamer(*entry);
    window.statusBar()->clearMessage();
    QVERIFY(waitForStatus(window, sensorStatus(LS74Serial, "interactive parameter updated")));
    QVERIFY(!streamerPaused(*entry));
    // Reading the block keeps the stream out only for the read.
    window.readParamsToControls(row);
    QVERIFY(!streamerPaused(*entry));
    const SensorParams sent = sensorParams(*entry);
    QCOMPARE(sent.laserLevel, 5);
    QCOMPARE(sent.exposure, 1234);
    QCOMPARE(sent.brightness, 99);
}

void TestMainWindowParameters::tcpRequestSampling_data()
{
    QTest::addColumn<quint32>("serial");
    QTest::addColumn<int>("frequencyAfter");
    QTest::addColumn<QString>("modeReadBack");
    QTest::newRow("LS71 keeps its frequency") << LS71Serial << 100 << "Internal sampling";
    QTest::newRow("LS74 is switched off") << LS74Serial << 0 << "TCP request";
}

void TestMainWindowParameters::tcpRequestSampling()
{
    QFETCH(quint32, serial);
    QFETCH(int, frequencyAfter);
    QFETCH(QString, modeReadBack);
    MainWindow window;
    const int row = connectSensor(window, serial);
    QVERIFY(row >= 0);
    QComboBox* mode = widget<QComboBox>(window, "comboSamplingMode");
    QComboBox* frequency = widget<QComboBox>(window, "comboFrequency");
    QCOMPARE(mode->currentIndex(), 2);
    QCOMPARE(frequency->currentIndex(), 100);

    mode->setCurrentIndex(0);
    QVERIFY(frequency->isHidden());
    QVERIFY(widget<QLabel>(window, "label_SamplingFreq")->isHidden());
    QVERIFY(window.writeControlsToDevice(row));
    QCOMPARE(sensorParams(*window.entryAt(row)).frequency, frequencyAfter);
    window.readParamsToControls(row);
    QCOMPARE(mode->currentText(), modeReadBack);

    mode->setCurrentIndex(1);
    QVERIFY(window.writeControlsToDevice(row));
    QCOMPARE(sensorParams(*window.entryAt(row)).externalSync, 1);
}

void TestMainWindowParameters::windowFromRectangle_data()
{
    QTest::addColumn<QPoint>("p1");
    QTest::addColumn<QPoint>("p2");
    QTest::addColumn<bool>("streamerRunning");
    QTest::addColumn<QList<int>>("window");
    QTest::addColumn<QString>("status");

    QTest::newRow("whole image") << QPoint(0, 0) << QPoint(639, 511) << false
                                 << QList<int> { 0, 0, 254, 254 } << "window parameters written";
    QTest::newRow("drag ends outside") << QPoint(320, 256) << QPoint(2000, -300) << true
                                       << QList<int> { 127, 0, 127, 127 } << "window parameters written";
    QTest::newRow("no selection") << QPoint(-1, -1) << QPoint(-1, -1) << true
                                  << QList<int> { 0, 0, 255, 255 } << "window parameters set to default";
}

void TestMainWindowParameters::windowFromRectangle()
{
    QFETCH(QPoint, p1);
    QFETCH(QPoint, p2);
    QFETCH(bool, streamerRunning);
    QFETCH(QList<int>, window);
    QFETCH(QString, status);
    MainWindow mainWindow;
    const int row = connectSensor(mainWindow, LS71Serial);
    QVERIFY(row >= 0);
    DeviceEntry* entry = mainWindow.entryAt(row);
    QVERIFY(setOnSensor(*entry, [](VelaDevice::LS7xDevice& device) { device.SetWindowWidth(10); }));
    if (streamerRunning)
        resumeStreamer(*entry);

    mainWindow.onImageWidgetFinishedRect(p1, p2);
    QCOMPARE(statusText(mainWindow), sensorStatus(LS71Serial, status));
    QCOMPARE(sensorParams(*entry).window, window);
    QCOMPARE(streamerPaused(*entry), !streamerRunning);

    // A refused write is not reported as written.
    VelaEmulator::Faults faults;
    faults.refuseWrites = true;
    setFaults(faults);
    mainWindow.onImageWidgetFinishedRect(QPoint(10, 10), QPoint(100, 100));
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages.first().title, QString("Error"));
    QCOMPARE(m_dialogs->messages.first().text, QString("LS71Device::WriteParams() failed"));
    QCOMPARE(sensorParams(*entry).window, window);
}

void TestMainWindowParameters::autoExposureFollowsSensor()
{
    MainWindow window;
    const int row = connectSensor(window, LS74Serial);
    QVERIFY(row >= 0);
    DeviceEntry* entry = window.entryAt(row);
    QVERIFY(setOnSensor(*entry, [](VelaDevice::LS7xDevice& device) {
        device.SetExposureTime(500);
        device.SetUDPFrequency(0);
        static_cast<VelaDevice::LS74Device&>(device).SetAutoExposureMode(1);
    }));
    window.readParamsToControls(row);
    QVERIFY(widget<QCheckBox>(window, "checkAutoExposure")->isChecked());

    QSlider* exposure = widget<QSlider>(window, "sliderExposure");
    exposure->setValue(3000);
    QCOMPARE(widget<QGroupBox>(window, "exposureGroup")->title(), QString("Integration: 3000 us"));
    QCOMPARE(entry->exposureTime, quint16(3000));
    QVERIFY(entry->device()->GetExposureTime() != 3000);

    // The timer sets the slider to the exposure the sensor chose itself (a sensor that does
    // not sample on its own measures nothing, so it stays at its last exposure).
    unsigned short chosen = 0;
    QCOMPARE(entry->ls74()->GetAutoExposure(&chosen), 1);
    QCOMPARE(chosen, quint16(500));
    QVERIFY(QTest::qWaitFor([&] { return exposure->value() == chosen; }, 5000));
    QCOMPARE(sensorParams(*entry).exposure, 500);
}

void TestMainWindowParameters::refusedWriteShowsErrorAndKeepsStreamerPaused()
{
    MainWindow window;
    const int row = connectSensor(window, LS74Serial);
    QVERIFY(row >= 0);
    DeviceEntry* entry = window.entryAt(row);
    resumeStreamer(*entry);
    VelaEmulator::Faults faults;
    faults.refuseWrites = true;
    setFaults(faults);
    const QString before = statusText(window);

    for (const char* button : { "buttonWriteParams", "buttonFlushParams", "buttonDefaultParams" }) {
        m_dialogs->messages.clear();
        widget<QPushButton>(window, button)->click();
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(m_dialogs->messages.first().kind, UserDialogs::MessageKind::Critical);
        QCOMPARE(m_dialogs->messages.first().title, QString("Error"));
        QCOMPARE(m_dialogs->messages.first().text, QString("LS74Device::WriteParams() failed"));
        QCOMPARE(statusText(window), before);
        QVERIFY(streamerPaused(*entry));
    }
}

void TestMainWindowParameters::commitRetryIsBounded()
{
    MainWindow window;
    const int row = connectSensor(window, LS74Serial);
    QVERIFY(row >= 0);
    VelaEmulator::Faults faults;
    faults.refuseWrites = true;
    setFaults(faults);
    widget<QSlider>(window, "sliderLaserLevel")->setValue(9);
    const QString failed =
        sensorStatus(LS74Serial, "interactive parameter not updated, the sensor did not accept it");
    QVERIFY(waitForStatus(window, failed));
    // The failed commit is not repeated by every tick; the sensor keeps its value.
    QTest::qWait(600);
    QCOMPARE(statusText(window), failed);
    QVERIFY(sensorParams(*window.entryAt(row)).laserLevel != 9);

    // Once the sensor accepts writes again, the next change goes through.
    setFaults(VelaEmulator::Faults());
    widget<QSlider>(window, "sliderLaserLevel")->setValue(8);
    QVERIFY(waitForStatus(window, sensorStatus(LS74Serial, "interactive parameter updated")));
    QCOMPARE(sensorParams(*window.entryAt(row)).laserLevel, 8);
}

void TestMainWindowParameters::invalidAddressIsNotSent()
{
    MainWindow window;
    const int row = connectSensor(window, LS74Serial);
    QVERIFY(row >= 0);
    IPEditWidget* address = widget<IPEditWidget>(window, "ipctrlNetworkAddr");
    for (const char* text : { "127.0.0.300", "127..0.1", "127.0.0.x" }) {
        address->setText(text);
        QVERIFY(window.writeControlsToDevice(row));
        QCOMPARE(sensorParams(*window.entryAt(row)).deviceAddress, QString("127.0.0.1"));
    }
    address->setText("127.0.0.77");
    QVERIFY(window.writeControlsToDevice(row));
    QCOMPARE(sensorParams(*window.entryAt(row)).deviceAddress, QString("127.0.0.77"));
}

void TestMainWindowParameters::exportImportRoundTrip()
{
    MainWindow window;
    int row = connectSensor(window, LS74Serial);
    QVERIFY(row >= 0);
    widget<QSlider>(window, "sliderLaserLevel")->setValue(17);
    widget<QSlider>(window, "sliderExposure")->setValue(900);
    widget<QSlider>(window, "sliderPixBrThres")->setValue(60);
    widget<QComboBox>(window, "comboFrequency")->setCurrentIndex(25);
    window.onImageWidgetFinishedRect(QPoint(64, 128), QPoint(320, 256));

    m_dialogs->fileAnswer = m_dir.filePath("sensor");
    widget<QPushButton>(window, "buttonExportParams")->click();
    QCOMPARE(m_dialogs->fileRequests.size(), 1);
    QCOMPARE(m_dialogs->fileRequests.first().caption, QString("Export"));
    QCOMPARE(m_dialogs->fileRequests.first().directory, QString::number(LS74Serial));
    QCOMPARE(m_dialogs->fileRequests.first().filter, QString("LS71 config (*.ls71)"));
    QCOMPARE(statusText(window), sensorStatus(LS74Serial, "parameters successfully exported"));
    const QString path = m_dir.filePath("sensor.ls71");
    QSettings file(path, QSettings::IniFormat);
    QCOMPARE(file.value("Information/SerialNumber").toUInt(), LS74Serial);
    QCOMPARE(file.value("Information/MAC").toString(), window.entryAt(row)->macText);
    QCOMPARE(file.value("LS71Config/UDPFrequency").toInt(), 25);
    QCOMPARE(file.value("LS71Config/WindowLeftBoundary").toInt(), 25);

    // Changed controls come back from the file, and the block reaches the sensor.
    widget<QSlider>(window, "sliderLaserLevel")->setValue(2);
    widget<QComboBox>(window, "comboFrequency")->setCurrentIndex(3);
    window.onImageWidgetFinishedRect(QPoint(-1, -1), QPoint(-1, -1));
    m_dialogs->fileAnswer = path;
    widget<QPushButton>(window, "buttonImportParams")->click();
    QCOMPARE(m_dialogs->fileRequests.last().caption, QString("Import"));
    QCOMPARE(statusText(window), sensorStatus(LS74Serial, "parameters imported"));
    QCOMPARE(widget<QSlider>(window, "sliderLaserLevel")->value(), 17);
    QCOMPARE(widget<QComboBox>(window, "comboFrequency")->currentIndex(), 25);
    SensorParams sensor = sensorParams(*window.entryAt(row));
    QCOMPARE(sensor.laserLevel, 17);
    QCOMPARE(sensor.exposure, 900);
    QCOMPARE(sensor.brightness, 60);
    QCOMPARE(sensor.frequency, 25);
    QCOMPARE(sensor.window, (QList<int> { 25, 63, 102, 63 }));

    // The same file configures another sensor; an LS71 takes no brightness threshold.
    row = connectSensor(window, LS71Serial);
    QVERIFY(row >= 0);
    widget<QPushButton>(window, "buttonImportParams")->click();
    QCOMPARE(statusText(window), sensorStatus(LS71Serial, "parameters imported"));
    sensor = sensorParams(*window.entryAt(row));
    QCOMPARE(sensor.laserLevel, 17);
    QCOMPARE(sensor.exposure, 900);
    QCOMPARE(sensor.window, (QList<int> { 25, 63, 102, 63 }));
    QCOMPARE(widget<QSlider>(window, "sliderPixBrThres")->value(), 60);
}

void TestMainWindowParameters::exportAsksBeforeReplacing()
{
    MainWindow window;
    const int row = connectSensor(window, LS71Serial);
    QVERIFY(row >= 0);
    const QString path = m_dir.filePath("existing.LS71");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[LS71Config]\nLaserLevel=1\n");
    }
    const QString before = statusText(window);
    m_dialogs->fileAnswer = path;
    m_dialogs->messageAnswer = QMessageBox::No;
    widget<QPushButton>(window, "buttonExportParams")->click();
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages.first().kind, UserDialogs::MessageKind::Question);
    QCOMPARE(m_dialogs->messages.first().title, QString("Export"));
    QCOMPARE(m_dialogs->messages.first().text,
             QString("%1 already exists.\nDo you want to replace it?").arg(path));
    QCOMPARE(statusText(window), before);
    QCOMPARE(QSettings(path, QSettings::IniFormat).value("LS71Config/LaserLevel").toInt(), 1);

    m_dialogs->messageAnswer = QMessageBox::Yes;
    widget<QPushButton>(window, "buttonExportParams")->click();
    QCOMPARE(statusText(window), sensorStatus(LS71Serial, "parameters successfully exported"));
    QCOMPARE(QSettings(path, QSettings::IniFormat).value("LS71Config/LaserLevel").toInt(),
             int(window.entryAt(row)->laserLevel));

    // Cancelling the file dialog does nothing.
    m_dialogs->fileAnswer.clear();
    m_dialogs->messages.clear();
    window.statusBar()->showMessage("unchanged");
    widget<QPushButton>(window, "buttonExportParams")->click();
    QVERIFY(m_dialogs->messages.isEmpty());
    QCOMPARE(statusText(window), QString("unchanged"));
}

void TestMainWindowParameters::exportFailureIsReported()
{
    MainWindow window;
    QVERIFY(connectSensor(window, LS74Serial) >= 0);
    const QString path = m_dir.filePath("folder.ls71");
    QVERIFY(QDir(m_dir.path()).mkpath("folder.ls71"));
    m_dialogs->fileAnswer = path;
    m_dialogs->messageAnswer = QMessageBox::Yes;
    widget<QPushButton>(window, "buttonExportParams")->click();
    QVERIFY(statusText(window).startsWith(
        sensorStatus(LS74Serial, QString("parameters not exported, %1 could not be written").arg(path))));
}

void TestMainWindowParameters::exportOverExistingFile()
{
    MainWindow window;
    QVERIFY(connectSensor(window, LS74Serial) >= 0);
    const QString path = m_dir.filePath("photo.ls71");
    QVERIFY(writeFile(path, QByteArray("\x89PNG\r\n\x1a\n\x00\x00", 10)));
    m_dialogs->fileAnswer = path;
    m_dialogs->messageAnswer = QMessageBox::Yes;
    QPushButton* exportButton = widget<QPushButton>(window, "buttonExportParams");

    // What is not a configuration is replaced whole, and the message says so.
    exportButton->click();
    QCOMPARE(statusText(window), sensorStatus(LS74Serial, "parameters successfully exported"));
    QCOMPARE(QSettings(path, QSettings::IniFormat).value("Information/SerialNumber").toUInt(), LS74Serial);

    // A write that fails on the way leaves the old file as it was.
    const QByteArray before = fileContent(path);
    {
        const FileSizeLimit limit(16);
        exportButton->click();
    }
    QVERIFY2(statusText(window).startsWith(
                 sensorStatus(LS74Serial, QString("parameters not exported, %1 could not be written").arg(path))),
             qPrintable(statusText(window)));
    QCOMPARE(fileContent(path), before);
}

void TestMainWindowParameters::importRefusesForeignFile()
{
    MainWindow window;
    const int row = connectSensor(window, LS74Serial);
    QVERIFY(row >= 0);
    window.onImageWidgetFinishedRect(QPoint(64, 128), QPoint(320, 256));
    const QString path = m_dir.filePath("photo.ls71");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\x89PNG\r\n\x1a\n\x00\x00", 10));
    }
    const int laserLevel = widget<QSlider>(window, "sliderLaserLevel")->value();
    for (const QString& chosen : { path, m_dir.filePath("missing.ls71") }) {
        m_dialogs->fileAnswer = chosen;
        widget<QPushButton>(window, "buttonImportParams")->click();
        QCOMPARE(statusText(window),
                 sensorStatus(LS74Serial, QString("%1 is not a readable configuration file, nothing imported")
                                              .arg(chosen)));
        QCOMPARE(widget<QSlider>(window, "sliderLaserLevel")->value(), laserLevel);
        QCOMPARE(sensorParams(*window.entryAt(row)).window, (QList<int> { 25, 63, 102, 63 }));
    }
}

void TestMainWindowParameters::importIgnoresOutOfRangeValues()
{
    MainWindow window;
    const int row = connectSensor(window, LS74Serial);
    QVERIFY(row >= 0);
    const QString path = m_dir.filePath("odd.ls71");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[LS71Config]\nLaserLevel=40\nIntegrationTime=soon\nUDPFrequency=300\n"
                   "NetworkAddress=300.1.1.1\nWindowWidth=256\nWindowHeight=100\n");
    }
    m_dialogs->fileAnswer = path;
    widget<QPushButton>(window, "buttonImportParams")->click();
    QCOMPARE(statusText(window), sensorStatus(LS74Serial, "parameters imported"));
    QCOMPARE(widget<QSlider>(window, "sliderLaserLevel")->value(), 31);
    QCOMPARE(widget<QSlider>(window, "sliderExposure")->value(), 1);
    QCOMPARE(widget<QComboBox>(window, "comboFrequency")->currentIndex(), 100);
    QCOMPARE(widget<IPEditWidget>(window, "ipctrlNetworkAddr")->text(), QString("300.1.1.1"));
    const SensorParams sensor = sensorParams(*window.entryAt(row));
    QCOMPARE(sensor.laserLevel, 31);
    QCOMPARE(sensor.frequency, 100);
    QCOMPARE(sensor.deviceAddress, QString("127.0.0.1"));
    QCOMPARE(sensor.window, (QList<int> { 0, 0, 255, 100 }));
}

void TestMainWindowParameters::flushSurvivesEmulatorRestart()
{
    m_sensors.reset();
    QTemporaryDir flash;
    VelaEmulator::EmulatorConfig config = VelaEmulator::EmulatorConfig::forTests();
    config.sensors = { { Model::LS74, LS74Serial } };
    config.stateDirectory = flash.path().toStdString();
    VelaEmulator::Emulator emulator(config);
    QVERIFY(emulator.start());
    qputenv("VELA_DEVICE_SEARCH", QByteArray::fromStdString(emulator.searchEndpoint()));

    MainWindow window;
    QVERIFY(connectSensor(window, LS74Serial) >= 0);
    widget<QSlider>(window, "sliderLaserLevel")->setValue(23);
    widget<QPushButton>(window, "buttonFlushParams")->click();
    QCOMPARE(statusText(window), sensorStatus(LS74Serial, "parameters flushed"));
    widget<QPushButton>(window, "buttonDefaultParams")->click();
    QCOMPARE(statusText(window), sensorStatus(LS74Serial, "parameters flushed"));
    QVERIFY(m_dialogs->messages.isEmpty());

    window.disconnectAll();
    emulator.stop();
    QVERIFY(emulator.start());
    qputenv("VELA_DEVICE_SEARCH", QByteArray::fromStdString(emulator.searchEndpoint()));
    QVERIFY(connectSensor(window, LS74Serial) >= 0);
    QCOMPARE(widget<QSlider>(window, "sliderLaserLevel")->value(), 23);
}

void TestMainWindowParameters::networkHeights()
{
    MainWindow window;
    window.show();
    QGroupBox* group = widget<QGroupBox>(window, "groupBox_Network");
    QTabWidget* tabs = widget<QTabWidget>(window, "tabNetworkConfig_2");
    QLabel* more = widget<QLabel>(window, "label_ModbusMore");
    QCOMPARE(group->height(), 148);
    QCOMPARE(tabs->height(), 121);

    tabs->setCurrentIndex(2);
    emit more->linkActivated("#more");
    QCOMPARE(group->minimumHeight(), 243);
    QCOMPARE(tabs->maximumHeight(), 216);
    QVERIFY(more->isHidden());

    tabs->setCurrentIndex(1);
    QCOMPARE(group->maximumHeight(), 148);
    QCOMPARE(tabs->minimumHeight(), 121);
    QVERIFY(!more->isHidden());
    tabs->setCurrentIndex(2);
    QCOMPARE(group->maximumHeight(), 148);
}

QTEST_MAIN(TestMainWindowParameters)
#include "tst_mainwindow_parameters.moc"
