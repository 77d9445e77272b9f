// The PPM still reader on arbitrary bytes: never a crash or an overrun, and a picture it
// takes always holds exactly its pixels.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "camera/find_size.h"
#include "camera/frame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RgbStill still;
    std::string error;
    if (!ParsePpm(data, size, &still, &error)) {
        if (error.empty() || still.width != 0)
            std::abort();
        return 0;
    }
    if (still.width < 1 || still.height < 1 || still.width > kMaxStillSide ||
        still.height > kMaxStillSide ||
        still.rgb.size() != size_t(still.width) * size_t(still.height) * 3)
        std::abort();
    if (FindSize(still.rgb.data(), still.width, still.height) > still.height)
        std::abort();
    return 0;
}
