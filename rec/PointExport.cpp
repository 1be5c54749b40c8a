#include "PointExport.h"

#include "RecordPoints.h"

#include <cmath>
#include <vector>

ExportResult PointExport::run(QIODevice& input, QIODevice& output, const ExportOptions& options,
                              const std::function<void(qint64)>& progress)
{
    ExportResult result;
    const std::unique_ptr<PointWriter> writer = makePointWriter(options.format, options.ascii);
    const auto writeFailed = [&] {
        result.error = tr("cannot write the output (%1)").arg(output.errorString());
        return result;
    };
    if (!writer->begin(output))
        return writeFailed();
    RecordPoints walk(input);
    std::vector<float> defined(size_t(RecordPoints::ChunkPoints) * 3);
    for (qint64 index = 0; (options.last < 0 || index <= options.last) && walk.nextRecord(); ++index) {
        if (index < options.first || (index - options.first) % options.every != 0)
            continue;   // its points are skipped unread
        const VelaMath::VelaRecordHeader& h = walk.header();
        const bool positioned = h.kind == VelaMath::VelaRecordKind::Cloud3D || h.kind == VelaMath::VelaRecordKind::CloudRGB
            || !std::isnan(h.z);
        const float scanZ = float(double(index) * options.pitch);
        const float* xyz = nullptr;
        while (const int n = walk.nextChunk(&xyz)) {
            float* out = defined.data();
            for (int i = 0; i < n; ++i, xyz += 3) {
                const float z = positioned ? xyz[2] : scanZ;
                if (std::isnan(xyz[0]) || std::isnan(xyz[1]) || std::isnan(z))
                    continue;
                out[0] = xyz[0];
                out[1] = xyz[1];
                out[2] = z;
                out += 3;
            }
            const int kept = int(out - defined.data()) / 3;
            if (!writer->write(output, defined.data(), kept))
                return writeFailed();
            result.points += kept;
        }
        if (walk.reader().failed())
            break;
        ++result.records;
        if (progress)
            progress(walk.reader().position());
    }
    if (walk.reader().failed()) {
        result.error = walk.reader().errorString();
        return result;
    }
    if (!writer->finish(output, result.points))
        return writeFailed();
    return result;
}
