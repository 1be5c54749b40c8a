#include "LS71Device.h"

#include "private/LS7xConnection.h"

namespace VelaDevice {

using namespace VelaProtocol;

static_assert(sizeof(LS71RawResult) == LS71Device::ProfileBufferSize, "raw result size");
static_assert(LS71Device::ProfileValuesCount == 2 * 1024, "one X, Z pair per raw point");

LS71Device::LS71Device(const _UDP_DEVINFOBLOCK_PC* block)
    : LS7xDevice(block, ProfileBufferSize)
{
}

LS71Device::~LS71Device() = default;

int LS71Device::ConvertResultToPoints(const void* raw, float* pairs, unsigned short* count, int mirror)
{
    if (!count)
        return 0;
    if (!raw || !pairs) {
        *count = 65535;
        return 0;
    }
    const auto* result = static_cast<const LS71RawResult*>(raw);
    const float step = 1.0f / float(d->block.DiscreteValue ? d->block.DiscreteValue : 100);
    const float xSign = mirror ? -step : step;
    unsigned short n = 0;
    for (const LS71RawPoint& point : result->points) {
        if (point.z == 0)
            continue;   // no line found in this column
        pairs[2 * n] = float(point.x) * xSign;
        pairs[2 * n + 1] = float(point.z) * step;
        ++n;
    }
    *count = n;
    return 1;
}

int LS71Device::UDPGetNormalizedResult(float* pairs, unsigned short* count, int mirror)
{
    LS71RawResult raw;
    if (!UDPGetResult(&raw)) {
        if (count)
            *count = 65535;
        return 0;
    }
    return ConvertResultToPoints(&raw, pairs, count, mirror);
}

int LS71Device::GetNormalizedResult(float* pairs, unsigned short* count, int mirror)
{
    LS71RawResult raw;
    if (!GetResult(&raw)) {
        if (count)
            *count = 65535;
        return 0;
    }
    return ConvertResultToPoints(&raw, pairs, count, mirror);
}

short LS71Device::GetRotationAngle() const
{
    return d->params().rotationAngle;
}

int LS71Device::SetRotationAngle(short angle)
{
    return d->changeParams([angle](ParamBlock& p) { p.rotationAngle = angle; });
}

} // namespace VelaDevice
