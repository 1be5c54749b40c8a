#pragma once

// What the result-viewer and statistics tests share: a connected emulated LS74, profile records
// laid out as its streamer hands them out, a clock the tests set, and a look into the
// visualizer's scene.

#include "AppTestSupport.h"
#include "DeviceEntry.h"
#include "Platform.h"

#include <LS74Streamer.h>
#include <VelaVisualizer.h>

#include <QLabel>
#include <QTabWidget>

#include <cstring>
#include <memory>

namespace ResultViewerTest {

constexpr quint32 Serial = 777;

// Time as GetTickCount reports it while a TestClock lives.
class TestClock
{
public:
    TestClock() { setTickCountSource(&TestClock::read); }
    ~TestClock() { setTickCountSource(nullptr); }
    static void set(quint32 ms) { now = ms; }

private:
    static quint32 read() { return now; }
    static inline quint32 now = 1;
};

// A profile record of the given points (x, y pairs).
class ProfileRecord
{
public:
    explicit ProfileRecord(const QList<VelaMath::VelaPointXY>& points)
        : m_record(std::make_unique<VelaStreamer::LS74ProfileDataStruct>())
    {
        const unsigned short count = static_cast<unsigned short>(points.size());
        auto* bytes = reinterpret_cast<unsigned char*>(m_record.get());
        std::memcpy(bytes, &count, sizeof count);
        for (int i = 0; i < points.size(); ++i) {
            const float pair[2] = { points[i].x, points[i].y };
            std::memcpy(bytes + 2 + 8 * i, pair, sizeof pair);
        }
    }
    // A flat line of n points at height y, x from 0 in steps of 0.5.
    static ProfileRecord flat(int n, float y = 10.0f)
    {
        QList<VelaMath::VelaPointXY> points;
        for (int i = 0; i < n; ++i)
            points.append({ 0.5f * float(i), y });
        return ProfileRecord(points);
    }
    const void* data() const { return m_record.get(); }

private:
    std::unique_ptr<VelaStreamer::LS74ProfileDataStruct> m_record;
};

// The scene of the visualizer, read through its own lookups.
struct Scene : VelaVisualizer
{
    static const VelaProfileData* profile(const VelaVisualizer& visualizer, const QString& name)
    {
        const auto find = &Scene::findProfileData;
        return (visualizer.*find)(name);
    }
    static const VelaProfileVisulaizerObject* object(const VelaVisualizer& visualizer,
                                                     const QString& name)
    {
        const auto find = &Scene::findObject;
        return (visualizer.*find)(name);
    }
};

// Starts the emulated sensors and a window that has found them.
inline bool searchSensors(std::vector<VelaEmulator::SensorSpec> specs,
                          std::unique_ptr<EmulatedSensors>& sensors, std::unique_ptr<MainWindow>& window)
{
    CommandLine::setArguments(QStringList());
    sensors = std::make_unique<EmulatedSensors>(std::move(specs));
    if (!sensors->start())
        return false;
    window = std::make_unique<MainWindow>();
    window->show();
    return searchAndWait(*window);
}

// A window connected to one emulated LS74, showing the Result Viewer with that sensor selected.
class ConnectedWindow
{
public:
    bool open()
    {
        if (!searchSensors({ { VelaEmulator::Model::LS74, Serial } }, sensors, window))
            return false;
        row = rowOfSerial(*window, Serial);
        window->onClickedDeviceTableCell(row, 1);
        widget<QPushButton>(*window, "buttonConnect")->click();
        if (!waitForCell(*window, row, 4, "Connected"))
            return false;
        widget<QTabWidget>(*window, "tabWidget")->setCurrentIndex(1);
        return true;
    }

    void close()
    {
        window.reset();
        sensors.reset();
    }

    DeviceEntry& entry() const { return *window->entryAt(row); }
    VelaStreamer::LS74Streamer& streamer() const { return *entry().ls74Streamer(); }
    VelaVisualizer& visualizer() const { return *widget<VelaVisualizer>(*window, "visualizerWidget"); }
    QString label(const char* name) const { return widget<QLabel>(*window, name)->text(); }
    void receive(const ProfileRecord& record, quint16 measCounter)
    {
        window->onRecvProfile(static_cast<unsigned char>(row), record.data(), measCounter, 0);
    }
    int drawnPoints(const char* name) const
    {
        const VelaProfileData* drawn = Scene::profile(visualizer(), QLatin1String(name));
        return drawn ? drawn->profile.size() : -1;
    }

    DialogRecorder dialogs;
    std::unique_ptr<EmulatedSensors> sensors;
    std::unique_ptr<MainWindow> window;
    int row = -1;
};

} // namespace ResultViewerTest
