#pragma once

// Shared by the wheel-line tests: a private working directory, INI settings stored as text,
// and recordings built byte by byte, apart from the library's own writers.

#include "VelaProfile.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace WheelFixtures {

using VelaMath::VelaPointXY;

// The wheel functions read and write relative to the working directory.
class WorkDir
{
public:
    WorkDir() : previous(QDir::currentPath()) { QDir::setCurrent(dir.path()); }
    ~WorkDir() { QDir::setCurrent(previous); }
    QString path(const QString& name) const { return dir.filePath(name); }

private:
    QTemporaryDir dir;
    QString previous;
};

// "SENSOR1/SN=7" style entries, written as an INI file, so every value is text as in a
// stored settings file.
inline std::unique_ptr<QSettings> iniSettings(const QString& path, const QStringList& entries)
{
    QMap<QString, QStringList> groups;
    for (const QString& entry : entries) {
        const QString key = entry.section(QLatin1Char('='), 0, 0);
        const QString value = entry.section(QLatin1Char('='), 1);
        const bool grouped = key.contains(QLatin1Char('/'));
        groups[grouped ? key.section(QLatin1Char('/'), 0, 0) : QStringLiteral("General")]
            << (grouped ? key.section(QLatin1Char('/'), 1) : key) + QLatin1Char('=') + value;
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return nullptr;
    for (auto it = groups.cbegin(); it != groups.cend(); ++it)
        f.write(QStringLiteral("[%1]\n%2\n").arg(it.key(), it.value().join(QLatin1Char('\n'))).toUtf8());
    f.close();
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

// Profiles of a train pass, 40 points at x = 0 .. 39, all within the default level lines
// (y < 187 - 0.4 x) except the gap:
//   'W' a wheel: a shallow arc around y = 100, no height step above 1.5;
//   'G' the gap between wheels: flat at y = 250, above the level line;
//   'R' a straight ramp inside the wheel zone;
//   'T' the gap with only its first two points (x = 0, 1) dropped to y = 100.
inline QList<VelaPointXY> shape(QChar kind)
{
    QList<VelaPointXY> points;
    for (int i = 0; i < 40; ++i) {
        const float x = float(i);
        float y = 250.0f;
        if (kind == QLatin1Char('W'))
            y = 100.0f + 0.01f * (x - 20.0f) * (x - 20.0f);
        else if (kind == QLatin1Char('R'))
            y = 100.0f + 0.5f * x;
        else if (kind == QLatin1Char('T') && i < 2)
            y = 100.0f;
        points.append(VelaPointXY(x, y));
    }
    return points;
}

inline QByteArray record(const QList<VelaPointXY>& points, bool zProfile, float z = 0.0f)
{
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s.setFloatingPointPrecision(QDataStream::SinglePrecision);
    s << quint8(zProfile ? 0x05 : 0x02) << quint16(points.size());
    if (zProfile)
        s << z;
    for (const VelaPointXY& p : points)
        s << p.x << p.y;
    return bytes;
}

enum RecordKind { CloudRecords, ZRecords, MixedRecords };

// One record per letter of `pattern` (see shape()).
inline QByteArray recording(const QString& pattern, RecordKind kind)
{
    QByteArray bytes;
    for (int i = 0; i < pattern.size(); ++i) {
        const bool z = kind == ZRecords || (kind == MixedRecords && i % 2 == 1);
        bytes += record(shape(pattern[i]), z, float(i));
    }
    return bytes;
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline VelaMath::VelaProfile profileOf(const QList<VelaPointXY>& points)
{
    VelaMath::VelaProfile p;
    p.points = points;
    return p;
}

} // namespace WheelFixtures
