// A recording given to the emulator for replay (dump, profile set or point-cloud file, damaged
// or not): checked for the model, then played through twice, as a looping replay does.

#include "FuzzInput.h"
#include "Recording.h"

#include <string>
#include <vector>

using namespace VelaEmulator;

namespace {

constexpr int MaxProfiles = 256;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const uint8_t setup = input.take<uint8_t>();
    const Model model = setup & 1 ? Model::LS71 : Model::LS74;
    const QString path = writeScratchFile(QStringLiteral("replay.bin"), input.rest());

    Recording recording;
    std::string error;
    std::vector<std::string> warnings;
    if (!recording.open(path.toStdString(), model, setup & 2, &error, &warnings))
        return 0;
    for (int pass = 0; pass < 2; ++pass) {
        float sum = 0;
        for (int i = 0; i < MaxProfiles && recording.next(); ++i) {
            for (int p = 0; p < 2 * recording.count(); ++p)
                sum += recording.points()[p];
            sum += float(recording.counterStep());
        }
        volatile float sink = sum;
        (void)sink;
        recording.rewind();
    }
    return 0;
}
