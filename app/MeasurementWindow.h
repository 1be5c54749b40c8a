#pragma once

#include <QPoint>
#include <QtGlobal>

namespace VelaDevice {
class LS7xDevice;
}

// The measurement window as a sensor keeps it: left boundary, upper boundary, width and height,
// each in 255ths of the 640 x 512 camera frame. All conversions use integer arithmetic that
// truncates towards zero, as the sensor does.
struct MeasurementWindow
{
    static constexpr int FrameWidth = 640;
    static constexpr int FrameHeight = 512;
    static constexpr int Full = 255;

    quint8 left = 0;
    quint8 upper = 0;
    quint8 width = Full;
    quint8 height = Full;

    // The window in camera pixels: right is left plus the width, bottom top plus the height.
    int imageLeft() const { return left * FrameWidth / Full; }
    int imageTop() const { return upper * FrameHeight / Full; }
    int imageRight() const { return imageLeft() + width * FrameWidth / Full; }
    int imageBottom() const { return imageTop() + height * FrameHeight / Full; }

    // The window spanned by two corners in camera pixels. Corners outside the frame (a drag
    // that ends beyond the image) are first moved onto its border, so every value fits a byte.
    static MeasurementWindow fromCorners(QPoint a, QPoint b);

    // The window held by a device object, and putting a window into one (it reaches the
    // sensor with the next block write).
    static MeasurementWindow of(const VelaDevice::LS7xDevice& device);
    void applyTo(VelaDevice::LS7xDevice& device) const;

    bool operator==(const MeasurementWindow& other) const
    {
        return left == other.left && upper == other.upper && width == other.width
            && height == other.height;
    }
};
