#include "app/file_crc.h"
#include "base/console.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <new>
#include <sstream>
#include <vector>

namespace {

uint32_t crcTable[256];

constexpr uint32_t kPolynomial = 0x04C11DB7;
constexpr std::size_t kDefaultChunk = 0x100000;
// A CRC file is a single short line; anything much longer is not one.
constexpr std::size_t kCrcFileMax = 4096;

bool ParseLong(const std::string& text, long* out)
{
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0') return false;
    *out = v;
    return true;
}

bool ParseVersion(const std::string& text, float* out)
{
    char* end = nullptr;
    float v = std::strtof(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(v)) return false;
    *out = v;
    return true;
}

struct CrcRecord {
    uint32_t crc = 0;
    int appCode = 0;
    float version = 0;
    std::string kernel;
};

// Reads the fields of a CRC file. The CRC is normally written signed; the unsigned spelling
// of the same 32 bits is taken too, anything outside 32 bits is junk.
bool ReadCrcRecord(const std::string& crcPath, CrcRecord* rec)
{
    std::ifstream in(crcPath, std::ios::binary);
    if (!in) return false;
    std::string text(kCrcFileMax + 1, '\0');
    in.read(&text[0], static_cast<std::streamsize>(text.size()));
    if (in.bad()) return false;
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kCrcFileMax || text.find('\0') != std::string::npos) return false;

    std::istringstream fields(text);
    std::string crcText, appText, versionText, kernelText;
    if (!(fields >> crcText >> appText >> versionText)) return false;
    fields >> kernelText;

    long crcValue = 0, app = 0;
    if (!ParseLong(crcText, &crcValue) || crcValue < -2147483648L || crcValue > 4294967295L)
        return false;
    if (!ParseLong(appText, &app) || app < -2147483647L - 1 || app > 2147483647L) return false;
    if (!ParseVersion(versionText, &rec->version)) return false;
    if (kernelText.size() > kCrcKernelMax) return false;
    rec->crc = static_cast<uint32_t>(crcValue);
    rec->appCode = static_cast<int>(app);
    rec->kernel = kernelText;
    return true;
}

}  // namespace

uint32_t Reflect(uint32_t value, int bits)
{
    uint32_t result = 0;
    for (int i = 0; i < bits && i < 32; ++i) {
        result = (result << 1) | (value & 1u);
        value >>= 1;
    }
    return result;
}

void InitializeCRC()
{
    const uint32_t reflected = Reflect(kPolynomial, 32);
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i;
        for (int bit = 0; bit < 8; ++bit) r = (r & 1u) ? (r >> 1) ^ reflected : r >> 1;
        crcTable[i] = r;
    }
}

uint32_t PartialCRC(uint32_t running, const void* data, std::size_t length)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < length; ++i) running = crcTable[(running ^ p[i]) & 0xFFu] ^ (running >> 8);
    return running;
}

uint32_t BufferCRC(const void* data, std::size_t length)
{
    InitializeCRC();
    return PartialCRC(0xFFFFFFFFu, data, length) ^ 0xFFFFFFFFu;
}

int FileCRC(const std::string& path, uint32_t* crcOut, std::size_t chunkSize)
{
    if (chunkSize == 0) return 0;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) return 0;
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[chunkSize]);
    if (!buffer) return 0;

    InitializeCRC();
    uint32_t running = 0xFFFFFFFFu;
    std::size_t got;
    while ((got = std::fread(buffer.get(), 1, chunkSize, file.get())) > 0)
        running = PartialCRC(running, buffer.get(), got);
    // A read error (a folder, a failing stick) must not pass for a short file.
    if (std::ferror(file.get())) return 0;
    *crcOut = running ^ 0xFFFFFFFFu;
    return 1;
}

int FileCRC_Default(const std::string& path, uint32_t* crcOut)
{
    return FileCRC(path, crcOut, kDefaultChunk);
}

std::string CrcFilePath(const std::string& path)
{
    std::size_t nameStart = path.rfind('/');
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    std::size_t dot = path.find('.', nameStart);
    if (dot == std::string::npos) return path + ".crc";
    return path.substr(0, dot) + ".crc";
}

long CrcAsSigned(uint32_t value)
{
    return static_cast<long>(static_cast<int32_t>(value));
}

int CheckCRC(const std::string& path, int* appCode, float* version, std::string* kernel)
{
    uint32_t fileCrc = 0;
    if (!FileCRC_Default(path, &fileCrc)) {
        ConsolePrintf("Cannot read file: %s\n", path.c_str());
        return 0;
    }
    const std::string crcPath = CrcFilePath(path);
    CrcRecord rec;
    if (!ReadCrcRecord(crcPath, &rec)) {
        ConsolePrintf("Cannot read CRC file: %s\n", crcPath.c_str());
        return 0;
    }
    if (fileCrc != rec.crc) {
        ConsolePrintf("0x%8.8X != 0x%8.8X CRC FAILED!\n", fileCrc, rec.crc);
        return 0;
    }
    ConsolePrintf("0x%8.8X == 0x%8.8X CRC PASSED!\n", fileCrc, rec.crc);
    ConsolePrintf("AppCode = %d Version = %0.2f", rec.appCode, rec.version);
    if (kernel) ConsolePrintf(" Kernel = %s", rec.kernel.c_str());
    ConsolePrintf("\n");
    if (appCode) *appCode = rec.appCode;
    if (version) *version = rec.version;
    if (kernel) *kernel = rec.kernel;
    return 1;
}

int ReadCrcFile(const std::string& crcPath, uint32_t* crc, int* appCode, float* version,
                std::string* kernel)
{
    CrcRecord rec;
    if (!ReadCrcRecord(crcPath, &rec)) return 0;
    if (crc) *crc = rec.crc;
    if (appCode) *appCode = rec.appCode;
    if (version) *version = rec.version;
    if (kernel) *kernel = rec.kernel;
    return 1;
}

int WriteCrcFile(const std::string& path, int appCode, const std::string& versionText,
                 const std::string& kernel, std::string* error)
{
    auto fail = [error](const std::string& why) {
        if (error) *error = why;
        return 0;
    };
    float version = 0;
    if (!ParseVersion(versionText, &version)) return fail("version is not a number: " + versionText);
    if (kernel.size() > kCrcKernelMax) return fail("kernel release is too long");
    if (kernel.find_first_of(" \t\r\n\v\f") != std::string::npos)
        return fail("kernel release must be one word");
    uint32_t value = 0;
    if (!FileCRC_Default(path, &value)) return fail("cannot read " + path);

    const std::string crcPath = CrcFilePath(path);
    if (crcPath == path) return fail("the file would be its own CRC file: " + path);
    std::ostringstream line;
    line << CrcAsSigned(value) << ' ' << appCode << ' ' << versionText;
    if (!kernel.empty()) line << ' ' << kernel;
    line << '\n';
    std::ofstream out(crcPath, std::ios::binary | std::ios::trunc);
    if (!out) return fail("cannot write " + crcPath);
    out << line.str();
    out.flush();
    if (!out) return fail("cannot write " + crcPath);
    return 1;
}
