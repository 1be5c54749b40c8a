// A train pass recording (2-D cloud and Z-profile records in any mix, damaged or not) split
// into wheels, with the detection's settings from the input too: every key the detection reads,
// absent or holding any number or text a settings file can hold.

#include "FuzzInput.h"
#include "VelaMetro.h"

#include <QDir>
#include <QFile>
#include <QSettings>

using namespace VelaMath;

namespace {

const char* const SensorKeys[] = {"wndSize", "higherPoinInWnd", "maxdY", "level_k", "level_b", "lowlevel_k",
                                  "lowlevel_b", "minPointsIn", "maxCorr", "parts", "maxDist"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool entered = (enterScratchFolder(), true);
    (void)entered;
    FuzzInput input(data, size);
    const uint8_t mode = input.take<uint8_t>();
    const int32_t serial = input.take<int32_t>();
    QSettings settings(scratchFolder() + QStringLiteral("/wheels.ini"), QSettings::IniFormat);
    settings.clear();
    takeSetting(settings, QStringLiteral("SENSOR1/SN"), input);
    takeSetting(settings, QStringLiteral("SENSOR2/SN"), input);
    takeSetting(settings, QStringLiteral("minProfsInWheel"), input);
    for (const char* group : {"SENSOR1", "SENSOR2"}) {
        for (const char* key : SensorKeys)
            takeSetting(settings, QStringLiteral("%1/%2").arg(QLatin1String(group), QLatin1String(key)), input);
    }

    const QString path = writeScratchFile(QStringLiteral("pass_%1.bin").arg(serial), input.rest());
    const int sensorKind = mode & 1 ? 3 : 1;
    int wheels = 0;
    if (mode & 2) {
        QSettings results(scratchFolder() + QStringLiteral("/results.ini"), QSettings::IniFormat);
        METRO_detectWheels_Test(path, &settings, sensorKind, &wheels, &results);
    } else {
        METRO_detectWheels(path, &settings, sensorKind, &wheels);
    }
    QFile::remove(path);
    QDir(scratchFolder() + QStringLiteral("/pass_%1").arg(serial)).removeRecursively();
    return 0;
}
