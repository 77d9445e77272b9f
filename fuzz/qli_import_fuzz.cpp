// The QLI import on arbitrary bytes: it must finish, within bounded memory, and never crash.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "import/qli_import.h"
#include "import_fuzz_setup.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ImportFuzzSetup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* out = std::fopen("/dev/null", "w");
    if (!out)
        return 0;
    ImportQLIText(std::string_view(reinterpret_cast<const char*>(data), size), out);
    std::fclose(out);
    return 0;
}
