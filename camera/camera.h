#pragma once
// The camera: one record for the video device, opened only for a grab or a running video.
//
// The device is a V4L2 capture device. It is set up for packed RGB (RGB24, else BGR24,
// else YUYV) at a size chosen by `sizeMode`, the picture controls are set, and frames come
// through memory-mapped streaming (or read() where the driver offers only that). Every
// frame is converted into `image` as width x height x 3 RGB, whatever the device's layout
// and row padding. A regular file at the device path is a PPM still instead, read again at
// every grab: desktop runs and tests have a camera that way.
//
// Every call reports what went wrong on standard output and returns without a picture;
// nothing here blocks longer than the poll time-out.
#include <linux/videodev2.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/interface.h"
#include "camera/frame.h"
#include "view/pixbuf_draw.h"

using CameraPtr = std::unique_ptr<Camera, CameraFree>;

// The device path the program uses: SystemPath("/dev/video0").
std::string DefaultCameraDevice();

struct Camera {
    // The device: its path, and the open descriptor or -1 while closed.
    std::string device;
    int fd = -1;
    // Capture size in pixels (-1 x -1: none asked for) and bytes a device pixel takes.
    int width = -1;
    int height = -1;
    int bytesPerPixel = 3;
    // The size taken when none is asked for: 0 the largest, 1 the smallest, 2 half the
    // largest on both sides.
    int sizeMode = 2;
    // Picture settings, 0..65535 of each control's range.
    int brightness = 0;
    int hue = 0;
    int colour = 0;
    int contrast = 0;
    int whiteness = 0;

    // What the device said about itself and the format it took.
    v4l2_capability capability{};
    v4l2_format format{};
    uint32_t pixelFormat = 0;  // V4L2 fourcc chosen; 0 before the set-up
    FrameLayout layout = FrameLayout::None;
    size_t bytesPerLine = 0;
    size_t sizeImage = 0;
    int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
    // The controls the device has (by V4L2 control id), with their ranges.
    struct Control {
        uint32_t id = 0;
        int minimum = 0;
        int maximum = 0;
        bool present = false;
    };
    Control controls[5];  // brightness, hue, saturation, contrast, whiteness

    // Frames: memory-mapped buffers while streaming, else read().
    struct Buffer {
        void* start = nullptr;
        size_t length = 0;
    };
    std::vector<Buffer> buffers;
    bool streaming = false;
    // The device path is a PPM still, not a device.
    bool still = false;
    // Longest wait for a frame, milliseconds.
    int pollTimeout_ms = 2000;

    // The last frame, width x height x 3 RGB.
    std::vector<uint8_t> image;

    ~Camera();
};

// Makes the record, runs camera_main and returns it with the first picture in `picture`;
// none (and `picture` untouched) when no camera answers.
CameraPtr InitCamera(PixbufPtr* picture, const std::string& device = DefaultCameraDevice());
// Opens the device, sets it up, grabs one frame and closes it again; the picture or null.
GdkPixbuf* camera_main(Camera* camera);

// Open the device for reading and writing: 0 done, 1 failed, 2 without a record. OpenCamera
// also puts back the size and buffers the set-up chose, so a grab can follow at once.
int OpenCamera(Camera* camera);
int camera_open_dev(Camera* camera);
// Close it (and release its buffers): 0 done, 1 not open, 2 without a record.
int CloseCamera(Camera* camera);
int camera_close_dev(Camera* camera);

// Reads one frame into `image` and returns it as a new RGB picture of its own (8 bits, no
// alpha, rows of width x 3). Null without a record, a closed device, no frame within the
// poll time-out, a short frame or a gone device; `image` then keeps the previous frame.
GdkPixbuf* get_image(Camera* camera);

// The individual device requests of the set-up; 1 done, 0 failed (reported on stdout).
// Capabilities, the pixel format to use and the frame sizes on offer; picks the size.
int camera_cap(Camera* camera);
// Reads the device's current format into `format`.
int get_win_info(Camera* camera);
// Asks for the chosen size and pixel format and keeps what the driver answers.
int set_win_info(Camera* camera);
// Reads the picture controls that exist (ranges, current values) into the record.
int get_pic_info(Camera* camera);
// Writes the record's picture settings to the controls that exist.
int set_pic_info(Camera* camera);
// Prepares frame transfer: mapped buffers and streaming, or read().
int set_buffer(Camera* camera);

// A new RGB picture (no alpha, rows of exactly width x 3) holding a copy of `rgb`.
GdkPixbuf* NewRgbPicture(const uint8_t* rgb, int width, int height);
