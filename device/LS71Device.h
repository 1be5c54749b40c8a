#pragma once

#include "LS7xDevice.h"

namespace VelaDevice {

// LS71 line scanner: up to 1024 points per profile.
class VELADEVICE_EXPORT LS71Device : public LS7xDevice
{
public:
    static constexpr int ProfileValuesCount = 2048;   // floats of one converted profile
    static constexpr int ProfileBufferSize = 4100;    // bytes of one raw result
    static constexpr int ImageBufferSize = 327680;    // bytes of one camera frame

    explicit LS71Device(const _UDP_DEVINFOBLOCK_PC* block);
    ~LS71Device() override;

    // Converts a raw result into X, Z pairs (mm) and their count; mirror (0/1) negates X.
    // The count is 65535 and the result 0 when the block is not a valid result.
    int ConvertResultToPoints(const void* raw, float* pairs, unsigned short* count, int mirror);
    // Read and convert in one step; the count is 65535 when no valid result was read.
    int UDPGetNormalizedResult(float* pairs, unsigned short* count, int mirror);
    int GetNormalizedResult(float* pairs, unsigned short* count, int mirror);

    short GetRotationAngle() const;               // hundredths of a degree
    int SetRotationAngle(short angle);
};

} // namespace VelaDevice
