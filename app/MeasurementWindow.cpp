#include "MeasurementWindow.h"

#include <LS7xDevice.h>

#include <algorithm>
#include <cstdlib>

MeasurementWindow MeasurementWindow::fromCorners(QPoint a, QPoint b)
{
    const int x1 = std::clamp(a.x(), 0, FrameWidth);
    const int x2 = std::clamp(b.x(), 0, FrameWidth);
    const int y1 = std::clamp(a.y(), 0, FrameHeight);
    const int y2 = std::clamp(b.y(), 0, FrameHeight);
    MeasurementWindow window;
    window.left = static_cast<quint8>(std::min(x1, x2) * Full / FrameWidth);
    window.upper = static_cast<quint8>(std::min(y1, y2) * Full / FrameHeight);
    window.width = static_cast<quint8>(std::abs(x1 - x2) * Full / FrameWidth);
    window.height = static_cast<quint8>(std::abs(y1 - y2) * Full / FrameHeight);
    return window;
}

MeasurementWindow MeasurementWindow::of(const VelaDevice::LS7xDevice& device)
{
    MeasurementWindow window;
    window.left = device.GetLeftBoundary();
    window.upper = device.GetUpperBoundary();
    window.width = device.GetWindowWidth();
    window.height = device.GetWindowHeight();
    return window;
}

void MeasurementWindow::applyTo(VelaDevice::LS7xDevice& device) const
{
    device.SetLeftBoundary(left);
    device.SetUpperBoundary(upper);
    device.SetWindowWidth(width);
    device.SetWindowHeight(height);
}
