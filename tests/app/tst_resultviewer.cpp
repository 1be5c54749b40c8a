#include "ResultViewerSupport.h"

#include <QCheckBox>
#include <QComboBox>

#include <algorithm>

using namespace ResultViewerTest;
using VelaMath::VelaPointXY;

namespace {
// A flat line at height 10 with one spike of 30 in its middle.
ProfileRecord spikedLine()
{
    QList<VelaPointXY> points;
    for (int i = 0; i < 100; ++i)
        points.append({ 0.5f * float(i), i == 50 ? 30.0f : 10.0f });
    return ProfileRecord(points);
}

float highest(const VelaMath::VelaProfile& profile)
{
    float top = -1.0f;
    for (const VelaPointXY& point : profile.points)
        top = std::max(top, point.y);
    return top;
}
}

class TestResultViewer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void counting_data();
    void counting();
    void otherTabsCountWithoutShowing_data();
    void otherTabsCountWithoutShowing();
    void unfilteredDrawing();
    void filters_data();
    void filters();
    void drawingAtMostEvery40ms();
    void listenUDPZeroesCountersForGood();
    void startStopWithSensor();
    void startEndsImageAcquisition();
    void noSelectedDevice();

private:
    ConnectedWindow m_view;
};

void TestResultViewer::init()
{
    QVERIFY(m_view.open());
}

void TestResultViewer::cleanup()
{
    m_view.close();
}

void TestResultViewer::counting_data()
{
    QTest::addColumn<QList<int>>("counters");
    QTest::addColumn<int>("measurements");
    QTest::addColumn<int>("packets");

    QTest::newRow("initial last counter dropped") << QList<int> { 43981, 10, 12 } << 2 << 2;
    QTest::newRow("duplicates dropped") << QList<int> { 10, 10, 11, 11, 11, 13 } << 3 << 3;
    QTest::newRow("65534, 65535, 0") << QList<int> { 65534, 65535, 0 } << 1 << 3;
    QTest::newRow("backwards 5000 to 10") << QList<int> { 5000, 10 } << 4989 << 2;
    QTest::newRow("largest forward step") << QList<int> { 0, 4096 } << 4096 << 2;
    QTest::newRow("just above it") << QList<int> { 0, 4097 } << 61438 << 2;
    QTest::newRow("wrap through 0") << QList<int> { 65530, 4 } << 10 << 2;
}

void TestResultViewer::counting()
{
    QFETCH(QList<int>, counters);
    QFETCH(int, measurements);
    QFETCH(int, packets);
    const ProfileRecord record = ProfileRecord::flat(30);
    for (int counter : counters)
        m_view.receive(record, quint16(counter));
    QCOMPARE(m_view.entry().statistics.measTotal, measurements);
    // The labels may show a burst's totals a little later, but they end on the last ones.
    QTRY_COMPARE(m_view.label("msrCounterLabel"), QString::number(measurements));
    QTRY_COMPARE(m_view.label("pckCounterLabel"), QString::number(packets));
}

void TestResultViewer::otherTabsCountWithoutShowing_data()
{
    QTest::addColumn<int>("tab");
    QTest::newRow("Search") << 0;
    QTest::newRow("Image Viewer") << 2;
}

void TestResultViewer::otherTabsCountWithoutShowing()
{
    QFETCH(int, tab);
    const QString shownBefore = m_view.label("pckCounterLabel");
    widget<QTabWidget>(*m_view.window, "tabWidget")->setCurrentIndex(tab);
    const ProfileRecord record = ProfileRecord::flat(30);
    m_view.receive(record, 100);
    m_view.receive(record, 103);
    QCOMPARE(m_view.entry().statistics.packetTotal, 2);
    QCOMPARE(m_view.entry().statistics.measTotal, 3);
    QCOMPARE(m_view.label("pckCounterLabel"), shownBefore);
    QCOMPARE(m_view.drawnPoints("p1"), -1);

    // Back on the Result Viewer the totals so far show with the next profile.
    widget<QTabWidget>(*m_view.window, "tabWidget")->setCurrentIndex(1);
    m_view.receive(record, 104);
    QCOMPARE(m_view.label("pckCounterLabel"), QString("3"));
    QCOMPARE(m_view.label("msrCounterLabel"), QString("4"));
}

void TestResultViewer::unfilteredDrawing()
{
    QCOMPARE(widget<QComboBox>(*m_view.window, "comboFilter")->currentIndex(), 0);
    m_view.receive(spikedLine(), 1);

    const VelaProfileData* p1 = Scene::profile(m_view.visualizer(), "p1");
    QVERIFY(p1);
    QCOMPARE(p1->profile.size(), 100);
    QCOMPARE(p1->profile.points[50].y, 30.0f);
    QCOMPARE(p1->profile.points[99].x, 49.5f);
    QCOMPARE(m_view.drawnPoints("p3"), 0);

    const VelaProfileVisulaizerObject* caption = Scene::object(m_view.visualizer(), "pts");
    QVERIFY(caption);
    QCOMPARE(caption->text, VelaVisualizer::customFontText("monospace", "100 pts"));
    QVERIFY(caption->fixed);
    QCOMPARE(caption->at(0), 550.0);
    QCOMPARE(caption->at(1), 60.0);
}

void TestResultViewer::filters_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<int>("minPoints");
    QTest::addColumn<int>("maxPoints");
    QTest::addColumn<float>("maxHeight");

    // Every filter takes the spike down; only the spline resamples.
    QTest::newRow("Kih filter") << 1 << 100 << 100 << 15.0f;
    QTest::newRow("Spline int.") << 2 << 1000 << 1024 << 30.01f;
    QTest::newRow("Splash filter") << 3 << 40 << 99 << 10.0f;
    QTest::newRow("Window flt.") << 4 << 100 << 100 << 14.0f;
}

void TestResultViewer::filters()
{
    QFETCH(int, filter);
    QFETCH(int, minPoints);
    QFETCH(int, maxPoints);
    QFETCH(float, maxHeight);
    widget<QComboBox>(*m_view.window, "comboFilter")->setCurrentIndex(filter);
    m_view.receive(spikedLine(), 1);

    const VelaProfileData* p1 = Scene::profile(m_view.visualizer(), "p1");
    QVERIFY(p1);
    QVERIFY2(p1->profile.size() >= minPoints && p1->profile.size() <= maxPoints,
             qPrintable(QString::number(p1->profile.size())));
    QVERIFY2(highest(p1->profile) <= maxHeight, qPrintable(QString::number(highest(p1->profile))));
    QVERIFY(highest(p1->profile) >= 10.0f - 1e-3f);
    QCOMPARE(m_view.drawnPoints("p3"), 0);
    const VelaProfileVisulaizerObject* caption = Scene::object(m_view.visualizer(), "pts");
    QCOMPARE(caption->text,
             VelaVisualizer::customFontText("monospace", QString("%1 pts").arg(p1->profile.size())));
}

void TestResultViewer::drawingAtMostEvery40ms()
{
    TestClock clock;
    clock.set(100000);
    m_view.receive(ProfileRecord::flat(30), 1);
    QCOMPARE(m_view.drawnPoints("p1"), 30);

    clock.set(100040);
    m_view.receive(ProfileRecord::flat(31), 2);
    QCOMPARE(m_view.drawnPoints("p1"), 30);
    QTRY_COMPARE(m_view.label("pckCounterLabel"), QString("2"));

    clock.set(100041);
    m_view.receive(ProfileRecord::flat(32), 3);
    QCOMPARE(m_view.drawnPoints("p1"), 32);
}

void TestResultViewer::listenUDPZeroesCountersForGood()
{
    const ProfileRecord record = ProfileRecord::flat(30);
    for (quint16 counter = 1; counter <= 3; ++counter)
        m_view.receive(record, counter);
    widget<QCheckBox>(*m_view.window, "checkUDP")->setEnabled(true);
    widget<QCheckBox>(*m_view.window, "checkUDP")->setChecked(true);
    QVERIFY(m_view.entry().listeningUDP);
    QCOMPARE(m_view.label("pckCounterLabel"), QString("0"));
    // A total of the burst not shown yet must not come back over the zero.
    QTest::qWait(CounterLabels::RefreshMs + 100);
    QCOMPARE(m_view.label("pckCounterLabel"), QString("0"));
    QCOMPARE(m_view.label("msrCounterLabel"), QString("0"));
}

void TestResultViewer::startStopWithSensor()
{
    QPushButton* start = widget<QPushButton>(*m_view.window, "buttonDrawProfiles");
    QVERIFY(start->isEnabled());
    start->click();
    QCOMPARE(start->text(), QString("Stop"));
    QVERIFY(m_view.entry().acquiringProfiles);
    QVERIFY(!widget<QCheckBox>(*m_view.window, "checkUDP")->isEnabled());
    QVERIFY(widget<QPushButton>(*m_view.window, "buttonSaveCSV")->isEnabled());

    // The emulated profile arrives, is counted and drawn, and the rates come with the timer.
    QTRY_VERIFY_WITH_TIMEOUT(m_view.label("pckCounterLabel").toInt() > 20, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(m_view.drawnPoints("p1") > 100, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(m_view.label("avgPckRateLabel").toInt() > 0, 5000);
    QVERIFY(m_view.label("msrCounterLabel").toInt() > 0);

    // The README's screenshot of the Result Viewer: LS7X_RESULTVIEWER_SCREENSHOT=docs/resultviewer.png
    const QString screenshot = qEnvironmentVariable("LS7X_RESULTVIEWER_SCREENSHOT");
    if (!screenshot.isEmpty())
        QVERIFY(m_view.window->grab().save(screenshot));

    start->click();
    QCOMPARE(start->text(), QString("Start"));
    QVERIFY(!m_view.entry().acquiringProfiles);
    QVERIFY(m_view.streamer().isPaused());
    QVERIFY(widget<QCheckBox>(*m_view.window, "checkUDP")->isEnabled());
    QVERIFY(!widget<QPushButton>(*m_view.window, "buttonSaveCSV")->isEnabled());
    const AcquisitionStatistics& statistics = m_view.entry().statistics;
    QCOMPARE(statistics.windowPos, 0);
    QVERIFY(std::all_of(statistics.packetWindow.begin(), statistics.packetWindow.end(),
                        [](qint32 packets) { return packets == 0; }));
}

void TestResultViewer::startEndsImageAcquisition()
{
    m_view.entry().acquiringImages = true;
    QPushButton* images = widget<QPushButton>(*m_view.window, "buttonDrawImages");
    images->setText("Stop");
    widget<QPushButton>(*m_view.window, "buttonDrawProfiles")->click();
    QVERIFY(!m_view.entry().acquiringImages);
    QVERIFY(m_view.entry().acquiringProfiles);
    QCOMPARE(images->text(), QString("Start"));
    QVERIFY(!widget<QPushButton>(*m_view.window, "buttonSaveBitmap")->isEnabled());
}

// After a new search has cleared the combos they show no device; nothing may reach for one.
void TestResultViewer::noSelectedDevice()
{
    m_view.window->disconnectAll();
    QCOMPARE(widget<QComboBox>(*m_view.window, "cobmoDrawProfiles")->currentIndex(), -1);
    const QString status = statusText(*m_view.window);
    m_view.window->onClickedDrawProfilesButton();
    m_view.window->onChangeSelDrawProfilesCombo(-1);
    m_view.window->onRecvProfile(0, ProfileRecord::flat(30).data(), 5, 5);
    m_view.window->onReadError(0);
    m_view.window->calculatePerSecValues();
    QCOMPARE(statusText(*m_view.window), status);
    QCOMPARE(m_view.drawnPoints("p1"), -1);
}

QTEST_MAIN(TestResultViewer)
#include "tst_resultviewer.moc"
