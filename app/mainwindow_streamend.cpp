// The end of a sensor's stream, normal or not.
#include "mainwindow.h"

#include "DeviceEntry.h"
#include "ui_mainwindow.h"

namespace {
QString streamEndReason(unsigned char rc)
{
    switch (rc) {
    case 1: return MainWindow::tr("Out of memory");
    case 2: return MainWindow::tr("TCP connect failed");
    case 3: return MainWindow::tr("Invalid port number");
    case 4: return MainWindow::tr("UDP connect failed");
    case 5: return MainWindow::tr("Connection lost");
    default: return QString();
    }
}
}

void MainWindow::onStreamEnded(unsigned char id, unsigned char rc)
{
    if (m_monitorMode)
        return;
    DeviceEntry* entry = entryAt(id);
    if (!entry)
        return;
    const QString message =
        sensorMessage(*entry, tr("%1 (SN: %2): Stream ended abnormally; rc=%3 (%4)"))
            .arg(rc)
            .arg(streamEndReason(rc));
    // A sensor that never reported "connected" keeps its connecting mark until the next
    // search rebuilds the list.
    if (entry->connected) {
        selectRow(id, 1);
        disconnectEntry(id);
    } else {
        endAcquisition(*entry);
        setTableStatus(id, tr("Not connected"));
    }
    // Shown last: the disconnect reports itself too, and the reason of the end must stay.
    if (rc != 0)
        showStatus(message);
    ui->buttonSearch->setEnabled(true);
}
