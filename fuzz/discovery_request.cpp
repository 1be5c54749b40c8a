// Datagrams on the emulator's discovery port: any length and content, several in a row, each
// answered by the scanners it asks for.

#include "Discovery.h"
#include "FuzzInput.h"
#include "QuietFlash.h"
#include "Scanner.h"

#include <cstdlib>
#include <memory>
#include <vector>

using namespace VelaEmulator;

namespace {

const std::vector<std::unique_ptr<Scanner>>& scanners()
{
    static std::vector<std::unique_ptr<Scanner>> list = [] {
        std::vector<std::unique_ptr<Scanner>> made;
        uint32_t serial = 1;
        for (const Model model : {Model::LS71, Model::LS74, Model::LS74B}) {
            ScannerSetup setup;
            setup.model = model;
            setup.serial = serial++;
            setup.address[3] = 1;
            setup.controlPort = 0;
            setup.hostPort = 0;
            setup.tcpDataPort = 0;
            setup.statePath = (scratchFolder() + QStringLiteral("/%1.state").arg(setup.serial)).toStdString();
            writeQuietFlash(setup.statePath, model);
            made.push_back(std::make_unique<Scanner>(std::move(setup)));
            if (!made.back()->start(nullptr))
                std::abort();
        }
        return made;
    }();
    return list;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    while (!input.empty()) {
        const QByteArray datagram = input.chunk();
        const std::optional<uint16_t> filter = discoveryFilter(datagram.constData(), size_t(datagram.size()));
        if (!filter)
            continue;
        for (const auto& scanner : scanners()) {
            VelaProtocol::DiscoveryAnswer answer;
            scanner->discoveryAnswer(*filter, &answer);
        }
    }
    return 0;
}
