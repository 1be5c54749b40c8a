// Answers on the LP81's serial line: a stand-in sensor on a pseudo-terminal sends the input
// as the answers to the hello and to a run of single measurements, read by the device
// library's own calls.

#include "FakePeer.h"
#include "FuzzInput.h"
#include "LP81Device.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

using namespace VelaDevice;

namespace {

constexpr int Measurements = 8;

PeerProtocol serialProtocol()
{
    PeerProtocol protocol;
    protocol.headerSize = 3;
    protocol.payloadSize = [](const uint8_t*) { return size_t(0); };
    // Address, command, payload, checksum.
    protocol.answerSize = [](const uint8_t* request) {
        return size_t(3) + (request[1] == 1 ? sizeof(_VelaCOM_HELLO_ANSWER_) : 2);
    };
    return protocol;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const uint8_t address = input.take<uint8_t>();
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        std::abort();
    const std::string slave = ::ptsname(master);
    // Held open for the whole run: a master whose slave is not open yet reads as hung up.
    const int line = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (line < 0)
        std::abort();

    FakePeer sensor(serialProtocol(), input.rest());
    sensor.serveStream(master);   // the stand-in closes the master when the input is used up
    {
        LP81Device device(address);
        if (device.OpenPort(slave.c_str(), 115200)) {
            device.HelloCmd();
            _VelaCOM_HELLO_ANSWER_ hello;
            device.GetHelloAnswer(&hello);
            unsigned short raw = 0;
            for (int i = 0; i < Measurements; ++i)
                device.GetSingleMeasure(&raw);
            device.ClosePort();
        }
    }
    sensor.finish();
    ::close(line);
    return 0;
}
