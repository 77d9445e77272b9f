#pragma once
// An in-process V4L2 driver for the camera's tests: installed into videoOps, it answers the
// device requests from the settings below and records what the camera asked for. Its device
// path is a character device that exists ("/dev/null"), so the camera's own checks of the
// path pass and every call after that reaches the fake.
#include <linux/videodev2.h>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

struct FakeVideoDriver {
    static constexpr const char* kDevice = "/dev/null";

    // --- what the device offers ---
    int openErrno = 0;          // open fails with this when not 0
    bool notVideo = false;      // every request fails with ENOTTY
    uint32_t capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    std::vector<uint32_t> formats{V4L2_PIX_FMT_RGB24};
    std::vector<std::pair<uint32_t, uint32_t>> sizes{{640, 480}, {160, 120}, {320, 240}};
    // The answer to S_FMT; 0 / -1 keep what was asked for.
    uint32_t answerWidth = 0, answerHeight = 0;
    int strideExtra = 0;        // bytes after each row's pixels
    long bytesPerLine = -1;     // forced bytesperline
    long sizeImage = -1;        // forced sizeimage
    struct Control {
        int minimum = 0, maximum = 255, value = 128;
    };
    std::map<uint32_t, Control> controls;
    // Each frame's bytes (cut to the buffer) and, when not negative, the bytes it reports.
    std::vector<uint8_t> frame;
    long bytesUsed = -1;
    bool silent = false;        // poll never sees a frame
    bool gone = false;          // unplugged: poll reports an error, requests fail with ENODEV

    // --- what the camera did ---
    v4l2_pix_format format{};   // the format in force
    int opens = 0, closes = 0, openFds = 0, frames = 0, streamOns = 0;
    int lastPollTimeout = -1;
    std::vector<std::vector<uint8_t>> buffers;
};

// Installs a fresh fake driver into videoOps and returns it.
FakeVideoDriver& InstallFakeVideo();
// The installed driver.
FakeVideoDriver& FakeVideo();

// A frame of the fake's current format: `rgb` (format.width x format.height x 3) laid out in
// the format's pixel layout and row stride (RGB24 and BGR24; other layouts are left 0xEE).
std::vector<uint8_t> LayOutFrame(const v4l2_pix_format& format, const std::vector<uint8_t>& rgb);
