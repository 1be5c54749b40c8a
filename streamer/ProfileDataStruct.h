#pragma once

#include <LS71Device.h>
#include <LS74Device.h>

#include <cstddef>

namespace VelaStreamer {

#pragma pack(push, 1)

// One converted profile as a streamer hands it out: the point count (65535 = failed read, never
// handed out), the X, Z pairs of the points, then the scan coordinate of the profile. The floats
// start at byte 2, so they are not 4-byte aligned: copy them out rather than taking their address.
template <int ValuesCount>
struct ProfileData
{
    unsigned short count;
    float values[ValuesCount];
    float z;
};

// One camera frame: 512 rows of 640 grey values, row 0 first.
struct ImageDataStruct
{
    unsigned char pixels[VelaDevice::LS71Device::ImageBufferSize];
};

#pragma pack(pop)

using LS71ProfileDataStruct = ProfileData<VelaDevice::LS71Device::ProfileValuesCount>;
using LS74ProfileDataStruct = ProfileData<VelaDevice::LS74Device::ProfileValuesCount>;

static_assert(sizeof(LS71ProfileDataStruct) == 8198, "LS71 profile record size");
static_assert(offsetof(LS71ProfileDataStruct, values) == 2, "LS71 profile record layout");
static_assert(offsetof(LS71ProfileDataStruct, z) == 8194, "LS71 profile record layout");
static_assert(sizeof(LS74ProfileDataStruct) == 10246, "LS74 profile record size");
static_assert(offsetof(LS74ProfileDataStruct, values) == 2, "LS74 profile record layout");
static_assert(offsetof(LS74ProfileDataStruct, z) == 10242, "LS74 profile record layout");
static_assert(sizeof(ImageDataStruct) == VelaDevice::LS71Device::ImageBufferSize
                  && sizeof(ImageDataStruct) == VelaDevice::LS74Device::ImageBufferSize,
              "image record size");

} // namespace VelaStreamer
