// A firmware file the user picks, uploaded by the device library to an emulated sensor of each
// model, which checks it: the whole path of the file from the disk to the sensor's verdict.

#include "FuzzInput.h"
#include "LS71Device.h"
#include "LS74Device.h"
#include "LS7xEmulator.h"
#include "QuietFlash.h"
#include "VelaEthernetDetector.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace VelaDevice;

namespace {

std::vector<_UDP_DEVINFOBLOCK_PC>& sensors()
{
    static std::unique_ptr<VelaEmulator::Emulator> emulator;
    static std::vector<_UDP_DEVINFOBLOCK_PC> blocks;
    if (!emulator) {
        VelaEmulator::EmulatorConfig config = VelaEmulator::EmulatorConfig::forTests();
        config.sensors = {{VelaEmulator::Model::LS71, 710001}, {VelaEmulator::Model::LS74, 740001},
                          {VelaEmulator::Model::LS74B, 750001}};
        config.stateDirectory = scratchFolder().toStdString();
        for (const VelaEmulator::SensorSpec& spec : config.sensors)
            writeQuietFlash(config.stateDirectory + "/" + VelaEmulator::modelName(spec.model) + "-"
                                + std::to_string(spec.serial) + ".state",
                            spec.model);
        emulator = std::make_unique<VelaEmulator::Emulator>(config);
        if (!emulator->start())
            std::abort();
        ::setenv("VELA_DEVICE_SEARCH", emulator->searchEndpoint().c_str(), 1);
        VelaEthernetDetector detector;
        for (int round = 0; round < 20 && detector.Search(DeviceTypeAll, 1) < 3; ++round) {
        }
        for (int i = 0; i < detector.GetSize(); ++i)
            blocks.push_back(*detector.GetDevBlock(i));
        if (blocks.size() != 3)
            std::abort();
        // LS71, LS74, LS74B, whatever order the answers came in.
        std::sort(blocks.begin(), blocks.end(), [](const _UDP_DEVINFOBLOCK_PC& a, const _UDP_DEVINFOBLOCK_PC& b) {
            return a.DeviceType < b.DeviceType;
        });
    }
    return blocks;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const _UDP_DEVINFOBLOCK_PC& block = sensors()[input.take<uint8_t>() % 3];
    const QByteArray path = writeScratchFile(QStringLiteral("upload.fw"), input.rest()).toUtf8();
    if (block.DeviceType == DeviceTypeLS71)
        LS71Device(&block).UpgradeFirmware(path.constData());
    else
        LS74Device(&block).UpgradeFirmware(path.constData());
    return 0;
}
