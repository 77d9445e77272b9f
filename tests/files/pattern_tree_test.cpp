// The tree of pattern files: what is listed, how it is sorted, and folders that hold nothing.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "files/pattern_tree.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

// "name/" for a folder with its rows in brackets, "name" for a file.
std::string Show(const PatternTree& tree)
{
    std::string out;
    for (const PatternTreeRow& row : tree) {
        if (!out.empty())
            out += " ";
        out += row.kind == 0 ? row.name + "/[" + Show(row.children) + "]" : row.name;
    }
    return out;
}

}  // namespace

TEST(PatternTree, FoldersFirstCaselessAndOnlyWhatMatches)
{
    TempDir dir;
    for (const char* file : {"patterns/zigzag.qcc", "patterns/Apple.QCC", "patterns/banana.qcc",
                             "patterns/notes.txt", "patterns/noextension", "patterns/.hidden.qcc",
                             "patterns/borders/Loop.qcc", "patterns/borders/deep/wave.qcc",
                             "patterns/Animals/cat.qcc", "patterns/empty/readme.txt",
                             "patterns/.git/x.qcc", "patterns/a.qc"})
        dir.Write(file, "p X0 Y0\n");
    mkdir((dir / "patterns/bare").c_str(), 0777);

    PatternTree tree;
    EXPECT_EQ(GetFiles(0, &tree), 1);
    // Folders with no pattern inside are dropped; ".qc" is part of ".qcc .QCC" and listed.
    EXPECT_EQ(Show(tree),
              "Animals/[cat.qcc] borders/[deep/[wave.qcc] Loop.qcc] a.qc Apple.QCC banana.qcc "
              "zigzag.qcc");
}

TEST(PatternTree, NothingToListAndLinkLoops)
{
    TempDir dir;
    PatternTree tree;
    EXPECT_EQ(GetFiles(0, &tree), 0);  // no ./patterns at all
    EXPECT_TRUE(tree.empty());
    EXPECT_EQ(GetFiles(7, &tree), 0);

    // A folder linking to itself must not send the listing round for ever.
    dir.Write("patterns/loop/one.qcc", "p X0 Y0\n");
    ASSERT_EQ(symlink("..", (dir / "patterns/loop/up").c_str()), 0);
    ASSERT_EQ(symlink("one.qcc", (dir / "patterns/loop/two.qcc").c_str()), 0);
    EXPECT_EQ(GetFiles(0, &tree), 1);
    EXPECT_EQ(Show(tree), "loop/[one.qcc two.qcc]");
}

TEST(PatternTree, UsbStickListsDrawingsAfterCheckingForIt)
{
    TempDir dir;
    PatternTree tree;
    {
        ScriptedUi ui;
        ui.ExpectContaining("USB DRIVE NOT DETECTED", RESPONSE_OK);
        EXPECT_EQ(GetFiles(1, &tree), 0);
    }
    dir.Write("media/usb/star.DXF", "0\nEOF\n");
    dir.Write("media/usb/path.qli", "x\n");
    dir.Write("media/usb/photo.jpg", "x\n");
    EXPECT_EQ(GetFiles(1, &tree), 1);
    EXPECT_EQ(Show(tree), "path.qli star.DXF");
}
