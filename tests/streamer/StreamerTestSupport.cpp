#include "StreamerTestSupport.h"

#include "SensorModel.h"
#include "VelaSocket.h"

namespace StreamerTest {

std::unique_ptr<Emulator> startEmulator(std::vector<SensorSpec> sensors, double resultRate)
{
    EmulatorConfig config = EmulatorConfig::forTests();
    config.sensors = std::move(sensors);
    config.resultRate = resultRate;
    auto emulator = std::make_unique<Emulator>(config);
    std::string error;
    if (!emulator->start(&error))
        qWarning("emulator did not start: %s", error.c_str());
    return emulator;
}

VelaDevice::_UDP_DEVINFOBLOCK_PC blockOf(const Emulator& emulator, int index)
{
    const SensorInfo info = emulator.sensor(index);
    uint8_t address[4];
    VelaNet::parseIPv4(info.address, address);
    return makeInfoBlock(info.model, info.serial, address, info.controlPort, info.firmwareVersion);
}

} // namespace StreamerTest
