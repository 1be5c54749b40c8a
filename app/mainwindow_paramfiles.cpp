// The buttons under the parameter pages: read, write, flush and default the sensor's
// parameter block, and export it to or import it from a configuration file.
#include "mainwindow.h"

#include "ConfigFile.h"
#include "DeviceEntry.h"
#include "UserDialogs.h"
#include "ui_mainwindow.h"

#include <LS7xDevice.h>

#include <QFileInfo>

namespace {
constexpr int FlushConfigArea = 0;
constexpr int DefaultConfigArea = 1;
}

void MainWindow::onClickedReadParamsButton()
{
    if (commandEntry())
        readParamsToControls(ui->tableDeviceList->currentRow());
}

void MainWindow::onClickedWriteParamsButton()
{
    const QPointer<DeviceEntry> entry = commandEntry();
    if (!entry)
        return;
    m_paramsUpdating = true;
    if (writeControls(*entry) && entry)
        showStatus(sensorMessage(*entry, tr("%1 (SN: %2): parameters written")));
    m_paramsUpdating = false;
}

void MainWindow::onClickedFlushParamsButton()
{
    flushParams(FlushConfigArea);
}

void MainWindow::onClickedDefaultParamsButton()
{
    flushParams(DefaultConfigArea);
}

void MainWindow::flushParams(int area)
{
    const QPointer<DeviceEntry> entry = commandEntry();
    if (!entry)
        return;
    m_paramsUpdating = true;
    bool flushed = false;
    // The flush follows the write before the streamer may use the device again.
    const bool written = writeControls(*entry, [&flushed, area](VelaDevice::LS7xDevice& device) {
        flushed = device.FlushParams(area) == 1;
    });
    if (written) {
        if (!flushed)
            UserDialogs::critical(this, tr("Error"), tr("LS7xDevice::FlushParams() failed"));
        else if (area == FlushConfigArea && entry)
            showStatus(sensorMessage(*entry, tr("%1 (SN: %2): parameters flushed")));
    }
    m_paramsUpdating = false;
}

SensorConfig MainWindow::configFromControls(const DeviceEntry& entry) const
{
    SensorConfig config;
    config.laserLevel = entry.laserLevel;
    config.integrationTime = entry.exposureTime;
    config.pixelBrightnessThreshold = entry.pixelBrightnessThreshold;
    config.networkAddress = ui->ipctrlNetworkAddr->text();
    config.networkMask = ui->ipctrlNetworkMask->text();
    config.udpAddress = ui->ipctrlUDPAddr->text();
    config.udpPortNumber = ui->spinPort->value();
    config.udpFrequency = ui->comboFrequency->currentIndex();
    return config;
}

void MainWindow::onClickedExportParamsButton()
{
    // Dialogs run their own event loops, in which a new search may destroy the entry.
    const QPointer<DeviceEntry> entry = commandEntry();
    if (!entry)
        return;
    const QString chosen = UserDialogs::getSaveFileName(
        this, tr("Export"), QString::number(entry->serialNumber), tr("LS71 config (*.ls71)"));
    if (chosen.isEmpty() || !entry)
        return;
    const QString path = ConfigFile::withExtension(chosen);
    if (QFileInfo::exists(path)
        && UserDialogs::question(this, tr("Export"),
                                 tr("%1 already exists.\nDo you want to replace it?").arg(path),
                                 QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes)
        return;
    if (!entry)
        return;

    SensorConfig config = configFromControls(*entry);
    const VelaDevice::LS7xDevice* device = entry->device();
    config.hasWindow = device != nullptr;
    if (device)
        config.window = MeasurementWindow::of(*device);

    QString error;
    if (ConfigFile::write(path, entry->serialNumber, entry->macText, config, &error))
        showStatus(sensorMessage(*entry, tr("%1 (SN: %2): parameters successfully exported")));
    else
        showStatus(sensorMessage(*entry, tr("%1 (SN: %2): parameters not exported, %3 could not be "
                                            "written (%4); the file is as it was"))
                       .arg(path, error));
}

void MainWindow::onClickedImportParamsButton()
{
    const QPointer<DeviceEntry> entry = commandEntry();
    if (!entry)
        return;
    const QString path = UserDialogs::getOpenFileName(this, tr("Import"), QString(),
                                                      tr("LS71 config (*.ls71)"));
    if (path.isEmpty() || !entry)
        return;

    // What the file leaves out keeps what is shown now; the window becomes the whole frame.
    SensorConfig config = configFromControls(*entry);
    if (!ConfigFile::read(path, &config)) {
        showStatus(sensorMessage(*entry,
                                 tr("%1 (SN: %2): %3 is not a readable configuration file, nothing imported"))
                       .arg(path));
        return;
    }

    // Each slider that moves sends its value to the device at once; the slider clamps.
    ui->sliderLaserLevel->setValue(config.laserLevel);
    ui->sliderExposure->setValue(config.integrationTime);
    ui->sliderPixBrThres->setValue(config.pixelBrightnessThreshold);
    ui->ipctrlNetworkAddr->setText(config.networkAddress);
    ui->ipctrlNetworkMask->setText(config.networkMask);
    ui->ipctrlUDPAddr->setText(config.udpAddress);
    ui->spinPort->setValue(config.udpPortNumber);
    ui->comboFrequency->setCurrentIndex(config.udpFrequency);

    showWindowOnImage(config.window);
    if (VelaDevice::LS7xDevice* device = entry->device())
        config.window.applyTo(*device);

    if (writeControls(*entry) && entry)
        showStatus(sensorMessage(*entry, tr("%1 (SN: %2): parameters imported")));
    m_paramsUpdating = false;
}
