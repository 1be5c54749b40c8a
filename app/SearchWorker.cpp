#include "SearchWorker.h"

#include "Platform.h"

#include <VelaEthernetDetector.h>

void SearchWorker::search()
{
    {
        VelaDevice::VelaEthernetDetector detector;
        if (detector.Search(VelaDevice::DeviceTypeAll, 3) > 0 && detector.GetSize() >= 1) {
            for (int i = 0; i < detector.GetSize(); ++i)
                emit foundDevice(new VelaDevice::_UDP_DEVINFOBLOCK_PC(*detector[i]));
        }
        Sleep(500);
    }
    emit finished();
}
