#pragma once
// Writing a file so that it is either wholly replaced or left as it was.
//
// The new content goes into a hidden temporary file in the destination's own folder
// (".NAME.XXXXXX", so that the final rename stays on one file system). Commit flushes it,
// forces it to the device and renames it over the destination. Anything that goes wrong on
// the way (a full disk, a converter that gives up, a stick pulled out) leaves the old file
// untouched and removes the temporary file.

#include <cstdio>
#include <functional>
#include <string>

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string destination);
    // Abandons the temporary file unless Commit succeeded.
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file; false (with error() set) when the folder is not writable
    // or does not exist.
    bool Open();
    // The stream to write to; null before Open or after Commit/Abandon.
    std::FILE* stream() const { return stream_; }
    // Flushes, syncs and renames into place. False, with the temporary file removed and the
    // destination untouched, when any write failed on the way.
    bool Commit();
    // Drops the temporary file; the destination stays as it was.
    void Abandon();
    // errno of the first failure, 0 when none.
    int error() const { return error_; }
    const std::string& temporaryPath() const { return temp_; }

private:
    std::string destination_;
    std::string temp_;
    std::FILE* stream_ = nullptr;
    int error_ = 0;
};

// Writes `destination` through an AtomicFileWriter: `fill` writes the content and returns
// false to give up. True when the destination now holds the new content. `error`, when
// given, receives errno of a failed write (0 when `fill` gave up).
bool WriteFileAtomically(const std::string& destination,
                         const std::function<bool(std::FILE* out)>& fill, int* error = nullptr);
