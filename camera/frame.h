#pragma once
// Pictures as the camera delivers them and as the program keeps them: conversion of one
// frame from the device's pixel layout to packed RGB (3 bytes a pixel, rows of width x 3),
// and the PPM still that stands in for a camera on a desktop.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The device pixel layouts the camera takes, in the order it prefers them.
enum class FrameLayout { None, RGB24, BGR24, YUYV };

// The layout of a V4L2 pixel format; FrameLayout::None for any other (MJPEG, 32-bit RGB ...).
FrameLayout LayoutOfFourcc(uint32_t fourcc);
// Bytes a pixel takes in the layout (3, 3, 2; 0 for None).
int LayoutBytesPerPixel(FrameLayout layout);
// The four characters of a pixel format ("MJPG"), non-printing ones as '?'.
std::string FourccName(uint32_t fourcc);

// Bytes a frame of this shape needs: every row but the last at its full stride, the last
// one only as long as its pixels. 0 for a shape that is not one (no pixels, a stride below
// a row, an odd YUYV width).
size_t FrameBytesNeeded(FrameLayout layout, int width, int height, size_t bytesPerLine);

// Converts one frame of `used` bytes into width x height x 3 RGB at `rgb`. YUYV is taken as
// BT.601 with studio range (Y 16..235). Returns false and leaves `rgb` untouched when the
// frame is shorter than its shape needs or the shape is not one (see FrameBytesNeeded).
bool ConvertFrame(const uint8_t* frame, size_t used, FrameLayout layout, int width, int height,
                  size_t bytesPerLine, uint8_t* rgb);

// --- PPM still ------------------------------------------------------------------------------

// The largest still taken, each side.
constexpr int kMaxStillSide = 4096;

struct RgbStill {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // width x height x 3
};

// A binary PPM ("P6", maxval 255, sides 1..kMaxStillSide, comments allowed in the header).
// False with the reason in `error` for anything else, `out` untouched.
bool ParsePpm(const uint8_t* data, size_t size, RgbStill* out, std::string* error);
// The same from a file.
bool ReadPpmFile(const std::string& path, RgbStill* out, std::string* error);
// A PPM of the picture (for tests and tools).
std::string PpmBytes(int width, int height, const uint8_t* rgb);
