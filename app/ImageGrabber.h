#ifndef IMAGEGRABBER_H
#define IMAGEGRABBER_H

#include <QColor>
#include <QImage>
#include <QThread>

// Turns raw 640 x 512 camera frames (one brightness byte per pixel) into an indexed
// image coloured like the laser beam. The object is started as a thread, but run() does
// nothing: postImage() does its work on the caller's thread (the GUI thread).
class ImageGrabber : public QThread
{
    Q_OBJECT

public:
    static constexpr int FrameWidth = 640;
    static constexpr int FrameHeight = 512;

    explicit ImageGrabber(QObject* parent = nullptr);
    // Waits for the (empty) thread run to end: Qt aborts when a running QThread is destroyed,
    // which would happen to a window closed right after its first show.
    ~ImageGrabber() override;

    // Rebuilds the palette: brightness 0 is black, 255 is the colour itself.
    void setColor(const QColor& color);

public slots:
    // lpData points to FrameWidth * FrameHeight bytes, row by row. The same image object
    // is emitted for every frame. filter is reserved; only 0 is used.
    void postImage(const void* lpData, int filter = 0);

signals:
    void readyImage(const QImage* image);

protected:
    void run() override;

private:
    QImage m_image;
    QColor m_color;
    bool m_busy = false;
};

#endif // IMAGEGRABBER_H
