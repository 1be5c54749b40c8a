#pragma once

#include <QFile>
#include <QString>

#include <VelaProfileZ.h>

// Records a profile stream into a dump file: one Z-profile record per profile, no file
// header; its NaN position carries the measurement counter (VelaProfileZ::counterTag), so
// that the gaps of the stream can be told from the file. Writes go straight to the file, so a failed write is seen at
// once: the file is cut back to its last whole record, stays readable, and takes no
// further records.
class DumpRecorder
{
public:
    // Creates or truncates the file. False, with errorString(), when it cannot be opened.
    bool start(const QString& path);
    bool isRecording() const { return m_file.isOpen(); }
    // Appends one record of count X,Z pairs. False when the record could not be written,
    // now or by an earlier failure of this recording.
    bool append(const float* xz, quint16 count, quint16 measCounter);
    // Closes the file; answers whether every record since start was written.
    bool stop();

    // Records written since the last start.
    qint64 records() const { return m_records; }
    bool failed() const { return m_failed; }
    QString errorString() const { return m_error; }

private:
    QFile m_file;
    // Reused for every record.
    VelaMath::VelaProfileZ m_record;
    qint64 m_records = 0;
    bool m_failed = false;
    QString m_error;
};
