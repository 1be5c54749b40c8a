// The parameter controls: reading a sensor's parameter block into them, the interactive
// sliders and their commit by the 250 ms timer, writing the controls back, and the
// measurement window drawn on the camera image.
#include "mainwindow.h"

#include "DeviceEntry.h"
#include "MeasurementWindow.h"
#include "Platform.h"
#include "UserDialogs.h"
#include "ui_mainwindow.h"

#include <LS71Device.h>
#include <LS71Streamer.h>
#include <LS74Device.h>
#include <LS74Streamer.h>

#include <QTimer>

namespace {
// WriteParams attempts of one commit of the sliders. A refusing sensor answers at once and a
// vanished one within about a second, so the GUI thread is held for a few seconds at most;
// the user then reads that the change did not reach the sensor, and the next slider move or
// "Write config area" tries again.
constexpr int CommitWriteAttempts = 3;

// A running streamer sees its pause flag between two device calls; this long it may still be in
// the call it was making (a result read on a healthy link takes a few milliseconds).
constexpr int StreamerSettleMs = 100;

// Sampling mode items (after the two TCP variants are removed at first show).
constexpr int SamplingExternal = 1;
constexpr int SamplingInternal = 2;
constexpr int SamplingInternalTcp = 4;
}

void MainWindow::connectParameterControls()
{
    connect(ui->sliderLaserLevel, &QSlider::valueChanged, this,
            &MainWindow::onChangedLaserLevelSlider);
    connect(ui->sliderExposure, &QSlider::valueChanged, this, &MainWindow::onChangedExposureSlider);
    connect(ui->sliderPixBrThres, &QSlider::valueChanged, this,
            &MainWindow::onChangedPixelBrightnessSlider);
    connect(ui->comboSamplingMode, &QComboBox::currentIndexChanged, this,
            &MainWindow::onChangeSelSamplingModeCombo);
    connect(ui->label_ModbusMore, &QLabel::linkActivated, this, &MainWindow::onClickedMoreSettings);
    connect(ui->tabNetworkConfig_2, &QTabWidget::currentChanged, this,
            &MainWindow::onChangedTabNetworkConfig);
    connect(ui->buttonReadParams, &QPushButton::clicked, this,
            &MainWindow::onClickedReadParamsButton);
    connect(ui->buttonWriteParams, &QPushButton::clicked, this,
            &MainWindow::onClickedWriteParamsButton);
    connect(ui->buttonFlushParams, &QPushButton::clicked, this,
            &MainWindow::onClickedFlushParamsButton);
    connect(ui->buttonDefaultParams, &QPushButton::clicked, this,
            &MainWindow::onClickedDefaultParamsButton);
    connect(ui->buttonExportParams, &QPushButton::clicked, this,
            &MainWindow::onClickedExportParamsButton);
    connect(ui->buttonImportParams, &QPushButton::clicked, this,
            &MainWindow::onClickedImportParamsButton);
    // The image pages wire the viewer's other mouse signals; a second connection of the same
    // pair would write the window twice.
    connect(ui->imageWidget, &ImageViewer::signalFinishedRect, this,
            &MainWindow::onImageWidgetFinishedRect, Qt::UniqueConnection);
    connect(m_perSec10Timer, &QTimer::timeout, this, &MainWindow::firePerSec10Timer,
            Qt::UniqueConnection);
}

DeviceEntry* MainWindow::currentEntry() const
{
    return entryAt(ui->tableDeviceList->currentRow());
}

DeviceEntry* MainWindow::commandEntry()
{
    DeviceEntry* entry = currentEntry();
    if (entry && !entry->connected) {
        showStatus(sensorMessage(*entry, tr("%1 (SN: %2): not connected, nothing done; this page acts "
                                            "on the connected sensor only")));
        return nullptr;
    }
    return entry;
}

bool MainWindow::pauseEntryStreamer(const DeviceEntry& entry)
{
    bool wasPaused = true;
    entry.forStreamer([&wasPaused](auto& streamer) {
        wasPaused = streamer.isPaused();
        streamer.pause();
    });
    return wasPaused;
}

bool MainWindow::restEntryStreamer(const DeviceEntry& entry)
{
    const bool wasPaused = pauseEntryStreamer(entry);
    if (!wasPaused)
        Sleep(StreamerSettleMs);
    return wasPaused;
}

void MainWindow::restoreEntryStreamer(const DeviceEntry& entry, bool wasPaused)
{
    if (!wasPaused)
        entry.forStreamer([](auto& streamer) { streamer.resume(); });
}

void MainWindow::showWindowOnImage(const MeasurementWindow& window)
{
    ui->imageWidget->setRect(window.imageLeft(), window.imageTop(), window.imageRight(),
                             window.imageBottom());
}

void MainWindow::showWriteParamsFailure(const DeviceEntry& entry)
{
    UserDialogs::critical(this, tr("Error"),
                          entry.ls71() ? tr("LS71Device::WriteParams() failed")
                                       : tr("LS74Device::WriteParams() failed"));
}

void MainWindow::readParamsToControls(int row)
{
    DeviceEntry* entry = entryAt(row);
    if (!entry || !entry->connected)
        return;
    VelaDevice::LS7xDevice* device = entry->device();
    if (!device)
        return;

    // The streamer shares the device link; it is kept out while the block is read.
    const bool wasPaused = pauseEntryStreamer(*entry);
    const bool read = device->ReadParams() == 1;
    restoreEntryStreamer(*entry, wasPaused);
    showWindowOnImage(MeasurementWindow::of(*device));
    if (!entry->connected)
        return;
    // After a failed read the controls show the window's own copy of the block, which must
    // not go back to the sensor as if the user had changed it.
    const bool changedBefore = m_interactiveParamChanged;

    VelaDevice::LS74Device* ls74 = entry->ls74();
    ui->sliderLaserLevel->setValue(device->GetLaserLevel());
    onChangedLaserLevelSlider(ui->sliderLaserLevel->value());
    ui->sliderExposure->setValue(device->GetExposureTime());
    onChangedExposureSlider(ui->sliderExposure->value());
    if (ls74) {
        ui->sliderPixBrThres->setValue(ls74->GetPixelBrightnessThreshold());
        onChangedPixelBrightnessSlider(ui->sliderPixBrThres->value());
    }

    if (device->GetExternalResultSyncEnabled() == 1)
        ui->comboSamplingMode->setCurrentIndex(SamplingExternal);
    else if (device->GetUDPFrequency() != 0)
        ui->comboSamplingMode->setCurrentIndex(SamplingInternal);
    onChangeSelSamplingModeCombo(ui->comboSamplingMode->currentIndex());
    // Codes above 250 have no item: the combo then shows none.
    ui->comboFrequency->setCurrentIndex(device->GetUDPFrequency());

    readNetworkToControls(*device);

    ui->checkBox_CycleSync->setChecked(device->GetExternalMeasurementSyncEnabled() != 0);
    ui->buttonDefaultParams->setEnabled(true);
    if (ls74) {
        ui->groupPixBrightnessThres->setEnabled(true);
        ui->checkAutoExposure->setChecked(ls74->GetAutoExposureMode() != 0);
        ui->checkRawImage->setChecked(ls74->GetEnabledRawImageMode() != 0);
        ui->checkRawImage->setEnabled(true);
        ui->checkInterpolation->setChecked(ls74->GetEnabledInterpolation() != 0);
        ui->checkInterpolation->setEnabled(true);
        readLS74NetworkToControls(*ls74);
    } else {
        ui->groupPixBrightnessThres->setEnabled(false);
        ui->checkRawImage->setChecked(false);
        ui->checkRawImage->setEnabled(false);
        ui->checkInterpolation->setEnabled(false);
        ui->checkProfibus->setEnabled(false);
        ui->spinTcpDataPort->setEnabled(false);
    }

    entry->laserLevel = static_cast<quint8>(ui->sliderLaserLevel->value());
    entry->exposureTime = static_cast<quint16>(ui->sliderExposure->value());
    entry->pixelBrightnessThreshold = static_cast<quint8>(ui->sliderPixBrThres->value());
    ui->horizontalLayout_4->setEnabled(false);
    ui->comboBox_modbusTest->hide();
    ui->label_16->hide();
    if (!read)
        m_interactiveParamChanged = changedBefore;
    showStatus(sensorMessage(*entry, read ? tr("%1 (SN: %2): read settings")
                                          : tr("%1 (SN: %2): reading settings failed")));
}

// Only changes to the connected sensor are committed: the zeroed sliders of a disconnect, or
// a slider moved on the row of a sensor that is not connected, stay in that entry's device
// object until its next read.
void MainWindow::markInteractiveChange(const DeviceEntry& entry)
{
    if (entry.connected)
        m_interactiveParamChanged = true;
}

void MainWindow::onChangedLaserLevelSlider(int value)
{
    DeviceEntry* entry = currentEntry();
    if (!entry)
        return;
    m_paramsUpdating = true;
    entry->laserLevel = static_cast<quint8>(value);
    ui->laserLevelGroup->setTitle(tr("Laser level: %1").arg(value));
    if (VelaDevice::LS7xDevice* device = entry->device())
        device->SetLaserLevel(static_cast<unsigned char>(value));
    markInteractiveChange(*entry);
    m_paramsUpdating = false;
}

void MainWindow::onChangedExposureSlider(int value)
{
    DeviceEntry* entry = currentEntry();
    if (!entry)
        return;
    m_paramsUpdating = true;
    entry->exposureTime = static_cast<quint16>(value);
    ui->exposureGroup->setTitle(tr("Integration: %1 us").arg(value));
    // Under auto exposure the sensor chooses the exposure; the slider only follows it.
    if (entry->ls74() && entry->ls74()->GetAutoExposureMode() == 1) {
        m_paramsUpdating = false;
        return;
    }
    if (VelaDevice::LS7xDevice* device = entry->device())
        device->SetExposureTime(static_cast<unsigned short>(value));
    markInteractiveChange(*entry);
    m_paramsUpdating = false;
}

void MainWindow::onChangedPixelBrightnessSlider(int value)
{
    DeviceEntry* entry = currentEntry();
    if (!entry)
        return;
    m_paramsUpdating = true;
    entry->pixelBrightnessThreshold = static_cast<quint8>(value);
    ui->groupPixBrightnessThres->setTitle(tr("Pixel brightness threshold: %1").arg(value));
    if (VelaDevice::LS74Device* ls74 = entry->ls74())
        ls74->SetPixelBrightnessThreshold(static_cast<unsigned char>(value));
    markInteractiveChange(*entry);
    m_paramsUpdating = false;
}

void MainWindow::onChangeSelSamplingModeCombo(int index)
{
    const bool internal = index == SamplingInternal || index == SamplingInternalTcp;
    ui->comboFrequency->setVisible(internal);
    ui->label_SamplingFreq->setVisible(internal);
}

void MainWindow::firePerSec10Timer()
{
    DeviceEntry* entry = currentEntry();
    if (!entry || !entry->connected)
        return;
    VelaDevice::LS74Device* ls74 = entry->ls74();
    if (ls74 && ls74->GetAutoExposureMode() == 1) {
        unsigned short exposure = 0;
        if (ls74->GetAutoExposure(&exposure) == 1)
            ui->sliderExposure->setValue(exposure);
    }
    if (m_interactiveParamChanged)
        commitInteractiveParams(entry);
}

void MainWindow::commitInteractiveParams(DeviceEntry* entry)
{
    m_interactiveParamChanged = false;
    if (!entry->device())
        return;
    // Slots run during the waits; a new search there destroys the entry.
    const QPointer<DeviceEntry> alive(entry);
    const bool wasPaused = pauseEntryStreamer(*entry);
    waitWithEvents(100);
    if (!alive)
        return;
    bool written = false;
    for (int attempt = 0; attempt < CommitWriteAttempts && !written; ++attempt)
        written = alive->device()->WriteParams() == 1;
    waitWithEvents(100);
    if (!alive)
        return;
    restoreEntryStreamer(*alive, wasPaused);
    showStatus(sensorMessage(*alive, written
        ? tr("%1 (SN: %2): interactive parameter updated")
        : tr("%1 (SN: %2): interactive parameter not updated, the sensor did not accept it")));
}

bool MainWindow::writeControlsToDevice(int row)
{
    DeviceEntry* entry = entryAt(row);
    return entry && writeControls(*entry);
}

bool MainWindow::writeControls(DeviceEntry& target,
                               const std::function<void(VelaDevice::LS7xDevice&)>& whilePaused)
{
    const QPointer<DeviceEntry> entry = &target;
    VelaDevice::LS7xDevice* device = entry->device();
    if (device) {
        const bool wasPaused = pauseEntryStreamer(*entry);
        waitWithEvents(100);
        if (!entry)
            return false;

        if (VelaDevice::LS71Device* ls71 = entry->ls71())
            ls71->SetRotationAngle(entry->rotationAngle);
        VelaDevice::LS74Device* ls74 = entry->ls74();
        const int samplingMode = ui->comboSamplingMode->currentIndex();
        device->SetExternalResultSyncEnabled(samplingMode == SamplingExternal ? 1 : 0);
        const int frequency = ui->comboFrequency->currentIndex();
        // A frequency code without an item (above 250) is left as the sensor has it.
        if (samplingMode == SamplingInternal) {
            if (frequency >= 0)
                device->SetUDPFrequency(static_cast<unsigned char>(frequency));
        } else if (ls74) {
            device->SetUDPFrequency(0);
        }
        writeNetworkToDevice(*device);

        if (ls74) {
            ls74->SetAutoExposureMode(ui->checkAutoExposure->isChecked() ? 1 : 0);
            ls74->SetEnableRawImageMode(ui->checkRawImage->isChecked() ? 1 : 0);
            ls74->SetEnableInterpolation(ui->checkInterpolation->isChecked() ? 1 : 0);
            writeModbusServerToDevice(*ls74);
            ls74->SetExternalMeasurementSyncEnabled(ui->checkBox_CycleSync->isChecked() ? 1 : 0);
            ls74->SetTcpDataPort(static_cast<unsigned short>(ui->spinTcpDataPort->value()));
            writeModbusRecordToDevice(*ls74);
        }

        // On failure the streamer stays paused: the sensor's state is unknown.
        if (device->WriteParams() != 1) {
            showWriteParamsFailure(*entry);
            return false;
        }
        if (whilePaused)
            whilePaused(*device);
        waitWithEvents(100);
        if (entry)
            restoreEntryStreamer(*entry, wasPaused);
    }
    Sleep(250);
    return true;
}

void MainWindow::onImageWidgetFinishedRect(QPoint p1, QPoint p2)
{
    DeviceEntry* entry = commandEntry();
    if (!entry || !entry->device())
        return;
    VelaDevice::LS7xDevice* device = entry->device();
    const bool wasPaused = pauseEntryStreamer(*entry);
    Sleep(250);
    // A negative corner means the viewer holds no selection: the window is the whole frame.
    const bool selected = p1.x() >= 0;
    const MeasurementWindow window =
        selected ? MeasurementWindow::fromCorners(p1, p2) : MeasurementWindow();
    window.applyTo(*device);
    const bool written = device->WriteParams() == 1;
    Sleep(250);
    restoreEntryStreamer(*entry, wasPaused);

    if (!written)
        showWriteParamsFailure(*entry);
    else if (selected)
        showStatus(sensorMessage(*entry, tr("%1 (SN: %2): window parameters written")));
    else
        showStatus(sensorMessage(*entry, tr("%1 (SN: %2): window parameters set to default")));
}
