// What a file chooser lists: whole extensions only, folders first, no hidden entries.

#include <gtest/gtest.h>

#include "files/file_filter.h"
#include "support/temp_dir.h"

TEST(FileFilter, WholeExtensionsOnly)
{
    EXPECT_TRUE(FilePassesFilter("quilt.qlf", ".qlf .QLF"));
    EXPECT_TRUE(FilePassesFilter("QUILT.QLF", ".qlf .QLF"));
    EXPECT_TRUE(FilePassesFilter("a.b.qlf", ".qlf .QLF"));
    EXPECT_FALSE(FilePassesFilter("a.qc", ".qcc .QCC"));    // only part of ".qcc"
    EXPECT_FALSE(FilePassesFilter("a.qccx", ".qcc .QCC"));
    EXPECT_FALSE(FilePassesFilter("a.Qlf", ".qlf .QLF"));
    EXPECT_FALSE(FilePassesFilter("noextension", ".qlf"));
    EXPECT_FALSE(FilePassesFilter("folder.ZZZ.txt", ".ZZZ"));  // folders-only filter
    EXPECT_TRUE(FilePassesFilter("anything", ""));
}

TEST(FileFilter, FolderListing)
{
    TempDir dir;
    for (const char* f : {"Layout/b.qlf", "Layout/A.QLF", "Layout/c.txt", "Layout/.old.qlf",
                          "Layout/zoo/x.qlf", "Layout/Archive/y.qlf", "Layout/.trash/z.qlf"})
        dir.Write(f, "x");
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder("./Layout/", ".qlf .QLF", &entries));
    std::string shown;
    for (const FolderEntry& e : entries)
        shown += (e.kind == 0 ? "[" + e.name + "]" : e.name) + " ";
    EXPECT_EQ(shown, "[Archive] [zoo] A.QLF b.qlf ");
    EXPECT_FALSE(ListFolder("./missing/", "", &entries));
    EXPECT_TRUE(entries.empty());
}

TEST(FileFilter, FolderOnlyFilterListsNoFileWhateverItsName)
{
    TempDir dir;
    dir.Write("b/x.qcc", "");
    dir.Write("A/.keep", "");
    dir.Write("trick.ZZZ", "");
    dir.Write("plain.qcc", "");
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(dir.path(), kFolderOnlyFilter, &entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "A");
    EXPECT_EQ(entries[1].name, "b");
    EXPECT_EQ(entries[0].kind + entries[1].kind, 0);
}
