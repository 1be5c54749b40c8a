#include "VelaMetroSensor_p.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

namespace VelaMath::Metro {

static QString withoutBinSuffix(const QString& text)
{
    return text.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive) ? text.chopped(4) : text;
}

std::optional<int> serialFromPath(const QString& path)
{
    const QString name = withoutBinSuffix(QFileInfo(path).fileName());
    const int underscore = name.indexOf(QLatin1Char('_'));
    bool ok = false;
    const int serial = name.mid(underscore + 1).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return serial;
}

std::optional<int> findSensor(QSettings& settings, int serial)
{
    for (int i = 1; i <= lastSensor; ++i) {
        const int stored = settings.value(sensorKey(i, "SN"), 0).toInt();
        if (stored == serial)
            return i;
        if (stored == 0)
            return std::nullopt;
    }
    return exhaustedSearch;
}

QString wheelFolder(const QString& recordingPath)
{
    // A bare file name gives "./<name>", as the line's other software expects.
    const QFileInfo info(recordingPath);
    return info.path() + QLatin1Char('/') + withoutBinSuffix(info.fileName());
}

QString wheelFile(const QString& folder, int wheel, int profile)
{
    // One pass over the pattern: a "%" in the folder name must not take a number.
    return QStringLiteral("%1/%2_%3.bin")
        .arg(folder, QStringLiteral("%1").arg(wheel, 2, 10, QLatin1Char('0')),
             QStringLiteral("%1").arg(profile, 2, 10, QLatin1Char('0')));
}

void removeWheelFiles(const QString& folder)
{
    static const QRegularExpression wheelName(QStringLiteral("^\\d{2,}_\\d{2,}\\.bin$"));
    QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files);
    for (const QString& name : names) {
        if (wheelName.match(name).hasMatch())
            dir.remove(name);
    }
}

QString sensorKey(int sensor, const char* key)
{
    return QStringLiteral("SENSOR%1/%2").arg(sensor).arg(QLatin1String(key));
}

} // namespace VelaMath::Metro
