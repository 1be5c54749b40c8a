#pragma once

// Shared by the wheel-line functions: recording names, sensor lookup and wheel file names.

#include <QString>

#include <optional>

class QSettings;

namespace VelaMath::Metro {

// Sensor numbers run from 1 to 49; a search that neither matches nor meets an unset serial
// number ends at 50, whose settings all take their defaults.
constexpr int lastSensor = 49;
constexpr int exhaustedSearch = lastSensor + 1;

// The decimal number after the first "_" of the file name without ".bin" (the whole name
// when there is no "_"); nothing when that text is not a number.
std::optional<int> serialFromPath(const QString& path);

// The sensor whose SENSOR<i>/SN equals serial, exhaustedSearch, or nothing when an unset
// (zero) serial number ends the search first.
std::optional<int> findSensor(QSettings& settings, int serial);

// The recording's path without its ".bin" suffix: the folder of its wheel profiles.
QString wheelFolder(const QString& recordingPath);

// "<folder>/<wheel>_<profile>.bin" with two-digit numbers.
QString wheelFile(const QString& folder, int wheel, int profile);

// Removes the wheel files an earlier run left in the folder.
void removeWheelFiles(const QString& folder);

QString sensorKey(int sensor, const char* key);

} // namespace VelaMath::Metro
