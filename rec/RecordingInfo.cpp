#include "RecordingInfo.h"

#include "RecordPoints.h"

#include <VelaProfileZ.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <limits>

namespace {

constexpr float Inf = std::numeric_limits<float>::infinity();

int kindIndex(VelaMath::VelaRecordKind kind)
{
    return int(kind) - int(VelaMath::VelaRecordKind::Cloud2D);
}

// Ranges and undefined points of one chunk of `stride` floats per point, written so that the
// compiler can vectorise it: a NaN coordinate never wins a comparison, so it never moves a
// bound.
struct Ranges {
    float lo[3] = {Inf, Inf, Inf};
    float hi[3] = {-Inf, -Inf, -Inf};
    qint64 undefined = 0;

    template<int Stride>
    void add(const float* p, int n)
    {
        constexpr int axes = Stride == 2 ? 2 : 3;
        float l[axes], h[axes];
        for (int a = 0; a < axes; ++a)
            l[a] = lo[a], h[a] = hi[a];
        int nan = 0;
        for (int i = 0; i < n; ++i, p += Stride) {
            int bad = 0;
            for (int a = 0; a < axes; ++a) {
                const float v = p[a];
                l[a] = v < l[a] ? v : l[a];
                h[a] = v > h[a] ? v : h[a];
                bad |= v != v;
            }
            nan += bad;
        }
        for (int a = 0; a < axes; ++a)
            lo[a] = l[a], hi[a] = h[a];
        undefined += nan;
    }

    // Profiles, the bulk of every recording: x, y pairs, eight points a step in four
    // independent lanes of work. min and max keep their second operand when either is NaN, so
    // a NaN never moves a bound here either.
    void addPairs(const float* p, int n)
    {
#if defined(__SSE2__)
        constexpr int lanes = 4;
        __m128 l[lanes], h[lanes];
        __m128i bad = _mm_setzero_si128();
        for (int k = 0; k < lanes; ++k) {
            l[k] = _mm_setr_ps(lo[0], lo[1], lo[0], lo[1]);
            h[k] = _mm_setr_ps(hi[0], hi[1], hi[0], hi[1]);
        }
        int i = 0;
        for (; i + 2 * lanes <= n; i += 2 * lanes, p += 4 * lanes) {
            for (int k = 0; k < lanes; ++k) {
                const __m128 v = _mm_loadu_ps(p + 4 * k);
                l[k] = _mm_min_ps(v, l[k]);
                h[k] = _mm_max_ps(v, h[k]);
                // A point is undefined when its x or its y is NaN: or-ed into the x lanes.
                const __m128 nan = _mm_cmpunord_ps(v, v);
                const __m128 point = _mm_or_ps(nan, _mm_shuffle_ps(nan, nan, _MM_SHUFFLE(2, 3, 0, 1)));
                bad = _mm_sub_epi32(bad, _mm_castps_si128(point));
            }
        }
        float lv[4 * lanes], hv[4 * lanes];
        for (int k = 0; k < lanes; ++k) {
            _mm_storeu_ps(lv + 4 * k, l[k]);
            _mm_storeu_ps(hv + 4 * k, h[k]);
        }
        for (int j = 0; j < 4 * lanes; ++j) {
            lo[j % 2] = std::min(lv[j], lo[j % 2]);
            hi[j % 2] = std::max(hv[j], hi[j % 2]);
        }
        int counts[4];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(counts), bad);
        undefined += counts[0] + counts[2];
        add<2>(p, n - i);
#else
        add<2>(p, n);
#endif
    }
};

float bound(float v)
{
    return std::isinf(v) ? std::numeric_limits<float>::quiet_NaN() : v;
}

} // namespace

RecordingSummary::RecordingSummary()
{
    minX = maxX = minY = maxY = minZ = maxZ = std::numeric_limits<float>::quiet_NaN();
}

qint64 RecordingSummary::recordCount() const
{
    return records[0] + records[1] + records[2] + records[3];
}

QString RecordingSummary::kind() const
{
    const qint64 total = recordCount();
    if (total == 0)
        return tr("empty");
    if (records[3] == total)
        return positioned > 0 ? tr("profile set") : tr("dump");
    if (records[0] == total)
        return tr("2-D point clouds");
    if (records[1] + records[2] == total)
        return tr("3-D point cloud");
    return tr("mixed");
}

RecordingSummary summarizeRecording(QIODevice& input, const std::function<void(qint64)>& progress)
{
    RecordingSummary s;
    RecordPoints walk(input);
    Ranges ranges;
    bool haveCounter = false;
    quint16 lastCounter = 0;
    while (walk.nextRecord()) {
        const VelaMath::VelaRecordHeader& h = walk.header();
        const float* values = nullptr;
        while (const int n = walk.nextRawChunk(&values)) {
            if (h.pointBytes == 8)
                ranges.addPairs(values, n);
            else if (h.pointBytes == 12)
                ranges.add<3>(values, n);
            else
                ranges.add<4>(values, n);
        }
        if (walk.reader().failed())
            break;
        ++s.records[kindIndex(h.kind)];
        s.points += h.count;
        s.minPoints = s.minPoints < 0 ? h.count : std::min<qint64>(s.minPoints, h.count);
        s.maxPoints = std::max<qint64>(s.maxPoints, h.count);
        if (h.kind == VelaMath::VelaRecordKind::ProfileZ) {
            if (!std::isnan(h.z)) {
                ++s.positioned;
                ranges.lo[2] = std::min(ranges.lo[2], h.z);   // also for an empty profile
                ranges.hi[2] = std::max(ranges.hi[2], h.z);
            }
            quint16 counter = 0;
            const bool tagged = VelaMath::VelaProfileZ::taggedCounter(h.z, &counter);
            if (tagged && haveCounter) {
                const quint16 step = quint16(counter - lastCounter);
                s.duplicates += step == 0 ? 1 : 0;
                s.gaps += step > 1 ? 1 : 0;
                s.lost += step > 1 ? step - 1 : 0;
            }
            s.counted += tagged ? 1 : 0;
            haveCounter = tagged;
            lastCounter = counter;
        }
        if (progress)
            progress(walk.reader().position());
    }
    s.bytesRead = walk.reader().position();
    if (walk.reader().failed()) {
        s.error = walk.reader().errorString();
        s.errorOffset = walk.reader().errorOffset();
    }
    s.undefined = ranges.undefined;
    s.minX = bound(ranges.lo[0]);
    s.maxX = bound(ranges.hi[0]);
    s.minY = bound(ranges.lo[1]);
    s.maxY = bound(ranges.hi[1]);
    s.minZ = bound(ranges.lo[2]);
    s.maxZ = bound(ranges.hi[2]);
    return s;
}

namespace {

class Report
{
    Q_DECLARE_TR_FUNCTIONS(RecordingInfo)
public:
    static QString text(const QString& name, const RecordingSummary& s)
    {
        const auto range = [](float lo, float hi) {
            return std::isnan(lo) ? tr("none") : tr("%1 to %2 mm").arg(double(lo)).arg(double(hi));
        };
        QStringList lines;
        lines << tr("%1: %2").arg(name, s.kind());
        lines << tr("  records        %1").arg(s.recordCount());
        if (s.recordCount() > 0)
            lines << tr("  points/record  %1 min, %2 mean, %3 max")
                         .arg(s.minPoints)
                         .arg(double(s.points) / double(s.recordCount()), 0, 'f', 1)
                         .arg(s.maxPoints);
        lines << tr("  points         %1, %2 undefined").arg(s.points).arg(s.undefined);
        lines << tr("  x              %1").arg(range(s.minX, s.maxX));
        lines << tr("  y              %1").arg(range(s.minY, s.maxY));
        if (!std::isnan(s.minZ))
            lines << tr("  z              %1").arg(range(s.minZ, s.maxZ));
        if (s.records[3] > 0) {
            if (s.counted > 0)
                lines << tr("  counters       %1 recorded: %2 gaps, %3 lost, %4 duplicates")
                             .arg(s.counted)
                             .arg(s.gaps)
                             .arg(s.lost)
                             .arg(s.duplicates);
            else if (s.positioned == 0)
                lines << tr("  counters       none recorded");
        }
        if (!s.error.isEmpty())
            lines << tr("  error          %1").arg(s.error);
        return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    }
};

QJsonValue number(float v)
{
    return std::isnan(v) ? QJsonValue() : QJsonValue(double(v));
}

} // namespace

QString describeRecording(const QString& name, const RecordingSummary& summary)
{
    return Report::text(name, summary);
}

QString recordingJson(const QString& name, const RecordingSummary& s)
{
    QJsonObject o;
    o["file"] = name;
    o["kind"] = s.kind();
    o["records"] = s.recordCount();
    o["points"] = s.points;
    o["pointsPerRecord"] = QJsonObject{{"min", s.minPoints < 0 ? QJsonValue() : QJsonValue(s.minPoints)},
                                       {"mean", s.recordCount() ? QJsonValue(double(s.points) / double(s.recordCount())) : QJsonValue()},
                                       {"max", s.maxPoints < 0 ? QJsonValue() : QJsonValue(s.maxPoints)}};
    o["undefined"] = s.undefined;
    o["x"] = QJsonArray{number(s.minX), number(s.maxX)};
    o["y"] = QJsonArray{number(s.minY), number(s.maxY)};
    o["z"] = QJsonArray{number(s.minZ), number(s.maxZ)};
    o["counters"] = QJsonObject{{"recorded", s.counted}, {"gaps", s.gaps}, {"lost", s.lost}, {"duplicates", s.duplicates}};
    o["error"] = s.error.isEmpty() ? QJsonValue() : QJsonValue(QJsonObject{{"reason", s.error}, {"offset", s.errorOffset}});
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}
