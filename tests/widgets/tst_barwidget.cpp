#include <QtTest>

#include "BarWidget.h"

namespace {

constexpr QRgb background = 0xFFA0A0A0;
constexpr QRgb hoverColor = 0xFF0050FF;
constexpr QRgb cursorColor = 0xFFFFFF00;
constexpr QRgb hintBackground = 0xFFDCDCB4;
constexpr QRgb stripBackground = 0xFF5A5A5A;
constexpr QRgb stripThumb = 0xFFB4B4B4;
constexpr int height = 30;

// Each mark's colour carries its index, so the rendered column tells which mark it shows.
uint markColor(int index)
{
    return 0xFF400000u | uint(index & 0xFF) << 8 | uint(index >> 8);
}

int markIndex(QRgb pixel)
{
    return qRed(pixel) == 0x40 ? qGreen(pixel) | qBlue(pixel) << 8 : -1;
}

QImage render(BarWidget& bar)
{
    return bar.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// Marks shown in the first and the last column.
QPair<int, int> shownWindow(BarWidget& bar)
{
    const QImage image = render(bar);
    return {markIndex(image.pixel(0, 0)), markIndex(image.pixel(image.width() - 1, 0))};
}

void fill(BarWidget& bar, int width, int marks)
{
    bar.resize(width, height);
    for (int i = 0; i < marks; ++i)
        bar.appendMark(i / 10.0, markColor(i));
}

void sendMouse(BarWidget& bar, QEvent::Type type, QPoint pos, Qt::MouseButtons held)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, bar.mapToGlobal(pos), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &event);
}

void hover(BarWidget& bar, QPoint pos)
{
    sendMouse(bar, QEvent::MouseMove, pos, Qt::NoButton);
}

void drag(BarWidget& bar, QPoint from, QPoint to)
{
    sendMouse(bar, QEvent::MouseButtonPress, from, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseMove, to, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

void click(BarWidget& bar, QPoint pos)
{
    sendMouse(bar, QEvent::MouseButtonPress, pos, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseButtonRelease, pos, Qt::NoButton);
}

void wheel(BarWidget& bar, int delta)
{
    QWheelEvent event(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&bar, &event);
}

int pickedIndex(const QSignalSpy& spy, int call)
{
    return static_cast<const BarMark*>(spy.at(call).first().value<void*>())->index;
}

// Columns of the thumb in the strip's bottom row; {-1, 0} when there is none.
QPair<int, int> thumb(const QImage& image)
{
    int first = -1;
    int width = 0;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, image.height() - 1) == stripThumb) {
            first = first < 0 ? x : first;
            ++width;
        }
    }
    return {first, width};
}

} // namespace

class TestBarWidget : public QObject
{
    Q_OBJECT
private slots:
    void windowAndStrip_data();
    void windowAndStrip();
    void dragScrollsTheWindow();
    void clickPicksMark_data();
    void clickPicksMark();
    void hoverShowsHint();
    void leaveClearsHoverWhenConfigured();
    void wheelMovesHoverInsideWindow();
    void keysMoveHoverAndPick();
    void resizeKeepsWindowInsideMarks();
    void clearMarksEmptiesStrip();
};

void TestBarWidget::windowAndStrip_data()
{
    QTest::addColumn<int>("marks");
    QTest::addColumn<int>("lastShown");
    QTest::addColumn<bool>("strip");
    QTest::addColumn<int>("thumbWidth");

    QTest::newRow("half full") << 50 << 49 << false << 0;
    QTest::newRow("exactly full") << 100 << 99 << true << 100;
    QTest::newRow("150 marks") << 150 << 99 << true << 66;
}

void TestBarWidget::windowAndStrip()
{
    QFETCH(int, marks);
    QFETCH(int, lastShown);
    QFETCH(bool, strip);
    QFETCH(int, thumbWidth);

    BarWidget bar;
    fill(bar, 100, marks);
    const QImage image = render(bar);
    for (int x = 0; x < 100; ++x) {
        const int expected = x <= lastShown ? x : -1;
        QCOMPARE(markIndex(image.pixel(x, 0)), expected);
        const QRgb bottom = image.pixel(x, height - 1);
        if (strip)
            QVERIFY(bottom == stripThumb || bottom == stripBackground);
        else
            QCOMPARE(markIndex(bottom), expected);
        if (expected >= 0)
            QCOMPARE(markIndex(image.pixel(x, height - 5)), expected);
    }
    if (strip) {
        QCOMPARE(thumb(image), qMakePair(0, thumbWidth));
    } else {
        QCOMPARE(thumb(image).second, 0);
        QCOMPARE(image.pixel(99, 0), background);
    }
}

void TestBarWidget::dragScrollsTheWindow()
{
    BarWidget bar;
    fill(bar, 100, 150);
    QSignalSpy picked(&bar, &BarWidget::clickedMark);

    drag(bar, QPoint(50, 10), QPoint(40, 10));
    QCOMPARE(shownWindow(bar), qMakePair(10, 109));
    // The thumb follows: (100 - 66) * 10 / (150 - 100).
    QCOMPARE(thumb(render(bar)), qMakePair(6, 66));
    QCOMPARE(picked.size(), 0);

    drag(bar, QPoint(10, 10), QPoint(90, 10));
    QCOMPARE(shownWindow(bar), qMakePair(0, 99));
    drag(bar, QPoint(90, 10), QPoint(0, 10));
    QCOMPARE(shownWindow(bar), qMakePair(50, 149));
    QCOMPARE(thumb(render(bar)), qMakePair(34, 66));
}

void TestBarWidget::clickPicksMark_data()
{
    QTest::addColumn<int>("scroll");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("marks");
    QTest::addColumn<int>("picked"); // -1: nothing

    QTest::newRow("column 5") << 0 << 5 << 150 << 5;
    QTest::newRow("column 5 after scrolling") << 20 << 5 << 150 << 25;
    QTest::newRow("beyond the last mark") << 0 << 70 << 60 << -1;
    QTest::newRow("marks fill the width") << 30 << 99 << 100 << 99;
}

void TestBarWidget::clickPicksMark()
{
    QFETCH(int, scroll);
    QFETCH(int, column);
    QFETCH(int, marks);
    QFETCH(int, picked);

    BarWidget bar;
    fill(bar, 100, marks);
    if (scroll > 0)
        drag(bar, QPoint(scroll, 10), QPoint(0, 10));
    QSignalSpy spy(&bar, &BarWidget::clickedMark);
    click(bar, QPoint(column, 10));

    if (picked < 0) {
        QCOMPARE(spy.size(), 0);
        return;
    }
    QCOMPARE(spy.size(), 1);
    const auto* mark = static_cast<const BarMark*>(spy.first().first().value<void*>());
    QCOMPARE(mark->index, picked);
    QCOMPARE(mark->value, picked / 10.0);
    QCOMPARE(mark->color, markColor(picked));
    const QImage image = render(bar);
    QCOMPARE(image.pixel(column, 0), cursorColor);
    const int neighbour = column > 0 ? column - 1 : column + 1;
    QCOMPARE(markIndex(image.pixel(neighbour, 0)), picked + neighbour - column);
}

void TestBarWidget::hoverShowsHint()
{
    BarWidget bar;
    fill(bar, 100, 150);

    hover(bar, QPoint(20, 25));
    QImage image = render(bar);
    QCOMPARE(image.pixel(20, 0), hoverColor);
    // Hint box 56 x 14 at (20, 25 - 14), mostly its background behind "2.00mm".
    QCOMPARE(image.pixel(20, 11), hintBackground);
    QCOMPARE(image.pixel(75, 24), hintBackground);
    QCOMPARE(markIndex(image.pixel(76, 24)), 76);
    QCOMPARE(markIndex(image.pixel(20, 10)), -1); // hovered column above the box
    int textPixels = 0;
    for (int y = 11; y < 25; ++y) {
        for (int x = 20; x < 76; ++x)
            textPixels += qGray(image.pixel(x, y)) < 100;
    }
    QVERIFY(textPixels > 10);

    // Near the right edge the box stays inside; near the top it starts at row 0.
    hover(bar, QPoint(90, 5));
    image = render(bar);
    QCOMPARE(image.pixel(90, 20), hoverColor);
    QCOMPARE(image.pixel(44, 0), hintBackground);
    QCOMPARE(markIndex(image.pixel(43, 0)), 43);
    QCOMPARE(markIndex(image.pixel(44, 14)), 44);
}

void TestBarWidget::leaveClearsHoverWhenConfigured()
{
    BarWidget bar;
    fill(bar, 100, 50);
    QEvent leave(QEvent::Leave);

    hover(bar, QPoint(10, 20));
    QCoreApplication::sendEvent(&bar, &leave);
    QCOMPARE(markIndex(render(bar).pixel(10, 0)), 10);

    bar.setClearHoverOnLeave(false);
    hover(bar, QPoint(10, 20));
    QCoreApplication::sendEvent(&bar, &leave);
    QCOMPARE(render(bar).pixel(10, 0), hoverColor);

    hover(bar, QPoint(60, 20)); // beyond the last mark: nothing hovered
    QCOMPARE(markIndex(render(bar).pixel(10, 0)), 10);
}

void TestBarWidget::wheelMovesHoverInsideWindow()
{
    BarWidget bar;
    fill(bar, 100, 150);
    hover(bar, QPoint(98, 20));
    wheel(bar, 120);
    QCOMPARE(render(bar).pixel(99, 0), hoverColor);
    wheel(bar, 120);
    QCOMPARE(render(bar).pixel(99, 0), hoverColor);
    QCOMPARE(markIndex(render(bar).pixel(98, 0)), 98);

    hover(bar, QPoint(1, 20));
    wheel(bar, -120);
    wheel(bar, -120);
    QCOMPARE(render(bar).pixel(0, 0), hoverColor);
    QCOMPARE(markIndex(render(bar).pixel(1, 0)), 1);
}

void TestBarWidget::keysMoveHoverAndPick()
{
    BarWidget bar;
    fill(bar, 100, 150);
    QSignalSpy spy(&bar, &BarWidget::clickedMark);
    QEvent leave(QEvent::Leave);
    const int lineRow = height - 5; // below the hint box

    click(bar, QPoint(10, 20));
    QCoreApplication::sendEvent(&bar, &leave);
    // Nothing hovered: the arrows start from the cursor.
    QTest::keyClick(&bar, Qt::Key_Right);
    QCOMPARE(render(bar).pixel(11, lineRow), hoverColor);
    QCOMPARE(spy.size(), 1);

    QTest::keyClick(&bar, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(spy.size(), 2);
    QCOMPARE(pickedIndex(spy, 1), 12);
    QCOMPARE(render(bar).pixel(12, lineRow), cursorColor);

    QTest::keyClick(&bar, Qt::Key_Left);
    QTest::keyClick(&bar, Qt::Key_Space);
    QCOMPARE(spy.size(), 3);
    QCOMPARE(pickedIndex(spy, 2), 11);

    hover(bar, QPoint(0, 20));
    QTest::keyClick(&bar, Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(pickedIndex(spy, 3), 0);
}

void TestBarWidget::resizeKeepsWindowInsideMarks()
{
    BarWidget bar;
    fill(bar, 100, 150);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    drag(bar, QPoint(40, 10), QPoint(0, 10));
    QCOMPARE(shownWindow(bar), qMakePair(40, 139));

    bar.resize(80, height);
    QCOMPARE(shownWindow(bar), qMakePair(40, 119));
    bar.resize(120, height);
    QCOMPARE(shownWindow(bar), qMakePair(30, 149));
    bar.resize(200, height);
    QCOMPARE(markIndex(render(bar).pixel(0, 0)), 0);
    QCOMPARE(markIndex(render(bar).pixel(149, 0)), 149);
    QCOMPARE(thumb(render(bar)).second, 0);
}

void TestBarWidget::clearMarksEmptiesStrip()
{
    BarWidget bar;
    fill(bar, 100, 150);
    bar.clearMarks();
    const QImage image = render(bar);
    for (int x = 0; x < 100; x += 9)
        QCOMPARE(image.pixel(x, height - 1), background);

    fill(bar, 100, 3);
    QCOMPARE(markIndex(render(bar).pixel(2, 0)), 2);
    QCOMPARE(render(bar).pixel(3, 0), background);
}

QTEST_MAIN(TestBarWidget)
#include "tst_barwidget.moc"
