#include "DumpRecorder.h"
#include "FileNameRules.h"

#include <VelaProfileZ.h>

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

class TestRecordingFiles : public QObject
{
    Q_OBJECT

private slots:
    void extensionRule_data();
    void extensionRule();
    void dumpRecordsReadBack();
    void unopenableDumpIsReported();
    void failedWriteStopsTheRecording();
    void restartTruncates();
};

void TestRecordingFiles::extensionRule_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("saved");
    QTest::newRow("dump in capitals kept") << "dir/dump.BIN" << "bin" << "dir/dump.BIN";
    QTest::newRow("dump without dot") << "dump" << "bin" << "dump.bin";
    QTest::newRow("dump of another type") << "dump.txt" << "bin" << "dump.txt.bin";
    QTest::newRow("png appended") << "snapshot" << "png" << "snapshot.png";
    QTest::newRow("png kept in front of bmp") << "shot.png" << "bmp" << "shot.png.bmp";
    QTest::newRow("csv under the point filter") << "scan.csv" << "bin" << "scan.csv.bin";
    QTest::newRow("dot in a folder name") << "a.csv/scan" << "csv" << "a.csv/scan.csv";
    QTest::newRow("trailing dot") << "scan." << "csv" << "scan..csv";
}

void TestRecordingFiles::extensionRule()
{
    QFETCH(QString, chosen);
    QFETCH(QString, extension);
    QFETCH(QString, saved);
    QCOMPARE(FileNameRules::withExtension(chosen, extension), saved);
}

void TestRecordingFiles::dumpRecordsReadBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("stream.bin");
    DumpRecorder recorder;
    QVERIFY(recorder.start(path));
    const float two[] = { 1.0f, 2.0f, 3.0f, 4.0f };
    const float one[] = { -5.5f, 6.25f };
    QVERIFY(recorder.append(two, 2, 10));
    QVERIFY(recorder.append(nullptr, 0, 11));
    QVERIFY(recorder.append(one, 1, 65535));
    QCOMPARE(recorder.records(), qint64(3));
    QVERIFY(recorder.stop());
    QCOMPARE(QFileInfo(path).size(), qint64(23 + 7 + 15));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const int expectedCounts[] = { 2, 0, 1 };
    const quint16 expectedCounters[] = { 10, 11, 65535 };
    for (int i = 0; i < 3; ++i) {
        const int expected = expectedCounts[i];
        VelaMath::VelaProfileZ profile;
        QCOMPARE(profile.readFromFile(file), expected);
        QVERIFY(std::isnan(profile.z));
        quint16 counter = 0;
        QVERIFY(VelaMath::VelaProfileZ::taggedCounter(profile.z, &counter));
        QCOMPARE(counter, expectedCounters[i]);
        if (expected == 1) {
            QCOMPARE(profile.points[0].x, -5.5f);
            QCOMPARE(profile.points[0].y, 6.25f);
        }
    }
    QVERIFY(file.atEnd());
}

void TestRecordingFiles::unopenableDumpIsReported()
{
    QTemporaryDir dir;
    DumpRecorder recorder;
    QVERIFY(!recorder.start(dir.path())); // a folder is no file
    QVERIFY(recorder.failed());
    QVERIFY(!recorder.errorString().isEmpty());
    const float point[] = { 1.0f, 1.0f };
    QVERIFY(!recorder.append(point, 1, 1));
    QVERIFY(!recorder.stop());
}

void TestRecordingFiles::failedWriteStopsTheRecording()
{
    if (!QFileInfo::exists("/dev/full"))
        QSKIP("no /dev/full to fill");
    DumpRecorder recorder;
    QVERIFY(recorder.start("/dev/full"));
    const float point[] = { 1.0f, 1.0f };
    QVERIFY(!recorder.append(point, 1, 1));
    QVERIFY(recorder.failed());
    QVERIFY(!recorder.append(point, 1, 1));
    QCOMPARE(recorder.records(), qint64(0));
    QVERIFY(!recorder.stop());
}

void TestRecordingFiles::restartTruncates()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("again.bin");
    DumpRecorder recorder;
    const float point[] = { 1.0f, 1.0f };
    QVERIFY(recorder.start(path));
    QVERIFY(recorder.append(point, 1, 1));
    QVERIFY(recorder.append(point, 1, 1));
    QVERIFY(recorder.stop());
    QVERIFY(recorder.start(path));
    QCOMPARE(recorder.records(), qint64(0));
    QVERIFY(recorder.append(point, 1, 1));
    QVERIFY(recorder.stop());
    QCOMPARE(QFileInfo(path).size(), qint64(15));
}

QTEST_GUILESS_MAIN(TestRecordingFiles)
#include "tst_recordingfiles.moc"
