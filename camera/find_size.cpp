#include "camera/find_size.h"

#include <string>
#include <vector>

namespace {

constexpr int kDarkSum = 382;
constexpr int kDarkPixelsInRow = 16;
constexpr int kRun = 10;

// Index of the first row at or after `from` that starts kRun rows of kind `dark`; -1 none.
int FirstRun(const std::vector<bool>& darkRows, int from, bool dark)
{
    int length = 0;
    for (int y = from; y < int(darkRows.size()); ++y) {
        length = darkRows[y] == dark ? length + 1 : 0;
        if (length == kRun)
            return y - kRun + 1;
    }
    return -1;
}

}  // namespace

int FindSize(const uint8_t* rgb, int width, int height, std::FILE* log)
{
    if (rgb == nullptr || width <= 0 || height <= 0)
        return 0;
    std::vector<bool> darkRows(size_t(height), false);
    std::string line;
    for (int y = 0; y < height; ++y) {
        const uint8_t* p = rgb + size_t(y) * size_t(width) * 3;
        int dark = 0;
        if (log != nullptr)
            line.assign(size_t(width), ' ');
        for (int x = 0; x < width; ++x, p += 3) {
            if (int(p[0]) + p[1] + p[2] < kDarkSum) {
                ++dark;
                if (log != nullptr)
                    line[size_t(x)] = '.';
            }
        }
        darkRows[size_t(y)] = dark >= kDarkPixelsInRow;
        if (log != nullptr) {
            line += '\n';
            std::fputs(line.c_str(), log);
        }
    }
    const int start = FirstRun(darkRows, 0, true);
    if (start < 0)
        return 0;
    const int end = FirstRun(darkRows, start, false);
    if (end < 0)
        return 0;
    return end - start;
}
