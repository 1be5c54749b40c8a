// One frame of the live display: a 1,280-point profile replaces the previous one and the
// visualizer paints at the application's size.
#include <cmath>
#include <vector>

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include "VelaVisualizer.h"

namespace {

constexpr int kPoints = 1280;

// A noisy profile across 100 mm whose heights change from frame to frame.
void fillProfile(VelaMath::VelaProfile& profile, int frame)
{
    profile.points.resize(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        const float x = -50.0f + 100.0f * float(i) / kPoints;
        const float y = 20.0f + 5.0f * std::sin(0.02f * float(i + frame)) + 0.1f * float((i * 7919 + frame) % 13);
        profile.points[i] = VelaMath::VelaPointXY(x, y);
    }
}

void BM_Frame(benchmark::State& state)
{
    const auto style = VelaProfileVisualizerDrawStyle(state.range(0));
    VelaVisualizer visualizer;
    visualizer.resize(640, 480);
    visualizer.setEnableScale(state.range(1) != 0);
    QImage image(640, 480, QImage::Format_ARGB32_Premultiplied);
    std::vector<VelaMath::VelaProfile> profiles(8);
    for (size_t i = 0; i < profiles.size(); ++i)
        fillProfile(profiles[i], int(i) * 10);
    size_t frame = 0;
    for (auto _ : state) {
        visualizer.addProfile(profiles[frame++ % profiles.size()], "p1", 0xFF00C000, 0, 3.0, style, false);
        visualizer.render(&image);
    }
    const char* what = style == DrawPoints ? "points" : style == DrawLines ? "lines" : "nothing drawn";
    state.SetLabel(std::string(what) + (state.range(1) ? ", grid" : ""));
}

} // namespace

// Style 2 draws nothing: the cost of a frame without the profile, for comparison.
BENCHMARK(BM_Frame)
    ->ArgNames({"style", "grid"})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Args({DrawPoints, 0})
    ->Args({DrawLines, 0})
    ->Args({DrawPoints, 1})
    ->Args({DrawLines, 1})
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
