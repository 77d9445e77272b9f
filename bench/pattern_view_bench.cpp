// Drawing a large layout: 50 patterns of dense stitching in one box.
//   BM_RefreshPatternPix — every pattern image redrawn (after a zoom);
//   BM_RenderPatternView — one repaint of the view (after a pan), the images only pasted.
// The repaint should stay far below the redraw, and the redraw should grow with the points
// only until the 0.05-inch skip caps the lines drawn per image.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>

#include "base/interface.h"
#include "base/screen_config.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "view/pattern_view.h"

namespace {

// A meander of `points` points, 4 x 3 inches.
Pattern* Meander(int points)
{
    Pattern* p = newPattern();
    char line[64];
    for (int i = 0; i < points; ++i) {
        const float t = float(i) / float(points);
        std::snprintf(line, sizeof line, "pX%.4fY%.4f", 4.0f * t,
                      1.5f + 1.5f * std::sin(t * 40.0f));
        addData(p, line, 1);
    }
    UpdatePatternSize(p);
    return p;
}

void LargeLayout(int pointsPerPattern)
{
    ParseConfig();
    ResetLayout();
    const int box = CreatePatternBox();
    PatternBox* b = GetPatternBox(box);
    AddPatternBoxPoint(b, 0, 0, 1, 0);
    AddPatternBoxPoint(b, 50, 0, 0, 0);
    AddPatternBoxPoint(b, 50, 40, 0, 0);
    AddPatternBoxPoint(b, 0, 40, 0, 0);
    SetPatternBoxOrigin(b);
    currentBox = box;
    for (int k = 0; k < kPatternSlots; ++k) {
        const int slot = GetNextPattern();
        StorePattern(slot, Meander(pointsPerPattern));
        NewPatternLayoutNode(slot, -1, 0, float(k % 10) * 5.0f, float(k / 10) * 8.0f);
    }
    zoomed = 0;
    ZoomAll(view_area_width, view_area_height);
}

void BM_RefreshPatternPix(benchmark::State& state)
{
    LargeLayout(int(state.range(0)));
    for (auto _ : state) RefreshPatternPix();
    state.SetItemsProcessed(state.iterations() * kPatternSlots * state.range(0));
}
BENCHMARK(BM_RefreshPatternPix)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_RenderPatternView(benchmark::State& state)
{
    LargeLayout(int(state.range(0)));
    ViewBuffer picture;
    for (auto _ : state) {
        RenderPatternView(picture, view_area_width, view_area_height);
        benchmark::DoNotOptimize(picture.Surface());
    }
}
BENCHMARK(BM_RenderPatternView)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
