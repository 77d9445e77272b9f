// The settings file's records and the loading rules at start-up.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "base/settings.h"
#include "app/settings_load.h"
#include "support/settings_kept.h"
#include "support/temp_dir.h"

namespace {

std::string Word(uint32_t w)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[i] = static_cast<char>((w >> (8 * i)) & 0xFF);
    return s;
}
std::string IntWord(int32_t v) { return Word(static_cast<uint32_t>(v)); }
std::string FloatWord(float f)
{
    uint32_t w;
    std::memcpy(&w, &f, 4);
    return Word(w);
}
const uint32_t kNaNBits = 0x7FC00001;

// Record n of a settings file's bytes, as an int or a float.
int32_t IntAt(const std::string& file, int n)
{
    uint32_t w = 0;
    for (int i = 3; i >= 0; --i)
        w = w << 8 | static_cast<unsigned char>(file.at(4 * n + i));
    return static_cast<int32_t>(w);
}
float FloatAt(const std::string& file, int n)
{
    int32_t w = IntAt(file, n);
    float f;
    std::memcpy(&f, &w, 4);
    return f;
}

// The first-start file as it must come out, record by record.
std::string FirstStartFile()
{
    return IntWord(4) + IntWord(100) + IntWord(5) + IntWord(40) + IntWord(30) + IntWord(8) +
           IntWord(30) + IntWord(8) + IntWord(40) + IntWord(40) + IntWord(100) + FloatWord(0) +
           FloatWord(0) + FloatWord(0) + FloatWord(40) + FloatWord(40) + IntWord(60) +
           FloatWord(0.1f) + IntWord(0) + IntWord(1) + FloatWord(100) + FloatWord(1000) +
           FloatWord(100) + FloatWord(1000) + IntWord(0) + IntWord(0);
}

SettingsSource LoadQuietly()
{
    testing::internal::CaptureStdout();
    SettingsSource s = LoadSettings();
    testing::internal::GetCapturedStdout();
    return s;
}

}  // namespace

TEST(SettingsFile, RecordsAreLittleEndianWordsAtFourTimesTheirNumber)
{
    TempDir dir;
    ASSERT_EQ(WriteDefaultInt(REC_SPEED, 0x01020304), 1);
    // Created, with the records before it filled by zero words.
    EXPECT_EQ(dir.Read("defaults.mrv"), std::string(12, '\0') + "\x04\x03\x02\x01");
    ASSERT_EQ(WriteDefaultFloat(REC_STITCH_REP, -2.5f), 1);
    EXPECT_EQ(dir.Read("defaults.mrv").substr(0, 4), FloatWord(-2.5f));
    EXPECT_EQ(dir.Read("defaults.mrv").size(), 16u);

    int i = 0;
    float f = 0;
    EXPECT_EQ(ReadDefaultInt(REC_SPEED, &i), 1);
    EXPECT_EQ(i, 0x01020304);
    EXPECT_EQ(ReadDefaultFloat(REC_STITCH_REP, &f), 1);
    EXPECT_EQ(f, -2.5f);
    ASSERT_EQ(WriteDefaultInt(REC_TOUT, -7), 1);
    EXPECT_EQ(ReadDefaultInt(REC_TOUT, &i), 1);
    EXPECT_EQ(i, -7);
    EXPECT_EQ(dir.Read("defaults.mrv").size(), 16u);  // rewriting in place does not grow it
}

TEST(SettingsFile, MissingRecordsLeaveTheValueAlone)
{
    TempDir dir;
    int i = 55;
    float f = 5.5f;
    EXPECT_EQ(ReadDefaultInt(0, &i), 0);  // no file at all
    EXPECT_EQ(i, 55);

    // 45 bytes: records 0 to 10 are whole, record 11 is not.
    dir.Write("defaults.mrv", std::string(44, '\x01') + "\x02");
    EXPECT_EQ(ReadDefaultInt(10, &i), 1);
    EXPECT_EQ(i, 0x01010101);
    EXPECT_EQ(ReadDefaultFloat(11, &f), 0);
    EXPECT_EQ(f, 5.5f);
    // Writing record 11 takes over the stray byte.
    EXPECT_EQ(WriteDefaultFloat(11, 1.0f), 1);
    EXPECT_EQ(dir.Read("defaults.mrv").size(), 48u);
    EXPECT_EQ(ReadDefaultFloat(11, &f), 1);
    EXPECT_EQ(f, 1.0f);
}

TEST(SettingsFile, RefusesRecordsOutsideTheFileAndUnwritableFiles)
{
    TempDir dir;
    int i = 3;
    for (int record : {-1, int{SETTINGS_RECORD_COUNT}, INT_MAX, INT_MIN}) {
        EXPECT_EQ(WriteDefaultInt(record, 1), 0) << record;
        EXPECT_EQ(WriteDefaultFloat(record, 1.0f), 0) << record;
        EXPECT_EQ(ReadDefaultInt(record, &i), 0) << record;
    }
    EXPECT_FALSE(dir.Exists("defaults.mrv"));
    EXPECT_EQ(i, 3);

    dir.Write("defaults.mrv/blocker", "");  // a folder where the file should be
    EXPECT_EQ(WriteDefaultInt(0, 1), 0);
    EXPECT_EQ(ReadDefaultInt(0, &i), 0);
}

TEST(SettingsLoad, FirstStartWritesTheDefaultsFile)
{
    TempDir dir;
    SettingsKept kept;
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadSettings(), SettingsSource::Defaults);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Communications With MC1 Failed. Default File Not Present. Setting Defaults...");
    EXPECT_EQ(dir.Read("defaults.mrv"), FirstStartFile());
    EXPECT_EQ(speed, 40);
    EXPECT_EQ(maxSpeed, 40.0f);
    EXPECT_EQ(minimumSpeed, 2);
    EXPECT_FLOAT_EQ(minSpeed, 10.0f / 3.0f);
    EXPECT_EQ(slow, 5.0f);
    EXPECT_EQ(stitchRep, 4);
    EXPECT_EQ(needleUpTime, 1000.0f);
    EXPECT_EQ(moveIncrement, 0.1f);

    // The next start reads back what the first wrote.
    XKp = speed = 0;
    EXPECT_EQ(LoadQuietly(), SettingsSource::File);
    EXPECT_EQ(speed, 40);
    EXPECT_EQ(XKp, 30);
    EXPECT_EQ(leadLineSpeed, 60);
    EXPECT_EQ(stitchRegTime, 1000.0f);
    EXPECT_EQ(dir.Read("defaults.mrv"), FirstStartFile());
}

TEST(SettingsLoad, ShortFileIsCompletedOnDiskForTheNextStart)
{
    TempDir dir;
    SettingsKept kept;
    std::string first11;
    for (int v : {3, 90, 12, 55, 31, 9, 32, 10, 41, 42, 101})
        first11 += IntWord(v);
    dir.Write("defaults.mrv", first11);

    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadSettings(), SettingsSource::File);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Communications With MC1 Failed. Retrieve From File...");

    EXPECT_EQ(stitchRep, 3);
    EXPECT_EQ(speed, 55);
    EXPECT_EQ(Err, 101);
    EXPECT_EQ(maxSpeed, 55.0f);
    // Records 11 to 25 run with their starting values, after the rules.
    EXPECT_EQ(acceleration, 40.0f);
    EXPECT_EQ(leadLineSpeed, 60);
    EXPECT_EQ(moveIncrement, 0.1f);
    EXPECT_EQ(needleUpPress, 0.0f);
    EXPECT_EQ(needleUpTime, 100.0f);
    EXPECT_EQ(stitchRegTime, 100.0f);
    EXPECT_EQ(needleUpConfirm, 1);

    // ... while the file now holds the values for missing records.
    std::string file = dir.Read("defaults.mrv");
    ASSERT_EQ(file.size(), 104u);
    EXPECT_EQ(file.substr(0, 44), first11);
    EXPECT_EQ(IntAt(file, REC_LEAD_LINE_SPEED), 80);
    EXPECT_EQ(FloatAt(file, REC_MOVE_INCREMENT), 0.0625f);
    EXPECT_EQ(FloatAt(file, REC_NEEDLE_UP_PRESS), 50.0f);
    EXPECT_EQ(FloatAt(file, REC_STITCH_REG_TIME), 1000.0f);
    EXPECT_EQ(IntAt(file, REC_NEEDLE_UP_CONFIRM), 1);
    EXPECT_EQ(FloatAt(file, REC_ACCELERATION), 40.0f);
}

TEST(SettingsLoad, EmptyOrOddLengthFilesUseTheMissingRecordValues)
{
    {
        TempDir dir;
    SettingsKept kept;
        dir.Write("defaults.mrv", "");
        EXPECT_EQ(LoadQuietly(), SettingsSource::File);
        std::string file = dir.Read("defaults.mrv");
        ASSERT_EQ(file.size(), 104u);
        EXPECT_EQ(IntAt(file, REC_STITCH_REP), 2);
        EXPECT_EQ(IntAt(file, REC_TOUT), 5);
        EXPECT_EQ(IntAt(file, REC_SPEED), 50);
        EXPECT_EQ(IntAt(file, REC_XKD), 300);
        EXPECT_EQ(IntAt(file, REC_ERR), 6);
        EXPECT_EQ(speed, 0);  // the starting value, this run only
    }
    {
        TempDir dir;
        dir.Write("defaults.mrv", IntWord(7) + "\x01\x02");  // six bytes
        EXPECT_EQ(LoadQuietly(), SettingsSource::File);
        EXPECT_EQ(stitchRep, 7);
        EXPECT_EQ(TOut, 0);
        std::string file = dir.Read("defaults.mrv");
        ASSERT_EQ(file.size(), 104u);
        EXPECT_EQ(IntAt(file, REC_TOUT), 5);
    }
}

TEST(SettingsLoad, RangeRulesClampAbsurdValuesButNotTheIntegerRecords)
{
    TempDir dir;
    SettingsKept kept;
    std::string file = FirstStartFile();
    auto put = [&](int record, const std::string& word) { file.replace(4 * record, 4, word); };
    put(REC_SPEED, IntWord(-5));
    put(REC_XKP, IntWord(INT_MAX));
    put(REC_X_MARGIN, FloatWord(-20));
    put(REC_JUMP_STITCH, FloatWord(500));
    put(REC_ACCELERATION, FloatWord(1));
    put(REC_CURVATURE, FloatWord(std::numeric_limits<float>::infinity()));
    put(REC_LEAD_LINE_SPEED, IntWord(1000));
    put(REC_MOVE_INCREMENT, FloatWord(0.001f));
    put(REC_NEEDLE_UP_METHOD, IntWord(12));
    put(REC_NEEDLE_UP_CONFIRM, IntWord(2));
    put(REC_NEEDLE_UP_PRESS, FloatWord(10001));
    put(REC_NEEDLE_UP_TIME, FloatWord(50));
    put(REC_STITCH_REG_PRESS, FloatWord(-1));
    put(REC_STITCH_REG_TIME, FloatWord(20000));
    put(REC_STITCH_BUTTONS_ON, IntWord(-1));
    put(REC_SHOW_ADVANCED_FEATURES, IntWord(3));
    dir.Write("defaults.mrv", file);

    LoadQuietly();
    EXPECT_EQ(speed, -5);
    EXPECT_EQ(maxSpeed, -5.0f);
    EXPECT_EQ(XKp, INT_MAX);
    EXPECT_EQ(xMargin, -10.0f);
    EXPECT_EQ(jumpStitch, 200.0f);
    EXPECT_EQ(acceleration, 5.0f);
    EXPECT_EQ(curvature, 100.0f);
    EXPECT_EQ(leadLineSpeed, 100);
    EXPECT_EQ(moveIncrement, 0.015f);
    EXPECT_EQ(needleUpMethod, 0);
    EXPECT_EQ(needleUpConfirm, 1);
    EXPECT_EQ(needleUpPress, 100.0f);
    EXPECT_EQ(needleUpTime, 100.0f);  // not 1000
    EXPECT_EQ(stitchRegPress, 100.0f);
    EXPECT_EQ(stitchRegTime, 100.0f);
    EXPECT_EQ(stitchButtonsOn, 0);
    EXPECT_EQ(showAdvancedFeatures, 0);
    EXPECT_EQ(dir.Read("defaults.mrv"), file);  // corrections are not written back

    // The other ends of the ranges.
    xMargin = 11;
    jumpStitch = -1;
    acceleration = 101;
    curvature = 4;
    leadLineSpeed = 9;
    moveIncrement = 121;
    yMargin = -1000;  // no rule
    ApplySettingsRules();
    EXPECT_EQ(xMargin, 10.0f);
    EXPECT_EQ(jumpStitch, 0.0f);
    EXPECT_EQ(acceleration, 100.0f);
    EXPECT_EQ(curvature, 5.0f);
    EXPECT_EQ(leadLineSpeed, 10);
    EXPECT_EQ(moveIncrement, 120.0f);
    EXPECT_EQ(yMargin, -1000.0f);
}

TEST(SettingsLoad, NotANumberGetsItsFallbackAndStaysInTheFile)
{
    TempDir dir;
    SettingsKept kept;
    std::string file = FirstStartFile();
    for (SettingsRecord record : {REC_X_MARGIN, REC_Y_MARGIN, REC_JUMP_STITCH, REC_ACCELERATION, REC_CURVATURE,
                       REC_MOVE_INCREMENT, REC_NEEDLE_UP_PRESS, REC_NEEDLE_UP_TIME,
                       REC_STITCH_REG_PRESS, REC_STITCH_REG_TIME})
        file.replace(4 * record, 4, Word(kNaNBits));
    dir.Write("defaults.mrv", file);
    slow = std::nanf("");

    LoadQuietly();
    EXPECT_EQ(xMargin, 0.0f);
    EXPECT_EQ(yMargin, 0.0f);
    EXPECT_EQ(jumpStitch, 0.0f);
    EXPECT_EQ(acceleration, 40.0f);
    EXPECT_EQ(curvature, 40.0f);
    EXPECT_EQ(moveIncrement, 0.0625f);
    EXPECT_EQ(needleUpPress, 100.0f);
    EXPECT_EQ(needleUpTime, 1000.0f);  // not the range rule's 100
    EXPECT_EQ(stitchRegPress, 100.0f);
    EXPECT_EQ(stitchRegTime, 1000.0f);
    EXPECT_EQ(slow, 5.0f);
    EXPECT_EQ(dir.Read("defaults.mrv"), file);
}
