#include "ControlFraming.h"

#include <cstring>

namespace VelaEmulator {

using namespace VelaProtocol;

long takeRequests(const uint8_t* input, size_t size, const RequestHandler& serve)
{
    size_t consumed = 0;
    while (size - consumed >= sizeof(FrameHeader)) {
        FrameHeader header;
        std::memcpy(&header, input + consumed, sizeof header);
        if (header.magic != FrameMagic || header.length > MaxPayload)
            return -1;
        if (size - consumed < sizeof header + header.length)
            break;
        const uint8_t* payload = input + consumed + sizeof header;
        consumed += sizeof header + header.length;
        if (!serve(header, payload))
            break;
    }
    return long(consumed);
}

} // namespace VelaEmulator
