// Both scaling programs on a convex hull of `points` vertices against a convex box of
// `corners` corners (points x corners rows). The dual simplex pivots over all rows; the
// number of pivots grows with the hull too, so time grows faster than the rows at first
// (about 40x from 400 to 4 000 rows) and then about with them (12x to 50 000 rows).

#include <benchmark/benchmark.h>

#include <cmath>

#include "patterns/lp_scale.h"

namespace {

// n points on an ellipse, clockwise (Y up) when `clockwise`, else counter-clockwise.
PointArray Ellipse(int n, float cx, float cy, float rx, float ry, bool clockwise)
{
    PointArray out;
    for (int i = 0; i < n; ++i) {
        const double a = 2.0 * M_PI * i / n * (clockwise ? -1.0 : 1.0);
        out.push_back({float(cx + rx * std::cos(a)), float(cy + ry * std::sin(a)), 0, i});
    }
    return out;
}

void Args(benchmark::internal::Benchmark* b)
{
    b->Args({100, 4})->Args({1000, 4})->Args({1000, 50})->Unit(benchmark::kMillisecond);
}

void BM_LpSolve(benchmark::State& state)
{
    const PointArray hull = Ellipse(int(state.range(0)), 3, 2, 1.5f, 1, false);
    const PointArray box = Ellipse(int(state.range(1)), 20, 12, 20, 12, true);
    double s = 1, tx = 0, ty = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(lpSolve(box, hull, &s, &tx, &ty));
    state.counters["rows"] = double(state.range(0) * state.range(1));
    state.counters["scale"] = s;
}
BENCHMARK(BM_LpSolve)->Apply(Args);

void BM_LpSolveXYScale(benchmark::State& state)
{
    const PointArray hull = Ellipse(int(state.range(0)), 3, 2, 1.5f, 1, false);
    const PointArray box = Ellipse(int(state.range(1)), 20, 12, 20, 12, true);
    double sx = 1, sy = 1, tx = 0, ty = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(lpSolveXYScale(box, hull, &sx, &sy, &tx, &ty));
    state.counters["rows"] = double(state.range(0) * state.range(1));
    state.counters["sx"] = sx;
    state.counters["sy"] = sy;
}
BENCHMARK(BM_LpSolveXYScale)->Apply(Args);

}  // namespace
