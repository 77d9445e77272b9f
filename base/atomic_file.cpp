#include "base/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

AtomicFileWriter::AtomicFileWriter(std::string destination) : destination_(std::move(destination))
{
}

AtomicFileWriter::~AtomicFileWriter() { Abandon(); }

bool AtomicFileWriter::Open()
{
    Abandon();
    error_ = 0;
    const size_t slash = destination_.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : destination_.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? destination_ : destination_.substr(slash + 1);
    if (name.empty()) {
        error_ = EISDIR;
        return false;
    }
    // A long name would make the temporary one longer than a file system allows.
    std::string pattern = folder + "." + name.substr(0, 200) + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = mkstemp(buffer.data());
    if (fd < 0) {
        error_ = errno;
        return false;
    }
    temp_ = buffer.data();
    // mkstemp makes the file private; a copied pattern gets the usual mode.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    stream_ = fdopen(fd, "wb");
    if (stream_ == nullptr) {
        error_ = errno;
        close(fd);
        unlink(temp_.c_str());
        temp_.clear();
        return false;
    }
    return true;
}

bool AtomicFileWriter::Commit()
{
    if (stream_ == nullptr) {
        if (error_ == 0)
            error_ = EBADF;
        return false;
    }
    bool ok = std::ferror(stream_) == 0;
    if (!ok)
        error_ = errno != 0 ? errno : EIO;
    if (ok && std::fflush(stream_) != 0) {
        error_ = errno;
        ok = false;
    }
    if (ok && fsync(fileno(stream_)) != 0) {
        error_ = errno;
        ok = false;
    }
    if (std::fclose(stream_) != 0 && ok) {
        error_ = errno;
        ok = false;
    }
    stream_ = nullptr;
    if (ok && std::rename(temp_.c_str(), destination_.c_str()) != 0) {
        error_ = errno;
        ok = false;
    }
    if (!ok) {
        unlink(temp_.c_str());
    } else {
        // The rename itself lives in the folder: on a stick pulled soon after, only a synced
        // folder is sure to name the new file.
        const size_t slash = destination_.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "." : destination_.substr(0, slash + 1);
        const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0) {
            fsync(fd);
            close(fd);
        }
    }
    temp_.clear();
    return ok;
}

void AtomicFileWriter::Abandon()
{
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!temp_.empty()) {
        unlink(temp_.c_str());
        temp_.clear();
    }
}

bool WriteFileAtomically(const std::string& destination,
                         const std::function<bool(std::FILE* out)>& fill, int* error)
{
    AtomicFileWriter writer(destination);
    bool ok = writer.Open() && fill(writer.stream()) && writer.Commit();
    if (error != nullptr)
        *error = ok ? 0 : writer.error();
    return ok;
}
