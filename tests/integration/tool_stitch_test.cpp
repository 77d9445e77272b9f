// corvan-tool stitch as a technician runs it: the real executable against mc1sim, judged by
// its exit status, what it printed and what the simulator stitched.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/sim_controller.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Drain(int fd)
{
    std::string s;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) s.append(buf, static_cast<size_t>(n));
    close(fd);
    return s;
}

ToolRun Tool(std::vector<std::string> args)
{
    args.insert(args.begin(), std::string(CORVAN_BINARY_DIR) + "/corvan-tool");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    ToolRun run;
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    // The run prints a lot on standard output: read it while the error stream waits.
    std::string errText;
    std::thread errReader([&] { errText = Drain(err[0]); });
    run.out = Drain(out[0]);
    errReader.join();
    run.err = errText;
    int wstatus = 0;
    if (spawned == 0 && waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus))
        run.status = WEXITSTATUS(wstatus);
    return run;
}

// A quilting area, box 0 with a zigzag and a second placement far away, box 1 empty.
void WriteSampleLayout(const std::string& path)
{
    ResetLayout();
    extents = new PatternBox();
    AddPatternBoxPoint(extents, 0, 0, 1, 0);
    AddPatternBoxPoint(extents, 0, 20, 0, 0);
    AddPatternBoxPoint(extents, 40, 20, 0, 0);
    AddPatternBoxPoint(extents, 40, 0, 0, 0);
    SetPatternBoxOrigin(extents);
    for (int b = 0; b < 2; ++b) {
        const int slot = CreatePatternBox();
        PatternBox* box = GetPatternBox(slot);
        const float x0 = 1.0f + 12.0f * static_cast<float>(b);
        AddPatternBoxPoint(box, x0, 1, 1, 0);
        AddPatternBoxPoint(box, x0, 8, 0, 0);
        AddPatternBoxPoint(box, x0 + 10, 8, 0, 0);
        AddPatternBoxPoint(box, x0 + 10, 1, 0, 0);
        SetPatternBoxOrigin(box);
    }
    currentBox = 0;
    Pattern* p = newPattern();
    for (int i = 0; i <= 12; ++i) {
        p->pointX.push_back(0.1f * static_cast<float>(i));
        p->pointY.push_back(i % 2 ? 0.2f : 0.0f);
    }
    p->pointCount = static_cast<int>(p->pointX.size());
    UpdatePatternSize(p);
    const int slot = GetNextPattern();
    ASSERT_EQ(StorePattern(slot, p), 1);
    NewPatternLayoutNode(slot, -1, 0, 0.5f, 0.5f);
    NewPatternLayoutNode(slot, -1, 0, 4.0f, 3.0f);
    ASSERT_EQ(SaveLayout(path, kOverwriteWithoutAsking, kNameIsPath), 1);
    ResetLayout();
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(ToolStitch, CompletesASampleLayoutAgainstTheSimulator)
{
    TempDir dir;
    WriteSampleLayout(dir / "sample");
    SimController sim({"--time-scale", "25"});
    ASSERT_TRUE(sim.ok()) << sim.problem();

    const ToolRun run = Tool({"stitch", dir / "sample.qlf", "--device", sim.ttyPath()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "box 0 stitched to its end")) << run.out.substr(run.out.size() - 300);
    // Every question reached standard error, and each was answered.
    EXPECT_TRUE(Has(run.err, "[question] THE MACHINE WILL MOVE TO THE START")) << run.err;
    EXPECT_TRUE(Has(run.err, "PULL UP THE BOBBIN THREAD\nAND PRESS OK")) << run.err;
    EXPECT_TRUE(Has(run.err, "[info] CUT THE THREAD")) << run.err;
    // The carriage stitched the zigzag's teeth at both placements (box origin (1, 1)).
    const std::string stitched = sim.Control("stitched");
    EXPECT_TRUE(Has(stitched, "[1600,1700]")) << stitched;
    EXPECT_TRUE(Has(stitched, "[5200,4000]")) << stitched;
    EXPECT_EQ(SimController::Word(sim.Control("state"), "stitching"), "false");
}

TEST(ToolStitch, RefusesWhatItCannotRun)
{
    TempDir dir;
    WriteSampleLayout(dir / "sample");
    SimController sim({"--time-scale", "25"});
    ASSERT_TRUE(sim.ok()) << sim.problem();

    // An empty box: the reason, and nothing after the start byte but the settings query.
    ToolRun run = Tool({"stitch", dir / "sample.qlf", "--device", sim.ttyPath(), "--box", "1", "--no-stitch"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "did not complete: PATTERN BOX IS EMPTY")) << run.err;
    EXPECT_EQ(sim.NewJournal(), (std::vector<std::string>{"GetStitchSettings -> 5 40 2 4", "StartByte"}));

    // No such box, a damaged file, no file, wrong arguments, no device.
    run = Tool({"stitch", dir / "sample.qlf", "--device", sim.ttyPath(), "--box", "7"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "no pattern box 7")) << run.err;
    dir.Write("bad.qlf", std::string("\x04\x01\x02", 3));
    run = Tool({"stitch", dir / "bad.qlf", "--device", sim.ttyPath()});
    EXPECT_NE(run.status, 0);
    run = Tool({"stitch", dir / "missing.qlf", "--device", sim.ttyPath()});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "cannot load the layout")) << run.err;
    EXPECT_EQ(Tool({"stitch", dir / "sample.qlf", "--device", sim.ttyPath(), "--box", "x"}).status, 2);
    EXPECT_EQ(Tool({"stitch", dir / "sample.qlf"}).status, 2);
    run = Tool({"stitch", dir / "sample.qlf", "--device", dir / "no-such-tty"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "cannot open")) << run.err;
    EXPECT_TRUE(sim.NewJournal().empty()) << "none of these reached the controller";
}

TEST(ToolStitch, NamesAHungUpLineAsTheReason)
{
    TempDir dir;
    WriteSampleLayout(dir / "sample");
    SimController sim({"--time-scale", "25"});
    ASSERT_TRUE(sim.ok()) << sim.problem();

    ToolRun run;
    std::thread tool([&] { run = Tool({"stitch", dir / "sample.qlf", "--device", sim.ttyPath()}); });
    // The line goes once the streaming has begun (stitching switched on for the path).
    bool streaming = false;
    for (int look = 0; look < 2000 && !streaming; ++look) {
        for (const std::string& e : sim.Journal())
            streaming = streaming || e == "StitchOn";
        if (!streaming)
            usleep(10000);
    }
    EXPECT_TRUE(streaming);
    EXPECT_EQ(sim.Control("hangup"), "ok");
    tool.join();
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "the run did not complete: the line to the controller was hung up"))
        << run.err;
}
