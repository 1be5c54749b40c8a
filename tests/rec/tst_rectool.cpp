#include <QtTest>

#include "PointExport.h"
#include "RecordingInfo.h"

#include <VelaProfileZ.h>

#include <QBuffer>
#include <QDataStream>
#include <QProcess>
#include <QTemporaryDir>

using VelaMath::VelaProfileZ;

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
    Bytes& profile(float z, const QList<QPointF>& points)
    {
        m_stream << quint8(0x05) << quint16(points.size()) << z;
        for (const QPointF& p : points)
            m_stream << float(p.x()) << float(p.y());
        return *this;
    }
    Bytes& counted(quint16 counter, int points)
    {
        QList<QPointF> line;
        for (int i = 0; i < points; ++i)
            line.append({i * 0.5, 10.0 + counter % 7});
        return profile(VelaProfileZ::counterTag(counter), line);
    }
    Bytes& cloud3D(quint32 claimed, int points)
    {
        m_stream << quint8(0x03) << claimed;
        for (int i = 0; i < points; ++i)
            m_stream << float(i) << 1.0f << 2.0f;
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

RecordingSummary summaryOf(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return summarizeRecording(buffer);
}

ExportResult exportOf(QByteArray bytes, const ExportOptions& options, QByteArray* cloud)
{
    QBuffer input(&bytes);
    input.open(QIODevice::ReadOnly);
    QBuffer output(cloud);
    output.open(QIODevice::WriteOnly);
    return PointExport::run(input, output, options);
}

struct Run {
    int exitCode;
    QString out, err;
};

Run runTool(const QStringList& args)
{
    QProcess tool;
    tool.start(QStringLiteral(LS7X_REC), args);
    if (!tool.waitForFinished(30000))
        return {-1, {}, {}};
    return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
            QString::fromLocal8Bit(tool.readAllStandardOutput()), QString::fromLocal8Bit(tool.readAllStandardError())};
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestRecTool : public QObject
{
    Q_OBJECT

private slots:
    // Counters: 65534, 65535, 1 (one lost over the wrap), 1 (a duplicate), 5 (three lost);
    // an undefined point and an empty record.
    void dumpCountersGapsAndDuplicates()
    {
        const RecordingSummary s = summaryOf(Bytes()
                                                 .counted(65534, 3)
                                                 .counted(65535, 0)
                                                 .profile(VelaProfileZ::counterTag(1), {{qQNaN(), 4}, {-2, 8}})
                                                 .counted(1, 2)
                                                 .counted(5, 1)
                                                 .bytes());
        QCOMPARE(s.kind(), QString("dump"));
        QCOMPARE(s.recordCount(), qint64(5));
        QCOMPARE(s.minPoints, qint64(0));
        QCOMPARE(s.maxPoints, qint64(3));
        QCOMPARE(s.points, qint64(8));
        QCOMPARE(s.undefined, qint64(1));
        QCOMPARE(s.minX, -2.0f);
        QCOMPARE(s.maxX, 1.0f);
        QVERIFY(std::isnan(s.minZ));
        QCOMPARE(s.counted, qint64(5));
        QCOMPARE(s.gaps, qint64(2));
        QCOMPARE(s.lost, qint64(4));
        QCOMPARE(s.duplicates, qint64(1));
        QVERIFY(s.error.isEmpty());

        const RecordingSummary set = summaryOf(Bytes().profile(2.5f, {{0, 1}}).profile(-1.0f, {}).bytes());
        QCOMPARE(set.kind(), QString("profile set"));
        QCOMPARE(set.minZ, -1.0f);
        QCOMPARE(set.maxZ, 2.5f);
        QCOMPARE(set.counted, qint64(0));
        QCOMPARE(summaryOf(Bytes().cloud3D(2, 2).counted(1, 1).bytes()).kind(), QString("mixed"));
        QCOMPARE(summaryOf(QByteArray()).kind(), QString("empty"));
    }

    // Long profiles go through the fast path in blocks: every undefined point counts once,
    // and no NaN moves a bound, wherever it stands.
    void longProfileRangesAndUndefinedPoints()
    {
        QList<QPointF> line;
        for (int i = 0; i < 37; ++i)
            line.append({i * 0.25, 50.0 - i});
        line[3].setX(qQNaN());
        line[10].setY(qQNaN());
        line[20] = {qQNaN(), qQNaN()};
        line[17].setX(-4.0);
        line[30].setY(99.0);
        line[36].setX(9.5);   // past the last block of eight
        const RecordingSummary s = summaryOf(Bytes().profile(VelaProfileZ::counterTag(0), line).bytes());
        QCOMPARE(s.undefined, qint64(3));
        QCOMPARE(s.minX, -4.0f);
        QCOMPARE(s.maxX, 9.5f);
        QCOMPARE(s.minY, 14.0f);
        QCOMPARE(s.maxY, 99.0f);
    }

    // Hostile and damaged inputs end with the reason and the offset, for info and export
    // alike; claims larger than the input are never believed.
    void damagedInputs_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("records");
        QTest::addColumn<QString>("error");
        QTest::newRow("last record cut") << Bytes().counted(1, 4).counted(2, 4).bytes().chopped(3) << qint64(1)
                                         << "the record claims 4 points (32 bytes) but only 29 bytes follow at byte 39";
        QTest::newRow("text after a record") << Bytes().counted(1, 1).raw("1;2\n").bytes() << qint64(1)
                                             << "byte 0x31 starts no record at byte 15";
        QTest::newRow("4 billion points claimed") << Bytes().cloud3D(0xFFFFFFFFu, 1).bytes() << qint64(0)
                                                  << "the record claims 4294967295 points (51539607540 bytes) but only 12 bytes follow at byte 0";
        QTest::newRow("header only") << QByteArray("\x02\xFF", 2) << qint64(0)
                                     << "the record header ends after 2 of 3 bytes at byte 0";
    }

    void damagedInputs()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, records);
        QFETCH(QString, error);
        const RecordingSummary s = summaryOf(bytes);
        QCOMPARE(s.recordCount(), records);
        QCOMPARE(s.error, error);

        ExportOptions options;
        options.format = PointFormat::Xyz;
        QByteArray cloud;
        const ExportResult result = exportOf(bytes, options, &cloud);
        QCOMPARE(result.error, error);
        QCOMPARE(result.records, records);
    }

    // The point count in a PLY header is filled in after the points, in a header of the
    // same length.
    void plyHeaderCountsThePointsWritten()
    {
        ExportOptions options;
        options.pitch = 0.5;
        QByteArray cloud;
        const ExportResult result = exportOf(
            Bytes().counted(1, 3).profile(VelaProfileZ::counterTag(2), {{qQNaN(), 0}, {1, 1}}).bytes(), options, &cloud);
        QVERIFY(result.error.isEmpty());
        QCOMPARE(result.points, qint64(4));
        const qsizetype end = cloud.indexOf("end_header\n") + 11;
        QVERIFY(cloud.left(end).contains("\nelement vertex 4\n"));
        QCOMPARE(cloud.size() - end, qsizetype(4 * 12));
        float last[3];
        std::memcpy(last, cloud.constData() + cloud.size() - 12, 12);
        QCOMPARE(last[0], 1.0f);
        QCOMPARE(last[2], 0.5f);   // record 1 at the pitch
    }

    void exitCodes()
    {
        QTemporaryDir dir;
        const QString cut = dir.filePath("cut.bin");
        writeFile(cut, Bytes().counted(1, 4).bytes().chopped(1));
        QCOMPARE(runTool({}).exitCode, 2);
        QCOMPARE(runTool({"convert", cut}).exitCode, 2);
        QCOMPARE(runTool({"export", cut}).exitCode, 2);
        QCOMPARE(runTool({"export", cut, "--to", dir.filePath("o.obj")}).exitCode, 2);
        QCOMPARE(runTool({"export", cut, "--to", dir.filePath("o.ply"), "--range", "5:2"}).exitCode, 2);
        QCOMPARE(runTool({"split", cut, "--every", "0"}).exitCode, 2);

        const Run missing = runTool({"info", dir.filePath("none.bin")});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.err.startsWith("ls7x-rec: " + dir.filePath("none.bin") + ": "));
        QCOMPARE(runTool({"info", dir.path()}).exitCode, 1);

        const Run info = runTool({"info", cut});
        QCOMPARE(info.exitCode, 1);
        QVERIFY2(info.err.contains("at byte 0"), qPrintable(info.err));
        // A failed export leaves no output behind.
        QCOMPARE(runTool({"export", cut, "--to", dir.filePath("o.ply")}).exitCode, 1);
        QVERIFY(!QFile::exists(dir.filePath("o.ply")));
    }

    // Split and cat copy records as they stand: NaN payloads, odd floats and all.
    void splitAndCatKeepEveryByte()
    {
        QTemporaryDir dir;
        const QByteArray original = Bytes()
                                        .counted(7, 3)
                                        .profile(-0.0f, {{1e-40, -3}})
                                        .counted(9, 0)
                                        .counted(12, 5)
                                        .raw(QByteArray("\x05\x01\x00\x01\x00\xC0\xFF\x01\x00\x80\xFF\x00\x00\x00\x00", 15))
                                        .bytes();
        writeFile(dir.filePath("rec.bin"), original);
        const Run split = runTool({"split", dir.filePath("rec.bin"), "--every", "2"});
        QCOMPARE(split.exitCode, 0);
        const QStringList parts{dir.filePath("rec-0001.bin"), dir.filePath("rec-0002.bin"), dir.filePath("rec-0003.bin")};
        for (const QString& part : parts)
            QVERIFY2(QFile::exists(part), qPrintable(split.out));
        QVERIFY(!QFile::exists(dir.filePath("rec-0004.bin")));
        QCOMPARE(summaryOf(readFile(parts[0])).recordCount(), qint64(2));

        QCOMPARE(runTool(QStringList{"cat"} + parts + QStringList{"--to", dir.filePath("joined.bin")}).exitCode, 0);
        QCOMPARE(readFile(dir.filePath("joined.bin")), original);

        // Point clouds are no profiles to join; nothing is written then.
        writeFile(dir.filePath("cloud.bin"), Bytes().cloud3D(1, 1).bytes());
        const Run cloud = runTool({"cat", parts[0], dir.filePath("cloud.bin"), "--to", dir.filePath("mixed.bin")});
        QCOMPARE(cloud.exitCode, 1);
        QVERIFY2(cloud.err.contains("at byte 0 is a point cloud"), qPrintable(cloud.err));
        QVERIFY(!QFile::exists(dir.filePath("mixed.bin")));
    }
};

QTEST_MAIN(TestRecTool)
#include "tst_rectool.moc"
