#include <QtTest>

#include "VelaMatrixCloud.h"

#include <cmath>
#include <memory>

using namespace VelaMath;

namespace {

const float NaN = velaNaN;

// A width x height grid whose cell (r, c) holds r * 10 + c.
VelaMatrixCloud numberedGrid(int width, int height, float step = 1.0f)
{
    VelaMatrixCloud m;
    if (!m.initMatrix(width, height, step, NaN, NaN, NaN, NaN, NaN, NaN))
        qFatal("initMatrix failed");
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c)
            m.setCell(r, c, float(r * 10 + c));
    }
    return m;
}

QString cellsText(const VelaMatrixCloud& m)
{
    QStringList rows;
    for (int r = 0; r < m.height(); ++r) {
        QStringList cells;
        for (int c = 0; c < m.width(); ++c)
            cells << (std::isnan(m.cell(r, c)) ? QStringLiteral("-") : QString::number(m.cell(r, c)));
        rows << cells.join(' ');
    }
    return rows.join(" | ");
}

} // namespace

class TestMatrixCloud : public QObject
{
    Q_OBJECT
private slots:
    void newMatrixIsEmpty()
    {
        VelaMatrixCloud m;
        QCOMPARE(m.size(), 0);
        QCOMPARE(m.width(), -1);
        QCOMPARE(m.height(), -1);
        VelaPointCloud<VelaPointXYZ> out;
        QCOMPARE(m.toPointCloud(out), 0);
        QVERIFY(out.isEmpty());
        QCOMPARE(m.trim(0, 3, 0, 3), 0);
        QCOMPARE(m.trim(0, 0, 1.0f, NaN, 0, 0), 0);
    }

    void initStoresGridAndRejectsBadSizes()
    {
        VelaMatrixCloud m;
        QVERIFY(m.initMatrix(4, 3, 0.5f, 1, 2, 3, 4, 5, 6));
        QCOMPARE(m.width(), 4);
        QCOMPARE(m.height(), 3);
        QCOMPARE(m.step(), 0.5f);
        QCOMPARE(m.minX(), 1.0f);
        QCOMPARE(m.maxZ(), 6.0f);
        QCOMPARE(m.size(), 0); // unwritten cells hold no value

        QVERIFY(!m.initMatrix(-1, 3, 1.0f, NaN, NaN, NaN, NaN, NaN, NaN));
        QCOMPARE(m.width(), -1);
        QCOMPARE(m.height(), -1);
        // More cells than the int counts can report.
        QVERIFY(!m.initMatrix(1 << 16, 1 << 15, 1.0f, NaN, NaN, NaN, NaN, NaN, NaN));
        QCOMPARE(m.width(), -1);

        m = numberedGrid(2, 2);
        m.clear();
        QCOMPARE(m.size(), 0);
        QCOMPARE(m.height(), -1);
        QVERIFY(std::isnan(m.step()));
    }

    void valueAndWindowTrim_data()
    {
        QTest::addColumn<int>("c0");
        QTest::addColumn<int>("c1");
        QTest::addColumn<float>("vMin");
        QTest::addColumn<float>("vMax");
        QTest::addColumn<int>("r0");
        QTest::addColumn<int>("r1");
        QTest::addColumn<int>("cleared");
        QTest::addColumn<QString>("cells");

        // Grid 4 x 3: rows "0 1 2 3", "10 11 12 13", "20 21 22 23".
        QTest::newRow("no bounds") << 0 << 0 << NaN << NaN << 0 << 0 << 0
                                   << "0 1 2 3 | 10 11 12 13 | 20 21 22 23";
        QTest::newRow("first column 2") << 2 << 0 << NaN << NaN << 0 << 0 << 6
                                        << "- - 2 3 | - - 12 13 | - - 22 23";
        QTest::newRow("last column 1") << 0 << 1 << NaN << NaN << 0 << 0 << 6
                                       << "0 1 - - | 10 11 - - | 20 21 - -";
        QTest::newRow("value at least 11") << 0 << 0 << 11.0f << NaN << 0 << 0 << 5
                                           << "- - - - | - 11 12 13 | 20 21 22 23";
        QTest::newRow("value at most 12") << 0 << 0 << NaN << 12.0f << 0 << 0 << 5
                                          << "0 1 2 3 | 10 11 12 - | - - - -";
        QTest::newRow("rows from 1") << 0 << 0 << NaN << NaN << 1 << 0 << 4
                                     << "- - - - | 10 11 12 13 | 20 21 22 23";
        QTest::newRow("rows to 1") << 0 << 0 << NaN << NaN << 0 << 1 << 4
                                   << "0 1 2 3 | 10 11 12 13 | - - - -";
        QTest::newRow("negative bounds are none") << -3 << -1 << NaN << NaN << -2 << -5 << 0
                                                  << "0 1 2 3 | 10 11 12 13 | 20 21 22 23";
        QTest::newRow("window and value") << 1 << 2 << 2.0f << 21.0f << 0 << 0 << 8
                                          << "- - 2 - | - 11 12 - | - 21 - -";
    }

    void valueAndWindowTrim()
    {
        QFETCH(int, c0);
        QFETCH(int, c1);
        QFETCH(float, vMin);
        QFETCH(float, vMax);
        QFETCH(int, r0);
        QFETCH(int, r1);
        QFETCH(int, cleared);
        QFETCH(QString, cells);

        VelaMatrixCloud m = numberedGrid(4, 3);
        QCOMPARE(m.trim(c0, c1, vMin, vMax, r0, r1), cleared);
        QCOMPARE(cellsText(m), cells);
        QCOMPARE(m.size(), 12 - cleared);
    }

    void valueTrimSkipsCellsWithoutValue()
    {
        VelaMatrixCloud m = numberedGrid(4, 3);
        m.setCell(0, 0, NaN);
        m.setCell(0, 1, NaN);
        // Only the two remaining cells of row 0 are cleared and counted.
        QCOMPARE(m.trim(0, 0, 5.0f, NaN, 0, 0), 2);
        QCOMPARE(m.size(), 8);
    }

    void indexTrim_data()
    {
        QTest::addColumn<int>("c0");
        QTest::addColumn<int>("c1");
        QTest::addColumn<int>("r0");
        QTest::addColumn<int>("r1");
        QTest::addColumn<int>("written");
        QTest::addColumn<QString>("cells");

        QTest::newRow("corner") << 0 << 1 << 0 << 1 << 4 << "- - 2 3 | - - 12 13 | 20 21 22 23";
        QTest::newRow("single cell") << 3 << 3 << 2 << 2 << 1 << "0 1 2 3 | 10 11 12 13 | 20 21 22 -";
        QTest::newRow("rows reversed") << 0 << 3 << 2 << 1 << 0 << "0 1 2 3 | 10 11 12 13 | 20 21 22 23";
        QTest::newRow("columns reversed") << 3 << 0 << 0 << 2 << 0 << "0 1 2 3 | 10 11 12 13 | 20 21 22 23";
        // A window reaching past the grid touches only the cells on it.
        QTest::newRow("past the far corner") << 2 << 100 << 1 << 50 << 4 << "0 1 2 3 | 10 11 - - | 20 21 - -";
        QTest::newRow("before the grid") << -5 << 0 << -7 << 0 << 1 << "- 1 2 3 | 10 11 12 13 | 20 21 22 23";
        QTest::newRow("wholly outside") << 10 << 20 << 0 << 2 << 0 << "0 1 2 3 | 10 11 12 13 | 20 21 22 23";
    }

    void indexTrim()
    {
        QFETCH(int, c0);
        QFETCH(int, c1);
        QFETCH(int, r0);
        QFETCH(int, r1);
        QFETCH(int, written);
        QFETCH(QString, cells);

        VelaMatrixCloud m = numberedGrid(4, 3);
        QCOMPARE(m.trim(c0, c1, r0, r1), written);
        QCOMPARE(cellsText(m), cells);
    }

    void indexTrimCountsCellsAlreadyEmpty()
    {
        VelaMatrixCloud m = numberedGrid(4, 3);
        QCOMPARE(m.trim(0, 1, 0, 1), 4);
        QCOMPARE(m.trim(0, 1, 0, 1), 4);
        QCOMPARE(m.size(), 8);
    }

    void reflectNegatesValuesOnly()
    {
        VelaMatrixCloud m = numberedGrid(3, 2);
        m.setCell(1, 1, NaN);
        m.reflect();
        QCOMPARE(cellsText(m), QStringLiteral("0 -1 -2 | -10 - -12"));
        m.reflect();
        QCOMPARE(cellsText(m), QStringLiteral("0 1 2 | 10 - 12"));
    }

    void toPointCloudWalksRowsThenColumns()
    {
        VelaMatrixCloud m;
        QVERIFY(m.initMatrix(4, 3, 0.5f, NaN, NaN, NaN, NaN, NaN, NaN));
        m.setCell(2, 3, 7.0f);
        m.setCell(0, 1, -1.0f);
        m.setCell(2, 0, 2.0f);

        VelaPointCloud<VelaPointXYZ> out;
        out.points.append(VelaPointXYZ(9, 9, 9));
        QCOMPARE(m.toPointCloud(out), 3);
        const float expected[3][3] = {{0.5f, -1.0f, 0.0f}, {0.0f, 2.0f, 1.0f}, {1.5f, 7.0f, 1.0f}};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(out.points[i].x, expected[i][0]);
            QCOMPARE(out.points[i].y, expected[i][1]);
            QCOMPARE(out.points[i].z, expected[i][2]);
        }
    }

    void extractAppendsWindowAndOptionallyRemoves()
    {
        VelaMatrixCloud m = numberedGrid(4, 3, 2.0f);
        VelaPointCloud<VelaPointXYZ> out;
        out.points.append(VelaPointXYZ(0, -1, 0));

        // Columns 1..2 of rows 1..2, kept.
        QCOMPARE(m.extractToPointCloud(out, 1, 1, 2, 2, false), 5);
        QCOMPARE(out.points[1].y, 11.0f);
        QCOMPARE(out.points[2].y, 12.0f);
        QCOMPARE(out.points[3].y, 21.0f);
        QCOMPARE(out.points[4].x, 4.0f);
        QCOMPARE(out.points[4].z, 4.0f);
        QCOMPARE(m.size(), 12);

        // Removing twice yields the window once.
        QCOMPARE(m.extractToPointCloud(out, 1, 1, 2, 2, true), 9);
        QCOMPARE(m.extractToPointCloud(out, 1, 1, 2, 2, true), 9);
        QCOMPARE(m.size(), 8);

        QCOMPARE(m.extractToPointCloud(out, 0, 0, 0, 3, true), 9);
        QCOMPARE(m.extractToPointCloud(out, 0, 0, 3, -1, true), 9);
        QCOMPARE(m.size(), 8);
    }

    void extractClipsWindowToGrid()
    {
        VelaMatrixCloud m = numberedGrid(4, 3);
        VelaPointCloud<VelaPointXYZ> out;
        // From (-2, -2) with 4 x 4 only cells (0..1, 0..1) lie on the grid.
        QCOMPARE(m.extractToPointCloud(out, -2, -2, 4, 4, true), 4);
        QCOMPARE(cellsText(m), QStringLiteral("- - 2 3 | - - 12 13 | 20 21 22 23"));
        // A window far past the end appends nothing.
        QCOMPARE(m.extractToPointCloud(out, 3, 2, 2147483647, 2147483647, false), 5);
        QCOMPARE(out.points.last().y, 23.0f);
    }

    void copiesAreIndependent()
    {
        auto original = std::make_unique<VelaMatrixCloud>(numberedGrid(3, 2));
        VelaMatrixCloud copy;
        copy = *original;
        original->setCell(0, 0, 100.0f);
        original.reset();
        QCOMPARE(copy.cell(0, 0), 0.0f);
        QCOMPARE(copy.size(), 6);
        VelaMatrixCloud second(copy);
        copy.clear();
        QCOMPARE(second.cell(1, 2), 12.0f);
    }

    void clearEdgeEffect_data()
    {
        QTest::addColumn<QList<float>>("column");
        QTest::addColumn<QList<float>>("expected");

        // Ten rows: two edge rows at each end, a middle of six.
        const QList<float> flat{5, 5, 5, 5.2f, 4.8f, 5, 5.1f, 5, 5, 5};
        QTest::newRow("flat column stays") << flat << flat;
        QTest::newRow("spikes at both ends")
            << QList<float>{40, 5, 5, 5.2f, 4.8f, 5, 5.1f, 5, 5, -30}
            << QList<float>{NaN, 5, 5, 5.2f, 4.8f, 5, 5.1f, 5, 5, NaN};
        QTest::newRow("slope continues into edges")
            << QList<float>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}
            << QList<float>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        QTest::newRow("just inside the tolerance")
            << QList<float>{4.6f, 5, 5, 5.2f, 4.8f, 5, 5.1f, 5, 5, 5.5f}
            << QList<float>{4.6f, 5, 5, 5.2f, 4.8f, 5, 5.1f, 5, 5, 5.5f};
        QTest::newRow("spike in the middle is not an edge effect")
            << QList<float>{5, 5, 5, 90, 4.8f, 5, 5.1f, 5, 5, 5}
            << QList<float>{5, 5, 5, 90, 4.8f, 5, 5.1f, 5, 5, 5};
        QTest::newRow("middle without values")
            << QList<float>{40, 5, NaN, NaN, NaN, NaN, NaN, NaN, 5, -30}
            << QList<float>{40, 5, NaN, NaN, NaN, NaN, NaN, NaN, 5, -30};
    }

    void clearEdgeEffect()
    {
        QFETCH(QList<float>, column);
        QFETCH(QList<float>, expected);

        // Column 1 carries the case; columns 0 and 2 hold a constant that must stay.
        VelaMatrixCloud m;
        QVERIFY(m.initMatrix(3, int(column.size()), 1.0f, NaN, NaN, NaN, NaN, NaN, NaN));
        for (int r = 0; r < column.size(); ++r) {
            m.setCell(r, 0, 1.0f);
            m.setCell(r, 1, column[r]);
            m.setCell(r, 2, 1.0f);
        }
        int expectedCleared = 0;
        for (int r = 0; r < column.size(); ++r)
            expectedCleared += std::isnan(expected[r]) && !std::isnan(column[r]);

        QCOMPARE(m.clearEdgeEffect(), expectedCleared);
        for (int r = 0; r < column.size(); ++r) {
            QCOMPARE(std::isnan(m.cell(r, 1)), std::isnan(expected[r]));
            if (!std::isnan(expected[r]))
                QCOMPARE(m.cell(r, 1), expected[r]);
            QCOMPARE(m.cell(r, 0), 1.0f);
            QCOMPARE(m.cell(r, 2), 1.0f);
        }
    }

    void clearEdgeEffectNeedsFiveRows()
    {
        VelaMatrixCloud m;
        QVERIFY(m.initMatrix(1, 4, 1.0f, NaN, NaN, NaN, NaN, NaN, NaN));
        const float column[4] = {100, 1, 1, -100};
        for (int r = 0; r < 4; ++r)
            m.setCell(r, 0, column[r]);
        QCOMPARE(m.clearEdgeEffect(), 0);
        QCOMPARE(m.size(), 4);
        VelaMatrixCloud none;
        QCOMPARE(none.clearEdgeEffect(), 0);
    }
};

QTEST_APPLESS_MAIN(TestMatrixCloud)
#include "tst_matrixcloud.moc"
