#include "MeasurementWindow.h"

#include <QtTest>

class TestMeasurementWindow : public QObject
{
    Q_OBJECT

private slots:
    void toImage_data();
    void toImage();
    void fromCorners_data();
    void fromCorners();
    void everyDragFitsTheFrame();
};

void TestMeasurementWindow::toImage_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("upper");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QRect>("expected"); // x1, y1 in topLeft; x2, y2 as right and bottom

    QTest::newRow("whole frame") << 0 << 0 << 255 << 255 << QRect(QPoint(0, 0), QPoint(640, 512));
    // 10 x 640 / 255 = 25.09, 20 x 512 / 255 = 40.15: truncated.
    QTest::newRow("truncates") << 10 << 20 << 100 << 50
                               << QRect(QPoint(25, 40), QPoint(25 + 250, 40 + 100));
    QTest::newRow("empty") << 255 << 255 << 0 << 0 << QRect(QPoint(640, 512), QPoint(640, 512));
}

void TestMeasurementWindow::toImage()
{
    QFETCH(int, left);
    QFETCH(int, upper);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QRect, expected);
    MeasurementWindow window;
    window.left = quint8(left);
    window.upper = quint8(upper);
    window.width = quint8(width);
    window.height = quint8(height);
    QCOMPARE(window.imageLeft(), expected.left());
    QCOMPARE(window.imageTop(), expected.top());
    QCOMPARE(window.imageRight(), expected.right());
    QCOMPARE(window.imageBottom(), expected.bottom());
}

void TestMeasurementWindow::fromCorners_data()
{
    QTest::addColumn<QPoint>("a");
    QTest::addColumn<QPoint>("b");
    QTest::addColumn<QList<int>>("expected"); // left, upper, width, height

    QTest::newRow("last pixels") << QPoint(0, 0) << QPoint(639, 511) << QList<int> { 0, 0, 254, 254 };
    QTest::newRow("corners swapped") << QPoint(320, 256) << QPoint(64, 128)
                                     << QList<int> { 25, 63, 102, 63 };
    QTest::newRow("past the right and bottom edge")
        << QPoint(320, 256) << QPoint(1000, 900) << QList<int> { 127, 127, 127, 127 };
    QTest::newRow("left of and above the image")
        << QPoint(-40, -3) << QPoint(100, 100) << QList<int> { 0, 0, 39, 49 };
    // Unclamped, 768 x 255 / 640 = 306 would wrap to 50.
    QTest::newRow("scaled image") << QPoint(0, 0) << QPoint(768, 614) << QList<int> { 0, 0, 255, 255 };
}

void TestMeasurementWindow::fromCorners()
{
    QFETCH(QPoint, a);
    QFETCH(QPoint, b);
    QFETCH(QList<int>, expected);
    const MeasurementWindow window = MeasurementWindow::fromCorners(a, b);
    QCOMPARE((QList<int> { window.left, window.upper, window.width, window.height }), expected);
}

void TestMeasurementWindow::everyDragFitsTheFrame()
{
    // Whatever the corners, the window never reaches beyond the frame.
    const int coordinates[] = { -5000, -1, 0, 1, 300, 639, 640, 641, 5000 };
    for (int x1 : coordinates) {
        for (int x2 : coordinates) {
            const MeasurementWindow window = MeasurementWindow::fromCorners(QPoint(x1, x2), QPoint(x2, x1));
            QVERIFY2(window.left + window.width <= 255, qPrintable(QString("%1 %2").arg(x1).arg(x2)));
            QVERIFY(window.upper + window.height <= 255);
        }
    }
}

QTEST_APPLESS_MAIN(TestMeasurementWindow)
#include "tst_measurementwindow.moc"
