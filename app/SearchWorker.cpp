#include "SearchWorker.h"

#include "Platform.h"

#include <VelaEthernetDetector.h>

#include <atomic>

namespace {
std::atomic<unsigned> blocksHandedOut{0};
}

void SearchWorker::acquireHandedOutBlocks()
{
    blocksHandedOut.load(std::memory_order_acquire);
}

void SearchWorker::search()
{
    {
        VelaDevice::VelaEthernetDetector detector;
        if (detector.Search(VelaDevice::DeviceTypeAll, 3) > 0 && detector.GetSize() >= 1) {
            for (int i = 0; i < detector.GetSize(); ++i) {
                auto* block = new VelaDevice::_UDP_DEVINFOBLOCK_PC(*detector[i]);
                blocksHandedOut.fetch_add(1, std::memory_order_release);
                emit foundDevice(block);
            }
        }
        Sleep(500);
    }
    emit finished();
}
