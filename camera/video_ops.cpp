#include "camera/video_ops.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

namespace {

int LibcOpen(const char* path, int flags) { return ::open(path, flags); }
int LibcClose(int fd) { return ::close(fd); }

int LibcIoctl(int fd, unsigned long request, void* arg)
{
    // A signal arriving mid-request is no answer from the driver: ask again.
    int result;
    do {
        result = ::ioctl(fd, request, arg);
    } while (result == -1 && errno == EINTR);
    return result;
}

ssize_t LibcRead(int fd, void* buffer, size_t size) { return ::read(fd, buffer, size); }
int LibcPoll(struct pollfd* fds, nfds_t count, int timeout_ms) { return ::poll(fds, count, timeout_ms); }

void* LibcMmap(void* address, size_t length, int protection, int flags, int fd, off_t offset)
{
    return ::mmap(address, length, protection, flags, fd, offset);
}

int LibcMunmap(void* address, size_t length) { return ::munmap(address, length); }

const VideoOps kLibcOps = {LibcOpen, LibcClose, LibcIoctl, LibcRead, LibcPoll, LibcMmap, LibcMunmap};

}  // namespace

VideoOps videoOps = kLibcOps;

void ResetVideoOps() { videoOps = kLibcOps; }
