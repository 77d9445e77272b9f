#include <gtest/gtest.h>

#include <string>

#include "patterns/pattern.h"
#include "support/restore_on_exit.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

int syncCount = 0;

// Every test gets a private folder; file-system flushes are counted instead of done.
class PatternFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        syncCount = 0;
        patternFileSyncForTest = [] { ++syncCount; };
    }
    Pattern* Load(const std::string& name, const std::string& bytes)
    {
        dir.Write(name, bytes);
        return newPattern(dir / name);
    }
    TempDir dir;
    ScriptedUi ui;
};

}  // namespace

TEST_F(PatternFileTest, RoundTripKeepsNamesPointsAndCommandsInOrder)
{
    const std::string file =
        "n first name\n"
        "n second\n"
        "c s\n"          // before the first point
        "p X1.000 Y2.000\n"
        "c e s\n"
        "c f 10\n"
        "p X3.500 Y-1.250\n"
        "p X4.000 Y0.000\n"
        "c e e\n"        // after the last point
        "c s\n";
    Pattern* p = Load("design.qcc", file);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->name, "design");
    ASSERT_EQ(p->nameCount, 2);
    EXPECT_EQ(p->names[0], "first name");
    EXPECT_EQ(p->names[1], "second");
    ASSERT_EQ(p->pointCount, 3);
    ASSERT_EQ(p->commandCount, 5);
    EXPECT_EQ(p->commandType, (std::vector<CommandKind>{CommandKind::Start, CommandKind::EntityStart, CommandKind::Feed,
                                                CommandKind::EntityEnd, CommandKind::Start}));
    EXPECT_EQ(p->commandPoint, (std::vector<int>{1, 2, 2, 4, 4}));
    EXPECT_EQ(syncCount, 1);

    // The points were shifted to the origin, so the file written back is shifted too.
    ASSERT_EQ(savePattern(p, dir / "copy.qcc"), 1);
    EXPECT_EQ(syncCount, 2);
    EXPECT_EQ(dir.Read("copy.qcc"),
              "n first name\n"
              "n second\n"
              "c s\n"
              "p X0.000 Y3.250\n"
              "c e s\n"
              "c f 10\n"
              "p X2.500 Y0.000\n"
              "p X3.000 Y1.250\n"
              "c e e\n"
              "c s\n");

    Pattern* again = newPattern(dir / "copy.qcc");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->names, p->names);
    EXPECT_EQ(again->pointX, p->pointX);
    EXPECT_EQ(again->pointY, p->pointY);
    EXPECT_EQ(again->commandType, p->commandType);
    EXPECT_EQ(again->commandPoint, p->commandPoint);
    erasePattern(again);
    erasePattern(p);
}

TEST_F(PatternFileTest, LoadingShiftsPointsToTheOriginButKeepsTheOldMinimum)
{
    Pattern* p = Load("box.qcc", "pX3Y4\npX5Y4\npX5Y7.5\npX3Y7.5\n");
    ASSERT_NE(p, nullptr);
    EXPECT_FLOAT_EQ(p->minX, 3);
    EXPECT_FLOAT_EQ(p->minY, 4);
    EXPECT_FLOAT_EQ(p->width, 2);
    EXPECT_FLOAT_EQ(p->height, 3.5);
    EXPECT_FLOAT_EQ(p->maxX, p->width);
    EXPECT_FLOAT_EQ(p->maxY, p->height);
    EXPECT_FLOAT_EQ(p->baseWidth, 2);
    EXPECT_FLOAT_EQ(p->baseHeight, 3.5);
    EXPECT_FLOAT_EQ(p->pointX[0], 0);
    EXPECT_FLOAT_EQ(p->pointY[0], 0);
    EXPECT_FLOAT_EQ(p->pointX[2], 2);
    EXPECT_FLOAT_EQ(p->pointY[2], 3.5);
    EXPECT_FLOAT_EQ(p->scaleX, 100);
    EXPECT_EQ(p->rotation, 0);
    EXPECT_EQ(p->thumbnail, nullptr);

    // Recomputing the size afterwards describes the shifted points.
    UpdatePatternSize(p);
    EXPECT_FLOAT_EQ(p->minX, 0);
    EXPECT_FLOAT_EQ(p->maxY, 3.5);
    EXPECT_FLOAT_EQ(p->width, 2);
    erasePattern(p);
}

TEST_F(PatternFileTest, SeventeenBytesAreEmptyEighteenWithAPointLoad)
{
    const std::string seventeen = "n 123456789012\n\n\n";
    ASSERT_EQ(seventeen.size(), 17u);
    dir.Write("short.qcc", seventeen);
    testing::internal::CaptureStdout();
    EXPECT_EQ(newPattern(dir / "short.qcc"), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("pattern file is empty"),
              std::string::npos);
    EXPECT_EQ(syncCount, 0);

    // openPattern on its own leaves the documented placeholder.
    Pattern empty;
    EXPECT_EQ(openPattern(&empty, dir / "short.qcc"), 0);
    EXPECT_EQ(empty.pointCount, 2);
    EXPECT_EQ(empty.names, std::vector<std::string>{"Empty Pattern"});
    EXPECT_FLOAT_EQ(empty.width, 0);

    const std::string eighteen = "p X1.2345 Y2.3456\n";
    ASSERT_EQ(eighteen.size(), 18u);
    Pattern* p = Load("one.qcc", eighteen);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->pointCount, 1);
    EXPECT_FLOAT_EQ(p->minX, 1.2345f);
    erasePattern(p);
}

TEST_F(PatternFileTest, CommandLettersCapitalFeedAndUnknownForms)
{
    Pattern* p = Load("cmds.qcc",
                      "p X0 Y0\n"
                      "c F 10\n"   // capital F is a feed when read
                      "c x\n"      // no such command: dropped
                      "c e q\n"    // entity with neither s nor e: dropped
                      "c\n"
                      "p X1 Y1\n");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->commandType, std::vector<CommandKind>{CommandKind::Feed});
    ASSERT_EQ(savePattern(p, dir / "out.qcc"), 1);
    EXPECT_EQ(dir.Read("out.qcc"), "p X0.000 Y0.000\nc f 10\np X1.000 Y1.000\n");
    erasePattern(p);
}

TEST_F(PatternFileTest, SavePathRules)
{
    Pattern* p = newPattern();
    addData(p, "p X1 Y1", 1);
    p->name = "named";

    EXPECT_EQ(savePattern(p, dir / "plain"), 1);
    EXPECT_TRUE(dir.Exists("plain.qcc"));
    EXPECT_FALSE(dir.Exists("plain"));
    EXPECT_EQ(savePattern(p, dir / "keep.qcc.bak"), 1);  // contains ".qcc": used as it is
    EXPECT_TRUE(dir.Exists("keep.qcc.bak"));
    EXPECT_EQ(savePattern(p), 1);  // no path: the name, relative to the working folder
    EXPECT_TRUE(dir.Exists("named.qcc"));

    // At most 78 characters, ".qcc" included. Relative names keep the count exact.
    EXPECT_EQ(savePattern(p, std::string(74, 'a')), 1);
    EXPECT_TRUE(dir.Exists(std::string(74, 'a') + ".qcc"));
    EXPECT_EQ(savePattern(p, std::string(75, 'b')), 0);
    EXPECT_FALSE(dir.Exists(std::string(75, 'b') + ".qcc"));
    EXPECT_EQ(savePattern(p, std::string(75, 'c') + ".qcc"), 0);

    EXPECT_EQ(savePattern(p, dir / "no/such/folder/x.qcc"), 0);
    erasePattern(p);
}

TEST_F(PatternFileTest, AddDataPlacesCommandsByMode)
{
    Pattern* p = newPattern();
    addData(p, "c s", 0);        // before the (not yet added) first point: kept, not lost
    addData(p, "n traced", 1);
    addData(p, "p X2 Y3", 1);
    addData(p, "c s", 1);        // before the next point
    addData(p, "p X4 Y1", 1);
    addData(p, "c e s", 0);      // before the last point already added
    addData(p, "c f 10", 1);     // trailing
    addData(p, "c e x", 1);      // builder rule: anything but "s" ends an entity
    addData(p, "c F 10", 1);     // only the file reader knows the capital F
    addData(p, "p XnanY1", 1);   // skipped
    EXPECT_EQ(p->commandPoint, (std::vector<int>{0, 2, 2, 3, 3}));
    EXPECT_EQ(p->commandType, (std::vector<CommandKind>{CommandKind::Start, CommandKind::Start, CommandKind::EntityStart,
                                                CommandKind::Feed, CommandKind::EntityEnd}));
    // Points added this way are not shifted; the size follows the box.
    EXPECT_EQ(p->pointX, (std::vector<float>{2, 4}));
    EXPECT_FLOAT_EQ(p->minX, 2);
    EXPECT_FLOAT_EQ(p->width, 2);
    EXPECT_FLOAT_EQ(p->height, 2);

    ASSERT_EQ(savePattern(p, dir / "t.qcc"), 1);
    EXPECT_EQ(dir.Read("t.qcc"),
              "n traced\nc s\np X2.000 Y3.000\nc s\nc e s\np X4.000 Y1.000\nc f 10\nc e e\n");
    erasePattern(p);
}

TEST_F(PatternFileTest, UsbPathNeedsTheStick)
{
    ui.Expect("USB DRIVE NOT DETECTED.\n\nIF INSERTED, TRY WAITING A FEW MORE SECONDS FOR THE "
              "DRIVE TO BE FOUND OR REMOVE AND REINSERT THE USB DRIVE\n",
              RESPONSE_OK);
    EXPECT_EQ(newPattern(dir / "media/usb/a.qcc"), nullptr);

    dir.Write("media/usb/a.qcc", "n on the stick\np X1 Y1\n");
    Pattern* p = newPattern(dir / "media/usb/a.qcc");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->name, "a");
    erasePattern(p);
}

// Junk of every kind loads as far as it makes sense or is refused; it never crashes and
// never yields a record whose counts disagree with its arrays.
TEST_F(PatternFileTest, BadInputIsSkippedOrRefused)
{
    auto consistent = [](const Pattern* p) {
        return p->pointCount == static_cast<int>(p->pointX.size()) &&
               p->pointCount == static_cast<int>(p->pointY.size()) &&
               p->commandCount == static_cast<int>(p->commandType.size()) &&
               p->commandCount == static_cast<int>(p->commandPoint.size()) &&
               p->nameCount == static_cast<int>(p->names.size());
    };

    // Non-finite and absurd coordinates are skipped; commands count only the kept points.
    testing::internal::CaptureStdout();
    Pattern* p = Load("nan.qcc",
                      "p X1 Y1\np XnanYinf\np X1e300 Y0\np X-inf Y2\nc s\np X2 Y5\n"
                      "p Xabc Y1\n");
    std::string log = testing::internal::GetCapturedStdout();
    ASSERT_NE(p, nullptr);
    EXPECT_NE(log.find("skipped 3 point(s)"), std::string::npos);
    EXPECT_EQ(p->pointCount, 3);  // "Xabc" reads as 0, like strtod
    EXPECT_EQ(p->commandPoint, std::vector<int>{2});
    EXPECT_FLOAT_EQ(p->width, 2);
    EXPECT_FLOAT_EQ(p->height, 4);
    EXPECT_TRUE(consistent(p));
    erasePattern(p);

    // A point that would stretch the pattern beyond any quilt is skipped too, so that the
    // shifted points written back read the same.
    testing::internal::CaptureStdout();
    p = Load("wide.qcc", "pX-900000Y0\npX900000Y0\npX100000Y5\n");
    testing::internal::GetCapturedStdout();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->pointCount, 2);
    ASSERT_EQ(savePattern(p, dir / "wide2.qcc"), 1);
    Pattern* again = newPattern(dir / "wide2.qcc");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->pointX, p->pointX);
    erasePattern(again);
    erasePattern(p);

    // Nothing usable: refused rather than a pattern with no extent.
    testing::internal::CaptureStdout();
    EXPECT_EQ(Load("names.qcc", "n only a name here\nn and another\np X1\n"), nullptr);
    EXPECT_EQ(Load("allnan.qcc", "p XnanYnan\np XinfYinf\n"), nullptr);
    testing::internal::GetCapturedStdout();

    // A 100 000-character line is read in 74-character pieces: the one after "pX1Y2..."
    // that again begins with "p" counts as a point of its own.
    std::string longLine = "pX1Y2" + std::string(69, ' ') + "pX7Y8" + std::string(100000, 'z');
    p = Load("long.qcc", longLine + "\npX3Y3\n");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->pointCount, 3);
    EXPECT_TRUE(consistent(p));
    erasePattern(p);

    // Thousands of names, binary junk with NULs, CR line ends, a file cut mid-line.
    std::string many;
    for (int i = 0; i < 5000; ++i)
        many += "n name " + std::to_string(i) + "\n";
    p = Load("many.qcc", many + "p X0 Y0\n");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->nameCount, 5000);
    EXPECT_EQ(p->names[4999], "name 4999");
    erasePattern(p);

    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 7919) & 0xff);
    p = Load("junk.qcc", junk + "\npX1Y1\r\nn crlf\r\np X2.5 Y");
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(consistent(p));
    EXPECT_EQ(p->names.back(), "crlf");
    erasePattern(p);

    EXPECT_EQ(newPattern(dir / "missing.qcc"), nullptr);
    EXPECT_EQ(newPattern(dir.path()), nullptr);  // a folder is no pattern
}

TEST(PatternListTest, SlotsAndCounts)
{
    FreePatternList(patternList);  // as at start-up, whatever earlier cases loaded
    EXPECT_EQ(GetNextPattern(), -1);  // no list yet
    EXPECT_EQ(GetPattern(0), nullptr);
    NewPatternList();
    EXPECT_EQ(GetNextPattern(), 0);
    for (int i = 0; i < kPatternSlots; ++i)
        ASSERT_EQ(StorePattern(GetNextPattern(), newPattern()), 1);
    EXPECT_EQ(patternList->usedCount, 50);
    EXPECT_EQ(patternList->freeSlots, 0);
    EXPECT_EQ(GetNextPattern(), -1);

    // Gaps: the lowest empty slot comes first, even with higher slots used.
    ReleasePatternSlot(30);
    ReleasePatternSlot(7);
    EXPECT_EQ(GetNextPattern(), 7);
    EXPECT_EQ(patternList->usedCount, 48);
    EXPECT_EQ(patternList->freeSlots, 2);
    EXPECT_EQ(GetPattern(7), nullptr);
    EXPECT_NE(GetPattern(8), nullptr);
    EXPECT_EQ(GetPattern(50), nullptr);
    EXPECT_EQ(GetPattern(-1), nullptr);

    // A used slot or one out of range is not overwritten.
    Pattern* spare = newPattern();
    EXPECT_EQ(StorePattern(8, spare), 0);
    EXPECT_EQ(StorePattern(50, spare), 0);
    EXPECT_EQ(StorePattern(7, spare), 1);
    EXPECT_EQ(GetNextPattern(), 30);
    ReleasePatternSlot(7);
    ReleasePatternSlot(7);  // already empty: counts stay right
    EXPECT_EQ(patternList->usedCount, 48);

    FreePatternList(patternList);
    EXPECT_EQ(patternList, nullptr);
}

TEST(PatternListTest, RefreshRedrawsThumbnailsThroughTheHook)
{
    NewPatternList();
    static int drawn;
    drawn = 0;
    RestoreOnExit keepHook(patternThumbnailHook);  // the view's, when it is linked in
    patternThumbnailHook = [](const Pattern*) {
        ++drawn;
        return gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 4, 4);
    };
    Pattern* p = newPattern(std::string(), 1);
    ASSERT_NE(p->thumbnail, nullptr);
    addData(p, "p X1 Y1", 1);
    addData(p, "p X3 Y2", 1);
    StorePattern(0, p);
    GdkPixbuf* old = p->thumbnail;
    g_object_ref(old);
    RefreshPatternPix();
    EXPECT_EQ(drawn, 2);
    EXPECT_NE(p->thumbnail, nullptr);
    EXPECT_EQ(G_OBJECT(old)->ref_count, 1u);  // the pattern let go of the old image
    g_object_unref(old);
    EXPECT_FLOAT_EQ(p->width, 2);
    FreePatternList(patternList);  // releases the thumbnail too (ASan checks)
}

TEST_F(PatternFileTest, SaveAsAsksForTheNameAndBeforeOverwriting)
{
    Pattern* p = newPattern();
    addData(p, "p X1 Y1", 1);
    addData(p, "p X2 Y1", 1);
    dir.Write("patterns/.keep", "");

    ui.Type("FLOWER");
    EXPECT_EQ(SavePatternAs(p), 1);
    EXPECT_EQ(dir.Read("patterns/FLOWER.qcc"), "p X1.000 Y1.000\np X2.000 Y1.000\n");

    dir.Write("patterns/FLOWER.qcc", "old");
    ui.Type("FLOWER.qcc").Expect("FILE EXIXTS!\n\nOVERWRITE?", RESPONSE_NO);
    EXPECT_EQ(SavePatternAs(p), 0);
    EXPECT_EQ(dir.Read("patterns/FLOWER.qcc"), "old");
    ui.Type("FLOWER").Expect("FILE EXIXTS!\n\nOVERWRITE?", RESPONSE_YES);
    EXPECT_EQ(SavePatternAs(p), 1);
    EXPECT_NE(dir.Read("patterns/FLOWER.qcc"), "old");

    ui.Type("IGNORED", 0);  // keyboard cancelled
    EXPECT_EQ(SavePatternAs(p), 0);
    EXPECT_FALSE(dir.Exists("patterns/IGNORED.qcc"));

    ui.Type("../escape").Expect("INVALID PATTERN NAME.", RESPONSE_OK);
    ui.Type("").Expect("INVALID PATTERN NAME.", RESPONSE_OK);
    EXPECT_EQ(SavePatternAs(p), 0);
    EXPECT_EQ(SavePatternAs(p), 0);
    EXPECT_FALSE(dir.Exists("escape.qcc"));

    testing::internal::CaptureStdout();
    // too long for a pattern path: refused with the message, nothing written
    ui.Type(std::string(70, 'L')).Expect("INVALID PATTERN NAME.", RESPONSE_OK);
    EXPECT_EQ(SavePatternAs(p), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(dir.Exists("patterns/" + std::string(70, 'L') + ".qcc"));
    erasePattern(p);
}
