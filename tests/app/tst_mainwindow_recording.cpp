#include "ResultViewerSupport.h"

#include <VelaProfileZ.h>

#include <QCheckBox>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>

using namespace ResultViewerTest;

namespace {
// Records of a dump file, -1 when it holds anything but whole records.
int countRecords(const QString& path, QList<int>* pointCounts = nullptr)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    int records = 0;
    VelaMath::VelaProfileZ profile;
    while (!file.atEnd()) {
        profile.clear();
        const int points = profile.readFromFile(file);
        if (points < 0 || !std::isnan(profile.z))
            return -1;
        if (pointCounts)
            pointCounts->append(points);
        ++records;
    }
    return records;
}

QList<VelaMath::VelaProfileZ> readDump(const QString& path)
{
    QList<VelaMath::VelaProfileZ> profiles;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        while (profiles.emplaceBack().readFromFile(file) >= 0) {
        }
        profiles.removeLast();
    }
    return profiles;
}

bool sameRecord(const VelaMath::VelaProfileZ& a, const VelaMath::VelaProfileZ& b)
{
    return a.points.size() == b.points.size()
        && std::memcmp(a.points.constData(), b.points.constData(), size_t(a.points.size()) * sizeof(a.points[0])) == 0;
}

quint16 counterOf(const VelaMath::VelaProfileZ& profile)
{
    quint16 counter = 0;
    VelaMath::VelaProfileZ::taggedCounter(profile.z, &counter);
    return counter;
}

// Answers file dialogs with a name and the filter at a position of the offered list.
class FileAnswers : public DialogRecorder
{
public:
    QString answerFile(const UserDialogs::FileRequest& request) override
    {
        if (request.selectedFilter && filterIndex >= 0)
            *request.selectedFilter = request.filter.split(QStringLiteral(";;")).value(filterIndex);
        if (whileOpen)
            whileOpen();
        return DialogRecorder::answerFile(request);
    }
    int filterIndex = -1;
    std::function<void()> whileOpen;
};
}

class TestMainWindowRecording : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void dumpChooser_data();
    void dumpChooser();
    void dumpHoldsRawProfilesWhateverTab();
    void unopenableDumpIsReported();
    void saveMeasure_data();
    void saveMeasure();
    void saveMeasureDeclined();
    void listenUDPRecordsFastStream();
    void replayedRecordingRecordsTheSameProfiles();

private:
    // Starts the acquisition of the connected entry as if it listened to UDP with "Dump to
    // file" checked, and stops its sensor so that only the test's profiles arrive.
    bool startQuietRecording(const QString& dumpName);

    ConnectedWindow m_view;
    std::unique_ptr<FileAnswers> m_dialogs;
    QTemporaryDir m_dir;
};

void TestMainWindowRecording::init()
{
    QVERIFY(m_view.open());
    m_dialogs = std::make_unique<FileAnswers>();
}

void TestMainWindowRecording::cleanup()
{
    m_view.close();
    m_dialogs.reset();
}

void TestMainWindowRecording::dumpChooser_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("recorded");
    QTest::newRow("bin in capitals") << "dump.BIN" << "dump.BIN";
    QTest::newRow("no extension") << "dump" << "dump.bin";
    QTest::newRow("other extension") << "dump.txt" << "dump.txt.bin";
}

void TestMainWindowRecording::dumpChooser()
{
    QFETCH(QString, chosen);
    QFETCH(QString, recorded);
    QVERIFY(startQuietRecording(chosen));
    m_view.window->onClickedDrawProfilesButton();
    QCOMPARE(statusText(*m_view.window), QString("Written measure to %1").arg(m_dir.filePath(recorded)));
    QVERIFY(QFileInfo::exists(m_dir.filePath(recorded)));

    // Cancelling the chooser unchecks the box.
    QCheckBox* dump = widget<QCheckBox>(*m_view.window, "checkDumpUDP");
    dump->setChecked(false);
    m_dialogs->fileAnswer.clear();
    dump->setChecked(true);
    QVERIFY(!dump->isChecked());
}

bool TestMainWindowRecording::startQuietRecording(const QString& dumpName)
{
    m_dialogs->fileAnswer = m_dir.filePath(dumpName);
    QCheckBox* dump = widget<QCheckBox>(*m_view.window, "checkDumpUDP");
    dump->setEnabled(true);
    dump->setChecked(true);
    if (!dump->isChecked() || m_dialogs->fileRequests.isEmpty()
        || m_dialogs->fileRequests.last().caption != "Dump measure")
        return false;
    m_view.entry().listeningUDP = true;
    m_view.window->onClickedDrawProfilesButton();
    m_view.streamer().pause();
    m_view.window->waitWithEvents(300);
    return m_view.entry().acquiringProfiles;
}

void TestMainWindowRecording::dumpHoldsRawProfilesWhateverTab()
{
    QVERIFY(startQuietRecording("stream.bin"));
    const QString path = m_dir.filePath("stream.bin");
    const qint64 before = QFileInfo(path).size();
    const qint32 processedBefore = m_view.entry().statistics.packetTotal;
    QTabWidget* tabs = widget<QTabWidget>(*m_view.window, "tabWidget");
    // The kih filter would change the profile if the drawing step filtered the record.
    widget<QComboBox>(*m_view.window, "comboFilter")->setCurrentIndex(1);

    const QList<VelaMath::VelaPointXY> spiky { { 0, 1 }, { 1, 90 } };
    const ProfileRecord records[] = { ProfileRecord(spiky), ProfileRecord::flat(0),
                                      ProfileRecord::flat(1, 4.0f) };
    const int tabShown[] = { 1, 0, 2 };
    quint16 counter = 50000;
    for (int i = 0; i < 3; ++i) {
        tabs->setCurrentIndex(tabShown[i]);
        TestClock::set(quint32(1000 * (i + 1)));
        m_view.receive(records[i], counter++);
    }
    m_view.receive(records[2], quint16(counter - 1)); // a duplicate is not processed
    QCOMPARE(QFileInfo(path).size() - before, qint64(23 + 7 + 15));

    m_view.window->onClickedDrawProfilesButton();
    QList<int> counts;
    QCOMPARE(countRecords(path, &counts), m_view.entry().statistics.packetTotal);
    QCOMPARE(m_view.entry().statistics.packetTotal - processedBefore, 3);
    QCOMPARE(counts.mid(counts.size() - 3), (QList<int> { 2, 0, 1 }));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.seek(before));
    VelaMath::VelaProfileZ first;
    QCOMPARE(first.readFromFile(file), 2);
    QCOMPARE(first.points[1].y, 90.0f);
}

void TestMainWindowRecording::unopenableDumpIsReported()
{
    QVERIFY(QDir(m_dir.path()).mkdir("taken.bin"));
    StatusLog log(*m_view.window);
    QVERIFY(startQuietRecording("taken.bin"));
    QVERIFY(log.messages.first().startsWith(QString("Cannot record to %1").arg(m_dir.filePath("taken.bin"))));
    m_view.window->onClickedDrawProfilesButton();
    QVERIFY(!statusText(*m_view.window).startsWith("Written measure"));
    QVERIFY(statusText(*m_view.window).startsWith(QString("Recording to %1 failed").arg(m_dir.filePath("taken.bin"))));
}

void TestMainWindowRecording::saveMeasure_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("saved");
    QTest::newRow("point file under a csv name") << "scan.csv" << 0 << "scan.csv.bin";
    QTest::newRow("csv") << "scan" << 1 << "scan.csv";
}

void TestMainWindowRecording::saveMeasure()
{
    QFETCH(QString, chosen);
    QFETCH(int, filter);
    QFETCH(QString, saved);
    m_view.window->onClickedDrawProfilesButton();
    m_view.streamer().pause();
    m_view.window->waitWithEvents(300);
    // The profile that arrives while the dialog is open is the one saved.
    const ProfileRecord record = ProfileRecord::flat(5, 12.5f);
    m_dialogs->filterIndex = filter;
    m_dialogs->fileAnswer = m_dir.filePath(chosen);
    m_dialogs->whileOpen = [&] { m_view.receive(record, 60000); };
    widget<QPushButton>(*m_view.window, "buttonSaveCSV")->click();
    const QString path = m_dir.filePath(saved);
    QCOMPARE(statusText(*m_view.window), QString("Saved measure to %1").arg(path));
    VelaMath::VelaProfile profile;
    QCOMPARE(filter == 0 ? profile.readFromFile(path) : profile.readFromCSVFile(path, 0, 1), 5);
    QCOMPARE(profile.points[4].y, 12.5f);
}

void TestMainWindowRecording::saveMeasureDeclined()
{
    const QString path = m_dir.filePath("kept.bin");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    m_dialogs->fileAnswer = path;
    m_dialogs->messageAnswer = QMessageBox::No;
    widget<QPushButton>(*m_view.window, "buttonSaveCSV")->setEnabled(true);
    widget<QPushButton>(*m_view.window, "buttonSaveCSV")->click();
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages[0].title, QString("Save measure"));
    QCOMPARE(QFileInfo(path).size(), qint64(3));
    QVERIFY(!statusText(*m_view.window).startsWith("Saved measure"));

    // A write that fails is reported.
    m_dialogs->fileAnswer = m_dir.filePath("missing/folder/m.bin");
    widget<QPushButton>(*m_view.window, "buttonSaveCSV")->click();
    QVERIFY(statusText(*m_view.window).startsWith("Could not save measure"));
}

void TestMainWindowRecording::listenUDPRecordsFastStream()
{
    // Start over with a sensor that is found but not connected and streams quickly.
    m_view.close();
    CommandLine::setArguments(QStringList());
    VelaEmulator::EmulatorConfig config = VelaEmulator::EmulatorConfig::forTests();
    config.sensors = { { VelaEmulator::Model::LS74, Serial } };
    config.resultRate = 2000;
    VelaEmulator::Emulator emulator(config);
    std::string error;
    QVERIFY2(emulator.start(&error), error.c_str());
    qputenv("VELA_DEVICE_SEARCH", QByteArray::fromStdString(emulator.searchEndpoint()));
    MainWindow window;
    window.show();
    QVERIFY(searchAndWait(window));
    const int row = rowOfSerial(window, Serial);
    window.onClickedDeviceTableCell(row, 1);
    DeviceEntry& entry = *window.entryAt(row);

    QCheckBox* listen = widget<QCheckBox>(window, "checkUDP");
    listen->setEnabled(true);
    listen->setChecked(true);
    QVERIFY(listen->isChecked());
    QVERIFY(entry.listeningUDP);
    QCOMPARE(cellText(window, row, 4), QString("UDP mode"));
    QCOMPARE(statusText(window), QString("%1 (SN: %2): switched stream to UDP mode").arg(entry.ipText).arg(Serial));
    QCOMPARE(comboItems(window, "cobmoDrawProfiles")[row], QString("%1 - UDP mode").arg(entry.ipText));

    m_dialogs->fileAnswer = m_dir.filePath("fast");
    widget<QCheckBox>(window, "checkDumpUDP")->setChecked(true);
    widget<QTabWidget>(window, "tabWidget")->setCurrentIndex(0);
    window.onClickedDrawProfilesButton();
    QVERIFY(entry.acquiringProfiles);
    QVERIFY(QTest::qWaitFor([&] { return entry.statistics.packetTotal >= 500; }, 15000));
    window.onClickedDrawProfilesButton();
    QCOMPARE(statusText(window), QString("Written measure to %1").arg(m_dir.filePath("fast.bin")));
    QCOMPARE(countRecords(m_dir.filePath("fast.bin")), entry.statistics.packetTotal);

    listen->setChecked(false);
    QVERIFY(!entry.listeningUDP);
    QVERIFY(!widget<QCheckBox>(window, "checkDumpUDP")->isChecked());
    QVERIFY(statusText(window).endsWith("switched stream to TCP/IP mode"));
    QVERIFY(waitForCell(window, row, 4, "Connected"));
}

// Records at least `profiles` profiles of the emulator's only sensor with the window, as a user
// does: search, "Listen UDP", "Dump to file", Start, Stop.
static bool recordThroughWindow(const VelaEmulator::Emulator& emulator, FileAnswers& dialogs,
                                const QString& path, int profiles)
{
    qputenv("VELA_DEVICE_SEARCH", QByteArray::fromStdString(emulator.searchEndpoint()));
    MainWindow window;
    window.show();
    if (!searchAndWait(window))
        return false;
    const int row = rowOfSerial(window, emulator.sensor(0).serial);
    window.onClickedDeviceTableCell(row, 1);
    DeviceEntry& entry = *window.entryAt(row);
    widget<QCheckBox>(window, "checkUDP")->setChecked(true);
    dialogs.fileAnswer = path;
    widget<QCheckBox>(window, "checkDumpUDP")->setChecked(true);
    window.onClickedDrawProfilesButton();
    const bool received = QTest::qWaitFor([&] { return entry.statistics.packetTotal >= profiles; }, 15000);
    window.onClickedDrawProfilesButton();
    return received && statusText(window) == QString("Written measure to %1").arg(path);
}

void TestMainWindowRecording::replayedRecordingRecordsTheSameProfiles()
{
    m_view.close();
    CommandLine::setArguments(QStringList());
    const QString original = m_dir.filePath("live.bin");
    const QString again = m_dir.filePath("replayed.bin");
    {
        VelaEmulator::EmulatorConfig config = VelaEmulator::EmulatorConfig::forTests();
        config.sensors = { { VelaEmulator::Model::LS74, Serial } };
        config.resultRate = 200;
        VelaEmulator::Emulator live(config);
        std::string error;
        QVERIFY2(live.start(&error), error.c_str());
        QVERIFY(recordThroughWindow(live, *m_dialogs, original, 40));
    }
    const QList<VelaMath::VelaProfileZ> recorded = readDump(original);
    QVERIFY(recorded.size() >= 40);

    VelaEmulator::EmulatorConfig config = VelaEmulator::EmulatorConfig::forTests();
    VelaEmulator::SensorSpec spec(VelaEmulator::Model::LS74, Serial);
    spec.replayPath = original.toStdString();
    spec.replayLoop = true;
    spec.replayRate = 200;
    config.sensors = { spec };
    VelaEmulator::Emulator replay(config);
    std::string error;
    QVERIFY2(replay.start(&error), error.c_str());
    QVERIFY(recordThroughWindow(replay, *m_dialogs, again, int(recorded.size()) * 3 / 2));
    const QList<VelaMath::VelaProfileZ> replayed = readDump(again);

    // The second recording runs through the first one, looped, profile for profile and with
    // the same counter steps.
    QVERIFY(replayed.size() > recorded.size());
    const qsizetype n = recorded.size();
    qsizetype at = 0;
    while (at < n && !(sameRecord(recorded[at], replayed[0]) && sameRecord(recorded[(at + 1) % n], replayed[1])))
        ++at;
    QVERIFY2(at < n, "the replayed stream starts with no recorded profile");
    for (qsizetype i = 1; i < replayed.size(); ++i) {
        const qsizetype k = (at + i) % n;
        QVERIFY2(sameRecord(recorded[k], replayed[i]), qPrintable(QString("profile %1").arg(i)));
        if (k > 0)
            QCOMPARE(quint16(counterOf(replayed[i]) - counterOf(replayed[i - 1])),
                     quint16(counterOf(recorded[k]) - counterOf(recorded[k - 1])));
    }
}

QTEST_MAIN(TestMainWindowRecording)
#include "tst_mainwindow_recording.moc"
