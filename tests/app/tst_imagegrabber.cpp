#include "ImageGrabber.h"

#include <QSignalSpy>
#include <QTest>

#include <vector>

namespace {

constexpr int Width = ImageGrabber::FrameWidth;
constexpr int Height = ImageGrabber::FrameHeight;

std::vector<uchar> patternFrame(int offset)
{
    std::vector<uchar> frame(Width * Height);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x)
            frame[y * Width + x] = uchar(x + 3 * y + offset);
    }
    return frame;
}

} // namespace

class tst_ImageGrabber : public QObject
{
    Q_OBJECT

private slots:
    void paletteFollowsBeamColour_data();
    void paletteFollowsBeamColour();
    void frameBytesBecomePaletteIndices();
    void sameImageObjectForEveryFrame();
    void frameArrivingDuringDeliveryIsDropped();
    void newColourRecoloursConvertedFrame();
    void startedGrabberCanBeDestroyedAtOnce();
};

void tst_ImageGrabber::paletteFollowsBeamColour_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("index");
    QTest::addColumn<QRgb>("expected");

    QTest::newRow("red, dark") << QColor(Qt::red) << 0 << qRgb(0, 0, 0);
    QTest::newRow("red, middle") << QColor(Qt::red) << 100 << qRgb(100, 0, 0);
    QTest::newRow("red, full") << QColor(Qt::red) << 255 << qRgb(255, 0, 0);
    // 128 * 128 / 255 = 64.25, 64 * 128 / 255 = 32.13, 192 * 128 / 255 = 96.38: truncated
    QTest::newRow("mixed, middle") << QColor(0x80, 0x40, 0xC0) << 128 << qRgb(64, 32, 96);
    QTest::newRow("mixed, full is the colour") << QColor(0x80, 0x40, 0xC0) << 255 << qRgb(0x80, 0x40, 0xC0);
    QTest::newRow("mixed, faint truncates to black") << QColor(0x80, 0x40, 0xC0) << 1 << qRgb(0, 0, 0);
    QTest::newRow("limegreen full") << QColor("limegreen") << 255 << qRgb(50, 205, 50);
    QTest::newRow("limegreen 200") << QColor("limegreen") << 200 << qRgb(39, 160, 39);
    QTest::newRow("white grey ramp") << QColor(Qt::white) << 77 << qRgb(77, 77, 77);
}

void tst_ImageGrabber::paletteFollowsBeamColour()
{
    QFETCH(QColor, colour);
    QFETCH(int, index);
    QFETCH(QRgb, expected);

    ImageGrabber grabber;
    grabber.setColor(colour);
    QSignalSpy spy(&grabber, &ImageGrabber::readyImage);
    std::vector<uchar> frame(Width * Height, uchar(index));
    grabber.postImage(frame.data());
    QCOMPARE(spy.count(), 1);

    const auto* image = spy.at(0).at(0).value<const QImage*>();
    QCOMPARE(image->colorCount(), 256);
    QCOMPARE(image->color(index), expected);
    QCOMPARE(image->pixel(17, 300), expected);
}

void tst_ImageGrabber::frameBytesBecomePaletteIndices()
{
    ImageGrabber grabber; // red until told otherwise
    QSignalSpy spy(&grabber, &ImageGrabber::readyImage);
    const std::vector<uchar> frame = patternFrame(0);
    grabber.postImage(frame.data(), 0);
    QCOMPARE(spy.count(), 1);

    const auto* image = spy.at(0).at(0).value<const QImage*>();
    QCOMPARE(image->size(), QSize(640, 512));
    QCOMPARE(image->format(), QImage::Format_Indexed8);
    for (const QPoint p : {QPoint(0, 0), QPoint(639, 0), QPoint(0, 511), QPoint(639, 511), QPoint(321, 200)}) {
        const int value = frame[p.y() * Width + p.x()];
        QCOMPARE(image->pixelIndex(p), value);
        QCOMPARE(image->pixel(p), qRgb(value, 0, 0));
    }
}

void tst_ImageGrabber::sameImageObjectForEveryFrame()
{
    ImageGrabber grabber;
    QSignalSpy spy(&grabber, &ImageGrabber::readyImage);
    const std::vector<uchar> first = patternFrame(0);
    const std::vector<uchar> second = patternFrame(7);
    grabber.postImage(first.data());
    grabber.postImage(second.data());
    QCOMPARE(spy.count(), 2);

    const auto* image = spy.at(0).at(0).value<const QImage*>();
    QCOMPARE(spy.at(1).at(0).value<const QImage*>(), image);
    QCOMPARE(image->pixelIndex(10, 20), int(second[20 * Width + 10]));
}

void tst_ImageGrabber::frameArrivingDuringDeliveryIsDropped()
{
    ImageGrabber grabber;
    const std::vector<uchar> first = patternFrame(0);
    const std::vector<uchar> intruder = patternFrame(99);
    int delivered = 0;
    int seenIndex = -1;
    connect(&grabber, &ImageGrabber::readyImage, this, [&](const QImage* image) {
        // A receiver that spins an event loop can bring the next frame in right here.
        if (++delivered == 1)
            grabber.postImage(intruder.data());
        seenIndex = image->pixelIndex(5, 5);
    });

    grabber.postImage(first.data());
    QCOMPARE(delivered, 1);
    QCOMPARE(seenIndex, int(first[5 * Width + 5]));

    // Once the delivery has returned, frames are taken again.
    grabber.postImage(first.data());
    QCOMPARE(delivered, 2);
}

void tst_ImageGrabber::newColourRecoloursConvertedFrame()
{
    ImageGrabber grabber;
    QSignalSpy spy(&grabber, &ImageGrabber::readyImage);
    std::vector<uchar> frame(Width * Height, uchar(255));
    grabber.postImage(frame.data());
    const auto* image = spy.at(0).at(0).value<const QImage*>();
    QCOMPARE(image->pixel(0, 0), qRgb(255, 0, 0));

    grabber.setColor(QColor("mediumslateblue"));
    grabber.postImage(frame.data());
    QCOMPARE(image->pixel(0, 0), QColor("mediumslateblue").rgb());
}

void tst_ImageGrabber::startedGrabberCanBeDestroyedAtOnce()
{
    // The window starts the grabber at its first show and may be closed right away.
    for (int i = 0; i < 50; ++i) {
        auto* grabber = new ImageGrabber;
        grabber->start();
        delete grabber;
    }
    ImageGrabber grabber;
    grabber.start();
    QVERIFY(grabber.wait(5000));
    QVERIFY(grabber.isFinished());
}

QTEST_MAIN(tst_ImageGrabber)
#include "tst_imagegrabber.moc"
