// Reading ./screen.conf at start-up: the usual 40-line file, and a runaway file that the
// reader stops after its first MiB.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "base/screen_config.h"

namespace {

void EnterScratchFolder()
{
    static bool done = [] {
        char templ[] = "/tmp/corvan-bench-XXXXXX";
        return mkdtemp(templ) != nullptr && chdir(templ) == 0;
    }();
    if (!done)
        std::abort();
}

void WriteConfig(const std::string& text)
{
    std::ofstream("./screen.conf", std::ios::binary) << text;
}

void BM_ParseConfig_Typical(benchmark::State& state)
{
    EnterScratchFolder();
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "pattern_list_width = " + std::to_string(100 + i) + "\n";
    WriteConfig(text);
    for (auto _ : state)
        ParseConfig();
}
BENCHMARK(BM_ParseConfig_Typical);

void BM_ParseConfig_Runaway(benchmark::State& state)
{
    EnterScratchFolder();
    std::string text;
    while (text.size() < static_cast<size_t>(state.range(0)) << 20)
        text += "unknown_key_of_some_length = 12345\n";
    WriteConfig(text);
    for (auto _ : state)
        ParseConfig();
    state.SetBytesProcessed(state.iterations() * (static_cast<int64_t>(1) << 20));
}
// 1 MiB and 16 MiB files should cost about the same: only the first MiB is read.
BENCHMARK(BM_ParseConfig_Runaway)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace
