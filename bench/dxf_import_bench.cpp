// DXF import throughput on a generated drawing of about 20 MB: lines, arcs, circles and
// polylines scattered over a quilt, in the R12 layout most programs write. Reported in
// bytes per second of DXF read (the pattern goes to /dev/null, the log to a scratch folder).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

#include "import/dxf_import.h"

namespace {

std::string Number(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", v);
    return text;
}

std::string Drawing(std::size_t targetBytes)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> place(0, 120), small(-2, 2), radius(0.2, 3),
        angle(0, 360);
    std::string d = "  0\nSECTION\n  2\nENTITIES\n";
    while (d.size() < targetBytes) {
        const double x = place(rng), y = place(rng);
        switch (rng() % 4) {
        case 0:
            d += "  0\nLINE\n  8\n0\n 10\n" + Number(x) + "\n 20\n" + Number(y) + "\n 30\n0.0\n 11\n" +
                 Number(x + small(rng)) + "\n 21\n" + Number(y + small(rng)) + "\n 31\n0.0\n";
            break;
        case 1:
            d += "  0\nARC\n  8\n0\n 10\n" + Number(x) + "\n 20\n" + Number(y) + "\n 30\n0.0\n 40\n" +
                 Number(radius(rng)) + "\n 50\n" + Number(angle(rng)) + "\n 51\n" +
                 Number(angle(rng)) + "\n";
            break;
        case 2:
            d += "  0\nCIRCLE\n  8\n0\n 10\n" + Number(x) + "\n 20\n" + Number(y) +
                 "\n 30\n0.0\n 40\n" + Number(radius(rng)) + "\n";
            break;
        default:
            d += "  0\nPOLYLINE\n  8\n0\n 66\n1\n 10\n0.0\n 20\n0.0\n 30\n0.0\n";
            for (int i = 0; i < 8; ++i)
                d += "  0\nVERTEX\n  8\n0\n 10\n" + Number(x + i * 0.3) + "\n 20\n" +
                     Number(y + small(rng)) + "\n 30\n0.0\n";
            d += "  0\nSEQEND\n  8\n0\n";
            break;
        }
    }
    return d + "  0\nENDSEC\n  0\nEOF\n";
}

void BM_ConvertDXF(benchmark::State& state)
{
    const std::string drawing = Drawing(20u << 20);
    char folder[] = "/tmp/corvan-bench-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) {
        state.SkipWithError("no scratch folder");
        return;
    }
    for (auto _ : state) {
        std::FILE* out = std::fopen("/dev/null", "w");
        const int result = ConvertDXFText(drawing, out);
        std::fclose(out);
        if (result != 0)
            state.SkipWithError("conversion failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * drawing.size()));
    state.counters["MB"] = static_cast<double>(drawing.size()) / 1e6;
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}
BENCHMARK(BM_ConvertDXF)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
