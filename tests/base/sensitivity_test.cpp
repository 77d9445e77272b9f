// The sensitivity mask: which items each state of the program leaves usable.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/sensitivity.h"
#include "patterns/navigation_mask.h"
#include "patterns/pattern_box.h"
#include "support/scripted_ui.h"

namespace {

// Labels of the items a mask enables (items the mask never touches are left out).
std::set<std::string> Enabled(uint32_t mask)
{
    std::set<std::string> labels;
    for (int i = 0; i < kSensitiveItemCount; ++i) {
        auto item = static_cast<SensitiveItem>(i);
        if (MaskEnables(mask, item) == 1)
            labels.insert(SensitiveItemLabel(item));
    }
    return labels;
}

}  // namespace

TEST(SensitivityMask, StatesOfTheProgram)
{
    // No quilting area yet: only the three ways to get somewhere.
    EXPECT_EQ(Enabled(kMaskNoExtents),
              (std::set<std::string>{"Pattern View", "Add Pattern", "Open Layout"}));
    // A run: only Stop.
    EXPECT_EQ(Enabled(kMaskStitching), (std::set<std::string>{"Stop"}));
    EXPECT_TRUE(Enabled(kMaskAllOff).empty());

    // Normal work: everything but Stop, Start among it.
    std::set<std::string> normal = Enabled(kMaskNormal);
    EXPECT_EQ(normal.count("Stop"), 0u);
    for (const char* label : {"Start", "Edit", "Lock X", "Lock Y", "Demo", "Undo", "Nest",
                              "Move All", "Zoom All", "Pan", "Save Layout", "Restore Setpoint"})
        EXPECT_EQ(normal.count(label), 1u) << label;

    // Side screens: navigation, camera and the locks, nothing that edits; "Pattern Box" only
    // once a box exists.
    std::set<std::string> noBox = Enabled(kMaskNavigationNoBox);
    std::set<std::string> boxes = Enabled(kMaskNavigationBoxes);
    for (const auto* set : {&noBox, &boxes}) {
        for (const char* label : {"Pattern View", "Add Pattern", "Open Layout", "Free Motion",
                                  "Setup", "Set Quilt Area", "Camera", "File Manager",
                                  "Lock X", "Lock Y"})
            EXPECT_EQ(set->count(label), 1u) << label;
        for (const char* label : {"Start", "Stop", "Edit", "Undo", "Move All", "Zoom All"})
            EXPECT_EQ(set->count(label), 0u) << label;
    }
    EXPECT_EQ(noBox.count("Pattern Box"), 0u);
    EXPECT_EQ(boxes.count("Pattern Box"), 1u);
}

TEST(SensitivityMask, EachBitEnablesItsGroup)
{
    const struct {
        int bit;
        std::set<std::string> labels;
    } groups[] = {
        {0, {"Pattern View"}},
        {1, {"Add Pattern", "Open Layout"}},
        {2, {"Free Motion"}},
        {3, {"Camera"}},
        {4, {"Setup"}},
        {5, {"Set Quilt Area"}},
        {6, {"Pattern Box"}},
        {7, {"File Manager"}},
        {9, {"Save"}},
        {10, {"Delete"}},
        {12, {"Move All"}},
        {13, {"AutoCenter", "Save Layout", "Save Layout As", "Create Setpoint",
              "Restore Setpoint", "Undo", "New Layout"}},
        {14, {"Nest", "Move All"}},
        {16, {"Zoom"}},
        {17, {"Pan"}},
        {18, {"Zoom All"}},
        {21, {"Demo", "Start", "Edit"}},
        {23, {"Stop"}},
        {24, {"Lock X"}},
        {25, {"Lock Y"}},
    };
    for (const auto& g : groups)
        EXPECT_EQ(Enabled(1u << g.bit), g.labels) << "bit " << g.bit;
    for (int bit : {8, 11, 15, 19, 20, 22, 26, 31})
        EXPECT_TRUE(Enabled(1u << bit).empty()) << "bit " << bit;
}

TEST(SensitivityMask, ItemsTheMaskNeverTouches)
{
    // The Stitching toggle and the machine buttons stay usable in every state, a stitching
    // run above all.
    for (SensitiveItem item : {SensitiveItem::Stitching, SensitiveItem::StitchOnOff,
                               SensitiveItem::NeedleUp, SensitiveItem::Draw,
                               SensitiveItem::Measure, SensitiveItem::Standard}) {
        EXPECT_EQ(MaskEnables(0, item), -1);
        EXPECT_EQ(MaskEnables(0xFFFFFFFF, item), -1);
    }
    EXPECT_EQ(MaskEnables(0x1000, SensitiveItem::MoveAll), 1);
    EXPECT_EQ(MaskEnables(0x1000, SensitiveItem::Nest), 0);
    EXPECT_EQ(MaskEnables(0xFFFFFFFF, SensitiveItem::Count), -1);
}

TEST(SensitivityMask, StoredAndAppliedThroughTheSeam)
{
    ScriptedUi ui;
    EXPECT_EQ(CurrentSensitivity(), kMaskAtCreation);
    SetSensitivity(kMaskNoExtents);
    SetSensitivity(kMaskNormal);
    EXPECT_EQ(CurrentSensitivity(), kMaskNormal);
    EXPECT_EQ(ui.masks, (std::vector<unsigned>{kMaskNoExtents, kMaskNormal}));

    // Side screens: the mask follows whether a pattern box exists.
    InitPatternBox();
    EXPECT_EQ(NavigationMask(), kMaskNavigationNoBox);
    CreatePatternBox();
    EXPECT_EQ(NavigationMask(), kMaskNavigationBoxes);
    delete patternBoxList;
    patternBoxList = nullptr;
    EXPECT_EQ(NavigationMask(), kMaskNavigationNoBox);
}
