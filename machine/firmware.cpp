#include "machine/firmware.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "base/console.h"
#include "base/ui_hooks.h"
#include "machine/serial.h"

namespace {

// Loader commands.
constexpr unsigned char kCmdHello = 1;
constexpr unsigned char kCmdReadProgram = 2;
constexpr unsigned char kCmdWriteProgram = 3;
constexpr unsigned char kCmdReadEeprom = 4;
constexpr unsigned char kCmdWriteEeprom = 5;
constexpr unsigned char kCmdWriteSettings = 7;
constexpr unsigned char kCmdLeaveLoader = 8;
constexpr unsigned char kAck = 1;

constexpr int kReplyWait_ms = 250;
constexpr int kBlockLimit_ms = 3000;
constexpr int kLoaderWait_ms = 1000;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Value of `digits` hex digits at `text`; the caller has checked they are hex.
unsigned HexValue(const char* text, int digits)
{
    unsigned v = 0;
    for (int i = 0; i < digits; ++i) v = (v << 4) | static_cast<unsigned>(HexDigit(text[i]));
    return v;
}

enum class LineRead { Line, End, TooLong, Error };

// Reads one line (without "\n" and a trailing "\r") of at most kHexLineMax characters.
LineRead ReadLine(FILE* file, std::string* line)
{
    line->clear();
    int c;
    bool any = false;
    while ((c = std::getc(file)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (line->size() >= kHexLineMax) return LineRead::TooLong;
        line->push_back(static_cast<char>(c));
    }
    if (std::ferror(file)) return LineRead::Error;
    if (!any) return LineRead::End;
    if (!line->empty() && line->back() == '\r') line->pop_back();
    return LineRead::Line;
}

bool IsBlank(const std::string& line)
{
    return line.find_first_not_of(" \t\r\v\f") == std::string::npos;
}

// Checks the frame of one record: start code, hex digits, length agreeing with the byte
// count, checksum. Returns an empty string when the record is sound, else why not.
std::string CheckRecord(const std::string& record)
{
    if (record[0] != ':') return "does not start with ':'";
    for (std::size_t i = 1; i < record.size(); ++i)
        if (HexDigit(record[i]) < 0) return "holds a character that is not a hex digit";
    if (record.size() < 11) return "is too short for a record";
    const unsigned count = HexValue(&record[1], 2);
    if (record.size() != 11 + 2 * count) return "has a length that does not match its byte count";
    unsigned sum = 0;
    for (std::size_t i = 1; i < record.size(); i += 2) sum += HexValue(&record[i], 2);
    if ((sum & 0xFFu) != 0) return "has a wrong checksum";
    return "";
}

void Send(std::initializer_list<unsigned char> bytes)
{
    std::vector<unsigned char> v(bytes);
    WriteBlock(v.data(), static_cast<int>(v.size()));
}

long Elapsed_ms(std::chrono::steady_clock::time_point since)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - since)
                                 .count());
}

}  // namespace

namespace {

HexImage BuildFreshImage()
{
    HexImage image(kHexBlockCount);
    for (int i = 0; i < kHexBlockCount; ++i) {
        HexBlock& b = image[i];
        if (i < kHexProgramBlocks) {
            b.kind = HEX_PROGRAM;
            b.index = i;
            b.address = b.index * 64L;
            b.units = 32;
        } else if (i < kHexProgramBlocks + kHexEepromBlocks) {
            b.kind = HEX_EEPROM;
            b.index = i - kHexProgramBlocks;
            b.address = kHexEepromStart + b.index * 32L;
            b.units = 16;
        } else {
            b.kind = HEX_SETTINGS;
            b.index = i - kHexProgramBlocks - kHexEepromBlocks;
            b.address = kHexSettingsStart + b.index * 2L;
            b.units = 16;
        }
        b.empty = 1;
        std::fill(std::begin(b.words), std::end(b.words), 0xFFFF);
        std::memset(b.bytes, 0xFF, sizeof b.bytes);
    }
    return image;
}

}  // namespace

HexImage NewHexImage()
{
    // Built once and copied: the image is the same for every file.
    static const HexImage fresh = BuildFreshImage();
    return fresh;
}

int FindHexBlock(long address)
{
    if (address >= 0 && address < kHexProgramBlocks * 64L) return static_cast<int>(address / 64);
    if (address >= kHexEepromStart && address < kHexEepromStart + kHexEepromBlocks * 32L)
        return kHexProgramBlocks + static_cast<int>((address - kHexEepromStart) / 32);
    if (address >= kHexSettingsStart && address < kHexSettingsStart + kHexSettingBlocks * 2L)
        return kHexProgramBlocks + kHexEepromBlocks +
               static_cast<int>((address - kHexSettingsStart) / 2);
    return -1;
}

int InsertHexData(HexBlock* block, long address, const char* text)
{
    // An address below the block's start is not the block's: without this check the first
    // EEPROM block would take every address between program memory and EEPROM and write
    // in front of its own values.
    const long offset = address - block->address;
    const long span = block->kind == HEX_SETTINGS ? 2 : 2L * block->units;
    if (offset < 0 || offset >= span) return 0;
    for (int i = 0; i < 4; ++i)
        if (HexDigit(text[i]) < 0) return 0;
    block->words[offset] = static_cast<uint16_t>(HexValue(text, 4));
    block->empty = 0;
    return 1;
}

void FormatHexData(HexBlock* block)
{
    if (block->empty) return;
    const uint16_t* w = block->words;
    unsigned char* out = block->bytes;
    switch (block->kind) {
    case HEX_PROGRAM:
        for (int i = 0; i < 32; ++i) {
            *out++ = static_cast<unsigned char>(w[2 * i] >> 8);
            *out++ = static_cast<unsigned char>(w[2 * i] & 0xFF);
            *out++ = static_cast<unsigned char>(w[2 * i + 1] >> 8);
        }
        break;
    case HEX_EEPROM:
        for (int i = 0; i < 16; ++i) {
            *out++ = static_cast<unsigned char>(w[2 * i] >> 8);
            *out++ = static_cast<unsigned char>(w[2 * i] & 0xFF);
        }
        break;
    default:
        out[0] = static_cast<unsigned char>(w[0] >> 8);
        out[1] = static_cast<unsigned char>(w[0] & 0xFF);
        out[2] = static_cast<unsigned char>(w[1] >> 8);
        break;
    }
}

int ReadHexFile(FILE* file, HexImage* image, std::string* message)
{
    *image = NewHexImage();
    int lineNumber = 0;
    auto fail = [&](int code, const std::string& why) {
        if (message) *message = "HEX line " + std::to_string(lineNumber) + ": " + why;
        return code;
    };
    if (!file) {
        lineNumber = 0;
        return fail(HEX_BAD_RECORD, "no file");
    }
    unsigned long upper = 0;
    std::string line;
    for (;;) {
        ++lineNumber;
        const LineRead got = ReadLine(file, &line);
        if (got == LineRead::End) break;
        if (got == LineRead::Error) return fail(HEX_BAD_RECORD, "the file cannot be read");
        if (got == LineRead::TooLong)
            return fail(HEX_BAD_RECORD, "longer than " + std::to_string(kHexLineMax) + " characters");
        if (IsBlank(line)) continue;
        line.erase(line.find_last_not_of(" \t\r\v\f") + 1);
        const std::string frame = CheckRecord(line);
        if (!frame.empty()) return fail(HEX_BAD_RECORD, "the record " + frame);

        const unsigned count = HexValue(&line[1], 2);
        const unsigned recordAddress = HexValue(&line[3], 4);
        const unsigned type = HexValue(&line[7], 2);
        const char* data = &line[9];
        if (type == 1) continue;  // end of file: nothing after it is expected, but harmless
        if (type == 4) {
            if (count != 2) return fail(HEX_BAD_RECORD, "an address record must hold 2 bytes");
            upper = static_cast<unsigned long>(HexValue(data, 4)) << 16;
            continue;
        }
        if (type != 0) return fail(HEX_BAD_RECORD, "unknown record type " + std::to_string(type));

        const unsigned long byteAddress = upper + recordAddress;
        // Values are 16 bits wide; a record that starts or ends inside one cannot be placed.
        if (count % 2 != 0) return fail(HEX_BAD_RECORD, "odd byte count in a data record");
        if (byteAddress % 2 != 0) return fail(HEX_BAD_RECORD, "odd address in a data record");
        long address = static_cast<long>(byteAddress / 2);
        for (unsigned group = 0; group < count / 2; ++group, ++address) {
            const int at = FindHexBlock(address);
            if (at < 0 || !InsertHexData(&(*image)[at], address, data + 4 * group)) {
                char where[64];
                std::snprintf(where, sizeof where, "address 0x%lX lies in no memory block",
                              static_cast<unsigned long>(address));
                return fail(HEX_ADDRESS_OUTSIDE, where);
            }
        }
    }
    if (message) message->clear();
    return 0;
}

int SendHexData(HexBlock* block)
{
    if (block->empty && block->kind != HEX_SETTINGS) return HEX_BLOCK_EMPTY;
    if (block->kind == HEX_SETTINGS && block->index == kHexSettingBlocks - 1) return HEX_BLOCK_SKIPPED;
    if (sp < 0) return HEX_BLOCK_NO_REPLY;

    std::vector<unsigned char> packet;
    const unsigned long a = static_cast<unsigned long>(block->address);
    const unsigned char address[3] = {static_cast<unsigned char>(a & 0xFF),
                                      static_cast<unsigned char>((a >> 8) & 0xFF),
                                      static_cast<unsigned char>((a >> 16) & 0xFF)};
    switch (block->kind) {
    case HEX_PROGRAM:
        packet = {kCmdWriteProgram, address[0], address[1], address[2]};
        packet.insert(packet.end(), block->bytes, block->bytes + 96);
        break;
    case HEX_EEPROM:
        packet = {kCmdWriteEeprom, address[0], address[1], address[2]};
        packet.insert(packet.end(), block->bytes, block->bytes + 32);
        break;
    default:
        // One entry per device-setting word: a leading 1 keeps the word, 0 writes it.
        if (block->index == 0) packet.push_back(kCmdWriteSettings);
        packet.push_back(static_cast<unsigned char>(block->empty));
        packet.push_back(block->bytes[0]);
        packet.push_back(block->bytes[1]);
        break;
    }

    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        WriteBlock(packet.data(), static_cast<int>(packet.size()));
        unsigned char reply = 0;
        if (GetChar(kReplyWait_ms, &reply, 1) != SERIAL_OK) return HEX_BLOCK_NO_REPLY;
        if (reply == kAck) return HEX_BLOCK_SENT;
        if (Elapsed_ms(start) > kBlockLimit_ms) return HEX_BLOCK_TIMEOUT;
    }
}

int SendHexFile(FILE* file)
{
    std::string why;
    HexImage image;
    const int read = ReadHexFile(file, &image, &why);
    if (read != 0) {
        ConsolePrintf("%s\n", why.c_str());
        return read;
    }
    if (sp < 0) {
        ConsolePrintf("ERROR: Serial Port Not Enabled\n");
        return HEX_NO_LOADER;
    }

    // Restart the controller into its loader.
    for (unsigned char b : {255, 255, 255, 59}) WriteBlock(&b, 1);
    DoNothing(10);
    UiRunPendingEvents();

    unsigned char reply[96];
    Send({kCmdHello, 1, 1, 1});
    DoNothing(1);
    if (ReadBlock(kLoaderWait_ms, reply, 96) <= 0) return HEX_NO_LOADER;

    // The loader's own start lives in the first two instructions of program memory; it goes
    // back unchanged whatever the file holds there. Without all six bytes of it we would
    // overwrite the loader with guesses, so a short answer counts as none.
    Send({kCmdReadProgram, 0, 0, 0});
    DoNothing(1);
    std::memset(reply, 0, sizeof reply);
    if (ReadBlock(kLoaderWait_ms, reply, 96) < 6) return HEX_NO_FIRST_BLOCK;
    char start[20];
    std::snprintf(start, sizeof start, "%02x%02x%02x00%02x%02x%02x00", reply[2], reply[1],
                  reply[0], reply[5], reply[4], reply[3]);
    for (int unit = 0; unit < 4; ++unit) InsertHexData(&image[0], unit, start + 4 * unit);

    for (HexBlock& block : image) FormatHexData(&block);
    ClearPort();
    DoNothing(1);
    UiRunPendingEvents();

    // The first 64 bytes of EEPROM belong to the device (calibration); keep what it holds.
    for (long address : {kHexEepromStart, kHexEepromStart + 0x20}) {
        Send({kCmdReadEeprom, static_cast<unsigned char>(address & 0xFF), 0xF0, 0x7F});
        DoNothing(1);
        unsigned char eeprom[32];
        if (ReadBlock(kLoaderWait_ms, eeprom, 32) == 32) {
            HexBlock& block = image[FindHexBlock(address)];
            for (int k = 0; k < 16; ++k) {
                block.bytes[2 * k] = eeprom[2 * k + 1];
                block.bytes[2 * k + 1] = eeprom[2 * k];
            }
        } else {
            // A partial answer is no better than none: half a calibration is worse than the file's.
            ConsolePrintf("EEPROM not read!!\n");
        }
    }
    // Whatever is left of a late EEPROM answer must not be taken for an acknowledgement.
    ClearPort();

    for (HexBlock& block : image) {
        const int sent = SendHexData(&block);
        // A block that got no answer at all is as unwritten as one that was refused.
        if (sent == HEX_BLOCK_TIMEOUT || sent == HEX_BLOCK_NO_REPLY) {
            ConsolePrintf("Block at 0x%6.6lX not acknowledged\n",
                          static_cast<unsigned long>(block.address));
            return HEX_NOT_ACKNOWLEDGED;
        }
    }

    Send({kCmdLeaveLoader});
    image.clear();
    UiRunPendingEvents();
    return HEX_UPLOAD_OK;
}
