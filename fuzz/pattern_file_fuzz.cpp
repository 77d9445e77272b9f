// Feeds arbitrary bytes to the pattern file reader. Whatever it accepts must be a consistent
// record, and writing it back and reading it again must give the same counts.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "patterns/pattern.h"

namespace {

std::string MakeTempPath(const char* stem)
{
    std::string path = std::string("/tmp/") + stem + "XXXXXX";
    int fd = mkstemp(&path[0]);
    if (fd < 0)
        std::abort();
    close(fd);
    return path;
}

bool Consistent(const Pattern* p)
{
    return p->pointCount > 0 && p->pointCount == static_cast<int>(p->pointX.size()) &&
           p->pointCount == static_cast<int>(p->pointY.size()) &&
           p->commandCount == static_cast<int>(p->commandType.size()) &&
           p->commandCount == static_cast<int>(p->commandPoint.size()) &&
           p->nameCount == static_cast<int>(p->names.size()) && p->width >= 0 &&
           p->height >= 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    patternFileSyncForTest = nullptr;             // thousands of runs: no sync each time
    if (std::freopen("/dev/null", "w", stdout) == nullptr)  // the reader's log lines
        return 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string input = MakeTempPath("pattern_fuzz_in_");
    static const std::string output = MakeTempPath("pattern_fuzz_out_") + ".qcc";

    FILE* f = std::fopen(input.c_str(), "wb");
    if (f == nullptr)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    Pattern* p = newPattern(input);
    if (p == nullptr)
        return 0;
    if (!Consistent(p))
        __builtin_trap();
    if (savePattern(p, output) != 1)
        __builtin_trap();
    Pattern* again = newPattern(output);
    // A single point at the origin writes fewer bytes than the reader's empty-file rule.
    if (again != nullptr) {
        if (!Consistent(again) || again->pointCount != p->pointCount ||
            again->commandCount != p->commandCount || again->nameCount != p->nameCount)
            __builtin_trap();
    } else if (p->pointCount > 1 || p->nameCount > 0 || p->commandCount > 0) {
        __builtin_trap();
    }
    erasePattern(again);
    erasePattern(p);
    return 0;
}
