#include "ConfigFile.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestConfigFile : public QObject
{
    Q_OBJECT

private slots:
    void extension_data();
    void extension();
    void writeThenRead();
    void writeKeepsForeignKeysAndOmitsUnknownWindow();
    void writeFailureIsReported();
    void readValues_data();
    void readValues();
    void refusedFiles_data();
    void refusedFiles();

private:
    QString writeFile(const QByteArray& contents);
    static SensorConfig defaults();

    QTemporaryDir m_dir;
    int m_files = 0;
};

QString TestConfigFile::writeFile(const QByteArray& contents)
{
    const QString path = m_dir.filePath(QString("file%1.ls71").arg(m_files++));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

SensorConfig TestConfigFile::defaults()
{
    SensorConfig config;
    config.laserLevel = 7;
    config.integrationTime = 300;
    config.pixelBrightnessThreshold = 9;
    config.networkAddress = "10.1.2.3";
    config.networkMask = "255.0.0.0";
    config.udpAddress = "10.1.2.4";
    config.udpPortNumber = 6003;
    config.udpFrequency = 100;
    return config;
}

void TestConfigFile::extension_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no dot") << "/tmp/sensor" << "/tmp/sensor.ls71";
    QTest::newRow("ls71") << "/tmp/sensor.ls71" << "/tmp/sensor.ls71";
    QTest::newRow("upper case") << "/tmp/sensor.LS71" << "/tmp/sensor.LS71";
    QTest::newRow("other extension kept in front") << "/tmp/sensor.ini" << "/tmp/sensor.ini.ls71";
    QTest::newRow("dot in a folder only") << "/tmp/a.ls71/sensor" << "/tmp/a.ls71/sensor.ls71";
    QTest::newRow("trailing dot") << "/tmp/sensor." << "/tmp/sensor..ls71";
}

void TestConfigFile::extension()
{
    QFETCH(QString, chosen);
    QFETCH(QString, saved);
    QCOMPARE(ConfigFile::withExtension(chosen), saved);
}

void TestConfigFile::writeThenRead()
{
    SensorConfig written = defaults();
    written.window.left = 12;
    written.window.upper = 34;
    written.window.width = 56;
    written.window.height = 78;
    const QString path = m_dir.filePath("roundtrip.ls71");
    QVERIFY(ConfigFile::write(path, 740001, "02-4C-53-0B-4A-21", written));

    QSettings raw(path, QSettings::IniFormat);
    QCOMPARE(raw.value("Information/SerialNumber").toUInt(), 740001u);
    QCOMPARE(raw.value("Information/MAC").toString(), QString("02-4C-53-0B-4A-21"));
    QCOMPARE(raw.value("LS71Config/IntegrationTime").toInt(), 300);
    QCOMPARE(raw.value("LS71Config/WindowHeight").toInt(), 78);

    SensorConfig read; // all different from what was written
    QVERIFY(ConfigFile::read(path, &read));
    QCOMPARE(read.laserLevel, written.laserLevel);
    QCOMPARE(read.integrationTime, written.integrationTime);
    QCOMPARE(read.pixelBrightnessThreshold, written.pixelBrightnessThreshold);
    QCOMPARE(read.networkAddress, written.networkAddress);
    QCOMPARE(read.networkMask, written.networkMask);
    QCOMPARE(read.udpAddress, written.udpAddress);
    QCOMPARE(read.udpPortNumber, written.udpPortNumber);
    QCOMPARE(read.udpFrequency, written.udpFrequency);
    QVERIFY(read.window == written.window);
}

void TestConfigFile::writeKeepsForeignKeysAndOmitsUnknownWindow()
{
    const QString path = writeFile("[LS71Config]\nComment=mine\nWindowWidth=100\n");
    SensorConfig config = defaults();
    config.hasWindow = false;
    QVERIFY(ConfigFile::write(path, 1, "00-00-00-00-00-00", config));
    QSettings raw(path, QSettings::IniFormat);
    QCOMPARE(raw.value("LS71Config/Comment").toString(), QString("mine"));
    QCOMPARE(raw.value("LS71Config/WindowWidth").toInt(), 100);
    QVERIFY(!raw.contains("LS71Config/WindowLeftBoundary"));
    QCOMPARE(raw.value("LS71Config/LaserLevel").toInt(), 7);
}

void TestConfigFile::writeFailureIsReported()
{
    // A directory cannot be written as a file, nor can anything below a plain file.
    QVERIFY(QDir(m_dir.path()).mkdir("taken.ls71"));
    QVERIFY(!ConfigFile::write(m_dir.filePath("taken.ls71"), 1, "", defaults()));
    const QString plain = writeFile("x");
    QVERIFY(!ConfigFile::write(plain + "/below.ls71", 1, "", defaults()));
}

void TestConfigFile::readValues_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QList<int>>("expected"); // laser, exposure, brightness, port, frequency,
                                              // left, upper, width, height
    QTest::addColumn<QString>("address");

    const QList<int> untouched { 7, 300, 9, 6003, 100, 0, 0, 255, 255 };
    QTest::newRow("information only") << QByteArray("[Information]\nSerialNumber=5\n")
                                      << untouched << "10.1.2.3";
    QTest::newRow("some keys") << QByteArray("[LS71Config]\nLaserLevel=40\nWindowWidth=10\n")
                               << QList<int> { 40, 300, 9, 6003, 100, 0, 0, 10, 255 } << "10.1.2.3";
    QTest::newRow("text where numbers belong")
        << QByteArray("[LS71Config]\nLaserLevel=bright\nIntegrationTime=1e3\nUDPFrequency=fast\n"
                      "WindowLeftBoundary=x\nNetworkAddress=192.168.0.9\n")
        << QList<int> { 0, 0, 9, 6003, 0, 0, 0, 255, 255 } << "192.168.0.9";
    QTest::newRow("out of range")
        << QByteArray("[LS71Config]\nUDPFrequency=251\nWindowUpperBoundary=256\nWindowHeight=-1\n"
                      "IntegrationTime=99999999999\nUDPPortNumber=-5\n")
        << QList<int> { 7, 2147483647, 9, -5, 100, 0, 0, 255, 255 } << "10.1.2.3";
    QTest::newRow("negative frequency") << QByteArray("[LS71Config]\nUDPFrequency=-1\n")
                                        << untouched << "10.1.2.3";
}

void TestConfigFile::readValues()
{
    QFETCH(QByteArray, contents);
    QFETCH(QList<int>, expected);
    QFETCH(QString, address);
    SensorConfig config = defaults();
    QVERIFY(ConfigFile::read(writeFile(contents), &config));
    const QList<int> read { config.laserLevel, config.integrationTime,
                            config.pixelBrightnessThreshold, config.udpPortNumber,
                            config.udpFrequency, config.window.left, config.window.upper,
                            config.window.width, config.window.height };
    QCOMPARE(read, expected);
    QCOMPARE(config.networkAddress, address);
    QCOMPARE(config.networkMask, QString("255.0.0.0"));
}

void TestConfigFile::refusedFiles_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("plain text") << QByteArray("this is not a configuration\n");
    QTest::newRow("binary") << QByteArray("\x00\x01\xff\xfe[\x00=\x02", 9);
    QTest::newRow("another program's INI") << QByteArray("[General]\nLaserLevel=3\n");
    QByteArray huge("[LS71Config]\nLaserLevel=3\n");
    huge.append(QByteArray(ConfigFile::MaxFileSize, ';'));
    QTest::newRow("huge") << huge;
}

void TestConfigFile::refusedFiles()
{
    QFETCH(QByteArray, contents);
    SensorConfig config = defaults();
    QVERIFY(!ConfigFile::read(writeFile(contents), &config));
    QCOMPARE(config.laserLevel, 7);
    QCOMPARE(config.udpFrequency, 100);
    QVERIFY(config.window == MeasurementWindow());
}

QTEST_APPLESS_MAIN(TestConfigFile)
#include "tst_configfile.moc"
