#include "CommandLine.h"

#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void options_data();
    void options();
    void argumentsAreLowerCasedFromArgv();
    void usageBoxTexts();
};

void TestCommandLine::options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("usage");
    QTest::addColumn<bool>("splash");
    QTest::addColumn<bool>("autoSearch");
    QTest::addColumn<QString>("beamColor");

    QTest::newRow("none") << QStringList() << false << true << false << QString();
    QTest::newRow("usage among others")
        << QStringList { "/nologo", "/?", "/autosearch" } << true << false << true << QString();
    QTest::newRow("upper-case nologo") << QStringList { "/NOLOGO" } << false << false << false
                                       << QString();
    QTest::newRow("mixed-case autosearch") << QStringList { "/AutoSearch" } << false << true
                                           << true << QString();
    QTest::newRow("beam colour name") << QStringList { "/beamcolor", "Green", "/nologo" }
                                      << false << false << false << QString("green");
    QTest::newRow("beam colour hex, options first")
        << QStringList { "/autosearch", "/BeamColor", "#00FF00" } << false << true << true
        << QString("#00ff00");
    QTest::newRow("beamcolor last") << QStringList { "/nologo", "/beamcolor" } << false << false
                                    << false << QString();
    QTest::newRow("options are whole words")
        << QStringList { "/nologo2", "x/autosearch", "/?x" } << false << true << false
        << QString();
}

void TestCommandLine::options()
{
    QFETCH(QStringList, args);
    CommandLine::setArguments(args);
    QTEST(CommandLine::wantsUsage(), "usage");
    QTEST(CommandLine::wantsSplash(), "splash");
    QTEST(CommandLine::wantsAutoSearch(), "autoSearch");
    QTEST(CommandLine::beamColorName(), "beamColor");
}

void TestCommandLine::argumentsAreLowerCasedFromArgv()
{
    char program[] = "LS7x-SU";
    char first[] = "/NoLogo";
    char second[] = "/BEAMCOLOR";
    char third[] = "Blue";
    char* argv[] = { program, first, second, third };
    CommandLine::setArguments(4, argv);
    QCOMPARE(CommandLine::arguments(), (QStringList { "/nologo", "/beamcolor", "blue" }));
}

void TestCommandLine::usageBoxTexts()
{
    QCOMPARE(CommandLine::usageTitle(), QString("LS71-SU"));
    QCOMPARE(CommandLine::usageText(),
             QString("Usage:\n\nLS71-SU [options]\n\n/Options are:\n\n/nologo\tDisable start logo\n"
                     "/autosearch\tExecute search on start\n/beamcolor <color>\tSet default beam "
                     "color"));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
