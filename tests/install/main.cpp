// Uses each installed library as a program of a library user would: reads back a point file
// that VelaMath4 wrote, draws the profile with VelaVisualizer, and streams profiles from the
// installed emulator through VelaDevice3 and VelaStreamer. Says what failed, exits non-zero.
//   vela-install-check <ls7x-emulator>
#include <LS71Device.h>
#include <LS71Streamer.h>
#include <VelaDeviceLibrary.h>
#include <VelaEthernetDetector.h>
#include <VelaMathVersion.h>
#include <VelaProfile.h>
#include <VelaVisualizer.h>
#include <VelaWidgetsVersion.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <iterator>

namespace {

bool fail(const char* what)
{
    std::fprintf(stderr, "vela-install-check: %s\n", what);
    return false;
}

// Runs the event loop until `done` holds or `ms` have passed.
bool waitFor(const std::function<bool()>& done, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

bool versionsMatchThePackage()
{
    const QLatin1String package(VELA_PACKAGE_VERSION);
    return (QLatin1String(VelaMath_GetVersionString()) == package
            && QLatin1String(VelaWidgets_lib_ver()) == package)
        || fail("the libraries answer another version than their package configs");
}

// A ridge across a flat surface, in millimetres.
VelaMath::VelaProfile ridge()
{
    const float pairs[] = {-20, 5, -10, 5, -5, 12, 0, 15, 5, 12, 10, 5, 20, 5};
    return VelaMath::VelaProfile(pairs, quint16(std::size(pairs) / 2));
}

bool pointFileReadsBack(const VelaMath::VelaProfile& written)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ridge.bin"));
    VelaMath::VelaProfile read;
    if (!written.writeToFile(path) || read.readFromFile(path) != written.size())
        return fail("the point file was not written and read back");
    float minX, minY, maxX, maxY;
    return (read.calcRange(&minX, &minY, &maxX, &maxY, nullptr)
            && minX == -20 && maxX == 20 && minY == 5 && maxY == 15)
        || fail("the point file read back holds other points");
}

bool profileIsDrawn(const VelaMath::VelaProfile& profile)
{
    const QRgb background = qRgb(255, 255, 255), line = qRgb(255, 0, 0);
    VelaVisualizer view;
    view.resize(320, 240);
    view.setBgColor(0xFF000000 | background);
    view.addProfile(profile, QStringLiteral("ridge"), 0xFF000000 | line, 0, 3, DrawLines, false);
    const QImage image = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    int linePixels = 0, backgroundPixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            linePixels += image.pixel(x, y) == line;
            backgroundPixels += image.pixel(x, y) == background;
        }
    return (linePixels >= 100 && backgroundPixels > linePixels)
        || fail("the profile was not drawn");
}

// Streams from the sensor of `block` until a few profiles came, then stops like a user.
bool streamsFrom(const VelaDevice::_UDP_DEVINFOBLOCK_PC* block)
{
    using VelaStreamer::LS71Streamer;
    VelaDevice::LS71Device device(block);
    LS71Streamer streamer;
    streamer.setLS71(&device);
    int profiles = 0, rc = -1;
    QObject::connect(&streamer, qOverload<uchar, const void*>(&LS71Streamer::receivedProfile), qApp,
                     [&] { ++profiles; });
    QObject::connect(&streamer, &LS71Streamer::complete, qApp, [&](uchar, uchar code) { rc = code; });
    streamer.start();
    const bool streamed = waitFor([&] { return profiles >= 5; }, 5000) || fail("no profiles came");
    streamer.shutdown();
    const bool stopped = (waitFor([&] { return rc >= 0; }, 5000) && rc == LS71Streamer::rc_USERBRK)
        || fail("the streamer did not end as stopped by its user");
    streamer.wait();
    return streamed && stopped;
}

bool streamsFromTheEmulator(const QString& emulatorPath)
{
    // One LS71 on free ports of 127.0.0.1; the emulator says where it answers searches.
    QProcess emulator;
    emulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    emulator.start(emulatorPath, {"--ls71", "1", "--address", "127.0.0.1", "--same-address",
                                  "--control-port", "0", "--data-port", "0", "--host-port", "0",
                                  "--discovery", "127.0.0.1:0", "--quiet"});
    if (!emulator.waitForStarted() || !waitFor([&] { return emulator.canReadLine(); }, 5000))
        return fail("the emulator did not start");
    const QByteArray discovery = emulator.readLine().trimmed();
    const QByteArray prefix("discovery ");
    bool ok = discovery.startsWith(prefix) || fail("the emulator did not name its search endpoint");
    if (ok) {
        qputenv("VELA_DEVICE_SEARCH", discovery.mid(prefix.size()));
        VelaDevice::Initialize();
        VelaDevice::VelaEthernetDetector detector;
        ok = (detector.Search(VelaDevice::DeviceTypeLS71, 3) == 1 || fail("the search found no LS71"))
            && streamsFrom(detector.GetDevBlock(0));
        VelaDevice::Cleanup();
    }
    emulator.terminate();
    return (emulator.waitForFinished(5000) && emulator.exitCode() == 0 || fail("the emulator did not stop cleanly"))
        && ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vela-install-check <ls7x-emulator>\n");
        return 2;
    }
    const VelaMath::VelaProfile profile = ridge();
    // Every check runs, so one run names every fault.
    const bool ok = versionsMatchThePackage() & pointFileReadsBack(profile)
        & profileIsDrawn(profile) & streamsFromTheEmulator(QString::fromLocal8Bit(argv[1]));
    if (ok)
        std::puts("vela-install-check: point file, drawing and streaming work from the install");
    return ok ? 0 : 1;
}
