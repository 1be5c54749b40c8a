// Datagrams on the result port of a device object waiting for a result: any length and
// content, from the sensor's address or another, several in a row. A datagram taken is
// converted into points as the streamers do.

#include "FuzzInput.h"
#include "LS71Device.h"
#include "LS74Device.h"
#include "VelaProtocol.h"
#include "VelaSocket.h"
#include "private/DatagramChecks.h"

#include <cstring>

using namespace VelaDevice;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const uint8_t setup = input.take<uint8_t>();
    const bool ls71 = setup & 1;
    const uint16_t kind = (setup >> 1) & 1;
    // The block may name no serial number or no address (0 = any), as an unread block does.
    _UDP_DEVINFOBLOCK_PC block{};
    block.DeviceType = ls71 ? DeviceTypeLS71 : DeviceTypeLS74;
    const uint8_t sensorAddress[4] = {127, 0, 0, 12};
    if (!(setup & 4))
        std::memcpy(block.IPAddress, sensorAddress, 4);
    if (!(setup & 8)) {
        block.SerialNumber[0] = 0xA1;   // 740001
        block.SerialNumber[1] = 0x4A;
        block.SerialNumber[2] = 0x0B;
    }
    block.DiscreteValue = input.take<uint16_t>();
    const uint8_t otherAddress[4] = {127, 0, 0, 13};
    const sockaddr_in from = VelaNet::makeAddress(setup & 16 ? otherAddress : sensorAddress, 6003);

    LS71Device ls71Device(&block);
    LS74Device ls74Device(&block);
    const uint32_t resultSize = ls71 ? LS71Device::ProfileBufferSize : LS74Device::ProfileBufferSize;
    static uint8_t raw[LS74Device::ProfileBufferSize];
    static float pairs[LS74Device::ProfileValuesCount];
    while (!input.empty()) {
        const QByteArray datagram = input.chunk();
        const DatagramVerdict verdict = judgeResultDatagram(datagram.constData(), size_t(datagram.size()), from,
                                                            block, kind, resultSize);
        if (verdict != DatagramVerdict::Take)
            continue;
        std::memcpy(raw, datagram.constData() + sizeof(VelaProtocol::ResultHeader), resultSize);
        unsigned short count = 0;
        unsigned short measCounter = 0;
        unsigned short pckCounter = 0;
        if (ls71)
            ls71Device.ConvertResultToPoints(raw, pairs, &count, setup & 32);
        else
            ls74Device.ConvertResultToPoints(raw, pairs, &count, &measCounter, &pckCounter, setup & 32);
    }
    return 0;
}
