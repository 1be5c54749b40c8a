// Factory parameter flushes and the FPGA test patterns. The controls are hidden in the
// delivered edition but work when shown.
#include "mainwindow.h"

#include "DeviceEntry.h"
#include "UserDialogs.h"
#include "ui_mainwindow.h"

#include <LS71Streamer.h>
#include <LS74Device.h>
#include <LS74Streamer.h>

#include <array>

namespace {
// Camera columns the FPGA table holds a gain for.
constexpr int FpgaColumns = 640;

unsigned char risingRamp(int column)
{
    return static_cast<unsigned char>(column % 256);
}

unsigned char alternatingGain(int column)
{
    return column % 2 == 0 ? 255 : 128;
}

unsigned char fullGain(int)
{
    return 255;
}
}

void MainWindow::onClickedWriteFactParamsButton() {}

void MainWindow::onClickedFlushFactParamsButton()
{
    flushFactoryParams(0, tr("LS7xDevice::FlushFactoryParams() failed"));
}

void MainWindow::onClickedResetFactParamsButton()
{
    flushFactoryParams(1, tr("LS7xDevice::FlushFactoryParams(1) failed"));
}

void MainWindow::flushFactoryParams(int mode, const QString& failure)
{
    DeviceEntry* entry = commandEntry();
    if (!entry)
        return;
    VelaDevice::LS74Device* ls74 = entry->ls74();
    bool done = false;
    // The flush follows the write before the streamer may use the device again.
    const bool written = writeControls(*entry, [ls74, mode, &done](VelaDevice::LS7xDevice&) {
        done = ls74 && ls74->FlushFactoryParams(mode) == 1;
    });
    if (written && !done)
        UserDialogs::critical(this, tr("Error"), failure);
}

void MainWindow::onClickedFpgaAmpl1Button()
{
    writeFpgaPattern(tr("MainWindow::onClickedFpgaAmpl1Button"), risingRamp);
}

void MainWindow::onClickedFpgaAmpl2Button()
{
    writeFpgaPattern(tr("MainWindow::onClickedFpgaAmpl2Button"), alternatingGain);
}

void MainWindow::onClickedFpgaAmpl3Button()
{
    writeFpgaPattern(tr("MainWindow::onClickedFpgaAmpl3Button"), fullGain);
}

void MainWindow::writeFpgaPattern(const QString& status, unsigned char (*pattern)(int column))
{
    showStatus(status);
    DeviceEntry* entry = commandEntry();
    VelaDevice::LS74Device* device = entry ? entry->ls74() : nullptr;
    if (!device)
        return;
    std::array<unsigned char, VelaDevice::LS74Device::FpgaParamsSize> table {};
    const bool wasPaused = restEntryStreamer(*entry);
    device->ReadFpgaParams(table.data());
    for (int column = 0; column < FpgaColumns; ++column)
        table[column] = pattern(column);
    device->WriteFpgaParams(table.data());
    device->FlushFpgaParams(0);
    restoreEntryStreamer(*entry, wasPaused);
}
