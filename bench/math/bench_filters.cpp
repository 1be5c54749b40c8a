// Cost of the live profile filters on sensor-sized profiles, and of our Akima
// spline next to the GNU Scientific Library's on the same knots and samples.

#include "VelaInterpolant.h"
#include "VelaProfile.h"

#include <benchmark/benchmark.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_interp.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

using namespace VelaMath;

namespace {

// A scan line as a sensor sends it: ascending, slightly uneven x over 80 mm, a
// surface with a groove, noise, and a few spikes.
VelaProfile sensorProfile(int n)
{
    std::mt19937 rng(42);
    std::uniform_real_distribution<float> jitter(-0.01f, 0.01f);
    std::normal_distribution<float> noise(0.0f, 0.02f);
    VelaProfile p;
    const float dx = 80.0f / float(n);
    for (int i = 0; i < n; ++i) {
        const float x = -40.0f + float(i) * dx + jitter(rng);
        float y = 100.0f + 0.05f * x + (std::fabs(x) < 5.0f ? -3.0f : 0.0f) + noise(rng);
        if (i % 97 == 13)
            y += 4.0f;
        p.points.append(VelaPointXY(x, y));
    }
    return p;
}

// Puts the pristine points back without allocating.
void restore(VelaProfile& work, const VelaProfile& pristine)
{
    work.points.resize(pristine.points.size());
    std::copy(pristine.points.cbegin(), pristine.points.cend(), work.points.begin());
}

void BM_RestoreOnly(benchmark::State& state)
{
    const VelaProfile pristine = sensorProfile(int(state.range(0)));
    VelaProfile work = pristine;
    for (auto _ : state) {
        restore(work, pristine);
        benchmark::DoNotOptimize(work.points.data());
    }
}

void BM_KihFilter20(benchmark::State& state)
{
    VelaProfile p = sensorProfile(int(state.range(0)));
    for (auto _ : state) {
        p.kihFilter20(velaNaN);
        benchmark::DoNotOptimize(p.points.data());
    }
}

void BM_WndFilter10(benchmark::State& state)
{
    VelaProfile p = sensorProfile(int(state.range(0)));
    for (auto _ : state) {
        p.wndFilter(10);
        benchmark::DoNotOptimize(p.points.data());
    }
}

// The application's call: sort (already in order), then remove spikes. Includes restore.
void BM_SplashFilter(benchmark::State& state)
{
    const VelaProfile pristine = sensorProfile(int(state.range(0)));
    VelaProfile work = pristine;
    VelaProfile caller;
    for (auto _ : state) {
        restore(work, pristine);
        work.sort(SortAscending, SortAscending);
        benchmark::DoNotOptimize(caller.splashFilter(work, 1.0f, 1.0f));
    }
}

// The application's spline call: 1024 steps over the profile's width. Includes restore.
void BM_InterpolateApplication(benchmark::State& state)
{
    const VelaProfile pristine = sensorProfile(int(state.range(0)));
    VelaProfile work = pristine;
    for (auto _ : state) {
        restore(work, pristine);
        work.calcRange();
        benchmark::DoNotOptimize(
            work.interpolate((work.maxX - work.minX) * 0.0009765625f, velaNaN, velaNaN, InterpolantAkima));
    }
}

void BM_RemoveDuplicatesNone(benchmark::State& state)
{
    VelaProfile p = sensorProfile(int(state.range(0)));
    for (auto _ : state) {
        p.removeDuplicates();
        benchmark::DoNotOptimize(p.points.data());
    }
}

// Unordered x on a coarse grid: every x occurs about four times. Includes restore.
void BM_RemoveDuplicatesMany(benchmark::State& state)
{
    const int n = int(state.range(0));
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> cell(0, n / 4);
    VelaProfile pristine;
    for (int i = 0; i < n; ++i)
        pristine.points.append(VelaPointXY(float(cell(rng)) * 0.0625f, float(i)));
    VelaProfile work = pristine;
    for (auto _ : state) {
        restore(work, pristine);
        work.removeDuplicates();
        benchmark::DoNotOptimize(work.points.data());
    }
}

// --- Akima spline: ours and GSL's, built on the same knots and sampled at the same x ------

struct SplineCase
{
    VelaProfile knots;
    std::vector<double> x, y;        // the knots for GSL
    std::vector<double> sampleX;     // the x our sampling visits
    float step = 0;
};

SplineCase splineCase(int n)
{
    SplineCase c;
    c.knots = sensorProfile(n);
    c.knots.calcRange();
    c.step = (c.knots.maxX - c.knots.minX) * 0.0009765625f;
    for (const VelaPointXY& p : c.knots.points) {
        c.x.push_back(p.x);
        c.y.push_back(p.y);
    }
    VelaInterpolant spline(c.knots, InterpolantAkima);
    VelaPointCloud<VelaPointXY> samples;
    spline.generatePointCloud(samples, c.step, velaNaN, velaNaN);
    for (const VelaPointXY& p : samples.points)
        c.sampleX.push_back(p.x);
    return c;
}

void BM_AkimaVela(benchmark::State& state)
{
    const SplineCase c = splineCase(int(state.range(0)));
    VelaInterpolant spline;
    VelaPointCloud<VelaPointXY> out;
    for (auto _ : state) {
        spline.buildFromPointCloud(c.knots, InterpolantAkima);
        benchmark::DoNotOptimize(spline.generatePointCloud(out, c.step, velaNaN, velaNaN));
    }
    state.counters["samples"] = double(out.size());
}

void BM_AkimaGsl(benchmark::State& state)
{
    const SplineCase c = splineCase(int(state.range(0)));
    gsl_set_error_handler_off();
    gsl_interp* spline = gsl_interp_alloc(gsl_interp_akima, c.x.size());
    gsl_interp_accel* accel = gsl_interp_accel_alloc();
    std::vector<double> out(c.sampleX.size());
    for (auto _ : state) {
        gsl_interp_init(spline, c.x.data(), c.y.data(), c.x.size());
        gsl_interp_accel_reset(accel);
        for (std::size_t i = 0; i < c.sampleX.size(); ++i)
            out[i] = gsl_interp_eval(spline, c.x.data(), c.y.data(), c.sampleX[i], accel);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["samples"] = double(out.size());
    gsl_interp_accel_free(accel);
    gsl_interp_free(spline);
}

} // namespace

#define VELA_PROFILE_SIZES Arg(1024)->Arg(1280)->Unit(benchmark::kMicrosecond)
BENCHMARK(BM_RestoreOnly)->VELA_PROFILE_SIZES;
BENCHMARK(BM_KihFilter20)->VELA_PROFILE_SIZES;
BENCHMARK(BM_WndFilter10)->VELA_PROFILE_SIZES;
BENCHMARK(BM_SplashFilter)->VELA_PROFILE_SIZES;
BENCHMARK(BM_InterpolateApplication)->VELA_PROFILE_SIZES;
BENCHMARK(BM_RemoveDuplicatesNone)->VELA_PROFILE_SIZES;
BENCHMARK(BM_RemoveDuplicatesMany)->VELA_PROFILE_SIZES;
BENCHMARK(BM_AkimaVela)->VELA_PROFILE_SIZES;
BENCHMARK(BM_AkimaGsl)->VELA_PROFILE_SIZES;

BENCHMARK_MAIN();
