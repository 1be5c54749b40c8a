#pragma once

#include <QObject>

// Runs one device search in the thread it has been moved to.
//
// foundDevice carries a pointer to a heap copy of one device-information block
// (VelaDevice::_UDP_DEVINFOBLOCK_PC) that the receiver takes over and deletes: the
// detector's own blocks die with the detector, long before a queued slot runs in the GUI
// thread. Connect exactly one receiver to it.
class SearchWorker : public QObject
{
    Q_OBJECT

public:
    // Receiver's thread, before reading a block: everything written to the blocks handed out so
    // far is seen. Qt's queue orders it already, but in a way the thread sanitizer cannot follow.
    static void acquireHandedOutBlocks();

public slots:
    void search();

signals:
    void foundDevice(void* block);
    void finished();
};
