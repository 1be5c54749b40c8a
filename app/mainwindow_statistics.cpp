// Acquisition rates of the statistics timer and the streamers' read errors.
#include "mainwindow.h"

#include "DeviceEntry.h"
#include "Platform.h"
#include "ui_mainwindow.h"

#include <LS71Streamer.h>
#include <LS74Streamer.h>

void MainWindow::calculatePerSecValues()
{
    const quint32 now = GetTickCount();
    const float factor = AcquisitionStatistics::tickFactor(now, m_lastStatisticsTick);
    m_lastStatisticsTick = now;

    if (m_monitorMode && entryCount() > 0)
        ++entryAt(entryCount() - 1)->statistics.profileSeconds;

    const int tab = ui->tabWidget->currentIndex();
    for (int i = 0; i < entryCount(); ++i) {
        DeviceEntry& entry = *entryAt(i);
        AcquisitionStatistics& statistics = entry.statistics;
        if (entry.acquiringProfiles)
            ++statistics.profileSeconds;
        else if (entry.acquiringImages || entry.speedTest)
            ++statistics.imageSeconds;

        const AcquisitionStatistics::ProfileStep step = statistics.advanceProfileWindows();
        if ((tab == 1 && ui->cobmoDrawProfiles->currentIndex() == i)
            || (m_monitorMode && i == m_selectedIndex))
            showProfileRates(statistics, step, factor);

        const qint32 frames = statistics.advanceFrameWindow();
        if (tab == 2 && ui->cobmoDrawImages->currentIndex() == i)
            showFrameRates(statistics, frames);

        if (entry.speedTest && statistics.imageSeconds > 0)
            ui->label_SpeedTestKBps->setText(QString::number(statistics.speedTestKBps(), 'g', 6));
    }
}

void MainWindow::showProfileRates(const AcquisitionStatistics& statistics,
                                  AcquisitionStatistics::ProfileStep step, float factor)
{
    ui->msrRateLabel->setText(QString::number(AcquisitionStatistics::perSecond(step.measurements, factor)));
    ui->pckRateLabel->setText(QString::number(AcquisitionStatistics::perSecond(step.packets, factor)));
    if (statistics.profileSeconds > 0) {
        ui->avgMrsRateLabel->setText(QString::number(statistics.averageMeasurementRate(factor)));
        ui->avgPckRateLabel->setText(QString::number(statistics.averagePacketRate(factor)));
    }
}

void MainWindow::showFrameRates(const AcquisitionStatistics& statistics, qint32 frames)
{
    ui->frameRateLabel->setText(QString::number(frames));
    if (statistics.imageSeconds > 0)
        ui->avgFrameRateLabel->setText(QString::number(statistics.averageFrameRate()));
}

// A read error ends whatever the entry acquires; a failing image read must not start profiles.
void MainWindow::onReadError(unsigned char id)
{
    if (m_monitorMode)
        return;
    DeviceEntry* entry = entryAt(id);
    if (!entry || !entry->hasStreamer() || entry->listeningUDP)
        return;
    bool paused = true;
    entry->forStreamer([&paused](auto& streamer) { paused = streamer.isPaused(); });
    if (paused)
        return;

    if (entry->acquiringProfiles) {
        ui->cobmoDrawProfiles->setCurrentIndex(id);
        stopProfiles(*entry);
    } else if (entry->acquiringImages) {
        stopImages(*entry);
    }
    showStatus(sensorMessage(*entry, tr("%1 (SN: %2): Failed to retrieve data")));
}
