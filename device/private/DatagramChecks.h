#pragma once

// How the device library judges the datagrams it receives: discovery answers and pushed
// results. Pure functions over the received bytes, so that hostile datagrams can be fed to
// them without a network (fuzz/); exported for that purpose only, not installed.

#include "VelaDeviceTypes.h"
#include "veladevice_global.h"

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace VelaDevice {

// Takes one datagram received during a search into the list of found sensors: only a whole
// answer of ours, of the type asked for, from a sensor not listed yet. `size` is the length
// the datagram had (a truncated receive reports more than the buffer holds; nothing beyond
// the answer's size is ever read). True when the list grew.
VELADEVICE_EXPORT bool takeDiscoveryAnswer(std::vector<_UDP_DEVINFOBLOCK_PC>& found, uint16_t deviceType,
                                           const void* datagram, size_t size);

enum class DatagramVerdict {
    Fail,       // short, oversized, foreign or of the wrong length: the read fails
    PassOver,   // another sensor's or another kind of result: wait for the next one
    Take,       // the result the reader waits for; it follows the header
};

// A datagram of `size` bytes received from `from` by a reader that waits for a result of the
// given kind and exactly resultSize bytes from the sensor of `sensor` (serial number and
// address; 0 = any). As above, `size` may exceed what a truncated receive stored; only the
// header is read.
VELADEVICE_EXPORT DatagramVerdict judgeResultDatagram(const void* datagram, size_t size, const sockaddr_in& from,
                                                      const _UDP_DEVINFOBLOCK_PC& sensor, uint16_t kind,
                                                      uint32_t resultSize);

} // namespace VelaDevice
