// Behaviour the LS71 and LS74 streamers share, each case run for both models.

#include "ScriptedSensor.h"
#include "StreamerTestSupport.h"
#include "VelaSocket.h"

#include <QElapsedTimer>
#include <QSet>

using namespace StreamerTest;
using VelaStreamer::LS71Streamer;
using VelaStreamer::LS74Streamer;

namespace {

template <class S> struct Traits;
template <> struct Traits<LS71Streamer> {
    static constexpr Model model = Model::LS71;
    static void setDevice(LS71Streamer& s, VelaDevice::LS71Device* d) { s.setLS71(d); }
    static void setTCP(LS71Streamer& s, bool tcp) { s.setTCPMode(tcp); }
    static VelaDevice::LS71Device* device(const LS71Streamer& s) { return s.getLS71(); }
};
template <> struct Traits<LS74Streamer> {
    static constexpr Model model = Model::LS74;
    static void setDevice(LS74Streamer& s, VelaDevice::LS74Device* d) { s.setLS74(d); }
    static void setTCP(LS74Streamer& s, bool tcp)
    {
        s.setMode(tcp ? VelaStreamer::StreamerModeTCP : VelaStreamer::StreamerModeUDP);
    }
    static VelaDevice::LS74Device* device(const LS74Streamer& s) { return s.getLS74(); }
};

// A streamer with its device, given a sensor's information block, and a receiver.
template <class S> struct Rig {
    explicit Rig(const VelaDevice::_UDP_DEVINFOBLOCK_PC& info) : block(info), device(&block)
    {
        Traits<S>::setDevice(streamer, &device);
        streamer.setId(7);
        recorder.attach(&streamer);
    }
    ~Rig()
    {
        stopLikeTheApplication(streamer);
        streamer.wait();
    }

    VelaDevice::_UDP_DEVINFOBLOCK_PC block;
    typename S::Device device;
    S streamer;
    Recorder recorder;
};

bool waitForEnd(const Recorder& recorder, int ms = 5000)
{
    return QTest::qWaitFor([&] { return recorder.complete(); }, ms);
}

// Counts what reaches it in its own thread.
class RemoteCounter : public QObject
{
    Q_OBJECT

public slots:
    void onConnected(uchar) { ++connections; }
    void onProfile(uchar, const void*, ushort, ushort) { ++profiles; }

public:
    std::atomic<int> connections{0};
    std::atomic<int> profiles{0};
};

} // namespace

class tst_LineStreamers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("VELA_DEVICE_SEARCH", "127.0.0.1:9"); }

    void udpLoopDeliversProfiles_data() { models(); }
    void udpLoopDeliversProfiles() { dispatch(&tst_LineStreamers::udpLoopDeliversProfiles<LS71Streamer>,
                                             &tst_LineStreamers::udpLoopDeliversProfiles<LS74Streamer>); }

    void twoArgumentFormWithoutCounters_data() { models(); }
    void twoArgumentFormWithoutCounters() { dispatch(&tst_LineStreamers::twoArgumentForm<LS71Streamer>,
                                                    &tst_LineStreamers::twoArgumentForm<LS74Streamer>); }

    void connectionFailuresEndWithTheirCode_data();
    void connectionFailuresEndWithTheirCode() { dispatch(&tst_LineStreamers::connectionFailure<LS71Streamer>,
                                                        &tst_LineStreamers::connectionFailure<LS74Streamer>); }

    void failedReadsFollowTheLoopRules_data();
    void failedReadsFollowTheLoopRules() { dispatch(&tst_LineStreamers::failedReads<LS71Streamer>,
                                                   &tst_LineStreamers::failedReads<LS74Streamer>); }

    void sensorLostEndsTheTcpRun_data();
    void sensorLostEndsTheTcpRun() { dispatch(&tst_LineStreamers::sensorLost<LS71Streamer>,
                                              &tst_LineStreamers::sensorLost<LS74Streamer>); }
    void failedReadKeepsTheSlot_data() { models(); }
    void failedReadKeepsTheSlot() { dispatch(&tst_LineStreamers::failedReadKeepsTheSlot<LS71Streamer>,
                                            &tst_LineStreamers::failedReadKeepsTheSlot<LS74Streamer>); }

    void udpReadErrorsAreEachReported_data() { models(); }
    void udpReadErrorsAreEachReported() { dispatch(&tst_LineStreamers::udpReadErrors<LS71Streamer>,
                                                  &tst_LineStreamers::udpReadErrors<LS74Streamer>); }

    void imagesComeOverTcpAndWrapTheirRing_data() { models(); }
    void imagesComeOverTcpAndWrapTheirRing() { dispatch(&tst_LineStreamers::images<LS71Streamer>,
                                                       &tst_LineStreamers::images<LS74Streamer>); }

    void readImagesHasNoEffectOnUdp_data() { models(); }
    void readImagesHasNoEffectOnUdp() { dispatch(&tst_LineStreamers::readImagesOnUdp<LS71Streamer>,
                                                &tst_LineStreamers::readImagesOnUdp<LS74Streamer>); }

    void pauseAndResume_data() { models(); }
    void pauseAndResume() { dispatch(&tst_LineStreamers::pauseAndResume<LS71Streamer>,
                                     &tst_LineStreamers::pauseAndResume<LS74Streamer>); }

    void tcpPacingFollowsTheFrequency_data() { models(); }
    void tcpPacingFollowsTheFrequency() { dispatch(&tst_LineStreamers::pacing<LS71Streamer>,
                                                  &tst_LineStreamers::pacing<LS74Streamer>); }

    void searchFindsTheSensor_data() { models(); }
    void searchFindsTheSensor() { dispatch(&tst_LineStreamers::searchFinds<LS71Streamer>,
                                          &tst_LineStreamers::searchFinds<LS74Streamer>); }

    void stopDuringTheSearch_data() { models(); }
    void stopDuringTheSearch() { dispatch(&tst_LineStreamers::stopDuringSearch<LS71Streamer>,
                                         &tst_LineStreamers::stopDuringSearch<LS74Streamer>); }

    void manyRunsOfOneObject_data() { models(); }
    void manyRunsOfOneObject() { dispatch(&tst_LineStreamers::manyRuns<LS71Streamer>,
                                         &tst_LineStreamers::manyRuns<LS74Streamer>); }

    void receiversConnectedBySignatureInAnotherThread();

private:
    using Case = void (tst_LineStreamers::*)();
    static void models()
    {
        QTest::addColumn<bool>("ls74");
        QTest::newRow("LS71") << false;
        QTest::newRow("LS74") << true;
    }
    void dispatch(Case forLS71, Case forLS74)
    {
        QFETCH(bool, ls74);
        (this->*(ls74 ? forLS74 : forLS71))();
    }

    template <class S> void udpLoopDeliversProfiles();
    template <class S> void twoArgumentForm();
    template <class S> void connectionFailure();
    template <class S> void failedReads();
    template <class S> void sensorLost();
    template <class S> void failedReadKeepsTheSlot();
    template <class S> void udpReadErrors();
    template <class S> void images();
    template <class S> void readImagesOnUdp();
    template <class S> void pauseAndResume();
    template <class S> void pacing();
    template <class S> void searchFinds();
    template <class S> void stopDuringSearch();
    template <class S> void manyRuns();
};

template <class S> void tst_LineStreamers::udpLoopDeliversProfiles()
{
    auto emulator = startEmulator({{Traits<S>::model}});
    Rig<S> rig(blockOf(*emulator, 0));
    rig.streamer.readPckCounter(true);
    rig.streamer.setZ(10.0f);
    rig.streamer.setStep(0.5f);
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.profiles.size() >= 20, 5000);
    stopLikeTheApplication(rig.streamer);
    QVERIFY(waitForEnd(rig.recorder));

    const Recorder& r = rig.recorder;
    QCOMPARE(r.events.first(), QStringLiteral("connected"));
    QCOMPARE(r.events.last(), QStringLiteral("complete"));
    QCOMPARE(r.count("connected"), 1);
    QCOMPARE(r.rcs, QList<uchar>{S::rc_USERBRK});
    QCOMPARE(QSet<uchar>(r.ids.begin(), r.ids.end()), QSet<uchar>{7});
    QCOMPARE(r.readErrors, 0);
    for (int k = 0; k < r.profiles.size(); ++k) {
        const ReceivedProfile& p = r.profiles[k];
        QVERIFY(p.withCounters);
        QVERIFY(p.count > 0 && p.count <= S::Device::ProfileValuesCount / 2);
        QCOMPARE(p.z, 10.0f + 0.5f * float(k));
        if (k > 0)   // nothing is lost on the loopback at this rate
            QCOMPARE(ushort(p.pckCounter - r.profiles[k - 1].pckCounter), ushort(1));
    }
    // After a user stop the records stay readable until the next run.
    const auto* last = static_cast<const typename S::ProfileDataStruct*>(r.profiles.last().record);
    float z = 0;
    std::memcpy(&z, reinterpret_cast<const char*>(last) + offsetof(typename S::ProfileDataStruct, z), sizeof z);
    QCOMPARE(z, r.profiles.last().z);
}

template <class S> void tst_LineStreamers::twoArgumentForm()
{
    auto emulator = startEmulator({{Traits<S>::model}});
    Rig<S> rig(blockOf(*emulator, 0));
    rig.streamer.setZ(3.0f);
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.profiles.size() >= 5, 5000);
    for (const ReceivedProfile& p : rig.recorder.profiles) {
        QVERIFY(!p.withCounters);
        QCOMPARE(p.z, 3.0f);   // step 0: every record carries the same Z
        QVERIFY(p.count > 0);
    }
}

void tst_LineStreamers::connectionFailuresEndWithTheirCode_data()
{
    QTest::addColumn<bool>("ls74");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("rc");
    for (bool ls74 : {false, true}) {
        const char* model = ls74 ? "LS74" : "LS71";
        QTest::addRow("%s UDP, no sensor", model) << ls74 << "udp-no-sensor" << 2;
        QTest::addRow("%s TCP, no sensor", model) << ls74 << "tcp-no-sensor" << 2;
        QTest::addRow("%s host port below 1024", model) << ls74 << "low-port" << 3;
        QTest::addRow("%s UDP port taken", model) << ls74 << "port-taken" << 4;
    }
}

template <class S> void tst_LineStreamers::connectionFailure()
{
    QFETCH(QString, failure);
    QFETCH(int, rc);
    auto emulator = startEmulator({{Traits<S>::model}});
    VelaDevice::_UDP_DEVINFOBLOCK_PC block = blockOf(*emulator, 0);
    if (failure.endsWith("no-sensor"))
        emulator->stop();
    Rig<S> rig(block);
    Traits<S>::setTCP(rig.streamer, failure.startsWith("tcp"));
    VelaNet::Fd taken;
    if (failure == "low-port") {
        QVERIFY(rig.device.ReadParams());
        QVERIFY(rig.device.SetHostPortNumber(80));
        QVERIFY(rig.device.WriteParams());
    } else if (failure == "port-taken") {
        const uint8_t loopback[4] = {127, 0, 0, 1};
        taken = VelaNet::bindUdp(VelaNet::makeAddress(loopback, 0));
        QVERIFY(taken.valid());
        rig.streamer.setUDPPort(VelaNet::localPort(taken.get()));
    }
    rig.streamer.start();
    QVERIFY(waitForEnd(rig.recorder));
    QVERIFY(rig.streamer.wait(3000));
    QCOMPARE(rig.recorder.events, QStringList{"complete"});
    QCOMPARE(rig.recorder.rcs, QList<uchar>{uchar(rc)});
    QVERIFY(!rig.streamer.isRunningLoop());
}

void tst_LineStreamers::failedReadsFollowTheLoopRules_data()
{
    QTest::addColumn<bool>("ls74");
    QTest::addColumn<int>("refusals");
    QTest::addColumn<int>("readErrors");
    QTest::addColumn<int>("errorCounter");
    QTest::newRow("LS71 reports every failure") << false << 3 << 3 << 3;
    QTest::newRow("LS74, 9 failures stay silent") << true << 9 << 0 << 9;
    QTest::newRow("LS74, the 10th is reported") << true << 10 << 1 << 0;
    QTest::newRow("LS74, then counting starts over") << true << 13 << 1 << 3;
}

// The scripted sensor holds the request after the refusals, so the streamer stands still in a
// blocked read while the counters are looked at; the stop then ends the run all the same.
template <class S> void tst_LineStreamers::failedReads()
{
    QFETCH(int, refusals);
    QFETCH(int, readErrors);
    QFETCH(int, errorCounter);
    ScriptedSensor sensor(Traits<S>::model);
    sensor.script({{ScriptedSensor::Answer::Result, 1}, {ScriptedSensor::Answer::Refuse, refusals},
                   {ScriptedSensor::Answer::Hold, 1}});
    Rig<S> rig(sensor.block());
    Traits<S>::setTCP(rig.streamer, true);
    rig.streamer.start();
    QTRY_COMPARE_WITH_TIMEOUT(sensor.requests(), refusals + 2, 5000);
    QTest::qWait(50);
    QCOMPARE(rig.recorder.profiles.size(), 1);
    QCOMPARE(rig.recorder.readErrors, readErrors);
    QCOMPARE(rig.streamer.errorCounter(), errorCounter);

    QElapsedTimer stopping;
    stopping.start();
    stopLikeTheApplication(rig.streamer);
    QVERIFY(waitForEnd(rig.recorder));
    QVERIFY(stopping.elapsed() < 3000);
    QCOMPARE(rig.recorder.rcs, QList<uchar>{S::rc_USERBRK});
}

void tst_LineStreamers::sensorLostEndsTheTcpRun_data()
{
    QTest::addColumn<bool>("ls74");
    QTest::addColumn<bool>("images");
    for (bool ls74 : {false, true}) {
        const char* model = ls74 ? "LS74" : "LS71";
        QTest::addRow("%s profiles", model) << ls74 << false;
        QTest::addRow("%s images", model) << ls74 << true;
    }
}

// Failing reads alone are not a lost sensor (see failedReads); a sensor that also refuses a new
// connection is, and the run ends on its own after the read error has been reported.
template <class S> void tst_LineStreamers::sensorLost()
{
    QFETCH(bool, images);
    auto emulator = startEmulator({{Traits<S>::model}});
    Rig<S> rig(blockOf(*emulator, 0));
    Traits<S>::setTCP(rig.streamer, true);
    rig.streamer.readImages(images);
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.count(images ? "image" : "profile") >= 3, 5000);
    emulator->stop();
    QVERIFY(waitForEnd(rig.recorder, 15000));
    QVERIFY(rig.streamer.wait(3000));

    const Recorder& r = rig.recorder;
    QCOMPARE(r.rcs, QList<uchar>{S::rc_ERRCONNLOST});
    QCOMPARE(r.readErrors, 1);
    QCOMPARE(r.events.mid(r.events.size() - 2), (QStringList{"error", "complete"}));
    QVERIFY(!rig.streamer.isRunningLoop());
}

template <class S> void tst_LineStreamers::failedReadKeepsTheSlot()
{
    using A = ScriptedSensor::Answer;
    ScriptedSensor sensor(Traits<S>::model);
    sensor.script({{A::Result, 3}, {A::Refuse, 2}, {A::Result, 5}, {A::Refuse, 1}, {A::Result, 9}});
    Rig<S> rig(sensor.block());
    Traits<S>::setTCP(rig.streamer, true);
    rig.streamer.setStep(1.0f);
    rig.streamer.readPckCounter(true);
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.profiles.size() >= 17, 5000);
    const auto& p = rig.recorder.profiles;
    QSet<const void*> ring;
    for (int k = 0; k < 16; ++k)
        ring << p[k].record;
    QCOMPARE(ring.size(), 16);
    QCOMPARE(p[16].record, p[0].record);
    for (int k = 0; k < 17; ++k) {
        QCOMPARE(p[k].z, float(k));   // failed reads do not advance Z
        QCOMPARE(p[k].measCounter, ushort(k + 1));
        QCOMPARE(p[k].count, ushort(2));
    }
}

template <class S> void tst_LineStreamers::udpReadErrors()
{
    auto emulator = startEmulator({{Traits<S>::model}});
    Rig<S> rig(blockOf(*emulator, 0));
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.recorder.profiles.isEmpty(), 5000);
    Faults lossy;
    lossy.udpLossShare = 1.0;
    emulator->setFaults(0, lossy);
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.readErrors >= 2, 6000);
    QVERIFY(rig.streamer.errorCounter() >= 2);
    emulator->setFaults(0, Faults());
    const int before = rig.recorder.profiles.size();
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.profiles.size() > before + 3, 5000);
    QCOMPARE(rig.streamer.errorCounter(), 0);
}

template <class S> void tst_LineStreamers::images()
{
    auto emulator = startEmulator({{Traits<S>::model}});
    Rig<S> rig(blockOf(*emulator, 0));
    Traits<S>::setTCP(rig.streamer, true);
    rig.streamer.readImages(true);
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.images.size() >= 6, 10000);
    const auto& images = rig.recorder.images;
    QCOMPARE(QSet<const void*>(images.begin(), images.begin() + 4).size(), 4);
    QCOMPARE(images[4], images[0]);
    QCOMPARE(images[5], images[1]);
    QVERIFY(rig.recorder.profiles.isEmpty());
    QCOMPARE(rig.recorder.readErrors, 0);

    // Back to profiles on the same connection.
    rig.streamer.readImages(false);
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.profiles.size() >= 3, 5000);
    QCOMPARE(rig.recorder.count("connected"), 1);
}

template <class S> void tst_LineStreamers::readImagesOnUdp()
{
    auto emulator = startEmulator({{Traits<S>::model}});
    Rig<S> rig(blockOf(*emulator, 0));
    rig.streamer.readImages(true);
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.profiles.size() >= 5, 5000);
    QVERIFY(rig.recorder.images.isEmpty());
}

template <class S> void tst_LineStreamers::pauseAndResume()
{
    auto emulator = startEmulator({{Traits<S>::model}});
    Rig<S> rig(blockOf(*emulator, 0));
    rig.streamer.pause();
    rig.streamer.start();
    QTRY_COMPARE_WITH_TIMEOUT(rig.recorder.count("connected"), 1, 5000);
    QVERIFY(rig.streamer.isPaused());
    QVERIFY(rig.streamer.isRunningLoop());
    QTest::qWait(300);
    QVERIFY(rig.recorder.profiles.isEmpty());

    rig.streamer.resume();
    QVERIFY(!rig.streamer.isPaused());
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.profiles.size() >= 5, 5000);
    rig.streamer.pause();
    QTest::qWait(250);   // the step under way and the signals already queued
    const int paused = rig.recorder.profiles.size();
    QTest::qWait(300);
    QCOMPARE(rig.recorder.profiles.size(), paused);
    QVERIFY(!rig.recorder.complete());
}

// Frequency 10 waits 100 ms after each profile; the bound holds whatever the machine's speed.
template <class S> void tst_LineStreamers::pacing()
{
    auto emulator = startEmulator({{Traits<S>::model}});
    Rig<S> rig(blockOf(*emulator, 0));
    Traits<S>::setTCP(rig.streamer, true);
    rig.streamer.setTCPFrequency(10);
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.recorder.profiles.isEmpty(), 5000);
    QElapsedTimer clock;
    clock.start();
    const int first = rig.recorder.profiles.size();
    QTest::qWait(1000);
    const int paced = rig.recorder.profiles.size() - first;
    QVERIFY2(paced <= int(clock.elapsed() / 100) + 2, qPrintable(QString::number(paced)));
    QVERIFY(paced >= 1);
}

template <class S> void tst_LineStreamers::searchFinds()
{
    auto emulator = startEmulator({{Traits<S>::model}});
    qputenv("VELA_DEVICE_SEARCH", QByteArray::fromStdString(emulator->searchEndpoint()));
    S streamer;
    Recorder recorder;
    recorder.attach(&streamer);
    streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(recorder.profiles.size() >= 3, 8000);
    QVERIFY(Traits<S>::device(streamer) != nullptr);
    stopLikeTheApplication(streamer);
    QVERIFY(waitForEnd(recorder));
    QCOMPARE(recorder.rcs, QList<uchar>{S::rc_USERBRK});
    qputenv("VELA_DEVICE_SEARCH", "127.0.0.1:9");
}

template <class S> void tst_LineStreamers::stopDuringSearch()
{
    S streamer;
    Recorder recorder;
    recorder.attach(&streamer);
    streamer.start();
    QTest::qWait(400);
    QVERIFY(!recorder.complete());
    QVERIFY(!streamer.isRunningLoop());
    QElapsedTimer stopping;
    stopping.start();
    streamer.shutdown();
    QVERIFY(waitForEnd(recorder));
    QVERIFY(stopping.elapsed() < 2000);
    QCOMPARE(recorder.events, QStringList{"complete"});
    QCOMPARE(recorder.rcs, QList<uchar>{S::rc_USERBRK});
    QVERIFY(streamer.wait(2000));
}

template <class S> void tst_LineStreamers::manyRuns()
{
    auto emulator = startEmulator({{Traits<S>::model}});
    Rig<S> rig(blockOf(*emulator, 0));
    rig.streamer.setStep(1.0f);
    constexpr int Runs = 8;
    for (int run = 1; run <= Runs; ++run) {
        const int before = rig.recorder.profiles.size();
        rig.streamer.start();
        QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.profiles.size() >= before + 2, 5000);
        stopLikeTheApplication(rig.streamer);
        QTRY_COMPARE_WITH_TIMEOUT(rig.recorder.rcs.size(), run, 5000);
        rig.device.Disconnect();
        QVERIFY(rig.streamer.wait(2000));
    }
    QCOMPARE(rig.recorder.rcs, QList<uchar>(Runs, S::rc_USERBRK));
    QCOMPARE(rig.recorder.count("connected"), Runs);
    // Z keeps advancing across runs.
    const auto& p = rig.recorder.profiles;
    for (int k = 0; k < p.size(); ++k)
        QCOMPARE(p[k].z, float(k));
}

// A receiver in a thread of its own, connected by signature text as older code does. It only
// counts: the records are guaranteed to receivers in the streamer object's thread.
void tst_LineStreamers::receiversConnectedBySignatureInAnotherThread()
{
    auto emulator = startEmulator({{Model::LS74}});
    Rig<LS74Streamer> rig(blockOf(*emulator, 0));
    rig.streamer.readPckCounter(true);
    QThread receiverThread;
    auto remote = std::make_unique<RemoteCounter>();
    remote->moveToThread(&receiverThread);
    receiverThread.start();
    QVERIFY(connect(&rig.streamer, SIGNAL(receivedProfile(unsigned char,const void*,unsigned short,unsigned short)),
                    remote.get(), SLOT(onProfile(uchar,const void*,ushort,ushort))));
    QVERIFY(connect(&rig.streamer, SIGNAL(connected(unsigned char)), remote.get(), SLOT(onConnected(uchar))));
    rig.streamer.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.recorder.profiles.size() >= 5, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(remote->profiles >= 5, 5000);
    stopLikeTheApplication(rig.streamer);
    QVERIFY(waitForEnd(rig.recorder));
    receiverThread.quit();
    receiverThread.wait();
    // Read after the thread ended, so that its last slot call is ordered before the deletion.
    QCOMPARE(remote->connections.load(), 1);
    QVERIFY(remote->profiles.load() >= 5);
}

QTEST_MAIN(tst_LineStreamers)
#include "tst_linestreamers.moc"
