#include "DumpRecorder.h"

bool DumpRecorder::start(const QString& path)
{
    m_file.close();
    m_records = 0;
    m_failed = false;
    m_error.clear();
    m_file.setFileName(path);
    if (m_file.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered))
        return true;
    m_failed = true;
    m_error = m_file.errorString();
    return false;
}

bool DumpRecorder::append(const float* xz, quint16 count, quint16 measCounter)
{
    if (!m_file.isOpen() || m_failed)
        return false;
    m_record.clear();
    m_record.copyFromXYPointsBuffer(xz, count);
    m_record.z = VelaMath::VelaProfileZ::counterTag(measCounter);
    const qint64 recordStart = m_file.pos();
    if (m_record.writeToFile(m_file)) {
        ++m_records;
        return true;
    }
    m_failed = true;
    m_error = m_file.errorString();
    // A partly written record would make every reader of the file stumble at its end.
    m_file.resize(recordStart);
    return false;
}

bool DumpRecorder::stop()
{
    m_file.close();
    return !m_failed;
}
