// Per-wheel profile files (one cloud record each, damaged or not) as the defect scan and the
// axle distances read them, with their settings from the input too.

#include "FuzzInput.h"
#include "VelaMetro.h"

#include <QDir>
#include <QFile>
#include <QSettings>

using namespace VelaMath;

namespace {

constexpr int MaxWheels = 8;
constexpr int MaxProfiles = 12;

// The defect scan reads ./SENSOR<k>/<wheel>_<profile>.bin counted from 0, the axle distances
// ./<recording name>/<wheel>_<profile>.bin counted from 1; both sensors of each see the same.
void prepareFolders()
{
    QDir here(scratchFolder());
    here.mkdir(QStringLiteral("SENSOR1"));
    QFile::link(QStringLiteral("SENSOR1"), scratchFolder() + QStringLiteral("/SENSOR2"));
    here.mkdir(QStringLiteral("axle"));
    QFile::link(QStringLiteral("axle"), scratchFolder() + QStringLiteral("/left_7101"));
    QFile::link(QStringLiteral("axle"), scratchFolder() + QStringLiteral("/right_7102"));
}

void emptyFolder(const QString& name)
{
    QDir folder(scratchFolder() + QLatin1Char('/') + name);
    for (const QString& file : folder.entryList(QDir::Files))
        folder.remove(file);
}

QString wheelFile(const char* folder, int wheel, int profile)
{
    return QString::asprintf("%s/%02d_%02d.bin", folder, wheel, profile);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool prepared = (enterScratchFolder(), prepareFolders(), true);
    (void)prepared;
    FuzzInput input(data, size);
    const uint8_t extraWheels = input.take<uint8_t>() % 3;
    QSettings settings(scratchFolder() + QStringLiteral("/defects.ini"), QSettings::IniFormat);
    settings.clear();
    for (const char* key : {"SENSOR1/SN", "SENSOR2/SN", "use", "polynomDegree", "maxDeviation", "pointsHigher",
                            "minimalDefectsProf", "calibrLines2"})
        takeSetting(settings, QLatin1String(key), input);
    for (const char* group : {"SENSOR1", "SENSOR2"}) {
        for (const char* key : {"level_k", "level_b", "lowLevel_k", "lowLevel_b", "k2", "b2"})
            takeSetting(settings, QStringLiteral("%1/%2").arg(QLatin1String(group), QLatin1String(key)), input);
    }

    emptyFolder(QStringLiteral("SENSOR1"));
    emptyFolder(QStringLiteral("axle"));
    int wheel = 0;
    int profile = 0;
    while (!input.empty()) {
        const bool newWheel = input.take<uint8_t>() & 1;
        const QByteArray content = input.chunk();
        if (newWheel && profile > 0) {
            ++wheel;
            profile = 0;
        }
        if (wheel >= MaxWheels)
            break;
        if (profile >= MaxProfiles)
            continue;
        for (const QString& path : {wheelFile("SENSOR1", wheel, profile), wheelFile("axle", wheel + 1, profile + 1)}) {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
                std::abort();
        }
        ++profile;
    }
    const int wheelCount = wheel + (profile > 0 ? 1 : 0) + extraWheels;

    unsigned char flagsLow[MaxWheels + 3];
    unsigned char flagsHigh[MaxWheels + 3];
    float distances[MaxWheels + 3];
    METRO_detectDefectsInTrain(QStringLiteral("train_7101.bin"), &settings, flagsLow, flagsHigh, wheelCount);
    METRO_calcWheelsDistInTrain(QStringLiteral("left_7101.bin"), QStringLiteral("right_7102.bin"), wheelCount,
                                &settings, distances);
    return 0;
}
