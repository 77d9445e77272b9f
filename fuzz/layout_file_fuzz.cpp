// Feeds arbitrary bytes to the layout file reader. Whatever it leaves behind, loaded or not,
// must be a consistent layout, and saving that layout, loading it and saving it again must
// give the same bytes.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void CheckConsistent()
{
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        if (GetPattern(n->patternIndex) == nullptr || GetPatternBox(n->boxIndex) == nullptr ||
            (n->arrayIndex != -1 && GetArrayNode(n->arrayIndex) == nullptr))
            __builtin_trap();
    for (int s = 0; s < kPatternSlots; ++s)
        if (const Pattern* p = GetPattern(s))
            if (p->pointCount != static_cast<int>(p->pointX.size()) ||
                p->commandCount != static_cast<int>(p->commandType.size()))
                __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    layoutFileSyncs = false;  // thousands of runs: no flush to the device each time
    // The recovery layout's path loads without a question or a waiting window.
    char folder[] = "/tmp/layout_fuzz_XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0 || mkdir("Layout", 0777) != 0)
        std::abort();
    if (std::freopen("/dev/null", "w", stdout) == nullptr)  // the reader's log lines
        return 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        std::ofstream out("Layout/recovery.qlf", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    LoadLayout("./Layout/recovery.qlf", kDiscardCurrentLayout, kSkipQuestion);
    CheckConsistent();
    if (extents != nullptr) {
        if (SaveLayout("./again", kOverwriteWithoutAsking, kNameIsPath) != 1)
            __builtin_trap();
        std::string first = ReadAll("./again.qlf");
        if (LoadLayout("./again.qlf", kDiscardCurrentLayout, kSkipQuestion) != 1)
            __builtin_trap();
        CheckConsistent();
        if (SaveLayout("./again", kOverwriteWithoutAsking, kNameIsPath) != 1 ||
            ReadAll("./again.qlf") != first)
            __builtin_trap();
    }
    ResetLayout();
    return 0;
}
