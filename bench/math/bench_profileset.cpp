// Throughput of profile-set files: 10,000 profiles of 1,280 points (about 98 MiB).

#include "VelaProfileZSet.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>

using namespace VelaMath;

namespace {

constexpr int setProfiles = 10000;
constexpr int profilePoints = 1280;

VelaProfileZSet recordedSet()
{
    VelaProfileZSet set;
    set.profiles.reserve(setProfiles);
    for (int k = 0; k < setProfiles; ++k) {
        VelaProfileZ& p = set.profiles.emplaceBack(float(k) * 0.5f);
        p.points.reserve(profilePoints);
        for (int i = 0; i < profilePoints; ++i) {
            const float x = -40.0f + float(i) * 0.0625f;
            p.points.append(VelaPointXY(x, 100.0f + std::sin(x * 0.1f + float(k) * 0.01f)));
        }
    }
    return set;
}

qint64 fileBytes() { return qint64(setProfiles) * (7 + 8 * profilePoints); }

void BM_WriteSetFile(benchmark::State& state)
{
    const VelaProfileZSet set = recordedSet();
    QTemporaryDir dir;
    const QString path = dir.filePath("set.bin");
    for (auto _ : state) {
        if (!set.writeToFile(path))
            state.SkipWithError("writing failed");
    }
    state.SetBytesProcessed(state.iterations() * fileBytes());
}

void BM_ReadSetFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("set.bin");
    if (!recordedSet().writeToFile(path)) {
        state.SkipWithError("writing failed");
        return;
    }
    VelaProfileZSet set;
    for (auto _ : state) {
        if (set.readFromFile(path) != setProfiles)
            state.SkipWithError("reading failed");
    }
    state.SetBytesProcessed(state.iterations() * fileBytes());
}

} // namespace

BENCHMARK(BM_WriteSetFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadSetFile)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
