#include "import/import_stream.h"

#include <new>

bool ReadWholeStream(std::FILE* input, std::string& text)
{
    if (!input)
        return false;
    try {
        char chunk[65536];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, input)) > 0)
            text.append(chunk, got);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return !std::ferror(input);
}
