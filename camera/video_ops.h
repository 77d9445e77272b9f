#pragma once
// The calls the camera makes on its device, behind one table so that tests can put an
// in-process driver in place of the kernel. The program uses the C library's own calls.
#include <poll.h>
#include <sys/types.h>

#include <cstddef>

struct VideoOps {
    int (*open)(const char* path, int flags);
    int (*close)(int fd);
    int (*ioctl)(int fd, unsigned long request, void* arg);
    ssize_t (*read)(int fd, void* buffer, size_t size);
    int (*poll)(struct pollfd* fds, nfds_t count, int timeout_ms);
    void* (*mmap)(void* address, size_t length, int protection, int flags, int fd, off_t offset);
    int (*munmap)(void* address, size_t length);
};

// The table in force; starts as the C library's calls.
extern VideoOps videoOps;
// Puts the C library's calls back.
void ResetVideoOps();
