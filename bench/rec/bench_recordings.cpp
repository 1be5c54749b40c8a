// ls7x-rec's info and export over a dump of 10,000 profiles of 1,280 points (about 98 MiB),
// in MB/s of input (wall-clock), next to a plain sequential read of the same file in the same
// run. The file is read from the page cache after the first pass, as a recording just made
// would be; exports end with the sync of QSaveFile's commit, as the program's do.

#include "PointExport.h"
#include "RecordingInfo.h"

#include <VelaProfileZ.h>

#include <benchmark/benchmark.h>

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int Profiles = 10000;
constexpr int Points = 1280;

// One dump for every benchmark of the run, written as LS7x-SU records it.
class Recording
{
public:
    static Recording& get()
    {
        static Recording recording;
        return recording;
    }
    QString path() const { return m_dir.filePath("dump.bin"); }
    QString output(const char* name) const { return m_dir.filePath(name); }
    qint64 bytes() const { return qint64(Profiles) * (7 + 8 * Points); }

private:
    Recording()
    {
        QFile file(path());
        file.open(QIODevice::WriteOnly);
        VelaMath::VelaProfileZ profile;
        for (int k = 0; k < Profiles; ++k) {
            profile.clear();
            profile.z = VelaMath::VelaProfileZ::counterTag(quint16(k * 20));
            for (int i = 0; i < Points; ++i) {
                const float x = float(-125000 + 195 * i) * 0.001f;
                profile.points.append({x, 150.0f + 20.0f * std::sin(x * 0.05f + float(k) * 0.01f)});
            }
            profile.writeToFile(file);
        }
    }
    QTemporaryDir m_dir;
};

void openInput(QFile& file, const QString& path)
{
    file.setFileName(path);
    file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

void BM_SequentialRead(benchmark::State& state)
{
    Recording& recording = Recording::get();
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        QFile file;
        openInput(file, recording.path());
        qint64 total = 0;
        for (qint64 n; (n = file.read(buffer.data(), qint64(buffer.size()))) > 0;)
            total += n;
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * recording.bytes());
}

void BM_Info(benchmark::State& state)
{
    Recording& recording = Recording::get();
    for (auto _ : state) {
        QFile file;
        openInput(file, recording.path());
        const RecordingSummary summary = summarizeRecording(file);
        if (summary.recordCount() != Profiles)
            state.SkipWithError("not every record was read");
    }
    state.SetBytesProcessed(state.iterations() * recording.bytes());
}

void BM_Export(benchmark::State& state)
{
    Recording& recording = Recording::get();
    ExportOptions options;
    options.format = PointFormat(state.range(0));
    options.ascii = state.range(1) != 0;
    const char* names[] = {"out.ply", "out.pcd", "out.csv", "out.xyz"};
    for (auto _ : state) {
        QFile input;
        openInput(input, recording.path());
        QSaveFile output(recording.output(names[state.range(0)]));
        output.open(QIODevice::WriteOnly);
        const ExportResult result = PointExport::run(input, output, options);
        if (!result.error.isEmpty() || result.points != qint64(Profiles) * Points || !output.commit())
            state.SkipWithError("the export failed");
    }
    state.SetBytesProcessed(state.iterations() * recording.bytes());
}

// What the disk itself takes for an export's output: as many bytes as the binary PLY export
// writes (12 per point), in 1 MiB blocks through QSaveFile with its commit, nothing converted.
// Reported in MB/s of the recording's input, like the exports, so the two rows compare directly.
void BM_SequentialWrite(benchmark::State& state)
{
    Recording& recording = Recording::get();
    const qint64 outputBytes = qint64(Profiles) * Points * 12;
    const std::vector<char> block(1 << 20, 1);
    for (auto _ : state) {
        QSaveFile output(recording.output("plain.bin"));
        output.open(QIODevice::WriteOnly);
        for (qint64 left = outputBytes; left > 0;) {
            const qint64 n = std::min<qint64>(left, qint64(block.size()));
            if (output.write(block.data(), n) != n)
                break;
            left -= n;
        }
        if (!output.commit())
            state.SkipWithError("the write failed");
    }
    state.SetBytesProcessed(state.iterations() * recording.bytes());
}

// The same PLY export into the page cache, without the sync that QSaveFile's commit makes:
// what the conversion costs apart from the disk.
void BM_ExportUnsynced(benchmark::State& state)
{
    Recording& recording = Recording::get();
    for (auto _ : state) {
        QFile input;
        openInput(input, recording.path());
        QFile output(recording.output("unsynced.ply"));
        output.open(QIODevice::WriteOnly | QIODevice::Truncate);
        const ExportResult result = PointExport::run(input, output, ExportOptions());
        if (!result.error.isEmpty() || result.points != qint64(Profiles) * Points)
            state.SkipWithError("the export failed");
    }
    state.SetBytesProcessed(state.iterations() * recording.bytes());
}

} // namespace

BENCHMARK(BM_SequentialRead)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Info)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Export)
    ->ArgNames({"format", "ascii"})
    ->Args({int(PointFormat::Ply), 0})
    ->Args({int(PointFormat::Pcd), 0})
    ->Args({int(PointFormat::Ply), 1})
    ->Args({int(PointFormat::Csv), 0})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();
BENCHMARK(BM_SequentialWrite)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_ExportUnsynced)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_SequentialRead)->Name("BM_SequentialRead/again")->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

BENCHMARK_MAIN();
