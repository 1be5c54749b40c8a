#pragma once

#include "MeasurementWindow.h"

#include <QString>

// A sensor configuration file (*.ls71): INI text with the groups Information (serial number
// and MAC text, written only) and LS71Config (the working parameters). The same file serves
// LS71 and LS74 sensors.
struct SensorConfig
{
    int laserLevel = 0;
    int integrationTime = 0;
    int pixelBrightnessThreshold = 0;
    QString networkAddress;
    QString networkMask;
    QString udpAddress;
    int udpPortNumber = 0;
    int udpFrequency = 0;
    MeasurementWindow window;
    // False when the sensor's window is unknown; the window keys are then not written.
    bool hasWindow = true;
};

namespace ConfigFile {

// Files larger than this are not configuration files; reading them is refused up front.
constexpr qint64 MaxFileSize = 64 * 1024;

// The path a chosen name is saved under: unchanged when its last dot-separated piece is
// "ls71" in any letter case, otherwise with ".ls71" appended.
QString withExtension(const QString& path);

// Writes the keys into the file, keeping the other keys of an existing configuration; a file
// that is not INI text is replaced whole. The file is replaced only once the new one is
// complete: false, with the reason in error, when it was left as it was.
bool write(const QString& path, quint32 serialNumber, const QString& macText,
           const SensorConfig& config, QString* error = nullptr);

// Reads the file over config, which holds the defaults: a missing key keeps its default, a
// value that is not a number reads as 0, a frequency outside 0 to 250 or a window value
// outside 0 to 255 keeps the default. False, with config untouched, when the file cannot be
// read, is too large, is not INI text or has neither group.
bool read(const QString& path, SensorConfig* config);

} // namespace ConfigFile
