#include "ResultViewerSupport.h"

#include <QComboBox>

using namespace ResultViewerTest;

class TestStreamStatistics : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void rates();
    void ratesOfAnotherDeviceStayUnshown();
    void readErrorStopsProfiles();
    void readErrorOfImagesStartsNothing();
    void readErrorOfPausedStreamerIgnored();
    void sensorGoneWhileStreaming();
    void abnormalEnd_data();
    void abnormalEnd();
    void normalEnd();

private:
    // Profiles with these counters, then one statistics tick at the given time.
    void tick(quint32 ms, const QList<int>& counters);

    ConnectedWindow m_view;
};

void TestStreamStatistics::init()
{
    QVERIFY(m_view.open());
}

void TestStreamStatistics::cleanup()
{
    m_view.close();
}

void TestStreamStatistics::tick(quint32 ms, const QList<int>& counters)
{
    const ProfileRecord record = ProfileRecord::flat(20);
    for (int counter : counters)
        m_view.receive(record, quint16(counter));
    TestClock::set(ms);
    m_view.window->calculatePerSecValues();
}

void TestStreamStatistics::rates()
{
    TestClock clock;
    // Counted as while acquiring, without the sensor's own profiles in between.
    m_view.entry().acquiringProfiles = true;

    tick(5000, { 1000, 1500 });   // first tick: factor 1
    QCOMPARE(m_view.label("msrRateLabel"), QString("500"));
    QCOMPARE(m_view.label("pckRateLabel"), QString("2"));
    QCOMPARE(m_view.label("avgMrsRateLabel"), QString("500"));
    QCOMPARE(m_view.label("avgPckRateLabel"), QString("2"));

    tick(6250, { 2000 });   // 1250 ms later: 500 new measurements are 400 per second
    QCOMPARE(m_view.label("msrRateLabel"), QString("400"));
    QCOMPARE(m_view.label("avgMrsRateLabel"), QString("400"));   // (500 + 500) x 0.8 / 2

    tick(7250, {});   // nothing came: the empty second does not lower the average
    QCOMPARE(m_view.label("msrRateLabel"), QString("0"));
    QCOMPARE(m_view.label("avgMrsRateLabel"), QString("500"));
    QCOMPARE(m_view.label("avgPckRateLabel"), QString("2"));
    QCOMPARE(m_view.entry().statistics.profileSeconds, 3);

    // Stop empties the windows: the averages fall to 0.
    widget<QPushButton>(*m_view.window, "buttonDrawProfiles")->click();
    QVERIFY(!m_view.entry().acquiringProfiles);
    tick(8250, {});
    QCOMPARE(m_view.label("avgMrsRateLabel"), QString("0"));
    QCOMPARE(m_view.label("avgPckRateLabel"), QString("0"));
    QCOMPARE(m_view.entry().statistics.profileSeconds, 3);
}

void TestStreamStatistics::ratesOfAnotherDeviceStayUnshown()
{
    TestClock clock;
    m_view.entry().acquiringProfiles = true;
    widget<QTabWidget>(*m_view.window, "tabWidget")->setCurrentIndex(0);
    tick(5000, { 1, 9 });
    QCOMPARE(m_view.label("msrRateLabel"), QString("0"));
    // The windows still move on.
    QCOMPARE(m_view.entry().statistics.measWindow[0], 8);
}

void TestStreamStatistics::readErrorStopsProfiles()
{
    QPushButton* start = widget<QPushButton>(*m_view.window, "buttonDrawProfiles");
    start->click();
    QVERIFY(!m_view.streamer().isPaused());
    m_view.window->onReadError(static_cast<unsigned char>(m_view.row));
    QCOMPARE(statusText(*m_view.window), QString("127.0.0.1 (SN: %1): Failed to retrieve data").arg(Serial));
    QVERIFY(!m_view.entry().acquiringProfiles);
    QVERIFY(m_view.streamer().isPaused());
    QCOMPARE(start->text(), QString("Start"));
}

void TestStreamStatistics::readErrorOfImagesStartsNothing()
{
    m_view.entry().acquiringImages = true;
    m_view.streamer().readImages(true);
    m_view.streamer().resume();
    m_view.window->onReadError(static_cast<unsigned char>(m_view.row));
    QCOMPARE(statusText(*m_view.window), QString("127.0.0.1 (SN: %1): Failed to retrieve data").arg(Serial));
    QVERIFY(!m_view.entry().acquiringImages);
    QVERIFY(!m_view.entry().acquiringProfiles);
    QVERIFY(m_view.streamer().isPaused());
    QCOMPARE(widget<QPushButton>(*m_view.window, "buttonDrawProfiles")->text(), QString("Start"));
}

void TestStreamStatistics::readErrorOfPausedStreamerIgnored()
{
    QVERIFY(m_view.streamer().isPaused());
    const QString status = statusText(*m_view.window);
    m_view.window->onReadError(static_cast<unsigned char>(m_view.row));
    QCOMPARE(statusText(*m_view.window), status);
    QCOMPARE(widget<QPushButton>(*m_view.window, "buttonDrawProfiles")->text(), QString("Start"));
}

// The sensor disappears while its profiles are drawn: the failing reads stop the acquisition,
// the streamer finds the sensor gone and ends its run, and the window disconnects the sensor.
void TestStreamStatistics::sensorGoneWhileStreaming()
{
    StatusLog log(*m_view.window);
    widget<QPushButton>(*m_view.window, "buttonDrawProfiles")->click();
    QTRY_VERIFY_WITH_TIMEOUT(m_view.label("pckCounterLabel").toInt() > 5, 10000);
    m_view.sensors->emulator().stop();
    QTRY_COMPARE_WITH_TIMEOUT(cellText(*m_view.window, m_view.row, 4), QString("Not connected"), 20000);

    const QString prefix = QString("127.0.0.1 (SN: %1): ").arg(Serial);
    const QString lost = prefix + "Stream ended abnormally; rc=5 (Connection lost)";
    QVERIFY2(log.messages.contains(prefix + "Failed to retrieve data"), qPrintable(log.messages.join('\n')));
    QVERIFY2(log.messages.contains(lost), qPrintable(log.messages.join('\n')));
    QCOMPARE(statusText(*m_view.window), lost);
    QVERIFY(!m_view.entry().connected);
    QVERIFY(!m_view.entry().acquiringProfiles);
    QVERIFY(!m_view.streamer().isRunning());
    QCOMPARE(widget<QPushButton>(*m_view.window, "buttonDrawProfiles")->text(), QString("Start"));
    QCOMPARE(widget<QPushButton>(*m_view.window, "buttonConnect")->text(), QString("Connect"));
    QVERIFY(widget<QPushButton>(*m_view.window, "buttonSearch")->isEnabled());
}

void TestStreamStatistics::abnormalEnd_data()
{
    QTest::addColumn<int>("rc");
    QTest::addColumn<QString>("reason");
    QTest::newRow("1") << 1 << "Out of memory";
    QTest::newRow("4") << 4 << "UDP connect failed";
    QTest::newRow("5") << 5 << "Connection lost";
    QTest::newRow("unknown") << 9 << "";
}

// The streamer reports the end of its run while profiles are drawn.
void TestStreamStatistics::abnormalEnd()
{
    QFETCH(int, rc);
    QFETCH(QString, reason);
    widget<QPushButton>(*m_view.window, "buttonDrawProfiles")->click();
    emit m_view.streamer().complete(static_cast<uchar>(m_view.row), static_cast<uchar>(rc));

    const QString message = QString("127.0.0.1 (SN: %1): Stream ended abnormally; rc=%2 (%3)")
                                .arg(Serial)
                                .arg(rc)
                                .arg(reason);
    QTRY_COMPARE_WITH_TIMEOUT(cellText(*m_view.window, m_view.row, 4), QString("Not connected"), 15000);
    QCOMPARE(statusText(*m_view.window), message);
    QVERIFY(!m_view.entry().connected);
    QVERIFY(!m_view.entry().acquiringProfiles);
    QVERIFY(!m_view.streamer().isRunning());
    QVERIFY(widget<QPushButton>(*m_view.window, "buttonSearch")->isEnabled());
    QVERIFY(!widget<QPushButton>(*m_view.window, "buttonSaveCSV")->isEnabled());
    QCOMPARE(widget<QPushButton>(*m_view.window, "buttonConnect")->text(), QString("Connect"));
    // The stop's own normal end, arriving afterwards, leaves the reason standing.
    QTest::qWait(100);
    QCOMPARE(statusText(*m_view.window), message);

    // Usable again: the sensor connects anew.
    widget<QPushButton>(*m_view.window, "buttonConnect")->click();
    QVERIFY(waitForCell(*m_view.window, m_view.row, 4, "Connected"));
}

void TestStreamStatistics::normalEnd()
{
    emit m_view.streamer().complete(static_cast<uchar>(m_view.row), 0);
    QTRY_COMPARE_WITH_TIMEOUT(cellText(*m_view.window, m_view.row, 4), QString("Not connected"), 15000);
    QCOMPARE(statusText(*m_view.window), QString("127.0.0.1 (SN: %1): disconnected").arg(Serial));
    QVERIFY(widget<QPushButton>(*m_view.window, "buttonSearch")->isEnabled());
}

QTEST_MAIN(TestStreamStatistics)
#include "tst_streamstatistics.moc"
