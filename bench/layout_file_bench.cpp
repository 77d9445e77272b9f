// Saving and loading a large layout: 50 patterns of 20 000 points each (about 8 MB of
// records), one placement each, in one pattern box. Reported in bytes of layout file per
// second. Saving flushes the file to the device as the program does; the second save
// benchmark shows what that flush costs on the machine at hand.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

namespace {

constexpr int kPatterns = 50;
constexpr int kPoints = 20000;

void BuildLargeLayout()
{
    ResetLayout();
    extents = new PatternBox();
    for (auto [x, y] : {std::pair<float, float>{0, 0}, {0, 100}, {120, 100}, {120, 0}})
        AddPatternBoxPoint(extents, x, y, 0, 1);
    SetPatternBoxOrigin(extents);
    currentBox = CreatePatternBox();
    for (int s = 0; s < kPatterns; ++s) {
        Pattern* p = newPattern();
        p->name = "pattern" + std::to_string(s);
        p->pointX.resize(kPoints);
        p->pointY.resize(kPoints);
        for (int i = 0; i < kPoints; ++i) {
            p->pointX[i] = 10.0f + 5.0f * std::cos(i * 0.01f);
            p->pointY[i] = 10.0f + 5.0f * std::sin(i * 0.013f);
        }
        p->pointCount = kPoints;
        UpdatePatternSize(p);
        StorePattern(s, p);
        NewPatternLayoutNode(s, -1, 0, 0.5f * s, 0.0f);
    }
}

std::string ScratchFolder()
{
    char folder[] = "/tmp/layout_bench_XXXXXX";
    if (mkdtemp(folder) == nullptr)
        std::abort();
    return folder;
}

long long FileBytes(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
}

void Save(benchmark::State& state, bool flush)
{
    const std::string folder = ScratchFolder();
    BuildLargeLayout();
    layoutFileSyncs = flush;
    for (auto _ : state)
        if (SaveLayout(folder + "/large", kOverwriteWithoutAsking, kNameIsPath) != 1)
            state.SkipWithError("save failed");
    state.SetBytesProcessed(state.iterations() * FileBytes(folder + "/large.qlf"));
    layoutFileSyncs = true;
    ResetLayout();
    std::filesystem::remove_all(folder);
}

void BM_SaveLayout(benchmark::State& state) { Save(state, true); }
void BM_SaveLayoutWithoutFlush(benchmark::State& state) { Save(state, false); }

void BM_LoadLayout(benchmark::State& state)
{
    // Loaded as the recovery layout, which opens no waiting window and logs nothing, so the
    // figures are the reading alone.
    const std::string folder = ScratchFolder();
    const auto oldFolder = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    mkdir("Layout", 0777);
    BuildLargeLayout();
    SaveLayout("./Layout/recovery", kOverwriteWithoutAsking, kNameIsPath);
    for (auto _ : state)
        if (LoadLayout("./Layout/recovery.qlf", kDiscardCurrentLayout, kSkipQuestion) != 1 ||
            patternList->usedCount != kPatterns)
            state.SkipWithError("load failed");
    state.SetBytesProcessed(state.iterations() * FileBytes("./Layout/recovery.qlf"));
    ResetLayout();
    std::filesystem::current_path(oldFolder);
    std::filesystem::remove_all(folder);
}

}  // namespace

BENCHMARK(BM_SaveLayout)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveLayoutWithoutFlush)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLayout)->Unit(benchmark::kMillisecond);
