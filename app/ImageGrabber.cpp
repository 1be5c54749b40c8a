#include "ImageGrabber.h"

#include <cstring>

ImageGrabber::ImageGrabber(QObject* parent)
    : QThread(parent)
    , m_image(FrameWidth, FrameHeight, QImage::Format_Indexed8)
{
    m_image.fill(0);
    setColor(QColor(Qt::red));
}

ImageGrabber::~ImageGrabber()
{
    quit();
    wait();
}

void ImageGrabber::setColor(const QColor& color)
{
    m_color = color;
    const int r = color.red();
    const int g = color.green();
    const int b = color.blue();
    // trunc(fraction * i) in integers, so that 255 gives the colour exactly.
    QList<QRgb> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = qRgb(r * i / 255, g * i / 255, b * i / 255);
    m_image.setColorTable(table);
}

void ImageGrabber::postImage(const void* lpData, int filter)
{
    Q_UNUSED(filter);
    // The receiver may run a local event loop and bring the next frame in re-entrantly;
    // that frame is dropped rather than written under the image being shown.
    if (m_busy || !lpData)
        return;
    m_busy = true;
    const auto* src = static_cast<const uchar*>(lpData);
    for (int y = 0; y < FrameHeight; ++y)
        std::memcpy(m_image.scanLine(y), src + y * FrameWidth, FrameWidth);
    emit readyImage(&m_image);
    m_busy = false;
}

void ImageGrabber::run()
{
}
