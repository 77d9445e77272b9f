// Preparing the stitch path of a pattern box: time per point and how it grows.
//
// The box holds four placements of one generated pattern: rows of waves (curves of about
// half-inch radius) with a sharp zigzag every 40 points and a U-turn at each row end,
// points about 0.1 inch apart, with a few long straight stretches that get subdivided.
// Every pass of the preparation is linear, so the time per point should stay flat from
// 10 000 to 1 000 000 points (reported as the complexity fit).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "base/interface.h"
#include "base/settings.h"
#include "machine/stitch_path.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

namespace {

constexpr int kPlacements = 4;
constexpr float kRowLength_inch = 100.0f;
constexpr float kStep_inch = 0.1f;

Pattern* GeneratePattern(int points)
{
    Pattern* p = newPattern();
    p->pointX.reserve(static_cast<size_t>(points));
    p->pointY.reserve(static_cast<size_t>(points));
    const int perRow = static_cast<int>(kRowLength_inch / kStep_inch);
    for (int i = 0; i < points; ++i) {
        const int row = i / perRow;
        const int along = i % perRow;
        float x = kStep_inch * static_cast<float>(row % 2 == 0 ? along : perRow - 1 - along);
        float y = 1.5f * static_cast<float>(row) + 0.05f * std::sin(0.2f * static_cast<float>(i));
        if (along % 40 == 20)
            y += 0.3f;  // a sharp zigzag
        if (along % 250 == 0 && along > 0)
            x += row % 2 == 0 ? 0.5f : -0.5f;  // a long stretch to subdivide
        p->pointX.push_back(x);
        p->pointY.push_back(y);
    }
    p->pointCount = points;
    UpdatePatternSize(p);
    return p;
}

void BuildLayout(int totalPoints)
{
    ResetLayout();
    CreatePatternBox();
    currentBox = 0;
    const int slot = GetNextPattern();
    StorePattern(slot, GeneratePattern(totalPoints / kPlacements));
    for (int k = 0; k < kPlacements; ++k)
        NewPatternLayoutNode(slot, -1, 0, 0.0f, 0.2f * static_cast<float>(k));
    minSpeed = 10.0f / 3.0f;
    acceleration = 40.0f;
    curvature = 40.0f;
}

void BM_PackFullPattern(benchmark::State& state)
{
    const int points = static_cast<int>(state.range(0));
    BuildLayout(points);
    // The preparation prints one console line per run; keep it off the report.
    std::fflush(stdout);
    const int savedStdout = dup(1);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, 1);
    int pathPoints = 0;
    for (auto _ : state) {
        PackFullPattern();
        pathPoints = CountFullPattern(interface_.stitchList);
        benchmark::DoNotOptimize(interface_.stitchList);
    }
    std::fflush(stdout);
    dup2(savedStdout, 1);
    close(savedStdout);
    close(devNull);
    state.SetComplexityN(pathPoints);
    state.counters["path_points"] = pathPoints;
    state.counters["time_per_point"] = benchmark::Counter(
        static_cast<double>(pathPoints), benchmark::Counter::kIsIterationInvariantRate |
                                             benchmark::Counter::kInvert);
    FreeStitchList();
    ResetLayout();
}

}  // namespace

BENCHMARK(BM_PackFullPattern)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
