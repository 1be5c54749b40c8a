#pragma once

#include <QCoreApplication>
#include <QIODevice>
#include <QString>

#include <functional>

// What `ls7x-rec info` tells about one recording.
struct RecordingSummary {
    Q_DECLARE_TR_FUNCTIONS(RecordingInfo)

public:
    qint64 records[4] = {0, 0, 0, 0};   // 2-D clouds, 3-D clouds, colour clouds, Z profiles
    qint64 positioned = 0;              // Z profiles with a defined z (profile sets)
    qint64 points = 0;
    qint64 minPoints = -1;              // per record; -1 without records
    qint64 maxPoints = -1;
    qint64 undefined = 0;               // points with a NaN coordinate
    float minX, maxX, minY, maxY, minZ, maxZ;   // of the defined coordinates; NaN when none
    // Measurement counters recorded in dumps.
    qint64 counted = 0;                 // records with a counter
    qint64 gaps = 0;                    // places where the counter skips
    qint64 lost = 0;                    // measurements skipped there
    qint64 duplicates = 0;              // records with the previous one's counter
    qint64 bytesRead = 0;
    QString error;                      // the fault that ended the reading, with its offset
    qint64 errorOffset = -1;

    RecordingSummary();
    qint64 recordCount() const;
    // "dump", "profile set", "2-D point clouds", "3-D point cloud", "mixed" or "empty".
    QString kind() const;
};

// Reads a whole recording from `input` (a file, a pipe or a buffer). `progress`, when set, is
// told the bytes read after every record.
RecordingSummary summarizeRecording(QIODevice& input, const std::function<void(qint64)>& progress = {});

// The summary for a person, and as one JSON object for scripts.
QString describeRecording(const QString& name, const RecordingSummary& summary);
QString recordingJson(const QString& name, const RecordingSummary& summary);
