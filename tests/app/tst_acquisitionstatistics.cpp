#include "AcquisitionStatistics.h"

#include <QtTest>

class TestAcquisitionStatistics : public QObject
{
    Q_OBJECT

private slots:
    void tickFactor_data();
    void tickFactor();
    void windowsFollowTheTicks();
    void emptySlotsDoNotLowerAverages();
    void frameAverageAndSpeed();
};

void TestAcquisitionStatistics::tickFactor_data()
{
    QTest::addColumn<quint32>("now");
    QTest::addColumn<quint32>("previous");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("perSecond");

    QTest::newRow("first tick") << 5000u << 0u << 500 << 500;
    QTest::newRow("1250 ms") << 6250u << 5000u << 500 << 400;
    QTest::newRow("800 ms rounds up") << 800u << 1u << 333 << 417;
    QTest::newRow("tick count wrapped") << 999u << 0xFFFFFFFFu << 7 << 7;
    QTest::newRow("same millisecond") << 10u << 10u << 3 << 3000;
}

void TestAcquisitionStatistics::tickFactor()
{
    QFETCH(quint32, now);
    QFETCH(quint32, previous);
    QFETCH(int, count);
    QFETCH(int, perSecond);
    const float factor = AcquisitionStatistics::tickFactor(now, previous);
    QCOMPARE(AcquisitionStatistics::perSecond(count, factor), perSecond);
}

void TestAcquisitionStatistics::windowsFollowTheTicks()
{
    AcquisitionStatistics statistics;
    statistics.measTotal = 30;
    statistics.packetTotal = 3;
    statistics.frameTotal = 2;
    const AcquisitionStatistics::ProfileStep first = statistics.advanceProfileWindows();
    QCOMPARE(first.measurements, 30);
    QCOMPARE(first.packets, 3);
    QCOMPARE(statistics.advanceFrameWindow(), 2);

    statistics.measTotal = 50;
    statistics.packetTotal = 5;
    const AcquisitionStatistics::ProfileStep second = statistics.advanceProfileWindows();
    QCOMPARE(second.measurements, 20);
    QCOMPARE(second.packets, 2);
    QCOMPARE(statistics.advanceFrameWindow(), 0);

    // Each tick moves the position twice: profiles, then frames.
    QCOMPARE(statistics.measWindow[0], 30);
    QCOMPARE(statistics.frameWindow[1], 2);
    QCOMPARE(statistics.measWindow[2], 20);
    QCOMPARE(statistics.windowPos, 4);
    statistics.advanceProfileWindows();
    QCOMPARE(statistics.windowPos, 0);

    statistics.clearWindows();
    QCOMPARE(statistics.windowPos, 0);
    QCOMPARE(statistics.averageMeasurementRate(1.0f), 0);
    QCOMPARE(statistics.measTotal, 50);
}

void TestAcquisitionStatistics::emptySlotsDoNotLowerAverages()
{
    AcquisitionStatistics statistics;
    statistics.measWindow = { 100, 0, 300, 0, 0 };
    statistics.packetWindow = { 10, 0, 0, 0, 0 };
    // Slots 0 and 2 count (measurements or packets came), the three empty ones do not.
    QCOMPARE(statistics.averageMeasurementRate(1.0f), 200);
    QCOMPARE(statistics.averagePacketRate(1.0f), 5);
    QCOMPARE(statistics.averageMeasurementRate(0.8f), 160);
    // A slot with packets but no measurement steps (duplicates of a sensor) still counts.
    statistics.measWindow = { 0, 0, 0, 0, 90 };
    statistics.packetWindow = { 0, 0, 6, 0, 3 };
    QCOMPARE(statistics.averageMeasurementRate(1.0f), 45);
    QCOMPARE(statistics.averagePacketRate(1.0f), 5);
}

void TestAcquisitionStatistics::frameAverageAndSpeed()
{
    AcquisitionStatistics statistics;
    QCOMPARE(statistics.averageFrameRate(), 0);
    QCOMPARE(statistics.speedTestKBps(), 0.0);
    statistics.frameWindow = { 0, 7, 0, 8, 0 };
    QCOMPARE(statistics.averageFrameRate(), 8); // 7.5 rounded up
    QCOMPARE(QString::number(statistics.speedTestKBps(), 'g', 6), QString("505.32"));
}

QTEST_APPLESS_MAIN(TestAcquisitionStatistics)
#include "tst_acquisitionstatistics.moc"
