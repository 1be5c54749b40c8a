#include "AppTestSupport.h"
#include "ImageGrabber.h"
#include "IPEditWidget.h"
#include "Startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QSplashScreen>
#include <QTabWidget>
#include <QTimer>

#include <vector>

namespace {

// Notes every splash screen that is shown, and whether it had a picture.
class SplashWatcher : public QObject
{
public:
    SplashWatcher() { qApp->installEventFilter(this); }
    ~SplashWatcher() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto* splash = qobject_cast<QSplashScreen*>(object))
                pictures.append(!splash->pixmap().isNull());
        }
        return false;
    }

    QList<bool> pictures;
};

MainWindow* shownMainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<MainWindow*>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

// A control's own state, whatever the state of the tab that holds it.
bool ownEnabled(const QWidget* widget)
{
    return widget->isEnabledTo(widget->parentWidget());
}

bool anyMainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<MainWindow*>(widget))
            return true;
    }
    return false;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void usageBoxInsteadOfWindow();
    void programRunsUntilWindowCloses_data();
    void programRunsUntilWindowCloses();
    void firstShowRunsOnce();
    void formTrimmedToReleaseEdition();
    void initialControlStates();
    void beamColor_data();
    void beamColor();
};

void TestStartup::init()
{
    CommandLine::setArguments(QStringList());
}

void TestStartup::usageBoxInsteadOfWindow()
{
    CommandLine::setArguments({ "/nologo", "/?", "/autosearch" });
    DialogRecorder dialogs;
    bool windowDuringBox = true;
    dialogs.onMessage = [&](const UserDialogs::Message&) { windowDuringBox = anyMainWindow(); };

    QCOMPARE(runProgram(*qApp), 0);
    QCOMPARE(dialogs.messages.size(), 1);
    const UserDialogs::Message box = dialogs.messages.first();
    QCOMPARE(box.kind, UserDialogs::MessageKind::Information);
    QCOMPARE(box.parent, nullptr);
    QCOMPARE(box.title, QString("LS71-SU"));
    QCOMPARE(box.text, QString("Usage:\n\nLS71-SU [options]\n\n/Options are:\n\n/nologo\tDisable start "
                               "logo\n/autosearch\tExecute search on start\n/beamcolor "
                               "<color>\tSet default beam color"));
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(!windowDuringBox);
    QVERIFY(!anyMainWindow());
}

void TestStartup::programRunsUntilWindowCloses_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("splashes");
    QTest::newRow("splash") << QStringList() << 1;
    QTest::newRow("upper-case nologo") << QStringList { "/NOLOGO" } << 0;
}

void TestStartup::programRunsUntilWindowCloses()
{
    QFETCH(QStringList, args);
    CommandLine::setArguments(args);
    SplashWatcher splashes;
    QString title;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (MainWindow* window = shownMainWindow()) {
            title = window->windowTitle();
            window->close();
        }
    });
    closer.start(20);

    QCOMPARE(runProgram(*qApp), 0);
    QCOMPARE(title, QString("LS7x Series Setup Utility"));
    QTEST(int(splashes.pictures.size()), "splashes");
    QVERIFY(!splashes.pictures.contains(false));
}

void TestStartup::firstShowRunsOnce()
{
    MainWindow window;
    QComboBox* frequency = widget<QComboBox>(window, "comboFrequency");
    QCOMPARE(frequency->count(), 0);
    window.show();
    QCOMPARE(window.windowTitle(), QString("LS7x Series Setup Utility"));
    QCOMPARE(frequency->count(), 251);
    QCOMPARE(frequency->itemText(0), QString("disable"));
    QCOMPARE(frequency->itemText(1), QString("1 Hz"));
    QCOMPARE(frequency->itemText(250), QString("250 Hz"));
    QCOMPARE(statusText(window), QString("Ready."));

    window.showMinimized();
    window.hide();
    window.showNormal();
    QCOMPARE(frequency->count(), 251);
    QCOMPARE(widget<QTabWidget>(window, "tabWidget")->count(), 3);
}

void TestStartup::formTrimmedToReleaseEdition()
{
    MainWindow window;
    window.show();

    const auto titles = [](QTabWidget* tabs) {
        QStringList list;
        for (int i = 0; i < tabs->count(); ++i)
            list.append(tabs->tabText(i));
        return list;
    };
    QCOMPARE(titles(widget<QTabWidget>(window, "tabWidget")),
             (QStringList { "Search", "Result Viewer", "Image Viewer" }));
    QCOMPARE(titles(widget<QTabWidget>(window, "tabWidget_2")),
             (QStringList { "Information", "Parameters", "Service" }));
    QCOMPARE(comboItems(window, "comboFilter"),
             (QStringList { "No filter", "Kih filter", "Spline int.", "Splash filter", "Window flt." }));
    QCOMPARE(comboItems(window, "comboSamplingMode"),
             (QStringList { "TCP request", "External sampling", "Internal sampling" }));

    for (const char* name : { "checkBox_MonitorPort", "spinBox_MonitorPort", "radioButton_TCP",
                              "radioButton_UDP", "label_MonitorAddr", "ipctrlMonitorPort",
                              "label_46", "spinTcpDataPort", "groupBox_8", "msrRateLabel",
                              "label_MsrRate", "pckRateLabel", "label_PckRate", "frameRateLabel",
                              "label_FrameRate", "pushButton_FpgaAmpl_1", "pushButton_FpgaAmpl_2",
                              "pushButton_FpgaAmpl_3", "groupFactoryService", "checkPixels" })
        QVERIFY2(widget<QWidget>(window, name)->isHidden(), name);
    QVERIFY(!widget<QWidget>(window, "label_ModbusMore")->isHidden());

    QCOMPARE(widget<QLabel>(window, "label_AvgMsrRate")->text(), QString("Measurements per sec.:"));
    QCOMPARE(widget<QLabel>(window, "label_AvgPckRate")->text(), QString("Packets per sec.:"));
    QCOMPARE(widget<QLabel>(window, "label_AvgFrameRate")->text(), QString("Frames per sec.:"));
    QCOMPARE(widget<QLabel>(window, "labelVersionInfo")->text(), QString("Ver. 20140604-USER-release"));
    QCOMPARE(widget<QWidget>(window, "groupBox_Network")->height(), 148);
    QCOMPARE(widget<QWidget>(window, "tabNetworkConfig_2")->height(), 121);
}

void TestStartup::initialControlStates()
{
    MainWindow window;
    QVERIFY(!ownEnabled(widget<QComboBox>(window, "cobmoDrawProfiles")));
    QVERIFY(!ownEnabled(widget<QComboBox>(window, "cobmoDrawImages")));
    window.show();

    QTableWidget* table = widget<QTableWidget>(window, "tableDeviceList");
    QVERIFY(!table->isEnabled());
    const int widths[] = { 50, 70, 100, 120 };
    for (int column = 0; column < 4; ++column)
        QCOMPARE(table->columnWidth(column), widths[column]);

    for (const char* name : { "buttonConnect", "buttonDrawImages", "checkUDP", "buttonSaveBitmap",
                              "checkDumpUDP", "buttonSaveCSV", "ipctrlMonitorPort" })
        QVERIFY2(!ownEnabled(widget<QWidget>(window, name)), name);
    QVERIFY(ownEnabled(widget<QPushButton>(window, "buttonDrawProfiles")));
    QVERIFY(widget<QCheckBox>(window, "checkBox_MonitorPort")->isChecked());
    QCOMPARE(widget<IPEditWidget>(window, "ipctrlMonitorPort")->text(), QString("192.168.1.235"));

    QTabWidget* mainTabs = widget<QTabWidget>(window, "tabWidget");
    QTabWidget* settingsTabs = widget<QTabWidget>(window, "tabWidget_2");
    QVERIFY(mainTabs->isTabEnabled(0) && !mainTabs->isTabEnabled(1) && !mainTabs->isTabEnabled(2));
    QVERIFY(settingsTabs->isTabEnabled(0) && !settingsTabs->isTabEnabled(1)
            && !settingsTabs->isTabEnabled(2));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), widget<QWidget>(window, "buttonSearch"));
}

void TestStartup::beamColor_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QColor>("color");
    QTest::newRow("default") << QStringList() << QColor(255, 0, 0);
    QTest::newRow("last argument") << QStringList { "/nologo", "/beamcolor" } << QColor(255, 0, 0);
    QTest::newRow("name") << QStringList { "/BeamColor", "LimeGreen" } << QColor(50, 205, 50);
    QTest::newRow("hex before options") << QStringList { "/beamcolor", "#0000FF", "/nologo" }
                                        << QColor(0, 0, 255);
}

void TestStartup::beamColor()
{
    QFETCH(QStringList, args);
    CommandLine::setArguments(args);
    MainWindow window;
    window.show();

    // The grabber paints the brightest camera pixel in the beam colour.
    ImageGrabber* grabber = window.findChild<ImageGrabber*>();
    QVERIFY(grabber);
    QColor painted;
    QObject::connect(grabber, &ImageGrabber::readyImage,
                     [&painted](const QImage* image) { painted = image->pixelColor(0, 0); });
    const std::vector<uchar> frame(ImageGrabber::FrameWidth * ImageGrabber::FrameHeight, 255);
    grabber->postImage(frame.data());
    QTEST(painted, "color");
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
