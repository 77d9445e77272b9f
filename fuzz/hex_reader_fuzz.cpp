// Feeds arbitrary bytes to the HEX reader of the firmware upload. It must answer 0, 1 or 2;
// a refusal must say why, and an accepted file must give an image that formats cleanly.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "machine/firmware.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    text.push_back('\0');  // fmemopen wants a buffer even for an empty file
    FILE* f = fmemopen(&text[0], size, "r");
    if (!f) return 0;
    HexImage image;
    std::string message;
    const int result = ReadHexFile(f, &image, &message);
    std::fclose(f);

    if (result != 0 && result != HEX_ADDRESS_OUTSIDE && result != HEX_BAD_RECORD) std::abort();
    if (image.size() != static_cast<size_t>(kHexBlockCount)) std::abort();
    if (result != 0) {
        if (message.empty()) std::abort();
        return 0;
    }
    size_t used = 0;
    for (HexBlock& block : image) {
        FormatHexData(&block);
        if (!block.empty) ++used;
    }
    // Every used block needs at least one record of at least 2 bytes, i.e. 15 characters.
    if (used * 15 > size) std::abort();
    return 0;
}
