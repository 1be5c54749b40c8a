#pragma once

#include <QColor>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QString>

#include "AcquisitionStatistics.h"
#include "CounterLabels.h"
#include "DumpRecorder.h"

#include <VelaProfile.h>

#include <functional>
#include <memory>
#include <vector>

class DeviceEntry;
struct MeasurementWindow;
struct SensorConfig;
class ImageGrabber;
class QImage;
class QThread;
class QTimer;
namespace Ui {
class MainWindowClass;
}
namespace VelaDevice {
class LS7xDevice;
class LS74Device;
}
namespace VelaStreamer {
class LS71Streamer;
class LS74Streamer;
}

// The single window of LS7x-SU. Its implementation is split by concern:
//   mainwindow_startup.cpp     construction, first show, release trimming, shut-down, waits
//   mainwindow_search.cpp      device search, the device list and its streamer wiring
//   mainwindow_connection.cpp  selection, connect, disconnect, information page
//   mainwindow_streamend.cpp   the end of a sensor's stream
//   mainwindow_resultviewer.cpp profile reception, filters and drawing, start and stop
//   mainwindow_statistics.cpp  rates per second, read errors
//   mainwindow_parameters.cpp  parameter controls, interactive sliders and their commit
//   mainwindow_network.cpp     network and Modbus settings of the parameter page
//   mainwindow_paramfiles.cpp  read, write, flush, default, export and import buttons
//   mainwindow_images.cpp      camera images, the image viewer, snapshots
//   mainwindow_service.cpp     reboot, power off, firmware upgrade, network speed test
//   mainwindow_factory.cpp     factory parameter flushes and FPGA test patterns
//   mainwindow_recording.cpp   dump recording, "Save measure", Listen UDP, monitor mode
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~MainWindow() override;

    // Waits the given time in a local event loop, so the window keeps handling events;
    // slots may therefore run re-entrantly during the wait.
    void waitWithEvents(int milliseconds);

    // Stops the streamer's thread, then disconnects its device.
    void stopStreamer(VelaStreamer::LS71Streamer* streamer);
    void stopStreamer(VelaStreamer::LS74Streamer* streamer);

    void disconnectAll();
    void showDeviceInfo(int index);
    int activeEntryCount() const;

    int entryCount() const { return static_cast<int>(m_entries.size()); }
    // The entry at a device-list position, or null outside the list.
    DeviceEntry* entryAt(int index) const;

public slots:
    void onClickedSearchButton();
    // Takes over the heap copy of the block that SearchWorker::foundDevice hands out.
    void onFoundDevice(void* block);
    void onSearchComplete();
    void stepProgress();
    void onClickedDeviceTableCell(int row, int column);
    void onDoubleClickedDeviceTableCell(int row, int column);
    void onClickedConnectButton();
    void onConnected(unsigned char id);
    void onStreamEnded(unsigned char id, unsigned char rc);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void initOnFirstShow();
    void trimToReleaseEdition();
    template <class Streamer>
    void stopStreamerThread(Streamer* streamer);
    void waitForSearchToEnd();

    template <class Streamer>
    void connectStreamerSignals(DeviceEntry* entry, Streamer* streamer);
    void appendDeviceRow(const DeviceEntry& entry);
    void selectRow(int row, int column);
    void connectEntry(int index);
    void disconnectEntry(int index);
    void startStreamer(DeviceEntry& entry);
    // Whatever ends an entry's acquisition (a disconnect, another sensor connected, a new
    // search, the window closing, the stream's end) ends it here: profiles, images, speed test
    // and recording stop as their Stop buttons stop them, and the counters start over.
    void endAcquisition(DeviceEntry& entry);

    void showStatus(const QString& message);
    // Fills %1 and %2 of a message about one sensor ("%1 (SN: %2): connected") with its
    // IP address text and serial number; further placeholders stay for the caller.
    static QString sensorMessage(const DeviceEntry& entry, const QString& text);
    void setTableStatus(int row, const QString& status);
    void setDeviceComboTexts(int index, const QString& text);

    std::unique_ptr<Ui::MainWindowClass> ui;
    std::vector<std::unique_ptr<DeviceEntry>> m_entries;
    int m_selectedIndex = -1;

    ImageGrabber* m_imageGrabber = nullptr;
    QTimer* m_statisticsTimer = nullptr;
    QTimer* m_perSec10Timer = nullptr;
    QPointer<QThread> m_searchThread;
    bool m_searching = false;

    QColor m_beamColor = QColor(QStringLiteral("red"));
    unsigned m_beamColorRgb = 0;
    unsigned m_blackRgb = 0;
    QString m_dumpFileName;

    int m_selectedFilter = 0;
    bool m_saveNextProfile = false;
    bool m_monitorMode = false;
    // Profiles and images are dropped while set; set until the first parameter write.
    bool m_paramsUpdating = true;
    bool m_interactiveParamChanged = false;
    bool m_firstShown = false;
    bool m_deviceLibraryOpen = false;

    // Parameters page: parameter controls, network and Modbus settings, parameter buttons
    // and configuration files
public:
    void readParamsToControls(int row);
    // True when the device accepted the block or the entry holds no device.
    bool writeControlsToDevice(int row);

public slots:
    void onChangedLaserLevelSlider(int value);
    void onChangedExposureSlider(int value);
    void onChangedPixelBrightnessSlider(int value);
    void onChangeSelSamplingModeCombo(int index);
    void onImageWidgetFinishedRect(QPoint p1, QPoint p2);
    void firePerSec10Timer();
    void onClickedMoreSettings(const QString& link);
    void onChangedTabNetworkConfig(int index);
    void onClickedReadParamsButton();
    void onClickedWriteParamsButton();
    void onClickedFlushParamsButton();
    void onClickedDefaultParamsButton();
    void onClickedExportParamsButton();
    void onClickedImportParamsButton();

private:
    void connectParameterControls();
    // The entry of the device table's current row, or null.
    DeviceEntry* currentEntry() const;
    // The sensor a settings or service command acts on: the current row's entry when it is
    // the connected sensor, whose values the pages show. For any other row the status bar
    // says why nothing happens, and the answer is null.
    DeviceEntry* commandEntry();
    // Writes the controls into the entry's sensor; whilePaused then runs while the streamer
    // is still kept off the device.
    bool writeControls(DeviceEntry& entry,
                       const std::function<void(VelaDevice::LS7xDevice&)>& whilePaused = {});
    // Pauses the entry's streamer and answers whether it was paused already.
    static bool pauseEntryStreamer(const DeviceEntry& entry);
    // The same, and waits until a running streamer has left the device call it was in, for
    // commands of several requests that must not be interleaved with result reads.
    static bool restEntryStreamer(const DeviceEntry& entry);
    static void restoreEntryStreamer(const DeviceEntry& entry, bool wasPaused);
    void markInteractiveChange(const DeviceEntry& entry);
    void commitInteractiveParams(DeviceEntry* entry);
    void showWriteParamsFailure(const DeviceEntry& entry);
    void readNetworkToControls(const VelaDevice::LS7xDevice& device);
    void readLS74NetworkToControls(const VelaDevice::LS74Device& device);
    void writeNetworkToDevice(VelaDevice::LS7xDevice& device);
    void writeModbusServerToDevice(VelaDevice::LS74Device& device);
    void writeModbusRecordToDevice(VelaDevice::LS74Device& device);
    void setNetworkHeights(int groupHeight, int tabsHeight);
    void flushParams(int area);
    void showWindowOnImage(const MeasurementWindow& window);
    // The values a configuration file holds, as the controls and the entry show them now.
    SensorConfig configFromControls(const DeviceEntry& entry) const;

    // Result viewer and statistics: profile reception, filtering and drawing, acquisition
    // rates, read errors
public slots:
    void onRecvProfile(unsigned char id, const void* lpData, unsigned short measCounter,
                       unsigned short packCounter);
    void onChangeSelFilterCombo(int index);
    void onChangeSelDrawProfilesCombo(int index);
    void onClickedDrawProfilesButton();
    void onTriggeredPixelsCheck(int state);
    void onVisFullscreenEvent(bool fullScreen);
    void onVis2FullscreenEvent(bool fullScreen);
    void calculatePerSecValues();
    void onReadError(unsigned char id);

private:
    void initResultViewer();
    void startProfiles(DeviceEntry& entry);
    void stopProfiles(DeviceEntry& entry);
    void drawProfile(const DeviceEntry& entry, const unsigned char* record, quint16 count);
    void applySelectedFilter();
    void showProfileRates(const AcquisitionStatistics& statistics,
                          AcquisitionStatistics::ProfileStep step, float factor);
    void showFrameRates(const AcquisitionStatistics& statistics, qint32 frames);

    // Reused for every profile: the one drawn as "p1" and the one drawn as "p3".
    VelaMath::VelaProfile m_workingProfile;
    VelaMath::VelaProfile m_filteredProfile;
    quint32 m_lastDrawTick = 0;
    CounterLabels* m_counterLabels = nullptr;
    // Tick count of the previous statistics tick, 0 before the first.
    quint32 m_lastStatisticsTick = 0;

    // Images, service, factory and recording: camera images and snapshots, service
    // commands, factory and FPGA commands, the dump file, "Save measure", Listen UDP and
    // monitor mode
public slots:
    void onClickedDrawImagesButton();
    void onChangeSelDrawImagesCombo(int index);
    void onRecvImage(unsigned char id, const void* lpData);
    void onReadyImage(const QImage* image);
    void onImageWidgetMouseMove(QPoint p1, QPoint p2);
    void onImageWidgetMousePress(Qt::MouseButton button, QPoint position,
                                 Qt::KeyboardModifiers modifiers);
    void onClickedSaveBitmapButton();
    void onClickedRebootButton();
    void onClickedPowerOffButton();
    void onClickedUpgradeButton();
    void onClickedSpeedTestButton();
    void onRecvSpeedTestResponse(unsigned char id);
    void onClickedWriteFactParamsButton();
    void onClickedFlushFactParamsButton();
    void onClickedResetFactParamsButton();
    void onClickedFpgaAmpl1Button();
    void onClickedFpgaAmpl2Button();
    void onClickedFpgaAmpl3Button();
    void onTriggeredDumpUDPCheck(int state);
    void onClickedSaveCSVButton();
    void onTriggeredUDPCheck(int state);
    void onTriggeredMonitorPortCheck(int state);
    void onClickedMonitorTCPRadio(bool checked);
    void onClickedMonitorUDPRadio(bool checked);

public:
    // Profile Start/Stop: the monitor branch, taken while monitor mode is on or chosen.
    bool monitorModeRequested() const;
    void startMonitorMode();
    void stopMonitorMode();
    // Recording of a listening entry's stream while "Dump to file" is checked: opened when
    // its profile acquisition starts, one record per profile counted, closed at the stop.
    void startRecording(DeviceEntry& entry);
    void recordProfile(const DeviceEntry& entry, const void* record, quint16 measCounter);
    void stopRecording();

private:
    void connectServiceControls();
    void setMonitorControlsEnabled(bool enabled);
    void stopImages(DeviceEntry& entry);
    void stopSpeedTest(DeviceEntry& entry);
    // Reboot and power off differ only in the call and their texts.
    void runShutdownCommand(int (VelaDevice::LS7xDevice::*command)(), const QString& failure,
                            const QString& success);
    void flushFactoryParams(int mode, const QString& failure);
    void writeFpgaPattern(const QString& status, unsigned char (*pattern)(int column));

    DumpRecorder m_dump;
    QPointer<DeviceEntry> m_recordedEntry;
};
