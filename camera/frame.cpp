#include "camera/frame.h"

#include <linux/videodev2.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

FrameLayout LayoutOfFourcc(uint32_t fourcc)
{
    switch (fourcc) {
    case V4L2_PIX_FMT_RGB24: return FrameLayout::RGB24;
    case V4L2_PIX_FMT_BGR24: return FrameLayout::BGR24;
    case V4L2_PIX_FMT_YUYV: return FrameLayout::YUYV;
    default: return FrameLayout::None;
    }
}

int LayoutBytesPerPixel(FrameLayout layout)
{
    switch (layout) {
    case FrameLayout::RGB24:
    case FrameLayout::BGR24: return 3;
    case FrameLayout::YUYV: return 2;
    default: return 0;
    }
}

std::string FourccName(uint32_t fourcc)
{
    std::string name;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((fourcc >> (8 * i)) & 0xFF);
        name += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return name;
}

size_t FrameBytesNeeded(FrameLayout layout, int width, int height, size_t bytesPerLine)
{
    const int bpp = LayoutBytesPerPixel(layout);
    if (bpp == 0 || width <= 0 || height <= 0)
        return 0;
    if (layout == FrameLayout::YUYV && width % 2 != 0)
        return 0;
    const size_t row = size_t(width) * size_t(bpp);
    if (bytesPerLine < row)
        return 0;
    return bytesPerLine * size_t(height - 1) + row;
}

namespace {

uint8_t Clamp(int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

void YuvToRgb(int y, int u, int v, uint8_t* out)
{
    const int c = y - 16, d = u - 128, e = v - 128;
    out[0] = Clamp((298 * c + 409 * e + 128) >> 8);
    out[1] = Clamp((298 * c - 100 * d - 208 * e + 128) >> 8);
    out[2] = Clamp((298 * c + 516 * d + 128) >> 8);
}

}  // namespace

bool ConvertFrame(const uint8_t* frame, size_t used, FrameLayout layout, int width, int height,
                  size_t bytesPerLine, uint8_t* rgb)
{
    const size_t needed = FrameBytesNeeded(layout, width, height, bytesPerLine);
    if (needed == 0 || frame == nullptr || rgb == nullptr || used < needed)
        return false;
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = frame + size_t(y) * bytesPerLine;
        uint8_t* dst = rgb + size_t(y) * size_t(width) * 3;
        switch (layout) {
        case FrameLayout::RGB24: std::memcpy(dst, src, size_t(width) * 3); break;
        case FrameLayout::BGR24:
            for (int x = 0; x < width; ++x, src += 3, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
            break;
        case FrameLayout::YUYV:
            // Two pixels share one U and one V: Y0 U Y1 V.
            for (int x = 0; x < width; x += 2, src += 4, dst += 6) {
                YuvToRgb(src[0], src[1], src[3], dst);
                YuvToRgb(src[2], src[1], src[3], dst + 3);
            }
            break;
        default: return false;
        }
    }
    return true;
}

// --- PPM ------------------------------------------------------------------------------------

namespace {

// Reads one header number, skipping white space and comments before it.
bool HeaderNumber(const uint8_t* data, size_t size, size_t* at, long* value)
{
    size_t i = *at;
    for (;;) {
        while (i < size && (data[i] == ' ' || data[i] == '\t' || data[i] == '\n' ||
                            data[i] == '\r' || data[i] == '\v' || data[i] == '\f'))
            ++i;
        if (i < size && data[i] == '#') {
            while (i < size && data[i] != '\n')
                ++i;
            continue;
        }
        break;
    }
    if (i >= size || data[i] < '0' || data[i] > '9')
        return false;
    long n = 0;
    while (i < size && data[i] >= '0' && data[i] <= '9') {
        n = n * 10 + (data[i] - '0');
        if (n > 1000000)  // far beyond any side or maxval taken; stops the overflow
            return false;
        ++i;
    }
    *value = n;
    *at = i;
    return true;
}

}  // namespace

bool ParsePpm(const uint8_t* data, size_t size, RgbStill* out, std::string* error)
{
    auto fail = [error](const std::string& why) {
        if (error != nullptr)
            *error = why;
        return false;
    };
    if (data == nullptr || size < 2 || data[0] != 'P')
        return fail("not a PPM picture");
    if (data[1] != '6')
        return fail(std::string("PPM kind P") + char(data[1] >= 0x20 && data[1] < 0x7F ? data[1] : '?') +
                    " is not taken (only binary P6)");
    size_t at = 2;
    long width = 0, height = 0, maxval = 0;
    if (!HeaderNumber(data, size, &at, &width) || !HeaderNumber(data, size, &at, &height) ||
        !HeaderNumber(data, size, &at, &maxval))
        return fail("PPM header is incomplete");
    if (width < 1 || height < 1 || width > kMaxStillSide || height > kMaxStillSide)
        return fail("PPM size " + std::to_string(width) + " x " + std::to_string(height) +
                    " is outside 1.." + std::to_string(kMaxStillSide));
    if (maxval != 255)
        return fail("PPM maxval " + std::to_string(maxval) + " is not taken (only 255)");
    // Exactly one white-space byte ends the header.
    if (at >= size || !(data[at] == ' ' || data[at] == '\t' || data[at] == '\n' || data[at] == '\r'))
        return fail("PPM header is incomplete");
    ++at;
    const size_t bytes = size_t(width) * size_t(height) * 3;
    if (size - at < bytes)
        return fail("PPM picture is truncated (" + std::to_string(size - at) + " of " +
                    std::to_string(bytes) + " bytes)");
    out->width = int(width);
    out->height = int(height);
    out->rgb.assign(data + at, data + at + bytes);
    return true;
}

bool ReadPpmFile(const std::string& path, RgbStill* out, std::string* error)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        if (error != nullptr)
            *error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    // Never more than the largest still and a generous header.
    const size_t limit = size_t(kMaxStillSide) * kMaxStillSide * 3 + 4096;
    std::vector<uint8_t> data;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0 && data.size() < limit)
        data.insert(data.end(), chunk, chunk + n);
    std::fclose(f);
    return ParsePpm(data.data(), data.size(), out, error);
}

std::string PpmBytes(int width, int height, const uint8_t* rgb)
{
    std::string out = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    out.append(reinterpret_cast<const char*>(rgb), size_t(width) * size_t(height) * 3);
    return out;
}
