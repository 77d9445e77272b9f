// ./screen.conf reader on arbitrary bytes: must never crash, hang or leave a derived value
// inconsistent with the values it derives from.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/screen_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        char templ[] = "/tmp/corvan-fuzz-XXXXXX";
        if (mkdtemp(templ) == nullptr || chdir(templ) != 0)
            std::abort();
        return true;
    }();
    (void)ready;
    FILE* f = std::fopen("./screen.conf", "wb");
    if (f == nullptr)
        std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    ParseConfig();
    if (view_area_width != screen_width || toolbar_height != menubar_height)
        std::abort();
    return 0;
}
