// corvan-tool crc and flash as a technician runs them: the real executable, its output and
// its exit status; flash against mc1sim.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/hex_records.h"
#include "support/sim_controller.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

struct ToolRun {
    int status = -1;
    std::string output;  // standard output and standard error together
};

ToolRun Tool(std::vector<std::string> args)
{
    args.insert(args.begin(), std::string(CORVAN_BINARY_DIR) + "/corvan-tool");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);

    ToolRun run;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    char buf[512];
    ssize_t n;
    while ((n = read(pipeFds[0], buf, sizeof buf)) > 0) run.output.append(buf, static_cast<size_t>(n));
    close(pipeFds[0]);
    int wstatus = 0;
    if (spawned == 0 && waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) run.status = WEXITSTATUS(wstatus);
    return run;
}

bool Has(const ToolRun& run, const std::string& text) { return run.output.find(text) != std::string::npos; }

}  // namespace

TEST(ToolCrc, PrintsTheCrcAndWritesTheCrcFileTheUpdateReads)
{
    TempDir dir;
    dir.Write("prog.v2.bin", "abc");
    ToolRun run = Tool({"crc", dir / "prog.v2.bin"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "0x352441C2 891568578\n");
    EXPECT_FALSE(dir.Exists("prog.crc"));

    run = Tool({"crc", dir / "prog.v2.bin", "--app", "1", "--version", "3.06", "--kernel", "2.6.29.6"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(dir.Read("prog.crc"), "891568578 1 3.06 2.6.29.6\n");

    // Refusals leave the CRC file alone and say why.
    const std::vector<std::vector<std::string>> bad = {
        {"crc"},
        {"crc", dir / "prog.v2.bin", "--app", "3", "--version", "1"},
        {"crc", dir / "prog.v2.bin", "--app", "1"},
        {"crc", dir / "prog.v2.bin", "--version", "1"},
        {"crc", dir / "prog.v2.bin", "--app", "1", "--version", "new"},
        {"crc", dir / "prog.v2.bin", "--app"},
        {"crc", dir / "prog.v2.bin", "--bogus"},
    };
    for (const auto& args : bad) {
        run = Tool(args);
        EXPECT_EQ(run.status, 2) << args.size() << run.output;
        EXPECT_TRUE(Has(run, "usage: corvan-tool crc ")) << run.output;
    }
    EXPECT_EQ(dir.Read("prog.crc"), "891568578 1 3.06 2.6.29.6\n");
    run = Tool({"crc", dir / "missing.bin"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run, "cannot read"));
}

TEST(ToolFlash, UploadsToTheSimulatorAndExitsWithTheResultCode)
{
    TempDir dir;
    SimController sim;
    ASSERT_TRUE(sim.ok()) << sim.problem();

    dir.Write("motor.hex", HexRecord(0, 0x100, Bytes({0x11, 0x22, 0x33, 0})) + HexEnd());
    ToolRun run = Tool({"flash", dir / "motor.hex", "--device", sim.ttyPath()});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Has(run, "upload complete (0)")) << run.output;
    sim.NewJournal();
    const std::string image = sim.Control("image");
    EXPECT_NE(image.find("\"0x000080\":\"112233ffffff"), std::string::npos) << image;
    EXPECT_EQ(SimController::Number(image, "exits"), 1.0);

    // A file the reader refuses never reaches the loader.
    sim.NewJournal();
    dir.Write("bad.hex", HexRecord(0, 0x100, Bytes({1, 2, 3, 0})) + HexRecord(2, 0, Bytes({0x10, 0})));
    run = Tool({"flash", dir / "bad.hex", "--device", sim.ttyPath()});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Has(run, "HEX line 2: unknown record type 2")) << run.output;
    EXPECT_TRUE(sim.NewJournal().empty());

    run = Tool({"flash", dir / "motor.hex", "--device", dir / "no-such-tty"});
    EXPECT_EQ(run.status, 5);
    run = Tool({"flash", dir / "missing.hex", "--device", sim.ttyPath()});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Has(run, "cannot open"));
    EXPECT_TRUE(sim.NewJournal().empty());
}
