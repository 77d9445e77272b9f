#include <gtest/gtest.h>

#include <dirent.h>
#include <glib.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/process_run.h"
#include "files/file_manager.h"
#include "files/file_ops.h"
#include "import/import_test_util.h"
#include "support/restore_on_exit.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

const std::string kBrokenDxf = "  0\nLINE\n  8\n0\n 10\n1\n";
const std::string kOldPattern = "c s\np X1.000 Y1.000\n";

// Names of everything in a folder, hidden ones included: no temporary file may stay behind.
std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Writes beyond `bytes` fail with EFBIG while it lives, as on a full disk.
struct FileSizeLimit {
    rlimit old;
    explicit FileSizeLimit(rlim_t bytes)
    {
        signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limit = old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
};

}  // namespace

TEST(CopyFile, PlainCopyIsByteIdenticalAndDrawingsAreImported)
{
    TempDir dir;
    ScriptedUi ui;
    std::string bytes("c s\n\0\xff\r\n", 8);
    bytes += std::string(200000, 'x');
    dir.Write("usb/plain.qcc", bytes);
    ui.Expect("FILE COPIED", RESPONSE_OK);
    EXPECT_EQ(CopyFile(dir / "usb/plain.qcc", "./plain.qcc", 0), kFileDone);
    EXPECT_EQ(dir.Read("plain.qcc"), bytes);

    dir.Write("usb/star.dxf", DxfDrawing(DxfLine(0, 0, 1, 0) + DxfLine(1, 0, 1, 1)));
    dir.Write("thumbnails/star.png", "old thumbnail");
    dir.Write("patterns/.keep", "");
    ui.Expect("FILE COPIED", RESPONSE_OK);
    EXPECT_EQ(CopyFile(dir / "usb/star.dxf", "./patterns/star.dxf", 0), kFileDone);
    EXPECT_FALSE(dir.Exists("thumbnails/star.png"));
    EXPECT_FALSE(dir.Exists("patterns/star.dxf"));
    const std::vector<PatternPoint> points = AllPoints(dir.Read("patterns/star.qcc"));
    EXPECT_EQ(points.size(), 4u);  // two lines of two points
    EXPECT_EQ(Names(dir / "patterns"), (std::vector<std::string>{".keep", "star.qcc"}));
}

TEST(CopyFile, OneFileUnderTwoNamesIsNeverCopiedOntoItself)
{
    TempDir dir;
    ScriptedUi ui;
    dir.Write("patterns/a.qcc", kOldPattern);
    ASSERT_EQ(link((dir / "patterns/a.qcc").c_str(), (dir / "patterns/hard.qcc").c_str()), 0);
    ASSERT_EQ(symlink("a.qcc", (dir / "patterns/soft.qcc").c_str()), 0);
    for (const std::string& destination :
         {std::string("./patterns/a.qcc"), std::string(".//patterns//a.qcc"),
          std::string("./patterns/hard.qcc"), std::string("./patterns/soft.qcc")}) {
        ui.Expect("SORRY.\nYOU MAY NOT COPY TO THE SAME DIRECTORY.", RESPONSE_OK);
        EXPECT_EQ(CopyFile("./patterns/a.qcc", destination, 0), kFileSame) << destination;
        EXPECT_EQ(dir.Read("patterns/a.qcc"), kOldPattern) << destination;
    }
    // Quiet: the same refusal without a message.
    EXPECT_EQ(CopyFile("patterns/a.qcc", "patterns/hard.qcc", 1), kFileSame);
    EXPECT_EQ(ui.messages.size(), 4u);
}

TEST(CopyFile, DeclinedOverwriteKeepsTheFileAndSaysNothingMore)
{
    TempDir dir;
    ScriptedUi ui;
    dir.Write("usb/a.qcc", "new");
    dir.Write("patterns/a.qcc", kOldPattern);
    ui.Expect("FILE EXISTS!\nOVERWRITE FILE?", RESPONSE_CANCEL);
    EXPECT_EQ(CopyFile("usb/a.qcc", "patterns/a.qcc", 0), kFileDeclined);
    EXPECT_EQ(dir.Read("patterns/a.qcc"), kOldPattern);
}

TEST(CopyFile, AFailedImportOrWriteKeepsTheOldFileAndLeavesNoTemporary)
{
    TempDir dir;
    ScriptedUi ui;
    dir.Write("usb/star.dxf", kBrokenDxf);
    dir.Write("usb/path.qli", "VP 0,0\nVP 1000,0\nVP 1000,1000\nVP 0,1000\nVP 0,0\n");
    dir.Write("usb/big.qcc", std::string(5000, 'y'));
    dir.Write("patterns/star.qcc", kOldPattern);
    dir.Write("patterns/path.qcc", kOldPattern);
    dir.Write("patterns/big.qcc", kOldPattern);
    const std::vector<std::string> before = Names(dir / "patterns");

    ui.Expect("FILE EXISTS!\nOVERWRITE FILE?", RESPONSE_OK)
        .Expect("ERROR: FILE COULD NOT BE COPIED", RESPONSE_OK);
    EXPECT_EQ(CopyFile("usb/star.dxf", "patterns/star.dxf", 0), kFileFailed);
    {
        // The QLI import reports its failed write as 0; a plain copy fails in the flush.
        FileSizeLimit full(64);
        ui.Expect("FILE EXISTS!\nOVERWRITE FILE?", RESPONSE_OK);
        EXPECT_EQ(CopyFile("usb/path.qli", "patterns/path.qli", 1), kFileFailed);
        ui.Expect("FILE EXISTS!\nOVERWRITE FILE?", RESPONSE_OK);
        EXPECT_EQ(CopyFile("usb/big.qcc", "patterns/big.qcc", 1), kFileFailed);
    }
    for (const char* name : {"patterns/star.qcc", "patterns/path.qcc", "patterns/big.qcc"})
        EXPECT_EQ(dir.Read(name), kOldPattern) << name;
    EXPECT_EQ(Names(dir / "patterns"), before);

    // Without the limit the same QLI imports over the old file.
    ui.Expect("FILE EXISTS!\nOVERWRITE FILE?", RESPONSE_OK);
    EXPECT_EQ(CopyFile("usb/path.qli", "patterns/path.qli", 1), kFileDone);
    EXPECT_EQ(AllPoints(dir.Read("patterns/path.qcc")).size(), 5u);

    // Gone, or not a file: refused without opening anything.
    mkfifo((dir / "usb/pipe.qcc").c_str(), 0600);
    EXPECT_EQ(CopyFile("usb/missing.qcc", "patterns/missing.qcc", 1), kFileFailed);
    EXPECT_EQ(CopyFile("usb/pipe.qcc", "patterns/pipe.qcc", 1), kFileFailed);
    EXPECT_EQ(CopyFile("usb/big.qcc", "no/such/folder/big.qcc", 1), kFileFailed);
    EXPECT_FALSE(dir.Exists("patterns/missing.qcc"));
    EXPECT_FALSE(dir.Exists("patterns/pipe.qcc"));
}

TEST(CopyDirectory, CopiesTheTreeImportsDrawingsAndCountsWhatFailed)
{
    TempDir dir;
    ScriptedUi ui;
    dir.Write("usb/quilts/a.qcc", kOldPattern);
    dir.Write("usb/quilts/border/feather.QLI", "VP 0,0\nVP 2000,0\n");
    dir.Write("usb/quilts/border/broken.dxf", kBrokenDxf);
    dir.Write("usb/quilts/.hidden/x.qcc", kOldPattern);
    dir.Write("usb/quilts/.dotfile", "kept");
    ASSERT_EQ(symlink("/", (dir / "usb/quilts/root-link").c_str()), 0);
    ASSERT_EQ(symlink("..", (dir / "usb/quilts/border/loop").c_str()), 0);
    ASSERT_EQ(mkfifo((dir / "usb/quilts/pipe").c_str(), 0600), 0);
    dir.Write("patterns/.keep", "");

    std::vector<CopyEntryReport> reports;
    ui.Expect("4 FILES COULD NOT BE COPIED", RESPONSE_OK);
    const int failures = CopyDirectoryReporting(
        "usb/quilts", "patterns/quilts", 0, [&](const CopyEntryReport& r) { reports.push_back(r); });
    EXPECT_EQ(failures, 4);  // broken.dxf, both links and the pipe
    EXPECT_EQ(Names(dir / "patterns/quilts"),
              (std::vector<std::string>{".dotfile", "a.qcc", "border"}));
    EXPECT_EQ(Names(dir / "patterns/quilts/border"), (std::vector<std::string>{"feather.qcc"}));
    EXPECT_EQ(AllPoints(dir.Read("patterns/quilts/border/feather.qcc")).size(), 2u);
    int failed = 0;
    for (const CopyEntryReport& r : reports)
        failed += r.outcome == CopyOutcome::Failed;
    EXPECT_EQ(failed, 4);
}

TEST(CopyDirectory, DeepTreesAreCopiedAndDeletedWithinBounds)
{
    TempDir dir;
    ScriptedUi ui;
    std::string deep = "usb/deep";
    for (int i = 0; i < 100; ++i)
        deep += "/d";
    dir.Write(deep + "/leaf.qcc", kOldPattern);
    dir.Write("patterns/.keep", "");
    ui.Expect("DIRECTORY COPIED", RESPONSE_OK);
    EXPECT_EQ(CopyDirectory("usb/deep", "patterns/deep", 0), 0);
    EXPECT_EQ(dir.Read("patterns/" + deep.substr(4) + "/leaf.qcc"), kOldPattern);
    EXPECT_EQ(DeleteDirectory("patterns/deep", 1), kFileDone);
    EXPECT_FALSE(dir.Exists("patterns/deep"));
}

TEST(CopyFlow, FoldersAreNeverCopiedIntoThemselves)
{
    TempDir dir;
    ScriptedUi ui;
    dir.Write("patterns/quilts/border/a.qcc", kOldPattern);
    const char* refusal = "SORRY.\nYOU MAY NOT COPY THE FOLDER TO THE SAME DIRECTORY.";
    // Into itself, a child of itself, or over itself from its parent: refused at once.
    for (const char* target : {"./patterns/quilts", "./patterns/quilts/border", "./patterns",
                               ".//patterns//quilts//"}) {
        ui.Expect(refusal, RESPONSE_OK);
        EXPECT_EQ(CopySelection("./patterns/quilts", target), kFileFailed) << target;
    }
    EXPECT_EQ(Names(dir / "patterns/quilts"), (std::vector<std::string>{"border"}));
    EXPECT_EQ(Names(dir / "patterns/quilts/border"), (std::vector<std::string>{"a.qcc"}));

    // A sibling is fine, after the question and under the waiting window.
    dir.Write("patterns/copies/.keep", "");
    ui.Expect("COPY THE ENTIRE DIRECTORY:\n./patterns/quilts/ \n TO: \n./patterns/copies/quilts ?",
              RESPONSE_OK)
        .Expect("DIRECTORY COPIED", RESPONSE_OK);
    EXPECT_EQ(CopySelection("./patterns/quilts", "./patterns/copies"), kFileDone);
    EXPECT_EQ(ui.waitingMessages, (std::vector<std::string>{"\n\nCOPYING DIRECTORY"}));
    EXPECT_EQ(dir.Read("patterns/copies/quilts/border/a.qcc"), kOldPattern);
}

TEST(CopyFlow, EntriesTheStickAndTheDestinationAreChecked)
{
    TempDir dir;
    ScriptedUi ui;
    // The choices and the hook counting into this frame end with the case.
    RestoreOnExit keepSource(radioSourceCurrentVal), keepDestination(radioDestinationCurrentVal);
    RestoreOnExit keepProcessHooks(processHooks);
    int syncs = 0;
    processHooks.syncFileSystems = [&]() { ++syncs; };
    dir.Write("patterns/a.qcc", kOldPattern);

    ui.ExpectContaining("USB DRIVE NOT DETECTED.", RESPONSE_OK);
    EXPECT_EQ(ChooseSource(1), 0);
    EXPECT_EQ(radioSourceCurrentVal, 0);

    ui.Expect("NO FILE SELECTED", RESPONSE_OK);
    CopySelection(kNoFileSelected, "./patterns");
    ui.Expect("NO DIRECTORY SELECTED", RESPONSE_OK);
    CopySelection("./patterns/a.qcc", kNoDirectorySelected);
    ui.Expect("DIRECTORY NOT FOUND", RESPONSE_OK);
    CopySelection("./patterns/a.qcc", "./patterns/a.qcc");
    EXPECT_EQ(syncs, 0);

    // With the stick: the copy lands there and the file systems are flushed.
    dir.Write("media/usb/.keep", "");
    EXPECT_EQ(ChooseDestination(1), 1);
    ui.Expect("FILE COPIED", RESPONSE_OK);
    EXPECT_EQ(CopySelection("./patterns/a.qcc", DestinationFolder(1)), kFileDone);
    EXPECT_EQ(dir.Read("media/usb/a.qcc"), kOldPattern);
    EXPECT_EQ(syncs, 1);
    // Pulled out before Copy.
    int status = -1;
    ASSERT_TRUE(RunArgv({"rm", "-r", dir / "media/usb"}, &status));
    ui.ExpectContaining("USB DRIVE NOT DETECTED.", RESPONSE_OK);
    EXPECT_EQ(CopySelection("./patterns/a.qcc", DestinationFolder(1)), kFileFailed);
}

TEST(DeleteFlow, FilesGoWithThumbnailsRootsStay)
{
    TempDir dir;
    ScriptedUi ui;
    dir.Write("patterns/quilts/star.qcc", kOldPattern);
    dir.Write("thumbnails/star.png", "png");
    dir.Write("media/usb/x.qcc", kOldPattern);

    ui.Expect("DELETE FILE:\nstar.qcc", RESPONSE_CANCEL).Expect("OPERATION CANCELED", RESPONSE_OK);
    EXPECT_EQ(DeleteSelection("./patterns/quilts/star.qcc"), kFileCanceled);
    EXPECT_TRUE(dir.Exists("patterns/quilts/star.qcc"));
    ui.Expect("DELETE FILE:\nstar.qcc", RESPONSE_OK).Expect("FILE DELETED", RESPONSE_OK);
    EXPECT_EQ(DeleteSelection("./patterns/quilts/star.qcc"), kFileDone);
    EXPECT_FALSE(dir.Exists("patterns/quilts/star.qcc"));
    EXPECT_FALSE(dir.Exists("thumbnails/star.png"));
    ui.Expect("DELETE FILE:\nstar.qcc", RESPONSE_OK).Expect("FILE NOT DELETED", RESPONSE_OK);
    EXPECT_EQ(DeleteSelection("./patterns/quilts/star.qcc"), kFileFailed);

    for (const std::string& root : {std::string("./patterns"), std::string(".//patterns/"),
                                    std::string("./thumbnails"), dir / "media/usb",
                                    dir / "media", std::string(".")}) {
        ui.Expect("SORRY.\nYOU MAY NOT DELETE THIS DIRECTORY.", RESPONSE_OK);
        EXPECT_EQ(DeleteSelection(root), kFileFailed) << root;
    }
    EXPECT_TRUE(dir.Exists("media/usb/x.qcc"));

    ui.Expect("DELETE DIRECTORY: \n ./patterns/quilts\nAND ALL SUBDIRECTORIES AND FILES?",
              RESPONSE_OK)
        .Expect("DIRECTORY DELETED", RESPONSE_OK);
    EXPECT_EQ(DeleteSelection("./patterns/quilts/"), kFileDone);
    EXPECT_FALSE(dir.Exists("patterns/quilts"));
    ui.Expect("NO FILE SELECTED", RESPONSE_OK);
    DeleteSelection(kNoFileSelected);
}

TEST(FileOps, StrangeNamesAreCopiedDeletedAndShownReadably)
{
    TempDir dir;
    ScriptedUi ui;
    const std::string strange = "it's \"a\"; rm -rf $(x)\nline \xff\xfe" + std::string(220, 'n') + ".qcc";
    dir.Write("usb/" + strange, kOldPattern);
    dir.Write("patterns/.keep", "");
    EXPECT_EQ(CopyFile(dir / ("usb/" + strange), "patterns/" + strange, 1), kFileDone);
    EXPECT_EQ(dir.Read("patterns/" + strange), kOldPattern);
    // The message carries a valid UTF-8 form of the name.
    ui.ExpectContaining("DELETE FILE:\nit's \"a\"; rm -rf $(x)\nline ", RESPONSE_OK)
        .Expect("FILE DELETED", RESPONSE_OK);
    EXPECT_EQ(DeleteSelection("patterns/" + strange), kFileDone);
    EXPECT_TRUE(g_utf8_validate(ui.messages[0].c_str(), -1, nullptr));
    EXPECT_EQ(Names(dir / "patterns"), (std::vector<std::string>{".keep"}));
}

TEST(FileOps, FindFileSearchesDepthFirstSkippingHiddenEntries)
{
    TempDir dir;
    dir.Write("stick/.hidden/corvan-update.tar", "");
    dir.Write("stick/a/b/corvan-update-2.tar", "");
    dir.Write("stick/z/corvan-update-1.tar", "");
    ASSERT_EQ(symlink("..", (dir / "stick/a/loop").c_str()), 0);
    std::string folder = dir / "stick";
    EXPECT_EQ(findFile(folder, "corvan-update"), 1);
    EXPECT_EQ(folder, dir / "stick/a/b");
    folder = dir / "stick";
    EXPECT_EQ(findFile(folder, "nothing-like-it"), 0);
    EXPECT_EQ(folder, dir / "stick");
}
