#pragma once

#include <QColor>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

class DeviceEntry;
class ImageGrabber;
class QThread;
class QTimer;
namespace Ui {
class MainWindowClass;
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
};
