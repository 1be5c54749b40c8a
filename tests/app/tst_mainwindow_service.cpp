#include "AppTestSupport.h"
#include "DeviceEntry.h"
#include "ImageViewer.h"
#include "MeasurementWindow.h"

#include <Firmware.h>
#include <LS71Device.h>
#include <LS71Streamer.h>
#include <LS74Device.h>
#include <LS74Streamer.h>

#include <QCheckBox>
#include <QImageReader>
#include <QTranslator>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>

#include <vector>

using VelaEmulator::Model;

namespace {
constexpr quint32 LS71Serial = 7101;
constexpr quint32 LS74Serial = 7401;
constexpr int FrameBytes = 640 * 512;

// Marks the texts of the FPGA buttons, so that a test sees they went through translation.
class MarkingTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char*, const char* source, const char*, int) const override
    {
        const QString text = QString::fromUtf8(source);
        return text.startsWith("MainWindow::onClickedFpga") ? "translated " + text : QString();
    }
};

// Answers file dialogs with a name and the filter at a position of the offered list.
class FileAnswers : public DialogRecorder
{
public:
    QString answerFile(const UserDialogs::FileRequest& request) override
    {
        if (request.selectedFilter && filterIndex >= 0)
            *request.selectedFilter = request.filter.split(QStringLiteral(";;")).value(filterIndex);
        return DialogRecorder::answerFile(request);
    }
    int filterIndex = -1;
};
}

class TestMainWindowService : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void framesArriveInBeamColour();
    void frameRouting_data();
    void frameRouting();
    void snapshotNames_data();
    void snapshotNames();
    void snapshotNotReplacedOnNo();
    void rebootOnLS71FailsWithoutDisconnecting();
    void rebootOnLS74Disconnects();
    void commandsOnUnconnectedRowReachNoSensor();
    void streamPausedAroundCommands();
    void firmwareUpgrade_data();
    void firmwareUpgrade();
    void dragTooNarrowResetsWindow();
    void monitorModeStartStop();
    void speedTestAverage();
    void speedTestStopsImagesAndCountsAnswers();
    void factoryFlushOnLS71();
    void fpgaPatterns_data();
    void fpgaPatterns();

private:
    int connectSensor(quint32 serial);
    QString writeFirmware(int fileType);
    DeviceEntry& entry(int row) { return *m_window->entryAt(row); }
    QString labelText(const char* name) { return widget<QLabel>(*m_window, name)->text(); }
    // Shows a converted frame of the LS74 in the viewer, with images running.
    int showFrame(const std::vector<unsigned char>& frame);

    std::unique_ptr<EmulatedSensors> m_sensors;
    std::unique_ptr<FileAnswers> m_dialogs;
    std::unique_ptr<MainWindow> m_window;
    QTemporaryDir m_dir;
};

void TestMainWindowService::init()
{
    CommandLine::setArguments(QStringList());
    m_sensors = std::make_unique<EmulatedSensors>(std::vector<VelaEmulator::SensorSpec> {
        { Model::LS71, LS71Serial }, { Model::LS74, LS74Serial } });
    QVERIFY(m_sensors->start());
    m_dialogs = std::make_unique<FileAnswers>();
    m_window = std::make_unique<MainWindow>();
    m_window->show();
    QVERIFY(searchAndWait(*m_window));
}

void TestMainWindowService::cleanup()
{
    m_window.reset();
    m_dialogs.reset();
    m_sensors.reset();
}

int TestMainWindowService::connectSensor(quint32 serial)
{
    const int row = rowOfSerial(*m_window, serial);
    m_window->onClickedDeviceTableCell(row, 1);
    widget<QPushButton>(*m_window, "buttonConnect")->click();
    return waitForCell(*m_window, row, 4, "Connected") ? row : -1;
}

QString TestMainWindowService::writeFirmware(int fileType)
{
    const std::vector<uint8_t> image = VelaEmulator::makeFirmware(
        static_cast<uint16_t>(fileType), 4300, std::vector<uint8_t>(4096, 0x5A));
    const QString path = m_dir.filePath(QString("type%1.fw").arg(fileType));
    const bool written = writeFile(path, QByteArray(reinterpret_cast<const char*>(image.data()),
                                                    qsizetype(image.size())));
    return written ? path : QString();
}

int TestMainWindowService::showFrame(const std::vector<unsigned char>& frame)
{
    const int row = connectSensor(LS74Serial);
    if (row < 0)
        return row;
    widget<QTabWidget>(*m_window, "tabWidget")->setCurrentIndex(2);
    widget<QPushButton>(*m_window, "buttonDrawImages")->click();
    entry(row).ls74Streamer()->pause();
    m_window->waitWithEvents(300);
    m_window->onRecvImage(static_cast<unsigned char>(row), frame.data());
    return row;
}

void TestMainWindowService::framesArriveInBeamColour()
{
    const int row = connectSensor(LS74Serial);
    QVERIFY(row >= 0);
    widget<QTabWidget>(*m_window, "tabWidget")->setCurrentIndex(2);
    QPushButton* button = widget<QPushButton>(*m_window, "buttonDrawImages");
    button->click();
    QCOMPARE(button->text(), QString("Stop"));
    QVERIFY(widget<QPushButton>(*m_window, "buttonSaveBitmap")->isEnabled());
    QVERIFY(QTest::qWaitFor([&] { return labelText("frameCounterLabel").toInt() >= 2; }, 10000));

    // The snapshot is the converted frame: the sensor's laser colour at full brightness.
    const QString path = m_dir.filePath("frame.png");
    m_dialogs->fileAnswer = path;
    m_dialogs->filterIndex = 1;
    widget<QPushButton>(*m_window, "buttonSaveBitmap")->click();
    QImage saved(path);
    QCOMPARE(saved.size(), QSize(640, 512));
    const QColor beam = entry(row).displayColor;
    bool sawBeam = false;
    for (int y = 0; y < saved.height() && !sawBeam; ++y) {
        for (int x = 0; x < saved.width() && !sawBeam; ++x) {
            const QColor pixel = saved.pixelColor(x, y);
            // Every pixel is a shade of the beam colour.
            QVERIFY(pixel.red() <= beam.red() && pixel.green() <= beam.green()
                    && pixel.blue() <= beam.blue());
            sawBeam = pixel.value() > 0;
        }
    }
    QVERIFY(sawBeam);

    button->click();
    QCOMPARE(button->text(), QString("Start"));
    QVERIFY(!widget<QPushButton>(*m_window, "buttonSaveBitmap")->isEnabled());
    QVERIFY(entry(row).ls74Streamer()->isPaused());
}

void TestMainWindowService::frameRouting_data()
{
    QTest::addColumn<int>("idOffset"); // from the selected entry's id; -1 = id 255
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("counted");
    QTest::addColumn<bool>("shown");
    QTest::newRow("selected, viewer shown") << 0 << 2 << 1 << true;
    QTest::newRow("any device id") << -1 << 2 << 1 << true;
    QTest::newRow("other device") << 1 << 2 << 0 << false;
    QTest::newRow("viewer not shown") << 0 << 1 << 1 << false;
}

void TestMainWindowService::frameRouting()
{
    QFETCH(int, idOffset);
    QFETCH(int, tab);
    QFETCH(int, counted);
    QFETCH(bool, shown);
    const std::vector<unsigned char> frame(FrameBytes, 200);
    const int row = showFrame(frame);
    QVERIFY(row >= 0);
    const qint32 before = entry(row).statistics.frameTotal;
    const QString labelBefore = labelText("frameCounterLabel");
    widget<QTabWidget>(*m_window, "tabWidget")->setCurrentIndex(tab);

    std::vector<unsigned char> next(FrameBytes, 7);
    const int id = idOffset < 0 ? 255 : (row + idOffset) % 2;
    m_window->onRecvImage(static_cast<unsigned char>(id), next.data());

    QCOMPARE(entry(row).statistics.frameTotal - before, counted);
    QCOMPARE(labelText("frameCounterLabel") != labelBefore, shown);
    const QString path = m_dir.filePath(QString("routing%1.bmp").arg(QTest::currentDataTag()));
    m_dialogs->fileAnswer = path;
    m_dialogs->filterIndex = 0;
    widget<QPushButton>(*m_window, "buttonSaveBitmap")->click();
    const QColor expected = QColor(QImage(path).pixel(0, 0));
    const QColor beam = entry(row).displayColor;
    const int brightness = shown ? 7 : 200;
    QCOMPARE(expected.blue(), int(beam.blueF() * brightness));
}

void TestMainWindowService::snapshotNames_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("png appended") << "snapshot" << 1 << "snapshot.png" << QByteArray("png");
    QTest::newRow("png kept before bmp") << "shot.png" << 0 << "shot.png.bmp" << QByteArray("bmp");
    QTest::newRow("bmp in capitals") << "shot.BMP" << 0 << "shot.BMP" << QByteArray("bmp");
}

void TestMainWindowService::snapshotNames()
{
    QFETCH(QString, chosen);
    QFETCH(int, filter);
    QFETCH(QString, saved);
    QFETCH(QByteArray, format);
    QVERIFY(showFrame(std::vector<unsigned char>(FrameBytes, 100)) >= 0);
    m_dialogs->fileAnswer = m_dir.filePath(chosen);
    m_dialogs->filterIndex = filter;
    widget<QPushButton>(*m_window, "buttonSaveBitmap")->click();

    const QString path = m_dir.filePath(saved);
    QCOMPARE(statusText(*m_window), QString("Saved snapshot to %1").arg(path));
    QImageReader reader(path);
    QCOMPARE(reader.format(), format);
    QCOMPARE(reader.size(), QSize(640, 512));
}

void TestMainWindowService::snapshotNotReplacedOnNo()
{
    QVERIFY(showFrame(std::vector<unsigned char>(FrameBytes, 100)) >= 0);
    const QString path = m_dir.filePath("kept.png");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not an image");
    }
    m_dialogs->fileAnswer = path;
    m_dialogs->filterIndex = 1;
    m_dialogs->messageAnswer = QMessageBox::No;
    widget<QPushButton>(*m_window, "buttonSaveBitmap")->click();
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages[0].title, QString("Save bitmap"));
    QCOMPARE(m_dialogs->messages[0].text, QString("%1 already exists.\nDo you want to replace it?").arg(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("not an image"));

    // A snapshot that cannot be written is reported, not passed over.
    m_dialogs->fileAnswer = m_dir.filePath("no/such/folder/shot.png");
    widget<QPushButton>(*m_window, "buttonSaveBitmap")->click();
    QVERIFY(statusText(*m_window).startsWith("Could not save snapshot"));

    // One that fails on the way leaves the old file as it was.
    m_dialogs->fileAnswer = path;
    m_dialogs->messageAnswer = QMessageBox::Yes;
    {
        const FileSizeLimit limit(8);
        widget<QPushButton>(*m_window, "buttonSaveBitmap")->click();
    }
    QVERIFY2(statusText(*m_window).startsWith(QString("Could not save snapshot to %1").arg(path)),
             qPrintable(statusText(*m_window)));
    QCOMPARE(fileContent(path), QByteArray("not an image"));
}

void TestMainWindowService::rebootOnLS71FailsWithoutDisconnecting()
{
    const int row = connectSensor(LS71Serial);
    QVERIFY(row >= 0);
    widget<QPushButton>(*m_window, "buttonReboot")->click();
    widget<QPushButton>(*m_window, "buttonShutdown")->click();
    QCOMPARE(m_dialogs->messages.size(), 2);
    QCOMPARE(m_dialogs->messages[0].kind, UserDialogs::MessageKind::Critical);
    QCOMPARE(m_dialogs->messages[0].title, QString("Error"));
    QCOMPARE(m_dialogs->messages[0].text, QString("LS7xDevice::Reboot() failed"));
    QCOMPARE(m_dialogs->messages[1].text, QString("LS7xDevice::PowerOff() failed"));
    QVERIFY(entry(row).connected);
    QCOMPARE(cellText(*m_window, row, 4), QString("Connected"));
}

void TestMainWindowService::rebootOnLS74Disconnects()
{
    const int row = connectSensor(LS74Serial);
    QVERIFY(row >= 0);
    StatusLog log(*m_window);
    widget<QPushButton>(*m_window, "buttonReboot")->click();
    QVERIFY(m_dialogs->messages.isEmpty());
    QVERIFY(!entry(row).connected);
    QCOMPARE(cellText(*m_window, row, 4), QString("Not connected"));
    QCOMPARE(statusText(*m_window),
             QString("%1 (SN: %2): reboot in progress...").arg(entry(row).ipText).arg(LS74Serial));
    QVERIFY(log.messages.contains(QString("%1 (SN: %2): disconnected").arg(entry(row).ipText).arg(LS74Serial)));
}

void TestMainWindowService::commandsOnUnconnectedRowReachNoSensor()
{
    const int connected = connectSensor(LS71Serial);
    QVERIFY(connected >= 0);
    const int other = rowOfSerial(*m_window, LS74Serial);
    m_window->onClickedDeviceTableCell(other, 1);
    m_dialogs->fileAnswer = writeFirmware(74);
    RequestLog connectedLog(m_sensors->emulator(), 0, entry(connected));
    RequestLog otherLog(m_sensors->emulator(), 1, entry(other));
    const auto click = [this](const char* name) {
        return [this, name] { widget<QPushButton>(*m_window, name)->click(); };
    };
    const std::pair<const char*, std::function<void()>> commands[] = {
        { "reboot", click("buttonReboot") },
        { "power off", click("buttonShutdown") },
        { "upgrade", click("buttonUpgrade") },
        { "factory flush", [this] { m_window->onClickedFlushFactParamsButton(); } },
        { "factory reset", [this] { m_window->onClickedResetFactParamsButton(); } },
        { "FPGA", [this] { m_window->onClickedFpgaAmpl1Button(); } },
    };
    const QString refused = QString("127.0.0.1 (SN: %1): not connected, nothing done; "
                                    "this page acts on the connected sensor only").arg(LS74Serial);
    for (const auto& [name, run] : commands) {
        m_window->statusBar()->clearMessage();
        run();
        QVERIFY2(statusText(*m_window) == refused, qPrintable(QString("%1: %2").arg(name, statusText(*m_window))));
    }
    QVERIFY(m_dialogs->messages.isEmpty());
    QVERIFY(m_dialogs->fileRequests.isEmpty());
    QCOMPARE(connectedLog.requests().size(), 0);
    QCOMPARE(otherLog.requests().size(), 0);
    // The sensor the user works with stays connected, the other one is not connected.
    QCOMPARE(cellText(*m_window, connected, 4), QString("Connected"));
    QCOMPARE(cellText(*m_window, other, 4), QString("Not connected"));
    QVERIFY(!entry(other).connecting);
}

void TestMainWindowService::streamPausedAroundCommands()
{
    using namespace VelaProtocol;
    const int row = connectSensor(LS74Serial);
    QVERIFY(row >= 0);
    widget<QTabWidget>(*m_window, "tabWidget")->setCurrentIndex(1);
    widget<QPushButton>(*m_window, "buttonDrawProfiles")->click();
    m_dialogs->fileAnswer = writeFirmware(74);
    RequestLog log(m_sensors->emulator(), 1, entry(row));
    struct Command
    {
        const char* name;
        std::function<void()> run;
        QList<quint16> requests;
        bool resumed;
    };
    // The reboot comes last: the sensor is gone afterwards.
    const Command commands[] = {
        { "upgrade", [this] { widget<QPushButton>(*m_window, "buttonUpgrade")->click(); },
          { CmdUpgradeFirmware }, true },
        { "factory flush", [this] { m_window->onClickedFlushFactParamsButton(); },
          { CmdWriteParams, CmdFlushFactory }, true },
        { "FPGA", [this] { m_window->onClickedFpgaAmpl2Button(); },
          { CmdReadFpga, CmdWriteFpga, CmdFlushFpga }, true },
        { "reboot", [this] { widget<QPushButton>(*m_window, "buttonReboot")->click(); },
          { CmdReboot }, false },
    };
    for (const Command& command : commands) {
        const QString fault = log.runWhileStreaming(command.run, command.requests, command.resumed);
        QVERIFY2(fault.isEmpty(), qPrintable(QString("%1: %2").arg(command.name, fault)));
    }
}

void TestMainWindowService::firmwareUpgrade_data()
{
    QTest::addColumn<quint32>("serial");
    QTest::addColumn<int>("fileType");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("fitting file") << LS74Serial << 74 << "Success"
                                  << "Firmware upload successful. Please reboot device to apply upgrade.";
    QTest::newRow("file of another model") << LS74Serial << 71 << "Error" << "Upgrade failed!";
    QTest::newRow("LS71") << LS71Serial << 71 << "Error" << "Upgrade failed!";
}

void TestMainWindowService::firmwareUpgrade()
{
    QFETCH(quint32, serial);
    QFETCH(int, fileType);
    QFETCH(QString, title);
    QFETCH(QString, text);
    const int row = connectSensor(serial);
    QVERIFY(row >= 0);
    const std::vector<uint8_t> image = VelaEmulator::makeFirmware(
        static_cast<uint16_t>(fileType), 4300, std::vector<uint8_t>(4096, 0x5A));
    const QString path = m_dir.filePath("new.fw");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
    }
    // Streaming while the upload runs: the upload must not interleave with result reads.
    widget<QTabWidget>(*m_window, "tabWidget")->setCurrentIndex(1);
    widget<QPushButton>(*m_window, "buttonDrawProfiles")->click();
    m_dialogs->fileAnswer = path;
    widget<QPushButton>(*m_window, "buttonUpgrade")->click();
    QCOMPARE(m_dialogs->fileRequests.size(), 1);
    QCOMPARE(m_dialogs->fileRequests[0].caption, QString("Open file"));
    QCOMPARE(m_dialogs->fileRequests[0].filter, QString("Firmware Update (*.fw)"));
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages[0].title, title);
    QCOMPARE(m_dialogs->messages[0].text, text);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    // The stream goes on afterwards.
    QVERIFY(entry(row).connected);
    entry(row).forStreamer([](auto& streamer) { QVERIFY(!streamer.isPaused()); });
}

void TestMainWindowService::dragTooNarrowResetsWindow()
{
    const int row = connectSensor(LS71Serial);
    QVERIFY(row >= 0);
    VelaDevice::LS71Device& device = *entry(row).ls71();
    QTabWidget* tabs = widget<QTabWidget>(*m_window, "tabWidget");
    tabs->setCurrentIndex(2);
    ImageViewer* viewer = widget<ImageViewer>(*m_window, "imageWidget");
    StatusLog log(*m_window);

    // A proper rectangle first narrows the window, then a drag of 4 x 100 gives it back.
    QTest::mousePress(viewer, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(viewer, QPoint(300, 200));
    QTest::mouseRelease(viewer, Qt::LeftButton, {}, QPoint(300, 200));
    QVERIFY(log.messages.contains("100,100 : 300,200"));
    entry(row).ls71Streamer()->pause();
    QVERIFY(device.ReadParams() == 1);
    QVERIFY(device.GetWindowWidth() < MeasurementWindow::Full);

    QTest::mousePress(viewer, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(viewer, QPoint(104, 200));
    QTest::mouseRelease(viewer, Qt::LeftButton, {}, QPoint(104, 200));
    QVERIFY(device.ReadParams() == 1);
    QCOMPARE(MeasurementWindow::of(device), MeasurementWindow());
}

void TestMainWindowService::monitorModeStartStop()
{
    QCheckBox* monitor = widget<QCheckBox>(*m_window, "checkBox_MonitorPort");
    QVERIFY(monitor->isChecked()); // until the first connection
    const int found = m_window->entryCount();
    QPushButton* button = widget<QPushButton>(*m_window, "buttonDrawProfiles");
    m_window->onClickedDrawProfilesButton();
    QCOMPARE(m_window->entryCount(), found + 1);
    QCOMPARE(button->text(), QString("Stop"));
    // The tab holding the controls waits for a connection; their own state is what counts.
    QVERIFY(monitor->testAttribute(Qt::WA_ForceDisabled));
    QVERIFY(!widget<QTabWidget>(*m_window, "tabWidget")->isTabEnabled(0));
    QVERIFY(m_window->entryAt(found)->ls74Streamer()->isRunning());

    m_window->onClickedDrawProfilesButton();
    QCOMPARE(m_window->entryCount(), found);
    QCOMPARE(button->text(), QString("Start"));
    QVERIFY(!monitor->testAttribute(Qt::WA_ForceDisabled));
    QVERIFY(widget<QTabWidget>(*m_window, "tabWidget")->isTabEnabled(0));
    // The selection no longer names the removed entry: the FPGA command finds the table's
    // row, whose sensor is not connected.
    m_window->onClickedFpgaAmpl1Button();
    const DeviceEntry& selected = entry(widget<QTableWidget>(*m_window, "tableDeviceList")->currentRow());
    QCOMPARE(statusText(*m_window), QString("%1 (SN: %2): not connected, nothing done; this page acts on "
                                            "the connected sensor only")
                                        .arg(selected.ipText)
                                        .arg(selected.serialNumber));
}

void TestMainWindowService::speedTestAverage()
{
    const int row = connectSensor(LS74Serial);
    QVERIFY(row >= 0);
    widget<QPushButton>(*m_window, "pushButton_SpeedTest")->click();
    entry(row).ls74Streamer()->pause();
    m_window->waitWithEvents(300);
    AcquisitionStatistics& statistics = entry(row).statistics;
    statistics.frameTotalLastSecond = statistics.frameTotal;
    for (int answers : { 3, 0, 4, 0, 0 }) {
        for (int i = 0; i < answers; ++i)
            m_window->onRecvSpeedTestResponse(static_cast<unsigned char>(row));
        m_window->calculatePerSecValues();
    }
    QCOMPARE(labelText("label_SpeedTestKBps"), QString("252.66"));
}

void TestMainWindowService::speedTestStopsImagesAndCountsAnswers()
{
    const int row = connectSensor(LS74Serial);
    QVERIFY(row >= 0);
    widget<QTabWidget>(*m_window, "tabWidget")->setCurrentIndex(2);
    widget<QPushButton>(*m_window, "buttonDrawImages")->click();
    QVERIFY(entry(row).acquiringImages);

    QPushButton* speedTest = widget<QPushButton>(*m_window, "pushButton_SpeedTest");
    speedTest->click();
    QVERIFY(!entry(row).acquiringImages);
    QCOMPARE(widget<QPushButton>(*m_window, "buttonDrawImages")->text(), QString("Start"));
    QCOMPARE(speedTest->text(), QString("Stop"));
    // The answers of the emulated sensor reach the result.
    QVERIFY(QTest::qWaitFor([&] { return labelText("label_SpeedTestKBps").toDouble() > 0; }, 10000));

    speedTest->click();
    QCOMPARE(speedTest->text(), QString("Start"));
    QVERIFY(entry(row).ls74Streamer()->isPaused());
}

void TestMainWindowService::factoryFlushOnLS71()
{
    const int row = connectSensor(LS71Serial);
    QVERIFY(row >= 0);
    m_window->onClickedFlushFactParamsButton();
    m_window->onClickedResetFactParamsButton();
    QCOMPARE(m_dialogs->messages.size(), 2);
    QCOMPARE(m_dialogs->messages[0].text, QString("LS7xDevice::FlushFactoryParams() failed"));
    QCOMPARE(m_dialogs->messages[1].text, QString("LS7xDevice::FlushFactoryParams(1) failed"));
}

void TestMainWindowService::fpgaPatterns_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("value");
    QTest::newRow("ramp wraps") << 1 << 300 << 44;
    QTest::newRow("ramp end") << 1 << 639 << 127;
    QTest::newRow("alternating even") << 2 << 10 << 255;
    QTest::newRow("alternating odd") << 2 << 11 << 128;
    QTest::newRow("full") << 3 << 639 << 255;
}

void TestMainWindowService::fpgaPatterns()
{
    QFETCH(int, button);
    QFETCH(int, column);
    QFETCH(int, value);
    const int row = connectSensor(LS74Serial);
    QVERIFY(row >= 0);
    using Slot = void (MainWindow::*)();
    const Slot patternSlots[] = { &MainWindow::onClickedFpgaAmpl1Button,
                           &MainWindow::onClickedFpgaAmpl2Button,
                           &MainWindow::onClickedFpgaAmpl3Button };
    MarkingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    StatusLog log(*m_window);
    (m_window.get()->*patternSlots[button - 1])();
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(log.messages.value(0), QString("translated MainWindow::onClickedFpgaAmpl%1Button").arg(button));

    VelaStreamer::LS74Streamer& streamer = *entry(row).ls74Streamer();
    streamer.pause();
    std::vector<unsigned char> table(VelaDevice::LS74Device::FpgaParamsSize);
    QVERIFY(entry(row).ls74()->ReadFpgaParams(table.data()) != 0);
    QCOMPARE(int(table[column]), value);
}

QTEST_MAIN(TestMainWindowService)
#include "tst_mainwindow_service.moc"
