// Bytes a client sends on an emulated scanner's control connection, arriving in pieces: the
// framing takes the requests, and the scanner carries out each one (parameter writes, flushes,
// firmware, FPGA table, results and images) and answers it.

#include "ControlFraming.h"
#include "FuzzInput.h"
#include "ScannerState.h"

#include <vector>

using namespace VelaEmulator;
using namespace VelaProtocol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const uint8_t setup = input.take<uint8_t>();
    const Model models[] = {Model::LS71, Model::LS74, Model::LS74B};
    const bool refuseWrites = setup & 4;
    const size_t piece = size_t(input.take<uint8_t>()) + 1;   // bytes per receive

    ScannerState state(models[(setup & 3) % 3], 740001, Flash(std::string()), nullptr);
    const uint8_t address[4] = {127, 0, 0, 1};
    state.boot(address, 6003, 6603, 0);

    std::vector<uint8_t> received;
    bool connected = true;
    const auto serve = [&](const FrameHeader& header, const uint8_t* payload) {
        Action action = Action::None;
        const Reply reply = state.handle(header.command, payload, header.length, refuseWrites, &action);
        // Every byte of the answer is read, as the socket would send it.
        uint8_t sum = 0;
        const auto* bytes = static_cast<const uint8_t*>(reply.data);
        for (uint32_t i = 0; reply.status == StatusOk && i < reply.size; ++i)
            sum = uint8_t(sum + bytes[i]);
        volatile uint8_t sink = sum;
        (void)sink;
        // A reboot or power off closes every connection.
        connected = action == Action::None;
        return connected;
    };
    while (connected && !input.empty()) {
        const QByteArray bytes = input.bytes(piece);
        received.insert(received.end(), bytes.begin(), bytes.end());
        const long consumed = takeRequests(received.data(), received.size(), serve);
        if (consumed < 0)
            break;   // the scanner hangs up
        received.erase(received.begin(), received.begin() + consumed);
    }
    return 0;
}
