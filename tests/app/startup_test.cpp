// Start-up pieces that need no display.
#include <gtest/gtest.h>
#include <signal.h>

#include "app/startup.h"
#include "base/status_bar.h"
#include "machine/serial.h"
#include "support/pty_pair.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

TEST(Startup, FirstArgumentChoosesTheSerialDevice)
{
    char prog[] = "corvan", one[] = "1", oneMore[] = "15", two[] = "2x", x[] = "x", empty[] = "";
    char* none[] = {prog, nullptr};
    EXPECT_EQ(CheckSwitchingData(1, none), 1);
    for (auto [arg, expected] : {std::pair<char*, int>{one, 1}, {oneMore, 1}, {two, 2}, {x, 0},
                                 {empty, 0}}) {
        char* argv[] = {prog, arg, nullptr};
        EXPECT_EQ(CheckSwitchingData(2, argv), expected) << '"' << arg << '"';
        EXPECT_EQ(spNumber, expected);
    }
}

TEST(Startup, StatusBarKeepsAtMost49Characters)
{
    SetStatusBar("Drag To Pan");
    EXPECT_EQ(statusBar, "Drag To Pan");
    std::string longText(60, 'a');
    SetStatusBar(longText.c_str());
    EXPECT_EQ(statusBar, std::string(49, 'a'));
    SetStatusBar();
    EXPECT_EQ(statusBar, "");
}

TEST(Startup, KernelReleaseAndBoardFromProcVersion)
{
    TempDir dir;
    std::string version = "old", board = "old";
    testing::internal::CaptureStdout();
    EXPECT_EQ(GetKernel(&version, &board), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "version == NULL\n");

    dir.Write("proc/version", "Linux version 2.6.29_qbot (gcc version 4.3.2) #12 PREEMPT\nsecond");
    EXPECT_EQ(GetKernel(&version, &board), 0);
    EXPECT_EQ(version, "2.6.29");
    EXPECT_EQ(board, "qbot");
    EXPECT_EQ(GetKernel(&version, nullptr), 0);

    dir.Write("proc/version", "Linux version 2.6.32_rc1_mini2440 (x)\n");
    GetKernel(&version, &board);
    EXPECT_EQ(version, "2.6.32_rc1");
    EXPECT_EQ(board, "mini2440");

    board = "kept";
    dir.Write("proc/version", "Linux version 10.4.1-amd64 (debian)\n");
    GetKernel(&version, &board);
    EXPECT_EQ(version, "10.4.1-amd64");
    EXPECT_EQ(board, "kept");

    dir.Write("proc/version", std::string(500, 'z') + ".1_b\n");  // dot beyond the 127 bytes read
    EXPECT_EQ(GetKernel(&version, &board), 0);
    EXPECT_EQ(version, "");
}

TEST(Startup, PowerSignalIsIgnoredWithAConsoleLine)
{
    SetSignals();
    testing::internal::CaptureStdout();
    raise(SIGPWR);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "no function\n");
}

TEST(Startup, InitThreadsOpensAndEmptiesThePortOrRunsOnWithoutIt)
{
    {
        PtyPair pty;
        EXPECT_EQ(InitThreads(), 0);
        EXPECT_GE(sp, 0);
    }
    TempDir dir;
    std::string missing = dir / "gone";
    setenv("CORVAN_SERIAL", missing.c_str(), 1);
    ScriptedUi ui;
    ui.Expect("UNABLE TO OPEN SERIAL PORT: " + missing, RESPONSE_CLOSE);
    testing::internal::CaptureStdout();
    EXPECT_EQ(InitThreads(), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_LT(sp, 0);
    unsetenv("CORVAN_SERIAL");
}
