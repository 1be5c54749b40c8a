// The "Service" page: reboot, power off, firmware upgrade and the network speed test of the
// sensor in the device table's current row; and the wiring of the image, service, factory
// and recording controls.
#include "mainwindow.h"

#include "DeviceEntry.h"
#include "ImageGrabber.h"
#include "ImageViewer.h"
#include "UserDialogs.h"
#include "ui_mainwindow.h"

#include <LS71Streamer.h>
#include <LS74Device.h>
#include <LS74Streamer.h>

#include <QApplication>
#include <QTimer>

void MainWindow::onClickedRebootButton()
{
    runShutdownCommand(&VelaDevice::LS7xDevice::Reboot, tr("LS7xDevice::Reboot() failed"),
                       tr("%1 (SN: %2): reboot in progress..."));
}

void MainWindow::onClickedPowerOffButton()
{
    runShutdownCommand(&VelaDevice::LS7xDevice::PowerOff, tr("LS7xDevice::PowerOff() failed"),
                       tr("%1 (SN: %2): reboot in progress"));
}

// The command goes over the control connection; the streamer rests meanwhile so that no
// result read interleaves with it.
void MainWindow::runShutdownCommand(int (VelaDevice::LS7xDevice::*command)(),
                                    const QString& failure, const QString& success)
{
    const int row = ui->tableDeviceList->currentRow();
    const QPointer<DeviceEntry> entry = commandEntry();
    if (!entry)
        return;
    VelaDevice::LS74Device* device = entry->ls74();
    bool done = false;
    if (device) {
        const bool wasPaused = restEntryStreamer(*entry);
        done = (device->*command)() == 1;
        // A sensor that went down is disconnected below; its streamer rests until then.
        if (!done)
            restoreEntryStreamer(*entry, wasPaused);
    }
    if (!done) {
        UserDialogs::critical(this, tr("Error"), failure);
        return;
    }
    selectRow(row, ui->tableDeviceList->currentColumn());
    if (entry->connected)
        disconnectEntry(row);
    if (entry)
        showStatus(sensorMessage(*entry, success));
}

void MainWindow::onClickedUpgradeButton()
{
    // The dialog runs its own event loop, in which a new search may destroy the entry.
    const QPointer<DeviceEntry> entry = commandEntry();
    if (!entry)
        return;
    const QString path = UserDialogs::getOpenFileName(this, tr("Open file"), QString(),
                                                      tr("Firmware Update (*.fw)"));
    if (path.isEmpty() || !entry)
        return;
    VelaDevice::LS74Device* device = entry->ls74();
    if (!device) {
        UserDialogs::critical(this, tr("Error"), tr("Upgrade failed!"));
        return;
    }

    // The transfer holds the GUI thread; say so before it starts.
    showStatus(sensorMessage(*entry, tr("%1 (SN: %2): uploading firmware...")));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::processEvents();
    const bool wasPaused = restEntryStreamer(*entry);
    const bool done = device->UpgradeFirmware(path.toUtf8().constData()) != 0;
    restoreEntryStreamer(*entry, wasPaused);
    QApplication::restoreOverrideCursor();
    statusBar()->clearMessage();

    if (done)
        UserDialogs::information(this, tr("Success"),
                                 tr("Firmware upload successful. Please reboot device to apply upgrade."));
    else
        UserDialogs::critical(this, tr("Error"), tr("Upgrade failed!"));
}

void MainWindow::onClickedSpeedTestButton()
{
    const int row = ui->tableDeviceList->currentRow();
    DeviceEntry* entry = commandEntry();
    if (!entry || !entry->ls74Streamer())
        return;
    VelaStreamer::LS74Streamer* streamer = entry->ls74Streamer();

    if (entry->speedTest) {
        stopSpeedTest(*entry);
        return;
    }

    if (entry->acquiringProfiles) {
        ui->cobmoDrawProfiles->setCurrentIndex(row);
        stopProfiles(*entry);
    } else if (entry->acquiringImages) {
        stopImages(*entry);
    }
    ui->pushButton_SpeedTest->setText(tr("Stop"));
    entry->speedTest = true;
    AcquisitionStatistics& statistics = entry->statistics;
    statistics.frameTotal = 0;
    statistics.frameTotalLastSecond = 0;
    statistics.imageSeconds = 0;
    statistics.clearWindows();
    streamer->speedTestMode(true);
    streamer->resume();
    m_statisticsTimer->start();
}

void MainWindow::stopSpeedTest(DeviceEntry& entry)
{
    ui->pushButton_SpeedTest->setText(tr("Start"));
    entry.speedTest = false;
    if (VelaStreamer::LS74Streamer* streamer = entry.ls74Streamer()) {
        streamer->speedTestMode(false);
        streamer->pause();
    }
    // Gone once the window has begun to close.
    if (m_statisticsTimer)
        m_statisticsTimer->stop();
}

// Answers are counted as frames: the statistics tick turns that counter into the
// per-second ring the speed result averages.
void MainWindow::onRecvSpeedTestResponse(unsigned char id)
{
    if (DeviceEntry* entry = entryAt(id))
        ++entry->statistics.frameTotal;
}

// The controls of the image tab, the service page, the factory controls and the recording
// side of the result viewer.
void MainWindow::connectServiceControls()
{
    connect(m_imageGrabber, &ImageGrabber::readyImage, this, &MainWindow::onReadyImage);
    connect(ui->imageWidget, &ImageViewer::signalMouseMove, this,
            &MainWindow::onImageWidgetMouseMove);
    connect(ui->imageWidget, &ImageViewer::signalMousePress, this,
            &MainWindow::onImageWidgetMousePress);
    connect(ui->cobmoDrawImages, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &MainWindow::onChangeSelDrawImagesCombo);
    connect(ui->buttonDrawImages, &QPushButton::clicked, this,
            &MainWindow::onClickedDrawImagesButton);
    connect(ui->buttonSaveBitmap, &QPushButton::clicked, this,
            &MainWindow::onClickedSaveBitmapButton);

    connect(ui->buttonReboot, &QPushButton::clicked, this, &MainWindow::onClickedRebootButton);
    connect(ui->buttonShutdown, &QPushButton::clicked, this, &MainWindow::onClickedPowerOffButton);
    connect(ui->buttonUpgrade, &QPushButton::clicked, this, &MainWindow::onClickedUpgradeButton);
    connect(ui->pushButton_SpeedTest, &QPushButton::clicked, this,
            &MainWindow::onClickedSpeedTestButton);

    connect(ui->buttonWriteFactParams, &QPushButton::clicked, this,
            &MainWindow::onClickedWriteFactParamsButton);
    connect(ui->buttonFlushFactParams, &QPushButton::clicked, this,
            &MainWindow::onClickedFlushFactParamsButton);
    connect(ui->pushButtonResetFactParams, &QPushButton::clicked, this,
            &MainWindow::onClickedResetFactParamsButton);
    connect(ui->pushButton_FpgaAmpl_1, &QPushButton::clicked, this,
            &MainWindow::onClickedFpgaAmpl1Button);
    connect(ui->pushButton_FpgaAmpl_2, &QPushButton::clicked, this,
            &MainWindow::onClickedFpgaAmpl2Button);
    connect(ui->pushButton_FpgaAmpl_3, &QPushButton::clicked, this,
            &MainWindow::onClickedFpgaAmpl3Button);

    connect(ui->checkDumpUDP, &QCheckBox::stateChanged, this, &MainWindow::onTriggeredDumpUDPCheck);
    connect(ui->buttonSaveCSV, &QPushButton::clicked, this, &MainWindow::onClickedSaveCSVButton);
    connect(ui->checkUDP, &QCheckBox::stateChanged, this, &MainWindow::onTriggeredUDPCheck);
    connect(ui->checkBox_MonitorPort, &QCheckBox::stateChanged, this,
            &MainWindow::onTriggeredMonitorPortCheck);
    connect(ui->radioButton_TCP, &QRadioButton::clicked, this, &MainWindow::onClickedMonitorTCPRadio);
    connect(ui->radioButton_UDP, &QRadioButton::clicked, this, &MainWindow::onClickedMonitorUDPRadio);
}
