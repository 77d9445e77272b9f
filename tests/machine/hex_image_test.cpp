#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "machine/firmware.h"
#include "support/hex_records.h"

namespace {

int ReadText(const std::string& text, HexImage* image, std::string* message = nullptr)
{
    std::string copy = text.empty() ? std::string(" ") : text;  // fmemopen needs a byte
    FILE* f = fmemopen(&copy[0], text.empty() ? 0 : copy.size(), "r");
    if (!f) f = fmemopen(&copy[0], copy.size(), "r");
    std::string why;
    int r = ReadHexFile(f, image, message ? message : &why);
    std::fclose(f);
    return r;
}

std::string Sent(const HexBlock& b, int n)
{
    return std::string(reinterpret_cast<const char*>(b.bytes), static_cast<size_t>(n));
}

int UsedBlocks(const HexImage& image)
{
    int n = 0;
    for (const HexBlock& b : image) n += b.empty ? 0 : 1;
    return n;
}

const unsigned long kEepromByte = 0xFFE000;     // unit 0x7FF000
const unsigned long kSettingsByte = 0x1F00000;  // unit 0xF80000

}  // namespace

TEST(HexImage, BlocksCoverTheThreeMemoriesInOrder)
{
    HexImage image = NewHexImage();
    ASSERT_EQ(image.size(), 1672u);
    const HexBlock& lastProgram = image[1535];
    EXPECT_EQ(lastProgram.kind, HEX_PROGRAM);
    EXPECT_EQ(lastProgram.address, 0x17FC0);
    EXPECT_EQ(lastProgram.units, 32);
    const HexBlock& eeprom = image[1536 + 127];
    EXPECT_EQ(eeprom.kind, HEX_EEPROM);
    EXPECT_EQ(eeprom.index, 127);
    EXPECT_EQ(eeprom.address, 0x7FFFE0);
    EXPECT_EQ(eeprom.units, 16);
    const HexBlock& settings = image[1671];
    EXPECT_EQ(settings.kind, HEX_SETTINGS);
    EXPECT_EQ(settings.index, 7);
    EXPECT_EQ(settings.address, 0xF8000E);
    for (const HexBlock& b : image) {
        ASSERT_EQ(b.empty, 1);
        ASSERT_EQ(b.words[0], 0xFFFF);
        ASSERT_EQ(b.words[63], 0xFFFF);
    }

    EXPECT_EQ(FindHexBlock(0), 0);
    EXPECT_EQ(FindHexBlock(0x17FFF), 1535);
    EXPECT_EQ(FindHexBlock(0x18000), -1);
    EXPECT_EQ(FindHexBlock(0x7FEFFF), -1);
    EXPECT_EQ(FindHexBlock(0x7FF020), 1537);
    EXPECT_EQ(FindHexBlock(0x7FFFFF), 1663);
    EXPECT_EQ(FindHexBlock(0xF8000F), 1671);
    EXPECT_EQ(FindHexBlock(0xF80010), -1);
    EXPECT_EQ(FindHexBlock(-1), -1);
}

TEST(HexImage, InsertTakesOnlyAddressesOfItsOwnBlock)
{
    HexImage image = NewHexImage();
    HexBlock& program = image[1];
    EXPECT_EQ(InsertHexData(&program, 0x3F, "1234"), 0);  // just before: not a negative index
    EXPECT_EQ(InsertHexData(&program, 0x80, "1234"), 0);
    EXPECT_EQ(program.empty, 1);
    EXPECT_EQ(InsertHexData(&program, 0x7F, "ab12zz"), 1);  // only four digits are read
    EXPECT_EQ(program.words[63], 0xAB12);
    EXPECT_EQ(program.empty, 0);
    EXPECT_EQ(InsertHexData(&program, 0x40, "12G4"), 0);  // not a number

    HexBlock& eeprom = image[1536];
    EXPECT_EQ(InsertHexData(&eeprom, 0x18000, "0000"), 0);  // between program and EEPROM
    EXPECT_EQ(InsertHexData(&eeprom, 0x7FF01F, "BEEF"), 1);
    EXPECT_EQ(InsertHexData(&eeprom, 0x7FF020, "BEEF"), 0);

    HexBlock& settings = image[1664 + 3];
    EXPECT_EQ(InsertHexData(&settings, 0xF80007, "C0DE"), 1);
    EXPECT_EQ(InsertHexData(&settings, 0xF80008, "C0DE"), 0);
    EXPECT_EQ(settings.words[1], 0xC0DE);
}

TEST(HexImage, DataRecordsLandInTheRightWordsAndFormatInFileOrder)
{
    // Two instructions at program address 0x40 (byte 0x80), with their unused top bytes.
    const std::string program = Bytes({0x11, 0x22, 0x33, 0x00, 0x44, 0x55, 0x66, 0x00});
    // Two EEPROM words with their unused partner words.
    const std::string eeprom = Bytes({0xAA, 0xBB, 0x00, 0x00, 0xCC, 0xDD, 0x00, 0x00});
    // The first device-setting word.
    const std::string settings = Bytes({0xCF, 0x3F, 0x00, 0x00});
    HexImage image;
    ASSERT_EQ(ReadText(HexRecord(0, 0x80, program) + HexDataAt(kEepromByte + 0x40, eeprom) +
                           HexDataAt(kSettingsByte, settings) + HexEnd(),
                       &image),
              0);
    EXPECT_EQ(UsedBlocks(image), 3);

    HexBlock& p = image[1];
    EXPECT_EQ(p.words[0], 0x1122);
    EXPECT_EQ(p.words[1], 0x3300);
    EXPECT_EQ(p.words[3], 0x6600);
    FormatHexData(&p);
    EXPECT_EQ(Sent(p, 6), Bytes({0x11, 0x22, 0x33, 0x44, 0x55, 0x66}));
    EXPECT_EQ(Sent(p, 96).substr(6), std::string(90, '\xFF'));

    HexBlock& e = image[1536 + 1];
    FormatHexData(&e);
    EXPECT_EQ(Sent(e, 4), Bytes({0xAA, 0xBB, 0xCC, 0xDD}));
    EXPECT_EQ(Sent(e, 32).substr(4), std::string(28, '\xFF'));

    HexBlock& s = image[1664];
    FormatHexData(&s);
    EXPECT_EQ(Sent(s, 3), Bytes({0xCF, 0x3F, 0x00}));

    // Empty blocks keep their bytes.
    HexBlock& untouched = image[5];
    untouched.bytes[0] = 0x42;
    FormatHexData(&untouched);
    EXPECT_EQ(untouched.bytes[0], 0x42);
}

TEST(HexImage, RecordsCrossBlocksAndReadingGoesOnPastTheEndRecord)
{
    // 16 bytes at byte 0x78 = units 0x3C..0x43: the end of block 0 and the start of block 1.
    std::string data;
    for (int i = 0; i < 16; ++i) data.push_back(static_cast<char>(i + 1));
    HexImage image;
    ASSERT_EQ(ReadText(HexEnd() + "\r\n" + HexRecord(0, 0x78, data) + "   \n", &image), 0);
    EXPECT_EQ(image[0].words[60], 0x0102);
    EXPECT_EQ(image[0].words[63], 0x0708);
    EXPECT_EQ(image[1].words[0], 0x090A);
    EXPECT_EQ(image[1].words[3], 0x0F10);
    EXPECT_EQ(UsedBlocks(image), 2);

    // Lower-case digits and CR LF line ends, as some tools write them.
    std::string lower = HexRecord(0, 0x100, Bytes({0xab, 0xcd, 0xef, 0}));
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    lower.insert(lower.size() - 1, "\r");
    ASSERT_EQ(ReadText(lower, &image), 0);
    EXPECT_EQ(image[2].words[0], 0xABCD);

    // An empty file is an image with nothing in it.
    ASSERT_EQ(ReadText("", &image), 0);
    EXPECT_EQ(UsedBlocks(image), 0);
}

TEST(HexImage, AddressesOutsideEveryBlockGiveOne)
{
    const std::string word = Bytes({1, 2, 3, 0});
    HexImage image;
    std::string message;
    EXPECT_EQ(ReadText(HexDataAt(0x1FFFE00, word), &image, &message), 1);  // unit 0xFFFF00
    EXPECT_EQ(message, "HEX line 2: address 0xFFFF00 lies in no memory block");
    EXPECT_EQ(ReadText(HexDataAt(0x30000, word), &image), 1);               // after program memory
    EXPECT_EQ(ReadText(HexDataAt(0xFFDFFC, word), &image), 1);              // just before EEPROM
    EXPECT_EQ(ReadText(HexDataAt(0x1000000, word), &image), 1);             // after EEPROM
    EXPECT_EQ(ReadText(HexDataAt(kSettingsByte + 0x20, word), &image), 1);  // after the settings
    // A record whose tail runs past the end of program memory.
    EXPECT_EQ(ReadText(HexDataAt(0x2FFFC, Bytes({1, 2, 3, 0, 4, 5, 6, 0})), &image), 1);
}

TEST(HexImage, RecordsTheReaderCannotTakeGiveTwo)
{
    const std::string good = HexRecord(0, 0, Bytes({1, 2, 3, 0}));  // ":0400000001020300F6"
    ASSERT_EQ(good, ":0400000001020300F6\n");
    const std::string cases[] = {
        HexRecord(2, 0, Bytes({0x10, 0x00})),      // segment address: not ours
        HexRecord(3, 0, Bytes({0, 0, 0, 0})),      // start segment
        HexRecord(5, 0, Bytes({0, 0, 0, 0})),      // start linear
        "0400000001020300F6\n",                    // no start code
        " :0400000001020300F6\n",                  // something before it
        ":0400000001020300F\n",                    // odd number of digits
        ":0400000001020300\n",                     // checksum missing
        ":040000000102030000F6\n",                 // more data than counted
        ":0400000001020300F7\n",                   // checksum wrong
        ":04000000010203X0F6\n",                   // not a digit
        ":0400\n",                                 // cut short
        HexRecord(0, 0, Bytes({1, 2, 3})),         // odd byte count
        HexRecord(0, 1, Bytes({1, 2})),            // odd address
        HexRecord(4, 0, Bytes({0, 1, 2, 3})),      // address record of the wrong size
        std::string(":04000000\0" "1020300F6\n", 20),  // a NUL inside
        std::string(2048, '0') + "\n",             // too long
    };
    HexImage image;
    for (const std::string& bad : cases) {
        std::string message;
        EXPECT_EQ(ReadText(good + bad + good, &image, &message), 2) << bad;
        EXPECT_EQ(message.rfind("HEX line 2: ", 0), 0u) << message;
    }
    std::string message;
    ReadText(HexRecord(2, 0, Bytes({0x10, 0x00})), &image, &message);
    EXPECT_EQ(message, "HEX line 1: unknown record type 2");
    ReadText(std::string(3000, 'A'), &image, &message);
    EXPECT_EQ(message, "HEX line 1: longer than 2047 characters");
    EXPECT_EQ(ReadHexFile(nullptr, &image, &message), 2);
}
