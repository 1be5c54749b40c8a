#include "ConfigFile.h"

#include "FileNameRules.h"
#include "UserFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <limits>

namespace ConfigFile {
namespace {

const QString InformationGroup = QStringLiteral("Information");
const QString ConfigGroup = QStringLiteral("LS71Config");
constexpr int MaxFrequency = 250;

// A present key as an int: not a number gives 0, numbers beyond int stop at its limits so
// that the control's own range still decides.
int intValue(const QSettings& settings, const QString& key, int defaultValue)
{
    if (!settings.contains(key))
        return defaultValue;
    bool ok = false;
    const qlonglong value = settings.value(key).toLongLong(&ok);
    if (!ok)
        return 0;
    return static_cast<int>(std::clamp<qlonglong>(value, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

// A value that only counts inside [0, maximum]; anything else keeps the default.
int rangedValue(const QSettings& settings, const QString& key, int defaultValue, int maximum)
{
    const int value = intValue(settings, key, defaultValue);
    return value >= 0 && value <= maximum ? value : defaultValue;
}

quint8 windowValue(const QSettings& settings, const QString& key, quint8 defaultValue)
{
    return static_cast<quint8>(rangedValue(settings, key, defaultValue, MeasurementWindow::Full));
}

// Checked before QSettings reads the whole file into memory.
bool isSmallReadableFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > MaxFileSize)
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

// The export starts from the existing file when it is INI text, so that its other keys stay.
void startFromExisting(const QString& path, const QString& scratch)
{
    if (!isSmallReadableFile(path))
        return;
    const QSettings existing(path, QSettings::IniFormat);
    // The file is parsed on the first read; only then does the status tell.
    existing.allKeys();
    if (existing.status() == QSettings::NoError)
        QFile::copy(path, scratch);
}

bool isConfiguration(const QSettings& settings)
{
    if (settings.status() != QSettings::NoError)
        return false;
    const QStringList groups = settings.childGroups();
    return groups.contains(InformationGroup) || groups.contains(ConfigGroup);
}

} // namespace

QString withExtension(const QString& path)
{
    return FileNameRules::withExtension(path, QStringLiteral("ls71"));
}

bool write(const QString& path, quint32 serialNumber, const QString& macText,
           const SensorConfig& config, QString* error)
{
    return UserFile::saveFromScratch(path, [&](const QString& scratch) {
        startFromExisting(path, scratch);
        QSettings settings(scratch, QSettings::IniFormat);
        settings.beginGroup(InformationGroup);
        settings.setValue(QStringLiteral("SerialNumber"), serialNumber);
        settings.setValue(QStringLiteral("MAC"), macText);
        settings.endGroup();

        settings.beginGroup(ConfigGroup);
        settings.setValue(QStringLiteral("LaserLevel"), config.laserLevel);
        settings.setValue(QStringLiteral("IntegrationTime"), config.integrationTime);
        settings.setValue(QStringLiteral("PixelBrightnessThreshold"), config.pixelBrightnessThreshold);
        settings.setValue(QStringLiteral("NetworkAddress"), config.networkAddress);
        settings.setValue(QStringLiteral("NetworkMask"), config.networkMask);
        settings.setValue(QStringLiteral("UDPAddress"), config.udpAddress);
        settings.setValue(QStringLiteral("UDPPortNumber"), config.udpPortNumber);
        settings.setValue(QStringLiteral("UDPFrequency"), config.udpFrequency);
        if (config.hasWindow) {
            settings.setValue(QStringLiteral("WindowLeftBoundary"), config.window.left);
            settings.setValue(QStringLiteral("WindowUpperBoundary"), config.window.upper);
            settings.setValue(QStringLiteral("WindowWidth"), config.window.width);
            settings.setValue(QStringLiteral("WindowHeight"), config.window.height);
        }
        settings.endGroup();

        settings.sync();
        return settings.status() == QSettings::NoError;
    }, error);
}

bool read(const QString& path, SensorConfig* config)
{
    if (!isSmallReadableFile(path))
        return false;
    QSettings settings(path, QSettings::IniFormat);
    if (!isConfiguration(settings))
        return false;

    SensorConfig read = *config;
    settings.beginGroup(ConfigGroup);
    read.laserLevel = intValue(settings, QStringLiteral("LaserLevel"), read.laserLevel);
    read.integrationTime = intValue(settings, QStringLiteral("IntegrationTime"), read.integrationTime);
    read.pixelBrightnessThreshold = intValue(settings, QStringLiteral("PixelBrightnessThreshold"),
                                             read.pixelBrightnessThreshold);
    read.networkAddress = settings.value(QStringLiteral("NetworkAddress"), read.networkAddress).toString();
    read.networkMask = settings.value(QStringLiteral("NetworkMask"), read.networkMask).toString();
    read.udpAddress = settings.value(QStringLiteral("UDPAddress"), read.udpAddress).toString();
    read.udpPortNumber = intValue(settings, QStringLiteral("UDPPortNumber"), read.udpPortNumber);
    read.udpFrequency = rangedValue(settings, QStringLiteral("UDPFrequency"), read.udpFrequency,
                                    MaxFrequency);
    read.window.left = windowValue(settings, QStringLiteral("WindowLeftBoundary"), read.window.left);
    read.window.upper = windowValue(settings, QStringLiteral("WindowUpperBoundary"), read.window.upper);
    read.window.width = windowValue(settings, QStringLiteral("WindowWidth"), read.window.width);
    read.window.height = windowValue(settings, QStringLiteral("WindowHeight"), read.window.height);
    settings.endGroup();
    *config = read;
    return true;
}

} // namespace ConfigFile
