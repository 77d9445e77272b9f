// The layout file: exact bytes, round trips (also with gaps in the slots), refusal of damaged
// files, the name rules of saving and the questions and windows of loading.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <sstream>

#include "base/interface.h"
#include "base/message_windows.h"
#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/restore_on_exit.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

// File bytes written independently of the program's writer.
struct Qlf {
    std::string bytes;
    Qlf& B(int v) { bytes += static_cast<char>(v); return *this; }
    Qlf& I(int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xff);
        return *this;
    }
    Qlf& F(float v)
    {
        int32_t bits;
        std::memcpy(&bits, &v, 4);
        return I(bits);
    }
    Qlf& T(const std::string& s) { bytes += s + std::string(256 - s.size(), '\0'); return *this; }
};

Pattern* MakePattern(const std::string& name, int points)
{
    Pattern* p = newPattern();
    p->name = name;
    p->spareText1 = name + " spare";
    p->spareText2 = "second";
    for (int i = 0; i < points; ++i)
        addData(p, "pX" + std::to_string(i * 0.5) + "Y" + std::to_string(i % 3), 1);
    addData(p, "c e s", 0);
    addData(p, "c s", 1);
    p->rotation = 90;
    p->scaleX = 50.0f;
    p->baseWidth = 7.25f;
    return p;
}

void AddBox(float x, float y, float size)
{
    PatternBox* box = GetPatternBox(CreatePatternBox());
    for (auto [cx, cy] : {std::pair<float, float>{x, y}, {x, y + size}, {x + size, y + size},
                          {x + size, y}})
        AddPatternBoxPoint(box, cx, cy, 0, 1);
    SetPatternBoxOrigin(box);
}

// Extents, patterns in `patternSlots`, two boxes (the second without corners), arrays in
// `arraySlots` and placements that use all of them.
void BuildLayout(const std::vector<int>& patternSlots, const std::vector<int>& arraySlots)
{
    ResetLayout();
    extents = new PatternBox();
    for (auto [x, y] : {std::pair<float, float>{0, 0}, {0, 14}, {35, 14}, {35, 0}})
        AddPatternBoxPoint(extents, x, y, 0, 1);
    SetPatternBoxOrigin(extents);
    AddBox(2, 3, 8);
    CreatePatternBox();
    GetPatternBox(1)->angle = 45.0f;
    std::vector<int> arrays;
    for (int slot : arraySlots) {
        Arrays[slot] = new ArrayNode{0.25f * slot, 1.5f, slot + 1, 2};
        arrays.push_back(slot);
    }
    int n = 0;
    for (int slot : patternSlots) {
        StorePattern(slot, MakePattern("pattern" + std::to_string(slot), 3 + slot));
        currentBox = n % 2;
        int array = arrays.empty() ? -1 : arrays[n % arrays.size()];
        NewPatternLayoutNode(slot, array, n == 0, 1.5f * n, -0.5f * n);
        NewPatternLayoutNode(slot, -1, 0, 9.0f, 1.0f + n);
        ++n;
    }
}

std::string Floats(std::initializer_list<float> values)
{
    std::ostringstream out;
    for (float v : values)
        out << ' ' << v;
    return out.str();
}

std::string DescribeBox(const PatternBox* b)
{
    std::ostringstream out;
    out << Floats({b->originX, b->originY, b->width, b->height, b->angle, b->centerX,
                   b->centerY})
        << " corners " << b->cornerCount << ':';
    for (const BoxPoint* p = b->corners; p != nullptr; p = p->next)
        out << ' ' << p->index << Floats({p->x, p->y});
    return out.str();
}

// Everything the file keeps, with placements naming their pattern and array by content, so
// that layouts in different slots compare equal.
std::string DescribeLayout()
{
    std::ostringstream out;
    out << "extents" << (extents ? DescribeBox(extents) : " none") << '\n';
    for (int s = 0; s < kPatternSlots; ++s) {
        const Pattern* p = GetPattern(s);
        if (p == nullptr)
            continue;
        out << "pattern " << p->name << '|' << p->spareText1 << '|' << p->spareText2
            << Floats({p->width, p->height, p->baseWidth, p->baseHeight, p->minX, p->maxX,
                       p->minY, p->maxY, p->scaleX, p->scaleY})
            << " rot " << p->rotation << " points";
        for (int i = 0; i < p->pointCount; ++i)
            out << Floats({p->pointX[i], p->pointY[i]});
        out << " commands";
        for (int i = 0; i < p->commandCount; ++i)
            out << ' ' << static_cast<int>(p->commandType[i]) << '@' << p->commandPoint[i];
        out << '\n';
    }
    for (int s = 0; s < MAX_PATTERN_BOXES && GetPatternBox(s); ++s)
        out << "box" << DescribeBox(GetPatternBox(s)) << '\n';
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
        const ArrayNode* a = GetArrayNode(n->arrayIndex);
        out << "node box " << n->boxIndex << ' ' << GetPattern(n->patternIndex)->name
            << " array " << (a ? std::to_string(a->rows) + "x" + std::to_string(a->columns)
                                     + Floats({a->spacingDown, a->spacingAcross})
                               : "none")
            << " parent " << n->isArrayParent << Floats({n->x, n->y}) << '\n';
    }
    return out.str();
}

}  // namespace

TEST(LayoutFileFormat, WriterEmitsTheRecordsByteForByte)
{
    TempDir dir;
    ResetLayout();
    extents = new PatternBox();
    AddPatternBoxPoint(extents, 1.5f, 2.0f, 1, 0);
    extents->centerX = 3.0f;
    extents->angle = 90.0f;
    CreatePatternBox();  // a box with no corners
    GetPatternBox(0)->originX = 4.0f;
    GetPatternBox(0)->centerY = 6.0f;
    Pattern* p = newPattern();
    p->name = "leaf";
    addData(p, "pX1Y2", 1);
    addData(p, "c s", 1);
    StorePattern(0, p);
    currentBox = 0;
    NewPatternLayoutNode(0, -1, 0, 0.5f, 0.25f);
    NewArrayNode(3, 0.5f, 4, 1.0f);

    ASSERT_EQ(SaveLayout(dir / "exact", kOverwriteWithoutAsking, kNameIsPath), 1);
    Qlf want;
    want.B(1).F(1.5f).F(2.0f).F(3.0f).F(0).F(0).F(0).F(90.0f).I(1).I(0).F(1.5f).F(2.0f).B(16);
    want.B(2).T("leaf").T("").T("").F(0).F(0).F(0).F(0).F(1).F(1).F(2).F(2);
    want.I(0).F(100).F(100).I(1).F(1).F(2).I(1).I(static_cast<int32_t>(CommandKind::Start)).I(2).B(16);
    want.B(4).F(4.0f).F(0).F(0).F(0).F(0).F(0).F(6.0f).I(0).B(16);
    want.B(5).I(0).I(0).I(-1).B(0).F(0.5f).F(0.25f).B(16);
    want.B(6).F(0.5f).F(1.0f).I(3).I(4).B(16);
    EXPECT_EQ(dir.Read("exact.qlf"), want.bytes);
    EXPECT_FALSE(dir.Exists("exact.qlf.part"));
    ResetLayout();
}

TEST(LayoutFileFormat, LayoutSurvivesSaveAndLoadWhicheverSlotsItUses)
{
    TempDir dir;
    using Slots = std::vector<int>;
    for (auto [patterns, arrays] :
         {std::pair<Slots, Slots>{{0, 1}, {0}}, {{3, 7, 49}, {5, 9}}, {{2}, {}}}) {
        BuildLayout(patterns, arrays);
        std::string before = DescribeLayout();
        ASSERT_EQ(SaveLayout(dir / "round", kOverwriteWithoutAsking, kNameIsPath), 1);
        ASSERT_EQ(LoadLayout(dir / "round.qlf", kDiscardCurrentLayout, kSkipQuestion), 1);
        EXPECT_EQ(DescribeLayout(), before);
        EXPECT_EQ(currentBox, 0);
        // Loaded patterns fill the lowest slots, and saving again changes nothing.
        EXPECT_NE(GetPattern(static_cast<int>(patterns.size()) - 1), nullptr);
        std::string first = dir.Read("round.qlf");
        ASSERT_EQ(SaveLayout(dir / "round", kOverwriteWithoutAsking, kNameIsPath), 1);
        EXPECT_EQ(dir.Read("round.qlf"), first);
    }
    ResetLayout();
}

TEST(LayoutFileFormat, ReaderSkipsNamesStrayBytesAndStopsAtByte255)
{
    TempDir dir;
    ScriptedUi ui;
    Qlf file;
    file.B(16).B(0).B(77);                        // stray terminator and unknown markers
    file.B(3).bytes += "an old name";             // a name record, skipped whole
    file.B(16);
    file.B(6).F(1).F(2).I(3).I(4).B(16);
    file.B(6).F(5).F(6).I(7).I(8).B(99);          // wrong terminator: logged, read on
    file.B(255).B(6).F(9).F(9).I(9).I(9).B(16);   // after 255 nothing counts
    dir.Write("misc.qlf", file.bytes);
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadLayout(dir / "misc.qlf", kDiscardCurrentLayout, kSkipQuestion), 1);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Array Data not read successfully"), std::string::npos);
    ASSERT_NE(Arrays[1], nullptr);
    EXPECT_EQ(Arrays[1]->columns, 8);
    EXPECT_EQ(Arrays[2], nullptr);
    EXPECT_EQ(extents, nullptr);  // no extents record: the area still has to be set up
    ResetLayout();
}

// Where each record of the current layout ends in its file, from the sizes of the fields.
std::vector<size_t> RecordEnds()
{
    std::vector<size_t> sizes{1 + 28 + 4 + 12u * extents->cornerCount + 1};
    for (int s = 0; s < kPatternSlots; ++s)
        if (const Pattern* p = GetPattern(s))
            sizes.push_back(1 + 768 + 32 + 12 + 4 + 8u * p->pointCount + 4 + 8u * p->commandCount + 1);
    for (int s = 0; GetPatternBox(s) != nullptr; ++s)
        sizes.push_back(1 + 28 + 4 + 12u * GetPatternBox(s)->cornerCount + 1);
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        sizes.push_back(23);
    for (const ArrayNode* a : Arrays)
        if (a != nullptr)
            sizes.push_back(18);
    std::vector<size_t> ends;
    size_t at = 0;
    for (size_t size : sizes)
        ends.push_back(at += size);
    return ends;
}

TEST(LayoutFileRefusals, TruncationAtBoundariesLoadsTheRecordsBeforeAndInsideIsAnError)
{
    TempDir dir;
    BuildLayout({0, 1}, {0});
    const std::vector<size_t> ends = RecordEnds();
    ASSERT_EQ(ends.size(), 10u);  // extents, 2 patterns, 2 boxes, 4 placements, 1 array
    ASSERT_EQ(SaveLayout(dir / "full", kOverwriteWithoutAsking, kNameIsPath), 1);
    const std::string full = dir.Read("full.qlf");
    ASSERT_EQ(full.size(), ends.back());

    ScriptedUi ui;
    ui.AllowUnexpected();
    testing::internal::CaptureStdout();
    for (size_t cut = 1; cut < full.size(); ++cut) {
        const std::string name = "cut" + std::to_string(cut) + ".qlf";  // new files are quicker
        dir.Write(name, full.substr(0, cut));                              // than truncated ones
        ui.messages.clear();
        int loaded = LoadLayout(dir / name, kDiscardCurrentLayout, kSkipQuestion);
        CloseWaitingWindow(waitWindow);  // as the menus that load do
        // Cut after a record, or only its terminator missing: the records before load.
        bool whole = false;
        for (size_t end : ends)
            whole = whole || cut == end || cut + 1 == end;
        if (whole) {
            EXPECT_EQ(loaded, 1) << "cut at " << cut;
            EXPECT_TRUE(ui.messages.empty()) << "cut at " << cut;
        } else {
            EXPECT_EQ(loaded, 0) << "cut at " << cut;
            EXPECT_EQ(ui.messages, std::vector<std::string>{"ERROR READING LAYOUT FILE."})
                << "cut at " << cut;
        }
        // Whatever was read stays, and every placement in it can be placed.
        for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
            EXPECT_NE(GetPattern(n->patternIndex), nullptr) << "cut at " << cut;
            EXPECT_NE(GetPatternBox(n->boxIndex), nullptr) << "cut at " << cut;
        }
        if (cut == ends[6]) {  // up to the second placement
            ASSERT_NE(patternLayout, nullptr);
            ASSERT_NE(patternLayout->next, nullptr);
            EXPECT_EQ(patternLayout->next->next, nullptr);
        }
    }
    testing::internal::GetCapturedStdout();
    ResetLayout();
}

TEST(LayoutFileRefusals, CountsAndReferencesTheFileCannotBackAreRefused)
{
    TempDir dir;
    auto extentsRecord = [] { return Qlf().B(1).F(0).F(0).F(1).F(1).F(2).F(2).F(0).I(0).B(16); };
    auto patternHead = [](Qlf& q) {
        q.B(2).T("p").T("").T("");
        for (int i = 0; i < 8; ++i)
            q.F(1);
        q.I(0).F(100).F(100);
    };
    auto expectRefused = [&](const Qlf& file, const char* what) {
        ScriptedUi ui;
        ui.Expect("ERROR READING LAYOUT FILE.", RESPONSE_OK);
        dir.Write("bad.qlf", file.bytes);
        testing::internal::CaptureStdout();
        EXPECT_EQ(LoadLayout(dir / "bad.qlf", kDiscardCurrentLayout, kSkipQuestion), 0) << what;
        testing::internal::GetCapturedStdout();
    };

    Qlf negative = extentsRecord();
    patternHead(negative);
    negative.I(-1).I(0).B(16);
    expectRefused(negative, "negative point count");
    EXPECT_EQ(patternList->usedCount, 0);

    Qlf huge = extentsRecord();
    patternHead(huge);
    huge.I(0x7fffffff).F(1).F(1).I(0).B(16);
    expectRefused(huge, "point count beyond the file");

    expectRefused(Qlf().B(4).F(0).F(0).F(0).F(0).F(0).F(0).F(0).I(-3).B(16), "negative corners");
    expectRefused(Qlf().B(4).F(0).F(0).F(0).F(NAN).F(0).F(0).F(0).I(0).B(16), "not a number");
    expectRefused(Qlf().B(6).F(1).F(1).I(-2).I(1).B(16), "negative rows");

    // A placement of a box that is not there is dropped; its array reference is cleared when
    // the array did not arrive, which alone is no error.
    Qlf dangling = extentsRecord();
    patternHead(dangling);
    dangling.I(0).I(0).B(16);
    dangling.B(4).F(0).F(0).F(0).F(0).F(0).F(0).F(0).I(0).B(16);
    dangling.B(5).I(0).I(0).I(7).B(1).F(1).F(1).B(16);
    dangling.B(5).I(3).I(0).I(-1).B(0).F(1).F(1).B(16);
    expectRefused(dangling, "placement in a missing box");
    ASSERT_NE(patternLayout, nullptr);
    EXPECT_EQ(patternLayout->next, nullptr);
    EXPECT_EQ(patternLayout->arrayIndex, -1);
    EXPECT_EQ(patternLayout->isArrayParent, 0);

    // 51 patterns, boxes and arrays: the tables keep 50 of each; the placement of the 51st
    // pattern cannot be kept.
    Qlf many = extentsRecord();
    for (int i = 0; i < 51; ++i) {
        patternHead(many);
        many.I(0).I(0).B(16);
        many.B(4).F(0).F(0).F(0).F(0).F(0).F(0).F(0).I(0).B(16);
        many.B(6).F(1).F(1).I(1).I(1).B(16);
    }
    many.B(5).I(0).I(50).I(-1).B(0).F(1).F(1).B(16);
    expectRefused(many, "placement of the 51st pattern");
    EXPECT_EQ(patternList->usedCount, 50);
    EXPECT_EQ(patternBoxList->count, 50);
    EXPECT_NE(Arrays[49], nullptr);
    EXPECT_EQ(patternLayout, nullptr);
    ResetLayout();
}

TEST(LayoutFileSave, NameRulesAndOverwriteQuestion)
{
    TempDir dir;
    mkdir("Layout", 0777);
    BuildLayout({0}, {});
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    EXPECT_EQ(SaveLayout("my layout#2.final", kAskBeforeOverwriting, kNameInLayoutFolder), 1);
    EXPECT_TRUE(dir.Exists("Layout/mylayout2final.qlf"));
    EXPECT_EQ(SaveLayout(std::string(123, 'a'), kAskBeforeOverwriting, kNameInLayoutFolder), 1);
    EXPECT_TRUE(dir.Exists("Layout/" + std::string(123, 'a') + ".qlf"));

    ui.Expect("FILENAME IS TOO LONG", RESPONSE_OK);
    EXPECT_EQ(SaveLayout(std::string(124, 'a'), kAskBeforeOverwriting, kNameInLayoutFolder), 0);
    ui.Expect("FILENAME IS EMPTY", RESPONSE_OK);
    EXPECT_EQ(SaveLayout("!@#. /", kAskBeforeOverwriting, kNameInLayoutFolder), 0);

    // An existing file is replaced only after OK.
    dir.Write("Layout/keep.qlf", "old");
    ui.Expect("FILE EXISTS!\nOVERWRITE FILE?", RESPONSE_CANCEL);
    EXPECT_EQ(SaveLayout("keep", kAskBeforeOverwriting, kNameInLayoutFolder), 0);
    EXPECT_EQ(dir.Read("Layout/keep.qlf"), "old");
    ui.Expect("FILE EXISTS!\nOVERWRITE FILE?", RESPONSE_OK);
    EXPECT_EQ(SaveLayout("keep", kAskBeforeOverwriting, kNameInLayoutFolder), 1);
    EXPECT_NE(dir.Read("Layout/keep.qlf"), "old");
    EXPECT_EQ(SaveLayout("keep", kOverwriteWithoutAsking, kNameInLayoutFolder), 1);  // no question asked

    // A folder that cannot be written: nothing, and no message.
    EXPECT_EQ(SaveLayout(dir / "missing/x", kOverwriteWithoutAsking, kNameIsPath), 0);
    // No quilting area: refused before any question.
    ResetLayout();
    EXPECT_EQ(SaveLayout("keep", kAskBeforeOverwriting, kNameInLayoutFolder), 0);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Layout Filename is: ./Layout/mylayout2final.qlf\n"), std::string::npos);
    EXPECT_NE(log.find("No quilting area: layout not saved"), std::string::npos);
    EXPECT_GT(dir.Read("Layout/keep.qlf").size(), 3u);
}

TEST(LayoutFileLoad, ReadLayoutFileAsksNothingAndSaysWhyItFailed)
{
    TempDir dir;
    mkdir("Layout", 0777);
    BuildLayout({0, 1}, {0});
    const std::string saved = DescribeLayout();
    ASSERT_EQ(SaveLayout("quilt", kOverwriteWithoutAsking, kNameInLayoutFolder), 1);
    BuildLayout({4}, {});
    ScriptedUi ui;  // a message would fail the test
    interface_.current_layout = "kept";
    std::string problem = "stale";
    EXPECT_EQ(ReadLayoutFile("./Layout/quilt.qlf", &problem), 1);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(DescribeLayout(), saved);
    EXPECT_EQ(interface_.current_layout, "kept");

    EXPECT_EQ(ReadLayoutFile("./Layout/none.qlf", &problem), 0);
    EXPECT_EQ(problem, "COULD NOT OPEN LAYOUT FILE.");
    EXPECT_EQ(DescribeLayout(), saved);  // nothing erased
    dir.Write("Layout/cut.qlf", std::string("\x01\x00\x00", 3));
    testing::internal::CaptureStdout();
    EXPECT_EQ(ReadLayoutFile("./Layout/cut.qlf", &problem), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(problem, "ERROR READING LAYOUT FILE.");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.waitingMessages.empty());
    ResetLayout();
}

TEST(LayoutFileLoad, QuestionWaitingWindowNameAndTheRecoveryException)
{
    TempDir dir;
    mkdir("Layout", 0777);
    BuildLayout({0, 1}, {0});
    const std::string saved = DescribeLayout();
    ASSERT_EQ(SaveLayout("quilt", kOverwriteWithoutAsking, kNameInLayoutFolder), 1);
    BuildLayout({4}, {});
    const std::string other = DescribeLayout();
    {
        ScriptedUi ui;
        testing::internal::CaptureStdout();
        ui.Expect("THIS WILL ERASE ALL CURRENT LAYOUT INFORMATION.\n\nCONTINUE?", RESPONSE_CANCEL);
        EXPECT_EQ(LoadLayout("./Layout/quilt.qlf", kDiscardCurrentLayout, kAskBeforeLoading), 0);
        EXPECT_EQ(DescribeLayout(), other);  // declined: nothing changed
        EXPECT_TRUE(ui.waitingMessages.empty());

        ui.Expect("THIS WILL ERASE ALL CURRENT LAYOUT INFORMATION.\n\nCONTINUE?", RESPONSE_OK);
        EXPECT_EQ(LoadLayout("./Layout/quilt.qlf", kDiscardCurrentLayout, kAskBeforeLoading), 1);
        EXPECT_EQ(DescribeLayout(), saved);
        EXPECT_EQ(ui.waitingMessages, std::vector<std::string>{"\n\nLOADING LAYOUT FILE"});
        ASSERT_NE(waitWindow, nullptr);
        EXPECT_NE(waitWindow->window, nullptr);  // the caller closes it
        CloseWaitingWindow(waitWindow);
        EXPECT_EQ(interface_.current_layout, "./Layout/quilt");
        EXPECT_NE(testing::internal::GetCapturedStdout().find(
                      "interface->current_layout = ./Layout/quilt\n"),
                  std::string::npos);
    }
    {
        // The recovery layout: no question, no window, the name stays.
        ScriptedUi ui;
        interface_.current_layout = "kept";
        rename("Layout/quilt.qlf", "Layout/recovery.qlf");
        EXPECT_EQ(LoadLayout("./Layout/recovery.qlf", kDiscardCurrentLayout, kAskBeforeLoading), 1);
        EXPECT_TRUE(ui.waitingMessages.empty());
        EXPECT_EQ(interface_.current_layout, "kept");

        ui.Expect("COULD NOT OPEN LAYOUT FILE.", RESPONSE_OK);
        EXPECT_EQ(LoadLayout("./Layout/none.qlf", kDiscardCurrentLayout, kSkipQuestion), 0);
        ui.Expect("COULD NOT OPEN LAYOUT FILE.", RESPONSE_OK);
        EXPECT_EQ(LoadLayout("./Layout", kDiscardCurrentLayout, kSkipQuestion), 0);
        EXPECT_EQ(DescribeLayout(), saved);  // a file that cannot be opened erases nothing
    }
    ResetLayout();
}

TEST(LayoutFileLoad, ReadingGivesUpAfterFiveSecondsWithoutAWindow)
{
    TempDir dir;
    BuildLayout({0, 1}, {});
    ASSERT_EQ(SaveLayout(dir / "slow", kOverwriteWithoutAsking, kNameIsPath), 1);
    static double now;
    now = 0;
    RestoreOnExit keepClock(layoutClockForTest);
    layoutClockForTest = [] { return now += 1.0; };  // each record takes a second
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadLayout(dir / "slow.qlf", kDiscardCurrentLayout, kSkipQuestion), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Load Layout timed out\n"),
              std::string::npos);
    EXPECT_NE(extents, nullptr);        // the records read in time stay
    EXPECT_EQ(patternLayout, nullptr);  // the placements came too late
    ResetLayout();
}
