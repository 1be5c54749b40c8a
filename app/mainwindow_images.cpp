// The "Image Viewer" tab: start and stop of image acquisition, routing and conversion of
// frames, the mouse position on the image, and snapshots.
#include "mainwindow.h"

#include "DeviceEntry.h"
#include "FileNameRules.h"
#include "ImageGrabber.h"
#include "ImageViewer.h"
#include "UserDialogs.h"
#include "ui_mainwindow.h"

#include <LS71Streamer.h>
#include <LS74Streamer.h>

#include <QFileInfo>
#include <QTimer>

namespace {
// The tab that shows the converted frames.
constexpr int ImageViewerTab = 2;
// A frame id that every selection accepts.
constexpr unsigned char AnyDeviceId = 255;
}

void MainWindow::onRecvImage(unsigned char id, const void* lpData)
{
    if (m_paramsUpdating)
        return;
    const int selected = ui->cobmoDrawImages->currentIndex();
    DeviceEntry* entry = entryAt(selected);
    if (!entry || (id != selected && id != AnyDeviceId))
        return;
    ++entry->statistics.frameTotal;
    if (ui->tabWidget->currentIndex() != ImageViewerTab)
        return;
    ui->frameCounterLabel->setText(QString::number(entry->statistics.frameTotal));
    m_imageGrabber->postImage(lpData, 0);
}

void MainWindow::onReadyImage(const QImage* image)
{
    ui->imageWidget->setImage(image);
}

void MainWindow::onChangeSelDrawImagesCombo(int index)
{
    DeviceEntry* entry = entryAt(index);
    if (!entry)
        return;
    QPushButton* button = ui->buttonDrawImages;
    if (!entry->connected || entry->listeningUDP) {
        button->setEnabled(false);
        button->setText(tr("Start"));
        return;
    }
    button->setEnabled(true);
    button->setText(entry->acquiringImages ? tr("Stop") : tr("Start"));
    readParamsToControls(index);
}

void MainWindow::onClickedDrawImagesButton()
{
    DeviceEntry* entry = entryAt(ui->cobmoDrawImages->currentIndex());
    if (!entry)
        return;
    if (entry->acquiringImages) {
        stopImages(*entry);
        return;
    }

    m_beamColor = entry->displayColor;
    m_beamColorRgb = m_beamColor.rgb();
    m_imageGrabber->setColor(m_beamColor);
    if (entry->acquiringProfiles)
        stopProfiles(*entry);
    entry->forStreamer([](auto& streamer) { streamer.readImages(true); });
    entry->acquiringImages = true;
    ui->buttonDrawImages->setText(tr("Stop"));
    ui->checkUDP->setEnabled(false);
    ui->checkPixels->setEnabled(false);
    entry->forStreamer([](auto& streamer) { streamer.resume(); });
    m_statisticsTimer->start();
    ui->buttonSaveBitmap->setEnabled(true);
}

void MainWindow::stopImages(DeviceEntry& entry)
{
    entry.acquiringImages = false;
    entry.forStreamer([](auto& streamer) { streamer.pause(); });
    entry.statistics.clearWindows();
    // The controls belong to the sensor the combo shows.
    if (entryAt(ui->cobmoDrawImages->currentIndex()) != &entry)
        return;
    ui->checkUDP->setEnabled(true);
    ui->checkPixels->setEnabled(true);
    ui->buttonDrawImages->setText(tr("Start"));
    ui->buttonSaveBitmap->setEnabled(false);
}

void MainWindow::onImageWidgetMouseMove(QPoint p1, QPoint p2)
{
    showStatus(tr("%1,%2 : %3,%4").arg(p1.x()).arg(p1.y()).arg(p2.x()).arg(p2.y()));
}

void MainWindow::onImageWidgetMousePress(Qt::MouseButton, QPoint, Qt::KeyboardModifiers) {}

void MainWindow::onClickedSaveBitmapButton()
{
    const QString bmpFilter = tr("Bitmap files (*.bmp)");
    const QString pngFilter = tr("PNG files (*.png)");
    QString selectedFilter = bmpFilter;
    const QString chosen = UserDialogs::getSaveFileName(
        this, tr("Save bitmap"), QStringLiteral("snapshot"),
        bmpFilter + QStringLiteral(";;") + pngFilter, &selectedFilter);
    if (chosen.isEmpty())
        return;

    const QString path = FileNameRules::withExtension(
        chosen, selectedFilter == pngFilter ? QStringLiteral("png") : QStringLiteral("bmp"));

    if (QFileInfo::exists(path)
        && UserDialogs::question(this, tr("Save bitmap"),
                                 tr("%1 already exists.\nDo you want to replace it?").arg(path),
                                 QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes)
        return;

    QString error;
    if (ui->imageWidget->save(path, &error))
        showStatus(tr("Saved snapshot to %1").arg(path));
    else
        showStatus(tr("Could not save snapshot to %1 (%2); the file is as it was").arg(path, error));
}
