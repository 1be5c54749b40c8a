// Selecting a sensor in the device table, its information page, and connecting and
// disconnecting it.
#include "mainwindow.h"

#include "DeviceEntry.h"
#include "Platform.h"
#include "ui_mainwindow.h"

#include <LS71Device.h>
#include <LS71Streamer.h>
#include <LS74Device.h>
#include <LS74Streamer.h>

#include <QRectF>
#include <QTimer>

// The handlers of the parameter controls act on the table's current row, so a row selected
// by the program becomes the current row as well.
void MainWindow::selectRow(int row, int column)
{
    m_selectedIndex = row;
    if (row >= 0 && ui->tableDeviceList->currentRow() != row)
        ui->tableDeviceList->setCurrentCell(row, column);
}

void MainWindow::onClickedDeviceTableCell(int row, int column)
{
    selectRow(row, column);
    DeviceEntry* entry = entryAt(row);
    if (!entry)
        return;
    if (entry->listeningUDP) {
        ui->buttonConnect->setEnabled(false);
        return;
    }
    ui->buttonConnect->setEnabled(true);
    ui->buttonConnect->setText(entry->connected ? tr("Disconnect") : tr("Connect"));
    showDeviceInfo(row);
    if (entry->connected)
        readParamsToControls(row);
}

void MainWindow::onDoubleClickedDeviceTableCell(int row, int column)
{
    selectRow(row, column);
    if (row >= 0)
        onClickedConnectButton();
}

void MainWindow::onClickedConnectButton()
{
    DeviceEntry* entry = entryAt(m_selectedIndex);
    if (!entry || entry->connecting)
        return;
    if (entry->connected)
        disconnectEntry(m_selectedIndex);
    else
        connectEntry(m_selectedIndex);
}

void MainWindow::connectEntry(int index)
{
    // Slots run during the stop waits; a new search there destroys every entry.
    const QPointer<DeviceEntry> entry = entryAt(index);
    for (int other = 0; other < entryCount(); ++other) {
        DeviceEntry* connected = entryAt(other);
        if (other == index || !connected->connected)
            continue;
        // Marked first, so that the end of its stream reported during the stop is taken
        // as the end of a disconnected sensor's stream.
        connected->connected = false;
        endAcquisition(*connected);
        connected->forStreamer([this](auto& streamer) { stopStreamer(&streamer); });
        if (!entry)
            return;
        setTableStatus(other, tr("Not connected"));
        setDeviceComboTexts(other, tr("%1 - Not connected").arg(connected->ipText));
    }

    if (entry->listeningUDP)
        ui->checkUDP->setChecked(false);

    entry->connecting = true;
    ui->cobmoDrawProfiles->setCurrentIndex(index);
    ui->cobmoDrawImages->setCurrentIndex(index);
    setTableStatus(index, tr("Connecting"));

    entry->forStreamer([](auto& streamer) { streamer.pause(); });
    startStreamer(*entry);
    ui->buttonSearch->setEnabled(false);
}

// A thread that outlived its stop request is not started twice; its end is reported like any
// other.
void MainWindow::startStreamer(DeviceEntry& entry)
{
    entry.forStreamer([](auto& streamer) {
        if (!streamer.isRunning())
            streamer.start(QThread::InheritPriority);
    });
}

void MainWindow::endAcquisition(DeviceEntry& entry)
{
    if (entry.acquiringProfiles)
        stopProfiles(entry);
    if (entry.acquiringImages)
        stopImages(entry);
    if (entry.speedTest)
        stopSpeedTest(entry);
    entry.resetStatistics();
}

void MainWindow::disconnectEntry(int index)
{
    const QPointer<DeviceEntry> entry = entryAt(index);
    entry->connected = false;
    ui->sliderLaserLevel->setValue(0);
    ui->sliderExposure->setValue(0);
    ui->sliderPixBrThres->setValue(0);

    endAcquisition(*entry);
    entry->forStreamer([this](auto& streamer) { stopStreamer(&streamer); });
    if (!entry)
        return;

    setTableStatus(index, tr("Not connected"));
    ui->buttonConnect->setText(tr("Connect"));
    setDeviceComboTexts(index, tr("%1 - Not connected").arg(entry->ipText));

    if (ui->cobmoDrawProfiles->currentIndex() == index && !entry->listeningUDP) {
        ui->buttonDrawProfiles->setText(tr("Start"));
        ui->buttonDrawProfiles->setEnabled(false);
        ui->checkDumpUDP->setEnabled(false);
        ui->checkPixels->setEnabled(false);
    }
    if (ui->cobmoDrawImages->currentIndex() == index) {
        ui->buttonDrawImages->setText(tr("Start"));
        ui->buttonDrawImages->setEnabled(false);
    }

    ui->tabWidget_2->setTabEnabled(1, false);
    ui->tabWidget_2->setTabEnabled(2, false);
    showStatus(sensorMessage(*entry, tr("%1 (SN: %2): disconnected")));

    if (activeEntryCount() == 0) {
        ui->tabWidget->setTabEnabled(1, false);
        ui->tabWidget->setTabEnabled(2, false);
        ui->tabWidget->setCurrentIndex(0);
        ui->tabWidget_2->setCurrentIndex(0);
    }
}

void MainWindow::onConnected(unsigned char id)
{
    DeviceEntry* entry = entryAt(id);
    if (!entry)
        return;
    ui->buttonSearch->setEnabled(true);
    if (!entry->connecting) {
        m_perSec10Timer->start();
        return;
    }

    entry->connecting = false;
    setTableStatus(id, tr("Connected"));
    if (id == m_selectedIndex)
        ui->buttonConnect->setText(tr("Disconnect"));
    setDeviceComboTexts(id, tr("%1 - Connected").arg(entry->ipText));

    if (ui->cobmoDrawProfiles->currentIndex() == m_selectedIndex) {
        ui->buttonDrawProfiles->setText(tr("Start"));
        ui->buttonDrawProfiles->setEnabled(true);
    }
    if (ui->cobmoDrawImages->currentIndex() == m_selectedIndex) {
        ui->buttonDrawImages->setText(tr("Start"));
        ui->buttonDrawImages->setEnabled(true);
        ui->checkDumpUDP->setEnabled(true);
    }

    for (int tab : { 1, 2 }) {
        ui->tabWidget_2->setTabEnabled(tab, true);
        ui->tabWidget->setTabEnabled(tab, true);
    }
    ui->checkBox_MonitorPort->setChecked(false);

    showStatus(sensorMessage(*entry, tr("%1 (SN: %2): connected")));
    entry->connected = true;

    Sleep(150);
    readParamsToControls(id);
    Sleep(150);

    ui->imageWidget->setSelectionEnabled(entry->ls71() != nullptr);

    if (const VelaDevice::LS7xDevice* device = entry->device()) {
        const int halfX = device->GetMeasurementRangeXEMR() / 2;
        const int rangeZ = device->GetMeasurementRangeZ();
        ui->visualizerWidget->setRangeConstraints(QRectF(-halfX, rangeZ, 2 * halfX, -rangeZ));
        ui->visualizerWidget->blank(true);
    }

    m_perSec10Timer->start();
}

int MainWindow::activeEntryCount() const
{
    int count = 0;
    for (const auto& entry : m_entries) {
        if (entry->connected || entry->listeningUDP)
            ++count;
    }
    return count;
}

void MainWindow::showDeviceInfo(int index)
{
    DeviceEntry* entry = entryAt(index);
    if (!entry)
        return;
    ui->editInfo->setHtml(entry->infoPageHtml());
    ui->groupPixBrightnessThres->setEnabled(entry->ls71() == nullptr);
}

void MainWindow::showStatus(const QString& message)
{
    statusBar()->showMessage(message);
}

QString MainWindow::sensorMessage(const DeviceEntry& entry, const QString& text)
{
    return text.arg(entry.ipText).arg(entry.serialNumber);
}

void MainWindow::setTableStatus(int row, const QString& status)
{
    if (QTableWidgetItem* item = ui->tableDeviceList->item(row, 4))
        item->setText(status);
}

void MainWindow::setDeviceComboTexts(int index, const QString& text)
{
    ui->cobmoDrawProfiles->setItemText(index, text);
    ui->cobmoDrawImages->setItemText(index, text);
}
