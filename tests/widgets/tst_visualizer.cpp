#include <cmath>
#include <limits>

#include <QSignalSpy>
#include <QtTest>

#include "tst_visualizer_probe.h"

Q_DECLARE_METATYPE(VelaMath::VelaProfile)

namespace {

constexpr uint kRed = 0xFFFF0000;
constexpr uint kBlue = 0xFF0000FF;
const QPointF kProbeA(100, 100);
const QPointF kProbeB(500, 300);

bool onWidget(QPoint p, const QWidget& w)
{
    return QRect(0, 0, w.width() + 1, w.height() + 1).contains(p);
}

// Sent directly: QTest moves the cursor for moves without a button, which an unshown widget never sees.
void move(QWidget& w, QPoint pos, Qt::MouseButtons buttons = Qt::NoButton)
{
    QMouseEvent event(QEvent::MouseMove, pos, w.mapToGlobal(pos), Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

void wheel(QWidget& w, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QPointF pos(320, 240);
    QWheelEvent event(pos, w.mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &event);
}

} // namespace

class TestVisualizer : public QObject
{
    Q_OBJECT
private slots:
    void mapsWorldToScreenAndBack_data();
    void mapsWorldToScreenAndBack();
    void viewGrowsButNeverShrinksWithAutoResize();
    void viewStaysPutWithAutoResizeOff();
    void contentThatNeverMovesTheView_data();
    void contentThatNeverMovesTheView();
    void setViewSizeWidensOnlyWithAutoResizeOff();
    void zoomScalesAboutTheCentre();
    void degenerateContentKeepsMappingFinite_data();
    void degenerateContentKeepsMappingFinite();
    void objectReplacementKeepsKindAndColour();
    void sceneRemovalAnswersWhetherSomethingWasRemoved();
    void gridSpacing_data();
    void gridSpacing();
    void customFontTextRoundTrips_data();
    void customFontTextRoundTrips();
    void clickOnButtonTogglesAndEmitsNothing();
    void clickOnSceneEmitsWorldPoint();
    void leftDragPansWithoutClick();
    void wheelZoomsOnlyWithAutoResizeOff();
    void ctrlWheelStretchesButNeverCollapses();
    void middleClickGoesFullScreenAndBack();
};

void TestVisualizer::mapsWorldToScreenAndBack_data()
{
    QTest::addColumn<bool>("grid");
    QTest::addColumn<QPointF>("corner");
    QTest::addColumn<QPointF>("world");
    QTest::addColumn<QPoint>("screen");
    QTest::addColumn<QPointF>("backFromScreen");
    // Without the grid: 1 unit per pixel, y up from the bottom edge, no margins.
    const QPointF unit(640, 480), wide(1210, 100);
    QTest::newRow("origin") << false << unit << QPointF(0, 0) << QPoint(0, 480) << QPointF(0, -2);
    QTest::newRow("inner") << false << unit << QPointF(100, 100) << QPoint(100, 380) << QPointF(100, 98);
    // With the grid: margins 30/5/26/30, s = 1210 / 605 = 2, centred vertically by 215 pixels.
    QTest::newRow("grid origin") << true << wide << QPointF(0, 0) << QPoint(30, 261) << QPointF(0, 4);
    QTest::newRow("grid inner") << true << wide << QPointF(100, 100) << QPoint(80, 211) << QPointF(100, 104);
}

void TestVisualizer::mapsWorldToScreenAndBack()
{
    QFETCH(bool, grid);
    QFETCH(QPointF, corner);
    QFETCH(QPointF, world);
    QFETCH(QPoint, screen);
    QFETCH(QPointF, backFromScreen);
    VisualizerProbe v;
    v.resize(640, 480);
    if (grid) // otherwise the margins stay at 0 as constructed
        v.setEnableScale(true);
    v.addProfile(makeProfile({{0, 0}, corner}), "p", kRed, 0, 0, DrawPoints, false);
    QCOMPARE(v.pointToScreen(world), screen);
    const QPointF back = v.screenToPoint(screen);
    QVERIFY2(std::abs(back.x() - backFromScreen.x()) < 1e-9 && std::abs(back.y() - backFromScreen.y()) < 1e-9,
             qPrintable(QString("%1, %2").arg(back.x()).arg(back.y())));
    QCOMPARE(v.pointToScreen({world.x() + 10, world.y()}, true), QPoint(int(world.x()) + 10, int(world.y())));
}

void TestVisualizer::viewGrowsButNeverShrinksWithAutoResize()
{
    VisualizerProbe v;
    fitUnitView(v);
    const QPoint a = v.pointToScreen(kProbeA), b = v.pointToScreen(kProbeB);

    v.addProfile(makeProfile({{200, 200}, {300, 250}}), "inside", kRed, 0, 0, DrawPoints, false);
    v.addProfile(makeProfile({{300, 300}, {310, 310}}), "frame", 0, 0, 0, DrawPoints, false);
    QCOMPARE(v.pointToScreen(kProbeA), a);
    QCOMPARE(v.pointToScreen(kProbeB), b);

    v.addProfile(makeProfile({{0, 0}, {1280, 480}}), "wide", kRed, 0, 0, DrawPoints, false);
    QVERIFY(v.pointToScreen(kProbeB) != b);
    QVERIFY(onWidget(v.pointToScreen({1280, 480}), v));

    // Only a refit follows the content back down.
    v.removeProfile("wide");
    const QPoint wideA = v.pointToScreen(kProbeA);
    v.addProfile(makeProfile({{300, 300}, {310, 310}}), "frame", 0, 0, 0, DrawPoints, false);
    QCOMPARE(v.pointToScreen(kProbeA), wideA);
    v.resetViewPoint();
    QVERIFY(!onWidget(v.pointToScreen(kProbeA), v));
    QVERIFY(onWidget(v.pointToScreen({300, 250}), v));
}

void TestVisualizer::viewStaysPutWithAutoResizeOff()
{
    VisualizerProbe v;
    fitUnitView(v);
    v.disableAutoResize();
    const QPoint b = v.pointToScreen(kProbeB);
    v.addProfile(makeProfile({{-1000, -1000}, {5000, 5000}}), "far", kRed, 0, 0, DrawPoints, false);
    v.addLine(-3000, 0, 3000, 0, 1, "line", kRed, false);
    QCOMPARE(v.pointToScreen(kProbeB), b);

    // The first content after emptying the scene places the view.
    v.removeAllVisuals();
    v.addProfile(makeProfile({{0, 0}, {320, 240}}), "small", kRed, 0, 0, DrawPoints, false);
    QCOMPARE(v.pointToScreen({320, 240}), QPoint(640, 0));
    v.addProfile(makeProfile({{0, 0}, {640, 480}}), "big", kRed, 0, 0, DrawPoints, false);
    QCOMPARE(v.pointToScreen({320, 240}), QPoint(640, 0));

    // Turning auto resize on refits to all content.
    v.enableAutoResize();
    QVERIFY(onWidget(v.pointToScreen({640, 480}), v));
}

void TestVisualizer::contentThatNeverMovesTheView_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("moves");
    QTest::newRow("line") << "line" << true;
    QTest::newRow("ignored line") << "ignored" << false;
    QTest::newRow("fixed line") << "fixed" << false;
    QTest::newRow("arc") << "arc" << false;
    QTest::newRow("circle") << "circle" << true;
    QTest::newRow("fixed text") << "text" << false;
}

void TestVisualizer::contentThatNeverMovesTheView()
{
    QFETCH(QString, kind);
    QFETCH(bool, moves);
    VisualizerProbe v;
    fitUnitView(v);
    QCOMPARE(v.addObjectToIgnoreList("x"), 1);
    QCOMPARE(v.addObjectToIgnoreList("ignored"), 2);
    const QPoint b = v.pointToScreen(kProbeB);
    if (kind == "arc")
        v.addArc(-5000, -5000, 10000, 10000, 0, 5760, 1, kind, kRed, false);
    else if (kind == "circle")
        v.addCircle(0, 0, 5000, 1, kind, kRed, false);
    else if (kind == "text")
        v.addText(5000, 5000, 14, "far away", kind, kRed, true);
    else
        v.addLine(-5000, -5000, 5000, 5000, 1, kind, kRed, kind == "fixed");
    QCOMPARE(v.pointToScreen(kProbeB) != b, moves);
}

void TestVisualizer::setViewSizeWidensOnlyWithAutoResizeOff()
{
    VisualizerProbe v;
    fitUnitView(v);
    const QPoint b = v.pointToScreen(kProbeB);
    v.setViewSize(0, 0, 1280, 960);
    QCOMPARE(v.pointToScreen(kProbeB), b);
    v.disableAutoResize();
    v.setViewSize(0, 0, 1280, 960);
    QCOMPARE(v.pointToScreen({1280, 960}), QPoint(640, 0));
    QCOMPARE(v.pointToScreen({0, 0}), QPoint(0, 480));
}

void TestVisualizer::zoomScalesAboutTheCentre()
{
    VisualizerProbe v;
    fitUnitView(v);
    const QPoint centre = v.pointToScreen({320, 240});
    v.zoom(2.0);
    QVERIFY((v.pointToScreen({320, 240}) - centre).manhattanLength() <= 2);
    QCOMPARE(v.pointToScreen({420, 240}).x() - v.pointToScreen({320, 240}).x(), 50);
    // Factors that would collapse or mirror the view are refused.
    v.zoom(0.0);
    v.zoom(-1.0);
    QCOMPARE(v.pointToScreen({420, 240}).x() - v.pointToScreen({320, 240}).x(), 50);
}

void TestVisualizer::degenerateContentKeepsMappingFinite_data()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    QTest::addColumn<VelaMath::VelaProfile>("profile");
    QTest::addColumn<bool>("afterContent");
    QTest::newRow("single point") << makeProfile({{12.5, 7.25}}) << false;
    QTest::newRow("three at one spot") << makeProfile({{3, 4}, {3, 4}, {3, 4}}) << false;
    QTest::newRow("infinite point") << makeProfile({{inf, 0}, {1e9, -1e9}}) << true;
    QTest::newRow("undefined only") << makeProfile({{nan, 1}, {2, nan}}) << false;
}

void TestVisualizer::degenerateContentKeepsMappingFinite()
{
    QFETCH(VelaMath::VelaProfile, profile);
    QFETCH(bool, afterContent);
    VisualizerProbe v;
    v.resize(640, 480);
    v.setEnableScale(true);
    if (afterContent)
        fitUnitView(v);
    const QPoint b = v.pointToScreen(kProbeB);
    v.addProfile(profile, "p", kRed, 0, 3, DrawLines, false);
    for (const VelaMath::VelaPointXY& p : profile.points) {
        if (!std::isnan(p.x) && !std::isnan(p.y) && !afterContent)
            QVERIFY(onWidget(v.pointToScreen({p.x, p.y}), v));
    }
    if (afterContent)
        QCOMPARE(v.pointToScreen(kProbeB), b);
    // Zooming far in keeps the mapping finite.
    v.disableAutoResize();
    for (int i = 0; i < 20000; ++i)
        v.zoom(0.5);
    const QPoint far = v.pointToScreen({3, 4});
    QVERIFY(far.x() > -10000000 && far.x() < 10000000 && far.y() > -10000000 && far.y() < 10000000);
    QVERIFY(!v.grab().isNull());
    // The next real content still places the view.
    v.removeAllVisuals();
    v.addProfile(makeProfile({{0, 0}, {640, 480}}), "p", kRed, 0, 0, DrawPoints, false);
    QVERIFY(onWidget(v.pointToScreen(kProbeB), v));
}

void TestVisualizer::objectReplacementKeepsKindAndColour()
{
    VisualizerProbe v;
    fitUnitView(v);
    v.addLine(0, 0, 10, 10, 1, "o", kBlue, false);
    v.addCircle(50, 60, 5, 2, "o", 0, true);
    const VelaProfileVisulaizerObject* o = v.findObject("o");
    QVERIFY(o);
    QCOMPARE(o->kind, ObjLine);
    QCOMPARE(o->color, kBlue);
    QCOMPARE(o->numbers, QList<double>({50, 60, 5, 2}));
    QVERIFY(o->fixed);
    v.addText(1, 2, 9, "t", "o", kRed, false);
    QCOMPARE(v.findObject("o")->color, kRed);
    QCOMPARE(v.findObject("o")->text, QString("t"));
    QVERIFY(!v.grab().isNull()); // a line holding a text's three numbers still draws
    v.addFillRect(0, 0, 1, 1, "new", 0, false);
    QCOMPARE(v.findObject("new")->color, 0xFFC0C0C0u);
    QCOMPARE(v.findObject("new")->kind, ObjFillRect);
}

void TestVisualizer::sceneRemovalAnswersWhetherSomethingWasRemoved()
{
    VisualizerProbe v;
    fitUnitView(v);
    const VelaMath::VelaProfile p = makeProfile({{1, 1}});
    QVERIFY(!v.updateProfile(p, "none", kRed, 0, false));
    QVERIFY(v.updateProfile(p, "frame", kRed, 0, false));
    v.addProfile(p, "twice", kRed, 0, 0, DrawPoints, false);
    QVERIFY(v.removeProfile("twice"));
    QVERIFY(!v.removeProfile("twice"));
    QVERIFY(!v.removeObject("o"));
    v.addLine(0, 0, 1, 1, 1, "o", kRed, false);
    QVERIFY(v.removeObject("o"));
    QVERIFY(!v.findObject("o"));
}

void TestVisualizer::gridSpacing_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("step");
    QTest::addColumn<int>("interval");
    QTest::newRow("just above 0.01") << 0.0101 << 1.0 << 1;
    QTest::newRow("0.01 gives the fine step") << 0.01 << 0.2 << 2;
    QTest::newRow("5 pixels per step") << 0.19 << 1.0 << 5;
    QTest::newRow("20 pixels per step") << 0.0495 << 1.0 << 2;
    QTest::newRow("30 pixels per step") << 1 / 30.5 << 1.0 << 1;
    QTest::newRow("less than a pixel per step") << 2.0 << 1.0 << 40;
}

void TestVisualizer::gridSpacing()
{
    QFETCH(double, scale);
    QFETCH(double, step);
    QFETCH(int, interval);
    double gotStep = 0;
    int gotInterval = 0;
    VisualizerProbe::gridSpacing(scale, gotStep, gotInterval);
    QCOMPARE(gotStep, step);
    QCOMPARE(gotInterval, interval);
}

void TestVisualizer::customFontTextRoundTrips_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("font");
    QTest::newRow("plain") << "42 pts" << QStringList({"serif", "42 pts"});
    QTest::newRow("custom") << VelaVisualizer::customFontText("monospace", "42 pts")
                            << QStringList({"monospace", "42 pts"});
    QTest::newRow("separator in text")
        << VelaVisualizer::customFontText("mono", QString("a") + QChar(0xFF) + "b")
        << QStringList({"mono", QString("a") + QChar(0xFF) + "b"});
}

void TestVisualizer::customFontTextRoundTrips()
{
    QFETCH(QString, text);
    QFETCH(QStringList, font);
    QCOMPARE(VisualizerProbe::getFont(text), font);
}

void TestVisualizer::clickOnButtonTogglesAndEmitsNothing()
{
    VisualizerProbe v;
    fitUnitView(v);
    QSignalSpy clicks(&v, &VelaVisualizer::clicked);
    const QPoint autoButton(640 - 30, 10);
    const QPoint b = v.pointToScreen(kProbeB);
    move(v, autoButton);
    QTest::mouseClick(&v, Qt::LeftButton, Qt::NoModifier, autoButton);
    QCOMPARE(clicks.count(), 0);
    // Auto resize is off now: the wheel zooms.
    wheel(v, -120);
    QVERIFY(v.pointToScreen(kProbeB) != b);
    // Without a hover before it, a press on a button is still no scene click.
    move(v, QPoint(300, 300));
    QTest::mouseClick(&v, Qt::LeftButton, Qt::NoModifier, autoButton);
    QCOMPARE(clicks.count(), 0);
}

void TestVisualizer::clickOnSceneEmitsWorldPoint()
{
    VisualizerProbe v;
    fitUnitView(v);
    QSignalSpy clicks(&v, &VelaVisualizer::clicked);
    move(v, QPoint(100, 380));
    QTest::mouseClick(&v, Qt::LeftButton, Qt::NoModifier, QPoint(100, 380));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
    QCOMPARE(clicks.at(0).at(1).toPointF(), v.screenToPoint(QPoint(100, 380)));
    // Other buttons report the last left press position.
    QTest::mouseClick(&v, Qt::RightButton, Qt::NoModifier, QPoint(300, 300));
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(clicks.at(1).at(0).value<Qt::MouseButton>(), Qt::RightButton);
    QCOMPARE(clicks.at(1).at(1).toPointF(), v.screenToPoint(QPoint(100, 380)));
}

void TestVisualizer::leftDragPansWithoutClick()
{
    VisualizerProbe v;
    fitUnitView(v);
    v.disableAutoResize();
    QSignalSpy clicks(&v, &VelaVisualizer::clicked);
    const QPoint b = v.pointToScreen(kProbeB);
    QTest::mousePress(&v, Qt::LeftButton, Qt::NoModifier, QPoint(200, 200));
    move(v, QPoint(230, 180), Qt::LeftButton);
    QTest::mouseRelease(&v, Qt::LeftButton, Qt::NoModifier, QPoint(230, 180));
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(v.pointToScreen(kProbeB), b + QPoint(30, -20));
}

void TestVisualizer::wheelZoomsOnlyWithAutoResizeOff()
{
    VisualizerProbe v;
    fitUnitView(v);
    const QPoint a = v.pointToScreen(kProbeA), b = v.pointToScreen(kProbeB);
    wheel(v, -120);
    wheel(v, 120, Qt::ControlModifier);
    QCOMPARE(v.pointToScreen(kProbeB), b);
    v.disableAutoResize();
    wheel(v, -120); // zoom out: the probes come closer together
    QVERIFY((v.pointToScreen(kProbeB) - v.pointToScreen(kProbeA)).manhattanLength()
            < (b - a).manhattanLength());
    wheel(v, 120);
    wheel(v, 120); // zoom in
    QVERIFY((v.pointToScreen(kProbeB) - v.pointToScreen(kProbeA)).manhattanLength()
            > (b - a).manhattanLength());
}

void TestVisualizer::ctrlWheelStretchesButNeverCollapses()
{
    VisualizerProbe v;
    fitUnitView(v);
    v.disableAutoResize();
    const QPoint b = v.pointToScreen(kProbeB);
    wheel(v, 0, Qt::ControlModifier);
    QCOMPARE(v.pointToScreen(kProbeB), QPoint(b.x(), int(b.y() * 1.1)));
    for (int i = 0; i < 30; ++i)
        wheel(v, -120, Qt::ControlModifier);
    QCOMPARE(v.pointToScreen(kProbeB), QPoint(b.x(), int(b.y() * 0.1)));
}

void TestVisualizer::middleClickGoesFullScreenAndBack()
{
    QWidget parent;
    parent.resize(400, 300);
    auto* v = new VisualizerProbe(&parent);
    v->resize(300, 200);
    parent.show();
    QSignalSpy switching(v, &VelaVisualizer::switchingFullScreen);

    QTest::mouseClick(v, Qt::MiddleButton, Qt::NoModifier, QPoint(10, 10));
    QCOMPARE(switching.count(), 1);
    QCOMPARE(switching.at(0).at(0).toBool(), true);
    QVERIFY(!v->parentWidget());
    QVERIFY(v->windowState() & Qt::WindowFullScreen);
    // Content that arrives while full screen does not change the size to return to.
    v->addProfile(makeProfile({{0, 0}, {10, 10}}), "p", kRed, 0, 0, DrawPoints, false);

    QTest::mouseClick(v, Qt::MiddleButton, Qt::NoModifier, QPoint(10, 10));
    QCOMPARE(switching.count(), 2);
    QCOMPARE(switching.at(1).at(0).toBool(), false);
    QCOMPARE(v->parentWidget(), &parent);
    QCOMPARE(v->size(), QSize(300, 200));
    QVERIFY(!(v->windowState() & Qt::WindowFullScreen));

    v->disableFullscreenMode();
    v->toggleFullScreen();
    QCOMPARE(switching.count(), 2);
    QCOMPARE(v->parentWidget(), &parent);
}

QTEST_MAIN(TestVisualizer)
#include "tst_visualizer.moc"
