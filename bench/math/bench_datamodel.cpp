// Cost of the data-model operations that run per received profile (sort, range) and of
// recording: writing and reading a file of 10,000 profile records (rates over wall time, since
// the file work is I/O).

#include "VelaProfile.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

using namespace VelaMath;

namespace {

constexpr int profilePoints = 1280;
constexpr int profilesPerFile = 10000;

enum Order { Sorted, Reversed, Random, RandomWithNaN };

VelaProfile profile(Order order)
{
    std::mt19937 rng(7);
    std::normal_distribution<float> noise(0.0f, 0.02f);
    VelaProfile p;
    for (int i = 0; i < profilePoints; ++i) {
        const float x = -40.0f + 80.0f * float(i) / profilePoints;
        p.points.append(VelaPointXY(x, 100.0f + 0.05f * x + noise(rng)));
    }
    if (order == Reversed)
        std::reverse(p.points.begin(), p.points.end());
    if (order == Random || order == RandomWithNaN)
        std::shuffle(p.points.begin(), p.points.end(), rng);
    if (order == RandomWithNaN) {
        for (int i = 0; i < profilePoints; i += 100)
            p.points[i].x = velaNaN;
    }
    return p;
}

// Each iteration sorts a fresh copy of the same profile; BM_ProfileCopy is that copy alone.
void BM_ProfileCopy(benchmark::State& state)
{
    const VelaProfile source = profile(Random);
    VelaProfile work;
    for (auto _ : state) {
        work.points = source.points;
        work.points.detach();
        benchmark::DoNotOptimize(work.points.data());
    }
}
BENCHMARK(BM_ProfileCopy);

void BM_ProfileSort(benchmark::State& state)
{
    const VelaProfile source = profile(Order(state.range(0)));
    VelaProfile work;
    for (auto _ : state) {
        work.points = source.points;
        work.sort(SortAscending, SortAscending);
        benchmark::DoNotOptimize(work.points.data());
    }
    state.SetItemsProcessed(state.iterations() * profilePoints);
}
BENCHMARK(BM_ProfileSort)
    ->ArgName("sorted0_reversed1_random2_randomNaN3")
    ->Arg(Sorted)
    ->Arg(Reversed)
    ->Arg(Random)
    ->Arg(RandomWithNaN);

void BM_ProfileCalcRange(benchmark::State& state)
{
    VelaProfile p = profile(Sorted);
    for (auto _ : state) {
        benchmark::DoNotOptimize(p.calcRange());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * profilePoints);
}
BENCHMARK(BM_ProfileCalcRange);

const qint64 recordBytes = 3 + 8 * profilePoints;

void BM_WriteProfileFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const VelaProfile p = profile(Sorted);
    for (auto _ : state) {
        QFile f(dir.filePath("profiles.bin"));
        if (!f.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
            state.SkipWithError("cannot open the file");
            return;
        }
        for (int i = 0; i < profilesPerFile; ++i) {
            if (!p.writeToFile(f)) {
                state.SkipWithError("write failed");
                return;
            }
        }
        f.flush();
    }
    state.SetBytesProcessed(state.iterations() * profilesPerFile * recordBytes);
}
BENCHMARK(BM_WriteProfileFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadProfileFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("profiles.bin");
    {
        QFile f(path);
        const VelaProfile p = profile(Sorted);
        if (!f.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot create the file");
            return;
        }
        for (int i = 0; i < profilesPerFile; ++i)
            p.writeToFile(f);
    }
    VelaProfile p;
    for (auto _ : state) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot open the file");
            return;
        }
        int read = 0;
        while (p.readFromFile(f) == profilePoints)
            ++read;
        if (read != profilesPerFile) {
            state.SkipWithError("short read");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * profilesPerFile * recordBytes);
}
BENCHMARK(BM_ReadProfileFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
