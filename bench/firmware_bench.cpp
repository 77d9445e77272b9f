// Reading a HEX file that fills the whole program memory into the block image, and the CRC-32
// of a firmware-sized file, as the update path does them before anything is sent.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "app/file_crc.h"
#include "machine/firmware.h"

namespace {

std::string Record(int type, unsigned address, const unsigned char* data, unsigned count)
{
    unsigned sum = count + (address >> 8) + (address & 0xFF) + static_cast<unsigned>(type);
    char text[64];
    std::string line;
    std::snprintf(text, sizeof text, ":%02X%04X%02X", count, address & 0xFFFF, type);
    line = text;
    for (unsigned i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, "%02X", data[i]);
        line += text;
        sum += data[i];
    }
    std::snprintf(text, sizeof text, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + text;
}

// Program memory 0..0x17FFF units = byte addresses 0..0x2FFFF, in 16-byte records.
std::string FullProgramHex()
{
    std::string hex;
    unsigned char data[16];
    for (unsigned long at = 0; at < 0x30000; at += 16) {
        if (at % 0x10000 == 0) {
            const unsigned char upper[2] = {0, static_cast<unsigned char>(at >> 16)};
            hex += Record(4, 0, upper, 2);
        }
        for (unsigned i = 0; i < 16; ++i) data[i] = (i % 4 == 3) ? 0 : static_cast<unsigned char>(at + i * 7);
        hex += Record(0, static_cast<unsigned>(at & 0xFFFF), data, 16);
    }
    return hex + ":00000001FF\n";
}

void BM_ReadFullProgramHex(benchmark::State& state)
{
    std::string hex = FullProgramHex();
    for (auto _ : state) {
        FILE* f = fmemopen(&hex[0], hex.size(), "r");
        HexImage image;
        std::string message;
        if (ReadHexFile(f, &image, &message) != 0) state.SkipWithError(message.c_str());
        for (HexBlock& block : image) FormatHexData(&block);
        std::fclose(f);
        benchmark::DoNotOptimize(image.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(hex.size()));
}
BENCHMARK(BM_ReadFullProgramHex)->Unit(benchmark::kMillisecond);

void BM_FileCrc(benchmark::State& state)
{
    const std::string path = "/tmp/corvan_firmware_bench.bin";
    {
        std::string data(static_cast<size_t>(state.range(0)), '\0');
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131);
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return state.SkipWithError("cannot write the test file");
        std::fwrite(data.data(), 1, data.size(), f);
        std::fclose(f);
    }
    for (auto _ : state) {
        uint32_t value = 0;
        FileCRC_Default(path, &value);
        benchmark::DoNotOptimize(value);
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FileCrc)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
