// A scanner's state file, whatever it holds: the emulated scanner starts from it and then
// measures, makes results, pixel lines and frames with the parameters it loaded.

#include "Flash.h"
#include "FuzzInput.h"
#include "ScannerState.h"

#include <chrono>

using namespace VelaEmulator;
using namespace VelaProtocol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const Model models[] = {Model::LS71, Model::LS74, Model::LS74B};
    const Model model = models[input.take<uint8_t>() % 3];
    const QString path = writeScratchFile(QStringLiteral("scanner.state"), input.rest());

    ScannerState state(model, 740001, Flash(path.toStdString()), nullptr);
    const uint8_t address[4] = {127, 0, 0, 1};
    state.boot(address, 6003, 6603, 0);
    volatile double rate = state.samplingRate();
    (void)rate;
    state.nextResult(std::chrono::steady_clock::now());
    Action action = Action::None;
    const uint32_t on = 1;
    for (const uint16_t command : {CmdReadParams, CmdGetResult, CmdGetImage, CmdSetCalibrationMode, CmdGetPixels,
                                   CmdReadFpga, CmdGetAutoExposure}) {
        const uint32_t length = command == CmdSetCalibrationMode ? 4 : 0;
        state.handle(command, reinterpret_cast<const uint8_t*>(&on), length, false, &action);
    }
    return 0;
}
