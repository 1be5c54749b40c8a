#include <QtTest>

#include "VelaProfileZ.h"
#include "VelaRecordReader.h"

#include <QBuffer>
#include <QDataStream>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>

using namespace VelaMath;

namespace {

// Records built byte by byte, apart from the code under test.
class Bytes
{
public:
    Bytes() : m_stream(&m_bytes, QIODevice::WriteOnly)
    {
        m_stream.setByteOrder(QDataStream::LittleEndian);
        m_stream.setFloatingPointPrecision(QDataStream::SinglePrecision);
    }
    Bytes& zRecord(float z, int points, int claimed = -1)
    {
        m_stream << quint8(0x05) << quint16(claimed < 0 ? points : claimed) << z;
        for (int i = 0; i < points; ++i)
            m_stream << float(i) << float(i) + 0.5f;
        return *this;
    }
    Bytes& rgbRecord(int points, quint32 claimed)
    {
        m_stream << quint8(0x04) << claimed;
        for (int i = 0; i < points; ++i)
            m_stream << float(i) << 2.0f << 3.0f << quint32(0xFF00FF);
        return *this;
    }
    Bytes& raw(const QByteArray& bytes)
    {
        m_stream.writeRawData(bytes.constData(), int(bytes.size()));
        return *this;
    }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    QDataStream m_stream;
};

// A pipe: sequential, and never more than a few bytes per read.
class Trickle : public QIODevice
{
public:
    explicit Trickle(QByteArray bytes) : m_bytes(std::move(bytes)) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 max) override
    {
        const qint64 n = std::min<qint64>({max, 5, m_bytes.size() - m_at});
        std::memcpy(data, m_bytes.constData() + m_at, size_t(n));
        m_at += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_at = 0;
};

quint32 bitsOf(float v)
{
    quint32 bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

} // namespace

class TestRecordReader : public QObject
{
    Q_OBJECT

private slots:
    void faultsNameTheirRecord_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("wholeRecords");
        QTest::addColumn<int>("fault");
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<QString>("reason");
        const auto cut = int(VelaRecordReader::Fault::CutShort);
        QTest::newRow("clean end") << Bytes().zRecord(1, 2).zRecord(2, 0).bytes() << 2
                                   << int(VelaRecordReader::Fault::None) << qint64(-1) << QString();
        QTest::newRow("stray byte after two records")
            << Bytes().zRecord(1, 2).zRecord(2, 1).raw("A").bytes() << 2
            << int(VelaRecordReader::Fault::UnknownMarker) << qint64(23 + 15)
            << QString("byte 0x41 starts no record at byte 38");
        QTest::newRow("header cut") << Bytes().zRecord(1, 1).raw(QByteArray("\x05\x03\x00\x00", 4)).bytes() << 1 << cut
                                    << qint64(15) << QString("the record header ends after 4 of 7 bytes at byte 15");
        QTest::newRow("points cut") << Bytes().zRecord(1, 2, 3).bytes() << 0 << cut << qint64(0)
                                    << QString("the record claims 3 points (24 bytes) but only 16 bytes follow at byte 0");
        // Four billion points claimed in a 37-byte input: read in chunks, it ends at once.
        QTest::newRow("huge claim") << Bytes().rgbRecord(2, 0xFFFFFFFFu).bytes() << 0 << cut << qint64(0)
                                    << QString("the record claims 4294967295 points (68719476720 bytes) but only 32 bytes follow at byte 0");
    }

    void faultsNameTheirRecord()
    {
        QFETCH(QByteArray, input);
        QFETCH(int, wholeRecords);
        QFETCH(int, fault);
        QFETCH(qint64, offset);
        QFETCH(QString, reason);
        QBuffer buffer(&input);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        VelaRecordReader reader(buffer);
        int whole = 0;
        uchar points[64 * 16];
        while (reader.nextRecord()) {
            while (reader.readPoints(points, 64) > 0) {
            }
            whole += reader.failed() ? 0 : 1;
        }
        QCOMPARE(whole, wholeRecords);
        QCOMPARE(int(reader.fault()), fault);
        QCOMPARE(reader.errorOffset(), offset);
        QCOMPARE(reader.errorString(), reason);
        QVERIFY(!reader.nextRecord());
    }

    // A pipe delivers in pieces; the points that were not read are skipped to the next record.
    void readsPipesAndSkipsUnreadPoints()
    {
        const QByteArray input = Bytes().rgbRecord(3, 3).zRecord(-7.5f, 4).bytes();
        Trickle pipe(input);
        VelaRecordReader reader(pipe);
        QVERIFY(reader.nextRecord());
        QCOMPARE(reader.header().kind, VelaRecordKind::CloudRGB);
        QCOMPARE(reader.header().count, 3u);
        uchar point[16];
        QCOMPARE(reader.readPoints(point, 1), 1);
        QCOMPARE(reader.pointsLeft(), 2u);

        QVERIFY(reader.nextRecord());
        QCOMPARE(reader.header().offset, qint64(5 + 3 * 16));
        QCOMPARE(reader.header().z, -7.5f);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(reader.rawHeader()), reader.header().headerBytes),
                 input.mid(53, 7));
        QList<VelaPointXY> read;
        QVERIFY(velaReadRecordPoints<VelaPointXY>(reader, [&](const VelaPointXY& p) { read.append(p); }));
        QCOMPARE(read.size(), 4);
        QCOMPARE(read[3].y, 3.5f);
        QVERIFY(!reader.nextRecord());
        QVERIFY(!reader.failed());
        QCOMPARE(reader.position(), qint64(input.size()));
    }

    void counterTagIsANaNThatKeepsTheCounter()
    {
        for (const quint16 counter : {quint16(0), quint16(4711), quint16(65535)}) {
            const float z = VelaProfileZ::counterTag(counter);
            QVERIFY(std::isnan(z));
            quint16 back = 1;
            QVERIFY(VelaProfileZ::taggedCounter(z, &back));
            QCOMPARE(back, counter);
        }
        quint16 untouched = 9;
        QVERIFY(!VelaProfileZ::taggedCounter(velaNaN, &untouched));
        QVERIFY(!VelaProfileZ::taggedCounter(-velaNaN, &untouched));
        QVERIFY(!VelaProfileZ::taggedCounter(12.5f, &untouched));
        QCOMPARE(untouched, quint16(9));

        // The tag survives the record as it is written and read.
        QTemporaryDir dir;
        VelaProfileZ written(VelaProfileZ::counterTag(321));
        written.points.append({1, 2});
        QVERIFY(written.writeToFile(dir.filePath("tagged.bin")));
        VelaProfileZ read;
        QCOMPARE(read.readFromFile(dir.filePath("tagged.bin")), 1);
        QCOMPARE(bitsOf(read.z), bitsOf(written.z));
    }
};

QTEST_MAIN(TestRecordReader)
#include "tst_recordreader.moc"
