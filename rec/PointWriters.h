#pragma once

#include <QIODevice>
#include <QString>

#include <memory>

// The point-cloud files of the 3-D tools that `ls7x-rec export` writes: PLY and PCD (binary
// little-endian, or ASCII), CSV with a header row, and bare XYZ text.
enum class PointFormat { Ply, Pcd, Csv, Xyz };

// The format an output name asks for by its extension (in any case); false for others.
bool pointFormatOf(const QString& path, PointFormat* format);

class PointWriter
{
public:
    virtual ~PointWriter() = default;
    // Starts the file at the device's start; the point count follows with finish().
    virtual bool begin(QIODevice& out) = 0;
    // n defined points, x, y, z each.
    virtual bool write(QIODevice& out, const float* xyz, int n) = 0;
    virtual bool finish(QIODevice& out, qint64 points) = 0;
};

// ascii applies to PLY and PCD; CSV and XYZ are text anyway.
std::unique_ptr<PointWriter> makePointWriter(PointFormat format, bool ascii);
