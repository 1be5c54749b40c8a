#pragma once

#include "VelaProtocol.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace VelaEmulator {

// Called with each complete request; false stops the taking.
using RequestHandler = std::function<bool(const VelaProtocol::FrameHeader& header, const uint8_t* payload)>;

// Takes the complete control requests at the front of the bytes a client sent, in order,
// handing each to `serve` until it returns false. Answers the bytes taken (an incomplete
// request waits for more), or -1 when the bytes are not our protocol and the sensor hangs up.
long takeRequests(const uint8_t* input, size_t size, const RequestHandler& serve);

} // namespace VelaEmulator
