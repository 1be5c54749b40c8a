#include "ImageViewer.h"

#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTransform>
#include <QVBoxLayout>

#include <cstdlib>

namespace {

// A frame whose every pixel differs from white and from its neighbours' rows.
QImage testFrame()
{
    QImage image(640, 512, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 200, y % 200, 60));
    }
    return image;
}

QImage rendered(ImageViewer& viewer)
{
    return viewer.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Share of pixels whose channels differ by more than a small tolerance.
double differingShare(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 1.0;
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 8 || std::abs(qGreen(p) - qGreen(q)) > 8
                || std::abs(qBlue(p) - qBlue(q)) > 8)
                ++differing;
        }
    }
    return double(differing) / (double(a.width()) * a.height());
}

} // namespace

class tst_ImageViewer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void dragReportsRectangle_data();
    void dragReportsRectangle();
    void rectangleDrawnOnUnscaledFrame();
    void wideWidgetScalesFrameAndShowsBackground_data();
    void wideWidgetScalesFrameAndShowsBackground();
    void withoutImageWidgetIsBlack();
    void resetForgetsImageAndRectangle();
    void disabledSelectionOnlyReportsPresses();
    void middleClickTogglesFullScreen();
    void save_data();
    void save();
    void saveFailures();

private:
    void drag(ImageViewer& viewer, QPoint from, QPoint to);

    QImage m_frame;
};

void tst_ImageViewer::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    m_frame = testFrame();
}

void tst_ImageViewer::drag(ImageViewer& viewer, QPoint from, QPoint to)
{
    QTest::mousePress(&viewer, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(&viewer, (from + to) / 2);
    QTest::mouseMove(&viewer, to);
    QTest::mouseRelease(&viewer, Qt::LeftButton, Qt::NoModifier, to);
}

void tst_ImageViewer::dragReportsRectangle_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QPoint>("start");
    QTest::addColumn<QPoint>("end");

    const QPoint none(-1, -1);
    QTest::newRow("4 x 100 is a click") << QPoint(100, 100) << QPoint(104, 200) << none << none;
    QTest::newRow("100 x 4 is a click") << QPoint(100, 100) << QPoint(200, 96) << none << none;
    QTest::newRow("5 x 5 is a window") << QPoint(100, 100) << QPoint(105, 105) << QPoint(100, 100)
                                       << QPoint(105, 105);
    QTest::newRow("dragged up and left") << QPoint(300, 300) << QPoint(20, 40) << QPoint(300, 300)
                                         << QPoint(20, 40);
    // (0, 0) would mean "the centre" to QTest, so the largest drag starts at (1, 1).
    QTest::newRow("nearly whole frame") << QPoint(1, 1) << QPoint(639, 511) << QPoint(1, 1)
                                        << QPoint(639, 511);
}

void tst_ImageViewer::dragReportsRectangle()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QPoint, start);
    QFETCH(QPoint, end);

    ImageViewer viewer;
    viewer.resize(640, 512);
    viewer.setImage(&m_frame);
    QSignalSpy moves(&viewer, &ImageViewer::signalMouseMove);
    QSignalSpy finished(&viewer, &ImageViewer::signalFinishedRect);
    QSignalSpy presses(&viewer, &ImageViewer::signalMousePress);

    drag(viewer, from, to);

    QCOMPARE(presses.count(), 1);
    QCOMPARE(presses.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
    QCOMPARE(presses.at(0).at(1).toPoint(), from);
    QCOMPARE(moves.count(), 2);
    QCOMPARE(moves.last().at(0).toPoint(), from);
    QCOMPARE(moves.last().at(1).toPoint(), to);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toPoint(), start);
    QCOMPARE(finished.at(0).at(1).toPoint(), end);
}

void tst_ImageViewer::rectangleDrawnOnUnscaledFrame()
{
    ImageViewer viewer;
    viewer.resize(640, 512);
    viewer.setImage(&m_frame);
    const QRgb white = qRgb(255, 255, 255);

    drag(viewer, QPoint(100, 100), QPoint(200, 180));
    QImage shot = rendered(viewer);
    QCOMPARE(shot.pixel(100, 100), white);
    QCOMPARE(shot.pixel(199, 179), white);
    QCOMPARE(shot.pixel(150, 100), white);
    QCOMPARE(shot.pixel(100, 150), white);
    QCOMPARE(shot.pixel(150, 150), m_frame.pixel(150, 150)); // inside stays the frame
    QCOMPARE(shot.pixel(200, 180), m_frame.pixel(200, 180)); // end corner is exclusive

    // A window set from the device replaces the drawn one.
    viewer.setRect(10, 20, 30, 40);
    viewer.repaint();
    shot = rendered(viewer);
    QCOMPARE(shot.pixel(10, 20), white);
    QCOMPARE(shot.pixel(29, 39), white);
    QCOMPARE(shot.pixel(100, 100), m_frame.pixel(100, 100));

    // A click clears the window.
    drag(viewer, QPoint(50, 50), QPoint(52, 300));
    shot = rendered(viewer);
    QCOMPARE(shot.pixel(10, 20), m_frame.pixel(10, 20));
    QCOMPARE(shot.pixel(50, 50), m_frame.pixel(50, 50));
}

void tst_ImageViewer::wideWidgetScalesFrameAndShowsBackground_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("frameWidth");

    QTest::newRow("1280 x 512") << QSize(1280, 512) << 640;
    QTest::newRow("960 x 256") << QSize(960, 256) << 320;
}

void tst_ImageViewer::wideWidgetScalesFrameAndShowsBackground()
{
    QFETCH(QSize, size);
    QFETCH(int, frameWidth);

    ImageViewer viewer;
    viewer.resize(size);
    viewer.setImage(&m_frame);
    viewer.setRect(10, 10, 300, 200);
    const QImage shot = rendered(viewer);
    QCOMPARE(shot.size(), size);

    const QImage expectedFrame = m_frame.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                     .convertToFormat(QImage::Format_RGB32);
    QCOMPARE(expectedFrame.width(), frameWidth);
    QVERIFY(differingShare(shot.copy(0, 0, frameWidth, size.height()), expectedFrame) < 0.001);
    // The rectangle only makes sense on an unscaled frame.
    QVERIFY(shot.pixel(frameWidth / 64, frameWidth / 64) != qRgb(255, 255, 255));

    const QImage background = QImage(QStringLiteral(":/MainWindow/Resources/splash.png"))
                                  .transformed(QTransform().rotate(-90))
                                  .scaled(size.width() - frameWidth, size.height(),
                                          Qt::IgnoreAspectRatio, Qt::FastTransformation)
                                  .convertToFormat(QImage::Format_RGB32);
    QVERIFY(!background.isNull());
    QVERIFY(differingShare(shot.copy(frameWidth, 0, size.width() - frameWidth, size.height()), background) < 0.01);
}

void tst_ImageViewer::withoutImageWidgetIsBlack()
{
    ImageViewer viewer;
    viewer.resize(700, 512);
    viewer.setRect(10, 10, 300, 200);
    const QImage shot = rendered(viewer);
    for (const QPoint p : {QPoint(0, 0), QPoint(10, 10), QPoint(650, 100), QPoint(699, 511)})
        QCOMPARE(shot.pixel(p), qRgb(0, 0, 0));
}

void tst_ImageViewer::resetForgetsImageAndRectangle()
{
    ImageViewer viewer;
    viewer.resize(640, 512);
    viewer.setImage(&m_frame);
    drag(viewer, QPoint(100, 100), QPoint(200, 180));

    viewer.reset();
    const QImage shot = rendered(viewer);
    QCOMPARE(shot.pixel(100, 100), qRgb(0, 0, 0));
    QCOMPARE(shot.pixel(300, 300), qRgb(0, 0, 0));

    // After a new image the old rectangle does not come back.
    viewer.setImage(&m_frame);
    QCOMPARE(rendered(viewer).pixel(100, 100), m_frame.pixel(100, 100));
}

void tst_ImageViewer::disabledSelectionOnlyReportsPresses()
{
    ImageViewer viewer;
    viewer.resize(640, 512);
    viewer.setImage(&m_frame);
    viewer.setSelectionEnabled(false);
    QSignalSpy moves(&viewer, &ImageViewer::signalMouseMove);
    QSignalSpy finished(&viewer, &ImageViewer::signalFinishedRect);
    QSignalSpy presses(&viewer, &ImageViewer::signalMousePress);

    QTest::mousePress(&viewer, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 100));
    QTest::mouseMove(&viewer, QPoint(200, 200));
    QTest::mouseRelease(&viewer, Qt::LeftButton, Qt::ShiftModifier, QPoint(200, 200));

    QCOMPARE(moves.count(), 0);
    QCOMPARE(finished.count(), 0);
    QCOMPARE(presses.count(), 1);
    QCOMPARE(presses.at(0).at(2).value<Qt::KeyboardModifiers>(), Qt::KeyboardModifiers(Qt::ShiftModifier));
    QCOMPARE(rendered(viewer).pixel(100, 100), m_frame.pixel(100, 100));

    // Enabled again, a release without its own press reports nothing stale.
    viewer.setSelectionEnabled(true);
    QTest::mouseRelease(&viewer, Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
    QCOMPARE(finished.count(), 0);
}

void tst_ImageViewer::middleClickTogglesFullScreen()
{
    QWidget holder;
    auto* layout = new QVBoxLayout(&holder);
    auto* viewer = new ImageViewer(&holder);
    layout->addWidget(viewer);
    holder.show();
    QVERIFY(QTest::qWaitForWindowExposed(&holder));
    const QSize sizeBefore = viewer->size();
    QSignalSpy switching(viewer, &ImageViewer::signalSwitchingFullScreen);

    QTest::mouseClick(viewer, Qt::MiddleButton, Qt::NoModifier, QPoint(10, 10));
    QCOMPARE(switching.count(), 1);
    QCOMPARE(switching.at(0).at(0).toBool(), true);
    QVERIFY(viewer->parentWidget() == nullptr);
    QVERIFY(viewer->isFullScreen());

    QTest::mouseClick(viewer, Qt::MiddleButton, Qt::NoModifier, QPoint(10, 10));
    QCOMPARE(switching.count(), 2);
    QCOMPARE(switching.at(1).at(0).toBool(), false);
    QCOMPARE(viewer->parentWidget(), &holder);
    QVERIFY(!viewer->isFullScreen());
    QCOMPARE(viewer->size(), sizeBefore);

    viewer->setFullScreenSwitchingEnabled(false);
    QTest::mouseClick(viewer, Qt::MiddleButton, Qt::NoModifier, QPoint(10, 10));
    QCOMPARE(switching.count(), 2);
    QCOMPARE(viewer->parentWidget(), &holder);
}

void tst_ImageViewer::save_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("png") << "snapshot.png";
    QTest::newRow("bmp") << "snapshot.bmp";
}

void tst_ImageViewer::save()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(name);

    // The viewer saves the frame itself, not what is on screen.
    ImageViewer viewer;
    viewer.resize(1280, 512);
    viewer.setImage(&m_frame);
    viewer.setRect(10, 10, 300, 200);
    QVERIFY(viewer.save(path));

    const QImage saved(path);
    QCOMPARE(saved.size(), QSize(640, 512));
    for (const QPoint p : {QPoint(0, 0), QPoint(10, 10), QPoint(639, 511), QPoint(250, 199)})
        QCOMPARE(saved.pixel(p), m_frame.pixel(p));
}

void tst_ImageViewer::saveFailures()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ImageViewer viewer;
    QVERIFY(!viewer.save(dir.filePath(QStringLiteral("none.png"))));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.png"))));

    viewer.setImage(&m_frame);
    QVERIFY(!viewer.save(dir.filePath(QStringLiteral("missing/folder/shot.png"))));
    QVERIFY(viewer.save(dir.filePath(QStringLiteral("shot.png"))));
}

QTEST_MAIN(tst_ImageViewer)
#include "tst_imageviewer.moc"
