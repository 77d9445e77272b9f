#pragma once
// Firmware upload: an Intel HEX file sent through the serial line to the controller's boot
// loader.
//
// The controller counts program memory in address units of 16 bits, two per 24-bit
// instruction, so an address here is the HEX file's byte address divided by 2. The file is
// read in full into an image of fixed blocks before a single byte goes to the controller:
//
//   program          0 .. 0x17FFF          1536 blocks of 64 units -> 96 bytes sent
//   data EEPROM      0x7FF000 .. 0x7FFFFF   128 blocks of 32 units -> 32 bytes sent
//   device settings  0xF80000 .. 0xF8000F     8 blocks of  2 units ->  2 bytes sent
//
// Each group of four hex digits of a data record is one 16-bit value whose high byte is the
// file's first byte of the pair, so the bytes go out in the file's own order; the unused top
// byte of every instruction and every second (unused) EEPROM word are dropped.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum HexBlockKind { HEX_PROGRAM = 0, HEX_EEPROM = 1, HEX_SETTINGS = 2 };

// Result codes of SendHexFile (0 is success).
enum HexUploadResult {
    HEX_UPLOAD_OK = 0,
    HEX_ADDRESS_OUTSIDE = 1,   // a data address of the file lies in no block
    HEX_BAD_RECORD = 2,        // a record the reader cannot take (unknown type, malformed line)
    HEX_NO_FIRST_BLOCK = 3,    // the loader did not send its first program block
    HEX_NOT_ACKNOWLEDGED = 4,  // a block was not acknowledged
    HEX_NO_LOADER = 5,         // the loader did not answer the first request
};

// Results of SendHexData.
enum HexBlockResult {
    HEX_BLOCK_SENT = 0,
    HEX_BLOCK_EMPTY = 2,      // nothing in the file for it: not sent
    HEX_BLOCK_NO_REPLY = 3,   // no answer within 250 ms
    HEX_BLOCK_SKIPPED = 4,    // the last device-setting word, which the loader never takes
    HEX_BLOCK_TIMEOUT = 5,    // answered, but not with 1, for more than 3000 ms
};

constexpr int kHexProgramBlocks = 1536;
constexpr int kHexEepromBlocks = 128;
constexpr int kHexSettingBlocks = 8;
constexpr int kHexBlockCount = kHexProgramBlocks + kHexEepromBlocks + kHexSettingBlocks;
constexpr long kHexEepromStart = 0x7FF000;
constexpr long kHexSettingsStart = 0xF80000;
// Longest line of a HEX file we read (without its line end).
constexpr std::size_t kHexLineMax = 2047;

struct HexBlock {
    int kind = HEX_PROGRAM;
    long address = 0;   // first address unit of the block
    int index = 0;      // position within its kind
    int empty = 1;      // 1 until the file puts data into the block
    int units = 32;     // 32 for program, 16 for EEPROM and device settings
    uint16_t words[64];
    unsigned char bytes[96];
};

// The memory image: program blocks, then EEPROM, then device settings, 1672 in all.
using HexImage = std::vector<HexBlock>;
HexImage NewHexImage();
// Index of the block that holds the address unit, or -1.
int FindHexBlock(long address);

// Puts the 16-bit value of the first four hex digits of `text` at `address` when the address
// lies in the block, and marks the block used. Returns 1, or 0 when the address is not the
// block's (or the text is not four hex digits).
int InsertHexData(HexBlock* block, long address, const char* text);
// Fills `bytes` from `words` for a block that holds data; empty blocks are left alone.
void FormatHexData(HexBlock* block);

// Reads a whole HEX file into `image` (which it builds afresh). Returns 0, HEX_ADDRESS_OUTSIDE
// or HEX_BAD_RECORD; on failure `message` says which line and why.
int ReadHexFile(FILE* file, HexImage* image, std::string* message);

// Sends one block and waits for the loader's acknowledgement (see HexBlockResult).
int SendHexData(HexBlock* block);
// The whole upload from an open file (not closed here). Returns a HexUploadResult.
int SendHexFile(FILE* file);
