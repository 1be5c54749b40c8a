// Tread defect detection: profiles compared with a smooth polynomial fitted to them.

#include "VelaMetro.h"
#include "VelaMetroSensor_p.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <cmath>

namespace VelaMath {

using namespace Metro;

bool METRO_detectWheelDefect(const VelaProfile& profile, int degree, float maxDeviation,
                             int pointsHigher)
{
    VelaProfile fitted(profile);
    fitted.polynomFit(degree); // a failed fit leaves the copy as it was: nothing deviates
    int deviating = 0;
    for (int i = 0; i < profile.size(); ++i) {
        if (std::fabs(profile.points[i].y - fitted.points[i].y) > maxDeviation)
            ++deviating;
    }
    return deviating <= pointsHigher;
}

bool METRO_detectDefectsInTrain(QString path, QSettings* settings, unsigned char* const flagsLow,
                                unsigned char* const flagsHigh, int wheelCount)
{
    if (!settings)
        return false;
    const std::optional<int> serial = serialFromPath(path);
    if (!serial)
        return false;
    const std::optional<int> sensor = findSensor(*settings, *serial);
    if (!sensor || *sensor == exhaustedSearch)
        return false;
    const QString folder = QStringLiteral("./SENSOR%1").arg(*sensor);
    if (!QDir(folder).exists() || settings->value(QStringLiteral("use"), 0).toInt() == 0)
        return false;
    unsigned char* const flags = *sensor <= 10 ? flagsLow : flagsHigh;
    if (wheelCount > 0 && !flags)
        return false;

    QSettings& s = *settings;
    const int degree = s.value(QStringLiteral("polynomDegree"), 20).toInt();
    const float maxDeviation = s.value(QStringLiteral("maxDeviation"), 0.3).toFloat();
    const int pointsHigher = s.value(QStringLiteral("pointsHigher"), 5).toInt();
    const int minimalDefectsProf = s.value(QStringLiteral("minimalDefectsProf"), 1).toInt();
    const VelaLine level(s.value(sensorKey(*sensor, "level_k"), -0.4).toFloat(),
                         s.value(sensorKey(*sensor, "level_b"), 187.0).toFloat());
    const VelaLine lowLevel(s.value(sensorKey(*sensor, "lowLevel_k"), -0.4).toFloat(),
                            s.value(sensorKey(*sensor, "lowLevel_b"), 67.0).toFloat());

    VelaProfile profile;
    for (int wheel = 0; wheel < wheelCount; ++wheel) {
        int passing = 0;
        for (int j = 0;; ++j) {
            const QString file = wheelFile(folder, wheel, j);
            if (!QFile::exists(file))
                break;
            if (profile.readFromFile(file) < 0)
                continue; // a damaged file takes no part
            profile.removeHighLevel(level);
            profile.removeLowLevel(lowLevel);
            if (METRO_detectWheelDefect(profile, degree, maxDeviation, pointsHigher))
                ++passing;
        }
        if (passing > minimalDefectsProf)
            flags[wheel] = 0;
    }
    return true;
}

} // namespace VelaMath
