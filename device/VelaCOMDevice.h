#pragma once

#include "veladevice_global.h"

#include <mutex>

namespace VelaDevice {

// A sensor on a serial line (or a pseudo-terminal). Every exchange is bounded by the
// library's time-out (a second); calls are serialised per object.
class VELADEVICE_EXPORT VelaCOMDevice
{
public:
    VelaCOMDevice();
    virtual ~VelaCOMDevice();
    VelaCOMDevice(const VelaCOMDevice&) = delete;
    VelaCOMDevice& operator=(const VelaCOMDevice&) = delete;

    // Opens the port raw, 8N1, at the given baud rate. Non-zero = opened.
    int OpenPort(const char* name, unsigned long baud);
    int ClosePort();
    int IsOpen() const;

protected:
    // One request and its answer of exactly answerSize bytes; false on time-out or error.
    bool exchange(const unsigned char* request, int requestSize,
                  unsigned char* answer, int answerSize);

private:
    mutable std::mutex m_mutex;
    int m_fd = -1;
};

} // namespace VelaDevice
