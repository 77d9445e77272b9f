// Graham-scan hull of random point clouds: the sort dominates, so time should grow as
// n log n (about 11x from 10k to 100k points, about 12x from 100k to 1M).

#include <benchmark/benchmark.h>

#include <random>

#include "patterns/geometry.h"

namespace {

PointArray Cloud(int n) {
    std::mt19937 rng(12345);
    // A disc of radius 50 inches, so that the hull keeps growing with n.
    std::uniform_real_distribution<float> u(-50.0f, 50.0f);
    PointArray pts;
    pts.reserve(n);
    while (int(pts.size()) < n) {
        float x = u(rng), y = u(rng);
        if (x * x + y * y <= 2500.0f) pts.push_back(PolyPoint{x, y, 0, int(pts.size())});
    }
    return pts;
}

void BM_Hull(benchmark::State& state) {
    const PointArray cloud = Cloud(int(state.range(0)));
    size_t hullSize = 0;
    for (auto _ : state) {
        PointArray h = Hull(cloud);
        hullSize = h.size();
        benchmark::DoNotOptimize(h.data());
    }
    state.counters["hull_points"] = double(hullSize);
    state.SetComplexityN(state.range(0));
}

// The two passes the pattern hulls use: the second runs over the first one's survivors.
void BM_HullTwice(benchmark::State& state) {
    const PointArray cloud = Cloud(int(state.range(0)));
    size_t hullSize = 0;
    for (auto _ : state) {
        PointArray h = Hull(Hull(cloud));
        hullSize = h.size();
        benchmark::DoNotOptimize(h.data());
    }
    state.counters["hull_points"] = double(hullSize);
    state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(BM_HullTwice)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
BENCHMARK(BM_Hull)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
