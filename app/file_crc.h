#pragma once
// CRC-32 of files and the companion CRC files that vouch for update files on a USB stick.
//
// The CRC is the common CRC-32 (IEEE 802.3, zlib): polynomial 0x04C11DB7 reflected, start
// value 0xFFFFFFFF, final XOR 0xFFFFFFFF. "123456789" gives 0xCBF43926.
//
// A CRC file sits beside the file it describes; its name is the file's name with everything
// from the first "." replaced by ".crc" (prog.v2.bin -> prog.crc). It holds whitespace-separated
// fields: the CRC as a signed 32-bit decimal, the application code (1 program, 2 motion
// controller firmware), the version, and optionally the kernel release the program needs.
#include <cstddef>
#include <cstdint>
#include <string>

// Application codes of a CRC file.
enum CrcAppCode { CRC_APP_PROGRAM = 1, CRC_APP_FIRMWARE = 2 };

// Longest kernel field accepted from a CRC file (the device kept it in a 256-byte buffer).
constexpr std::size_t kCrcKernelMax = 255;

// Builds the 256-entry lookup table. Cheap; called before each use.
void InitializeCRC();
// The lowest `bits` bits of `value` in reverse order.
uint32_t Reflect(uint32_t value, int bits);
// Continues a running CRC over more bytes (no start value, no final XOR).
uint32_t PartialCRC(uint32_t running, const void* data, std::size_t length);
// CRC-32 of a whole buffer (start value and final XOR applied).
uint32_t BufferCRC(const void* data, std::size_t length);

// CRC-32 of the whole file, read in chunks of `chunkSize` bytes. Returns 1 and stores the CRC;
// 0 when the file cannot be opened or read, or the chunk buffer cannot be had.
int FileCRC(const std::string& path, uint32_t* crcOut, std::size_t chunkSize);
// The same with 1 MiB chunks.
int FileCRC_Default(const std::string& path, uint32_t* crcOut);

// The path of the CRC file that belongs to `path`.
std::string CrcFilePath(const std::string& path);
// The CRC as the CRC file writes it: a signed 32-bit decimal.
long CrcAsSigned(uint32_t value);

// Compares the file's CRC-32 with its CRC file and prints the outcome. Returns 1 on a match
// and then stores the application code, the version and (when `kernel` is given) the kernel
// field (empty when the CRC file has none). Returns 0 when either file cannot be read, the
// CRC file is empty, truncated or holds junk, or the CRCs differ.
int CheckCRC(const std::string& path, int* appCode, float* version, std::string* kernel);

// Reads the fields of the CRC file at `crcPath` itself (no file is checked against it).
// Returns 1 with every field stored (the kernel empty when absent), 0 when the file cannot be
// read or is not a CRC file.
int ReadCrcFile(const std::string& crcPath, uint32_t* crc, int* appCode, float* version,
                std::string* kernel);

// Writes the CRC file for `path` in the form CheckCRC reads. `versionText` must be a number,
// `kernel` empty or one word of at most kCrcKernelMax characters. Returns 1, or 0 with a
// reason in `error`.
int WriteCrcFile(const std::string& path, int appCode, const std::string& versionText,
                 const std::string& kernel, std::string* error);
