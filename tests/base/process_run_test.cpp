#include <gtest/gtest.h>

#include <string>

#include "base/process_run.h"
#include "support/temp_dir.h"

TEST(RunArgv, ArgumentsArriveVerbatimAndNoShellRuns)
{
    TempDir dir;
    // Shell syntax in an argument is only bytes: nothing may be created by it.
    const std::string hostile = "it's \"quoted\"; touch semicolon; $(touch X) `touch Y`\n|&";
    int status = -1;
    ASSERT_TRUE(RunArgv({"sh", "-c", "printf '%s' \"$1\" > out.txt", "sh", hostile}, &status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(dir.Read("out.txt"), hostile);
    ASSERT_TRUE(RunArgv({"touch", hostile}, &status));
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(dir.Exists(hostile));
    for (const char* name : {"X", "Y", "semicolon"})
        EXPECT_FALSE(dir.Exists(name)) << name;
}

TEST(RunArgv, ExitStatusIsToldFromAFailedStart)
{
    int status = 99;
    ASSERT_TRUE(RunArgv({"sh", "-c", "exit 7"}, &status));
    EXPECT_EQ(status, 7);
    ASSERT_TRUE(RunArgv({"false"}, &status));
    EXPECT_EQ(status, 1);
    ASSERT_TRUE(RunArgv({"sh", "-c", "kill -TERM $$"}, &status));
    EXPECT_EQ(status, 128 + 15);

    EXPECT_FALSE(RunArgv({"/no/such/program"}, &status));
    EXPECT_EQ(status, -1);
    EXPECT_FALSE(RunArgv({"corvan-no-such-program-on-the-path"}, &status));
    EXPECT_EQ(status, -1);
    EXPECT_FALSE(RunArgv({}, &status));
}
