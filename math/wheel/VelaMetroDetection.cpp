// Wheel detection in a train pass and the axle distances of the detected wheels.

#include "VelaMetro.h"
#include "VelaMetroSensor_p.h"
#include "VelaProfileZ.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <cmath>

namespace VelaMath {

using namespace Metro;

bool METRO_isWheel(const VelaProfile& profile, VelaLine level, int minPoints)
{
    int below = 0;
    for (const VelaPointXY& p : profile.points) {
        if (level.k * p.x + level.b > p.y)
            ++below;
    }
    return below > minPoints;
}

bool METRO_isWheel(const VelaProfile& profile, VelaLine level, VelaLine lowLevel, int minPoints)
{
    int between = 0;
    for (const VelaPointXY& p : profile.points) {
        if (lowLevel.k * p.x + lowLevel.b < p.y && p.y < level.k * p.x + level.b)
            ++between;
    }
    return between > minPoints;
}

namespace {

struct DetectionSettings
{
    int minProfsInWheel;
    int wndSize;
    int higherPoinInWnd;
    float maxdY;
    VelaLine level;
    VelaLine lowLevel;
    int minPointsIn;
    float maxCorr;
    int parts;
    float maxDist;
};

// A stored float count truncated to int; NaN or a value no int can hold counts as 0.
int truncatedCount(float value)
{
    return std::fabs(value) < 2e9f ? int(value) : 0;
}

DetectionSettings readDetectionSettings(QSettings& s, int sensor)
{
    const auto f = [&](const char* key, double def) {
        return s.value(sensorKey(sensor, key), def).toFloat();
    };
    DetectionSettings d;
    d.minProfsInWheel = s.value(QStringLiteral("minProfsInWheel"), 5).toInt();
    d.wndSize = s.value(sensorKey(sensor, "wndSize"), 3).toInt();
    d.higherPoinInWnd = s.value(sensorKey(sensor, "higherPoinInWnd"), 1).toInt();
    d.maxdY = f("maxdY", 1.5);
    d.level = VelaLine(f("level_k", -0.4), f("level_b", 187.0));
    d.lowLevel = VelaLine(f("lowlevel_k", 0.0), f("lowlevel_b", 0.0));
    // The default is the float 1.5 read as an integer, which rounds to 2.
    d.minPointsIn = s.value(sensorKey(sensor, "minPointsIn"), 1.5).toInt();
    d.maxCorr = f("maxCorr", 1.0);
    d.parts = truncatedCount(f("parts", 0.0));
    d.maxDist = f("maxDist", 10.0);
    return d;
}

// Reads the next record of a recording, a 2-D cloud or a Z profile; false at the end.
bool readRecord(QFile& file, VelaProfile& profile, VelaProfileZ& scratch)
{
    if (profile.readFromFile(file) >= 0)
        return true;
    if (scratch.readFromFile(file) < 0)
        return false;
    profile.points.swap(scratch.points);
    return true;
}

// listStarts: the test variant, which notes where every wheel starts in the recording.
bool detectWheels(const QString& path, QSettings* settings, int sensorKind, int* wheelCount,
                  bool listStarts, QSettings* results)
{
    if (!settings)
        return false;
    const std::optional<int> serial = serialFromPath(path);
    if (!serial)
        return false;
    const std::optional<int> sensor = findSensor(*settings, *serial);
    if (!sensor)
        return false;
    const DetectionSettings d = readDetectionSettings(*settings, *sensor);

    const QString folder = wheelFolder(path);
    if (!QDir().mkpath(folder))
        return false;
    QFile recording(path);
    if (!recording.open(QIODevice::ReadOnly))
        return false;
    // Files of an earlier, longer run would otherwise join the wheels of this one.
    removeWheelFiles(folder);

    int wheel = 0;
    int inWheelProfiles = 0;
    bool inWheel = false;
    bool written = true;
    int recordNumber = 0;
    VelaProfile starts; // (wheel, record number) for the debug list
    VelaProfile profile;
    VelaProfileZ scratch;
    while (readRecord(recording, profile, scratch)) {
        ++recordNumber;
        profile.removeNoise(d.wndSize, d.higherPoinInWnd, d.maxdY, 0);
        bool isWheel;
        if (sensorKind == 3) {
            profile.removeLineParts(d.parts, d.maxCorr, d.maxDist, 5);
            isWheel = METRO_isWheel(profile, d.level, d.lowLevel, d.minPointsIn);
        } else {
            isWheel = METRO_isWheel(profile, d.level, d.minPointsIn);
        }

        if (isWheel) {
            if (!inWheel) {
                ++wheel;
                inWheelProfiles = 0;
                inWheel = true;
                if (listStarts) {
                    if (results)
                        results->setValue(QStringLiteral("Wheel_%1/firstProfInWheel").arg(wheel),
                                          recordNumber);
                    starts.points.append(VelaPointXY(float(wheel), float(recordNumber)));
                }
            }
            ++inWheelProfiles;
            written = profile.writeToFile(wheelFile(folder, wheel, inWheelProfiles)) && written;
        } else {
            if (inWheel && inWheelProfiles < d.minProfsInWheel) {
                for (int i = 1; i <= inWheelProfiles; ++i)
                    QFile::remove(wheelFile(folder, wheel, i));
                --wheel;
            }
            inWheel = false;
        }
    }
    recording.close();

    if (listStarts)
        starts.writeToCSVFile(QStringLiteral("test.csv"));
    if (wheelCount)
        *wheelCount = wheel;
    return written;
}

} // namespace

bool METRO_detectWheels(QString path, QSettings* settings, int sensorKind, int* wheelCount)
{
    return detectWheels(path, settings, sensorKind, wheelCount, false, nullptr);
}

bool METRO_detectWheels_Test(QString path, QSettings* settings, int sensorKind, int* wheelCount,
                             QSettings* results)
{
    return detectWheels(path, settings, sensorKind, wheelCount, true, results);
}

float METRO_calcWheelsDist(VelaProfile& a, VelaProfile& b, VelaLine calibA, VelaLine calibB,
                           float calibrLines2)
{
    a.points.resize(a.size() / 2);
    b.points.resize(b.size() / 2);
    VelaLine lineA;
    VelaLine lineB;
    a.calcLine(lineA);
    b.calcLine(lineB);
    // Offsets of the two wheel faces from their calibration lines, measured perpendicular to
    // those lines, plus the distance between the calibration lines.
    return (lineA.b - calibA.b) * std::fabs(std::cos(std::atan(calibA.k))) + calibrLines2
        + (lineB.b - calibB.b) * std::fabs(std::cos(std::atan(calibB.k)));
}

namespace {

struct AxleSensor
{
    QString folder;
    VelaLine calib;
    VelaLine level;
};

std::optional<AxleSensor> axleSensor(const QString& path, QSettings& s)
{
    const std::optional<int> serial = serialFromPath(path);
    if (!serial)
        return std::nullopt;
    int group;
    if (*serial == s.value(sensorKey(1, "SN"), 0).toInt())
        group = 1;
    else if (*serial == s.value(sensorKey(2, "SN"), 0).toInt())
        group = 2;
    else
        return std::nullopt;

    AxleSensor sensor;
    sensor.folder = wheelFolder(path);
    if (!QDir(sensor.folder).exists())
        return std::nullopt;
    const auto f = [&](const char* key, double def) {
        return s.value(sensorKey(group, key), def).toFloat();
    };
    sensor.calib = VelaLine(f("k2", 0.0), f("b2", 0.0));
    sensor.level = VelaLine(f("level_k", -0.4), f("level_b", 187.0));
    return sensor;
}

// The profile of the wheel with the most points below the level line (the first of equal
// counts); false when the wheel's first file is missing.
bool bestWheelProfile(const AxleSensor& sensor, int wheel, VelaProfile& best)
{
    if (!QFile::exists(wheelFile(sensor.folder, wheel, 1)))
        return false;
    best.clear();
    VelaProfile profile;
    for (int j = 1;; ++j) {
        const QString file = wheelFile(sensor.folder, wheel, j);
        if (!QFile::exists(file))
            break;
        if (profile.readFromFile(file) < 0)
            continue; // a damaged file takes no part
        profile.removeHighLevel(sensor.level);
        if (profile.size() > best.size())
            best = profile;
    }
    return true;
}

} // namespace

bool METRO_calcWheelsDistInTrain(QString pathA, QString pathB, int wheelCount, QSettings* settings,
                                 float* distances)
{
    if (!settings || (wheelCount > 0 && !distances))
        return false;
    const std::optional<AxleSensor> a = axleSensor(pathA, *settings);
    const std::optional<AxleSensor> b = axleSensor(pathB, *settings);
    if (!a || !b)
        return false;
    const float calibrLines2 = settings->value(QStringLiteral("calibrLines2"), 0.0).toFloat();

    VelaProfile bestA;
    VelaProfile bestB;
    for (int wheel = 1; wheel <= wheelCount; ++wheel) {
        if (!bestWheelProfile(*a, wheel, bestA) || !bestWheelProfile(*b, wheel, bestB))
            return false;
        distances[wheel - 1] = METRO_calcWheelsDist(bestA, bestB, a->calib, b->calib, calibrLines2);
    }
    return true;
}

} // namespace VelaMath
