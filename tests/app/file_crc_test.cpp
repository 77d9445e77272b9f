#include <gtest/gtest.h>

#include <string>

#include "app/file_crc.h"
#include "support/temp_dir.h"

namespace {

// A file whose CRC-32 is 0x352441C2 (positive as signed) and one whose CRC is above 0x7FFFFFFF.
const std::string kAbc = "abc";
const std::string kDigits = "123456789";  // 0xCBF43926, written as -873187034

}  // namespace

TEST(Crc32, StandardCheckValuesAndReflection)
{
    EXPECT_EQ(BufferCRC(kDigits.data(), kDigits.size()), 0xCBF43926u);
    EXPECT_EQ(BufferCRC(kAbc.data(), kAbc.size()), 0x352441C2u);
    EXPECT_EQ(BufferCRC("", 0), 0u);
    EXPECT_EQ(CrcAsSigned(0x352441C2u), 891568578L);
    EXPECT_EQ(CrcAsSigned(0xCBF43926u), -873187034L);

    EXPECT_EQ(Reflect(0x04C11DB7u, 32), 0xEDB88320u);
    EXPECT_EQ(Reflect(0x1u, 8), 0x80u);
    EXPECT_EQ(Reflect(0xDu, 4), 0xBu);
    EXPECT_EQ(Reflect(0xFFFFFF01u, 8), 0x80u);  // only the lowest bits count
}

TEST(Crc32, RunningCrcOverPiecesEqualsWholeAndFileChunksDoNotMatter)
{
    InitializeCRC();
    uint32_t running = PartialCRC(0xFFFFFFFFu, "1234", 4);
    running = PartialCRC(running, "", 0);
    running = PartialCRC(running, "56789", 5);
    EXPECT_EQ(running ^ 0xFFFFFFFFu, 0xCBF43926u);

    TempDir dir;
    std::string big;
    for (unsigned i = 0; i < 300000; ++i) big.push_back(static_cast<char>((i * 7919u) >> 3));
    dir.Write("big.bin", big);
    const uint32_t expected = BufferCRC(big.data(), big.size());
    for (std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{4096}, std::size_t{0x100000}}) {
        uint32_t value = 0;
        ASSERT_EQ(FileCRC(dir / "big.bin", &value, chunk), 1) << chunk;
        EXPECT_EQ(value, expected) << chunk;
    }
    uint32_t value = 0;
    EXPECT_EQ(FileCRC_Default(dir / "big.bin", &value), 1);
    EXPECT_EQ(value, expected);

    dir.Write("empty.bin", "");
    EXPECT_EQ(FileCRC_Default(dir / "empty.bin", &value), 1);
    EXPECT_EQ(value, 0u);
}

TEST(Crc32, UnreadableFilesGiveNoCrc)
{
    TempDir dir;
    dir.Write("a.bin", "abc");
    uint32_t value = 0x12345678u;
    EXPECT_EQ(FileCRC(dir / "missing.bin", &value, 16), 0);
    EXPECT_EQ(FileCRC(dir / "a.bin", &value, 0), 0);
    EXPECT_EQ(FileCRC_Default(dir.path(), &value), 0);  // a folder is not a file
    EXPECT_EQ(value, 0x12345678u);
}

TEST(CrcFile, NameReplacesEverythingFromTheFirstDotOfTheFileName)
{
    EXPECT_EQ(CrcFilePath("/media/usb/prog.v2.bin"), "/media/usb/prog.crc");
    EXPECT_EQ(CrcFilePath("motor.hex"), "motor.crc");
    EXPECT_EQ(CrcFilePath("/media/usb/v1.2/corvan"), "/media/usb/v1.2/corvan.crc");
    EXPECT_EQ(CrcFilePath("./a/b"), "./a/b.crc");
}

TEST(CheckCrc, MatchingFileReturnsItsFieldsAndPrintsThePassLines)
{
    TempDir dir;
    dir.Write("prog.v2.bin", kAbc);
    dir.Write("prog.crc", "891568578 1 3.06 2.6.29.6\n");
    int app = 0;
    float version = 0;
    std::string kernel;
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckCRC(dir / "prog.v2.bin", &app, &version, &kernel), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "0x352441C2 == 0x352441C2 CRC PASSED!\nAppCode = 1 Version = 3.06 Kernel = 2.6.29.6\n");
    EXPECT_EQ(app, 1);
    EXPECT_FLOAT_EQ(version, 3.06f);
    EXPECT_EQ(kernel, "2.6.29.6");

    // Firmware: negative CRC field, no kernel field, kernel not asked for.
    dir.Write("motor.hex", kDigits);
    dir.Write("motor.crc", "-873187034\t2\n1.3");
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckCRC(dir / "motor.hex", &app, &version, nullptr), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "0xCBF43926 == 0xCBF43926 CRC PASSED!\nAppCode = 2 Version = 1.30\n");
    EXPECT_EQ(app, 2);

    // Asked for a kernel the file does not name: empty.
    kernel = "stale";
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckCRC(dir / "motor.hex", &app, &version, &kernel), 1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(kernel, "");

    // The same 32 bits written unsigned are the same CRC.
    dir.Write("motor.crc", "3421780262 2 1.30");
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckCRC(dir / "motor.hex", &app, &version, nullptr), 1);
    testing::internal::GetCapturedStdout();
}

TEST(CheckCrc, MismatchPrintsBothValuesAndFails)
{
    TempDir dir;
    dir.Write("prog.bin", "abd");
    dir.Write("prog.crc", "891568578 1 3.06");
    int app = 7;
    float version = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckCRC(dir / "prog.bin", &app, &version, nullptr), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("!= 0x352441C2 CRC FAILED!\n"), std::string::npos) << out;
    EXPECT_EQ(app, 7);
}

TEST(CheckCrc, BrokenOrMissingCrcFilesFailCleanly)
{
    TempDir dir;
    dir.Write("prog.bin", kAbc);
    const std::string cases[] = {
        "",                                 // empty
        "   \n",                            // only white space
        "891568578",                        // truncated after the CRC
        "891568578 1",                      // truncated before the version
        "crc 1 3.06",                       // junk CRC
        "891568578x 1 3.06",                // junk glued to the CRC
        "891568578 one 3.06",               // junk code
        "891568578 1 v3",                   // junk version
        "891568578 1 nan",                  // not a version
        "99999999999 1 3.06",               // more than 32 bits
        "891568578 1 3.06 " + std::string(300, 'k'),  // kernel longer than the device keeps
        std::string("891568578\0 1 3.06", 17),        // binary junk
    };
    for (const std::string& contents : cases) {
        dir.Write("prog.crc", contents);
        int app = -1;
        float version = -1;
        std::string kernel = "unchanged";
        testing::internal::CaptureStdout();
        EXPECT_EQ(CheckCRC(dir / "prog.bin", &app, &version, &kernel), 0) << contents;
        EXPECT_NE(testing::internal::GetCapturedStdout().find("Cannot read CRC file"), std::string::npos);
        EXPECT_EQ(app, -1);
        EXPECT_EQ(kernel, "unchanged");
    }
    dir.Write("prog.crc", std::string(100000, '1'));  // far too long to be a CRC file
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckCRC(dir / "prog.bin", nullptr, nullptr, nullptr), 0);
    testing::internal::GetCapturedStdout();

    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckCRC(dir / "other.bin", nullptr, nullptr, nullptr), 0);  // no file at all
    dir.Write("lonely.bin", kAbc);
    EXPECT_EQ(CheckCRC(dir / "lonely.bin", nullptr, nullptr, nullptr), 0);  // no CRC file
    testing::internal::GetCapturedStdout();
}

TEST(WriteCrcFile, WritesWhatCheckCrcReadsAndRefusesBadFields)
{
    TempDir dir;
    dir.Write("prog.v2.bin", kAbc);
    std::string error;
    ASSERT_EQ(WriteCrcFile(dir / "prog.v2.bin", CRC_APP_PROGRAM, "3.06", "2.6.29.6", &error), 1) << error;
    EXPECT_EQ(dir.Read("prog.crc"), "891568578 1 3.06 2.6.29.6\n");
    dir.Write("motor.hex", kDigits);
    ASSERT_EQ(WriteCrcFile(dir / "motor.hex", CRC_APP_FIRMWARE, "1.30", "", &error), 1) << error;
    EXPECT_EQ(dir.Read("motor.crc"), "-873187034 2 1.30\n");

    int app = 0;
    float version = 0;
    std::string kernel;
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckCRC(dir / "prog.v2.bin", &app, &version, &kernel), 1);
    EXPECT_EQ(CheckCRC(dir / "motor.hex", &app, &version, &kernel), 1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(app, 2);
    EXPECT_FLOAT_EQ(version, 1.3f);

    EXPECT_EQ(WriteCrcFile(dir / "motor.hex", 2, "new", "", &error), 0);
    EXPECT_NE(error.find("version"), std::string::npos);
    EXPECT_EQ(WriteCrcFile(dir / "motor.hex", 2, "1.3", "two words", &error), 0);
    EXPECT_EQ(WriteCrcFile(dir / "missing.hex", 2, "1.3", "", &error), 0);
    EXPECT_EQ(dir.Read("motor.crc"), "-873187034 2 1.30\n");  // untouched by the refusals
    // A file already named .crc must not be overwritten with its own CRC.
    dir.Write("x.crc", "keep");
    EXPECT_EQ(WriteCrcFile(dir / "x.crc", 2, "1.3", "", &error), 0);
    EXPECT_EQ(dir.Read("x.crc"), "keep");
}
