// Updates from a fake USB stick in a private sysroot, with real cp, tar and sh; the user
// scripted, exits recorded.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/file_crc.h"
#include "app/software_update.h"
#include "base/process_run.h"
#include "base/screen_config.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

struct UpdateTest : ::testing::Test {
    void SetUp() override
    {
        processHooks.exitProgram = [this](int status) { exits.push_back(status); };
        processHooks.syncFileSystems = [] {};
        icon_style = 0;
        dir.Write("media/mmc0/Corvan/corvan", "the old program");
        dir.Write("proc/version", "Linux version 2.6.29.6_b (gcc 4.3) #1 PREEMPT\n");
        dir.Write("system", "SYSTEM UPDATED\n");
        dir.Write("images/keep.png", "kept");
        testing::internal::CaptureStdout();
    }
    void TearDown() override
    {
        const std::string out = testing::internal::GetCapturedStdout();  // shown on failure
        if (HasFailure()) std::fputs(out.c_str(), stderr);
        ResetProcessHooks();
    }
    // Puts `bytes` at media/usb/`rel` with a CRC file of these fields after the CRC.
    std::string OnStick(const std::string& rel, const std::string& bytes, const std::string& fields)
    {
        const std::string path = "media/usb/" + rel;
        dir.Write(path, bytes);
        dir.Write(CrcFilePath(path), std::to_string(CrcAsSigned(BufferCRC(bytes.data(), bytes.size()))) +
                                         " " + fields + "\n");
        return dir / path;
    }
    // The installation as it must be after anything that is refused or fails.
    void ExpectUntouched(const std::string& what)
    {
        EXPECT_EQ(dir.Read("media/mmc0/Corvan/corvan"), "the old program") << what;
        EXPECT_EQ(dir.Read("system"), "SYSTEM UPDATED\n") << what;
        EXPECT_FALSE(dir.Exists("update")) << what;
        EXPECT_TRUE(exits.empty()) << what;
    }
    TempDir dir;
    ScriptedUi ui;
    std::vector<int> exits;
};

}  // namespace

// Names that a shell would take apart install as they are, and the finishing start runs the
// commands left behind without running anything hidden in the names.
TEST_F(UpdateTest, ProgramInstallsAndTheNextStartFinishesItWhateverTheNames)
{
    // The first program replaced is running (no "text file busy").
    const std::string installed = dir / "media/mmc0/Corvan/corvan";
    ASSERT_EQ(unlink(installed.c_str()), 0);
    ASSERT_EQ(system(("cp /bin/sleep '" + installed + "'").c_str()), 0);
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(installed.c_str()), const_cast<char*>("60"), nullptr};
    ASSERT_EQ(posix_spawn(&pid, installed.c_str(), nullptr, nullptr, argv, environ), 0);
    const std::vector<std::string> names = {"a b;touch X", "$(touch X)", "q\"t", "it's"};
    const char* extras[] = {"gtkrc_5", "screen.conf", "images/Up_5.png"};
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& n = names[i];
        const std::string program = "new program " + n;
        // No kernel field on the first (runs anywhere), the running one on the others.
        const std::string path = OnStick(n + "/" + n + ".v2.bin", program, i == 0 ? "1 3.1" : "1 3.1 2.6.29.6");
        for (const char* e : extras) dir.Write("media/usb/" + n + "/" + e, e + n);
        const std::string old = i == 0 ? dir.Read("media/mmc0/Corvan/corvan") : "the old program";
        dir.Write("media/mmc0/Corvan/corvan", old);
        dir.Write("system", "old status");
        exits.clear();

        ui.Choose(path)
            .Expect("UPDATE THE REMOTE WITH " + path + " version 3.10?", RESPONSE_YES)
            .Expect("FILE COPIED.\nTHE PROGRAM WILL NOW RESTART", RESPONSE_OK);
        ASSERT_EQ(UpdateProgram(), 1) << n;
        if (i == 0) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
        EXPECT_EQ(exits, std::vector<int>{0});
        EXPECT_EQ(dir.Read("media/mmc0/Corvan/corvan"), program);
        EXPECT_EQ(dir.Read("media/mmc0/Corvan/backup/version_3_06"), old);
        struct stat st;
        ASSERT_EQ(stat(installed.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0755u);
        EXPECT_FALSE(dir.Exists("system"));
        if (n == "it's") {
            const std::string f = dir / "media/usb/it'\\''s/";
            EXPECT_EQ(dir.Read("update"), dir / "media/usb/it's/it's.crc\n" + "cp '" + f + "gtkrc_5' ./\n" +
                                              "cp '" + f + "screen.conf' ./\n" + "cp '" + f + "images'/* ./images\n");
        }

        ui.Expect("SYSTEM UPDATE SUCCESSFUL", RESPONSE_OK);
        EXPECT_EQ(CheckUpdate(), 0);
        EXPECT_EQ(exits, (std::vector<int>{0, 1}));
        EXPECT_EQ(dir.Read("system"), "SYSTEM UPDATED\nCRC Check: " +
                                          std::to_string(CrcAsSigned(BufferCRC(program.data(), program.size()))) +
                                          "\nVersion: 3.100\n");
        for (const char* e : extras) EXPECT_EQ(dir.Read(e), e + n);
        EXPECT_FALSE(dir.Exists("X")) << n;
    }
}

TEST_F(UpdateTest, RefusedFilesAndAnswersChangeNothing)
{
    const std::string good = OnStick("good.bin", "good", "1 3.2");
    const struct {
        std::string path, message;
    } cases[] = {
        {OnStick("mismatch.bin", "bytes", "1 3.2"), "COULD NOT VALIDATE FILE"},
        {OnStick("firmware.bin", "fw", "2 1.3"), "THE SELECTED FILE IS NOT VALID"},
        {OnStick("garbled.bin", "g", "one two three"), "COULD NOT VALIDATE FILE"},
        {OnStick("long.bin", "l", "1 3.2 " + std::string(300, 'k')), "COULD NOT VALIDATE FILE"},
        {OnStick("old.bin", "o", "1 3.2 2.6.18.2"), "OPERATING SYSTEM IS NOT COMPATABLE\nSystem: 2.6.29.6 CRC: 2.6.18.2"},
        {OnStick("line\nend.bin", "n", "1 3.2"), "COULD NOT VALIDATE FILE"},
        {dir / "media/usb/pulled.bin", "COULD NOT VALIDATE FILE"},
        {dir / "media/usb", "YOU SELECTED A DIRECTORY.\nABORTING PROCEDURE."},
    };
    dir.Write("media/usb/mismatch.bin", "other bytes");
    for (const auto& c : cases) {
        ui.Choose(c.path).Expect(c.message, RESPONSE_OK);
        EXPECT_EQ(UpdateProgram(), 0) << c.path;
        ExpectUntouched(c.path);
    }
    ui.Choose("").Choose(good).ExpectContaining("UPDATE THE REMOTE WITH", RESPONSE_NO);
    EXPECT_EQ(UpdateProgram() + UpdateProgram(), 0);
    ExpectUntouched("answered No");
    EXPECT_FALSE(dir.Exists("media/mmc0/Corvan/backup"));
}

TEST_F(UpdateTest, FailedCopiesLeaveTheProgramAndTheStatusAsTheyWere)
{
    const std::string path = OnStick("big.bin", std::string(64 * 1024, 'n'), "1 3.2");
    const std::string installed = dir / "media/mmc0/Corvan/corvan", moved = dir / "program";
    auto attempt = [&](const std::string& what) {
        ui.Choose(path).ExpectContaining("UPDATE THE REMOTE", RESPONSE_YES).Expect("COPY FAILED", RESPONSE_OK);
        EXPECT_EQ(UpdateProgram(), 0) << what;
        EXPECT_FALSE(dir.Exists("update")) << what;
        EXPECT_EQ(dir.Read("system"), "SYSTEM UPDATED\n") << what;
    };
    // No file as large as the new program fits: the backup does, the program does not.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const struct rlimit small = {16 * 1024, old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    attempt("file size limit");
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);
    ExpectUntouched("file size limit");
    ASSERT_TRUE(rename(installed.c_str(), moved.c_str()) == 0 && mkdir(installed.c_str(), 0755) == 0);
    attempt("a folder at the program's path");
    ASSERT_TRUE(rmdir(installed.c_str()) == 0 && rename(moved.c_str(), installed.c_str()) == 0);
    ASSERT_EQ(system(("rm -r '" + (dir / "media/mmc0/Corvan/backup") + "'").c_str()), 0);
    dir.Write("media/mmc0/Corvan/backup", "a file where the backup folder goes");
    attempt("backup is a file");
    ExpectUntouched("backup is a file");
    ASSERT_EQ(system(("rm -r '" + (dir / "media/mmc0") + "'").c_str()), 0);
    attempt("no install folder");
}

TEST_F(UpdateTest, FinishingStartRunsTheLinesItMayAndRecordsTheOutcome)
{
    unlink((dir / "system").c_str());
    ui.ExpectContaining("USB DRIVE NOT DETECTED", RESPONSE_OK);
    EXPECT_EQ(CheckUpdate(), 1);
    EXPECT_EQ(dir.Read("system"), "UPDATE CANCELED");

    OnStick("p.bin", "p", "1 3.25");
    dir.Write("media/usb/old name.txt", "old");
    auto start = [&](const std::string& update) {
        unlink((dir / "system").c_str());
        dir.Write("update", update);
        exits.clear();
        return CheckUpdate();
    };
    ui.Expect("SYSTEM UPDATED WITH POSSIBLE ERRORS", RESPONSE_OK);
    EXPECT_EQ(start(""), 0);
    EXPECT_EQ(exits, std::vector<int>{1});
    EXPECT_EQ(dir.Read("system"), "System Updated With Possible Errors");

    // CRLF line ends, a line too long (run whole it would make LONG, cut it would make TAIL),
    // a NUL, an old unquoted copy, and a last line without its line end.
    std::string longLine = "touch LONG; true";
    longLine += std::string(kUpdateLineMax - longLine.size(), ' ') + "touch TAIL";
    ui.Expect("SYSTEM UPDATE SUCCESSFUL", RESPONSE_OK);
    EXPECT_EQ(start(dir / "media/usb/p.crc\r\necho 1 >> order\r\n" + longLine + "\n" +
                    std::string("touch N\0UL\n", 11) + "cp " + dir / "media/usb/old\\ name.txt ./\n" +
                    "echo 2 >> order"),
              0);
    EXPECT_EQ(exits, std::vector<int>{1});
    EXPECT_EQ(dir.Read("order"), "1\n2\n");
    EXPECT_EQ(dir.Read("old name.txt"), "old");
    EXPECT_FALSE(dir.Exists("LONG") || dir.Exists("TAIL") || dir.Exists("N"));
    EXPECT_EQ(dir.Read("system").substr(0, 26), "SYSTEM UPDATED\nCRC Check: ");

    ui.Expect("SYSTEM UPDATED WITH POSSIBLE ERRORS", RESPONSE_OK);
    EXPECT_EQ(start(dir / "media/usb/p.crc\nexit 3\n"), 0);
    EXPECT_EQ(dir.Read("system"), "System Updated With Possible Errors");

    ui.Expect("INVALID CRC FILE", RESPONSE_OK);
    EXPECT_EQ(start(dir / "media/usb/gone.crc\n"), 1);
    EXPECT_TRUE(exits.empty());
    EXPECT_EQ(dir.Read("system"), "CRC INVALID");

    // ./system cannot be made: the start goes on instead of exiting into the same update.
    unlink((dir / "system").c_str());
    dir.Write("regular", "");
    ASSERT_EQ(symlink("regular/system", (dir / "system").c_str()), 0);
    dir.Write("update", dir / "media/usb/p.crc\n");
    EXPECT_EQ(CheckUpdate(), 1);
    EXPECT_TRUE(exits.empty());

    // ./update lost: the quilter chooses the program again.
    ASSERT_TRUE(unlink((dir / "system").c_str()) == 0 && unlink((dir / "update").c_str()) == 0);
    ui.ExpectContaining("RESELECT", RESPONSE_OK).Choose(dir / "media/usb/p.bin").Expect("SYSTEM UPDATE SUCCESSFUL", RESPONSE_OK);
    EXPECT_EQ(CheckUpdate(), 0);
    EXPECT_NE(dir.Read("system").find("\nVersion: 3.250\n"), std::string::npos) << dir.Read("system");
}

// A gzip'd tar at media/usb/`folder`/qcc_update.tar.gz holding one file.
static void Pack(const TempDir& dir, const std::string& folder, const std::string& name, const std::string& text)
{
    dir.Write("stage/" + folder + "/" + name, text);
    const std::string archive = "media/usb/" + folder + "/qcc_update.tar.gz";
    dir.Write(archive, "");
    int status = -1;
    ASSERT_TRUE(RunArgv({"tar", "-czf", dir / archive, "-C", dir / ("stage/" + folder), name}, &status));
    ASSERT_EQ(status, 0);
}

TEST_F(UpdateTest, SystemPackageIsFoundUnpackedFreshAndItsScriptRunOnlyWhenWhole)
{
    const std::string script = "qcc_update.sh";
    Pack(dir, ".hidden", script, "echo hidden >> ran\n");
    Pack(dir, "x/y", script, "echo nested >> ran\n");
    dir.Write("media/usb/a/qcc_update.tar.gz.old", "");
    // A link where the unpack folder goes is removed, not followed.
    dir.Write("elsewhere/precious", "kept");
    ASSERT_EQ(mkdir((dir / "tmp").c_str(), 0755), 0);
    ASSERT_EQ(symlink((dir / "elsewhere").c_str(), (dir / "tmp/softupdate").c_str()), 0);
    ui.Expect("UPDATE FILE FOUND:\n" + dir / "media/usb/x/y/qcc_update.tar.gz\nPROCEED WITH UPDATE?", RESPONSE_OK);
    EXPECT_EQ(UpdateSystem(), 1);
    EXPECT_EQ(dir.Read("ran"), "nested\n");
    EXPECT_EQ(dir.Read("elsewhere/precious"), "kept");

    // A damaged package after a good one: the script still unpacked from before never runs.
    dir.Write("media/usb/x/y/qcc_update.tar.gz", "not gzip at all");
    ui.ExpectContaining("PROCEED", RESPONSE_OK).Expect("THE UPDATE FILE IS DAMAGED", RESPONSE_OK);
    EXPECT_EQ(UpdateSystem(), 0);
    Pack(dir, "x/y", "readme", "no script");
    ui.ExpectContaining("PROCEED", RESPONSE_OK).Expect("THE UPDATE FILE HOLDS NO UPDATE SCRIPT", RESPONSE_OK);
    EXPECT_EQ(UpdateSystem(), 0);
    Pack(dir, "x/y", script, "echo failing >> ran; exit 3\n");
    ui.ExpectContaining("PROCEED", RESPONSE_OK).Expect("UPDATE SCRIPT FAILED\nError:3", RESPONSE_OK);
    EXPECT_EQ(UpdateSystem(), 0);
    EXPECT_EQ(dir.Read("ran"), "nested\nfailing\n");

    ASSERT_EQ(system(("rm -r '" + (dir / "media/usb/x") + "'").c_str()), 0);
    ui.Expect("UPDATE FILE NOT FOUND ON USB DRIVE\n", RESPONSE_OK);
    EXPECT_EQ(UpdateSystem(), 0);
}
