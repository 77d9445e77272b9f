#include "camera/camera.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <algorithm>

#include <glib.h>

#include "base/console.h"
#include "base/system_path.h"
#include "camera/video_ops.h"

namespace {

int Request(Camera* camera, unsigned long request, void* arg)
{
    return videoOps.ioctl(camera->fd, request, arg);
}

// The picture controls in the record's order, with the record's copy of each.
constexpr uint32_t kControlIds[5] = {V4L2_CID_BRIGHTNESS, V4L2_CID_HUE, V4L2_CID_SATURATION,
                                     V4L2_CID_CONTRAST, V4L2_CID_WHITENESS};

int* Setting(Camera* camera, int index)
{
    int* settings[5] = {&camera->brightness, &camera->hue, &camera->colour, &camera->contrast,
                        &camera->whiteness};
    return settings[index];
}

uint32_t Capabilities(const v4l2_capability& cap)
{
    return (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
}

void ReleaseBuffers(Camera* camera)
{
    if (camera->streaming && camera->fd >= 0) {
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        Request(camera, VIDIOC_STREAMOFF, &type);
    }
    for (Camera::Buffer& b : camera->buffers)
        if (b.start != nullptr && b.start != MAP_FAILED)
            videoOps.munmap(b.start, b.length);
    if (!camera->buffers.empty() && camera->fd >= 0) {
        v4l2_requestbuffers none{};
        none.count = 0;
        none.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        none.memory = V4L2_MEMORY_MMAP;
        Request(camera, VIDIOC_REQBUFS, &none);
    }
    camera->buffers.clear();
    camera->streaming = false;
}

// The still picture at the device path into the record; false when it cannot be read.
bool GrabStill(Camera* camera)
{
    RgbStill still;
    std::string error;
    if (!ReadPpmFile(camera->device, &still, &error)) {
        ConsolePrintf("Camera: %s\n", error.c_str());
        return false;
    }
    camera->width = still.width;
    camera->height = still.height;
    camera->bytesPerPixel = 3;
    camera->image = std::move(still.rgb);
    return true;
}

// Waits for a frame; false (reported) on the time-out or a device that went away.
bool WaitForFrame(Camera* camera)
{
    pollfd p{};
    p.fd = camera->fd;
    p.events = POLLIN;
    int n;
    do {
        n = videoOps.poll(&p, 1, camera->pollTimeout_ms);
    } while (n < 0 && errno == EINTR);
    if (n == 0) {
        ConsolePrintf("Camera: no picture from %s within %d ms\n", camera->device.c_str(),
            camera->pollTimeout_ms);
        return false;
    }
    if (n < 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0 || (p.revents & POLLIN) == 0) {
        ConsolePrintf("Camera: %s stopped answering\n", camera->device.c_str());
        return false;
    }
    return true;
}

// Converts a frame into the record's image; false (reported) when it is too short.
bool TakeFrame(Camera* camera, const uint8_t* data, size_t used)
{
    std::vector<uint8_t> rgb(size_t(camera->width) * size_t(camera->height) * 3);
    if (!ConvertFrame(data, used, camera->layout, camera->width, camera->height,
                      camera->bytesPerLine, rgb.data())) {
        ConsolePrintf("Camera: short frame from %s (%zu of %zu bytes)\n", camera->device.c_str(), used,
            FrameBytesNeeded(camera->layout, camera->width, camera->height, camera->bytesPerLine));
        return false;
    }
    camera->image = std::move(rgb);
    return true;
}

bool GrabStreamed(Camera* camera)
{
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    if (Request(camera, VIDIOC_DQBUF, &buffer) != 0) {
        ConsolePrintf("Camera: no frame from %s (%s)\n", camera->device.c_str(), std::strerror(errno));
        return false;
    }
    bool ok = false;
    if (buffer.index < camera->buffers.size()) {
        const Camera::Buffer& b = camera->buffers[buffer.index];
        const size_t used = buffer.bytesused < b.length ? buffer.bytesused : b.length;
        ok = TakeFrame(camera, static_cast<const uint8_t*>(b.start), used);
    } else {
        ConsolePrintf("Camera: %s returned an unknown buffer %u\n", camera->device.c_str(), buffer.index);
    }
    // The buffer goes back to the driver for the next frame, used or not.
    if (buffer.index < camera->buffers.size())
        Request(camera, VIDIOC_QBUF, &buffer);
    return ok;
}

bool GrabRead(Camera* camera)
{
    std::vector<uint8_t> frame(camera->sizeImage);
    ssize_t n;
    do {
        n = videoOps.read(camera->fd, frame.data(), frame.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        ConsolePrintf("Camera: no frame from %s (%s)\n", camera->device.c_str(), std::strerror(errno));
        return false;
    }
    return TakeFrame(camera, frame.data(), size_t(n));
}

}  // namespace

void CameraFree::operator()(Camera* camera) const { delete camera; }

Camera::~Camera()
{
    CloseCamera(this);
}

std::string DefaultCameraDevice() { return SystemPath("/dev/video0"); }

GdkPixbuf* NewRgbPicture(const uint8_t* rgb, int width, int height)
{
    if (rgb == nullptr || width <= 0 || height <= 0)
        return nullptr;
    const size_t bytes = size_t(width) * size_t(height) * 3;
    auto* copy = static_cast<guchar*>(g_try_malloc(bytes));
    if (copy == nullptr)
        return nullptr;
    std::memcpy(copy, rgb, bytes);
    return gdk_pixbuf_new_from_data(copy, GDK_COLORSPACE_RGB, FALSE, 8, width, height, width * 3,
                                    [](guchar* pixels, gpointer) { g_free(pixels); }, nullptr);
}

int camera_open_dev(Camera* camera)
{
    if (camera == nullptr)
        return 2;
    if (camera->fd >= 0)
        return 0;
    struct stat st {};
    if (::stat(camera->device.c_str(), &st) != 0) {
        ConsolePrintf("Camera: no camera at %s (%s)\n", camera->device.c_str(), std::strerror(errno));
        return 1;
    }
    if (S_ISDIR(st.st_mode)) {
        ConsolePrintf("Camera: %s is a folder, not a camera\n", camera->device.c_str());
        return 1;
    }
    camera->still = S_ISREG(st.st_mode);
    // Non-blocking: a frame is waited for with poll, never inside read or DQBUF.
    const int flags = camera->still ? O_RDONLY : (O_RDWR | O_NONBLOCK);
    camera->fd = videoOps.open(camera->device.c_str(), flags | O_CLOEXEC);
    if (camera->fd < 0) {
        ConsolePrintf("Camera: cannot open %s (%s)\n", camera->device.c_str(), std::strerror(errno));
        camera->fd = -1;
        return 1;
    }
    return 0;
}

int camera_close_dev(Camera* camera)
{
    if (camera == nullptr)
        return 2;
    if (camera->fd < 0)
        return 1;
    videoOps.close(camera->fd);
    camera->fd = -1;
    return 0;
}

int OpenCamera(Camera* camera)
{
    // Already open (a running video): its buffers are set up and streaming.
    if (camera != nullptr && camera->fd >= 0)
        return 0;
    const int result = camera_open_dev(camera);
    if (result != 0 || camera->still || camera->pixelFormat == 0)
        return result;
    // The driver forgets buffers (and may forget the format) when the device is closed.
    if (set_win_info(camera) != 1 || set_buffer(camera) != 1) {
        CloseCamera(camera);
        return 1;
    }
    return 0;
}

int CloseCamera(Camera* camera)
{
    if (camera == nullptr)
        return 2;
    ReleaseBuffers(camera);
    return camera_close_dev(camera);
}

int camera_cap(Camera* camera)
{
    if (Request(camera, VIDIOC_QUERYCAP, &camera->capability) != 0) {
        if (errno == ENOTTY || errno == EINVAL)
            ConsolePrintf("Camera: %s is not a video device\n", camera->device.c_str());
        else
            ConsolePrintf("Camera: %s does not answer (%s)\n", camera->device.c_str(), std::strerror(errno));
        return 0;
    }
    const uint32_t caps = Capabilities(camera->capability);
    if ((caps & V4L2_CAP_VIDEO_CAPTURE) == 0 ||
        (caps & (V4L2_CAP_STREAMING | V4L2_CAP_READWRITE)) == 0) {
        ConsolePrintf("Camera: %s does not capture pictures\n", camera->device.c_str());
        return 0;
    }

    // The pixel format: the best packed RGB layout on offer.
    camera->pixelFormat = 0;
    camera->layout = FrameLayout::None;
    std::string offered;
    for (uint32_t i = 0; i < 64; ++i) {
        v4l2_fmtdesc desc{};
        desc.index = i;
        desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (Request(camera, VIDIOC_ENUM_FMT, &desc) != 0)
            break;
        const FrameLayout layout = LayoutOfFourcc(desc.pixelformat);
        if (layout != FrameLayout::None &&
            (camera->layout == FrameLayout::None || layout < camera->layout)) {
            camera->layout = layout;
            camera->pixelFormat = desc.pixelformat;
        }
        offered += (offered.empty() ? "" : ", ") + FourccName(desc.pixelformat);
    }
    if (camera->layout == FrameLayout::None) {
        ConsolePrintf("Camera: %s offers %s; only RGB24, BGR24 or YUYV pictures are taken\n",
            camera->device.c_str(), offered.empty() ? "no picture format" : offered.c_str());
        return 0;
    }
    camera->bytesPerPixel = LayoutBytesPerPixel(camera->layout);

    // The sizes on offer for it.
    camera->minWidth = camera->minHeight = camera->maxWidth = camera->maxHeight = 0;
    for (uint32_t i = 0; i < 256; ++i) {
        v4l2_frmsizeenum size{};
        size.index = i;
        size.pixel_format = camera->pixelFormat;
        if (Request(camera, VIDIOC_ENUM_FRAMESIZES, &size) != 0)
            break;
        int minW, minH, maxW, maxH;
        if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
            minW = maxW = int(size.discrete.width);
            minH = maxH = int(size.discrete.height);
        } else {
            minW = int(size.stepwise.min_width);
            minH = int(size.stepwise.min_height);
            maxW = int(size.stepwise.max_width);
            maxH = int(size.stepwise.max_height);
        }
        if (camera->maxWidth == 0 || long(maxW) * maxH > long(camera->maxWidth) * camera->maxHeight) {
            camera->maxWidth = maxW;
            camera->maxHeight = maxH;
        }
        if (camera->minWidth == 0 || long(minW) * minH < long(camera->minWidth) * camera->minHeight) {
            camera->minWidth = minW;
            camera->minHeight = minH;
        }
        if (size.type != V4L2_FRMSIZE_TYPE_DISCRETE)
            break;
    }
    if (camera->maxWidth <= 0 || camera->maxHeight <= 0) {
        // No list of sizes: the size the device has now is the one on offer.
        if (get_win_info(camera) != 1)
            return 0;
        camera->minWidth = camera->maxWidth = int(camera->format.fmt.pix.width);
        camera->minHeight = camera->maxHeight = int(camera->format.fmt.pix.height);
    }

    if (camera->width < 0 || camera->height < 0) {
        switch (camera->sizeMode) {
        case 0:
            camera->width = camera->maxWidth;
            camera->height = camera->maxHeight;
            break;
        case 1:
            camera->width = camera->minWidth;
            camera->height = camera->minHeight;
            break;
        default:
            camera->width = camera->maxWidth / 2;
            camera->height = camera->maxHeight / 2;
            break;
        }
    }
    camera->width = std::max(camera->minWidth, std::min(camera->width, camera->maxWidth));
    camera->height = std::max(camera->minHeight, std::min(camera->height, camera->maxHeight));
    return 1;
}

int get_win_info(Camera* camera)
{
    camera->format = v4l2_format{};
    camera->format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (Request(camera, VIDIOC_G_FMT, &camera->format) != 0) {
        ConsolePrintf("Camera: %s gives no picture format (%s)\n", camera->device.c_str(), std::strerror(errno));
        return 0;
    }
    return 1;
}

int set_win_info(Camera* camera)
{
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.width = uint32_t(std::max(camera->width, 0));
    format.fmt.pix.height = uint32_t(std::max(camera->height, 0));
    format.fmt.pix.pixelformat = camera->pixelFormat;
    format.fmt.pix.field = V4L2_FIELD_NONE;
    if (Request(camera, VIDIOC_S_FMT, &format) != 0) {
        ConsolePrintf("Camera: %s refuses the picture format (%s)\n", camera->device.c_str(), std::strerror(errno));
        return 0;
    }
    // The driver may adjust what was asked for; its answer is what the frames will be.
    const v4l2_pix_format& pix = format.fmt.pix;
    const FrameLayout layout = LayoutOfFourcc(pix.pixelformat);
    if (pix.pixelformat != camera->pixelFormat || layout == FrameLayout::None) {
        ConsolePrintf("Camera: %s answers with pictures in %s\n", camera->device.c_str(),
            FourccName(pix.pixelformat).c_str());
        return 0;
    }
    if (pix.width == 0 || pix.height == 0 || pix.width > kMaxStillSide || pix.height > kMaxStillSide) {
        ConsolePrintf("Camera: %s answers with a picture of %u x %u\n", camera->device.c_str(), pix.width,
            pix.height);
        return 0;
    }
    const size_t needed = FrameBytesNeeded(layout, int(pix.width), int(pix.height), pix.bytesperline);
    if (needed == 0) {
        ConsolePrintf("Camera: %s answers with rows of %u bytes for %u pixels in %s\n", camera->device.c_str(),
            pix.bytesperline, pix.width, FourccName(pix.pixelformat).c_str());
        return 0;
    }
    if (pix.sizeimage < needed) {
        ConsolePrintf("Camera: %s answers with frames of %u bytes, %zu needed\n", camera->device.c_str(),
            pix.sizeimage, needed);
        return 0;
    }
    camera->format = format;
    camera->layout = layout;
    camera->width = int(pix.width);
    camera->height = int(pix.height);
    camera->bytesPerPixel = LayoutBytesPerPixel(layout);
    camera->bytesPerLine = pix.bytesperline;
    camera->sizeImage = pix.sizeimage;
    return 1;
}

int get_pic_info(Camera* camera)
{
    for (int i = 0; i < 5; ++i) {
        Camera::Control& c = camera->controls[i];
        c = Camera::Control{};
        c.id = kControlIds[i];
        v4l2_queryctrl query{};
        query.id = kControlIds[i];
        if (Request(camera, VIDIOC_QUERYCTRL, &query) != 0 ||
            (query.flags & V4L2_CTRL_FLAG_DISABLED) != 0 || query.maximum <= query.minimum)
            continue;  // this camera has no such control
        c.present = true;
        c.minimum = query.minimum;
        c.maximum = query.maximum;
        v4l2_control value{};
        value.id = kControlIds[i];
        const long current = Request(camera, VIDIOC_G_CTRL, &value) == 0 ? value.value : query.default_value;
        const long span = long(c.maximum) - c.minimum;
        // Rounded, so that a value read and written back stays what it was.
        const long scaled =
            ((std::max(long(c.minimum), std::min(current, long(c.maximum))) - c.minimum) * 65535 + span / 2) / span;
        *Setting(camera, i) = int(scaled);
    }
    return 1;
}

int set_pic_info(Camera* camera)
{
    int result = 1;
    for (int i = 0; i < 5; ++i) {
        const Camera::Control& c = camera->controls[i];
        if (!c.present)
            continue;
        const long v = std::max(0, std::min(*Setting(camera, i), 65535));
        v4l2_control value{};
        value.id = c.id;
        value.value = int(c.minimum + (long(c.maximum) - c.minimum) * v / 65535);
        if (Request(camera, VIDIOC_S_CTRL, &value) != 0)
            result = 0;
    }
    return result;
}

int set_buffer(Camera* camera)
{
    if (camera->still)
        return 1;
    ReleaseBuffers(camera);
    const uint32_t caps = Capabilities(camera->capability);
    if ((caps & V4L2_CAP_STREAMING) == 0) {
        // read() is the only way such a device gives frames.
        return (caps & V4L2_CAP_READWRITE) != 0 ? 1 : 0;
    }
    v4l2_requestbuffers request{};
    request.count = 2;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (Request(camera, VIDIOC_REQBUFS, &request) != 0 || request.count == 0 || request.count > 32) {
        ConsolePrintf("Could not connect to video device (%s).\nPlease check connection.\n", camera->device.c_str());
        return 0;
    }
    for (uint32_t i = 0; i < request.count; ++i) {
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        buffer.index = i;
        void* start = MAP_FAILED;
        if (Request(camera, VIDIOC_QUERYBUF, &buffer) == 0 && buffer.length > 0)
            start = videoOps.mmap(nullptr, buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED,
                                  camera->fd, off_t(buffer.m.offset));
        if (start == MAP_FAILED || start == nullptr) {
            ConsolePrintf("Could not connect to video device (%s).\nPlease check connection.\n", camera->device.c_str());
            ReleaseBuffers(camera);
            return 0;
        }
        camera->buffers.push_back({start, buffer.length});
        if (Request(camera, VIDIOC_QBUF, &buffer) != 0) {
            ConsolePrintf("Could not connect to video device (%s).\nPlease check connection.\n", camera->device.c_str());
            ReleaseBuffers(camera);
            return 0;
        }
    }
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (Request(camera, VIDIOC_STREAMON, &type) != 0) {
        ConsolePrintf("Could not connect to video device (%s).\nPlease check connection.\n", camera->device.c_str());
        ReleaseBuffers(camera);
        return 0;
    }
    camera->streaming = true;
    return 1;
}

GdkPixbuf* get_image(Camera* camera)
{
    if (camera == nullptr || camera->fd < 0)
        return nullptr;
    bool ok;
    if (camera->still)
        ok = GrabStill(camera);
    else if (camera->layout == FrameLayout::None || camera->width <= 0 || camera->height <= 0)
        ok = false;
    else
        ok = WaitForFrame(camera) && (camera->streaming ? GrabStreamed(camera) : GrabRead(camera));
    if (!ok)
        return nullptr;
    return NewRgbPicture(camera->image.data(), camera->width, camera->height);
}

GdkPixbuf* camera_main(Camera* camera)
{
    if (camera == nullptr)
        return nullptr;
    camera->width = -1;
    camera->height = -1;
    camera->sizeMode = 2;
    if (camera_open_dev(camera) != 0)
        return nullptr;
    if (camera->still) {
        GdkPixbuf* picture = get_image(camera);
        CloseCamera(camera);
        return picture;
    }
    bool ready = camera_cap(camera) == 1 && get_win_info(camera) == 1 && set_win_info(camera) == 1;
    if (ready) {
        get_pic_info(camera);
        set_pic_info(camera);
        camera->contrast = 50000;
        camera->brightness = 15000;
        set_pic_info(camera);
        ready = set_buffer(camera) == 1;
    }
    GdkPixbuf* picture = ready ? get_image(camera) : nullptr;
    CloseCamera(camera);
    if (!ready)
        camera->pixelFormat = 0;
    return picture;
}

CameraPtr InitCamera(PixbufPtr* picture, const std::string& device)
{
    CameraPtr camera(new Camera());
    camera->device = device;
    GdkPixbuf* first = camera_main(camera.get());
    if (first == nullptr)
        return nullptr;
    if (picture != nullptr)
        picture->reset(first);
    else
        g_object_unref(first);
    return camera;
}
