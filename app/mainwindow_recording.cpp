// The recording side of the "Result Viewer" tab: the dump file and its recording, "Save
// measure", switching a sensor between its TCP and UDP streams, and monitor mode.
#include "mainwindow.h"

#include "DeviceEntry.h"
#include "FileNameRules.h"
#include "IPEditWidget.h"
#include "UserDialogs.h"
#include "UserFile.h"
#include "ui_mainwindow.h"

#include <LS71Device.h>
#include <LS71Streamer.h>
#include <LS74Device.h>
#include <LS74Streamer.h>
#include <VelaVisualizer.h>

#include <QFileInfo>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace {
constexpr int RecordPointsOffset = 2;

// Points a record of this entry's model can hold.
int recordPointCapacity(const DeviceEntry& entry)
{
    return (entry.ls71() ? VelaDevice::LS71Device::ProfileValuesCount
                         : VelaDevice::LS74Device::ProfileValuesCount)
        / 2;
}
}

void MainWindow::onTriggeredDumpUDPCheck(int state)
{
    if (state != Qt::Checked)
        return;
    const QString chosen = UserDialogs::getSaveFileName(this, tr("Dump measure"), m_dumpFileName,
                                                        tr("Measure data (*.bin)"));
    if (chosen.isEmpty()) {
        ui->checkDumpUDP->setChecked(false);
        return;
    }
    m_dumpFileName = FileNameRules::withExtension(chosen, QStringLiteral("bin"));
}

void MainWindow::startRecording(DeviceEntry& entry)
{
    if (!entry.listeningUDP || !ui->checkDumpUDP->isChecked())
        return;
    // One dump file at a time: a second recording would truncate the one being written.
    if (m_recordedEntry && m_recordedEntry != &entry && m_dump.isRecording()) {
        showStatus(sensorMessage(entry, tr("%1 (SN: %2): not recorded, %3 (SN: %4) is being recorded to %5"))
                       .arg(m_recordedEntry->ipText)
                       .arg(m_recordedEntry->serialNumber)
                       .arg(m_dumpFileName));
        return;
    }
    m_recordedEntry = &entry;
    if (!m_dump.start(m_dumpFileName))
        showStatus(tr("Cannot record to %1: %2").arg(m_dumpFileName, m_dump.errorString()));
}

// Every profile counted for the recorded entry goes in, as received: whatever tab is shown
// and before any filter touches it.
void MainWindow::recordProfile(const DeviceEntry& entry, const void* record, quint16 measCounter)
{
    if (&entry != m_recordedEntry || !m_dump.isRecording())
        return;
    const auto* bytes = static_cast<const unsigned char*>(record);
    quint16 count = 0;
    std::memcpy(&count, bytes, sizeof count);
    count = quint16(std::min<int>(count, recordPointCapacity(entry)));
    // Unaligned; the record copies the pairs byte-wise.
    const auto* points = reinterpret_cast<const float*>(bytes + RecordPointsOffset);
    const bool failedBefore = m_dump.failed();
    if (!m_dump.append(points, count, measCounter) && !failedBefore)
        showStatus(tr("Recording to %1 failed: %2").arg(m_dumpFileName, m_dump.errorString()));
}

void MainWindow::stopRecording()
{
    if (!m_recordedEntry && !m_dump.isRecording())
        return;
    m_recordedEntry = nullptr;
    if (m_dump.stop()) {
        showStatus(tr("Written measure to %1").arg(m_dumpFileName));
    } else {
        showStatus(tr("Recording to %1 failed: %2 (%3 profiles written)")
                       .arg(m_dumpFileName, m_dump.errorString())
                       .arg(m_dump.records()));
    }
}

void MainWindow::onClickedSaveCSVButton()
{
    const QString binFilter = tr("Measure data (*.bin)");
    const QString csvFilter = tr("CSV files (*.csv)");
    QString selectedFilter = binFilter;
    // Profiles received while the dialog is open keep the working profile current.
    m_saveNextProfile = true;
    const QString chosen = UserDialogs::getSaveFileName(
        this, tr("Save measure"), QStringLiteral("singleMeasure"),
        binFilter + QStringLiteral(";;") + csvFilter, &selectedFilter);
    const bool csv = selectedFilter == csvFilter;
    const QString path = chosen.isEmpty() ? QString()
        : FileNameRules::withExtension(chosen, csv ? QStringLiteral("csv") : QStringLiteral("bin"));
    const bool replace = !path.isEmpty()
        && (!QFileInfo::exists(path)
            || UserDialogs::question(this, tr("Save measure"),
                                     tr("%1 already exists.\nDo you want to replace it?").arg(path),
                                     QMessageBox::Yes | QMessageBox::No)
                == QMessageBox::Yes);
    if (replace) {
        QString error;
        const bool saved = UserFile::saveFromScratch(path, [this, csv](const QString& scratch) {
            return csv ? m_workingProfile.writeToCSVFile(scratch) : m_workingProfile.writeToFile(scratch);
        }, &error);
        showStatus(saved ? tr("Saved measure to %1").arg(path)
                         : tr("Could not save measure to %1 (%2); the file is as it was").arg(path, error));
    }
    m_saveNextProfile = false;
}

void MainWindow::onTriggeredUDPCheck(int state)
{
    const int row = ui->tableDeviceList->currentRow();
    const QPointer<DeviceEntry> entry = entryAt(row);
    if (!entry || entry->acquiringProfiles || entry->acquiringImages)
        return;

    entry->resetStatistics();
    m_counterLabels->reset();
    for (QLabel* label : { ui->msrRateLabel, ui->pckRateLabel, ui->avgMrsRateLabel, ui->avgPckRateLabel })
        label->setText(QStringLiteral("0"));
    entry->listeningUDP = state == Qt::Checked;
    selectRow(row, ui->tableDeviceList->currentColumn());

    if (entry->listeningUDP) {
        {
            // The connect step unchecks the box of a listening entry, which would switch
            // the sensor straight back; the switch to UDP has to stand.
            const QSignalBlocker blocker(ui->checkUDP);
            onClickedConnectButton();
            ui->checkUDP->setChecked(true);
        }
        if (!entry)
            return;
        entry->forStreamer([this](auto& streamer) { stopStreamer(&streamer); });
        if (!entry)
            return;
        if (VelaStreamer::LS71Streamer* streamer = entry->ls71Streamer())
            streamer->setTCPMode(false);
        else if (VelaStreamer::LS74Streamer* streamer = entry->ls74Streamer())
            streamer->setMode(VelaStreamer::StreamerModeUDP);
        startStreamer(*entry);

        showStatus(sensorMessage(*entry, tr("%1 (SN: %2): switched stream to UDP mode")));
        setTableStatus(row, tr("UDP mode"));
        setDeviceComboTexts(row, tr("%1 - UDP mode").arg(entry->ipText));
        ui->checkDumpUDP->setEnabled(true);
        for (int tab : { 1, 2, 3 })
            ui->tabWidget_2->setTabEnabled(tab, false);
        ui->buttonConnect->setEnabled(false);
        ui->visualizerWidget->addText(50.0, 60.0, 14, tr("UDP mode"), QStringLiteral("info"),
                                      m_blackRgb, true);
        return;
    }

    entry->forStreamer([this](auto& streamer) { stopStreamer(&streamer); });
    if (!entry)
        return;
    if (VelaStreamer::LS71Streamer* streamer = entry->ls71Streamer())
        streamer->setTCPMode(true);
    else if (VelaStreamer::LS74Streamer* streamer = entry->ls74Streamer())
        streamer->setMode(VelaStreamer::StreamerModeTCP);
    // The stopped stream left the sensor disconnected; the connect step connects it anew.
    entry->connected = false;
    onClickedConnectButton();
    if (!entry)
        return;
    startStreamer(*entry);
    ui->checkDumpUDP->setChecked(false);
    ui->checkDumpUDP->setEnabled(false);
    showStatus(sensorMessage(*entry, tr("%1 (SN: %2): switched stream to TCP/IP mode")));
    ui->visualizerWidget->removeObject(QStringLiteral("info"));
}

void MainWindow::onTriggeredMonitorPortCheck(int state)
{
    const bool checked = state == Qt::Checked;
    if (checked) {
        ui->buttonDrawProfiles->setEnabled(true);
        ui->checkUDP->setEnabled(false);
    } else {
        ui->buttonDrawProfiles->setEnabled(ui->tableDeviceList->currentRow() >= 0);
    }
    ui->radioButton_UDP->setEnabled(checked);
    ui->radioButton_TCP->setEnabled(checked);
    ui->spinBox_MonitorPort->setEnabled(checked);
}

void MainWindow::onClickedMonitorTCPRadio(bool checked)
{
    if (checked)
        ui->ipctrlMonitorPort->setEnabled(true);
}

void MainWindow::onClickedMonitorUDPRadio(bool checked)
{
    if (checked)
        ui->ipctrlMonitorPort->setEnabled(false);
}

bool MainWindow::monitorModeRequested() const
{
    return m_monitorMode || ui->checkBox_MonitorPort->isChecked();
}

void MainWindow::startMonitorMode()
{
    VelaDevice::_UDP_DEVINFOBLOCK_PC block;
    std::memset(&block, 0, sizeof block);
    block.DeviceType = VelaDevice::DeviceTypeLS74;
    ui->ipctrlMonitorPort->getAddress(block.IPAddress, true);
    m_entries.push_back(std::make_unique<DeviceEntry>(block));
    const int index = entryCount() - 1;
    DeviceEntry* entry = entryAt(index);
    m_selectedIndex = index;

    ui->tabWidget->setTabEnabled(0, false);
    ui->tabWidget->setTabEnabled(2, false);
    setMonitorControlsEnabled(false);
    m_monitorMode = true;
    ui->buttonDrawProfiles->setText(tr("Stop"));

    VelaStreamer::LS74Streamer* streamer = entry->ls74Streamer();
    const auto port = static_cast<unsigned short>(ui->spinBox_MonitorPort->value());
    if (ui->radioButton_TCP->isChecked()) {
        streamer->setMode(VelaStreamer::StreamerModeTCPData);
        streamer->setTCPDataPort(port);
        streamer->setTCPDataIPAddress(block.IPAddress);
    } else {
        streamer->setMode(VelaStreamer::StreamerModeUDP);
        entry->ls74()->SetHostPortNumber(port);
    }
    streamer->setId(static_cast<unsigned char>(index));
    connectStreamerSignals(entry, streamer);
    streamer->start(QThread::InheritPriority);
    m_paramsUpdating = false;
    m_statisticsTimer->start();
}

void MainWindow::stopMonitorMode()
{
    m_paramsUpdating = true;
    if (entryCount() > 0) {
        const QPointer<DeviceEntry> entry = entryAt(entryCount() - 1);
        stopStreamer(entry->ls74Streamer());
        // A search during the stop wait may have replaced the list already.
        if (entry && entry == entryAt(entryCount() - 1))
            m_entries.pop_back();
    }
    // The removed entry may have been the selection; the table's row is a listed entry.
    m_selectedIndex = ui->tableDeviceList->currentRow();
    ui->buttonDrawProfiles->setText(tr("Start"));
    ui->tabWidget->setTabEnabled(0, true);
    ui->tabWidget->setTabEnabled(2, ui->tableDeviceList->currentRow() >= 0);
    m_monitorMode = false;
    setMonitorControlsEnabled(true);
}

void MainWindow::setMonitorControlsEnabled(bool enabled)
{
    for (QWidget* control : { static_cast<QWidget*>(ui->checkBox_MonitorPort),
                              static_cast<QWidget*>(ui->radioButton_TCP),
                              static_cast<QWidget*>(ui->radioButton_UDP),
                              static_cast<QWidget*>(ui->spinBox_MonitorPort) })
        control->setEnabled(enabled);
}
