// Datagrams a search receives on its port: any length, any content, several in a row. Every
// sensor found becomes a device object as the application makes one, and converts a result
// through the information block it was made from (the LS71's steps per mm come from there).

#include "FuzzInput.h"
#include "LS71Device.h"
#include "LS74Device.h"
#include "VelaProtocol.h"
#include "private/DatagramChecks.h"

#include <vector>

using namespace VelaDevice;

namespace {

template<class Raw> const Raw& patternResult()
{
    static Raw raw = [] {
        Raw r{};
        auto* bytes = reinterpret_cast<uint8_t*>(&r);
        for (size_t i = 0; i < sizeof r; ++i)
            bytes[i] = uint8_t(i * 7 + 1);
        return r;
    }();
    return raw;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const uint16_t filter = input.take<uint16_t>();
    std::vector<_UDP_DEVINFOBLOCK_PC> found;
    while (!input.empty()) {
        const QByteArray datagram = input.chunk();
        takeDiscoveryAnswer(found, filter, datagram.constData(), size_t(datagram.size()));
    }

    static float pairs[LS74Device::ProfileValuesCount];
    unsigned short count = 0;
    for (const _UDP_DEVINFOBLOCK_PC& block : found) {
        if (block.DeviceType == DeviceTypeLS71) {
            LS71Device device(&block);
            device.ConvertResultToPoints(&patternResult<VelaProtocol::LS71RawResult>(), pairs, &count, 1);
        } else if (block.DeviceType == DeviceTypeLS74 || block.DeviceType == DeviceTypeLS74Compatible) {
            LS74Device device(&block);
            device.ConvertResultToPoints(&patternResult<VelaProtocol::LS74RawResult>(), pairs, &count,
                                         nullptr, nullptr, 0);
        }
    }
    return 0;
}
