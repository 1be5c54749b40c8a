// The device search, the device list built from its results, and the wiring of each
// entry's streamer to the window.
#include "mainwindow.h"

#include "DeviceEntry.h"
#include "SearchWorker.h"
#include "ui_mainwindow.h"

#include <LS71Streamer.h>
#include <LS74Streamer.h>

#include <QThread>
#include <QTimer>

#include <type_traits>

void MainWindow::onClickedSearchButton()
{
    ui->buttonSearch->setEnabled(false);
    disconnectAll();

    auto* thread = new QThread;
    auto* worker = new SearchWorker;
    worker->moveToThread(thread);
    auto* progressTimer = new QTimer(this);
    progressTimer->setInterval(30);

    connect(thread, &QThread::started, worker, &SearchWorker::search);
    connect(worker, &SearchWorker::finished, thread, &QThread::quit);
    connect(worker, &SearchWorker::finished, this, &MainWindow::onSearchComplete);
    connect(worker, &SearchWorker::finished, worker, &QObject::deleteLater);
    connect(worker, &SearchWorker::finished, progressTimer, &QObject::deleteLater);
    connect(worker, &SearchWorker::finished, progressTimer, &QTimer::stop);
    connect(worker, &SearchWorker::foundDevice, this, &MainWindow::onFoundDevice);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(progressTimer, &QTimer::timeout, this, &MainWindow::stepProgress);

    ui->tableDeviceList->setEnabled(false);
    m_searchThread = thread;
    m_searching = true;
    thread->start();
    progressTimer->start();
    showStatus(tr("Searching..."));
}

void MainWindow::stepProgress()
{
    ui->progressBar->setValue(ui->progressBar->value() + 1);
}

void MainWindow::onFoundDevice(void* block)
{
    SearchWorker::acquireHandedOutBlocks();
    const std::unique_ptr<VelaDevice::_UDP_DEVINFOBLOCK_PC> found(
        static_cast<VelaDevice::_UDP_DEVINFOBLOCK_PC*>(block));
    const int index = entryCount();
    m_entries.push_back(std::make_unique<DeviceEntry>(*found));
    DeviceEntry* entry = m_entries.back().get();
    entry->forStreamer([this, entry, index](auto& streamer) {
        streamer.setId(static_cast<unsigned char>(index));
        connectStreamerSignals(entry, &streamer);
    });
    appendDeviceRow(*entry);
    const QString item = tr("%1 - Not connected").arg(entry->ipText);
    ui->cobmoDrawProfiles->addItem(item);
    ui->cobmoDrawImages->addItem(item);
}

// A streamer's signal reaches its slot only while the entry that owns the streamer is in
// the list at the id the signal carries. The entry is the connections' context, so signals
// still queued when it is destroyed are dropped with it. Profiles and images are emitted in
// this thread, a few at a time, and are taken directly (the default connection): queuing each
// again would cost a posted event per profile.
template <class Streamer>
void MainWindow::connectStreamerSignals(DeviceEntry* entry, Streamer* streamer)
{
    const auto forEntry = [this, entry](auto slot) {
        return [this, entry, slot](unsigned char id, auto... rest) {
            if (entryAt(id) == entry)
                (this->*slot)(id, rest...);
        };
    };
    connect(streamer, &Streamer::connected, entry, forEntry(&MainWindow::onConnected),
            Qt::QueuedConnection);
    connect(streamer, &Streamer::complete, entry, forEntry(&MainWindow::onStreamEnded),
            Qt::QueuedConnection);
    connect(streamer, qOverload<uchar, const void*, ushort, ushort>(&Streamer::receivedProfile),
            entry, forEntry(&MainWindow::onRecvProfile));
    connect(streamer, &Streamer::readError, entry, forEntry(&MainWindow::onReadError),
            Qt::QueuedConnection);
    connect(streamer, &Streamer::receivedImage, entry, forEntry(&MainWindow::onRecvImage));
    if constexpr (std::is_same_v<Streamer, VelaStreamer::LS74Streamer>)
        connect(streamer, &Streamer::receivedSpeedTestResponse, entry,
                forEntry(&MainWindow::onRecvSpeedTestResponse), Qt::QueuedConnection);
}
// Monitor mode wires its own LS74 entry.
template void MainWindow::connectStreamerSignals(DeviceEntry*, VelaStreamer::LS74Streamer*);

void MainWindow::appendDeviceRow(const DeviceEntry& entry)
{
    QTableWidget* table = ui->tableDeviceList;
    const int row = table->rowCount();
    table->insertRow(row);
    const QString cells[] = { QString::number(entry.typeCode()),
                              QString::number(entry.serialNumber), entry.ipText, entry.macText,
                              tr("Not connected") };
    for (int column = 0; column < 5; ++column)
        table->setItem(row, column, new QTableWidgetItem(cells[column]));
}

void MainWindow::onSearchComplete()
{
    m_searching = false;
    ui->buttonSearch->setEnabled(true);
    ui->tableDeviceList->setEnabled(true);
    if (!m_entries.empty()) {
        onClickedDeviceTableCell(0, 1);
        ui->buttonConnect->setFocus();
        showStatus(tr("Found %1 devices.").arg(entryCount()));
    } else {
        showStatus(tr("Nothing found."));
    }
    ui->progressBar->setValue(0);
    ui->buttonSearch->setEnabled(true);
}

void MainWindow::waitForSearchToEnd()
{
    while (m_searching)
        waitWithEvents(50);
    if (m_searchThread)
        m_searchThread->wait();
}

void MainWindow::disconnectAll()
{
    // Each entry leaves the list before its streamer is stopped: signals that arrive during
    // the stop no longer find it, and nothing else can destroy it meanwhile.
    while (!m_entries.empty()) {
        endAcquisition(*m_entries.back());
        const std::unique_ptr<DeviceEntry> entry = std::move(m_entries.back());
        m_entries.pop_back();
        ui->tableDeviceList->removeRow(entryCount());
        entry->forStreamer([this](auto& streamer) { stopStreamer(&streamer); });
    }
    m_selectedIndex = -1;
    ui->buttonConnect->setText(tr("Connect"));
    ui->buttonConnect->setEnabled(false);
    ui->buttonDrawProfiles->setText(tr("Start"));
    ui->buttonDrawProfiles->setEnabled(false);
    ui->cobmoDrawProfiles->clear();
    ui->cobmoDrawImages->clear();
    ui->editInfo->clear();
    for (int tab : { 1, 2 }) {
        ui->tabWidget->setTabEnabled(tab, false);
        ui->tabWidget_2->setTabEnabled(tab, false);
    }
}

DeviceEntry* MainWindow::entryAt(int index) const
{
    if (index < 0 || index >= entryCount())
        return nullptr;
    return m_entries[static_cast<size_t>(index)].get();
}
