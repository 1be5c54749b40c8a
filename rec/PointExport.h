#pragma once

#include "PointWriters.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QString>

#include <functional>

struct ExportOptions {
    PointFormat format = PointFormat::Ply;
    bool ascii = false;
    double pitch = 1.0;     // mm between records that carry no position
    qint64 first = 0;       // record indices first..last (-1: to the end), every n-th
    qint64 last = -1;
    qint64 every = 1;
};

struct ExportResult {
    qint64 records = 0;     // records exported
    qint64 points = 0;      // points written
    QString error;          // empty when done
};

// Turns the recording read from `input` into one point cloud on `output` (seekable, empty):
// x and y from the profile, z from the record (3-D clouds: the point's own; records without a
// position: their index x pitch). Undefined points are left out.
class PointExport
{
    Q_DECLARE_TR_FUNCTIONS(PointExport)

public:
    static ExportResult run(QIODevice& input, QIODevice& output, const ExportOptions& options,
                            const std::function<void(qint64)>& progress = {});
};
