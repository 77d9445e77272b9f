#pragma once
// Shared by the import fuzz targets: work inside a private folder (the DXF import writes
// ./dxf.log) and keep the importers' console lines out of the fuzzer's log.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

inline void ImportFuzzSetup()
{
    static std::string folder;
    char templ[] = "/tmp/corvan-fuzz-XXXXXX";
    if (mkdtemp(templ) == nullptr || chdir(templ) != 0)
        std::abort();
    folder = templ;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    });
    if (!std::freopen("/dev/null", "w", stdout))
        std::abort();
}
