#include "RecordCopy.h"

#include <VelaRecordReader.h>

#include <vector>

qint64 RecordCopy::copy(QIODevice& input, QIODevice& output, qint64 limit, QString* error)
{
    using VelaMath::VelaRecordKind;
    constexpr int chunkPoints = 8192;
    std::vector<uchar> buffer(size_t(chunkPoints) * 8);
    VelaMath::VelaRecordReader reader(input);
    qint64 copied = 0;
    const auto write = [&](const uchar* data, qint64 bytes) {
        if (output.write(reinterpret_cast<const char*>(data), bytes) == bytes)
            return true;
        *error = tr("cannot write the output (%1)").arg(output.errorString());
        return false;
    };
    while ((limit < 0 || copied < limit) && reader.nextRecord()) {
        const VelaMath::VelaRecordHeader& h = reader.header();
        if (h.kind != VelaRecordKind::ProfileZ) {
            *error = tr("the record at byte %1 is a point cloud, not a profile: only dumps and profile sets are "
                        "split and joined")
                         .arg(h.offset);
            return -1;
        }
        if (!write(reader.rawHeader(), h.headerBytes))
            return -1;
        while (const int n = reader.readPoints(buffer.data(), chunkPoints)) {
            if (!write(buffer.data(), qint64(n) * h.pointBytes))
                return -1;
        }
        if (reader.failed())
            break;
        ++copied;
    }
    if (reader.failed()) {
        *error = reader.errorString();
        return -1;
    }
    return copied;
}
