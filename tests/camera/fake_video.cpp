#include "camera/fake_video.h"

#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "camera/video_ops.h"

namespace {

constexpr int kFakeFd = 4242;
FakeVideoDriver driver;

int Fail(int error)
{
    errno = error;
    return -1;
}

uint32_t BytesPerPixel(uint32_t fourcc) { return fourcc == V4L2_PIX_FMT_YUYV ? 2 : fourcc == V4L2_PIX_FMT_RGB32 ? 4 : 3; }

int FakeOpen(const char*, int)
{
    if (driver.openErrno != 0)
        return Fail(driver.openErrno);
    ++driver.opens;
    ++driver.openFds;
    return kFakeFd;
}

int FakeClose(int fd)
{
    if (fd != kFakeFd)
        return Fail(EBADF);
    ++driver.closes;
    --driver.openFds;
    return 0;
}

int SetFormat(v4l2_format* f)
{
    v4l2_pix_format& pix = f->fmt.pix;
    if (std::find(driver.formats.begin(), driver.formats.end(), pix.pixelformat) == driver.formats.end())
        pix.pixelformat = driver.formats.front();
    if (driver.answerWidth != 0) pix.width = driver.answerWidth;
    if (driver.answerHeight != 0) pix.height = driver.answerHeight;
    pix.bytesperline = driver.bytesPerLine >= 0 ? uint32_t(driver.bytesPerLine)
                                                : pix.width * BytesPerPixel(pix.pixelformat) + driver.strideExtra;
    pix.sizeimage = driver.sizeImage >= 0 ? uint32_t(driver.sizeImage) : pix.bytesperline * pix.height;
    driver.format = pix;
    return 0;
}

int FakeIoctl(int fd, unsigned long request, void* arg)
{
    if (fd != kFakeFd)
        return Fail(EBADF);
    if (driver.notVideo)
        return Fail(ENOTTY);
    if (driver.gone)
        return Fail(ENODEV);
    switch (request) {
    case VIDIOC_QUERYCAP: {
        auto* cap = static_cast<v4l2_capability*>(arg);
        *cap = v4l2_capability{};
        std::strcpy(reinterpret_cast<char*>(cap->driver), "fake");
        cap->capabilities = driver.capabilities;
        return 0;
    }
    case VIDIOC_ENUM_FMT: {
        auto* desc = static_cast<v4l2_fmtdesc*>(arg);
        if (desc->index >= driver.formats.size())
            return Fail(EINVAL);
        desc->pixelformat = driver.formats[desc->index];
        return 0;
    }
    case VIDIOC_ENUM_FRAMESIZES: {
        auto* size = static_cast<v4l2_frmsizeenum*>(arg);
        if (size->index >= driver.sizes.size())
            return Fail(EINVAL);
        size->type = V4L2_FRMSIZE_TYPE_DISCRETE;
        size->discrete.width = driver.sizes[size->index].first;
        size->discrete.height = driver.sizes[size->index].second;
        return 0;
    }
    case VIDIOC_G_FMT: static_cast<v4l2_format*>(arg)->fmt.pix = driver.format; return 0;
    case VIDIOC_S_FMT: return SetFormat(static_cast<v4l2_format*>(arg));
    case VIDIOC_QUERYCTRL: {
        auto* q = static_cast<v4l2_queryctrl*>(arg);
        auto it = driver.controls.find(q->id);
        if (it == driver.controls.end())
            return Fail(EINVAL);
        q->minimum = it->second.minimum;
        q->maximum = it->second.maximum;
        q->default_value = it->second.value;
        q->flags = 0;
        return 0;
    }
    case VIDIOC_G_CTRL:
    case VIDIOC_S_CTRL: {
        auto* c = static_cast<v4l2_control*>(arg);
        auto it = driver.controls.find(c->id);
        if (it == driver.controls.end())
            return Fail(EINVAL);
        if (request == VIDIOC_G_CTRL)
            c->value = it->second.value;
        else
            it->second.value = c->value;
        return 0;
    }
    case VIDIOC_REQBUFS: {
        auto* r = static_cast<v4l2_requestbuffers*>(arg);
        driver.buffers.assign(r->count, std::vector<uint8_t>(driver.format.sizeimage));
        return 0;
    }
    case VIDIOC_QUERYBUF: {
        auto* b = static_cast<v4l2_buffer*>(arg);
        if (b->index >= driver.buffers.size())
            return Fail(EINVAL);
        b->length = uint32_t(driver.buffers[b->index].size());
        b->m.offset = b->index;
        return 0;
    }
    case VIDIOC_QBUF: return 0;
    case VIDIOC_DQBUF: {
        auto* b = static_cast<v4l2_buffer*>(arg);
        if (driver.buffers.empty())
            return Fail(EINVAL);
        b->index = uint32_t(driver.frames % driver.buffers.size());
        std::vector<uint8_t>& buffer = driver.buffers[b->index];
        const size_t n = std::min(buffer.size(), driver.frame.size());
        std::copy(driver.frame.begin(), driver.frame.begin() + long(n), buffer.begin());
        b->bytesused = driver.bytesUsed >= 0 ? uint32_t(driver.bytesUsed) : uint32_t(n);
        ++driver.frames;
        return 0;
    }
    case VIDIOC_STREAMON: ++driver.streamOns; return 0;
    case VIDIOC_STREAMOFF: return 0;
    default: return Fail(ENOTTY);
    }
}

ssize_t FakeRead(int fd, void* buffer, size_t size)
{
    if (fd != kFakeFd)
        return Fail(EBADF);
    if (driver.gone)
        return Fail(ENODEV);
    size_t n = std::min(size, driver.frame.size());
    if (driver.bytesUsed >= 0)
        n = std::min(n, size_t(driver.bytesUsed));
    std::memcpy(buffer, driver.frame.data(), n);
    ++driver.frames;
    return ssize_t(n);
}

int FakePoll(pollfd* fds, nfds_t, int timeout_ms)
{
    driver.lastPollTimeout = timeout_ms;
    fds[0].revents = 0;
    if (driver.gone) {
        fds[0].revents = POLLERR;
        return 1;
    }
    if (driver.silent)
        return 0;  // as the kernel answers once the time-out has passed
    fds[0].revents = POLLIN;
    return 1;
}

void* FakeMmap(void*, size_t length, int, int, int fd, off_t offset)
{
    if (fd != kFakeFd || size_t(offset) >= driver.buffers.size() ||
        driver.buffers[size_t(offset)].size() != length)
        return MAP_FAILED;
    return driver.buffers[size_t(offset)].data();
}

int FakeMunmap(void*, size_t) { return 0; }

}  // namespace

FakeVideoDriver& InstallFakeVideo()
{
    driver = FakeVideoDriver();
    videoOps = VideoOps{FakeOpen, FakeClose, FakeIoctl, FakeRead, FakePoll, FakeMmap, FakeMunmap};
    return driver;
}

FakeVideoDriver& FakeVideo() { return driver; }

std::vector<uint8_t> LayOutFrame(const v4l2_pix_format& f, const std::vector<uint8_t>& rgb)
{
    std::vector<uint8_t> out(f.sizeimage, 0xEE);
    for (uint32_t y = 0; y < f.height; ++y) {
        uint8_t* row = out.data() + size_t(y) * f.bytesperline;
        for (uint32_t x = 0; x < f.width; ++x) {
            const uint8_t* p = rgb.data() + (size_t(y) * f.width + x) * 3;
            if (f.pixelformat == V4L2_PIX_FMT_RGB24) {
                std::memcpy(row + x * 3, p, 3);
            } else if (f.pixelformat == V4L2_PIX_FMT_BGR24) {
                row[x * 3] = p[2], row[x * 3 + 1] = p[1], row[x * 3 + 2] = p[0];
            }
        }
    }
    return out;
}
