#include "ModbusRecord.h"

#include <QtTest>

#include <cstring>

using VelaDevice::_LS71HS_MODBUS_INFO;

namespace {
QByteArray bytesOf(const _LS71HS_MODBUS_INFO& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof record);
}

// The standard read and write requests the parameter page starts with.
const QStringList DefaultTexts = { "0000", "01", "020A", "0006", "04", "0002", "001E",
                                   "0102", "0043", "10", "0400", "001E", "3C" };
}

class TestModbusRecord : public QObject
{
    Q_OBJECT

private slots:
    void packsDefaultsByteByByte();
    void unpacksTextsPadded();
    void roundTrip();
    void badTexts_data();
    void badTexts();
};

void TestModbusRecord::packsDefaultsByteByByte()
{
    const _LS71HS_MODBUS_INFO record = ModbusRecord::fromTexts(0x1234, DefaultTexts);
    // Delay in host (little-endian) order, every other two-byte field high byte first.
    const QByteArray expected = QByteArray::fromHex(
        "3412" "0000" "01" "020A" "0006" "04" "0002" "001E"
        "0102" "0043" "10" "0400" "001E" "3C");
    QCOMPARE(bytesOf(record).toHex(' '), expected.toHex(' '));
}

void TestModbusRecord::unpacksTextsPadded()
{
    _LS71HS_MODBUS_INFO record {};
    const QByteArray bytes = QByteArray::fromHex(
        "6400" "0000" "01" "020A" "0006" "04" "0002" "001E"
        "0102" "0043" "10" "0400" "001E" "3C");
    std::memcpy(&record, bytes.constData(), sizeof record);
    QCOMPARE(ModbusRecord::delay(record), quint16(100));
    QCOMPARE(ModbusRecord::texts(record), DefaultTexts);
}

void TestModbusRecord::roundTrip()
{
    const QStringList texts = { "FFFF", "FF", "ABCD", "0001", "7F", "8000", "00FF",
                                "1000", "0010", "00", "BEEF", "0100", "0A" };
    const _LS71HS_MODBUS_INFO record = ModbusRecord::fromTexts(65530, texts);
    QCOMPARE(ModbusRecord::delay(record), quint16(65530));
    QCOMPARE(ModbusRecord::texts(record), texts);
}

void TestModbusRecord::badTexts_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::newRow("not hexadecimal") << 0 << "xyz" << "0000";
    QTest::newRow("empty") << 2 << "" << "0000";
    QTest::newRow("lower case") << 2 << "beef" << "BEEF";
    QTest::newRow("too wide for a byte") << 1 << "1FF" << "FF";
    QTest::newRow("too wide for two bytes") << 5 << "12345" << "2345";
}

void TestModbusRecord::badTexts()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QStringList texts = DefaultTexts;
    texts[field] = text;
    const QStringList back = ModbusRecord::texts(ModbusRecord::fromTexts(100, texts));
    QCOMPARE(back.at(field), shown);
    // The neighbours are untouched by a wide value.
    for (int i = 0; i < texts.size(); ++i) {
        if (i != field)
            QCOMPARE(back.at(i), DefaultTexts.at(i));
    }
}

QTEST_APPLESS_MAIN(TestModbusRecord)
#include "tst_modbusrecord.moc"
