// Construction, the one-time initialisation at first show, the trimming of the form to the
// delivered edition, the shut-down, and the waits the window runs for its devices.
#include "mainwindow.h"

#include "CommandLine.h"
#include "DeviceEntry.h"
#include "ImageGrabber.h"
#include "Startup.h"
#include "ui_mainwindow.h"

#include <LS71Device.h>
#include <LS71Streamer.h>
#include <LS74Device.h>
#include <LS74Streamer.h>
#include <VelaDeviceLibrary.h>

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QShowEvent>
#include <QThread>
#include <QTimer>

namespace {
// Longest time a stop request may take before the window gives up waiting for a streamer.
// A loop only sees the request between two device calls, which time out well before this.
constexpr int StreamerStopTimeoutMs = 10000;
constexpr int StreamerStopPollMs = 200;

VelaDevice::LS7xDevice* deviceOf(VelaStreamer::LS71Streamer* streamer)
{
    return streamer->getLS71();
}

VelaDevice::LS7xDevice* deviceOf(VelaStreamer::LS74Streamer* streamer)
{
    return streamer->getLS74();
}
}

MainWindow::MainWindow(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
    , ui(std::make_unique<Ui::MainWindowClass>())
{
    initAppResources();
    ui->setupUi(this);
    m_dumpFileName = QStringLiteral("streamMeasure.bin");
    ui->cobmoDrawProfiles->setEnabled(false);
    ui->cobmoDrawImages->setEnabled(false);
}

MainWindow::~MainWindow()
{
    // Entries stop their own threads when they go; the grabber thread must not outlive us.
    m_entries.clear();
    if (m_imageGrabber) {
        m_imageGrabber->exit(0);
        m_imageGrabber->wait();
    }
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_firstShown)
        return;
    m_firstShown = true;
    initOnFirstShow();
}

void MainWindow::initOnFirstShow()
{
    setWindowTitle(tr("LS7x Series Setup Utility"));
    VelaDevice::Initialize();
    m_deviceLibraryOpen = true;

    const QString beamColorName = CommandLine::beamColorName();
    if (beamColorName.isEmpty())
        m_beamColor = QColor(QStringLiteral("red"));
    else
        m_beamColor.setNamedColor(beamColorName);
    m_beamColorRgb = m_beamColor.rgb();
    m_blackRgb = QColor(QStringLiteral("black")).rgb();

    ui->buttonConnect->setEnabled(false);
    QTableWidget* table = ui->tableDeviceList;
    const int widths[] = { 50, 70, 100, 120 };
    for (int column = 0; column < 4; ++column)
        table->setColumnWidth(column, widths[column]);
    table->setColumnWidth(4, table->width() - 345);

    connect(ui->buttonSearch, &QPushButton::clicked, this, &MainWindow::onClickedSearchButton);
    connect(ui->buttonConnect, &QPushButton::clicked, this, &MainWindow::onClickedConnectButton);
    connect(table, &QTableWidget::cellClicked, this, &MainWindow::onClickedDeviceTableCell);
    connect(table, &QTableWidget::cellDoubleClicked, this,
            &MainWindow::onDoubleClickedDeviceTableCell);

    ui->visualizerWidget->setBgColor(QColor(QStringLiteral("white")).rgb());
    ui->visualizerWidget->setEnableScale(true);

    ui->buttonDrawProfiles->setEnabled(false);
    ui->buttonDrawImages->setEnabled(false);

    m_statisticsTimer = new QTimer(this);
    m_statisticsTimer->setInterval(1000);
    m_perSec10Timer = new QTimer(this);
    m_perSec10Timer->setInterval(250);
    initResultViewer();

    m_imageGrabber = new ImageGrabber(this);
    m_imageGrabber->setColor(m_beamColor);
    m_imageGrabber->start(QThread::InheritPriority);

    ui->tabWidget->setTabEnabled(1, false);
    ui->checkBox_MonitorPort->setChecked(true);
    ui->buttonDrawProfiles->setEnabled(true);
    ui->checkUDP->setEnabled(false);
    ui->radioButton_UDP->setEnabled(true);
    ui->radioButton_TCP->setEnabled(true);
    ui->spinBox_MonitorPort->setEnabled(true);
    ui->radioButton_UDP->setChecked(true);
    ui->ipctrlMonitorPort->setEnabled(false);
    ui->tabWidget->setTabEnabled(2, false);

    ui->tabWidget_2->setTabEnabled(1, false);
    ui->tabWidget_2->setTabEnabled(2, false);
    ui->tabWidget_2->setTabEnabled(3, false);
    ui->tabWidget_2->setTabEnabled(4, true);

    connectParameterControls();
    connectServiceControls();

    ui->comboFrequency->addItem(tr("disable"));
    for (int hz = 1; hz <= 250; ++hz)
        ui->comboFrequency->addItem(tr("%1 Hz").arg(hz));

    ui->buttonSaveBitmap->setEnabled(false);
    ui->checkDumpUDP->setEnabled(false);
    ui->buttonSaveCSV->setEnabled(false);

    ui->ipctrlMonitorPort->setText(QStringLiteral("192.168.1.235"));
    m_monitorMode = false;

    ui->labelVersionInfo->setText(
        tr("Ver. %1-USER-%2").arg(QStringLiteral("20140604"), QStringLiteral("release")));

    trimToReleaseEdition();

    ui->tableDeviceList->setEnabled(false);
    showStatus(tr("Ready."));

    if (CommandLine::wantsAutoSearch())
        ui->buttonSearch->click();
    ui->buttonSearch->setFocus();

    ui->groupBox_Network->setFixedHeight(148);
    ui->tabNetworkConfig_2->setFixedHeight(121);
    ui->label_ModbusMore->show();
}

void MainWindow::trimToReleaseEdition()
{
    ui->tabWidget->removeTab(5); // Test

    for (QWidget* monitorControl : { static_cast<QWidget*>(ui->checkBox_MonitorPort),
                                     static_cast<QWidget*>(ui->spinBox_MonitorPort),
                                     static_cast<QWidget*>(ui->radioButton_TCP),
                                     static_cast<QWidget*>(ui->radioButton_UDP),
                                     static_cast<QWidget*>(ui->label_MonitorAddr),
                                     static_cast<QWidget*>(ui->ipctrlMonitorPort) })
        monitorControl->hide();
    ui->label_46->hide(); // "Data port:"
    ui->spinTcpDataPort->hide();
    ui->groupBox_8->hide(); // "Test network speed:"

    ui->comboSamplingMode->removeItem(4);
    ui->comboSamplingMode->removeItem(3);

    ui->tabWidget->removeTab(4); // Radius Tracking
    ui->tabWidget->removeTab(3); // Calibration
    ui->tabWidget_2->removeTab(4); // Calibration
    ui->tabWidget_2->removeTab(3); // Factory

    ui->label_AvgMsrRate->setText(tr("Measurements per sec.:"));
    ui->label_AvgPckRate->setText(tr("Packets per sec.:"));
    ui->label_AvgFrameRate->setText(tr("Frames per sec.:"));
    for (QWidget* instantRate : { ui->msrRateLabel, ui->label_MsrRate, ui->pckRateLabel,
                                  ui->label_PckRate, ui->frameRateLabel, ui->label_FrameRate })
        instantRate->hide();

    for (QWidget* developmentControl : { static_cast<QWidget*>(ui->pushButton_FpgaAmpl_1),
                                         static_cast<QWidget*>(ui->pushButton_FpgaAmpl_2),
                                         static_cast<QWidget*>(ui->pushButton_FpgaAmpl_3),
                                         static_cast<QWidget*>(ui->groupFactoryService),
                                         static_cast<QWidget*>(ui->checkPixels) })
        developmentControl->hide();

    for (int item = 9; item >= 5; --item)
        ui->comboFilter->removeItem(item);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_statisticsTimer) {
        m_statisticsTimer->stop();
        delete m_statisticsTimer;
        m_statisticsTimer = nullptr;
    }
    if (m_imageGrabber)
        m_imageGrabber->exit(0);
    // A search still running uses the device library; let it end before the library does.
    waitForSearchToEnd();
    disconnectAll();
    if (m_deviceLibraryOpen) {
        VelaDevice::Cleanup();
        m_deviceLibraryOpen = false;
    }
    event->accept();
}

void MainWindow::waitWithEvents(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void MainWindow::stopStreamer(VelaStreamer::LS71Streamer* streamer)
{
    stopStreamerThread(streamer);
}

void MainWindow::stopStreamer(VelaStreamer::LS74Streamer* streamer)
{
    stopStreamerThread(streamer);
}

// Waits for the thread itself rather than the loop flag alone: a run that has not reached
// its loop yet clears any earlier stop request, so the request is repeated at every wait,
// and the device is only disconnected once no thread uses it any more.
template <class Streamer>
void MainWindow::stopStreamerThread(Streamer* streamer)
{
    if (!streamer)
        return;
    // Slots run during the waits and may destroy the entry that owns the streamer.
    QPointer<Streamer> alive(streamer);
    QElapsedTimer elapsed;
    elapsed.start();
    while (alive && alive->isRunning() && elapsed.elapsed() < StreamerStopTimeoutMs) {
        alive->shutdown();
        waitWithEvents(StreamerStopPollMs);
    }
    if (!alive || alive->isRunning())
        return;
    if (VelaDevice::LS7xDevice* device = deviceOf(alive.data()))
        device->Disconnect();
}
