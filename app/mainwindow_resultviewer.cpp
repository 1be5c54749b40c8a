// The "Result Viewer" tab: profile reception and counting, the selected filter, drawing,
// start and stop of the acquisition, the device and filter combos, pixels mode and the
// full-screen hand-over of the two viewers.
#include "mainwindow.h"

#include "DeviceEntry.h"
#include "ImageViewer.h"
#include "Platform.h"
#include "ui_mainwindow.h"

#include <LS71Streamer.h>
#include <LS74Device.h>
#include <LS74Streamer.h>
#include <VelaInterpolantType.h>
#include <VelaVisualizer.h>

#include <QTimer>

#include <algorithm>
#include <cstring>

using VelaMath::velaNaN;

namespace {
// Shortest time between two drawings; profiles in between are counted only.
constexpr quint32 DrawIntervalMs = 40;
// Pixel values above this carry no measurement and are drawn at height 0.
constexpr quint32 MaxPixelValue = 480000000;
// The first pixels and the last one of a pixel line are never drawn.
constexpr int FirstDrawnPixel = 6;

constexpr int RecordValuesOffset = 2;

// Values a record of this entry's model can hold (pairs of floats or pixel words).
int recordValueCapacity(const DeviceEntry& entry)
{
    return entry.ls71() ? VelaDevice::LS71Device::ProfileValuesCount
                        : VelaDevice::LS74Device::ProfileValuesCount;
}

const float* recordPoints(const unsigned char* record)
{
    // Unaligned; the profile copies the pairs byte-wise.
    return reinterpret_cast<const float*>(record + RecordValuesOffset);
}
}

void MainWindow::initResultViewer()
{
    // The counters change with every profile. A label of fixed size takes a new text without
    // invalidating the window's layout, which would otherwise be recomputed for every profile.
    for (QLabel* counter : { ui->msrCounterLabel, ui->pckCounterLabel }) {
        const int width = counter->fontMetrics().horizontalAdvance(QStringLiteral("-2147483648"));
        counter->setFixedSize(std::max(width, counter->minimumWidth()), counter->sizeHint().height());
    }
    m_counterLabels = new CounterLabels(ui->msrCounterLabel, ui->pckCounterLabel, this);

    connect(ui->visualizerWidget, &VelaVisualizer::switchingFullScreen, this,
            &MainWindow::onVisFullscreenEvent);
    connect(ui->imageWidget, &ImageViewer::signalSwitchingFullScreen, this,
            &MainWindow::onVis2FullscreenEvent);
    connect(ui->cobmoDrawProfiles, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &MainWindow::onChangeSelDrawProfilesCombo);
    connect(ui->buttonDrawProfiles, &QPushButton::clicked, this,
            &MainWindow::onClickedDrawProfilesButton);
    connect(ui->comboFilter, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &MainWindow::onChangeSelFilterCombo);
    connect(ui->checkPixels, &QCheckBox::stateChanged, this, &MainWindow::onTriggeredPixelsCheck);
    connect(m_statisticsTimer, &QTimer::timeout, this, &MainWindow::calculatePerSecValues);
}

// The record belongs to the streamer's ring: it is read here and never kept.
void MainWindow::onRecvProfile(unsigned char id, const void* lpData, unsigned short measCounter,
                               unsigned short /*packCounter*/)
{
    // A recording takes every profile of its sensor, whichever sensor is shown or written.
    DeviceEntry* sender = entryAt(id);
    const bool recorded = sender && sender == m_recordedEntry;
    if (m_paramsUpdating && !recorded)
        return;
    const int shown = ui->cobmoDrawProfiles->currentIndex();
    if (!m_monitorMode && id != shown) {
        if (recorded && sender->statistics.acceptMeasCounter(measCounter)) {
            sender->statistics.countProfile(measCounter);
            recordProfile(*sender, lpData, measCounter);
        }
        return;
    }
    DeviceEntry* entry = entryAt(shown);
    // Monitor mode needs no searched sensor: with none shown, the monitor entry keeps the
    // duplicate filter itself instead of every profile being dropped.
    if (!entry && m_monitorMode)
        entry = entryAt(entryCount() - 1);
    if (!entry || !entry->statistics.acceptMeasCounter(measCounter))
        return;
    if (m_monitorMode)
        entry = entryAt(entryCount() - 1);

    AcquisitionStatistics& statistics = entry->statistics;
    statistics.countProfile(measCounter);
    recordProfile(*entry, lpData, measCounter);
    if (ui->tabWidget->currentIndex() != 1)
        return;
    m_counterLabels->show(statistics.measTotal, statistics.packetTotal);

    const quint32 now = GetTickCount();
    m_workingProfile.clear();
    m_filteredProfile.clear();
    const auto* record = static_cast<const unsigned char*>(lpData);
    quint16 count = 0;
    std::memcpy(&count, record, sizeof count);
    count = quint16(std::min<int>(count, recordValueCapacity(*entry)));

    if ((entry->listeningUDP && ui->checkDumpUDP->isChecked()) || m_saveNextProfile) {
        const quint16 points = quint16(std::min<int>(count, recordValueCapacity(*entry) / 2));
        m_workingProfile.copyFromXYPointsBuffer(recordPoints(record), points);
        m_filteredProfile.copyFromXYPointsBuffer(recordPoints(record), points);
    }
    if (now - m_lastDrawTick > DrawIntervalMs) {
        drawProfile(*entry, record, count);
        m_lastDrawTick = now;
    }
}

void MainWindow::drawProfile(const DeviceEntry& entry, const unsigned char* record, quint16 count)
{
    if (m_workingProfile.isEmpty()) {
        if (entry.pixelsMode) {
            for (int i = FirstDrawnPixel; i <= count - 2; ++i) {
                quint32 value = 0;
                std::memcpy(&value, record + RecordValuesOffset + 4 * i, sizeof value);
                if (value > MaxPixelValue)
                    value = 0;
                m_workingProfile.points.append(VelaMath::VelaPointXY(float(i), float(value) / 1000000.0f));
            }
        } else {
            const quint16 points = quint16(std::min<int>(count, recordValueCapacity(entry) / 2));
            m_workingProfile.copyFromXYPointsBuffer(recordPoints(record), points);
            m_filteredProfile.copyFromXYPointsBuffer(recordPoints(record), points);
        }
    }
    applySelectedFilter();

    static const uint pixelsColor = QColor(QStringLiteral("darkgreen")).rgb();
    VelaVisualizer* visualizer = ui->visualizerWidget;
    visualizer->addProfile(m_workingProfile, QStringLiteral("p1"),
                           entry.pixelsMode ? pixelsColor : m_beamColorRgb, 0, 3.0, DrawPoints, false);
    // None of the offered filters draws into "p3"; it stays empty.
    m_filteredProfile.clear();
    visualizer->addProfile(m_filteredProfile, QStringLiteral("p3"), m_blackRgb, 0, 3.0, DrawPoints,
                           false);
    const QString caption = tr("%1 pts").arg(m_workingProfile.size());
    visualizer->addText(550.0, 60.0, 14,
                        VelaVisualizer::customFontText(QStringLiteral("monospace"), caption),
                        QStringLiteral("pts"), m_blackRgb, true);
}

// Every filter works on the working profile, the one drawn.
void MainWindow::applySelectedFilter()
{
    VelaMath::VelaProfile& profile = m_workingProfile;
    switch (m_selectedFilter) {
    case 1:
        profile.kihFilter20(velaNaN);
        break;
    case 2:
        profile.calcRange();
        profile.interpolate((profile.maxX - profile.minX) / 1024.0f, velaNaN, velaNaN,
                            VelaMath::InterpolantAkima);
        break;
    case 3:
        profile.sort(VelaMath::SortAscending, VelaMath::SortAscending);
        profile.splashFilter(profile, 1.0f, 1.0f);
        break;
    case 4:
        profile.sort(VelaMath::SortAscending, VelaMath::SortAscending);
        profile.wndFilter(10);
        break;
    default:
        break;
    }
}

void MainWindow::onChangeSelFilterCombo(int index)
{
    m_selectedFilter = index;
}

void MainWindow::onChangeSelDrawProfilesCombo(int index)
{
    DeviceEntry* entry = entryAt(index);
    if (!entry)
        return;
    QPushButton* button = ui->buttonDrawProfiles;
    // A listening sensor streams without being connected; its Start and Stop stay at hand.
    if (entry->connected || entry->listeningUDP) {
        button->setEnabled(true);
        button->setText(entry->acquiringProfiles ? tr("Stop") : tr("Start"));
        if (!entry->listeningUDP)
            readParamsToControls(index);
    } else {
        button->setEnabled(false);
        button->setText(tr("Start"));
    }
    if (entry->listeningUDP) {
        ui->visualizerWidget->addText(50.0, 60.0, 14, tr("UDP mode"), QStringLiteral("info"),
                                      m_blackRgb, true);
    } else {
        ui->visualizerWidget->removeObject(QStringLiteral("info"));
    }
}

void MainWindow::onClickedDrawProfilesButton()
{
    if (monitorModeRequested()) {
        if (m_monitorMode)
            stopMonitorMode();
        else
            startMonitorMode();
        return;
    }
    DeviceEntry* entry = entryAt(ui->cobmoDrawProfiles->currentIndex());
    if (!entry)
        return;
    if (entry->acquiringProfiles)
        stopProfiles(*entry);
    else
        startProfiles(*entry);
}

void MainWindow::startProfiles(DeviceEntry& entry)
{
    ui->visualizerWidget->blank(false);
    m_beamColor = entry.displayColor;
    m_beamColorRgb = m_beamColor.rgb();
    if (entry.acquiringImages)
        stopImages(entry);
    ui->buttonSaveBitmap->setEnabled(false);
    entry.forStreamer([](auto& streamer) {
        streamer.pause();
        streamer.readImages(false);
    });
    entry.acquiringProfiles = true;
    startRecording(entry);
    ui->buttonDrawProfiles->setText(tr("Stop"));
    ui->checkUDP->setEnabled(false);
    ui->checkDumpUDP->setEnabled(false);
    ui->checkPixels->setEnabled(false);
    entry.forStreamer([](auto& streamer) { streamer.resume(); });
    if (m_statisticsTimer)
        m_statisticsTimer->start();
    ui->buttonSaveCSV->setEnabled(true);
}

void MainWindow::stopProfiles(DeviceEntry& entry)
{
    entry.acquiringProfiles = false;
    if (&entry == m_recordedEntry)
        stopRecording();
    entry.forStreamer([](auto& streamer) { streamer.pause(); });
    entry.statistics.clearWindows();
    // The controls belong to the sensor the combo shows.
    if (entryAt(ui->cobmoDrawProfiles->currentIndex()) != &entry)
        return;
    ui->checkUDP->setEnabled(true);
    ui->checkDumpUDP->setEnabled(true);
    ui->checkPixels->setEnabled(true);
    ui->buttonDrawProfiles->setText(tr("Start"));
    ui->buttonSaveCSV->setEnabled(false);
}

void MainWindow::onTriggeredPixelsCheck(int state)
{
    DeviceEntry* entry = entryAt(ui->tableDeviceList->currentRow());
    if (!entry || !entry->ls74())
        return;
    VelaStreamer::LS74Streamer* streamer = entry->ls74Streamer();
    streamer->pause();
    entry->pixelsMode = state == Qt::Checked;
    entry->ls74()->SetCalibrationMode(entry->pixelsMode ? 1 : 0);
    Sleep(100);
    streamer->setPixelsMode(entry->pixelsMode);
    ui->visualizerWidget->removeAllVisuals();
    ui->visualizerWidget->resetViewPoint();
}

// While a viewer is a full-screen window, a spacer of its height keeps the tab's layout.
void MainWindow::onVisFullscreenEvent(bool fullScreen)
{
    if (fullScreen) {
        ui->verticalSpacer_Vis->changeSize(1, ui->visualizerWidget->height(), QSizePolicy::Minimum,
                                           QSizePolicy::Minimum);
    } else {
        ui->verticalSpacer_Vis->changeSize(0, 0);
        ui->verticalLayout_Vis->insertWidget(1, ui->visualizerWidget);
    }
    ui->verticalLayout_Vis->invalidate();
}

void MainWindow::onVis2FullscreenEvent(bool fullScreen)
{
    ImageViewer* viewer = ui->imageWidget;
    if (fullScreen) {
        ui->verticalSpacer_Img->changeSize(1, viewer->height(), QSizePolicy::Minimum,
                                           QSizePolicy::Minimum);
        viewer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    } else {
        ui->verticalSpacer_Img->changeSize(0, 0);
        ui->verticalLayout_Img->insertWidget(1, viewer);
        viewer->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        viewer->setFixedSize(640, 512);
    }
    ui->verticalLayout_Img->invalidate();
}
