// Wheel detection over a recorded train pass: 20,000 profiles of 1,280 points (about 195 MiB),
// a wheel of 40 profiles every 100, so 200 wheels and 8,000 wheel files per run. Creating the
// wheel files takes most of the time; the cleaning and the test of a profile take little.

#include "VelaMetro.h"
#include "VelaProfileZ.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cmath>

using namespace VelaMath;

namespace {

constexpr int passProfiles = 20000;
constexpr int profilePoints = 1280;
constexpr int period = 100;
constexpr int wheelProfiles = 40;

// A wheel tread below the level line or the empty gap above it, with a fine ripple and a
// spike every 97 points for the noise filter to drop.
void fillProfile(VelaProfile& p, int k)
{
    const bool wheel = k % period < wheelProfiles;
    p.points.clear();
    for (int i = 0; i < profilePoints; ++i) {
        const float x = -40.0f + float(i) * 0.0625f;
        float y = wheel ? 100.0f + 0.005f * x * x : 250.0f;
        y += 0.2f * std::sin(float(i + k) * 0.7f) + (i % 97 == 50 ? 5.0f : 0.0f);
        p.points.append(VelaPointXY(x, y));
    }
}

bool writePass(const QString& path, bool zRecords)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    VelaProfileZ p;
    for (int k = 0; k < passProfiles; ++k) {
        fillProfile(p, k);
        p.z = float(k);
        if (!(zRecords ? p.writeToFile(f) : p.VelaProfile::writeToFile(f)))
            return false;
    }
    return true;
}

// state.range(0): 0 = 2-D cloud records, 1 = Z-profile records; state.range(1): sensor kind.
void BM_DetectWheels(benchmark::State& state)
{
    const bool zRecords = state.range(0) == 1;
    QTemporaryDir dir;
    const QString path = dir.filePath("train_7.bin");
    if (!writePass(path, zRecords)) {
        state.SkipWithError("writing the recording failed");
        return;
    }
    QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
    settings.setValue("SENSOR1/SN", 7);
    settings.setValue("SENSOR1/parts", 3);
    settings.setValue("SENSOR1/lowlevel_b", 50);

    int wheels = 0;
    for (auto _ : state) {
        if (!METRO_detectWheels(path, &settings, int(state.range(1)), &wheels)
            || wheels != passProfiles / period) {
            state.SkipWithError("detection failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * QFile(path).size());
    state.counters["profiles/s"] =
        benchmark::Counter(double(state.iterations()) * passProfiles, benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_DetectWheels)
    ->ArgNames({"zRecords", "sensorKind"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 3})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
