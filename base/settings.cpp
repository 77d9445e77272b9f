// The settings globals and the record-level access to ./defaults.mrv: a flat array of 32-bit
// little-endian words, record n at byte 4n. Every read and write opens and closes the file,
// so a change is on disk the moment the call returns.

#include "base/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

int stitchRep = 0;
int TOut = 0;
int stitchLen = 0;
int speed = 0;
int XKp = 0, XKi = 0, YKp = 0, YKi = 0, XKd = 0, YKd = 0;
int Err = 0;
float xMargin = 0.0f, yMargin = 0.0f;
float jumpStitch = 0.0f;
float acceleration = 40.0f;
float curvature = 40.0f;
int leadLineSpeed = 60;
float moveIncrement = 0.1f;
int needleUpMethod = 0;
int needleUpConfirm = 1;
float needleUpPress = 0.0f, needleUpTime = 0.0f;
float stitchRegPress = 0.0f, stitchRegTime = 0.0f;
int stitchButtonsOn = 0;
int showAdvancedFeatures = 0;

float maxSpeed = 0.0f;
// Until the stitch controller reports them, the slowest speeds are the first-start values:
// a minimum or needle speed of zero would make moves that never end.
int minimumSpeed = 2;
float minSpeed = 0.0f;
float slow = 5.0f;

const char* const kSettingsFile = "./defaults.mrv";

namespace {

// Only the records the file is defined to hold are read or written; anything else is a
// caller's mistake and must not grow the file to an arbitrary size.
bool ValidRecord(int record) { return record >= 0 && record < SETTINGS_RECORD_COUNT; }

bool ReadWord(int record, uint32_t* word)
{
    if (!ValidRecord(record))
        return false;
    int fd = open(kSettingsFile, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    unsigned char b[4];
    bool ok = pread(fd, b, 4, static_cast<off_t>(record) * 4) == 4;
    close(fd);
    if (ok)
        *word = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
    return ok;
}

bool WriteAll(int fd, const unsigned char* data, size_t len, off_t at)
{
    while (len > 0) {
        ssize_t w = pwrite(fd, data, len, at);
        if (w <= 0)
            return false;
        data += w;
        len -= static_cast<size_t>(w);
        at += w;
    }
    return true;
}

int WriteWord(int record, uint32_t word)
{
    if (!ValidRecord(record))
        return 0;
    int fd = open(kSettingsFile, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return 0;
    const off_t at = static_cast<off_t>(record) * 4;
    struct stat st {};
    if (fstat(fd, &st) == 0 && st.st_size < at) {
        // Fill the gap up to this record with zero words.
        static const unsigned char zeros[SETTINGS_RECORD_COUNT * 4] = {};
        WriteAll(fd, zeros, static_cast<size_t>(at - st.st_size), st.st_size);
    }
    const unsigned char b[4] = {static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8),
                                static_cast<unsigned char>(word >> 16),
                                static_cast<unsigned char>(word >> 24)};
    // A write that fails (a full disk) is reported, not passed off as done.
    bool ok = WriteAll(fd, b, 4, at);
    close(fd);
    return ok ? 1 : 0;
}

}  // namespace

int ReadDefaultInt(int record, int* out)
{
    uint32_t word;
    if (!ReadWord(record, &word))
        return 0;
    *out = static_cast<int32_t>(word);
    return 1;
}

int ReadDefaultFloat(int record, float* out)
{
    uint32_t word;
    if (!ReadWord(record, &word))
        return 0;
    std::memcpy(out, &word, sizeof word);
    return 1;
}

int WriteDefaultInt(int record, int value)
{
    return WriteWord(record, static_cast<uint32_t>(value));
}

int WriteDefaultFloat(int record, float value)
{
    uint32_t word;
    std::memcpy(&word, &value, sizeof word);
    return WriteWord(record, word);
}
