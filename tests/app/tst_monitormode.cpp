#include "ResultViewerSupport.h"

#include <QCheckBox>
#include <QSpinBox>

using namespace ResultViewerTest;

// Monitor mode receives from a sensor given only by address and port, so it must work in a
// window that has found no sensor at all.
class TestMonitorMode : public QObject
{
    Q_OBJECT

private slots:
    void countsProfilesWithoutSearchedSensor();
};

void TestMonitorMode::countsProfilesWithoutSearchedSensor()
{
    CommandLine::setArguments(QStringList());
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(widget<QCheckBox>(window, "checkBox_MonitorPort")->isChecked());
    QCOMPARE(window.entryCount(), 0);

    window.onClickedDrawProfilesButton();
    QCOMPARE(window.entryCount(), 1);
    DeviceEntry* monitor = window.entryAt(0);
    monitor->ls74Streamer()->pause();

    const ProfileRecord record = ProfileRecord::flat(20);
    window.onRecvProfile(0, record.data(), 100, 1);
    window.onRecvProfile(0, record.data(), 100, 2); // a duplicate
    window.onRecvProfile(0, record.data(), 103, 3);
    QCOMPARE(monitor->statistics.packetTotal, 2);
    QCOMPARE(monitor->statistics.measTotal, 3);

    window.onClickedDrawProfilesButton();
    QCOMPARE(window.entryCount(), 0);
}

QTEST_MAIN(TestMonitorMode)
#include "tst_monitormode.moc"
